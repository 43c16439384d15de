// The main search: principal-variation alpha-beta, deepened iteratively,
// with a transposition table keyed by Zobrist hashes, moves ordered by
// threat class, killer moves and history, and only the squares that matter
// searched when a threat stands. The threat solver finds forced wins at the
// root and, before the move is chosen, the opponent's forced wins after it.
// With two threads, a helper searches the candidates from the moment the
// defence starts checking them; the two share the table (lazy SMP), and
// each puts last the moves the other is searching at the same position.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "board.h"
#include "table.h"
#include "threats.h"
#include "timeman.h"

namespace sample_engine {

constexpr int kWin = 20000;  // a five now; kWin - n: a five n plies ahead
// What a fork the search did not reach is worth to the side to move when
// the other side has no four to answer with (fitted with the weights in
// patterns.h).
constexpr int kFourThreeBonus = 3450;
constexpr int kDoubleThreeBonus = 5582;
// Which of those forks side, to move, holds unanswered: kMakesFourThree,
// kMakesDoubleThree, or kQuiet for none.
Threat UnansweredFork(const Tally& tally, int side);

struct SearchReport {
  int move = -1;
  int score = 0;
  int depth = 0;      // the deepest iteration that finished
  int64_t nodes = 0;  // positions of the main search
  int64_t threatNodes = 0;
  int dangerDepth = 0;      // the opponent's forced win if we passed, in its moves
  int refuted = 0;          // candidates found to lose to a forced win
  double attackMs = 0;      // time spent looking for our own forced win
  double defenceMs = 0;     // time spent on the opponent's forced wins
  const char* reason = "";  // what decided the move
};

// Moves with their ordering scores (the square in the low byte), handed out
// best first. Most nodes cut off after a move or two, so each is picked
// when asked for rather than all sorted up front.
class MoveList {
 public:
  int64_t* Scores() { return scored_; }
  // Takes count scored moves of which at most limit are handed out.
  void Reset(int count, int limit) {
    count_ = count;
    limit_ = std::min(count, limit);
    next_ = 0;
  }
  int Size() const { return limit_; }
  int Next();

 private:
  int64_t scored_[kCells];
  int count_ = 0, limit_ = 0, next_ = 0;
};

class Searcher {
 public:
  // threads: 2 adds the helper thread; more are not used.
  Searcher(Board& board, Clock& clock, int threads = 1);
  // The move for side 1, or -1 when the board is full.
  SearchReport Choose();

 private:
  static constexpr int kTableBits = 19;
  static constexpr int kMaxPly = 64;

  Searcher(Board& board, Clock& clock, TransTable& table);

  int Search(int side, int depth, int alpha, int beta, int ply);
  static int Evaluate(int side, const Tally& tally);
  // Search at depth 0 from the tally of a position not placed on the board.
  int Leaf(int side, const Tally& tally, int ply);
  // The moves worth searching for side, best first; at most limit of them
  // unless an open three of the opponent must be answered.
  void Generate(int side, int ply, int ttMove, int limit, MoveList& moves);
  int Generate(int side, int ply, int ttMove, int limit, int* moves);
  // The candidates at the root that do not lose to a forced win of the
  // opponent found within the time given.
  std::vector<int> SafeMoves(const std::vector<int>& moves, SearchReport& report);
  int RootSearch(std::vector<int>& moves, int depth, int alpha, int beta);
  // Iterative deepening from firstDepth over the root moves, best first,
  // until the time is spent or the result is decided; paced, it starts no
  // iteration the share of time would not hold. Sets the report's score and
  // deepest finished depth.
  void Deepen(std::vector<int>& moves, int firstDepth, bool paced, SearchReport& report);
  // The same on a board of its own set up as root, from one ply deeper,
  // on a thread of its own, until its clock (Clock::HelperClock) stops it.
  struct Position {
    uint8_t cells[kCells];
  };
  SearchReport Help(const Position& root, const std::vector<int>& moves, Clock clock);

  Board& board_;
  Clock& clock_;
  ThreatSolver solver_;
  // Kept from move to move (a position's worth does not change) and
  // allocated once per thread that calls Choose.
  static TransTable& Table();
  TransTable& table_;
  static BusyMoves& Busy();
  BusyMoves* busy_ = nullptr;  // shared while two threads search
  int threads_ = 1;
  int killers_[kMaxPly + 2][2] = {};
  int history_[2][kCells] = {};
  int64_t nodes_ = 0;
  int iterationBest_ = -1;  // a move that beat the last best in the current iteration
};

// One move from a position (cells as for ChooseEngineMove) within budgetMs.
// threads 0: what the environment's KAVRO_ENGINE_THREADS says (1 when
// several games share the machine), else two where the machine has two
// cores.
SearchReport Think(const uint8_t cells[kCells], int budgetMs, int threads = 0);

}  // namespace sample_engine
