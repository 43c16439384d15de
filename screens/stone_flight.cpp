// A stone gliding onto its square: the computer's from the top edge, the
// external engine's from the bottom edge.
#include "screens/stone_flight.h"

#include "game/game_state.h"
#include "platform/platform.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "toolkit/TSpeedControl.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

constexpr speed::Curve kFlightCurves[3] = {speed::kSmoothS, speed::kQuinticOut,
                                           speed::kFastOvershootOut};

// One flying stone: its square, its colour, where it starts and along which
// curve it moves onto the square in ComputerPause milliseconds.
struct Flight {
  int x = 0, y = 0;
  int colour = kBlue;
  bool fromBottom = false;
  float startX = 0.0f;
  speed::Curve curve = speed::kSmoothS;
};

Flight StartFlight(int x, int y, int colour, bool fromBottom) {
  Flight flight;
  flight.x = x;
  flight.y = y;
  flight.colour = colour;
  flight.fromBottom = fromBottom;
  // The random numbers in this order: the start point, then the curve.
  flight.startX = float(RandomInt(int(0.25 * WindowWidth), int(0.75 * WindowWidth)));
  flight.curve = kFlightCurves[RandomInt(0, 2)];
  return flight;
}

void DrawFlyingStone(const Flight& flight, const TSpeedControl& timing) {
  const float targetX = float(CellX[flight.x][flight.y]);
  const float targetY = float(RowY[flight.y]);
  const float px =
      flight.startX + (targetX - flight.startX) * timing.GetValue(speed::kOnce, flight.curve);
  const float g = timing.GetValue(speed::kOnce, speed::kQuinticOut);
  const float py = flight.fromBottom ? (1.0f - g) * float(WindowHeight) + g * targetY : g * targetY;
  if (View2D)
    SetDrawScale(Scale, Scale);
  else
    SetDepthScale(py);
  const int kind = PlayerKind[flight.colour];
  if (kind >= 0 && kind <= 5) DrawPicture(StonePicture[kind][View2D ? 1 : 0], px, py, 0);
}

// Runs the flight's frames; returns when the stone has arrived.
void Fly(const Flight& flight) {
  auto timing = TSpeedControl::build();
  timing->Start();
  while (true) {
    Action->update();
    DrawBoardPicture();
    RunMenuDocks(1, 0);
    SetDrawScale(Scale, Scale);
    DrawStones();
    timing->UpdateTime();
    timing->UpdateStates(ComputerPause, 0);
    DrawFlyingStone(flight, *timing);
    PresentFrame();
    if (timing->Duration >= ComputerPause) return;
    AskQuitOnEscape();
    KeepMusicAlive();
    if (Action->Close) EndProgram();
  }
}

}  // namespace

void FlyStone(int x, int y, int colour, bool fromBottom) {
  Fly(StartFlight(x, y, colour, fromBottom));
}

int32_t ShowExternalMove(const int32_t move[2], int colour) {
  if (move[0] < 0 || move[0] >= kBoardSize || move[1] < 0 || move[1] >= kBoardSize) return 1;
  FlyStone(move[0], move[1], colour, true);
  return 1;
}
