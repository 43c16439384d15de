// The Denker's search as the player sees it: the board with a progress bar
// growing one cell per first move, and the quit question between first moves.
#include <string>

#include "ai/evaluation.h"
#include "ai/opponents.h"
#include "ai/search.h"
#include "app/game.h"
#include "game/game_state.h"
#include "platform/platform.h"
#include "screens/menu_docks.h"
#include "toolkit/ui_state.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

constexpr int kBarCells = 5;
// A fast search would flash the display by: each step of the bar is shown
// at least this long, so the whole display stays about 0.6 s, long enough
// to read, and the bar fills evenly.
constexpr int kStepMs = 120;

// Waits, keeping the last presented frame on screen, until the step may show.
void HoldUntil(const TickerRef& ticker, int due) {
  while (ClockMs() < due) WaitTick(ticker);
}

// Board picture, docks and stones; the docks react only in the first pass.
// They act for blue, whose turn this is: the network entry then lets the
// external engine make blue's move instead of the Denker, where acting for
// yellow gave yellow a second stone in a row.
void DrawBackground(int react) {
  SetDrawScale(Scale, Scale);
  DrawBoardPicture();
  RunMenuDocks(kBlue, react);
  SetDrawScale(Scale, Scale);
  DrawStones();
}

void DrawCaptions() {
  SetColor(255, 128, 255);
  SetDrawScale(0.6f * Scale, 0.6f * Scale);
  DrawTextAt("Moment bitte ...", Scale * static_cast<float>(330 - 200 * View2D), Scale * 48);
  DrawTextAt("Ich denke nach!", Scale * static_cast<float>(840 - 200 * View2D), Scale * 48);
  SetDrawScale(Scale, Scale);
  SetColor(255, 255, 255);
}

// Cells 0 .. filled-1 at their places, optionally cell 0 once more at the
// place of the last cell (the finished bar), then the cover. The whole bar
// is drawn each time: a presented frame need not keep what the last one had.
void DrawBar(const PictureRef& strip, int filled, bool finished) {
  auto cellX = [](int cell) {
    return static_cast<float>(WindowWidth / 2) + Scale * static_cast<float>(48 * cell - 125);
  };
  for (int i = 0; i < filled; ++i) DrawPicture(strip, cellX(i), Scale * 25, i);
  if (finished) DrawPicture(strip, cellX(kBarCells - 1), Scale * 25, 0);
  DrawPicture(ProgressCover, static_cast<float>(WindowWidth / 2) - Scale * 130, Scale * 20, 0);
}

}  // namespace

std::optional<Move> DenkerThinking(int depth) {
  KeyPressCount(kKeyEscape);
  const BoardCells before = Board;
  const int32_t countBefore = MoveCount, kindBefore = PlayerKind[kBlue];
  DrawBackground(1);
  // A command carried out by the docks may have changed the game. The
  // computer then moves only when it is still its move (a new game in which
  // yellow begins, or a loaded game with yellow to move, must not get a blue
  // stone), and chooses afresh for the game as it now stands.
  if (Board != before || MoveCount != countBefore || PlayerKind[kBlue] != kindBefore) {
    const bool stillBluesMove = PlayerKind[kBlue] > Multiplayer && GameResult == 0 && BlueToMove();
    if (!stillBluesMove) return std::nullopt;
    return ChooseComputerMove(DenkerThinking);
  }
  if (TopValue[0][0] == 0) return std::nullopt;
  PictureRef strip =
      LoadPictureStrip("incbin::media/progress-bar.png", 240 / kBarCells, 10, 0, kBarCells);
  DrawCaptions();

  // The game's own 60 Hz ticker; a test that runs this screen alone gets one.
  const TickerRef ticker = Ticker ? Ticker : CreateTicker(60.0);
  const int shownAt = ClockMs();
  SearchHooks hooks;
  hooks.beforeFirstMove = [&](int i) {
    if (i > 0) {
      DrawBackground(0);
      DrawCaptions();
    }
    DrawBar(strip, i + 1, false);
    HoldUntil(ticker, shownAt + i * kStepMs);
    PresentFrame();
  };
  hooks.afterFirstMove = [](int) {
    if (KeyPressCount(kKeyEscape) > 0 && Confirm(kQuitQuestion)) EndProgram();
  };
  SearchResult result = RunSearch(depth, hooks);

  DrawBackground(0);
  DrawCaptions();
  DrawBar(strip, kBarCells - 1, true);
  HoldUntil(ticker, shownAt + kBarCells * kStepMs);
  PresentFrame();
  HoldUntil(ticker, shownAt + (kBarCells + 1) * kStepMs);
  return result.move;
}
