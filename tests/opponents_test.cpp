#include "ai/opponents.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "ai/evaluation.h"
#include "ai/search.h"
#include "ai_fixtures.h"
#include "game/game_state.h"
#include "platform/platform.h"

using namespace ai_fixtures;

namespace {

using Range = std::pair<int, int>;

// What the generator gives for these ranges, drawn in order from the seed,
// and the state it is left in.
struct Drawn {
  std::vector<int> values;
  int32_t state;
};
Drawn Draw(int32_t seed, const std::vector<Range>& ranges) {
  SeedRandom(seed);
  Drawn d;
  for (auto [a, b] : ranges) d.values.push_back(RandomInt(a, b));
  d.state = RandomState();
  return d;
}

// Seeds spread over the generator's range: neighbouring small seeds give
// nearly equal first numbers.
int32_t Seed(int i) { return int32_t((uint32_t(i) * 2654435761u) >> 1) + 1; }

class OpponentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearBoard();
    savedKind = PlayerKind[2];
  }
  void TearDown() override { PlayerKind[2] = savedKind; }
  // Asks the character from the seed, once by its kind and once as blue's
  // player; checks that both agree and that the board is untouched.
  std::optional<Move> Ask(int kind, int32_t seed) {
    BoardCells before = Board;
    SeedRandom(seed);
    std::optional<Move> byKind = ChooseMoveOfKind(kind);
    int32_t state = RandomState();
    PlayerKind[2] = kind;
    SeedRandom(seed);
    std::optional<Move> move = ChooseComputerMove();
    EXPECT_EQ(move, byKind);
    EXPECT_EQ(RandomState(), state);
    EXPECT_EQ(Board, before);
    return move;
  }
  static Move Place(int n, int k) { return {TopCol[n][k], TopRow[n][k]}; }
  int32_t savedKind = 0;
};

// Blue four with its gap on (2, 0), yellow four with its gap on (2, 14).
void BothFours() {
  for (int x = 3; x <= 6; ++x) {
    Board[x][0] = kBlue;
    Board[x][14] = kYellow;
  }
  Board[7][0] = kYellow;
  Board[7][14] = kBlue;
  MoveCount = 10;
}

// An open three of each colour: both heads reach 250, neither 625.
void BothThrees() {
  for (int x = 6; x <= 8; ++x) {
    Board[x][7] = kBlue;
    Board[x][2] = kYellow;
  }
  MoveCount = 6;
}

TEST_F(OpponentsTest, OtherKindsGetNoMoveAndDrawNothing) {
  Board[7][7] = kYellow;
  MoveCount = 1;
  for (int kind : {int(Human), int(Multiplayer), 6, -1}) {
    EXPECT_FALSE(Ask(kind, 77).has_value());
    EXPECT_EQ(RandomState(), 77);
  }
}

TEST_F(OpponentsTest, FirstMoveOfTheGameFromTheDrawnSquare) {
  struct Case {
    int kind, low, high;
  } cases[] = {{Spontane, 0, 14}, {Flexible, 5, 9}, {Konsequente, 6, 8}, {Denker, 6, 8}};
  for (const Case& c : cases) {
    std::set<Move> seen;
    for (int i = 1; i <= 300; ++i) {
      const int32_t seed = Seed(i);
      // The Spontane draws its 0..3 of rule 4 before the opening square.
      std::vector<Range> ranges = {{c.low, c.high}, {c.low, c.high}};
      if (c.kind == Spontane) ranges.insert(ranges.begin(), Range{0, 3});
      Drawn d = Draw(seed, ranges);
      std::optional<Move> move = Ask(c.kind, seed);
      ASSERT_TRUE(move.has_value());
      size_t x = ranges.size() - 2;
      EXPECT_EQ(*move, Move(d.values[x], d.values[x + 1])) << "kind " << c.kind << " seed " << seed;
      EXPECT_EQ(RandomState(), d.state);
      seen.insert(*move);
    }
    const size_t side = size_t(c.high - c.low + 1);
    if (c.kind == Spontane)
      EXPECT_GT(seen.size(), 150u);
    else
      EXPECT_EQ(seen.size(), side * side) << "kind " << c.kind;
  }
}

TEST_F(OpponentsTest, OwnWinBeforeBlockWithoutDrawing) {
  BothFours();
  for (int kind : {Flexible, Konsequente, Denker}) {
    EXPECT_EQ(Ask(kind, 5), Move(2, 0)) << kind;
    EXPECT_EQ(RandomState(), 5);
  }
}

