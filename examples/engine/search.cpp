#include "search.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <thread>
#include <utility>

namespace sample_engine {
namespace {

constexpr int kDecided = kWin - 1000;  // scores beyond this are forced results
constexpr int kInfinity = kWin + 1;
constexpr int kMaxWidth = 14;  // moves searched where no threat stands

enum Bound : uint8_t { kUpper = 1, kLower = 2, kExact = 3 };

// Mate scores are stored relative to the node, not to the root.
int ToTable(int score, int ply) {
  return score > kDecided ? score + ply : score < -kDecided ? score - ply : score;
}
int FromTable(int score, int ply) {
  return score > kDecided ? score - ply : score < -kDecided ? score + ply : score;
}

}  // namespace

TransTable& Searcher::Table() {
  thread_local TransTable table(kTableBits);
  return table;
}

BusyMoves& Searcher::Busy() {
  thread_local BusyMoves busy;
  return busy;
}

Searcher::Searcher(Board& board, Clock& clock, int threads) : Searcher(board, clock, Table()) {
  threads_ = std::max(1, threads);
}

Searcher::Searcher(Board& board, Clock& clock, TransTable& table)
    : board_(board), clock_(clock), solver_(board, clock), table_(table) {
  for (auto& k : killers_) k[0] = k[1] = -1;
}

// Forks the search did not reach: with the tempo and no four to answer
// with, a four-three or two open threes usually win.
Threat UnansweredFork(const Tally& tally, int side) {
  int o = 3 - side;
  if (tally.FourCount(o)) return kQuiet;
  if (tally.Count(side, kMakesFourThree)) return kMakesFourThree;
  if (tally.Count(side, kMakesDoubleThree) && !tally.Count(o, kMakesOpenFour))
    return kMakesDoubleThree;
  return kQuiet;
}

int Searcher::Evaluate(int side, const Tally& tally) {
  int score = tally.EvalSum(side, true) - tally.EvalSum(3 - side, false);
  Threat fork = UnansweredFork(tally, side);
  score += fork == kMakesFourThree     ? kFourThreeBonus
           : fork == kMakesDoubleThree ? kDoubleThreeBonus
                                       : 0;
  return std::clamp(score, -kDecided / 2, kDecided / 2);
}

int MoveList::Next() {
  int best = next_;
  for (int i = next_ + 1; i < count_; ++i)
    if (scored_[i] > scored_[best]) best = i;
  std::swap(scored_[next_], scored_[best]);
  return int(scored_[next_++] & 255);
}

void Searcher::Generate(int side, int ply, int ttMove, int limit, MoveList& moves) {
  int o = 3 - side;
  // Against an open three only our fours and the squares that stop it help.
  bool defend = board_.Count(o, kMakesOpenFour) > 0;
  int64_t* scored = moves.Scores();
  int count = 0;
  (defend ? board_.EitherFour() : board_.Candidates()).ForEach([&](int s) {
    int64_t score =
        board_.ValueOf(side, s) + board_.ValueOf(o, s) * 7 / 8 + history_[side - 1][s] / 64;
    if (s == ttMove)
      score += 1 << 24;
    else if (ply <= kMaxPly && (s == killers_[ply][0] || s == killers_[ply][1]))
      score += 300;
    scored[count++] = score * 256 + s;
  });
  moves.Reset(count, defend ? count : limit);
}

int Searcher::Generate(int side, int ply, int ttMove, int limit, int* moves) {
  MoveList list;
  Generate(side, ply, ttMove, limit, list);
  for (int i = 0; i < list.Size(); ++i) moves[i] = list.Next();
  return list.Size();
}

// As Search at depth 0 where no four of the other side is to be blocked.
int Searcher::Leaf(int side, const Tally& tally, int ply) {
  ++nodes_;
  clock_.Poll();
  if (tally.Count(side, kMakesFive)) return kWin - ply;
  if (tally.Count(side, kMakesOpenFour)) return kWin - ply - 2;
  return Evaluate(side, tally);
}

int Searcher::Search(int side, int depth, int alpha, int beta, int ply) {
  ++nodes_;
  clock_.Poll();
  int o = 3 - side;
  if (board_.Count(side, kMakesFive)) return kWin - ply;
  if (int theirs = board_.Count(o, kMakesFive)) {
    if (theirs >= 2) return -(kWin - ply - 1);
    if (ply >= kMaxPly) return Evaluate(side, board_.Totals());
    // A forced block costs no depth.
    board_.Place(board_.Find(o, kMakesFive), side);
    int value = -Search(o, depth, -beta, -alpha, ply + 1);
    board_.Undo();
    return value;
  }
  if (board_.Count(side, kMakesOpenFour)) return kWin - ply - 2;
  if (depth <= 0 || ply >= kMaxPly) return Evaluate(side, board_.Totals());

  uint64_t key = board_.Hash() ^ Board::SideKey(side);
  TableEntry entry;
  int ttMove = -1;
  if (table_.Probe(key, entry)) {
    ttMove = entry.move;
    if (entry.depth >= depth) {
      int score = FromTable(entry.score, ply);
      if (entry.bound == kExact || (entry.bound == kLower && score >= beta) ||
          (entry.bound == kUpper && score <= alpha))
        return score;
    }
  }

  MoveList moves;
  Generate(side, ply, ttMove, kMaxWidth, moves);
  int count = moves.Size();
  if (!count) return 0;  // nowhere left to play

  // With two threads at work, a move the other one is searching here comes
  // last (never the first move: both search that one).
  bool share = busy_ && depth >= 3;
  int deferred[kCells][2], deferredCount = 0;  // the move and its place
  int alphaStart = alpha, best = -kInfinity, bestMove = -1;
  for (int k = 0; k < count + deferredCount; ++k) {
    int m, i;
    if (k < count) {
      m = moves.Next(), i = k;
      if (i > 0 && share && busy_->Busy(key, m)) {
        deferred[deferredCount][0] = m, deferred[deferredCount++][1] = i;
        continue;
      }
    } else {
      m = deferred[k - count][0], i = deferred[k - count][1];
    }
    bool quiet = board_.ThreatOf(side, m) < kMakesThree && board_.ThreatOf(o, m) < kMakesThree;
    int value;
    if (depth == 1 && board_.ThreatOf(side, m) < kMakesFour) {
      // The reply is a leaf, and no four of ours forces a block there: its
      // value needs the counts and sums after the move, not the move.
      value = -Leaf(o, board_.TotalsAfter(m, side), ply + 1);
    } else {
      if (share) busy_->Enter(key, m);
      board_.Place(m, side);
      if (i == 0) {
        value = -Search(o, depth - 1, -beta, -alpha, ply + 1);
      } else {
        // Late quiet moves are searched shallower first; a surprise is
        // searched again at full depth.
        int reduction = depth >= 3 && i >= 3 && quiet ? 1 + (i >= 8 && depth >= 5) : 0;
        value = -Search(o, depth - 1 - reduction, -alpha - 1, -alpha, ply + 1);
        if (value > alpha && reduction) value = -Search(o, depth - 1, -alpha - 1, -alpha, ply + 1);
        if (value > alpha && value < beta) value = -Search(o, depth - 1, -beta, -alpha, ply + 1);
      }
      board_.Undo();
      if (share) busy_->Leave(key, m);
    }
    if (value > best) best = value, bestMove = m;
    if (value > alpha) alpha = value;
    if (alpha >= beta) {
      if (quiet && killers_[ply][0] != m) killers_[ply][1] = killers_[ply][0], killers_[ply][0] = m;
      history_[side - 1][m] += depth * depth;
      break;
    }
  }
  entry.score = ToTable(best, ply);
  entry.move = bestMove;
  entry.depth = depth;
  entry.bound = best <= alphaStart ? kUpper : best >= beta ? kLower : kExact;
  table_.Store(key, entry);
  return best;
}

int Searcher::RootSearch(std::vector<int>& moves, int depth, int alpha, int beta) {
  int best = -kInfinity;
  size_t bestIndex = 0;
  for (size_t i = 0; i < moves.size(); ++i) {
    board_.Place(moves[i], 1);
    int value;
    if (i == 0) {
      value = -Search(2, depth - 1, -beta, -alpha, 1);
    } else {
      value = -Search(2, depth - 1, -alpha - 1, -alpha, 1);
      if (value > alpha && value < beta) value = -Search(2, depth - 1, -beta, -alpha, 1);
    }
    board_.Undo();
    if (value > best) {
      best = value, bestIndex = i;
      // A move that beat the first one is worth playing even if the
      // iteration does not finish.
      if (i > 0) iterationBest_ = moves[i];
    }
    if (value > alpha) alpha = value;
    if (alpha >= beta) break;
  }
  // The best move first: the next iteration cuts more with it.
  std::rotate(moves.begin(), moves.begin() + bestIndex, moves.begin() + bestIndex + 1);
  return best;
}

std::vector<int> Searcher::SafeMoves(const std::vector<int>& moves, SearchReport& report) {
  // Our stone never helps the opponent's threats, so when it has no forced
  // win even if we passed, it has none after any move of ours.
  int passDepth = 0;
  try {
    solver_.SetNodeLimit(std::max(40000, clock_.BudgetMs() * 100));
    for (int depth = 2; depth <= 16; depth += 2) {
      if (solver_.Vcf(2, 40) || solver_.Vct(2, depth)) {
        passDepth = depth;
        break;
      }
    }
  } catch (const TimeUp&) {
  } catch (const NodeLimit&) {
  }
  solver_.SetNodeLimit(0);
  report.dangerDepth = passDepth;
  if (!passDepth) return moves;
  // The defence may be a square the ordering ranks low: look at all of them,
  // but only where the opponent's winning sequence goes, and where we make a
  // threat of our own; a stone anywhere else leaves that sequence standing.
  std::bitset<kCells> zone;
  bool zoned = false;
  try {
    solver_.SetNodeLimit(std::max(40000, clock_.BudgetMs() * 100));
    solver_.CollectZone(&zone);
    zoned = solver_.Vcf(2, 40) || solver_.Vct(2, passDepth);
  } catch (const TimeUp&) {
  } catch (const NodeLimit&) {
  }
  solver_.CollectZone(nullptr);
  solver_.SetNodeLimit(0);
  int generated[kCells];
  std::vector<int> wide;
  int count = Generate(1, 0, -1, kCells, generated);
  for (int i = 0; i < count; ++i) {
    if (zoned && LeavesProofStanding(board_, 1, generated[i], zone))
      ++report.refuted;
    else
      wide.push_back(generated[i]);
  }

  // Everything loses: let the search find the longest defence.
  if (wide.empty()) return moves;
  // Every candidate is tried against ever deeper threat sequences, all of
  // them at one depth before any at the next, until the time is spent.
  std::vector<int> alive = wide;
  std::vector<bool> open(wide.size(), true);  // still worth a deeper look
  for (int depth = 2; depth <= 16; depth += 2) {
    std::vector<int> next;
    std::vector<bool> nextOpen;
    bool timeUp = false;
    for (size_t i = 0; i < alive.size(); ++i) {
      int m = alive[i];
      bool lost = false;
      if (open[i] && !timeUp) {
        board_.Place(m, 1);
        try {
          // A query may take more positions the more time the move has; the
          // shares of the budget still bound the whole.
          solver_.SetNodeLimit(std::max(3000 + 1000 * depth, clock_.BudgetMs() * 10 * depth));
          lost = (depth == 2 && solver_.Vcf(2, 40)) || solver_.Vct(2, depth);
        } catch (const NodeLimit&) {
          open[i] = false;
        } catch (const TimeUp&) {
          timeUp = true;  // the solver took back its own stones
        }
        board_.Undo();
      }
      if (lost) {
        ++report.refuted;
      } else {
        next.push_back(m);
        nextOpen.push_back(open[i]);
      }
    }
    if (next.empty()) break;  // everything loses: let the search find the longest defence
    alive = next;
    open = nextOpen;
    if (timeUp) break;
  }
  solver_.SetNodeLimit(0);
  if (alive.size() > moves.size()) alive.resize(moves.size());
  return alive;
}

SearchReport Searcher::Choose() {
  SearchReport report;
  table_.NextAge();
  int empty = -1;
  for (int s = 0; s < kCells && empty < 0; ++s)
    if (board_.Empty(s)) empty = s;
  if (empty < 0) return report;
  report.move = empty;
  int64_t helperNodes = 0;
  auto done = [&](int move, const char* reason) {
    report.move = move;
    report.reason = reason;
    report.nodes = nodes_ + helperNodes;
    report.threatNodes = solver_.Nodes();
    return report;
  };
  // The centre leaves the most room; a lone stone elsewhere does not change that.
  if (board_.Stones() <= 1 && board_.Empty(kCells / 2)) return done(kCells / 2, "opening");
  if (board_.Count(1, kMakesFive)) return done(board_.Find(1, kMakesFive), "five");
  if (board_.Count(2, kMakesFive)) return done(board_.Find(2, kMakesFive), "block");
  if (board_.Count(1, kMakesOpenFour)) return done(board_.Find(1, kMakesOpenFour), "open four");

  int move = -1;
  try {
    clock_.SetShare(10);
    if (solver_.Vcf(1, 40, &move)) return done(move, "VCF");
    clock_.SetShare(25);
    for (int depth = 2; depth <= 16; depth += 2) {
      solver_.SetNodeLimit(std::max(60000, clock_.BudgetMs() * 150));
      if (solver_.Vct(1, depth, &move)) return done(move, "VCT");
    }
  } catch (const TimeUp&) {
  } catch (const NodeLimit&) {
  }
  solver_.SetNodeLimit(0);
  board_.UndoTo(0);
  report.attackMs = clock_.ElapsedMs();

  int generated[kCells];
  std::vector<int> moves(generated, generated + Generate(1, 0, -1, 24, generated));
  if (moves.empty()) return done(empty, "no candidates");
  if (moves.size() == 1) return done(moves[0], "only move");
  // A helper searches the candidates while the defence checks them: the
  // table it fills serves the search that follows.
  clock_.SetShare(100);
  std::atomic<bool> stop{false};
  SearchReport helped;
  std::thread helper;
  if (threads_ > 1) {
    busy_ = &Busy();
    busy_->Clear();
    Position root;
    for (int s = 0; s < kCells; ++s) root.cells[s] = uint8_t(board_.At(s));
    helper = std::thread([&, root, rootMoves = moves, clock = clock_.HelperClock(&stop)] {
      helped = Help(root, rootMoves, clock);
    });
  }
  clock_.SetShare(55);
  moves = SafeMoves(moves, report);
  report.defenceMs = clock_.ElapsedMs() - report.attackMs;

  clock_.SetShare(100);
  report.reason = "search";
  Deepen(moves, 2, true, report);
  stop = true;
  if (helper.joinable()) helper.join();
  helperNodes = helped.nodes;
  // The helper's move when it got deeper, unless the defence refuted it.
  if (helped.depth > report.depth &&
      std::find(moves.begin(), moves.end(), helped.move) != moves.end()) {
    report.depth = helped.depth;
    report.score = helped.score;
    return done(helped.move, report.reason);
  }
  return done(moves[0], report.reason);
}

void Searcher::Deepen(std::vector<int>& moves, int firstDepth, bool paced, SearchReport& report) {
  for (int depth = firstDepth; depth <= kMaxPly; ++depth) {
    double startMs = clock_.ElapsedMs();
    iterationBest_ = -1;
    try {
      report.score = RootSearch(moves, depth, -kInfinity, kInfinity);
    } catch (const TimeUp&) {
      board_.UndoTo(0);
      if (iterationBest_ >= 0)
        std::iter_swap(moves.begin(), std::find(moves.begin(), moves.end(), iterationBest_));
      break;
    }
    report.depth = depth;
    if (std::abs(report.score) > kDecided) break;
    if (paced && !clock_.RoomFor(clock_.ElapsedMs() - startMs, 1.5)) break;
  }
}

SearchReport Searcher::Help(const Position& root, const std::vector<int>& moves, Clock clock) {
  Board board(root.cells);
  Searcher helper(board, clock, table_);
  helper.busy_ = busy_;
  std::vector<int> ordered = moves;
  SearchReport report;
  helper.Deepen(ordered, 3, false, report);
  report.move = ordered[0];
  report.nodes = helper.nodes_;
  return report;
}

SearchReport Think(const uint8_t cells[kCells], int budgetMs, int threads) {
  uint8_t clean[kCells];
  for (int s = 0; s < kCells; ++s) clean[s] = cells[s] <= 2 ? cells[s] : 2;
  Clock clock(budgetMs);
  if (threads <= 0) {
    const char* wanted = std::getenv("KAVRO_ENGINE_THREADS");
    threads = wanted ? std::atoi(wanted) : int(std::min(2u, std::thread::hardware_concurrency()));
  }
  Board board(clean);
  Searcher searcher(board, clock, threads);
  SearchReport report = searcher.Choose();
  // Whatever happened above, the answer is an empty square.
  if (report.move >= 0 && !board.Empty(report.move)) {
    report.move = -1;
    for (int s = 0; s < kCells && report.move < 0; ++s)
      if (board.Empty(s)) report.move = s;
  }
  return report;
}

}  // namespace sample_engine
