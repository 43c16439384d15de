// The fast evaluation. Every window keeps its stone counts and every square
// the sum of what its windows give it, so a stone changes only the windows
// through its square (at most 20) and the squares within four steps of it.
// Ranking rejects most squares with one comparison against the last place.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ai/evaluation.h"
#include "ai/incremental_eval.h"
#include "game/game_state.h"

int32_t Potential[15][15][3];
int32_t TopLast = 4;
int32_t TopValue[kMaxTopPlaces][3];
int32_t TopCol[kMaxTopPlaces][3];
int32_t TopRow[kMaxTopPlaces][3];

namespace {

constexpr int kWindows = 572;
constexpr int kPaddedSquares = (kSquares + 7) / 8 * 8;
constexpr int kReach = 4;              // a window reaches four squares beyond a stone
constexpr int kLine = 2 * kReach + 1;  // squares of one direction touched by a stone
constexpr int32_t kPow5[6] = {1, 5, 25, 125, 625, 3125};

struct Tables {
  // lineSquare[q][d][j]: square at offset j - 4 from q in direction d, or -1.
  int16_t lineSquare[kSquares][4][kLine];
  // windowAt[q][d][s]: window covering offsets s-4 .. s of direction d through q, or -1.
  int16_t windowAt[kSquares][4][5];
  int16_t windowsThrough[kSquares];  // for the empty board's potentials
};

constexpr int kDx[4] = {1, 0, 1, 1};
constexpr int kDy[4] = {0, 1, 1, -1};

Tables BuildTables() {
  Tables t{};
  std::memset(t.lineSquare, -1, sizeof t.lineSquare);
  std::memset(t.windowAt, -1, sizeof t.windowAt);
  auto onBoard = [](int x, int y) { return x >= 0 && x < 15 && y >= 0 && y < 15; };
  // Window ids in direction order; a window is named by its first square.
  int16_t windowId[4][15][15];
  std::memset(windowId, -1, sizeof windowId);
  int16_t next = 0;
  for (int d = 0; d < 4; ++d)
    for (int x = 0; x < 15; ++x)
      for (int y = 0; y < 15; ++y)
        if (onBoard(x + 4 * kDx[d], y + 4 * kDy[d])) windowId[d][x][y] = next++;
  for (int x = 0; x < 15; ++x) {
    for (int y = 0; y < 15; ++y) {
      int q = x * 15 + y;
      for (int d = 0; d < 4; ++d) {
        for (int j = 0; j < kLine; ++j) {
          int sx = x + (j - kReach) * kDx[d], sy = y + (j - kReach) * kDy[d];
          if (onBoard(sx, sy)) t.lineSquare[q][d][j] = int16_t(sx * 15 + sy);
        }
        for (int s = 0; s < 5; ++s) {
          int sx = x + (s - kReach) * kDx[d], sy = y + (s - kReach) * kDy[d];
          if (onBoard(sx, sy) && windowId[d][sx][sy] >= 0) {
            t.windowAt[q][d][s] = windowId[d][sx][sy];
            ++t.windowsThrough[q];
          }
        }
      }
    }
  }
  return t;
}

const Tables& T() {
  static const Tables tables = BuildTables();
  return tables;
}

// What a window gives each of its empty squares, for yellow and for blue,
// indexed by its yellow and blue stone counts.
struct Gift {
  int32_t yellow, blue;
};
constexpr std::array<std::array<Gift, 6>, 6> BuildGifts() {
  std::array<std::array<Gift, 6>, 6> g{};
  for (int s1 = 0; s1 <= 5; ++s1)
    for (int s2 = 0; s1 + s2 <= 5; ++s2) {
      bool open = s1 + s2 < 5;
      g[s1][s2].yellow = open && s2 == 0 ? kPow5[s1] : 0;
      g[s1][s2].blue = open && s1 == 0 ? kPow5[s2] : 0;
    }
  return g;
}
constexpr auto kGift = BuildGifts();

struct State {
  bool built = false;
  int8_t cell[kSquares];
  int8_t count[kWindows][3];  // [window][colour]: stones of that colour
  int32_t raw[3][kSquares];   // what the windows give the square, occupied or not
  // yellow + blue potential, 0 when occupied; padded with zeros to whole
  // groups of eight for the ranking scan
  alignas(16) int32_t both[kPaddedSquares];
  int32_t reaching[3][2];  // [colour][0: >= 250, 1: >= 625] empty squares
};
State S;

void Count(int q, int sign) {
  for (int k = 1; k <= 2; ++k) {
    int32_t v = S.raw[k][q];
    S.reaching[k][0] += sign * (v >= kThreatValue);
    S.reaching[k][1] += sign * (v >= kFourValue);
  }
}

void Adjust(int q, int32_t yellow, int32_t blue) {
  if (S.cell[q] != kEmpty) {
    S.raw[1][q] += yellow;
    S.raw[2][q] += blue;
    return;
  }
  Count(q, -1);
  S.raw[1][q] += yellow;
  S.raw[2][q] += blue;
  S.both[q] = S.raw[1][q] + S.raw[2][q];
  Count(q, +1);
}

// Adds (sign +1) or removes (-1) a stone of the colour on square q; the
// square's own cell value is handled by the callers.
void UpdateWindows(int q, int colour, int sign) {
  const Tables& t = T();
  for (int d = 0; d < 4; ++d) {
    int32_t dYellow[kLine] = {}, dBlue[kLine] = {};
    bool any = false;
    for (int s = 0; s < 5; ++s) {
      int w = t.windowAt[q][d][s];
      if (w < 0) continue;
      int8_t* c = S.count[w];
      Gift before = kGift[c[1]][c[2]];
      c[colour] = int8_t(c[colour] + sign);
      Gift after = kGift[c[1]][c[2]];
      int32_t gy = after.yellow - before.yellow, gb = after.blue - before.blue;
      if ((gy | gb) == 0) continue;
      any = true;
      for (int j = s; j < s + 5; ++j) {
        dYellow[j] += gy;
        dBlue[j] += gb;
      }
    }
    if (!any) continue;
    for (int j = 0; j < kLine; ++j)
      if ((dYellow[j] | dBlue[j]) != 0) Adjust(t.lineSquare[q][d][j], dYellow[j], dBlue[j]);
  }
}

void BuildEmpty() {
  const Tables& t = T();
  std::memset(S.count, 0, sizeof S.count);
  std::memset(S.reaching, 0, sizeof S.reaching);
  for (int q = 0; q < kSquares; ++q) {
    S.cell[q] = kEmpty;
    S.raw[1][q] = S.raw[2][q] = t.windowsThrough[q];
    S.both[q] = 2 * t.windowsThrough[q];
  }
  S.built = true;
}

void Place(int q, int colour) {
  Count(q, -1);
  S.cell[q] = int8_t(colour);
  S.both[q] = 0;
  UpdateWindows(q, colour, +1);
}

void Remove(int q) {
  UpdateWindows(q, S.cell[q], -1);
  S.cell[q] = kEmpty;
  S.both[q] = S.raw[1][q] + S.raw[2][q];
  Count(q, +1);
}

}  // namespace

