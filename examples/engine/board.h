// The incremental board: for every square, line and side the shape a stone
// there makes, kept up to date stone by stone in a few table lookups, with
// the class of every empty square, counts of those classes, the evaluation
// sums and a Zobrist key.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns.h"

namespace sample_engine {

class Board {
 public:
  // cells[15 * x + y]: 0 empty, 1 and 2 the two sides.
  explicit Board(const uint8_t cells[kCells]);

  int At(int square) const { return cells_[square]; }
  bool Empty(int square) const { return cells_[square] == 0; }
  int Stones() const { return int(moves_.size()) + initialStones_; }
  int Moves() const { return int(moves_.size()); }
  int LastMove() const { return moves_.empty() ? -1 : moves_.back(); }

  void Place(int square, int side);
  void Undo();
  // Takes back every stone placed after `count` moves (an aborted search).
  void UndoTo(int count) {
    while (Moves() > count) Undo();
  }

  // What a stone of side (1 or 2) makes on the empty square.
  Threat ThreatOf(int side, int square) const { return threat_[side - 1][square]; }
  int ValueOf(int side, int square) const { return value_[side - 1][square]; }
  Shape ShapeOf(int side, int square, int direction) const {
    return LineShape(side, key_[square][direction]);
  }
  // How many empty squares have the class for side.
  int Count(int side, Threat threat) const { return count_[side - 1][threat]; }
  // How many empty squares make at least a four for side.
  int FourCount(int side) const {
    const int* c = count_[side - 1];
    return c[kMakesFour] + c[kMakesFourPlus] + c[kMakesFourThree] + c[kMakesOpenFour] +
           c[kMakesFive];
  }
  // The first empty square of the class for side, -1 if none.
  int Find(int side, Threat threat) const;
  // The square that completes side's five on the line through square, -1
  // if none (square holds side's fresh four).
  int FiveSquareNear(int side, int square) const;
  // Whether a stone within two squares (the area moves are taken from).
  bool Near(int square) const { return near_[square] > 0; }

  // The evaluation sum of side: what it can make on every empty square.
  int EvalSum(int side) const { return evalSum_[side - 1]; }
  uint64_t Hash() const { return hash_; }
  static uint64_t SideKey(int side);

  // Squares along each line: Neighbour(square, direction, offset) with
  // offset -4..4 (not 0), -1 when off the board.
  static int Neighbour(int square, int direction, int offset);

 private:
  void SetInfo(int side, int square, int shapeSet);
  void SetCode(int square, int code);

  uint8_t cells_[kCells] = {};
  uint16_t key_[kCells][4] = {};
  int shapeSet_[2][kCells] = {};  // the four line shapes of an empty square
  Threat threat_[2][kCells] = {};
  int16_t value_[2][kCells] = {};
  int16_t eval_[2][kCells] = {};
  int count_[2][kThreats] = {};
  int evalSum_[2] = {};
  uint8_t near_[kCells] = {};
  uint64_t hash_ = 0;
  int initialStones_ = 0;
  std::vector<int> moves_;
};

}  // namespace sample_engine
