// The two turn loops of a move: the human's turn and the computer's turn.
#include <optional>

#include "ai/opponents.h"
#include "app/game.h"
#include "game/game_state.h"
#include "platform/platform.h"
#include "screens/menu_docks.h"
#include "screens/stone_flight.h"
#include "toolkit/TAction.h"
#include "view/board_view.h"
#include "view/presentation.h"

// The stones say whose move it is; a computer's stone is never placed by a click.
static bool HumanMayPlace(int colour) {
  const int mover = BlueToMove() ? kBlue : kYellow;
  return GameResult == 0 && colour == mover && PlayerKind[colour] <= Multiplayer;
}

int32_t HumanTurn(int colour) {
  Action->flush(-99999, -99999);
  SkipBlueTurn = 0;
  while (true) {
    DrawBoardPicture();
    DrawStones();
    Action->update();
    if (RunMenuDocks(colour, 1) == 1) return 1;
    // A command (a loaded game, a new game against the computer) may have
    // given the move to the other colour: the main loop hands it over.
    if (!HumanMayPlace(colour)) return 1;
    PresentFrame();
    if (Action->MouseKey == 1) {
      int x = 0, y = 0;
      if (PickSquare(Action->X, Action->Y, x, y)) {
        PlaceStone(x, y, colour);
        return 1;
      }
    }
    AskQuitOnEscape();
    KeepMusicAlive();
    if (Action->Close) return 0;
  }
}

int32_t ComputerTurn() {
  const std::optional<Move> move = ChooseComputerMove(DenkerThinking);
  if (!move) return 1;
  const int x = move->first, y = move->second;
  if (x < 0 || x >= kBoardSize || y < 0 || y >= kBoardSize || Board[x][y] != kEmpty) return 1;
  FlyStone(x, y, kBlue, false);
  PlaceStone(x, y, kBlue);
  return 1;
}
