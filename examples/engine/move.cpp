// The sample engine's move choice: a threat-aware alpha-beta search.
//
// This file is the place to write your own engine: it knows nothing of the
// game or of the network. ChooseEngineMove gets the board (1 = our stones,
// 2 = the opponent's, 0 = empty; cells[15 * x + y]) and a time budget, and
// answers an empty square.
//
// How it plays, in the order it looks at a position:
//   1. a five of our own wins at once;
//   2. a five the opponent threatens must be blocked;
//   3. an open four (or two fours) of ours wins two moves later;
//   4. a chain of fours that ends in a five (VCF), or of fours and open
//      threes (VCT), wins by force;
//   5. otherwise an alpha-beta search, deepened step by step until the
//      budget is spent, over the squares near the stones. When the opponent
//      has an open three, only our fours and the squares that stop it are
//      searched. Leaves are scored by the line patterns of both sides.
//   6. Among the best moves, one after which the opponent has no forced
//      win by threats is preferred.
//
// Every line through a square is classified by one table lookup: the four
// squares on each side (own, empty, or blocked) index a table of 3^8 shapes
// built once from the definition of each shape.
#include "move.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {

constexpr int N = 15;
constexpr int kWin = 1000000;
constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

// What a stone makes along one line, weakest to strongest.
enum Shape : uint8_t { kNone, kTwo, kOpenTwo, kThree, kOpenThree, kFour, kOpenFour, kFive };

// shapeTable[i]: the shape of a stone whose eight neighbours along a line
// (four before, four after; 0 empty, 1 own, 2 opponent or edge) are the
// base-3 digits of i, lowest digit farthest before.
class ShapeTable {
 public:
  ShapeTable() {
    int power[8];
    for (int i = 0, p = 1; i < 8; ++i, p *= 3) power[i] = p;
    // A shape is defined by the shapes one more own stone can make, so the
    // patterns with the most own stones are classified first.
    for (int own = 8; own >= 0; --own)
      for (int index = 0; index < kSize; ++index) {
        int digits[8], count = 0;
        for (int i = 0, rest = index; i < 8; ++i, rest /= 3) {
          digits[i] = rest % 3;
          count += digits[i] == 1;
        }
        if (count == own) shapes_[index] = Classify(index, digits, power);
      }
  }
  Shape operator[](int index) const { return shapes_[index]; }

 private:
  static constexpr int kSize = 6561;

  Shape Classify(int index, const int digits[8], const int power[8]) const {
    int run = 1;
    for (int i = 3; i >= 0 && digits[i] == 1; --i) ++run;
    for (int i = 4; i < 8 && digits[i] == 1; ++i) ++run;
    if (run >= 5) return kFive;
    int fives = 0;
    Shape best = kNone;
    for (int i = 0; i < 8; ++i) {
      if (digits[i] != 0) continue;
      Shape next = shapes_[index + power[i]];
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
      default:
        return kNone;
    }
  }

  std::array<Shape, kSize> shapes_{};
};

const ShapeTable& Shapes() {
  static const ShapeTable table;
  return table;
}

// Ranks of a move by what it makes in its four lines.
constexpr int kMakesFive = 1 << 24;
constexpr int kMakesOpenFour = 1 << 20;  // open four or two fours: wins
constexpr int kMakesFourThree = 1 << 17;
constexpr int kMakesDoubleThree = 1 << 15;
constexpr int kShapeWeight[8] = {0, 10, 40, 60, 500, 700, 0, 0};

// Leaf evaluation: what each stone makes along each of its lines (a shape
// is counted once per stone in it).
constexpr int kStoneWeight[8] = {0, 2, 8, 10, 50, 60, 500, 5000};

struct Candidate {
  int x = 0, y = 0;
  int attack = 0;            // rank of the move for the side to move
  int defence = 0;           // rank of the same square for the opponent
  bool attackFour = false;   // makes a four or better
  bool defenceFour = false;  // the opponent would make a four or better here
  bool attackThree = false;  // makes an open three
  int order = 0;
};

struct SearchAbort {};

