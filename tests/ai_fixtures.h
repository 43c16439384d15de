// Boards for the tests of the computer opponents: cleared globals and random
// positions that a game can reach (stones alternate, no finished five).
#pragma once

#include <cstring>
#include <random>

#include "ai/evaluation.h"
#include "game/game_state.h"

namespace ai_fixtures {

inline void ClearBoard() {
  Board = {};
  for (auto& entry : History) entry = {-1, -1};
  MoveCount = 0;
}

inline bool MakesFive(int x, int y) {
  const int colour = Board[x][y];
  const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (auto& d : dirs) {
    int run = 1;
    for (int sign : {1, -1})
      for (int k = 1; k < 5; ++k) {
        int sx = x + sign * k * d[0], sy = y + sign * k * d[1];
        if (sx < 0 || sx > 14 || sy < 0 || sy > 14 || Board[sx][sy] != colour) break;
        ++run;
      }
    if (run >= 5) return true;
  }
  return false;
}

// Plays `stones` random moves from the empty board, yellow first unless
// blueFirst, skipping any square that would finish a five; records them.
inline void RandomPosition(std::mt19937& rng, int stones, bool blueFirst = false) {
  ClearBoard();
  int colour = blueFirst ? kBlue : kYellow;
  int tries = 0;
  while (MoveCount < stones && tries < 5000) {
    ++tries;
    int x = int(rng() % 15), y = int(rng() % 15);
    if (Board[x][y] != kEmpty) continue;
    Board[x][y] = colour;
    if (MakesFive(x, y)) {
      Board[x][y] = kEmpty;
      continue;
    }
    History[MoveCount] = {x, y};
    ++MoveCount;
    colour = 3 - colour;
  }
}

// Random stones clustered around the centre, as in a real game.
inline void RandomCentredPosition(std::mt19937& rng, int stones) {
  ClearBoard();
  std::normal_distribution<double> around(7.0, 2.5);
  int colour = kYellow, tries = 0;
  while (MoveCount < stones && tries < 5000) {
    ++tries;
    int x = int(around(rng) + 0.5), y = int(around(rng) + 0.5);
    if (x < 0 || x > 14 || y < 0 || y > 14 || Board[x][y] != kEmpty) continue;
    Board[x][y] = colour;
    if (MakesFive(x, y)) {
      Board[x][y] = kEmpty;
      continue;
    }
    History[MoveCount] = {x, y};
    ++MoveCount;
    colour = 3 - colour;
  }
}

// A late board: every window holds both colours except those of row 14
// through its four empty squares 10..13, which hold only yellow stones.
// (0, 0) holds a stone.
inline void LateBoard() {
  ClearBoard();
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) Board[x][y] = ((x / 2 + y) % 2) ? kBlue : kYellow;
  for (int x = 10; x <= 13; ++x) Board[x][14] = kEmpty;
  Board[14][14] = kYellow;
  MoveCount = 221;
}

struct Tables {
  int32_t potential[15][15][3];
  int32_t value[kMaxTopPlaces][3], col[kMaxTopPlaces][3], row[kMaxTopPlaces][3];
  bool operator==(const Tables& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

inline Tables Snapshot() {
  Tables t;
  std::memcpy(t.potential, Potential, sizeof Potential);
  std::memcpy(t.value, TopValue, sizeof TopValue);
  std::memcpy(t.col, TopCol, sizeof TopCol);
  std::memcpy(t.row, TopRow, sizeof TopRow);
  return t;
}

inline Tables EvaluatePlain(int topLast) {
  TopLast = topLast;
  ComputePotentialPlain();
  RankCandidatesPlain();
  return Snapshot();
}

inline Tables EvaluateFast(int topLast) {
  TopLast = topLast;
  ComputePotential();
  RankCandidates();
  return Snapshot();
}

}  // namespace ai_fixtures
