#include <gtest/gtest.h>

#include <vector>

#include "ai/evaluation.h"
#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "toolkit/TAction.h"
#include "view/presentation.h"

namespace {

class Rules : public ::testing::Test {
 protected:
  void SetUp() override { ResetGameStateGlobals(); }

  static void Place(std::initializer_list<std::array<int, 3>> stones) {
    for (const auto& s : stones) PlaceStone(s[0], s[1], s[2]);
  }
  static void Expect(std::array<int, 5> xs, std::array<int, 5> ys) {
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(WinRowX[i], xs[i]) << i;
      EXPECT_EQ(WinRowY[i], ys[i]) << i;
    }
  }
};

TEST_F(Rules, StartValues) {
  Board[3][3] = 1;
  MoveCount = 9;
  WinRowX[2] = 4;
  ResetGameStateGlobals();
  EXPECT_EQ(Board[3][3], 0);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(PlayerKind[0], -1);
  EXPECT_EQ(PlayerKind[1], Human);
  EXPECT_EQ(PlayerKind[2], Spontane);
  EXPECT_EQ(WinRowX[2], -1);
  EXPECT_EQ(History[224][0], -1);
  EXPECT_EQ(Rotation, 0);
}

TEST_F(Rules, PlaceStoneRecordsAndCutsReplayList) {
  Place({{7, 7, 1}, {8, 8, 2}, {9, 9, 1}});
  EXPECT_EQ(MoveCount, 3);
  EXPECT_EQ(Board[8][8], 2);
  EXPECT_EQ(History[1][0], 8);
  PlayerKind[2] = Multiplayer;
  ASSERT_EQ(TakeBack(1), 1);
  ASSERT_EQ(TakeBack(2), 1);
  EXPECT_EQ(History[2][0], 9);  // kept for replay
  PlaceStone(0, 0, 2);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(History[1][0], 0);
  EXPECT_EQ(History[2][0], -1);
  EXPECT_EQ(History[2][1], -1);
  EXPECT_EQ(Replay(1), 0);
}

TEST_F(Rules, EmptyBoardAndOpenFourRunOn) {
  EXPECT_EQ(CheckGameResult(), 0);
  Place({{3, 7, 1}, {4, 7, 1}, {5, 7, 1}, {6, 7, 1}});
  EXPECT_EQ(CheckGameResult(), 0);
  EXPECT_EQ(WinRowX[0], -1);
}

TEST_F(Rules, FiveInEachDirectionWithItsRowOrder) {
  Place({{3, 7, 1}, {4, 7, 1}, {5, 7, 1}, {6, 7, 1}, {7, 7, 1}});
  EXPECT_EQ(CheckGameResult(), 1);
  Expect({7, 6, 5, 4, 3}, {7, 7, 7, 7, 7});

  ResetGameStateGlobals();
  Place({{2, 6, 2}, {3, 5, 2}, {4, 4, 2}, {5, 3, 2}, {6, 2, 2}});
  EXPECT_EQ(CheckGameResult(), 2);
  Expect({6, 5, 4, 3, 2}, {2, 3, 4, 5, 6});

  ResetGameStateGlobals();
  for (int y = 10; y <= 14; ++y) PlaceStone(14, y, 1);
  EXPECT_EQ(CheckGameResult(), 1);
  Expect({14, 14, 14, 14, 14}, {14, 13, 12, 11, 10});

  ResetGameStateGlobals();
  for (int i = 0; i < 5; ++i) PlaceStone(10 + i, 10 + i, 2);
  EXPECT_EQ(CheckGameResult(), 2);
  Expect({14, 13, 12, 11, 10}, {14, 13, 12, 11, 10});
}

TEST_F(Rules, ScanOrderDecidesWhichFiveIsRecorded) {
  // Six in a row: the five starting at the first stone in scan order.
  for (int x = 2; x <= 7; ++x) PlaceStone(x, 0, 1);
  EXPECT_EQ(CheckGameResult(), 1);
  Expect({6, 5, 4, 3, 2}, {0, 0, 0, 0, 0});

  // A column and a row through the same start square: the column is tested first.
  ResetGameStateGlobals();
  for (int i = 0; i < 5; ++i) PlaceStone(0, i, 2);
  for (int i = 1; i < 5; ++i) PlaceStone(i, 0, 2);
  EXPECT_EQ(CheckGameResult(), 2);
  Expect({0, 0, 0, 0, 0}, {4, 3, 2, 1, 0});

  // A yellow five further down loses to a blue five in an earlier row.
  ResetGameStateGlobals();
  for (int i = 0; i < 5; ++i) PlaceStone(5 + i, 12, 1);
  for (int i = 0; i < 5; ++i) PlaceStone(i, 3, 2);
  EXPECT_EQ(CheckGameResult(), 2);
}

TEST_F(Rules, BrokenRowAndEdgeDoNotWin) {
  Place({{10, 3, 1}, {11, 3, 1}, {12, 3, 1}, {13, 3, 1}, {14, 3, 2}, {9, 3, 2}});
  Place({{0, 14, 1}, {1, 13, 1}, {2, 12, 1}, {3, 11, 1}, {5, 9, 1}});
  EXPECT_EQ(CheckGameResult(), 0);
}