class Engine {
 public:
  Engine(const uint8_t cells[225], int budgetMs)
      : start_(Clock::now()), budgetMs_(std::max(1, budgetMs)) {
    for (int x = 0; x < N; ++x)
      for (int y = 0; y < N; ++y) {
        board_[x][y] = cells[N * x + y] <= 2 ? cells[N * x + y] : 2;
        if (board_[x][y]) MarkNear(x, y, 1);
      }
    for (int x = 0; x < N; ++x)
      for (int y = 0; y < N; ++y)
        for (int d = 0; d < 4; ++d) UpdateShapes(x, y, d);
  }

  bool Choose(int& bestX, int& bestY);

 private:
  using Clock = std::chrono::steady_clock;

  bool OnBoard(int x, int y) const { return x >= 0 && x < N && y >= 0 && y < N; }

  // Shapes are kept for every square, line and side, and renewed along the
  // four lines through a square whenever a stone is placed or taken.
  Shape LineShape(int x, int y, int d, int side) const { return shapes_[side - 1][x][y][d]; }

  void UpdateShapes(int x, int y, int d) {
    shapes_[0][x][y][d] = ComputeShape(x, y, d, 1);
    shapes_[1][x][y][d] = ComputeShape(x, y, d, 2);
  }

  void MarkNear(int x, int y, int delta) {
    for (int i = std::max(0, x - 2); i <= std::min(N - 1, x + 2); ++i)
      for (int j = std::max(0, y - 2); j <= std::min(N - 1, y + 2); ++j) near_[i][j] += delta;
  }

  void Set(int x, int y, int value) {
    MarkNear(x, y, value ? 1 : -1);
    board_[x][y] = uint8_t(value);
    for (int d = 0; d < 4; ++d)
      for (int k = -4; k <= 4; ++k) {
        int cx = x + k * kDirections[d][0], cy = y + k * kDirections[d][1];
        if (OnBoard(cx, cy)) UpdateShapes(cx, cy, d);
      }
  }

  void Place(int x, int y, int side) {
    Set(x, y, side);
    placed_.push_back(N * x + y);
  }
  void Undo() {
    int square = placed_.back();
    placed_.pop_back();
    Set(square / N, square % N, 0);
  }
  // Takes back what an aborted search left on the board.
  void UndoTo(size_t count) {
    while (placed_.size() > count) Undo();
  }

  Shape ComputeShape(int x, int y, int d, int side) const {
    int index = 0, weight = 1;
    for (int k = -4; k <= 4; ++k) {
      if (k == 0) continue;
      int cx = x + k * kDirections[d][0], cy = y + k * kDirections[d][1];
      int digit = 2;
      if (OnBoard(cx, cy)) digit = board_[cx][cy] == 0 ? 0 : board_[cx][cy] == side ? 1 : 2;
      index += digit * weight;
      weight *= 3;
    }
    return Shapes()[index];
  }

  // Rank of a stone of side on the empty square (x, y); four tells whether
  // it makes at least a four.
  int MoveRank(int x, int y, int side, bool& four) const {
    bool three;
    return MoveRank(x, y, side, four, three);
  }
  int MoveRank(int x, int y, int side, bool& four, bool& three) const {
    int count[8] = {};
    int sum = 0;
    for (int d = 0; d < 4; ++d) {
      Shape shape = LineShape(x, y, d, side);
      ++count[shape];
      sum += kShapeWeight[shape];
    }
    int fours = count[kFour] + count[kOpenFour];
    four = fours > 0 || count[kFive] > 0;
    three = count[kOpenThree] > 0;
    if (count[kFive]) return kMakesFive;
    if (count[kOpenFour] || fours >= 2) return kMakesOpenFour;
    if (fours && count[kOpenThree]) return kMakesFourThree + sum;
    if (count[kOpenThree] >= 2) return kMakesDoubleThree + sum;
    return sum;
  }

  std::vector<Candidate> Candidates(int side) const {
    std::vector<Candidate> list;
    for (int x = 0; x < N; ++x)
      for (int y = 0; y < N; ++y) {
        if (board_[x][y] || !near_[x][y]) continue;
        Candidate c;
        c.x = x;
        c.y = y;
        c.attack = MoveRank(x, y, side, c.attackFour, c.attackThree);
        c.defence = MoveRank(x, y, 3 - side, c.defenceFour);
        c.order = c.attack + c.defence * 7 / 8;
        list.push_back(c);
      }
    std::sort(list.begin(), list.end(),
              [](const Candidate& a, const Candidate& b) { return a.order > b.order; });
    return list;
  }

