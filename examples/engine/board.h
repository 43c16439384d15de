// The incremental board: for every square, line and side the shape a stone
// there makes, kept up to date stone by stone in a few table lookups, with
// the class of every empty square, counts of those classes, the evaluation
// sums and a Zobrist key.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "patterns.h"

namespace sample_engine {

// A set of squares as bits, walked in square order without a scan of the
// board.
struct SquareSet {
  uint64_t word[4] = {};

  bool Has(int s) const { return word[s >> 6] >> (s & 63) & 1; }
  void Put(int s, bool in) {
    uint64_t bit = uint64_t(1) << (s & 63);
    word[s >> 6] = (word[s >> 6] & ~bit) | (in ? bit : 0);
  }
  SquareSet operator&(const SquareSet& o) const {
    SquareSet u;
    for (int i = 0; i < 4; ++i) u.word[i] = word[i] & o.word[i];
    return u;
  }
  // Sets the bits past the last square too: for masking only.
  SquareSet operator~() const {
    SquareSet u;
    for (int i = 0; i < 4; ++i) u.word[i] = ~word[i];
    return u;
  }
  SquareSet operator|(const SquareSet& o) const {
    SquareSet u;
    for (int i = 0; i < 4; ++i) u.word[i] = word[i] | o.word[i];
    return u;
  }
  template <class F>
  void ForEach(F f) const {
    for (int i = 0; i < 4; ++i)
      for (uint64_t bits = word[i]; bits; bits &= bits - 1) f(64 * i + std::countr_zero(bits));
  }
};

// What the evaluation reads of a board: how many empty squares have each
// class for each side, and the evaluation sums.
struct Tally {
  int count[2][kThreats] = {};
  int evalSum[2][2] = {};  // [side - 1][0 to move, 1 waiting]

  int Count(int side, Threat threat) const { return count[side - 1][threat]; }
  // How many empty squares make at least a four for side.
  int FourCount(int side) const {
    const int* c = count[side - 1];
    return c[kMakesFour] + c[kMakesFourPlus] + c[kMakesFourThree] + c[kMakesOpenFour] +
           c[kMakesFive];
  }
  // The evaluation sum of side, what it can make on every empty square,
  // weighed as for the side to move or as for the side that waits.
  int EvalSum(int side, bool toMove) const { return evalSum[side - 1][toMove ? 0 : 1]; }
};

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
  int Count(int side, Threat threat) const { return tally_.Count(side, threat); }
  int FourCount(int side) const { return tally_.FourCount(side); }
  const Tally& Totals() const { return tally_; }
  // The tally as it would be after side's stone on the empty square, worked
  // out without placing it: a leaf's evaluation needs no more.
  Tally TotalsAfter(int square, int side) const;
  // The empty squares on which side makes at least a four, at least an
  // open three.
  const SquareSet& Fours(int side) const { return fours_[side - 1]; }
  const SquareSet& Threes(int side) const { return threes_[side - 1]; }
  // The empty squares on which either side makes at least a four: all the
  // answers to an open three that can matter.
  SquareSet EitherFour() const { return fours_[0] | fours_[1]; }
  // The empty squares within two steps of a stone (the area moves are
  // taken from).
  const SquareSet& Candidates() const { return candidates_; }
  // The first empty square of the class for side, -1 if none.
  int Find(int side, Threat threat) const;
  // The square that completes side's five on the line through square, -1
  // if none (square holds side's fresh four).
  int FiveSquareNear(int side, int square) const;

  int EvalSum(int side, bool toMove) const { return tally_.EvalSum(side, toMove); }
  uint64_t Hash() const { return hash_; }
  static uint64_t SideKey(int side);

  // Squares along each line: Neighbour(square, direction, offset) with
  // offset -4..4 (not 0), -1 when off the board.
  static int Neighbour(int square, int direction, int offset);

 private:
  void SetInfo(int side, int square, int shapeSet);
  void Put(int square, int side);
  template <class KeyChange, class ShapeChange>
  void ForChanges(int square, int side, KeyChange key, ShapeChange shape) const;

  // A square's class before a stone changed it.
  struct Change {
    int16_t square;
    uint8_t side;
    Threat threat;
    int16_t value;
    int shapeSet;
  };
  // What a move cannot restore from the log.
  struct Saved {
    Tally tally;
    SquareSet candidates, fours[2], threes[2];
    int logSize;
  };

  uint8_t cells_[kCells] = {};
  uint16_t key_[kCells][4] = {};
  int shapeSet_[2][kCells] = {};  // the four line shapes of an empty square
  Threat threat_[2][kCells] = {};
  int16_t value_[2][kCells] = {};
  Tally tally_;
  SquareSet fours_[2], threes_[2], candidates_, taken_;
  std::vector<Saved> saved_ = std::vector<Saved>(kCells);  // before each move
  std::vector<Change> log_;
  int logSize_ = 0;
  uint64_t hash_ = 0;
  int initialStones_ = 0;
  std::vector<int> moves_;
};

}  // namespace sample_engine
