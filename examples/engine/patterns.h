// Line patterns: what a stone on a square makes along one line, looked up in
// a table by the eight squares around it, and what the four lines through a
// square make together.
#pragma once

#include <cstdint>

namespace sample_engine {

constexpr int kSize = 15;
constexpr int kCells = kSize * kSize;

// What one stone makes along one line, weakest to strongest. A shape is
// defined by what one more stone of the same side can make: an open three
// can become an open four, a four a five.
enum Shape : uint8_t {
  kNone,
  kOne,        // a lone stone with room: can become an open two
  kTwo,        // can become a (closed) three
  kOpenTwo,    // can become an open three
  kThree,      // can become a four
  kOpenThree,  // can become an open four
  kFour,       // one square completes a five
  kOpenFour,   // two squares complete a five
  kFive,
};
constexpr int kShapes = 9;

// What a stone on a square makes over all four lines, the class that moves
// are searched and ordered by.
enum Threat : uint8_t {
  kQuiet,
  kMakesThree,        // an open three
  kMakesThreePlus,    // an open three and a closed three or open two
  kMakesDoubleThree,  // two open threes
  kMakesFour,         // a four
  kMakesFourPlus,     // a four and a closed three or open two
  kMakesFourThree,    // a four and an open three
  kMakesOpenFour,     // an open four or two fours: wins
  kMakesFive,
};
constexpr int kThreats = 9;

// Neighbours along a line are coded in two bits each: 0 empty, 1 and 2 the
// stones of the two sides, 3 off the board. A key holds the eight squares
// from four before a square to four after it; KeySlot(offset) is the place
// of the square at that offset (-4..-1, 1..4), in two-bit steps.
constexpr int KeySlot(int offset) { return offset < 0 ? offset + 4 : offset + 3; }

// The class and the ordering value of a square whose four lines have the
// given shapes.
struct SquareInfo {
  Threat threat;
  int16_t value;  // for move ordering: grows with what the square makes
  // The square's weight in the static evaluation: [0] for the side to
  // move, [1] for the side that waits.
  int16_t eval[2];
};

// The evaluation adds up, over the empty squares, a weight for each line's
// shape and one for the class of the square. The weights differ for the
// side to move ([0]), which can act first, and for the side that waits
// ([1]). They were fitted to the results of recorded games between engine
// versions (kavro-engine-fit, 46 500 positions), with each player's strength
// fitted alongside so that the weights keep only what the position says. The
// fit is why a closed two counts for nothing and a bare four for little:
// only a four with support, or a fork, wins tempo that lasts.
constexpr int kEvalWeight[2][kShapes] = {{0, 2, 0, 10, 38, 44, 22, 135, 250},
                                         {0, 1, 0, 7, 16, 40, 46, 692, 250}};
constexpr int kClassWeight[2][kThreats] = {{0, 64, 109, 139, 38, 481, 2571, 0, 0},
                                           {0, 49, 34, 2, 71, 436, 872, 1, 0}};

// Four shapes, one a line, as one number: shape of line d times kShapes^d.
constexpr int kLineFactor[4] = {1, kShapes, kShapes* kShapes, kShapes* kShapes* kShapes};
constexpr int kShapeSets = kShapes * kShapes * kShapes * kShapes;

struct PatternTables {
  PatternTables();
  Shape byKey[2][65536];            // [side - 1][key]
  uint8_t bothByKey[65536];         // the two shapes of a key, side 1 in the low nibble
  SquareInfo combined[kShapeSets];  // [shape set]
};
extern const PatternTables kPatterns;

// The shape a stone of `side` (1 or 2) makes on a square whose neighbours
// are coded in key.
inline Shape LineShape(int side, uint16_t key) { return kPatterns.byKey[side - 1][key]; }
inline int BothShapes(uint16_t key) { return kPatterns.bothByKey[key]; }
inline const SquareInfo& Combine(int shapeSet) { return kPatterns.combined[shapeSet]; }

}  // namespace sample_engine