  int Evaluate(int side) const {
    int score[3] = {0, 0, 0};
    for (int x = 0; x < N; ++x)
      for (int y = 0; y < N; ++y) {
        int owner = board_[x][y];
        if (!owner) continue;
        for (int d = 0; d < 4; ++d) score[owner] += kStoneWeight[LineShape(x, y, d, owner)];
      }
    // The side to move has the tempo.
    return score[side] * 6 / 5 - score[3 - side];
  }

  // A fork the side to move can make (four and three, or two open threes)
  // is usually a win the search did not reach; one the opponent can make is
  // a danger it must spend its move on.
  static int ThreatBonus(const std::vector<Candidate>& moves) {
    int attack = 0, defence = 0;
    for (const Candidate& c : moves) {
      attack = std::max(attack, c.attack);
      defence = std::max(defence, c.defence);
    }
    int bonus = 0;
    if (attack >= kMakesFourThree)
      bonus += 20000;
    else if (attack >= kMakesDoubleThree)
      bonus += 8000;
    if (defence >= kMakesDoubleThree) bonus -= 2000;
    return bonus;
  }

  // The moves worth searching, or a decided value in `decided`.
  std::vector<Candidate> Moves(int side, int ply, int& decided) const;

  int Search(int side, int depth, int alpha, int beta, int ply);
  bool Vcf(int side, int depth, int* firstX, int* firstY);
  bool Vct(int side, int depth, int* firstX, int* firstY);
  bool ThreatHolds(int side, int depth);
  // Whether the opponent wins by fours after our stone on (x, y).
  bool OpponentWinsByFoursAfter(int x, int y) {
    Place(x, y, 1);
    bool lost = Vcf(2, 10, nullptr, nullptr);
    Undo();
    return lost;
  }
  // Phases of the move get shares of the budget, so the last one still has
  // time when the search before it ran out.
  void SetDeadline(int percent) {
    deadline_ = start_ + std::chrono::microseconds(int64_t(budgetMs_) * 10 * percent);
  }
  void CheckTime() {
    if ((++nodes_ & 255) == 0 && Clock::now() >= deadline_) throw SearchAbort{};
  }

  uint8_t board_[N][N] = {};
  Shape shapes_[2][N][N][4] = {};
  int near_[N][N] = {};  // stones within two squares
  std::vector<int> placed_;
  Clock::time_point start_;
  int budgetMs_;
  Clock::time_point deadline_;
  long nodes_ = 0;
};

constexpr int kUndecided = -2 * kWin;

std::vector<Candidate> Engine::Moves(int side, int ply, int& decided) const {
  decided = kUndecided;
  std::vector<Candidate> all = Candidates(side);
  std::vector<Candidate> blocks, answers;
  bool ownOpenFour = false, theirOpenFour = false;
  for (const Candidate& c : all) {
    if (c.attack >= kMakesFive) {
      decided = kWin - ply;
      return {c};
    }
    if (c.defence >= kMakesFive) blocks.push_back(c);
    ownOpenFour |= c.attack >= kMakesOpenFour;
    theirOpenFour |= c.defence >= kMakesOpenFour;
  }
  if (!blocks.empty()) return blocks;  // the first is played; two mean a loss
  if (ownOpenFour) {
    decided = kWin - ply - 2;
    for (const Candidate& c : all)
      if (c.attack >= kMakesOpenFour) return {c};
  }
  // A four with an open three wins when the opponent has no four to
  // answer with: it must block the four, and the three becomes an open four.
  bool theirFour = false;
  for (const Candidate& c : all) theirFour |= c.defenceFour;
  if (!theirFour && !theirOpenFour)
    for (const Candidate& c : all)
      if (c.attack >= kMakesFourThree) {
        decided = kWin - ply - 4;
        return {c};
      }
  if (theirOpenFour) {
    // Their open three: only our fours, or a square that stops it, help.
    for (const Candidate& c : all)
      if (c.attackFour || c.defenceFour) answers.push_back(c);
    return answers;
  }
  return all;
}

