// Shared set-up for the screen tests: a headless window opened the way the
// game opens it, and input scripted by frame number so that clicks also
// reach loops that run inside a command (new game, info, game over).
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

namespace screens_test {

struct Point {
  int x = 0;
  int y = 0;
};

// A fresh game in a large flat window on a 1920 x 1080 desktop (Scale 1).
inline std::shared_ptr<HeadlessBackend> OpenTestWindow(uint8_t view2D = 1, float scale = 1.0f) {
  auto backend = InstallHeadlessBackend();
  ResetGameStateGlobals();
  ResetPresentationGlobals();
  Action = TAction::build();
  Ticker = CreateTicker(60);
  for (auto& entry : History) entry = {-1, -1};
  Board = {};
  MoveCount = 0;
  GameResult = 0;
  PlayerKind[0] = -1;
  PlayerKind[1] = Human;
  PlayerKind[2] = Spontane;
  BlueBegins = 0;
  SkipBlueTurn = 0;
  Rotation = 0;
  SmallWindow = 0;
  View2D = view2D;
  MusicOn = 0;
  Music = nullptr;
  MusicChannel = kNoChannel;
  Scale = scale;
  WindowHeight = int(850 * Scale);
  DepthBase = int(618 * Scale);
  GameFolder = "/tmp";
  OpenGameWindow();
  backend->notices.clear();
  return backend;
}

// Centre of entry `index` of the side docks, from the built docks' fields.
inline Point LeftDockEntry(int index) {
  const int centreY = int(Scale * float(SideDockCentreY()));
  const int top = centreY - LeftDock->HalfHeight;
  return {LeftDock->Right_X / 2, top + int((float(index) + 0.5f) * LeftDock->Interval)};
}

inline Point RightDockEntry(int index) {
  const int edge = int(Scale * float(RightDockEdgeX()));
  const int centreY = int(Scale * float(SideDockCentreY()));
  const int top = centreY - RightDock->HalfHeight;
  return {edge - RightDock->Left_X / 2, top + int((float(index) + 0.5f) * RightDock->Interval)};
}

// Centre of entry `index` of a horizontal dock shown at design (x, y).
inline Point HorizontalDockEntry(const TMacDockImitat_Horizontal& dock, int x, int y, int index) {
  const int left = int(Scale * float(x)) - dock.HalfWidth;
  return {left + int((float(index) + 0.5f) * dock.Interval), int(Scale * float(y)) - dock.TopY / 2};
}

// Input actions keyed by the number of frames presented since Install.
class FrameScript {
 public:
  explicit FrameScript(std::shared_ptr<HeadlessBackend> backend) : backend_(std::move(backend)) {
    start_ = backend_->frames;
    backend_->onFrame = [this](int64_t frame) {
      auto it = steps_.find(frame - start_);
      if (it != steps_.end()) it->second();
    };
  }
  ~FrameScript() { backend_->onFrame = nullptr; }

  // A step for a frame already presented runs at once.
  void At(int64_t frame, std::function<void()> step) {
    if (frame <= Elapsed()) {
      step();
      return;
    }
    auto& slot = steps_[frame];
    if (!slot) {
      slot = std::move(step);
      return;
    }
    slot = [first = std::move(slot), second = std::move(step)] {
      first();
      second();
    };
  }
  // Pointer onto p at `frame`, left button down `settle` frames later and up
  // one frame after that. Returns the frame of the release.
  int64_t Click(int64_t frame, Point p, int settle = 12, int button = 1) {
    auto backend = backend_;
    At(frame, [backend, p] { backend->MoveTo(p.x, p.y); });
    At(frame + settle, [backend, button] { backend->Press(button); });
    At(frame + settle + 1, [backend, button] { backend->Release(button); });
    return frame + settle + 1;
  }
  int64_t Elapsed() const { return backend_->frames - start_; }

 private:
  std::shared_ptr<HeadlessBackend> backend_;
  int64_t start_ = 0;
  std::map<int64_t, std::function<void()>> steps_;
};

// Runs the board screen's share of frames: RunMenuDocks and PresentFrame,
// until a pass returns 1 or `frames` frames have passed. Returns the last
// result.
inline int RunDockFrames(int colour, int frames) {
  for (int i = 0; i < frames; ++i) {
    if (!Action) break;
    Action->update();
    int result = RunMenuDocks(colour, 1);
    PresentFrame();
    if (result == 1) return 1;
  }
  return 0;
}

}  // namespace screens_test
