#include "threats.h"

#include <algorithm>

namespace sample_engine {
namespace {

// Kinds of query in the table: what a position is worth depends on who
// attacks, who moves and whether threes count.
constexpr uint64_t kVcfSalt = 0x9e3779b97f4a7c15ull;
constexpr uint64_t kVctSalt = 0xc2b2ae3d27d4eb4full;
constexpr uint64_t kAttackerSalt[2] = {0x165667b19e3779f9ull, 0x27d4eb2f165667c5ull};

// An open three of the attacker offers this many threats at most; the
// strongest are tried, which keeps a deep search narrow.
constexpr int kMaxThreats = 12;

}  // namespace

// Allocated by the first query that stores: a helper thread of the main
// search never asks one.
std::vector<ThreatSolver::Entry>& ThreatSolver::Table() {
  thread_local std::vector<Entry> table;
  return table;
}

bool LeavesProofStanding(const Board& board, int defender, int square,
                         const std::bitset<kCells>& zone) {
  if (zone[size_t(square)]) return false;
  for (int d = 0; d < 4; ++d) {
    Shape shape = board.ShapeOf(defender, square, d);
    if (shape >= kThree) return false;
    if (shape >= kTwo)
      for (int k = -4; k <= 4; ++k) {
        int n = k ? Board::Neighbour(square, d, k) : -1;
        if (n >= 0 && zone[size_t(n)]) return false;
      }
  }
  return true;
}

ThreatSolver::ThreatSolver(Board& board, Clock& clock)
    : board_(board), clock_(clock), table_(Table()) {}

void ThreatSolver::CollectZone(std::bitset<kCells>* zone) {
  zone_ = zone;
  marked_.clear();
}

void ThreatSolver::MarkLines(int square, int side) {
  if (!zone_) return;
  Mark(square);
  for (int d = 0; d < 4; ++d)
    if (board_.ShapeOf(side, square, d) >= kFour)
      for (int k = -4; k <= 4; ++k)
        if (k && Board::Neighbour(square, d, k) >= 0) Mark(Board::Neighbour(square, d, k));
}

void ThreatSolver::Unmark(size_t size) {
  if (!zone_) return;
  while (marked_.size() > size) {
    zone_->reset(size_t(marked_.back()));
    marked_.pop_back();
  }
}

bool ThreatSolver::Probe(uint64_t key, int depth, bool& win) const {
  if (table_.empty()) return false;
  const Entry& e = table_[key & ((size_t(1) << kTableBits) - 1)];
  if (e.key != key) return false;
  // A win found within fewer moves is a win with more; no win within more
  // moves is none with fewer.
  if (e.win && e.depth <= depth && !zone_) return win = true;
  if (!e.win && e.depth >= depth) return !(win = false);
  return false;
}

void ThreatSolver::Store(uint64_t key, int depth, bool win) {
  if (table_.empty()) table_.resize(size_t(1) << kTableBits);
  Entry& e = table_[key & ((size_t(1) << kTableBits) - 1)];
  e.key = key;
  e.depth = int8_t(std::clamp(depth, -100, 100));
  e.win = win;
}

int ThreatSolver::Threats(int attacker, bool foursOnly, int* moves) const {
  int count = 0;
  (foursOnly ? board_.Fours(attacker) : board_.Threes(attacker)).ForEach([&](int s) {
    moves[count++] = s;
  });
  const Board& b = board_;
  std::sort(moves, moves + count, [&](int l, int r) {
    if (b.ThreatOf(attacker, l) != b.ThreatOf(attacker, r))
      return b.ThreatOf(attacker, l) > b.ThreatOf(attacker, r);
    return b.ValueOf(attacker, l) + b.ValueOf(3 - attacker, l) >
           b.ValueOf(attacker, r) + b.ValueOf(3 - attacker, r);
  });
  return count;
}

bool ThreatSolver::Vcf(int attacker, int depth, int* first) {
  int moves = board_.Moves();
  try {
    return VcfNode(attacker, depth, first);
  } catch (...) {
    board_.UndoTo(moves);
    throw;
  }
}

bool ThreatSolver::Vct(int attacker, int depth, int* first) {
  int moves = board_.Moves();
  try {
    return VctNode(attacker, depth, first);
  } catch (...) {
    board_.UndoTo(moves);
    throw;
  }
}

bool ThreatSolver::VcfNode(int a, int depth, int* first) {
  Visit();
  int o = 3 - a;
  if (board_.Count(a, kMakesFive)) {
    if (first) *first = board_.Find(a, kMakesFive);
    MarkLinesOfFirst(kMakesFive, a);
    return true;
  }
  int forced = -1;
  if (int theirs = board_.Count(o, kMakesFive)) {
    // The defender's four must be blocked, and the block must be a four.
    if (theirs > 1) return false;
    forced = board_.Find(o, kMakesFive);
    if (board_.ThreatOf(a, forced) < kMakesFour) return false;
  } else if (board_.Count(a, kMakesOpenFour)) {
    if (first) *first = board_.Find(a, kMakesOpenFour);
    MarkLinesOfFirst(kMakesOpenFour, a);
    return true;
  }
  if (depth <= 0) return false;
  uint64_t key = board_.Hash() ^ kVcfSalt ^ kAttackerSalt[a - 1];
  bool known;
  if (!first && Probe(key, depth, known)) return known;

  int moves[kCells], count = 1;
  if (forced >= 0)
    moves[0] = forced;
  else
    count = Threats(a, true, moves);
  for (int i = 0; i < count; ++i) {
    int m = moves[i];
    size_t mark = marked_.size();
    Play(m, a);
    bool win = false;
    if (board_.Count(a, kMakesFive) >= 2) {
      MarkLines(m, a);
      win = true;
    } else if (board_.Count(a, kMakesFive) == 1) {
      Play(board_.FiveSquareNear(a, m) >= 0 ? board_.FiveSquareNear(a, m)
                                            : board_.Find(a, kMakesFive),
           o);
      win = VcfNode(a, depth - 1, nullptr);
      board_.Undo();
    }
    board_.Undo();
    if (win) {
      if (first) *first = m;
      Store(key, depth, true);
      return true;
    }
    Unmark(mark);
  }
  Store(key, depth, false);
  return false;
}

bool ThreatSolver::VctNode(int a, int depth, int* first) {
  Visit();
  int o = 3 - a;
  if (board_.Count(a, kMakesFive)) {
    if (first) *first = board_.Find(a, kMakesFive);
    MarkLinesOfFirst(kMakesFive, a);
    return true;
  }
  if (int theirs = board_.Count(o, kMakesFive)) {
    // The defender answered with a four: block it; the attack goes on only
    // if a threat still stands afterwards.
    if (theirs > 1) return false;
    int block = board_.Find(o, kMakesFive);
    Play(block, a);
    bool win =
        (board_.Count(a, kMakesFive) || board_.Count(a, kMakesOpenFour)) && VctDefend(a, depth);
    board_.Undo();
    if (win && first) *first = block;
    return win;
  }
  if (board_.Count(a, kMakesOpenFour)) {
    if (first) *first = board_.Find(a, kMakesOpenFour);
    MarkLinesOfFirst(kMakesOpenFour, a);
    return true;
  }
  if (depth <= 0) return false;
  uint64_t key = board_.Hash() ^ kVctSalt ^ kAttackerSalt[a - 1] ^ Board::SideKey(a);
  bool known;
  if (!first && Probe(key, depth, known)) return known;

  // An open three of the defender outruns a three of ours: only fours then.
  int moves[kCells];
  int count = Threats(a, board_.Count(o, kMakesOpenFour) > 0, moves);
  int fours = 0;
  while (fours < count && board_.ThreatOf(a, moves[fours]) >= kMakesFour) ++fours;
  count = std::min(count, fours + kMaxThreats);
  for (int i = 0; i < count; ++i) {
    int m = moves[i];
    size_t mark = marked_.size();
    Play(m, a);
    bool win = VctDefend(a, depth);
    board_.Undo();
    if (win) {
      if (first) *first = m;
      Store(key, depth, true);
      return true;
    }
    Unmark(mark);
  }
  Store(key, depth, false);
  return false;
}

bool ThreatSolver::VctDefend(int a, int depth) {
  Visit();
  int o = 3 - a;
  if (board_.Count(o, kMakesFive)) return false;  // the defender completes a five
  int fives = board_.Count(a, kMakesFive);
  if (fives >= 2) {
    MarkLines(board_.LastMove(), a);
    return true;
  }
  if (fives == 1) {
    Play(board_.Find(a, kMakesFive), o);
    bool win = VctNode(a, depth - 1, nullptr);
    board_.Undo();
    return win;
  }
  if (!board_.Count(a, kMakesOpenFour)) return false;  // no threat stands
  uint64_t key = board_.Hash() ^ kVctSalt ^ kAttackerSalt[a - 1] ^ Board::SideKey(o);
  bool known;
  if (Probe(key, depth, known)) return known;

  // Every square on which the attacker would make a four (that includes
  // every square that stops the three), and the defender's own fours.
  int defences[kCells], count = 0;
  board_.EitherFour().ForEach([&](int s) { defences[count++] = s; });
  const Board& b = board_;
  std::sort(defences, defences + count, [&](int l, int r) {
    return b.ValueOf(a, l) + b.ValueOf(o, l) > b.ValueOf(a, r) + b.ValueOf(o, r);
  });
  for (int i = 0; i < count; ++i) {
    int d = defences[i];
    Play(d, o);
    bool win = VctNode(a, depth - 1, nullptr);
    board_.Undo();
    if (!win) {
      Store(key, depth, false);
      return false;
    }
  }
  Store(key, depth, true);
  return true;
}

}  // namespace sample_engine
