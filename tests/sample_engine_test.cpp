// The sample engine: the move chooser (move.cpp) and the program's datagram
// side (main.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "engine_test_support.h"
#include "move.h"
#include "table.h"
#include "timeman.h"

namespace {

using Square = std::pair<int, int>;
using Cells = std::array<uint8_t, 225>;

Cells Position(std::initializer_list<Square> own, std::initializer_list<Square> theirs) {
  Cells cells{};
  for (auto [x, y] : own) cells[15 * x + y] = 1;
  for (auto [x, y] : theirs) cells[15 * x + y] = 2;
  return cells;
}

Square Choose(const Cells& cells, int budgetMs = 100) {
  int x = -1, y = -1;
  EXPECT_TRUE(ChooseEngineMove(cells.data(), budgetMs, x, y));
  return {x, y};
}

TEST(SampleEngineMove, AnswersAnEmptySquareWithinTheBudgetEvenOnCrowdedBoards) {
  std::mt19937 random(7);
  for (int game = 0; game < 14; ++game) {
    Cells cells{};
    if (game < 7) {
      for (int i = int(random() % 60); i > 0; --i)
        cells[random() % 225] = uint8_t(1 + random() % 2);
    } else {
      // Pairs in every row, colours alternating down the columns: no line
      // holds three of a kind. A few holes are left to play in.
      for (int s = 0; s < 225; ++s) cells[s] = uint8_t(1 + ((s / 15) / 2 + s % 15) % 2);
      for (int i = 3 + int(random() % 30); i > 0; --i) cells[random() % 225] = 0;
    }
    int budget = 20 + int(random() % 150);
    auto start = std::chrono::steady_clock::now();
    auto [x, y] = Choose(cells, budget);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    ASSERT_TRUE(x >= 0 && x < 15 && y >= 0 && y < 15) << x << "," << y;
    EXPECT_EQ(cells[15 * x + y], 0) << "occupied " << x << "," << y;
    EXPECT_LE(ms, budget + 50) << "game " << game;
  }
}

TEST(SampleEngineMove, FullBoardHasNoMoveAndTheLastSquareIsTaken) {
  Cells cells;
  cells.fill(2);
  int x = -1, y = -1;
  EXPECT_FALSE(ChooseEngineMove(cells.data(), 20, x, y));
  cells[15 * 9 + 3] = 0;
  EXPECT_EQ(Choose(cells, 20), Square(9, 3));
}

TEST(SampleEngineMove, OpensInTheCentre) {
  EXPECT_EQ(Choose(Cells{}, 20), Square(7, 7));
  EXPECT_EQ(Choose(Position({}, {{0, 0}}), 20), Square(7, 7));
}

TEST(SampleEngineMove, CompletesItsOwnFiveBeforeBlocking) {
  // Ours: a four down column 3, one end blocked; theirs: an open four too.
  Cells cells =
      Position({{3, 2}, {3, 3}, {3, 4}, {3, 5}}, {{3, 1}, {8, 8}, {9, 8}, {10, 8}, {11, 8}});
  EXPECT_EQ(Choose(cells), Square(3, 6));
  // A broken four: the gap wins.
  cells = Position({{5, 5}, {6, 6}, {8, 8}, {9, 9}}, {{0, 0}, {1, 0}, {2, 0}});
  EXPECT_EQ(Choose(cells), Square(7, 7));
}

TEST(SampleEngineMove, BlocksTheOpponentsFour) {
  // Their four on row 4, x 4..7, closed by our stone at x 8.
  Cells cells = Position({{8, 4}, {0, 14}}, {{4, 4}, {5, 4}, {6, 4}, {7, 4}});
  EXPECT_EQ(Choose(cells), Square(3, 4));
}

TEST(SampleEngineMove, StopsAnOpenThree) {
  // Theirs: 6,7,8 on row 7 with both sides open; ours: scattered, no threat.
  Cells cells = Position({{2, 2}, {12, 12}}, {{6, 7}, {7, 7}, {8, 7}});
  auto move = Choose(cells);
  std::set<Square> stops{{5, 7}, {9, 7}, {4, 7}, {10, 7}};
  EXPECT_TRUE(stops.count(move)) << move.first << "," << move.second;
}

TEST(SampleEngineMove, TurnsItsOpenThreeIntoAnOpenFour) {
  Cells cells = Position({{6, 3}, {6, 4}, {6, 5}}, {{9, 9}, {10, 10}});
  auto move = Choose(cells);
  EXPECT_TRUE(move == Square(6, 2) || move == Square(6, 6)) << move.first << "," << move.second;
}

TEST(SampleEngineMove, MakesADoubleFour) {
  // Two closed threes: row 7 x 4..6 (x 3 theirs) and column 8 y 4..6 (y 3
  // theirs). (8,7) makes a broken four on the row and a four down the
  // column at once; no single stone stops both.
  Cells cells = Position({{4, 7}, {5, 7}, {6, 7}, {8, 4}, {8, 5}, {8, 6}},
                         {{3, 7}, {8, 3}, {0, 0}, {0, 14}, {14, 0}, {14, 14}});
  EXPECT_EQ(Choose(cells), Square(8, 7));
}

TEST(SampleEngineMove, PlaysItsForkAndStopsTheOpponentsFork) {
  // Two twos crossing at (7, 7): there a stone makes two open threes.
  Cells cells = Position({{5, 7}, {6, 7}, {7, 5}, {7, 6}}, {{0, 0}, {14, 14}, {0, 14}});
  EXPECT_EQ(Choose(cells), Square(7, 7));
  // Theirs: a three on row 7 closed by ours at (4, 7), and a diagonal two
  // that a stone on (8, 6) turns into an open three beside it. Trying every
  // square with the threat solver, (8, 6) is the only one after which they
  // have no forced win.
  cells = Position({{4, 7}, {0, 0}, {14, 14}, {0, 14}}, {{5, 7}, {6, 7}, {7, 7}, {9, 5}, {10, 4}});
  EXPECT_EQ(Choose(cells), Square(8, 6));
}

// A bucket of four: the deep entry of this move outlives any number of
// shallow stores beside it, but gives way once it is from a move before.
TEST(SampleEngineThreads, TableKeepsDeepEntriesOfThisMoveOnly) {
  sample_engine::TransTable table(2);
  auto store = [&](uint64_t key, int depth) {
    sample_engine::TableEntry e;
    e.score = int(key % 1000), e.move = 7, e.depth = depth, e.bound = 3;
    table.Store(key, e);
  };
  sample_engine::TableEntry got;
  store(1, 12);
  for (uint64_t key = 2; key < 100; ++key) store(key, 1 + int(key % 3));
  ASSERT_TRUE(table.Probe(1, got));
  EXPECT_EQ(got.depth, 12);
  EXPECT_EQ(got.score, 1);
  store(1, 5);  // the same position searched again replaces itself
  ASSERT_TRUE(table.Probe(1, got));
  EXPECT_EQ(got.depth, 5);
  store(1, 12);
  table.NextAge();
  for (uint64_t key = 200; key < 204; ++key) store(key, 1);
  EXPECT_FALSE(table.Probe(1, got));
  for (uint64_t key = 200; key < 204; ++key) EXPECT_TRUE(table.Probe(key, got));
}

// What the search's two threads share: the table, stored into by both at
// once, and the end of the move.
TEST(SampleEngineThreads, SharedTableNeverMixesEntriesAndTheHelperStopsOnCall) {
  auto entryOf = [](uint64_t key) {
    sample_engine::TableEntry e;
    e.score = int(key % 40129) - 20064;
    e.move = int(key >> 20 & 0xff) % 226 - 1;
    e.depth = int(key >> 30 & 0x3f);
    e.bound = 1 + int(key >> 40 & 0xff) % 3;
    return e;
  };
  sample_engine::TransTable table(1);
  // 12 keys over 4 slots: the threads keep overwriting each other's entries.
  std::atomic<int> hits{0}, wrong{0};
  auto hammer = [&](uint64_t seed) {
    std::mt19937_64 random(seed);
    for (int i = 0; i < 1000000; ++i) {
      uint64_t key = (random() % 12 + 1) * 0x9e3779b97f4a7c15ull;
      if (random() & 1) {
        table.Store(key, entryOf(key));
        continue;
      }
      sample_engine::TableEntry got, want = entryOf(key);
      if (!table.Probe(key, got)) continue;
      ++hits;
      if (got.score != want.score || got.move != want.move || got.depth != want.depth ||
          got.bound != want.bound)
        ++wrong;
    }
  };
  std::thread other(hammer, 1);
  hammer(2);
  other.join();
  EXPECT_GT(hits, 1000);
  EXPECT_EQ(wrong, 0);

  sample_engine::Clock clock(60000);
  std::atomic<bool> stop{false};
  sample_engine::Clock helper = clock.HelperClock(&stop);
  EXPECT_FALSE(helper.ShareSpent());
  stop = true;
  EXPECT_TRUE(helper.ShareSpent());
  EXPECT_FALSE(clock.ShareSpent());
  EXPECT_THROW(for (int i = 0; i < 1000; ++i) helper.Poll(), sample_engine::TimeUp);
}

// The program: a position datagram on 127.0.0.1:8000 is answered on 8001.
class SampleEngineProgram : public ::testing::Test {
 protected:
  engine_test::PortLock lock_;
};

TEST_F(SampleEngineProgram, AnswersPositionsAndIgnoresWhatIsNone) {
  engine_test::Peer game(8001);
  ASSERT_TRUE(game.Bound());
  engine_test::EngineProcess engine({"50"}, ::testing::TempDir() + "sample-engine");
  ASSERT_TRUE(engine.WaitListening()) << engine.Err();

  // Not a position: wrong sizes, a value above 2.
  Cells bad{};
  bad[3] = 3;
  game.SendTo(8000, {});
  game.SendTo(8000, std::vector<uint8_t>(65000, 0));
  game.SendTo(8000, std::vector<uint8_t>(bad.begin(), bad.end()));
  std::vector<uint8_t> reply;
  EXPECT_FALSE(game.Receive(reply, 500));

  // Their open four: the engine must play one of its ends.
  Cells cells = Position({{0, 0}}, {{5, 9}, {6, 9}, {7, 9}, {8, 9}});
  cells[15 * 4 + 9] = 1;
  game.SendTo(8000, std::vector<uint8_t>(cells.begin(), cells.end()));
  ASSERT_TRUE(game.Receive(reply, 3000)) << engine.Err();
  ASSERT_EQ(reply.size(), 2u);
  EXPECT_EQ(reply[0], 9);
  EXPECT_EQ(reply[1], 9);

  EXPECT_EQ(engine.Stop(), 0);
  std::string log = engine.Out();
  EXPECT_NE(log.find("move: column 9, row 9"), std::string::npos) << log;
  EXPECT_NE(engine.Err().find("225"), std::string::npos);
  EXPECT_TRUE(engine_test::UdpBindings(8000).empty());
}

TEST_F(SampleEngineProgram, RefusesATakenPortAndBadArguments) {
  engine_test::Peer squatter(8000);
  ASSERT_TRUE(squatter.Bound());
  engine_test::EngineProcess engine({}, ::testing::TempDir() + "sample-engine-taken");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(engine.Stop(), 1);
  EXPECT_NE(engine.Err().find("8000"), std::string::npos) << engine.Err();

  engine_test::EngineProcess wrong({"soon"}, ::testing::TempDir() + "sample-engine-args");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(wrong.Stop(), 2);
  EXPECT_NE(wrong.Err().find("usage"), std::string::npos);
}

}  // namespace
