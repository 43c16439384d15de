// The main search: principal-variation alpha-beta, deepened iteratively,
// with a transposition table keyed by Zobrist hashes, moves ordered by
// threat class, killer moves and history, and only the squares that matter
// searched when a threat stands. The threat solver finds forced wins at the
// root and, before the move is chosen, the opponent's forced wins after it.
#pragma once

#include <cstdint>
#include <vector>

#include "board.h"
#include "threats.h"
#include "timeman.h"

namespace sample_engine {

constexpr int kWin = 20000;  // a five now; kWin - n: a five n plies ahead

struct SearchReport {
  int move = -1;
  int score = 0;
  int depth = 0;        // the deepest iteration that finished
  int64_t nodes = 0;    // positions of the main search
  int64_t threatNodes = 0;
  const char* reason = "";  // what decided the move
};

class Searcher {
 public:
  Searcher(Board& board, Clock& clock);
  // The move for side 1, or -1 when the board is full.
  SearchReport Choose();

 private:
  struct Entry {
    uint64_t key = 0;
    int16_t score = 0;
    int16_t move = -1;
    int8_t depth = 0;
    uint8_t bound = 0;  // 1 upper, 2 lower, 3 exact
  };
  static constexpr int kTableBits = 20;
  static constexpr int kMaxPly = 64;

  int Search(int side, int depth, int alpha, int beta, int ply);
  int Evaluate(int side) const;
  // The moves worth searching for side, best first.
  void Generate(int side, int ply, int ttMove, std::vector<int>& moves);
  // The candidates at the root that do not lose to a forced win of the
  // opponent found within the time given.
  std::vector<int> SafeMoves(const std::vector<int>& moves);
  int RootSearch(std::vector<int>& moves, int depth, int alpha, int beta);

  Board& board_;
  Clock& clock_;
  ThreatSolver solver_;
  std::vector<Entry> table_;
  int killers_[kMaxPly + 2][2] = {};
  int history_[2][kCells] = {};
  int64_t nodes_ = 0;
};

// One move from a position (cells as for ChooseEngineMove) within budgetMs.
SearchReport Think(const uint8_t cells[kCells], int budgetMs);

}  // namespace sample_engine