TEST_F(OpponentsTest, SpontaneMissesFoursOneTimeInTen) {
  BothFours();
  int wins = 0, blocks = 0, rule4 = 0, rule6 = 0;
  for (int i = 1; i <= 600; ++i) {
    const int32_t seed = Seed(i);
    std::optional<Move> move = Ask(Spontane, seed);
    ASSERT_TRUE(move.has_value());
    Drawn d = Draw(seed, {{0, 9}, {0, 9}, {0, 3}, {1, 2}, {2, 9}});
    if (d.values[0] > 0) {
      EXPECT_EQ(*move, Move(2, 0));
      EXPECT_EQ(RandomState(), Draw(seed, {{0, 9}}).state);
      ++wins;
    } else if (d.values[1] > 0) {
      EXPECT_EQ(*move, Move(2, 14));
      EXPECT_EQ(RandomState(), Draw(seed, {{0, 9}, {0, 9}}).state);
      ++blocks;
    } else if (d.values[2] > 0) {
      EXPECT_EQ(*move, Move(2, 0));  // the four is above 250 too
      ++rule4;
    } else {
      EXPECT_EQ(*move, Place(d.values[4], d.values[3]));
      EXPECT_EQ(RandomState(), d.state);
      ++rule6;
    }
  }
  EXPECT_GT(wins, 480);
  EXPECT_GT(blocks, 30);
  EXPECT_GT(rule4 + rule6, 0);
}

TEST_F(OpponentsTest, ThreatRulesOfFlexibleAndSpontane) {
  BothThrees();
  TopLast = 9;
  ComputePotential();
  RankCandidates();
  ASSERT_GE(TopValue[0][2], kThreatValue);
  ASSERT_GE(TopValue[0][1], kThreatValue);
  ASSERT_LT(TopValue[0][2], kFourValue);
  const Move ownHead = Place(0, 2), yellowHead = Place(0, 1);
  EXPECT_EQ(Ask(Flexible, 9), ownHead);
  EXPECT_EQ(RandomState(), 9);
  bool sawHead = false, sawRandom = false;
  for (int i = 1; i <= 60; ++i) {
    const int32_t seed = Seed(i);
    Drawn rule4 = Draw(seed, {{0, 3}});
    std::optional<Move> move = Ask(Spontane, seed);
    if (rule4.values[0] > 0) {
      EXPECT_EQ(move, ownHead);
      EXPECT_EQ(RandomState(), rule4.state);
      sawHead = true;
    } else {
      Drawn d = Draw(seed, {{0, 3}, {1, 2}, {2, 9}});
      EXPECT_EQ(move, Place(d.values[2], d.values[1]));
      EXPECT_EQ(RandomState(), d.state);
      sawRandom = true;
    }
  }
  EXPECT_TRUE(sawHead && sawRandom);
  // Only yellow's three: the block.
  for (int x = 6; x <= 8; ++x) Board[x][7] = kEmpty;
  Board[7][7] = kBlue;
  EXPECT_EQ(Ask(Flexible, 9), yellowHead);
}

TEST_F(OpponentsTest, FlexibleDrawsListThenPlaceFromAllTen) {
  std::mt19937 rng(4);
  RandomCentredPosition(rng, 6);
  TopLast = 9;
  ComputePotential();
  RankCandidates();
  ASSERT_LT(TopValue[0][1], kThreatValue);
  ASSERT_LT(TopValue[0][2], kThreatValue);
  std::set<int> places;
  for (int i = 1; i <= 200; ++i) {
    const int32_t seed = Seed(i);
    Drawn d = Draw(seed, {{1, 2}, {0, 9}});
    EXPECT_EQ(Ask(Flexible, seed), Place(d.values[1], d.values[0]));
    EXPECT_EQ(RandomState(), d.state);
    places.insert(d.values[1]);
  }
  EXPECT_EQ(places.size(), 10u);
}

TEST_F(OpponentsTest, KonsequenteMoveCountThresholds) {
  std::mt19937 rng(8);
  RandomCentredPosition(rng, 6);
  TopLast = 4;
  ComputePotential();
  RankCandidates();
  ASSERT_LT(TopValue[0][1], kFourValue);
  ASSERT_LT(TopValue[0][2], kFourValue);
  for (int count : {1, 2, 3, 4, 5}) {
    MoveCount = count;
    const int last = count < 3 ? 4 : 2;
    std::set<int> drawn;
    for (int i = 1; i <= 100; ++i) {
      const int32_t seed = Seed(i);
      Drawn d = Draw(seed, {{0, last}});
      EXPECT_EQ(Ask(Konsequente, seed), Place(d.values[0], 0)) << "MoveCount " << count;
      EXPECT_EQ(RandomState(), d.state);
      drawn.insert(d.values[0]);
    }
    EXPECT_EQ(drawn.size(), size_t(last + 1));
  }
  MoveCount = 6;
  const int32_t v1 = TopValue[0][1], v2 = TopValue[0][2];
  EXPECT_EQ(Ask(Konsequente, 3), double(v2) / v1 >= 0.9 ? Place(0, 2) : Place(0, 1));
  EXPECT_EQ(RandomState(), 3);
}