int Engine::Search(int side, int depth, int alpha, int beta, int ply) {
  CheckTime();
  int decided;
  std::vector<Candidate> moves = Moves(side, ply, decided);
  if (decided != kUndecided) return decided;
  if (moves.empty()) return 0;  // the board is full
  if (depth <= 0) return Evaluate(side) + ThreatBonus(moves);

  size_t width = depth >= 4 ? 10 : 8;
  if (moves.size() > width) moves.resize(width);
  int best = -kWin;
  for (const Candidate& c : moves) {
    Place(c.x, c.y, side);
    int value = -Search(3 - side, depth - 1, -beta, -alpha, ply + 1);
    Undo();
    if (value > best) best = value;
    if (value > alpha) alpha = value;
    if (alpha >= beta) break;
  }
  return best;
}

// A win by continuous fours for side: each of its moves makes a four, the
// opponent's reply is forced, and the chain ends in an open four or a five.
bool Engine::Vcf(int side, int depth, int* firstX, int* firstY) {
  CheckTime();
  std::vector<Candidate> all = Candidates(side);
  const Candidate* mustBlock = nullptr;
  for (const Candidate& c : all) {
    if (c.attack >= kMakesFive) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
    if (c.defence >= kMakesFive) {
      if (mustBlock) return false;  // two fives threatened
      mustBlock = &c;
    }
  }
  if (depth <= 0) return false;
  for (const Candidate& c : all) {
    if (!c.attackFour) continue;
    if (mustBlock && (c.x != mustBlock->x || c.y != mustBlock->y)) continue;
    if (c.attack >= kMakesOpenFour && !mustBlock) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
    Place(c.x, c.y, side);
    // The opponent has to take the one square that completes our five.
    int replyX = -1, replyY = -1;
    for (int d = 0; d < 4 && replyX < 0; ++d)
      for (int k = -4; k <= 4; ++k) {
        int rx = c.x + k * kDirections[d][0], ry = c.y + k * kDirections[d][1];
        if (!OnBoard(rx, ry) || board_[rx][ry]) continue;
        bool four;
        if (MoveRank(rx, ry, side, four) >= kMakesFive) {
          replyX = rx, replyY = ry;
          break;
        }
      }
    bool win = false;
    if (replyX >= 0) {
      Place(replyX, replyY, 3 - side);
      win = Vcf(side, depth - 1, nullptr, nullptr);
      Undo();
    }
    Undo();
    if (win) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
  }
  return false;
}

// A win by continuous threats for side: fours and open threes, each answered
// by every defence that matters (the squares that stop the threat, and the
// defender's own fours), until a five or an open four cannot be stopped.
bool Engine::Vct(int side, int depth, int* firstX, int* firstY) {
  CheckTime();
  std::vector<Candidate> all = Candidates(side);
  const Candidate* mustBlock = nullptr;
  for (const Candidate& c : all) {
    if (c.attack >= kMakesFive) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
    if (c.defence >= kMakesFive) {
      if (mustBlock) return false;
      mustBlock = &c;
    }
  }
  if (depth <= 0) return false;
  std::vector<Candidate> threats;
  for (const Candidate& c : all) {
    if (!c.attackFour && !c.attackThree) continue;
    if (mustBlock && (c.x != mustBlock->x || c.y != mustBlock->y)) continue;
    if (c.attack >= kMakesOpenFour && !mustBlock) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
    threats.push_back(c);
  }
  std::sort(threats.begin(), threats.end(),
            [](const Candidate& a, const Candidate& b) { return a.attack > b.attack; });
  if (threats.size() > 8) threats.resize(8);
  for (const Candidate& c : threats) {
    Place(c.x, c.y, side);
    bool win = ThreatHolds(side, depth);
    Undo();
    if (win) {
      if (firstX) *firstX = c.x, *firstY = c.y;
      return true;
    }
  }
  return false;
}

// After side's threat: whether every defence still loses to further threats.
bool Engine::ThreatHolds(int side, int depth) {
  std::vector<Candidate> replies = Candidates(3 - side);
  std::vector<Candidate> defences;
  int fives = 0;
  for (const Candidate& c : replies) {
    if (c.attack >= kMakesFive) return false;  // the defender wins first
    if (c.defence >= kMakesFive) ++fives;
  }
  if (fives >= 2) return true;
  for (const Candidate& c : replies) {
    if (fives == 1 ? c.defence >= kMakesFive : c.defenceFour || c.attackFour) defences.push_back(c);
  }
  if (defences.empty()) return false;
  for (const Candidate& d : defences) {
    Place(d.x, d.y, 3 - side);
    bool win = Vct(side, depth - 1, nullptr, nullptr);
    Undo();
    if (!win) return false;
  }
  return true;
}

