// The reference evaluation: every window counted afresh, every square offered
// to every list. Slow and obviously right; the tests and the benchmark hold
// the fast evaluation against it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "ai/evaluation.h"
#include "game/game_state.h"

namespace {

void AddWindow(int x0, int y0, int dx, int dy) {
  int empty = 0, yellow = 0, blue = 0;
  for (int k = 0; k < 5; ++k) {
    int32_t cell = Board[x0 + k * dx][y0 + k * dy];
    if (cell == kEmpty) ++empty;
    if (cell == kYellow) ++yellow;
    if (cell == kBlue) ++blue;
  }
  if (empty == 0) return;
  for (int k = 0; k < 5; ++k) {
    int x = x0 + k * dx, y = y0 + k * dy;
    if (Board[x][y] != kEmpty) continue;
    if (blue == 0) Potential[x][y][1] = int32_t(Potential[x][y][1] + std::pow(5.0, yellow));
    if (yellow == 0) Potential[x][y][2] = int32_t(Potential[x][y][2] + std::pow(5.0, blue));
  }
}

}  // namespace

void ComputePotentialPlain() {
  std::memset(Potential, 0, sizeof Potential);
  for (int y = 0; y < 15; ++y)
    for (int x0 = 0; x0 <= 10; ++x0) AddWindow(x0, y, 1, 0);
  for (int x = 0; x < 15; ++x)
    for (int y0 = 0; y0 <= 10; ++y0) AddWindow(x, y0, 0, 1);
  for (int x0 = 0; x0 <= 10; ++x0)
    for (int y0 = 0; y0 <= 10; ++y0) AddWindow(x0, y0, 1, 1);
  for (int x0 = 0; x0 <= 10; ++x0)
    for (int y0 = 4; y0 <= 14; ++y0) AddWindow(x0, y0, 1, -1);
}

void RankCandidatesPlain() {
  std::memset(TopValue, 0, sizeof TopValue);
  std::memset(TopCol, 0, sizeof TopCol);
  std::memset(TopRow, 0, sizeof TopRow);
  // The tables hold kMaxTopPlaces places; a larger TopLast would write past them.
  const int last = std::clamp<int>(TopLast, 0, kMaxTopPlaces - 1);
  for (int x = 0; x < 15; ++x) {
    for (int y = 0; y < 15; ++y) {
      for (int k : {1, 2, 0}) {
        int32_t v = k == 0 ? Potential[x][y][1] + Potential[x][y][2] : Potential[x][y][k];
        int n = 0;
        while (n <= last && !(v > TopValue[n][k])) ++n;
        if (n > last) continue;
        for (int m = last; m > n; --m) {
          TopValue[m][k] = TopValue[m - 1][k];
          TopCol[m][k] = TopCol[m - 1][k];
          TopRow[m][k] = TopRow[m - 1][k];
        }
        TopValue[n][k] = v;
        TopCol[n][k] = x;
        TopRow[n][k] = y;
      }
    }
  }
}
