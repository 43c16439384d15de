#include "ai/evaluation.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ai/incremental_eval.h"
#include "ai_fixtures.h"
#include "game/game_state.h"

using namespace ai_fixtures;

namespace {

struct Square {
  int x, y;
  bool operator==(const Square&) const = default;
};

std::vector<Square> ListSquares(int k) {
  std::vector<Square> squares;
  for (int n = 0; n <= TopLast; ++n) squares.push_back({TopCol[n][k], TopRow[n][k]});
  return squares;
}

// The listed positions hold for both evaluations.
class EvaluationListed : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { ClearBoard(); }
  void Evaluate(int topLast) {
    if (GetParam())
      EvaluateFast(topLast);
    else
      EvaluatePlain(topLast);
  }
};

TEST_P(EvaluationListed, EmptyBoardCountsWindowsThroughEachSquare) {
  Evaluate(4);
  for (int k : {1, 2}) {
    EXPECT_EQ(Potential[0][0][k], 3);
    EXPECT_EQ(Potential[14][14][k], 3);
    EXPECT_EQ(Potential[0][7][k], 8);
    EXPECT_EQ(Potential[3][3][k], 15);
  }
  int twenties = 0;
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) {
      EXPECT_EQ(Potential[x][y][0], 0);
      bool inner = x >= 4 && x <= 10 && y >= 4 && y <= 10;
      EXPECT_EQ(Potential[x][y][1] == 20, inner) << x << "," << y;
      twenties += Potential[x][y][1] == 20;
    }
  EXPECT_EQ(twenties, 49);
  const std::vector<Square> expected = {{4, 4}, {4, 5}, {4, 6}, {4, 7}, {4, 8}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(ListSquares(k), expected) << "list " << k;
    for (int n = 0; n <= 4; ++n) EXPECT_EQ(TopValue[n][k], k == 0 ? 40 : 20);
  }
}

TEST_P(EvaluationListed, OneYellowStoneInTheCentre) {
  Board[7][7] = kYellow;
  Evaluate(4);
  EXPECT_EQ(Potential[6][6][1], 36);
  EXPECT_EQ(Potential[6][6][2], 16);
  EXPECT_EQ(Potential[7][7][1], 0);
  EXPECT_EQ(Potential[7][7][2], 0);
  const std::vector<Square> near = {{6, 6}, {6, 7}, {6, 8}, {7, 6}, {7, 8}};
  EXPECT_EQ(ListSquares(1), near);
  EXPECT_EQ(ListSquares(0), near);
  const std::vector<Square> blue = {{4, 5}, {4, 6}, {4, 8}, {4, 9}, {5, 4}};
  EXPECT_EQ(ListSquares(2), blue);
  for (int n = 0; n <= 4; ++n) {
    EXPECT_EQ(TopValue[n][1], 36);
    EXPECT_EQ(TopValue[n][0], 52);
    EXPECT_EQ(TopValue[n][2], 20);
  }
}

TEST_P(EvaluationListed, FourStonesGiveTheGapAtLeast625) {
  for (int x = 3; x <= 6; ++x) Board[x][0] = kBlue;
  Board[7][0] = kYellow;  // blocks one end: only the window 2..6 stays open
  Evaluate(4);
  EXPECT_GE(Potential[2][0][2], 625);
  EXPECT_LT(Potential[2][0][1], 625);
  EXPECT_EQ(TopCol[0][2], 2);
  EXPECT_EQ(TopRow[0][2], 0);
  EXPECT_GE(TopValue[0][2], 625);
  EXPECT_LT(TopValue[0][1], 625);
}

TEST_P(EvaluationListed, FullAndMixedWindowsGiveNothing) {
  // Row 0: the only horizontal window through the corner holds both colours.
  Board[1][0] = kYellow;
  Board[3][0] = kBlue;
  Evaluate(4);
  EXPECT_EQ(Potential[0][0][1], 2);  // vertical and diagonal windows only
  EXPECT_EQ(Potential[0][0][2], 2);
  // A full window gives nothing; (0, 5) gets the vertical windows 1..5 with
  // four, three, two, one and no stones, and one each of the other lines.
  ClearBoard();
  for (int y = 0; y < 5; ++y) Board[0][y] = kYellow;
  Evaluate(4);
  EXPECT_EQ(Potential[0][5][1], 625 + 125 + 25 + 5 + 1 + 3);
  EXPECT_EQ(Potential[0][5][2], 1 + 3);
}