void SyncEvaluationWithBoard() {
  if (!S.built) BuildEmpty();
  for (int x = 0; x < 15; ++x) {
    for (int y = 0; y < 15; ++y) {
      int q = x * 15 + y;
      int32_t want = Board[x][y];
      // Only 0, 1 and 2 ever occur; anything else is read as empty so a bad
      // board cannot index outside the window counts.
      if (want != kYellow && want != kBlue) want = kEmpty;
      if (S.cell[q] == want) continue;
      if (S.cell[q] != kEmpty) Remove(q);
      if (want != kEmpty) Place(q, want);
    }
  }
}

void SearchPlace(int x, int y, int colour) {
  Board[x][y] = colour;
  Place(x * 15 + y, colour);
}

void SearchRemove(int x, int y) {
  Board[x][y] = kEmpty;
  Remove(x * 15 + y);
}

void ProbeReaches(int x, int y, int colour, bool reaches[3][2]) {
  const Tables& t = T();
  const int q = x * 15 + y;
  int32_t n[3][2];
  std::memcpy(n, S.reaching, sizeof n);
  for (int k = 1; k <= 2; ++k) {
    n[k][0] -= S.raw[k][q] >= kThreatValue;
    n[k][1] -= S.raw[k][q] >= kFourValue;
  }
  const int addYellow = colour == kYellow, addBlue = colour == kBlue;
  for (int d = 0; d < 4; ++d) {
    int32_t dYellow[kLine] = {}, dBlue[kLine] = {};
    bool any = false;
    for (int s = 0; s < 5; ++s) {
      int w = t.windowAt[q][d][s];
      if (w < 0) continue;
      const int8_t* c = S.count[w];
      Gift before = kGift[c[1]][c[2]];
      Gift after = kGift[c[1] + addYellow][c[2] + addBlue];
      int32_t gy = after.yellow - before.yellow, gb = after.blue - before.blue;
      if ((gy | gb) == 0) continue;
      any = true;
      for (int j = s; j < s + 5; ++j) {
        dYellow[j] += gy;
        dBlue[j] += gb;
      }
    }
    if (!any) continue;
    // Every square but q lies on one line through q only, so its new value
    // is its old one plus this line's change.
    for (int j = 0; j < kLine; ++j) {
      if (j == kReach || (dYellow[j] | dBlue[j]) == 0) continue;
      int sq = t.lineSquare[q][d][j];
      if (S.cell[sq] != kEmpty) continue;
      const int32_t delta[3] = {0, dYellow[j], dBlue[j]};
      for (int k = 1; k <= 2; ++k) {
        int32_t before = S.raw[k][sq], after = before + delta[k];
        n[k][0] += (after >= kThreatValue) - (before >= kThreatValue);
        n[k][1] += (after >= kFourValue) - (before >= kFourValue);
      }
    }
  }
  for (int k = 1; k <= 2; ++k) {
    reaches[k][0] = n[k][0] > 0;
    reaches[k][1] = n[k][1] > 0;
  }
}

