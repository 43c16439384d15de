// The state bugs five-in-a-row games are known for: take back and replay at
// the edges of a game (just ended, full board, only the computer's stone),
// commands while the game-over display runs, and a board played full.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/game.h"
#include "engine_link/engine_link.h"
#include "engine_test_support.h"
#include "game/game_state.h"
#include "persist/game_record.h"
#include "persist/game_record_codec.h"
#include "screens/game_over.h"
#include "screens/new_game.h"
#include "screens_test_support.h"
#include "view/presentation.h"

using namespace screens_test;

namespace {

using Move = std::array<int32_t, 2>;

// Yellow at (x, y) where (x + 2y) mod 4 < 2, blue elsewhere: runs of at most
// two along rows and diagonals, alternating colours down columns, so the
// full board holds no five. 113 yellow and 112 blue squares.
int FillColour(int x, int y) { return (x + 2 * y) % 4 < 2 ? kYellow : kBlue; }

std::vector<Move> FillOrder() {
  std::vector<Move> yellow, blue, order;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      (FillColour(x, y) == kYellow ? yellow : blue).push_back({x, y});
  for (size_t i = 0; i < yellow.size(); ++i) {
    order.push_back(yellow[i]);
    if (i < blue.size()) order.push_back(blue[i]);
  }
  return order;
}

class StateBugs : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = OpenTestWindow();
    for (int kind = 0; kind < 6; ++kind)
      for (int view = 0; view < 2; ++view) {
        StonePicture[kind][view] = LoadPicture("incbin::media/" + std::string(view ? "2D" : "3D") +
                                               "-button-" + std::to_string(kind) + ".png");
        CentreHandle(StonePicture[kind][view]);
      }
  }
  void TearDown() override {
    backend->onFrame = nullptr;
    if (!file.empty()) std::filesystem::remove(file);
  }

  // Plays moves alternately from yellow (or blue when blueFirst).
  static void Play(const std::vector<Move>& moves, bool blueFirst = false) {
    int colour = blueFirst ? kBlue : kYellow;
    for (const Move& m : moves) {
      PlaceStone(m[0], m[1], colour);
      colour = colour == kYellow ? kBlue : kYellow;
    }
    GameResult = CheckGameResult();
  }

  // Yellow five along row 7, blue answers in row 0 (blue's answer is not
  // made after the winning move).
  static std::vector<Move> YellowWins() {
    return {{3, 7}, {0, 0}, {4, 7}, {1, 0}, {5, 7}, {2, 0}, {6, 7}, {3, 0}, {7, 7}};
  }
  static std::vector<Move> BlueWins() {
    return {{3, 7}, {0, 0}, {4, 7}, {1, 0}, {5, 7}, {2, 0}, {6, 7}, {3, 0}, {9, 9}, {4, 0}};
  }

  // Replay and the result it leaves for the game-over display.
  int ReplayNoting(int colour) {
    const int result = Replay(colour);
    shownResult = GameResult;
    return result;
  }

  // Every invariant the game relies on: the record is consistent and the
  // replay list is one unbroken run after the last move.
  static void ExpectConsistent() {
    EXPECT_TRUE(GameIsConsistent(Board, History, MoveCount));
    bool ended = false;
    for (int i = MoveCount; i < kSquares; ++i) {
      if (History[i][0] < 0) ended = true;
      if (ended) {
        EXPECT_EQ(History[i], (Move{-1, -1})) << "entry " << i;
      }
    }
  }

  std::shared_ptr<HeadlessBackend> backend;
  int shownResult = 0;
  std::string file;
};

TEST_F(StateBugs, TakeBackAfterYellowsWinAgainstTheComputerRemovesOnlyTheWinningStone) {
  PlayerKind[kBlue] = Konsequente;
  Play(YellowWins());
  ASSERT_EQ(GameResult, 1);
  const BoardCells won = Board;
  EXPECT_EQ(TakeBack(kYellow), 1);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(MoveCount, 8);
  EXPECT_EQ(Board[7][7], kEmpty);
  EXPECT_EQ(Board[3][0], kBlue);
  EXPECT_EQ(SkipBlueTurn, 1) << "yellow moves again, not the computer";
  EXPECT_EQ(History[8], (Move{7, 7})) << "kept for replay";
  ExpectConsistent();

  // Replay puts the winning stone back and the display shows the win again.
  ReplayNoting(kYellow);
  EXPECT_EQ(shownResult, 1);
  EXPECT_EQ(Board, won);
  EXPECT_EQ(MoveCount, 9);
  ExpectConsistent();
}