TEST_P(EvaluationListed, LateBoardLeavesZeroPlacesOnTheCorner) {
  LateBoard();
  Evaluate(9);
  // Row 14 holds yellow stones on 8, 9 and 14 beside the four empty squares.
  const int32_t values[4] = {25 + 5 + 5, 25 + 5 + 5, 25 + 5 + 5, 5 + 5};
  for (int k : {0, 1}) {
    for (int n = 0; n < 4; ++n) {
      EXPECT_EQ(TopValue[n][k], values[n]) << k << "," << n;
      EXPECT_EQ(TopCol[n][k], 10 + n);
      EXPECT_EQ(TopRow[n][k], 14);
    }
  }
  for (int k = 0; k < 3; ++k)
    for (int n = k == 2 ? 0 : 4; n <= 9; ++n) {
      EXPECT_EQ(TopValue[n][k], 0);
      EXPECT_EQ(TopCol[n][k], 0);
      EXPECT_EQ(TopRow[n][k], 0);
    }
  EXPECT_NE(Board[0][0], kEmpty);  // the zero places name an occupied square
}

INSTANTIATE_TEST_SUITE_P(Evaluation, EvaluationListed, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "Fast" : "Plain"; });

TEST(Evaluation, LeavesTheBoardAlone) {
  std::mt19937 rng(7);
  RandomPosition(rng, 60);
  BoardCells before = Board;
  EvaluateFast(9);
  EXPECT_EQ(Board, before);
}

TEST(Evaluation, FastMatchesPlainOnRandomPositions) {
  std::mt19937 rng(2024);
  for (int game = 0; game < 2000; ++game) {
    int stones = int(rng() % 226);
    if (game % 2)
      RandomCentredPosition(rng, stones % 120);
    else
      RandomPosition(rng, stones, game % 4 == 0);
    int topLast = game % 3 == 0 ? 9 : 4;
    Tables plain = EvaluatePlain(topLast);
    Tables fast = EvaluateFast(topLast);
    ASSERT_TRUE(plain == fast) << "game " << game << " with " << MoveCount << " stones";
  }
}

TEST(Evaluation, FastFollowsArbitraryEditsOfTheBoard) {
  // Stones added, removed and recoloured between calls, as loading a game,
  // taking back and turning the board do.
  std::mt19937 rng(99);
  ClearBoard();
  for (int step = 0; step < 3000; ++step) {
    int edits = 1 + int(rng() % (step % 50 == 0 ? 200 : 4));
    for (int e = 0; e < edits; ++e) Board[rng() % 15][rng() % 15] = int32_t(rng() % 3);
    Tables plain = EvaluatePlain(4);
    Tables fast = EvaluateFast(4);
    ASSERT_TRUE(plain == fast) << "step " << step;
  }
}

