// The look-ahead search written straight from the rules, on the reference
// evaluation: every node re-evaluates the whole board and reads the global
// lists. The oracle that RunSearch is tested against, and the baseline of
// the benchmark.
#include <cmath>
#include <cstring>

#include "ai/evaluation.h"
#include "ai/search.h"
#include "game/game_state.h"

namespace {

int64_t plainNodes = 0;

void AddWeight(int a, int colour, int exponent) {
  SearchScore[a][colour] = int64_t(double(SearchScore[a][colour]) + std::pow(10.0, exponent));
}

void SearchNodePlain(int a) {
  ++plainNodes;
  SearchPly += 1;
  int P = (SearchPly % 2) + 1;
  ComputePotentialPlain();
  RankCandidatesPlain();
  int V1 = TopValue[0][1], V2 = TopValue[0][2];
  int F = (TopLast - BranchLast) / TopLast;
  bool leave = false;
  if (P == 2 && V2 >= 625) {
    AddWeight(a, 2, SearchDepth - SearchPly + F);
    leave = true;
  } else if (P == 1 && V1 >= 625) {
    AddWeight(a, 1, SearchDepth - SearchPly + F);
    leave = true;
  } else if (P == 2 && V1 >= 625) {
    BranchLast = 0;
  } else if (P == 1 && V2 >= 625) {
    BranchLast = 0;
  } else if (P == 2 && V2 >= 250) {
    AddWeight(a, 2, SearchDepth - SearchPly - 1 + F);
    leave = true;
  } else if (P == 1 && V1 >= 250) {
    AddWeight(a, 1, SearchDepth - SearchPly - 1 + F);
    leave = true;
  } else if (P == 2 && V1 >= 250) {
    BranchLast = 0;
  } else if (P == 1 && V2 >= 250) {
    BranchLast = 0;
  }
  if (!leave && SearchPly < SearchDepth) {
    int limit = BranchLast;
    int xs[5], ys[5], vs[5];
    for (int i = 0; i <= limit; ++i) {
      xs[i] = TopCol[i][0];
      ys[i] = TopRow[i][0];
      vs[i] = TopValue[i][0];
    }
    for (int i = 0; i <= limit; ++i) {
      if (vs[i] <= 0) continue;
      Board[xs[i]][ys[i]] = P;
      SearchNodePlain(a);
      Board[xs[i]][ys[i]] = 0;
    }
  }
  SearchPly -= 1;
  BranchLast = TopLast;
}

}  // namespace

SearchResult RunSearchPlain(int depth, const SearchHooks& hooks) {
  SearchResult result;
  SearchDepth = depth;
  TopLast = 4;
  if (TopValue[0][0] == 0) return result;
  SearchPly = 1;
  int cx[5], cy[5], cv[5];
  for (int i = 0; i < 5; ++i) {
    cx[i] = TopCol[i][0];
    cy[i] = TopRow[i][0];
    cv[i] = TopValue[i][0];
  }
  std::memset(SearchScore, 0, sizeof SearchScore);
  plainNodes = 0;
  for (int i = 0; i < 5; ++i) {
    if (cv[i] <= 0) continue;
    if (hooks.beforeFirstMove) hooks.beforeFirstMove(i);
    result.firstMoves = i + 1;
    BranchLast = TopLast;
    Board[cx[i]][cy[i]] = 2;
    SearchNodePlain(i);
    SearchPly = 1;
    Board[cx[i]][cy[i]] = 0;
    if (hooks.afterFirstMove) hooks.afterFirstMove(i);
  }
  for (int i = 0; i < 5; ++i) {
    TopValue[i][0] = cv[i];
    TopCol[i][0] = cx[i];
    TopRow[i][0] = cy[i];
  }
  int64_t best = -16777216;
  int index = 0;
  for (int i = 0; i < result.firstMoves; ++i) {
    int64_t d = SearchScore[i][2] - SearchScore[i][1];
    if (d > best) {
      best = d;
      index = i;
    }
  }
  result.chosen = index;
  result.move = Move{cx[index], cy[index]};
  result.nodes = plainNodes;
  std::memcpy(result.score, SearchScore, sizeof SearchScore);
  return result;
}
