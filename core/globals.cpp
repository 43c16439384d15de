// Definitions of the game-state and presentation globals.
#include "core/game_state.h"
#include "core/presentation.h"
#include "toolkit/TAction.h"

BoardCells Board{};
int32_t PlayerKind[3] = {-1, 0, Spontane};
MoveList History{};
int32_t MoveCount = 0;
int32_t GameResult = 0;
int32_t WinRowX[5] = {-1, -1, -1, -1, -1};
int32_t WinRowY[5] = {-1, -1, -1, -1, -1};
uint8_t BlueBegins = 0;
uint8_t SkipBlueTurn = 0;
int32_t Rotation = 0;

uint8_t SmallWindow = 0;
uint8_t View2D = 1;
uint8_t MusicOn = 1;
float Scale = 1.0f;
int32_t WindowWidth = 1000;
int32_t WindowHeight = 850;
int32_t DepthBase = 618;
int32_t ComputerPause = 500;
std::string SettingsPath;
std::string GameFolder;
std::shared_ptr<TAction> Action;
TickerRef Ticker;
PictureRef Background;
PictureRef BoardPicture[4][2];
PictureRef StonePicture[6][2];
PictureRef ProgressCover;
SoundClipRef Music;
Channel MusicChannel = kNoChannel;