TEST_F(StateBugs, TakeBackAfterTheComputersWinRemovesItsMoveAndYellowsBefore) {
  PlayerKind[kBlue] = Denker;
  Play(BlueWins());
  ASSERT_EQ(GameResult, 2);
  const BoardCells won = Board;
  EXPECT_EQ(TakeBack(kYellow), 1);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(MoveCount, 8);
  EXPECT_EQ(Board[4][0], kEmpty);
  EXPECT_EQ(Board[9][9], kEmpty);
  EXPECT_EQ(SkipBlueTurn, 0);
  ExpectConsistent();

  ReplayNoting(kYellow);
  EXPECT_EQ(shownResult, 2);
  EXPECT_EQ(Board, won) << "yellow's stone and the computer's win, each in its colour";
  EXPECT_EQ(MoveCount, 10);
  ExpectConsistent();
}

TEST_F(StateBugs, TakeBackAfterABlueWinBetweenHumansRemovesOneStone) {
  PlayerKind[kBlue] = Multiplayer;
  Play(BlueWins());
  ASSERT_EQ(GameResult, 2);
  EXPECT_EQ(TakeBack(kYellow), 1);
  EXPECT_EQ(MoveCount, 9);
  EXPECT_EQ(Board[4][0], kEmpty);
  EXPECT_EQ(Board[9][9], kYellow);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(SkipBlueTurn, 0);
  // Replay by blue (the next to move) restores blue's stone, not yellow's.
  ReplayNoting(kBlue);
  EXPECT_EQ(shownResult, 2);
  EXPECT_EQ(Board[4][0], kBlue);
  ExpectConsistent();
}

TEST_F(StateBugs, FullBoardWithoutFiveEndsWithNoWinnerAndKeepsAllMoves) {
  PlayerKind[kBlue] = Multiplayer;
  const std::vector<Move> order = FillOrder();
  ASSERT_EQ(order.size(), size_t(kSquares));
  Play(order);
  EXPECT_EQ(MoveCount, kSquares);
  EXPECT_EQ(GameResult, 3);
  for (int i = 0; i < kSquares; ++i) {
    ASSERT_EQ(History[i], order[size_t(i)]) << "move " << i;
    EXPECT_EQ(Board[order[size_t(i)][0]][order[size_t(i)][1]], i % 2 == 0 ? kYellow : kBlue);
  }
  ExpectConsistent();

  // The largest record: 679 bytes, and it reads back into the same game.
  const std::vector<uint8_t> bytes = GameRecordBytes();
  EXPECT_EQ(bytes.size(), kGameRecordMaxBytes);
  const BoardCells board = Board;
  const MoveList history = History;
  ResetForNewGame();
  ASSERT_TRUE(ApplyGameRecord(bytes, 0, true));
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(MoveCount, kSquares);
  EXPECT_EQ(CheckGameResult(), 3);

  // Replay at MoveCount 225 has nothing to replay and must not look past
  // the history.
  EXPECT_EQ(Replay(kYellow), 0);
  EXPECT_EQ(MoveCount, kSquares);
}

// After no one can win on yellow's last stone, take back removes that stone
// and the computer's before it. The two free squares still leave no window
// open, so the computer finds no move worth making, places nothing and the
// position is shown as decided again, with both moves left to replay.
TEST_F(StateBugs, TakeBackOnAFullBoardAgainstTheComputerStaysDecided) {
  PlayerKind[kBlue] = Flexible;
  const std::vector<Move> order = FillOrder();
  Play(order);
  ASSERT_EQ(GameResult, 3);
  TakeBack(kYellow);
  EXPECT_EQ(MoveCount, kSquares - 2);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(Board[order[223][0]][order[223][1]], kEmpty);
  EXPECT_EQ(Board[order[224][0]][order[224][1]], kEmpty);
  ExpectConsistent();
  const BoardCells board = Board;
  EXPECT_EQ(ComputerTurn(), 1);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(MoveCount, kSquares - 2);
  EXPECT_EQ(CheckGameResult(), 3);
  EXPECT_EQ(History[kSquares - 1], order[224]);
  ExpectConsistent();
}

