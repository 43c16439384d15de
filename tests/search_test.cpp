#include "ai/search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ai/evaluation.h"
#include "ai_fixtures.h"
#include "core/game_state.h"

using namespace ai_fixtures;

namespace {

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearBoard();
    SearchShowsProgress = false;
  }
  void TearDown() override { SearchShowsProgress = true; }
  // The Denker's own evaluation before its search.
  static void Prepare() { EvaluateFast(4); }
};

void ExpectSameSearch(const SearchResult& fast, const SearchResult& plain) {
  EXPECT_EQ(fast.nodes, plain.nodes);
  EXPECT_EQ(fast.firstMoves, plain.firstMoves);
  EXPECT_EQ(fast.chosen, plain.chosen);
  EXPECT_EQ(fast.move, plain.move);
  for (int a = 0; a < 5; ++a)
    for (int k = 1; k <= 2; ++k) EXPECT_EQ(fast.score[a][k], plain.score[a][k]) << a << "," << k;
}

// Runs both searches from the current board; checks the board and the tables
// they leave behind, and returns the fast result.
SearchResult CompareWithOracle(int depth) {
  const BoardCells before = Board;
  EvaluatePlain(4);
  SearchResult plain = RunSearchPlain(depth);
  Tables plainAfter = Snapshot();
  EXPECT_EQ(Board, before);
  EvaluateFast(4);
  SearchResult fast = RunSearch(depth);
  Tables fastAfter = Snapshot();
  EXPECT_EQ(Board, before);
  ExpectSameSearch(fast, plain);
  EXPECT_TRUE(plainAfter == fastAfter) << "tables after the search differ";
  return fast;
}

TEST_F(SearchTest, DepthFollowsTheMoveCount) {
  EXPECT_EQ(SearchDepthFor(7), 6);
  EXPECT_EQ(SearchDepthFor(8), 6);
  EXPECT_EQ(SearchDepthFor(9), 7);
  EXPECT_EQ(SearchDepthFor(10), 7);
  EXPECT_EQ(SearchDepthFor(11), 8);
  EXPECT_EQ(SearchDepthFor(217), 8);
  EXPECT_EQ(SearchDepthFor(218), 7);
  EXPECT_EQ(SearchDepthFor(219), 6);
  EXPECT_EQ(SearchDepthFor(224), 1);
}

TEST_F(SearchTest, OpenPositionVisitsTheWholeTree) {
  // Few scattered stones: nothing reaches 250 within the horizon of depth 4.
  Board[7][7] = kYellow;
  Board[3][11] = kBlue;
  SearchResult r = CompareWithOracle(4);
  EXPECT_EQ(r.firstMoves, 5);
  EXPECT_EQ(r.nodes, 5 * (1 + 5 + 25));
  EXPECT_EQ(r.chosen, 0);
}

TEST_F(SearchTest, NodeCountsAtTheGameDepthsOnFixedPositions) {
  // A quiet middle game and a sharp one; both searches must agree on every
  // node and score at depths 6, 7 and 8.
  const int quiet[][3] = {{7, 7, 1}, {8, 8, 2}, {6, 8, 1}, {9, 6, 2}, {5, 5, 1}, {10, 10, 2}, {8, 5, 1}, {4, 9, 2}};
  for (auto& s : quiet) Board[s[0]][s[1]] = s[2];
  for (int depth : {6, 7, 8}) {
    SearchResult r = CompareWithOracle(depth);
    EXPECT_GT(r.nodes, 5);
  }
  ClearBoard();
  const int sharp[][3] = {{7, 7, 1}, {8, 7, 2}, {7, 8, 1}, {8, 8, 2}, {7, 6, 1}, {6, 6, 2}, {9, 9, 1}, {8, 6, 2}};
  for (auto& s : sharp) Board[s[0]][s[1]] = s[2];
  for (int depth : {6, 8}) CompareWithOracle(depth);
}

TEST_F(SearchTest, AgreesWithTheOracleOnRandomPositions) {
  std::mt19937 rng(11);
  for (int game = 0; game < 60; ++game) {
    if (game % 3 == 0) RandomPosition(rng, 20 + int(rng() % 180));
    else RandomCentredPosition(rng, 7 + int(rng() % 40));
    SCOPED_TRACE(game);
    CompareWithOracle(3 + game % 4);
    if (HasFailure()) return;
  }
}

