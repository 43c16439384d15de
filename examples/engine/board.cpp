// Placing a stone changes the keys of the 32 squares within four steps of it
// along its lines; each of those squares looks up its new shape for both
// sides and its new class, and the counts and sums are corrected by the
// difference.
#include "board.h"

#include <algorithm>
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
    std::mt19937_64 random(0x5eed);
    for (auto& side : zobrist)
      for (auto& key : side) key = random();
    sideKey[0] = random();
    sideKey[1] = random();
  }
  int neighbour[kCells][4][9];
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
      eval_[side][s] = info.eval;
      ++count_[side][info.threat];
      evalSum_[side] += info.eval;
    }
  for (int s = 0; s < kCells; ++s)
    if (cells[s] == 1 || cells[s] == 2) {
      SetCode(s, cells[s]);
      ++initialStones_;
    }
}

void Board::Place(int square, int side) {
  SetCode(square, side);
  moves_.push_back(square);
}

void Board::Undo() {
  int square = moves_.back();
  moves_.pop_back();
  SetCode(square, 0);
}

// Only empty squares are counted; a taken square's shapes are brought up to
// date when it is emptied again.
void Board::SetInfo(int side, int s, int shapeSet) {
  const SquareInfo& info = Combine(shapeSet);
  shapeSet_[side][s] = shapeSet;
  --count_[side][threat_[side][s]];
  ++count_[side][info.threat];
  evalSum_[side] += info.eval - eval_[side][s];
  threat_[side][s] = info.threat;
  value_[side][s] = int16_t(info.value);
  eval_[side][s] = info.eval;
}

void Board::SetCode(int square, int code) {
  const Geometry& geo = Geo();
  int old = cells_[square];
  if (code) {
    for (int side = 0; side < 2; ++side) {
      --count_[side][threat_[side][square]];
      evalSum_[side] -= eval_[side][square];
    }
  }
  cells_[square] = uint8_t(code);
  hash_ ^= geo.zobrist[(code ? code : old) - 1][square];
  for (int d = 0; d < 4; ++d)
    for (int k = -4; k <= 4; ++k) {
      if (!k) continue;
      int n = geo.neighbour[square][d][k + 4];
      if (n < 0) continue;
      // square is at offset -k as seen from n.
      int shift = 2 * KeySlot(-k);
      uint16_t oldKey = key_[n][d];
      uint16_t newKey = uint16_t((oldKey & ~(3 << shift)) | (code << shift));
      key_[n][d] = newKey;
      if (cells_[n]) continue;
      for (int side = 0; side < 2; ++side) {
        int delta = LineShape(side + 1, newKey) - LineShape(side + 1, oldKey);
        if (delta) SetInfo(side, n, shapeSet_[side][n] + delta * kLineFactor[d]);
      }
    }
  if (!code) {
    for (int side = 0; side < 2; ++side) {
      int set = 0;
      for (int d = 0; d < 4; ++d) set += LineShape(side + 1, key_[square][d]) * kLineFactor[d];
      // Counted again from its old class, which SetInfo replaces.
      ++count_[side][threat_[side][square]];
      evalSum_[side] += eval_[side][square];
      SetInfo(side, square, set);
    }
  }
  int delta = code ? 1 : -1;
  int x = square / kSize, y = square % kSize;
  for (int i = std::max(0, x - 2); i <= std::min(kSize - 1, x + 2); ++i)
    for (int j = std::max(0, y - 2); j <= std::min(kSize - 1, y + 2); ++j)
      near_[kSize * i + j] = static_cast<uint8_t>(near_[kSize * i + j] + delta);
}

int Board::Find(int side, Threat threat) const {
  if (!count_[side - 1][threat]) return -1;
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