TEST_F(StateBugs, TakeBackAfterNoOneCanWinMidGameRemovesTwoMoves) {
  PlayerKind[kBlue] = Spontane;
  // Play the fill until the rules see that no five can be made any more.
  const std::vector<Move> order = FillOrder();
  size_t played = 0;
  int colour = kYellow;
  GameResult = 0;
  while (GameResult == 0 && played < order.size()) {
    PlaceStone(order[played][0], order[played][1], colour);
    colour = colour == kYellow ? kBlue : kYellow;
    ++played;
    GameResult = CheckGameResult();
  }
  ASSERT_EQ(GameResult, 3);
  ASSERT_LT(played, order.size()) << "decided before the board is full";
  TakeBack(kYellow);
  EXPECT_EQ(MoveCount, int(played) - 2) << "the last move and the one before it";
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(History[played - 1], order[played - 1]) << "kept for replay";
  ExpectConsistent();
  if (played % 2 == 0) {
    // Ended on the computer's move: yellow is next, and replay restores both.
    ReplayNoting(kYellow);
    EXPECT_EQ(shownResult, 3);
    EXPECT_EQ(MoveCount, int(played));
    for (size_t i = 0; i < played; ++i)
      EXPECT_EQ(Board[order[i][0]][order[i][1]], i % 2 == 0 ? kYellow : kBlue);
  } else {
    EXPECT_EQ(ComputerTurn(), 1);
    EXPECT_EQ(MoveCount, int(played) - 1);
  }
  ExpectConsistent();
}

TEST_F(StateBugs, TakeBackWithOnlyTheComputersStoneDoesNothing) {
  PlayerKind[kBlue] = Konsequente;
  BlueBegins = 1;
  Play({{7, 7}}, true);
  ASSERT_EQ(Board[7][7], kBlue);
  const BoardCells board = Board;
  const MoveList history = History;
  TakeBack(kYellow);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(MoveCount, 1);
  EXPECT_EQ(Replay(kYellow), 0) << "nothing to replay";
  EXPECT_EQ(Board, board);

  // A move of each later, take back returns to the computer's opening stone
  // and never below it; replay brings both moves back in their colours.
  PlaceStone(8, 8, kYellow);
  PlaceStone(9, 9, kBlue);
  const BoardCells three = Board;
  TakeBack(kYellow);
  EXPECT_EQ(MoveCount, 1);
  EXPECT_EQ(Board, board);
  TakeBack(kYellow);
  EXPECT_EQ(MoveCount, 1);
  EXPECT_EQ(Board[7][7], kBlue);
  EXPECT_EQ(ReplayNoting(kYellow), 1);
  EXPECT_EQ(Board, three);
  EXPECT_EQ(MoveCount, 3);
  ExpectConsistent();
}

TEST_F(StateBugs, ReplayListIsCutByANewStoneAndSurvivesManyTakeBacks) {
  PlayerKind[kBlue] = Multiplayer;
  Play(BlueWins());
  for (int i = 0; i < 12; ++i) TakeBack(i % 2 ? kBlue : kYellow);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(Board, BoardCells{});
  for (int i = 0; i < 3; ++i) ReplayNoting(i % 2 ? kBlue : kYellow);
  EXPECT_EQ(MoveCount, 3);
  EXPECT_EQ(Board[4][7], kYellow);
  PlaceStone(14, 14, kBlue);
  EXPECT_EQ(History[4], (Move{-1, -1}));
  EXPECT_EQ(Replay(kYellow), 0);
  ExpectConsistent();
}

// ---- commands while the game-over display runs

