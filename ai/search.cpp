// The look-ahead search on the incremental evaluation. Nodes read only what
// their rules need: the two threshold tests are counters kept by the
// evaluation, and the list of squares to follow is ranked only where a node
// expands. The full tables of the last examined position are rebuilt once at
// the end, so callers see what a search re-evaluating every node leaves.
#include "ai/search.h"

#include <algorithm>
#include <cstring>

#include "ai/evaluation.h"
#include "ai/incremental_eval.h"
#include "game/game_state.h"

int32_t SearchDepth = 6;
int32_t SearchPly = 1;
int32_t BranchLast = 4;
int64_t SearchScore[5][3];

namespace {

constexpr int kFirstMoves = 5;
constexpr int kMaxPly = 16;  // depth is at most 8

// Powers of ten for the weights; an exponent of -1 adds nothing, because the
// score is truncated to an integer after adding 0.1.
int64_t Weight(int exponent) {
  int64_t w = 0;
  if (exponent >= 0) {
    w = 1;
    for (int i = 0; i < exponent; ++i) w *= 10;
  }
  return w;
}

struct Run {
  int64_t nodes = 0;
  // Stones on the board below the root, by ply of the node that placed them
  // (the first move at 1); lastLength of them lead to the last node examined.
  int stoneX[kMaxPly], stoneY[kMaxPly];
  int lastLength = 0;
};

// The rules of a node at SearchPly, from the threshold tests of its
// position (reaches[colour][0] for 250, [colour][1] for 625): scores a win
// or threat of the colour to move, narrows the search to one reply when the
// other colour has one. Answers whether the node may expand.
bool Judge(int a, const bool reaches[3][2]) {
  const int P = SearchPly % 2 + 1;
  const int other = 3 - P;
  const int F = (TopLast - BranchLast) / TopLast;
  if (reaches[P][1]) {
    SearchScore[a][P] += Weight(SearchDepth - SearchPly + F);
    return false;
  }
  if (reaches[other][1]) {
    BranchLast = 0;
  } else if (reaches[P][0]) {
    SearchScore[a][P] += Weight(SearchDepth - SearchPly - 1 + F);
    return false;
  } else if (reaches[other][0]) {
    BranchLast = 0;
  }
  return true;
}

// A node at the last ply: judged from a probe, its stone never placed.
void Leaf(Run& run, int a, const bool reaches[3][2]) {
  ++run.nodes;
  ++SearchPly;
  run.lastLength = SearchPly - 1;
  Judge(a, reaches);
  --SearchPly;
  BranchLast = TopLast;
}

void Node(Run& run, int a) {
  ++run.nodes;
  ++SearchPly;
  run.lastLength = SearchPly - 1;
  bool reaches[3][2];
  for (int k = 1; k <= 2; ++k) {
    reaches[k][0] = PotentialReaches(k, kThreatValue);
    reaches[k][1] = PotentialReaches(k, kFourValue);
  }
  if (Judge(a, reaches) && SearchPly < SearchDepth) {
    const int P = SearchPly % 2 + 1;
    const bool childrenAreLeaves = SearchPly + 1 >= SearchDepth;
    int xs[kFirstMoves], ys[kFirstMoves], values[kFirstMoves];
    int n = BestSquaresForBoth(BranchLast + 1, xs, ys, values);
    for (int i = 0; i < n; ++i) {
      run.stoneX[SearchPly] = xs[i];
      run.stoneY[SearchPly] = ys[i];
      if (childrenAreLeaves) {
        // Off a forced line (F = 0) a last-ply position scores only its own
        // win: a threat there weighs 10^-1, which truncates to nothing.
        bool childReaches[3][2] = {};
        if (BranchLast == TopLast)
          childReaches[P][1] = ProbeOwnFour(xs[i], ys[i], P);
        else
          ProbeReaches(xs[i], ys[i], P, childReaches);
        Leaf(run, a, childReaches);
      } else {
        SearchPlace(xs[i], ys[i], P);
        Node(run, a);
        SearchRemove(xs[i], ys[i]);
      }
    }
  }
  --SearchPly;
  BranchLast = TopLast;
}

// The tables as the last examined position left them.
void PublishLastPosition(const Run& run) {
  for (int j = 1; j <= run.lastLength; ++j) SearchPlace(run.stoneX[j], run.stoneY[j], j % 2 + 1);
  PublishPotential();
  RankCandidates();
  for (int j = run.lastLength; j >= 1; --j) SearchRemove(run.stoneX[j], run.stoneY[j]);
}

}  // namespace

int SearchDepthFor(int moveCount) {
  if (moveCount <= 8) return 6;
  if (moveCount <= 10) return 7;
  return std::min(8, kSquares - moveCount);
}

SearchResult RunSearch(int depth, const SearchHooks& hooks) {
  SearchResult result;
  SearchDepth = depth;
  TopLast = 4;
  SyncEvaluationWithBoard();
  int cx[kFirstMoves], cy[kFirstMoves], cv[kFirstMoves];
  for (int i = 0; i < kFirstMoves; ++i) {
    cx[i] = TopCol[i][0];
    cy[i] = TopRow[i][0];
    cv[i] = TopValue[i][0];
  }
  // Places of value 0 name square (0, 0) whether or not it is empty: never
  // tried, and never chosen. They come last, the list being sorted.
  while (result.firstMoves < kFirstMoves && cv[result.firstMoves] > 0) ++result.firstMoves;
  if (result.firstMoves == 0) return result;
  std::memset(SearchScore, 0, sizeof SearchScore);
  SearchPly = 1;
  Run run;
  for (int i = 0; i < result.firstMoves; ++i) {
    if (hooks.beforeFirstMove) hooks.beforeFirstMove(i);
    BranchLast = TopLast;
    SearchPlace(cx[i], cy[i], kBlue);
    run.stoneX[1] = cx[i];
    run.stoneY[1] = cy[i];
    Node(run, i);
    SearchPly = 1;
    SearchRemove(cx[i], cy[i]);
    if (hooks.afterFirstMove) hooks.afterFirstMove(i);
  }
  PublishLastPosition(run);
  for (int i = 0; i < kFirstMoves; ++i) {
    TopValue[i][0] = cv[i];
    TopCol[i][0] = cx[i];
    TopRow[i][0] = cy[i];
  }
  int64_t best = -16777216;
  result.chosen = 0;
  for (int i = 0; i < result.firstMoves; ++i) {
    int64_t d = SearchScore[i][2] - SearchScore[i][1];
    if (d > best) {
      best = d;
      result.chosen = i;
    }
  }
  result.nodes = run.nodes;
  std::memcpy(result.score, SearchScore, sizeof SearchScore);
  result.move = Move{cx[result.chosen], cy[result.chosen]};
  return result;
}
