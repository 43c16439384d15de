// Placing a stone changes the keys of the 32 squares within four steps of it
// along its lines; each of those squares looks up its new shape for both
// sides and its new class, and the counts and sums are corrected by the
// difference. What changed is logged, so taking the stone back restores it
// without looking anything up.
#include "board.h"

#include <algorithm>
#include <cstdlib>
#include <random>

namespace sample_engine {
namespace {

constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

struct Geometry {
  Geometry() {
    for (int x = 0; x < kSize; ++x)
      for (int y = 0; y < kSize; ++y)
        for (int d = 0; d < 4; ++d)
          for (int k = -4; k <= 4; ++k) {
            int nx = x + k * kDirections[d][0], ny = y + k * kDirections[d][1];
            bool on = nx >= 0 && nx < kSize && ny >= 0 && ny < kSize;
            neighbour[kSize * x + y][d][k + 4] = on ? kSize * nx + ny : -1;
          }
    for (int s = 0; s < kCells; ++s)
      for (int d = 0; d < 4; ++d)
        for (int k = -4; k <= 4; ++k)
          if (int n = neighbour[s][d][k + 4]; k && n >= 0)
            links[s][linkCount[s]++] = {uint16_t(4 * n + d), uint16_t(2 * KeySlot(-k))};
    for (int s = 0; s < kCells; ++s)
      for (int n = 0; n < kCells; ++n)
        area[s].Put(n,
                    std::abs(n / kSize - s / kSize) <= 2 && std::abs(n % kSize - s % kSize) <= 2);
    std::mt19937_64 random(0x5eed);
    for (auto& side : zobrist)
      for (auto& key : side) key = random();
    sideKey[0] = random();
    sideKey[1] = random();
  }
  int neighbour[kCells][4][9];
  // The keys a stone changes: key_[square][direction] as one index, and
  // the stone's place in that key.
  struct Link {
    uint16_t key;
    uint16_t shift;
  };
  Link links[kCells][32];
  int linkCount[kCells] = {};
  SquareSet area[kCells];  // the squares within two steps
  uint64_t zobrist[2][kCells];
  uint64_t sideKey[2];
};

const Geometry& Geo() {
  static const Geometry geometry;
  return geometry;
}

}  // namespace

int Board::Neighbour(int square, int direction, int offset) {
  return Geo().neighbour[square][direction][offset + 4];
}

uint64_t Board::SideKey(int side) { return Geo().sideKey[side - 1]; }

Board::Board(const uint8_t cells[kCells]) {
  const Geometry& geo = Geo();
  moves_.reserve(kCells);
  // A stone changes at most the 32 squares on its lines, for both sides.
  log_.resize(size_t(kCells) * 64);
  // Off-board neighbours are coded 3 once and for all.
  for (int s = 0; s < kCells; ++s)
    for (int d = 0; d < 4; ++d)
      for (int k = -4; k <= 4; ++k)
        if (k && geo.neighbour[s][d][k + 4] < 0) key_[s][d] |= uint16_t(3 << (2 * KeySlot(k)));
  for (int s = 0; s < kCells; ++s)
    for (int side = 0; side < 2; ++side) {
      int set = 0;
      for (int d = 0; d < 4; ++d) set += LineShape(side + 1, key_[s][d]) * kLineFactor[d];
      const SquareInfo& info = Combine(set);
      shapeSet_[side][s] = set;
      threat_[side][s] = info.threat;
      value_[side][s] = info.value;
      ++tally_.count[side][info.threat];
      tally_.evalSum[side][0] += info.eval[0];
      tally_.evalSum[side][1] += info.eval[1];
    }
  for (int s = 0; s < kCells; ++s)
    if (cells[s] == 1 || cells[s] == 2) {
      Put(s, cells[s]);
      candidates_ = candidates_ | geo.area[s];
      ++initialStones_;
    }
  candidates_ = candidates_ & ~taken_;
  logSize_ = 0;  // the stones given are never taken back
}

namespace {

// A square's class for side index i goes from `before` to `after`.
void Retally(Tally& tally, int i, const SquareInfo& before, const SquareInfo& after) {
  --tally.count[i][before.threat];
  ++tally.count[i][after.threat];
  tally.evalSum[i][0] += after.eval[0] - before.eval[0];
  tally.evalSum[i][1] += after.eval[1] - before.eval[1];
}

// A square taken leaves the tally of side index i.
void Untally(Tally& tally, int i, const SquareInfo& info) {
  --tally.count[i][info.threat];
  tally.evalSum[i][0] -= info.eval[0];
  tally.evalSum[i][1] -= info.eval[1];
}

}  // namespace

void Board::Place(int square, int side) {
  Saved& saved = saved_[moves_.size()];
  saved.tally = tally_;
  saved.candidates = candidates_;
  std::copy(fours_, fours_ + 2, saved.fours);
  std::copy(threes_, threes_ + 2, saved.threes);
  saved.logSize = logSize_;
  Put(square, side);
  candidates_ = (candidates_ | Geo().area[square]) & ~taken_;
  moves_.push_back(square);
}

// Only empty squares are counted; a taken square's shapes stay as they were
// when it was taken, which is what they are again once the stones placed
// after it are taken back.
void Board::SetInfo(int side, int s, int shapeSet) {
  log_[size_t(logSize_++)] = {int16_t(s), uint8_t(side), threat_[side][s], value_[side][s],
                              shapeSet_[side][s]};
  const SquareInfo& info = Combine(shapeSet);
  Threat old = threat_[side][s];
  Retally(tally_, side, Combine(shapeSet_[side][s]), info);
  shapeSet_[side][s] = shapeSet;
  threat_[side][s] = info.threat;
  value_[side][s] = info.value;
  if (info.threat >= kMakesThree || old >= kMakesThree) {
    fours_[side].Put(s, info.threat >= kMakesFour);
    threes_[side].Put(s, info.threat >= kMakesThree);
  }
}

// A stone of side on square, before its keys are set: every key it changes
// as key(square, direction, new key), and the empty squares whose shapes it
// changes as shape(side index, square, new shape set).
template <class KeyChange, class ShapeChange>
void Board::ForChanges(int square, int side, KeyChange key, ShapeChange shape) const {
  const Geometry& geo = Geo();
  for (int l = 0; l < geo.linkCount[square]; ++l) {
    auto [index, shift] = geo.links[square][l];
    int n = index >> 2, d = index & 3;
    uint16_t oldKey = key_[n][d];
    uint16_t newKey = uint16_t(oldKey | side << shift);
    key(n, d, newKey);
    if (cells_[n]) continue;
    // Both sides' shapes in one lookup: a nibble each.
    int before = BothShapes(oldKey), after = BothShapes(newKey);
    if (before == after) continue;
    for (int i = 0; i < 2; ++i) {
      int delta = (after >> 4 * i & 15) - (before >> 4 * i & 15);
      if (delta) shape(i, n, shapeSet_[i][n] + delta * kLineFactor[d]);
    }
  }
}

void Board::Put(int square, int side) {
  const Geometry& geo = Geo();
  for (int i = 0; i < 2; ++i) {
    Untally(tally_, i, Combine(shapeSet_[i][square]));
    fours_[i].Put(square, false);
    threes_[i].Put(square, false);
  }
  cells_[square] = uint8_t(side);
  taken_.Put(square, true);
  hash_ ^= geo.zobrist[side - 1][square];
  ForChanges(
      square, side, [&](int n, int d, uint16_t key) { key_[n][d] = key; },
      [&](int i, int n, int shapeSet) { SetInfo(i, n, shapeSet); });
}

Tally Board::TotalsAfter(int square, int side) const {
  Tally after = tally_;
  for (int i = 0; i < 2; ++i) Untally(after, i, Combine(shapeSet_[i][square]));
  ForChanges(
      square, side, [](int, int, uint16_t) {},
      [&](int i, int n, int shapeSet) {
        Retally(after, i, Combine(shapeSet_[i][n]), Combine(shapeSet));
      });
  return after;
}

void Board::Undo() {
  const Geometry& geo = Geo();
  int square = moves_.back();
  moves_.pop_back();
  const Saved& saved = saved_[moves_.size()];
  for (int l = 0; l < geo.linkCount[square]; ++l) {
    auto [index, shift] = geo.links[square][l];
    key_[index >> 2][index & 3] &= uint16_t(~(3 << shift));
  }
  while (logSize_ > saved.logSize) {
    const Change& c = log_[size_t(--logSize_)];
    threat_[c.side][c.square] = c.threat;
    value_[c.side][c.square] = c.value;
    shapeSet_[c.side][c.square] = c.shapeSet;
  }
  std::copy(saved.fours, saved.fours + 2, fours_);
  std::copy(saved.threes, saved.threes + 2, threes_);
  tally_ = saved.tally;
  candidates_ = saved.candidates;
  hash_ ^= geo.zobrist[cells_[square] - 1][square];
  cells_[square] = 0;
  taken_.Put(square, false);
}

int Board::Find(int side, Threat threat) const {
  if (!tally_.count[side - 1][threat]) return -1;
  if (threat >= kMakesThree) {
    int found = -1;
    const SquareSet& set = threat >= kMakesFour ? fours_[side - 1] : threes_[side - 1];
    set.ForEach([&](int s) {
      if (found < 0 && threat_[side - 1][s] == threat) found = s;
    });
    return found;
  }
  for (int s = 0; s < kCells; ++s)
    if (!cells_[s] && threat_[side - 1][s] == threat) return s;
  return -1;
}

int Board::FiveSquareNear(int side, int square) const {
  const Geometry& geo = Geo();
  for (int d = 0; d < 4; ++d)
    for (int k = -4; k <= 4; ++k) {
      int n = geo.neighbour[square][d][k + 4];
      if (n >= 0 && !cells_[n] && threat_[side - 1][n] == kMakesFive) return n;
    }
  return -1;
}

}  // namespace sample_engine