bool ProbeOwnFour(int x, int y, int colour) {
  const Tables& t = T();
  const int q = x * 15 + y;
  // The stone takes q's own value away and raises the colour's values
  // elsewhere, never lowers them: a four elsewhere stays a four.
  if (S.reaching[colour][1] - (S.raw[colour][q] >= kFourValue) > 0) return true;
  const int other = OtherColour(colour);
  for (int d = 0; d < 4; ++d) {
    int32_t delta[kLine] = {};
    bool any = false;
    for (int s = 0; s < 5; ++s) {
      int w = t.windowAt[q][d][s];
      if (w < 0) continue;
      const int8_t* c = S.count[w];
      // Open for the colour: no stone of the other, room left after this one.
      if (c[other] != 0 || c[colour] >= 4) continue;
      const int32_t gain = kPow5[c[colour] + 1] - kPow5[c[colour]];
      any = true;
      for (int j = s; j < s + 5; ++j) delta[j] += gain;
    }
    if (!any) continue;
    for (int j = 0; j < kLine; ++j) {
      if (j == kReach || delta[j] == 0) continue;
      int sq = t.lineSquare[q][d][j];
      if (S.cell[sq] == kEmpty && S.raw[colour][sq] + delta[j] >= kFourValue) return true;
    }
  }
  return false;
}

bool PotentialReaches(int colour, int threshold) {
  return S.reaching[colour][threshold >= kFourValue ? 1 : 0] > 0;
}

namespace {

// Puts square q with value v into the first `count` places, kept sorted
// highest first with ties in square order; answers the value a square must
// now exceed to get in.
int32_t Offer(int q, int32_t v, int count, int& filled, int xs[], int ys[], int values[]) {
  int n = 0;
  while (n < filled && v <= values[n]) ++n;
  for (int m = std::min(filled, count - 1); m > n; --m) {
    values[m] = values[m - 1];
    xs[m] = xs[m - 1];
    ys[m] = ys[m - 1];
  }
  values[n] = v;
  xs[n] = q / 15;
  ys[n] = q % 15;
  if (filled < count) ++filled;
  return filled == count ? values[count - 1] : 0;
}

}  // namespace

