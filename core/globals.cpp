// Definitions of the game-state and presentation globals. Their start-up
// values are set in one place, by the two reset functions, which run here
// once before main and again whenever a test starts afresh.
#include "core/game_state.h"
#include "core/presentation.h"
#include "toolkit/TAction.h"

BoardCells Board{};
int32_t PlayerKind[3];
MoveList History{};
int32_t MoveCount;
int32_t GameResult;
int32_t WinRowX[5];
int32_t WinRowY[5];
uint8_t BlueBegins;
uint8_t SkipBlueTurn;
int32_t Rotation;

uint8_t SmallWindow;
uint8_t View2D;
uint8_t MusicOn;
int32_t WindowWidth;
int32_t WindowHeight;
int32_t DepthBase;
int32_t ComputerPause;
std::string SettingsPath;
std::string GameFolder;
PictureRef Background;
PictureRef BoardPicture[4][2];
PictureRef StonePicture[6][2];
PictureRef ProgressCover;
SoundClipRef Music;
Channel MusicChannel = kNoChannel;

namespace {
// After every definition above, so the reset finds them all constructed.
[[maybe_unused]] const bool kStartValuesSet = (ResetGameStateGlobals(), ResetPresentationGlobals(), true);
}  // namespace
