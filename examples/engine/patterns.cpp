// The pattern tables, built once from the definition of each shape: a shape
// is known from the shapes that one more own stone can make, so the
// neighbourhoods with the most own stones are classified first.
#include "patterns.h"

#include <algorithm>
#include <array>

namespace sample_engine {
namespace {

constexpr int kNeighbours = 8;
constexpr int kTernary = 6561;  // 3^8: own, empty, blocked for each neighbour

class ShapeTable {
 public:
  ShapeTable() {
    int power[kNeighbours];
    for (int i = 0, p = 1; i < kNeighbours; ++i, p *= 3) power[i] = p;
    for (int own = kNeighbours; own >= 0; --own)
      for (int index = 0; index < kTernary; ++index) {
        int digits[kNeighbours], count = 0;
        for (int i = 0, rest = index; i < kNeighbours; ++i, rest /= 3) {
          digits[i] = rest % 3;  // 0 empty, 1 own, 2 blocked
          count += digits[i] == 1;
        }
        if (count == own) ternary_[index] = Classify(index, digits, power);
      }
  }
  Shape operator[](int index) const { return ternary_[index]; }

 private:
  Shape Classify(int index, const int digits[], const int power[]) const {
    int run = 1;
    for (int i = 3; i >= 0 && digits[i] == 1; --i) ++run;
    for (int i = 4; i < kNeighbours && digits[i] == 1; ++i) ++run;
    if (run >= 5) return kFive;  // six or more in a row wins too
    int fives = 0;
    Shape best = kNone;
    for (int i = 0; i < kNeighbours; ++i) {
      if (digits[i] != 0) continue;
      Shape next = ternary_[index + power[i]];
      if (next == kFive) ++fives;
      best = std::max(best, next);
    }
    if (fives >= 2) return kOpenFour;
    if (fives == 1) return kFour;
    switch (best) {
      case kOpenFour:
        return kOpenThree;
      case kFour:
        return kThree;
      case kOpenThree:
        return kOpenTwo;
      case kThree:
        return kTwo;
      case kOpenTwo:
        return kOne;
      default:
        return kNone;
    }
  }

  std::array<Shape, kTernary> ternary_{};
};

// Weights of one line's shape on an empty square, for ordering moves.
constexpr int kOrderWeight[kShapes] = {0, 2, 5, 14, 16, 48, 64, 0, 0};

}  // namespace

PatternTables::PatternTables() {
  const ShapeTable ternary;
  // The two-bit keys of both sides, mapped onto the ternary shapes.
  for (int side = 1; side <= 2; ++side)
    for (int key = 0; key < 65536; ++key) {
      int index = 0;
      for (int i = 0, p = 1; i < kNeighbours; ++i, p *= 3) {
        int code = (key >> (2 * i)) & 3;
        int digit = code == 0 ? 0 : code == side ? 1 : 2;
        index += digit * p;
      }
      byKey[side - 1][key] = ternary[index];
    }
  for (int key = 0; key < 65536; ++key)
    bothByKey[key] = uint8_t(byKey[0][key] | byKey[1][key] << 4);
  for (int index = 0; index < kShapeSets; ++index) {
    int count[kShapes] = {};
    int order = 0, eval[2] = {};
    for (int d = 0, rest = index; d < 4; ++d, rest /= kShapes) {
      ++count[rest % kShapes];
      order += kOrderWeight[rest % kShapes];
      for (int w = 0; w < 2; ++w) eval[w] += kEvalWeight[w][rest % kShapes];
    }
    int fours = count[kFour] + count[kOpenFour];
    int support = count[kThree] + count[kOpenTwo];
    Threat threat = kQuiet;
    if (count[kFive])
      threat = kMakesFive, order = 30000;
    else if (count[kOpenFour] || fours >= 2)
      threat = kMakesOpenFour, order = 16000;
    else if (fours && count[kOpenThree])
      threat = kMakesFourThree, order = 8000 + order;
    else if (fours)
      threat = support ? kMakesFourPlus : kMakesFour;
    else if (count[kOpenThree] >= 2)
      threat = kMakesDoubleThree, order = 4000 + order;
    else if (count[kOpenThree])
      threat = support ? kMakesThreePlus : kMakesThree;
    for (int w = 0; w < 2; ++w) eval[w] += kClassWeight[w][threat];
    combined[index] = {threat, int16_t(order), {int16_t(eval[0]), int16_t(eval[1])}};
  }
}

const PatternTables kPatterns;

}  // namespace sample_engine