// A value that at least `count` squares reach or exceed: the count-th
// largest of eight maxima, each taken over its own eighth of the squares.
// Nothing below it can enter the first `count` places, so the scan starts
// with a high bar instead of inserting every early square.
static int32_t Floor(int count) {
  int32_t best[8] = {};
#ifdef __SSE2__
  __m128i m0 = _mm_setzero_si128(), m1 = _mm_setzero_si128();
  auto max = [](__m128i a, __m128i b) {
    __m128i greater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(greater, a), _mm_andnot_si128(greater, b));
  };
  for (int q0 = 0; q0 < kPaddedSquares; q0 += 8) {
    m0 = max(m0, _mm_load_si128(reinterpret_cast<const __m128i*>(&S.both[q0])));
    m1 = max(m1, _mm_load_si128(reinterpret_cast<const __m128i*>(&S.both[q0 + 4])));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(best), m0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(best + 4), m1);
#else
  for (int q = 0; q < kPaddedSquares; ++q) best[q % 8] = std::max(best[q % 8], S.both[q]);
#endif
  std::nth_element(best, best + (count - 1), best + 8, std::greater<int32_t>());
  return best[count - 1];
}

int BestSquaresForBoth(int count, int xs[], int ys[], int values[]) {
  int filled = 0;
  if (count <= 0) return 0;
  // Positive values only; at least the floor; above the last place once full.
  const int32_t floor = count <= 8 ? std::max(Floor(count) - 1, 0) : 0;
  int32_t bar = floor;
  for (int q0 = 0; q0 < kPaddedSquares; q0 += 4) {
#ifdef __SSE2__
    __m128i group = _mm_load_si128(reinterpret_cast<const __m128i*>(&S.both[q0]));
    int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(group, _mm_set1_epi32(bar))));
#else
    int mask = 0;
    for (int lane = 0; lane < 4; ++lane) mask |= (S.both[q0 + lane] > bar) << lane;
#endif
    // Squares of the group in order; the bar may rise after each.
    for (; mask != 0; mask &= mask - 1) {
      int q = q0 + __builtin_ctz(unsigned(mask));
      if (S.both[q] > bar)
        bar = std::max(floor, Offer(q, S.both[q], count, filled, xs, ys, values));
    }
  }
  return filled;
}

void PublishPotential() {
  for (int x = 0; x < 15; ++x) {
    for (int y = 0; y < 15; ++y) {
      int q = x * 15 + y;
      bool empty = S.cell[q] == kEmpty;
      Potential[x][y][0] = 0;
      Potential[x][y][1] = empty ? S.raw[1][q] : 0;
      Potential[x][y][2] = empty ? S.raw[2][q] : 0;
    }
  }
}

void ComputePotential() {
  SyncEvaluationWithBoard();
  PublishPotential();
}

void RankCandidates() {
  std::memset(TopValue, 0, sizeof TopValue);
  std::memset(TopCol, 0, sizeof TopCol);
  std::memset(TopRow, 0, sizeof TopRow);
  const int last = std::clamp<int>(TopLast, 0, kMaxTopPlaces - 1);
  auto offer = [last](int k, int32_t v, int x, int y) {
    // Sorted highest first: not above the last place means not above any.
    if (!(v > TopValue[last][k])) return;
    int n = 0;
    while (!(v > TopValue[n][k])) ++n;
    for (int m = last; m > n; --m) {
      TopValue[m][k] = TopValue[m - 1][k];
      TopCol[m][k] = TopCol[m - 1][k];
      TopRow[m][k] = TopRow[m - 1][k];
    }
    TopValue[n][k] = v;
    TopCol[n][k] = x;
    TopRow[n][k] = y;
  };
  for (int x = 0; x < 15; ++x) {
    for (int y = 0; y < 15; ++y) {
      int32_t yellow = Potential[x][y][1], blue = Potential[x][y][2];
      offer(1, yellow, x, y);
      offer(2, blue, x, y);
      offer(0, yellow + blue, x, y);
    }
  }
}
