// The presentation globals, their start-up values (set in one place, by
// ResetPresentationGlobals, which runs here once before main and again
// whenever a test starts afresh) and the window size.
#include "view/presentation.h"

#include <algorithm>

#include "game/game_state.h"
#include "toolkit/TAction.h"
#include "view/board_view.h"

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

void ResetPresentationGlobals() {
  SmallWindow = 0;
  View2D = 1;
  MusicOn = 1;
  Scale = 1.0f;
  WindowWidth = 1000;
  WindowHeight = 850;
  DepthBase = PerspRowY[kBoardSize - 1];
  ComputerPause = 500;
  SettingsPath.clear();
  GameFolder.clear();
  Action.reset();
  Ticker.reset();
  Background.reset();
  for (auto& pair : BoardPicture) pair[0].reset(), pair[1].reset();
  for (auto& pair : StonePicture) pair[0].reset(), pair[1].reset();
  ProgressCover.reset();
  Music.reset();
  MusicChannel = kNoChannel;
}

// The large window never exceeds the design size; on smaller desktops it
// leaves 10 pixels of the width and a tenth of the height free.
float ScaleForDesktop(int screenWidth, int screenHeight) {
  // A backend that cannot tell the desktop size gets the design size.
  if (screenWidth <= 10 || screenHeight <= 0) return 1.0f;
  const float byWidth = float(screenWidth - 10) / 1400.0f;
  const float byHeight = 0.9f * float(screenHeight) / 850.0f;
  return std::min(1.0f, std::min(byWidth, byHeight));
}

int32_t DesignWidth() { return View2D ? 1000 : 1400; }

void ComputeWindowSize() {
  WindowHeight = int32_t(850.0f * Scale);
  WindowWidth = int32_t(float(DesignWidth()) * Scale);
}

namespace {
// After every definition above, so the reset finds them all constructed.
[[maybe_unused]] const bool kStartValuesSet = (ResetPresentationGlobals(), true);
}  // namespace
