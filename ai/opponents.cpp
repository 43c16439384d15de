// The four computer characters. Each evaluates the board, then applies its
// rules in order; the first rule that applies answers. Random numbers are
// drawn only when their rule is reached, x before y, so a seeded generator
// replays a game exactly.
#include "ai/opponents.h"

#include <vector>

#include "ai/evaluation.h"
#include "ai/search.h"
#include "game/game_state.h"
#include "platform/platform.h"

namespace {

void Evaluate(int topLast) {
  TopLast = topLast;
  ComputePotential();
  RankCandidates();
}

Move Head(int list) { return {TopCol[0][list], TopRow[0][list]}; }

int32_t V1() { return TopValue[0][1]; }
int32_t V2() { return TopValue[0][2]; }

std::vector<int> PositivePlaces(int list, int from, int to) {
  std::vector<int> places;
  for (int n = from; n <= to && n <= TopLast; ++n)
    if (TopValue[n][list] > 0) places.push_back(n);
  return places;
}

// Place n of list k, drawn with RandomInt(from, to). A place of value 0 holds
// square (0, 0), which may be occupied; then the pick is drawn again among
// the places of the same range that have a positive value, failing that
// among all positive places of the list, failing that of list 0 (which has
// one whenever a move is possible). The answer is always an empty square.
std::optional<Move> RandomPlace(int k, int from, int to) {
  int n = RandomInt(from, to);
  if (TopValue[n][k] > 0) return Move{TopCol[n][k], TopRow[n][k]};
  std::vector<int> places = PositivePlaces(k, from, to);
  if (places.empty()) places = PositivePlaces(k, 0, TopLast);
  if (places.empty()) k = 0, places = PositivePlaces(0, 0, TopLast);
  if (places.empty()) return std::nullopt;
  n = places[RandomInt(0, int(places.size()) - 1)];
  return Move{TopCol[n][k], TopRow[n][k]};
}

// The opening square of the styles that draw one; only an empty board is
// expected here, a stone on it (a board edited behind the game's back) gives
// the best square for both colours instead.
std::optional<Move> OpeningSquare(int low, int high) {
  int x = RandomInt(low, high);
  int y = RandomInt(low, high);
  if (Board[x][y] == kEmpty) return Move{x, y};
  if (TopValue[0][0] > 0) return Head(0);
  return std::nullopt;
}

std::optional<Move> SpontaneMove() {
  Evaluate(9);
  if (TopValue[0][0] == 0) return std::nullopt;
  if (V2() >= kFourValue && RandomInt(0, 9) > 0) return Head(2);
  if (V1() >= kFourValue && RandomInt(0, 9) > 0) return Head(1);
  if (RandomInt(0, 3) > 0) {
    if (V2() >= kThreatValue) return Head(2);
    if (V1() >= kThreatValue) return Head(1);
  }
  if (MoveCount == 0) return OpeningSquare(0, 14);
  int k = RandomInt(1, 2);
  return RandomPlace(k, 2, 9);
}

std::optional<Move> FlexibleMove() {
  Evaluate(9);
  if (TopValue[0][0] == 0) return std::nullopt;
  if (V2() >= kFourValue) return Head(2);
  if (V1() >= kFourValue) return Head(1);
  if (V2() >= kThreatValue) return Head(2);
  if (V1() >= kThreatValue) return Head(1);
  if (MoveCount == 0) return OpeningSquare(5, 9);
  int k = RandomInt(1, 2);
  return RandomPlace(k, 0, 9);
}

std::optional<Move> KonsequenteMove() {
  Evaluate(4);
  if (TopValue[0][0] == 0) return std::nullopt;
  if (V2() >= kFourValue) return Head(2);
  if (V1() >= kFourValue) return Head(1);
  if (MoveCount == 0) return OpeningSquare(6, 8);
  if (MoveCount < 3) return RandomPlace(0, 0, 4);
  if (MoveCount < 6) return RandomPlace(0, 0, 2);
  // V1 = 0 with V2 > 0 counts as a ratio of at least 0.9.
  if (V1() == 0 || double(V2()) / double(V1()) >= 0.9) return Head(2);
  return Head(1);
}

std::optional<Move> DenkerMove(const SearchScreen& screen) {
  Evaluate(4);
  if (V2() >= kFourValue) return Head(2);
  if (V1() >= kFourValue) return Head(1);
  if (MoveCount == 0) return OpeningSquare(6, 8);
  if (MoveCount < 7) return RandomPlace(1, 0, 2);
  const int depth = SearchDepthFor(MoveCount);
  return screen ? screen(depth) : RunSearch(depth).move;
}

}  // namespace

std::optional<Move> ChooseComputerMove(const SearchScreen& screen) {
  return ChooseMoveOfKind(PlayerKind[2], screen);
}

std::optional<Move> ChooseMoveOfKind(int kind, const SearchScreen& screen) {
  if (kind == Denker) return DenkerMove(screen);
  if (kind == Konsequente) return KonsequenteMove();
  if (kind == Flexible) return FlexibleMove();
  if (kind == Spontane) return SpontaneMove();
  return std::nullopt;
}