TEST_F(SearchTest, YellowFourScoresEveryFirstMoveOnceAtTheFirstNode) {
  // Yellow four open at both ends: whichever end blue takes, yellow
  // completes the other at ply 2.
  for (int x = 5; x <= 8; ++x) Board[x][3] = kYellow;
  Board[2][12] = kBlue;
  Board[12][12] = kBlue;
  for (int depth : {6, 8}) {
    SearchResult r = CompareWithOracle(depth);
    ASSERT_EQ(r.firstMoves, 5);
    EXPECT_EQ(r.nodes, 5);
    int64_t weight = 1;
    for (int i = 0; i < depth - 2; ++i) weight *= 10;
    for (int a = 0; a < 5; ++a) {
      EXPECT_EQ(r.score[a][1], weight);
      EXPECT_EQ(r.score[a][2], 0);
    }
    EXPECT_EQ(r.chosen, 0);
  }
}

TEST_F(SearchTest, OwnWinAtTheSecondBlueMoveWeighsMoreThanLaterOnes) {
  // Blue three in a row with room on both sides: a first move that makes an
  // open four wins at ply 3 and must be chosen over quieter squares.
  Board[6][7] = kBlue;
  Board[7][7] = kBlue;
  Board[8][7] = kBlue;
  Board[2][2] = kYellow;
  Board[12][2] = kYellow;
  Board[2][12] = kYellow;
  SearchResult r = CompareWithOracle(6);
  ASSERT_TRUE(r.move.has_value());
  EXPECT_EQ(r.move->second, 7);
  EXPECT_TRUE(r.move->first == 5 || r.move->first == 9 || r.move->first == 4 || r.move->first == 10);
  EXPECT_GT(r.score[r.chosen][2], r.score[r.chosen][1]);
}

TEST_F(SearchTest, NeverTriesPlacesOfValueZeroAndKeepsTheirStones) {
  // Four squares still lie in an open window; (0, 0), named by the empty
  // fifth place, holds a stone.
  LateBoard();
  const int32_t corner = Board[0][0];
  EvaluateFast(4);
  int positive = 0;
  while (positive < 5 && TopValue[positive][0] > 0) ++positive;
  ASSERT_GT(positive, 0);
  ASSERT_LT(positive, 5);
  SearchResult r = CompareWithOracle(6);
  EXPECT_EQ(r.firstMoves, 4);
  EXPECT_EQ(positive, 4);
  EXPECT_EQ(Board[0][0], corner);
  ASSERT_TRUE(r.move.has_value());
  EXPECT_EQ(Board[r.move->first][r.move->second], kEmpty);
}

TEST_F(SearchTest, NoMoveWhenNobodyCanWin) {
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) Board[x][y] = ((x / 2 + y) % 2) ? kBlue : kYellow;
  Board[7][7] = kEmpty;
  Prepare();
  ASSERT_EQ(TopValue[0][0], 0);
  SearchResult r = RunSearch(6);
  EXPECT_FALSE(r.move.has_value());
  EXPECT_EQ(r.nodes, 0);
  MoveCount = 200;
  EXPECT_FALSE(DenkerSearch().has_value());
}

TEST_F(SearchTest, ListZeroIsRestoredAfterTheSearch) {
  std::mt19937 rng(3);
  RandomCentredPosition(rng, 14);
  Tables before = EvaluateFast(4);
  RunSearch(5);
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(TopValue[n][0], before.value[n][0]);
    EXPECT_EQ(TopCol[n][0], before.col[n][0]);
    EXPECT_EQ(TopRow[n][0], before.row[n][0]);
  }
}

TEST_F(SearchTest, HooksRunAroundEachFirstMoveOnTheUntouchedBoard) {
  Board[7][7] = kYellow;
  const BoardCells before = Board;
  Prepare();
  std::vector<int> calls;
  SearchHooks hooks;
  hooks.beforeFirstMove = [&](int i) {
    calls.push_back(i);
    EXPECT_EQ(Board, before);
  };
  hooks.afterFirstMove = [&](int i) {
    calls.push_back(100 + i);
    EXPECT_EQ(Board, before);
  };
  RunSearch(3, hooks);
  EXPECT_EQ(calls, (std::vector<int>{0, 100, 1, 101, 2, 102, 3, 103, 4, 104}));
}

}  // namespace