bool Engine::Choose(int& bestX, int& bestY) {
  int stones = 0, emptyX = -1, emptyY = -1;
  for (int x = 0; x < N; ++x)
    for (int y = 0; y < N; ++y) {
      if (board_[x][y])
        ++stones;
      else if (emptyX < 0)
        emptyX = x, emptyY = y;
    }
  if (emptyX < 0) return false;
  bestX = emptyX, bestY = emptyY;
  if (stones == 0 || (stones == 1 && !board_[7][7])) {
    bestX = bestY = 7;
    return true;
  }

  int decided;
  std::vector<Candidate> moves = Moves(1, 0, decided);
  if (moves.empty()) return true;
  bestX = moves[0].x, bestY = moves[0].y;
  if (decided != kUndecided || moves.size() == 1) return true;
  // A blocked five threat leaves no choice.
  if (moves[0].defence >= kMakesFive) return true;

  try {
    int x, y;
    SetDeadline(20);
    if (Vcf(1, 12, &x, &y)) {
      bestX = x, bestY = y;
      return true;
    }
    SetDeadline(35);
    if (Vct(1, 6, &x, &y) && !OpponentWinsByFoursAfter(x, y)) {
      bestX = x, bestY = y;
      return true;
    }
  } catch (const SearchAbort&) {
    UndoTo(0);
  }

  SetDeadline(80);
  if (moves.size() > 20) moves.resize(20);
  std::vector<int> values(moves.size(), -kWin);
  for (int depth = 1; depth <= 20; ++depth) {
    std::vector<int> current(moves.size(), -kWin);
    try {
      int alpha = -kWin - 1;
      for (size_t i = 0; i < moves.size(); ++i) {
        const Candidate& c = moves[i];
        Place(c.x, c.y, 1);
        int value = -Search(2, depth - 1, -kWin - 1, -alpha, 1);
        Undo();
        current[i] = value;
        alpha = std::max(alpha, value);
      }
    } catch (const SearchAbort&) {
      UndoTo(0);
      break;
    }
    values = current;
    // The best move first: the next, deeper pass cuts more with it.
    std::vector<size_t> order(moves.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return values[a] > values[b]; });
    std::vector<Candidate> sortedMoves;
    std::vector<int> sortedValues;
    for (size_t i : order) sortedMoves.push_back(moves[i]), sortedValues.push_back(values[i]);
    moves = sortedMoves;
    values = sortedValues;
    if (values[0] >= kWin - 100 || values[0] <= -kWin + 100) break;
  }

  bestX = moves[0].x, bestY = moves[0].y;
  // Prefer a good move after which the opponent has no forced win: first
  // the quick test for a win by fours, then, among the moves that pass it,
  // the slower one for a win by fours and threes.
  std::vector<size_t> safe;
  SetDeadline(80);
  try {
    for (size_t i = 0; i < moves.size() && safe.size() < 4; ++i) {
      if (i > 0 && values[i] <= -kWin + 100) break;
      if (!OpponentWinsByFoursAfter(moves[i].x, moves[i].y)) safe.push_back(i);
    }
  } catch (const SearchAbort&) {
    UndoTo(0);
  }
  if (safe.empty()) return true;
  bestX = moves[safe[0]].x, bestY = moves[safe[0]].y;
  SetDeadline(100);
  try {
    for (size_t i : safe) {
      Place(moves[i].x, moves[i].y, 1);
      bool lost = Vct(2, 4, nullptr, nullptr);
      Undo();
      if (!lost) {
        bestX = moves[i].x, bestY = moves[i].y;
        break;
      }
    }
  } catch (const SearchAbort&) {
    UndoTo(0);
  }
  return true;
}

}  // namespace

bool ChooseEngineMove(const uint8_t cells[225], int budgetMs, int& x, int& y) {
  Engine engine(cells, budgetMs);
  return engine.Choose(x, y);
}
