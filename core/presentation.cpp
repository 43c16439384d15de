// Start-up values of the presentation state and the window size.
#include "core/presentation.h"

#include <algorithm>

#include "core/game_state.h"
#include "toolkit/TAction.h"
#include "view/board_view.h"

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
