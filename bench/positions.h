// The three positions whose Denker node counts are the search's behaviour
// signature: the benchmark times them, a unit test pins their counts.
#pragma once

#include "game/game_state.h"

namespace bench_positions {

struct Position {
  const char* name;
  const char* rows[15];  // y from the top; x yellow, o blue
};

inline const Position kPositions[] = {
    {"open",  // eleven scattered stones: the widest tree we know of
     {".....o.........", "..........o....", "x.............x", "...............", "...............",
      ".x.............", "...............", "...............", ".........x....x", "...............",
      "o.............o", "...x...........", "...............", "...............",
      "o.............."}},
    {"middle",  // a middle game around the centre
     {"...............", "...............", "...............", "....x..........", "...............",
      "........o......", "...............", "...x.....x.....", ".....xo...ox...", "....o....x.....",
      ".........o.....", "...............", "...............", "...............",
      "..............."}},
    {"crowded",  // nineteen stones, threats on both sides
     {"...............", "...............", ".......ox....ox", "......o........", "......o...o....",
      "...x...........", "........x......", "....o.x.ox.....", "........x.o....", "....x..........",
      ".......x.......", "........x......", ".......o.......", "...............",
      "..............."}},
};

inline void SetUp(const Position& p) {
  Board = {};
  MoveCount = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      const char c = p.rows[y][x];
      if (c == '.') continue;
      Board[x][y] = c == 'x' ? kYellow : kBlue;
      History[MoveCount++] = {x, y};
    }
}

}  // namespace bench_positions