TEST(Evaluation, SearchHelpersMatchPlainAlongPlacedAndRemovedStones) {
  std::mt19937 rng(5);
  for (int game = 0; game < 200; ++game) {
    RandomCentredPosition(rng, int(rng() % 60));
    SyncEvaluationWithBoard();
    std::vector<Square> placed;
    for (int step = 0; step < 40; ++step) {
      bool remove = !placed.empty() && rng() % 3 == 0;
      if (remove) {
        SearchRemove(placed.back().x, placed.back().y);
        placed.pop_back();
      } else {
        int x = int(rng() % 15), y = int(rng() % 15);
        if (Board[x][y] != kEmpty) continue;
        int colour = 1 + int(rng() % 2);
        bool probed[3][2];
        ProbeReaches(x, y, colour, probed);
        const bool ownFour = ProbeOwnFour(x, y, colour);
        SearchPlace(x, y, colour);
        placed.push_back({x, y});
        ASSERT_EQ(ownFour, PotentialReaches(colour, kFourValue));
        for (int k : {1, 2}) {
          ASSERT_EQ(probed[k][0], PotentialReaches(k, kThreatValue));
          ASSERT_EQ(probed[k][1], PotentialReaches(k, kFourValue));
        }
      }
      Tables plain = EvaluatePlain(4);
      for (int k : {1, 2}) {
        ASSERT_EQ(PotentialReaches(k, kFourValue), TopValue[0][k] >= kFourValue);
        ASSERT_EQ(PotentialReaches(k, kThreatValue), TopValue[0][k] >= kThreatValue);
      }
      int xs[5], ys[5], values[5];
      int count = 1 + int(rng() % 5);
      int n = BestSquaresForBoth(count, xs, ys, values);
      for (int i = 0; i < count; ++i) {
        if (TopValue[i][0] == 0) {
          ASSERT_EQ(n, i);
          break;
        }
        ASSERT_LT(i, n);
        ASSERT_EQ(values[i], TopValue[i][0]);
        ASSERT_EQ(xs[i], TopCol[i][0]);
        ASSERT_EQ(ys[i], TopRow[i][0]);
      }
      PublishPotential();
      ASSERT_EQ(std::memcmp(plain.potential, Potential, sizeof Potential), 0);
    }
  }
}

TEST(Evaluation, TieGoesToTheSquareVisitedFirst) {
  ClearBoard();
  Board[7][7] = kBlue;
  EvaluateFast(9);
  // Eight squares around the stone share the top value for blue; the list
  // holds them in visiting order, x outer, y inner.
  const std::vector<Square> expected = {{6, 6}, {6, 7}, {6, 8}, {7, 6},
                                        {7, 8}, {8, 6}, {8, 7}, {8, 8}};
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ((Square{TopCol[n][2], TopRow[n][2]}), expected[n]);
    EXPECT_EQ(TopValue[n][2], TopValue[0][2]);
  }
  EXPECT_LT(TopValue[8][2], TopValue[0][2]);
}

// Potentials turn with the board (new[14 - y][x] = old[x][y]) and swap with
// the colours.
TEST(EvaluationSymmetry, PotentialsTurnAndSwapWithTheBoard) {
  std::mt19937 rng(31);
  for (int game = 0; game < 100; ++game) {
    RandomCentredPosition(rng, int(rng() % 80));
    Tables original = EvaluateFast(4);
    BoardCells turned{}, swapped{};
    for (int x = 0; x < 15; ++x)
      for (int y = 0; y < 15; ++y) {
        turned[14 - y][x] = Board[x][y];
        swapped[x][y] = Board[x][y] == kEmpty ? kEmpty : 3 - Board[x][y];
      }
    Board = turned;
    EvaluateFast(4);
    for (int x = 0; x < 15; ++x)
      for (int y = 0; y < 15; ++y)
        for (int k = 0; k < 3; ++k) ASSERT_EQ(Potential[14 - y][x][k], original.potential[x][y][k]);
    Board = swapped;
    EvaluateFast(4);
    for (int x = 0; x < 15; ++x)
      for (int y = 0; y < 15; ++y) {
        ASSERT_EQ(Potential[x][y][1], original.potential[x][y][2]);
        ASSERT_EQ(Potential[x][y][2], original.potential[x][y][1]);
      }
    for (int n = 0; n <= 4; ++n) ASSERT_EQ(TopValue[n][1], original.value[n][2]);
  }
}

TEST(Evaluation, EveryCallStartsFromZero) {
  ClearBoard();
  for (int y = 0; y < 4; ++y) Board[0][y] = kYellow;
  EvaluateFast(9);
  ASSERT_GE(TopValue[0][1], 625);
  ClearBoard();
  Tables empty = EvaluateFast(4);
  EXPECT_EQ(empty.value[0][1], 20);
  for (int n = 5; n < kMaxTopPlaces; ++n) EXPECT_EQ(empty.value[n][1], 0);
}

}  // namespace