TEST_F(StateBugs, NewGameFromTheGameOverDisplayClearsTheBoardAndEndsIt) {
  PlayerKind[kBlue] = Flexible;
  Play(YellowWins());
  ASSERT_EQ(GameResult, 1);
  auto dock = BuildNewGameDock();
  FrameScript script(backend);
  const int64_t opened = script.Click(5, LeftDockEntry(0), 14);
  script.Click(opened + 5, HorizontalDockEntry(*dock, NewGameDockX(), kNewGameDockY, 4), 14);
  script.At(600, [&] { backend->RequestClose(); });
  GameOverScreen();
  EXPECT_LT(script.Elapsed(), 600);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(Board, BoardCells{});
  EXPECT_EQ(PlayerKind[kBlue], Denker);
  EXPECT_EQ(History[0], (Move{-1, -1})) << "nothing of the old game to replay";
  EXPECT_TRUE(backend->questions.empty()) << "a finished game is left without asking";
}

TEST_F(StateBugs, LoadFromTheGameOverDisplayTakesTheLoadedGame) {
  PlayerKind[kBlue] = Multiplayer;
  Play({{1, 1}, {2, 2}, {3, 3}});
  const std::vector<uint8_t> unfinished = GameRecordBytes();
  const BoardCells loadedBoard = Board;
  file = std::filesystem::temp_directory_path() /
         ("kavro-statebugs-" + std::to_string(getpid()) + ".KVs");
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(unfinished.data()), std::streamsize(unfinished.size()));
  }
  ResetForNewGame();
  PlayerKind[kBlue] = Spontane;
  Play(BlueWins());
  ASSERT_EQ(GameResult, 2);

  backend->fileAnswers = {file};
  FrameScript script(backend);
  script.Click(5, LeftDockEntry(1), 14);
  script.At(400, [&] { backend->RequestClose(); });
  GameOverScreen();
  EXPECT_LT(script.Elapsed(), 400);
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(Board, loadedBoard);
  EXPECT_EQ(MoveCount, 3);
  EXPECT_EQ(PlayerKind[kBlue], Multiplayer);
  EXPECT_EQ(History[3], (Move{-1, -1}));
  ExpectConsistent();
}

TEST_F(StateBugs, ViewSwitchDuringTheGameOverDisplayKeepsTheGameAndTheDisplay) {
  PlayerKind[kBlue] = Konsequente;
  Play(YellowWins());
  const BoardCells board = Board;
  const MoveList history = History;
  int windowsBefore = backend->windowOpenCount;
  int resultAfterSwitch = -1;
  size_t lit = 0;
  FrameScript script(backend);
  const int64_t switched = script.Click(5, RightDockEntry(0), 14);
  script.At(switched + 60, [&] {
    resultAfterSwitch = GameResult;
    // The perspective highlight: the five winning stones lit once more.
    for (const auto& call : backend->lastFrame)
      if (call.kind == DrawCommand::kPicture && call.state.blend == kBlendLight) ++lit;
    GameResult = 0;
  });
  GameOverScreen();
  EXPECT_EQ(View2D, 0);
  EXPECT_EQ(backend->windowOpenCount, windowsBefore + 1);
  EXPECT_EQ(WindowWidth, 1400);
  EXPECT_EQ(resultAfterSwitch, 1);
  EXPECT_EQ(lit, 5u);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(MoveCount, 9);
}

// ---- commands clicked while the Denker prepares its search (it acts as
// yellow there, during blue's turn)

// Nine scattered stones, no threat anywhere, so the Denker searches; blue
// is to move.
std::vector<Move> QuietNine() {
  return {{7, 7}, {2, 2}, {7, 11}, {12, 2}, {11, 7}, {2, 12}, {3, 7}, {12, 12}, {10, 11}};
}

class DenkerPreparation : public StateBugs {
 protected:
  // Presses on `entry` in frames of a non-reacting screen and lets go just
  // before the computer's turn, so the search preparation's one reacting
  // pass sees the click.
  void ClickDuringTheComputersTurn(Point entry, const std::function<void()>& insideTurn = {}) {
    backend->MoveTo(entry.x, entry.y);
    for (int frame = 0; frame < 14; ++frame) {
      if (frame == 12) backend->Press(1);
      Action->update();
      RunMenuDocks(kYellow, 0);
      PresentFrame();
    }
    backend->Release(1);
    if (insideTurn) insideTurn();
    EXPECT_EQ(ComputerTurn(), 1);
  }
};

