// The sample engine's incremental board: every shape, class, count, sum and
// key it keeps, against a plain recount from the stones after each step of
// random games with take-backs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "board.h"

namespace sample_engine {
namespace {

constexpr int kDir[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

// The line through a square as nine characters, the square in the middle:
// 'o' own, '.' empty, 'x' the other side or off the board.
std::string LineAround(const int* cells, int square, int d, int side) {
  std::string line;
  for (int k = -4; k <= 4; ++k) {
    int x = square / kSize + k * kDir[d][0], y = square % kSize + k * kDir[d][1];
    char c = 'x';
    if (k == 0)
      c = 'o';
    else if (x >= 0 && x < kSize && y >= 0 && y < kSize)
      c = cells[kSize * x + y] == 0 ? '.' : cells[kSize * x + y] == side ? 'o' : 'x';
    line += c;
  }
  return line;
}

bool HasFive(const std::string& line) { return line.find("ooooo") != std::string::npos; }

// The shape by its definition, read straight off the line: a five, or how
// many squares complete one, or the best shape one more stone makes.
Shape Recount(const std::string& line) {
  static std::map<std::string, Shape> known;
  auto it = known.find(line);
  if (it != known.end()) return it->second;
  Shape shape = kNone;
  if (HasFive(line)) {
    shape = kFive;
  } else {
    int fives = 0;
    Shape best = kNone;
    for (int i = 0; i < 9; ++i) {
      if (line[i] != '.') continue;
      std::string more = line;
      more[i] = 'o';
      if (HasFive(more))
        ++fives;
      else
        best = std::max(best, Recount(more));
    }
    const Shape weaker[kShapes] = {kNone,    kNone,  kNone,      kOne, kTwo,
                                   kOpenTwo, kThree, kOpenThree, kNone};
    shape = fives >= 2 ? kOpenFour : fives == 1 ? kFour : weaker[best];
  }
  return known[line] = shape;
}

void ExpectMatchesRecount(const Board& board, const int* cells, uint64_t expectedHash) {
  ASSERT_EQ(board.Hash(), expectedHash);
  for (int side = 1; side <= 2; ++side) {
    int count[kThreats] = {}, sum[2] = {};
    for (int s = 0; s < kCells; ++s) {
      ASSERT_EQ(board.At(s), cells[s]);
      bool near = false;
      for (int n = 0; n < kCells; ++n)
        near |= cells[n] && std::abs(n / kSize - s / kSize) <= 2 &&
                std::abs(n % kSize - s % kSize) <= 2;
      ASSERT_EQ(board.Candidates().Has(s), near && !cells[s]) << s;
      if (cells[s]) {
        ASSERT_FALSE(board.Fours(side).Has(s) || board.Threes(side).Has(s)) << s;
        continue;
      }
      int set = 0;
      for (int d = 0; d < 4; ++d) {
        Shape shape = Recount(LineAround(cells, s, d, side));
        ASSERT_EQ(board.ShapeOf(side, s, d), shape)
            << "side " << side << " square " << s << " line " << LineAround(cells, s, d, side);
        set += shape * kLineFactor[d];
      }
      ASSERT_EQ(board.ThreatOf(side, s), Combine(set).threat);
      ASSERT_EQ(board.Fours(side).Has(s), Combine(set).threat >= kMakesFour);
      ASSERT_EQ(board.Threes(side).Has(s), Combine(set).threat >= kMakesThree);
      ASSERT_EQ(board.ValueOf(side, s), Combine(set).value);
      ++count[Combine(set).threat];
      sum[0] += Combine(set).eval[0];
      sum[1] += Combine(set).eval[1];
    }
    for (int t = 0; t < kThreats; ++t) ASSERT_EQ(board.Count(side, Threat(t)), count[t]) << t;
    ASSERT_EQ(board.EvalSum(side, true), sum[0]);
    ASSERT_EQ(board.EvalSum(side, false), sum[1]);
  }
}

TEST(EnginePatterns, IncrementalBoardMatchesARecountThroughRandomGames) {
  std::mt19937 random(11);
  for (int game = 0; game < 6; ++game) {
    int cells[kCells] = {};
    uint8_t start[kCells] = {};
    // Some games start from stones already on the board, some at the edges.
    for (int i = 0; i < game * 6; ++i) start[random() % kCells] = uint8_t(1 + random() % 2);
    for (int s = 0; s < kCells; ++s) cells[s] = start[s];
    Board board(start);
    ExpectMatchesRecount(board, cells, board.Hash());
    std::vector<uint64_t> hashes{board.Hash()};
    for (int step = 0; step < 90; ++step) {
      if (board.Moves() > 0 && random() % 4 == 0) {
        board.Undo();
        hashes.pop_back();
        for (int s = 0; s < kCells; ++s) cells[s] = board.At(s);
      } else {
        int s;
        do s = int(random() % kCells);
        while (cells[s]);
        int side = 1 + int(random() % 2);
        // The tally a leaf is evaluated from, worked out without the stone.
        Tally predicted = board.TotalsAfter(s, side);
        board.Place(s, side);
        cells[s] = side;
        hashes.push_back(board.Hash());
        for (int i = 0; i < 2; ++i) {
          for (int t = 0; t < kThreats; ++t)
            ASSERT_EQ(predicted.count[i][t], board.Totals().count[i][t]) << t;
          for (int w = 0; w < 2; ++w)
            ASSERT_EQ(predicted.evalSum[i][w], board.Totals().evalSum[i][w]);
        }
      }
      ExpectMatchesRecount(board, cells, hashes.back());
    }
    board.UndoTo(0);
    for (int s = 0; s < kCells; ++s) cells[s] = start[s];
    ExpectMatchesRecount(board, cells, hashes.front());
  }
}

TEST(EnginePatterns, KnownShapesAndClasses) {
  // Row 7: ours on 5, 6, 7 (an open three); column 3: ours on 3..6 closed
  // by theirs at 2 (a four); theirs alone elsewhere.
  uint8_t cells[kCells] = {};
  for (int x : {5, 6, 7}) cells[kSize * x + 7] = 1;
  for (int y : {3, 4, 5, 6}) cells[kSize * 3 + y] = 1;
  cells[kSize * 3 + 2] = 2;
  cells[kSize * 12 + 12] = 2;
  Board board(cells);
  EXPECT_EQ(board.ShapeOf(1, kSize * 4 + 7, 0), kOpenFour);
  EXPECT_EQ(board.ShapeOf(1, kSize * 3 + 7, 0), kFour);  // the broken four o.ooo
  EXPECT_EQ(board.ThreatOf(1, kSize * 3 + 7), kMakesFive);
  EXPECT_EQ(board.Count(1, kMakesFive), 1);
  EXPECT_EQ(board.Count(2, kMakesFive), 0);
  EXPECT_GE(board.Count(1, kMakesOpenFour), 2);
  EXPECT_EQ(board.FiveSquareNear(1, kSize * 3 + 6), kSize * 3 + 7);
  EXPECT_EQ(board.ShapeOf(2, kSize * 12 + 13, 1), kOpenTwo);
  EXPECT_EQ(board.ShapeOf(2, kSize * 13 + 13, 0), kOne);
  // A corner stone has too little room on the edge line for anything.
  EXPECT_EQ(Board::Neighbour(0, 0, -1), -1);
}

}  // namespace
}  // namespace sample_engine