// Every window holds both colours: columns alternate in pairs so each row,
// column and diagonal window mixes them.
void FillBlocked(int emptyX, int emptyY) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      if (x == emptyX && y == emptyY) continue;
      Board[x][y] = ((x / 2 + y) % 2) ? 2 : 1;
    }
}

// The reference: every window of five on the board.
bool AnyOpenWindow() {
  const int d[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y)
      for (auto& v : d) {
        int ex = x + 4 * v[0], ey = y + 4 * v[1];
        if (ex < 0 || ex > 14 || ey < 0 || ey > 14) continue;
        int c[3] = {0, 0, 0};
        for (int s = 0; s < 5; ++s) c[Board[x + s * v[0]][y + s * v[1]]]++;
        if (c[0] > 0 && (c[1] == 0 || c[2] == 0)) return true;
      }
  return false;
}

TEST_F(Rules, NoOneCanWinOnFullOrBlockedBoards) {
  FillBlocked(-1, -1);
  ASSERT_FALSE(AnyOpenWindow());
  EXPECT_EQ(CheckGameResult(), 3);

  ResetGameStateGlobals();
  FillBlocked(7, 7);
  Board[8][7] = 0;
  Board[0][0] = 0;
  EXPECT_EQ(AnyOpenWindow(), NoOneCanWin() == false);
  EXPECT_EQ(CheckGameResult(), AnyOpenWindow() ? 0 : 3);

  // One window with a single colour and a gap stays open.
  ResetGameStateGlobals();
  FillBlocked(-1, -1);
  for (int x = 0; x < 5; ++x) Board[x][0] = 1;
  Board[2][0] = 0;
  EXPECT_FALSE(NoOneCanWin());
  EXPECT_EQ(CheckGameResult(), 0);
}

TEST_F(Rules, NoOneCanWinAgreesWithWindowCountOnRandomBoards) {
  InstallHeadlessBackend();
  SeedRandom(99);
  int decided = 0;
  for (int round = 0; round < 300; ++round) {
    ResetGameStateGlobals();
    const int empties = RandomInt(0, 12);
    FillBlocked(-1, -1);
    // Random flips make some windows single-coloured.
    for (int k = 0; k < RandomInt(0, 6); ++k)
      Board[RandomInt(0, 14)][RandomInt(0, 14)] = RandomInt(1, 2);
    for (int k = 0; k < empties; ++k) Board[RandomInt(0, 14)][RandomInt(0, 14)] = 0;
    EXPECT_EQ(NoOneCanWin(), !AnyOpenWindow()) << round;
    decided += NoOneCanWin();
  }
  EXPECT_GT(decided, 0);
  EXPECT_LT(decided, 300);
}

TEST_F(Rules, NoOneCanWinAgreesWithThePotentialTest) {
  InstallHeadlessBackend();
  SeedRandom(7);
  for (int round = 0; round < 200; ++round) {
    ResetGameStateGlobals();
    FillBlocked(-1, -1);
    for (int k = 0; k < RandomInt(0, 5); ++k)
      Board[RandomInt(0, 14)][RandomInt(0, 14)] = RandomInt(1, 2);
    for (int k = 0; k < RandomInt(0, 20); ++k) Board[RandomInt(0, 14)][RandomInt(0, 14)] = 0;
    ComputePotential();
    RankCandidates();
    EXPECT_EQ(NoOneCanWin(), TopValue[0][0] == 0) << round;
  }
}

TEST_F(Rules, NoOneCanWinLeavesEvaluationTablesAlone) {
  Potential[3][4][1] = 12345;
  TopValue[0][0] = 777;
  FillBlocked(-1, -1);
  CheckGameResult();
  EXPECT_EQ(Potential[3][4][1], 12345);
  EXPECT_EQ(TopValue[0][0], 777);
}

TEST_F(Rules, TakeBackAgainstComputer) {
  PlayerKind[2] = Denker;
  PlaceStone(7, 7, 1);
  EXPECT_EQ(TakeBack(1), 0);  // one stone: nothing happens
  EXPECT_EQ(MoveCount, 1);
  Place({{8, 8, 2}, {6, 6, 1}, {9, 9, 2}});
  EXPECT_EQ(TakeBack(1), 1);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(Board[6][6], 0);
  EXPECT_EQ(Board[9][9], 0);
  EXPECT_EQ(SkipBlueTurn, 0);
  // Replay restores both with their colours.
  EXPECT_EQ(Replay(1), 1);
  EXPECT_EQ(MoveCount, 4);
  EXPECT_EQ(Board[6][6], 1);
  EXPECT_EQ(Board[9][9], 2);
  EXPECT_EQ(GameResult, 0);
}

TEST_F(Rules, TakeBackAfterNoWinnerOnYellowsMoveAgainstComputer) {
  PlayerKind[2] = Flexible;
  Place({{0, 0, 1}, {1, 0, 2}, {2, 0, 1}});
  GameResult = 3;
  EXPECT_EQ(TakeBack(1), 1);
  EXPECT_EQ(MoveCount, 1);
  EXPECT_EQ(Board[2][0], 0);
  EXPECT_EQ(Board[1][0], 0);
  EXPECT_EQ(Board[0][0], 1);
}