TEST_F(DenkerPreparation, ReplayPutsTheStonesBackInTheColoursThatMadeThem) {
  PlayerKind[kBlue] = Denker;
  const std::vector<Move> nine = QuietNine();
  Play(nine);
  ASSERT_EQ(GameResult, 0);
  // Taken back in blue's turn: yellow's last stone and blue's before it, so
  // the replay list starts with blue's move.
  TakeBack(kYellow);
  ASSERT_EQ(MoveCount, 7);

  ClickDuringTheComputersTurn(RightDockEntry(5));
  for (size_t i = 0; i < nine.size(); ++i)
    EXPECT_EQ(Board[nine[i][0]][nine[i][1]], i % 2 == 0 ? kYellow : kBlue) << "move " << i;
  // Both replayed, then the computer's own move: still blue's turn after
  // the replay, so one blue stone more and not a second yellow.
  ASSERT_EQ(MoveCount, 10);
  EXPECT_EQ(Board[History[9][0]][History[9][1]], kBlue);
  ExpectConsistent();
}

TEST_F(DenkerPreparation, TakeBackLetsTheComputerChooseAgainForTheEarlierPosition) {
  PlayerKind[kBlue] = Denker;
  const std::vector<Move> nine = QuietNine();
  Play(nine);
  ClickDuringTheComputersTurn(RightDockEntry(4));
  // Yellow's last stone and blue's before it are gone, and blue moves anew.
  ASSERT_EQ(MoveCount, 8);
  EXPECT_EQ(Board[History[7][0]][History[7][1]], kBlue);
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(Board[nine[i][0]][nine[i][1]], i % 2 == 0 ? kYellow : kBlue);
  ExpectConsistent();
}

TEST_F(DenkerPreparation, NewGameGivesTheComputerTheFirstStoneOnlyWhenBlueBegins) {
  const auto chooseKonsequente = [this] {
    backend->confirmAnswers = {1};
    auto dock = BuildNewGameDock();
    const Point entry = HorizontalDockEntry(*dock, NewGameDockX(), kNewGameDockY, Konsequente - 1);
    // The script starts with the new-game screen's frames.
    backend->onFrame = [this, entry, frame = 0](int64_t) mutable {
      if (++frame == 2) backend->MoveTo(entry.x, entry.y);
      if (frame == 14) backend->Press(1);
      if (frame == 15) backend->Release(1);
    };
  };
  for (int blueBegins = 0; blueBegins < 2; ++blueBegins) {
    SCOPED_TRACE(blueBegins);
    ResetForNewGame();
    PlayerKind[kBlue] = Denker;
    BlueBegins = uint8_t(blueBegins);
    Play(QuietNine());
    ClickDuringTheComputersTurn(LeftDockEntry(0), chooseKonsequente);
    backend->onFrame = nullptr;
    EXPECT_EQ(PlayerKind[kBlue], Konsequente);
    if (blueBegins == 0) {
      EXPECT_EQ(MoveCount, 0) << "yellow begins: no blue stone";
      EXPECT_EQ(Board, BoardCells{});
    } else {
      ASSERT_EQ(MoveCount, 1);
      EXPECT_EQ(Board[History[0][0]][History[0][1]], kBlue);
    }
    ExpectConsistent();
  }
}

TEST_F(DenkerPreparation, NetworkLetsTheEngineMakeBluesMoveAndTheDenkerAddsNone) {
  engine_test::PortLock lock;
  engine_test::Peer listener(kEnginePort), engine;
  ASSERT_TRUE(listener.Bound());
  PlayerKind[kBlue] = Denker;
  Play(QuietNine());
  std::vector<uint8_t> position;
  backend->onFrame = [&](int64_t) {
    std::vector<uint8_t> got;
    if (position.empty() && listener.Receive(got, 0)) {
      position = got;
      EXPECT_TRUE(engine.SendTo(kMovePort, {14, 0, 0}));
      usleep(2000);
    }
  };
  ClickDuringTheComputersTurn(RightDockEntry(3));
  backend->onFrame = nullptr;
  ASSERT_EQ(position.size(), size_t(kSquares));
  EXPECT_EQ(position[7 * kBoardSize + 7], 2) << "the engine was asked for blue's move";
  EXPECT_EQ(Board[14][0], kBlue);
  EXPECT_EQ(MoveCount, 10) << "the engine's stone and no Denker stone";
  ExpectConsistent();
}

}  // namespace
