// The Denker's look-ahead: each of the five best squares for both colours is
// tried as blue's move and the game is played on along the best squares of
// each new position, scoring wins and threats by how soon they come.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "ai/opponents.h"

extern int32_t SearchDepth;        // ply limit: 6 to 8, less near a full board
extern int32_t SearchPly;          // ply of the node being examined; 1 at the root
extern int32_t BranchLast;         // last place of list 0 the next expanding node follows
extern int64_t SearchScore[5][3];  // [first move][colour]: accumulated weights

// 7, 8 -> 6; 9, 10 -> 7; from 11 on the smaller of 8 and 225 - moveCount.
int SearchDepthFor(int moveCount);

struct SearchResult {
  int firstMoves = 0;  // candidates tried (places of list 0 with a positive value)
  int64_t nodes = 0;   // positions examined below the first moves
  int64_t score[5][3] = {};
  int chosen = -1;  // index of the chosen first move, -1 for no move
  std::optional<Move> move;
};

// Called before and after the tree of first move i.
struct SearchHooks {
  std::function<void(int)> beforeFirstMove;
  std::function<void(int)> afterFirstMove;
};

// The search without any drawing, at the given depth, from the tables the
// Denker's own evaluation left (TopLast = 4, lists built from Board). Leaves
// Board as it found it, list 0 as the Denker found it and lists 1 and 2 (and
// Potential) as the last examined position gave them.
SearchResult RunSearch(int depth, const SearchHooks& hooks = {});
// The same search on the reference evaluation, written straight from the
// rules: the oracle for RunSearch.
SearchResult RunSearchPlain(int depth, const SearchHooks& hooks = {});