TEST_F(Rules, TakeBackAndReplayBetweenTwoHumans) {
  PlayerKind[2] = Multiplayer;
  EXPECT_EQ(TakeBack(1), 0);
  Place({{7, 7, 1}, {8, 8, 2}, {6, 6, 1}});
  EXPECT_EQ(TakeBack(2), 1);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(SkipBlueTurn, 0);
  EXPECT_EQ(TakeBack(1), 1);
  EXPECT_EQ(TakeBack(2), 1);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(TakeBack(1), 0);
  // Replay one at a time, each in the acting colour.
  EXPECT_EQ(Replay(1), 1);
  EXPECT_EQ(MoveCount, 1);
  EXPECT_EQ(Board[7][7], 1);
  EXPECT_EQ(Board[8][8], 0);
  EXPECT_EQ(Replay(2), 1);
  EXPECT_EQ(Board[8][8], 2);
  EXPECT_EQ(Replay(1), 1);
  EXPECT_EQ(Replay(2), 0);
  EXPECT_EQ(MoveCount, 3);
}

TEST_F(Rules, RotateBoardTurnsEverything) {
  Place({{0, 0, 1}, {14, 0, 2}, {3, 5, 1}});
  PlayerKind[2] = Multiplayer;
  TakeBack(2);  // (3, 5) stays in the history for replay
  for (int i = 0; i < 5; ++i) WinRowX[i] = i, WinRowY[i] = 2;
  WinRowX[4] = -1;
  const BoardCells board = Board;
  const MoveList history = History;
  RotateBoard();
  EXPECT_EQ(Rotation, 1);
  EXPECT_EQ(Board[14][0], 1);
  EXPECT_EQ(Board[14][14], 2);
  EXPECT_EQ(Board[0][0], 0);
  EXPECT_EQ(History[0][0], 14);
  EXPECT_EQ(History[0][1], 0);
  EXPECT_EQ(History[2][0], 14 - 5);
  EXPECT_EQ(History[2][1], 3);
  EXPECT_EQ(History[3][0], -1);
  EXPECT_EQ(WinRowX[0], 12);
  EXPECT_EQ(WinRowY[0], 0);
  EXPECT_EQ(WinRowX[4], -1);
  RotateBoard();
  RotateBoard();
  RotateBoard();
  EXPECT_EQ(Rotation, 0);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(WinRowX[1], 1);
  EXPECT_EQ(WinRowY[1], 2);
}

TEST_F(Rules, RotatedFiveIsFoundAgain) {
  for (int i = 0; i < 5; ++i) PlaceStone(2 + i, 4, 1);
  ASSERT_EQ(CheckGameResult(), 1);
  RotateBoard();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Board[WinRowX[i]][WinRowY[i]], 1);
  EXPECT_EQ(CheckGameResult(), 1);
}

TEST_F(Rules, ResetForNewGameKeepsPlayersAndRotation) {
  PlayerKind[2] = Denker;
  Rotation = 2;
  BlueBegins = 1;
  WinRowX[0] = 5;
  Place({{1, 1, 1}, {2, 2, 2}});
  GameResult = 3;
  ResetForNewGame();
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(Board[1][1], 0);
  EXPECT_EQ(History[0][0], -1);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(PlayerKind[2], Denker);
  EXPECT_EQ(Rotation, 2);
  EXPECT_EQ(BlueBegins, 1);
  EXPECT_EQ(WinRowX[0], 5);
}

TEST_F(Rules, GameIsConsistent) {
  BoardCells board{};
  MoveList history{};
  for (auto& e : history) e = {-1, -1};
  EXPECT_TRUE(GameIsConsistent(board, history, 0));
  EXPECT_FALSE(GameIsConsistent(board, history, -1));
  EXPECT_FALSE(GameIsConsistent(board, history, 226));

  history[0] = {3, 4};
  board[3][4] = 2;  // blue began
  EXPECT_TRUE(GameIsConsistent(board, history, 1));
  history[1] = {5, 5};
  board[5][5] = 2;  // two blue, no yellow
  EXPECT_FALSE(GameIsConsistent(board, history, 2));
  board[5][5] = 1;
  EXPECT_TRUE(GameIsConsistent(board, history, 2));
  board[9][9] = 1;  // a stone outside the history
  EXPECT_FALSE(GameIsConsistent(board, history, 2));
  board[9][9] = 0;
  EXPECT_FALSE(GameIsConsistent(board, history, 3));  // an entry past the moves is (-1, -1)
  history[2] = {3, 4};                                // the same square twice
  board[3][4] = 2;
  EXPECT_FALSE(GameIsConsistent(board, history, 3));
  history[2] = {15, 0};
  EXPECT_FALSE(GameIsConsistent(board, history, 3));
  board[5][5] = 3;
  EXPECT_FALSE(GameIsConsistent(board, history, 2));
  board[5][5] = 0;
  EXPECT_FALSE(GameIsConsistent(board, history, 2));  // a move on an empty square
}

}  // namespace