TEST_F(OpponentsTest, KonsequenteRatioRule) {
  MoveCount = 6;
  // Equal values (the board is symmetric under a half turn): own head.
  Board[4][4] = kYellow;
  Board[10][10] = kBlue;
  TopLast = 4;
  ComputePotential();
  RankCandidates();
  ASSERT_EQ(TopValue[0][1], TopValue[0][2]);
  EXPECT_EQ(Ask(Konsequente, 1), Move(9, 9));  // blue's head: the first of its 36s
  // Yellow stronger by more than a tenth: block.
  Board[5][4] = kYellow;
  TopLast = 4;
  ComputePotential();
  RankCandidates();
  ASSERT_LT(double(TopValue[0][2]) / TopValue[0][1], 0.9);
  EXPECT_EQ(Ask(Konsequente, 1), Place(0, 1));
  // Both threes: 0.9 of yellow's value decides.
  ClearBoard();
  BothThrees();
  MoveCount = 6;
  TopLast = 4;
  ComputePotential();
  RankCandidates();
  const bool own = double(TopValue[0][2]) / TopValue[0][1] >= 0.9;
  EXPECT_EQ(Ask(Konsequente, 1), own ? Place(0, 2) : Place(0, 1));
}

TEST_F(OpponentsTest, DenkerAnswersFromYellowsBestThreeUntilTheSeventhStone) {
  std::mt19937 rng(12);
  for (int count = 1; count <= 6; ++count) {
    RandomCentredPosition(rng, count);
    TopLast = 4;
    ComputePotential();
    RankCandidates();
    if (TopValue[0][1] >= kFourValue || TopValue[0][2] >= kFourValue) continue;
    for (int i = 1; i <= 30; ++i) {
      const int32_t seed = Seed(i);
      Drawn d = Draw(seed, {{0, 2}});
      EXPECT_EQ(Ask(Denker, seed), Place(d.values[0], 1)) << "MoveCount " << count;
      EXPECT_EQ(RandomState(), d.state);
    }
  }
}

TEST_F(OpponentsTest, DenkerSearchesFromTheSeventhStoneWithoutDrawing) {
  std::mt19937 rng(21);
  for (int count : {7, 9, 11}) {
    RandomCentredPosition(rng, count);
    ComputePotentialPlain();
    TopLast = 4;
    RankCandidatesPlain();
    if (TopValue[0][1] >= kFourValue || TopValue[0][2] >= kFourValue) continue;
    SearchResult expected = RunSearchPlain(SearchDepthFor(count));
    std::optional<Move> move = Ask(Denker, 42);
    EXPECT_EQ(move, expected.move) << "MoveCount " << count;
    EXPECT_EQ(RandomState(), 42);
  }
}

// A list place of value 0 names (0, 0), which is occupied here: the pick is
// drawn again among the positive places, so the answer is always empty.
TEST_F(OpponentsTest, RandomPicksNeverLandOnAnEmptyPlace) {
  LateBoard();
  const std::set<Move> open = {{10, 14}, {11, 14}, {12, 14}, {13, 14}};
  for (int kind : {Spontane, Flexible}) {
    std::set<Move> answers;
    for (int i = 1; i <= 300; ++i) {
      const int32_t seed = Seed(i);
      std::optional<Move> move = Ask(kind, seed);
      ASSERT_TRUE(move.has_value());
      EXPECT_TRUE(open.count(*move)) << "kind " << kind << " seed " << seed;
      answers.insert(*move);
    }
    EXPECT_GT(answers.size(), 1u) << "kind " << kind;
  }
  // Early in a game with a sparse list the same holds for the Konsequente.
  ClearBoard();
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) Board[x][y] = ((x / 2 + y) % 2) ? kBlue : kYellow;
  Board[12][14] = kEmpty;
  Board[13][14] = kEmpty;
  MoveCount = 1;
  TopLast = 4;
  ComputePotential();
  RankCandidates();
  int positive = 0;
  while (TopValue[positive][0] > 0) ++positive;
  ASSERT_GT(positive, 0);
  for (int i = 1; i <= 50; ++i) {
    const int32_t seed = Seed(i);
    std::optional<Move> move = Ask(Konsequente, seed);
    ASSERT_TRUE(move.has_value());
    EXPECT_EQ(Board[move->first][move->second], kEmpty);
  }
}

TEST_F(OpponentsTest, NoMoveWhenNobodyCanWin) {
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) Board[x][y] = ((x / 2 + y) % 2) ? kBlue : kYellow;
  Board[7][7] = kEmpty;
  MoveCount = 224;
  for (int kind : {Spontane, Flexible, Konsequente, Denker}) {
    EXPECT_FALSE(Ask(kind, 8).has_value()) << kind;
    EXPECT_EQ(RandomState(), 8);
  }
}

}  // namespace
