// The sample engine's move choice.
//
// This file is the place to write your own engine: it knows nothing of the
// game or of the network. ChooseEngineMove gets the board (1 = our stones,
// 2 = the opponent's, 0 = empty; cells[15 * x + y]) and a time budget, and
// answers an empty square.
//
// The engine behind it is built the way strong five-in-a-row engines are,
// one technique a file:
//   patterns.{h,cpp}  what a stone makes along a line (five, open four, four,
//                     open three, ...), from tables built once;
//   board.{h,cpp}     the board that keeps those shapes, the class of every
//                     empty square and the evaluation up to date stone by
//                     stone, with a Zobrist key;
//   threats.{h,cpp}   the threat-space solver: wins by continuous fours
//                     (VCF) and by fours and open threes (VCT);
//   search.{h,cpp}    the principal-variation search and the move choice:
//                     immediate fives and blocks, our forced wins, the
//                     opponent's forced wins after each candidate, then
//                     iterative deepening within the time left, on a
//                     second thread too where there is a second core;
//   table.h           the transposition table the threads share, and the
//                     moves they are searching at the moment;
//   timeman.{h,cpp}   the budget and its shares.
#include "move.h"

#include "search.h"

bool ChooseEngineMove(const uint8_t cells[225], int budgetMs, int& x, int& y) {
  sample_engine::SearchReport report = sample_engine::Think(cells, budgetMs);
  if (report.move < 0) return false;
  x = report.move / sample_engine::kSize;
  y = report.move % sample_engine::kSize;
  return true;
}
