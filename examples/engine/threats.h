// The threat-space solver: victory by continuous fours (VCF) and by fours
// and open threes (VCT), with a transposition table of its own.
//
// The attacker's moves are threats only. After a four the defender's reply
// is forced; after an open three the defender may take any square on which
// the attacker would make a four (that covers every square that stops the
// three) or make a four of its own, after which the attacker has to block
// and its threat must still stand. A proof therefore holds against every
// defence; a failure only means no win was found within the depth.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "board.h"
#include "timeman.h"

namespace sample_engine {

struct NodeLimit {};  // thrown when a query visits more positions than allowed

// Whether a stone of `defender` on the empty square leaves a win proved over
// `zone` (ThreatSolver::CollectZone) standing: it is off the zone, makes no
// three of its own, and no two on a line through the zone, where the
// defender's forced replies could make it a three.
bool LeavesProofStanding(const Board& board, int defender, int square,
                         const std::bitset<kCells>& zone);

class ThreatSolver {
 public:
  ThreatSolver(Board& board, Clock& clock);

  // Whether `attacker`, to move, wins by fours within `depth` of its own
  // moves; the first move in *first when given.
  bool Vcf(int attacker, int depth, int* first = nullptr);
  // The same by fours and open threes.
  bool Vct(int attacker, int depth, int* first = nullptr);

  // The squares of the win a query proves, collected while zone is set:
  // every square either side plays in the winning sequences and all their
  // defences, and the lines of the fours it ends with. A stone of the
  // defender anywhere else leaves that proof standing, unless the stone
  // gives the defender a threat of its own. Wins are searched, not looked
  // up, while collecting, since a position found in the table would hide
  // its squares.
  void CollectZone(std::bitset<kCells>* zone);

  // Limits the positions the queries that follow may visit (0: no limit).
  void SetNodeLimit(int64_t nodes) { limit_ = nodes ? nodes_ + nodes : 0; }
  int64_t Nodes() const { return nodes_; }

 private:
  struct Entry {
    uint64_t key = 0;
    int8_t depth = 0;
    bool win = false;
  };
  static constexpr int kTableBits = 18;

  bool VcfNode(int attacker, int depth, int* first);
  bool VctNode(int attacker, int depth, int* first);
  bool VctDefend(int attacker, int depth);
  // The attacker's threats, strongest first, into moves; fours only for
  // VCF. Returns how many.
  int Threats(int attacker, bool foursOnly, int* moves) const;
  bool Probe(uint64_t key, int depth, bool& win) const;
  void Store(uint64_t key, int depth, bool win);
  void Play(int square, int side) {
    Mark(square);
    board_.Place(square, side);
  }
  void Mark(int square) {
    if (zone_ && !zone_->test(size_t(square))) {
      zone_->set(size_t(square));
      marked_.push_back(square);
    }
  }
  // The lines through square, four steps each way, on which a stone of
  // side makes a four or five there, into the zone.
  void MarkLines(int square, int side);
  // The same for the first square of the class, looked for only while
  // collecting: the win leaves it marks are hot.
  void MarkLinesOfFirst(Threat threat, int side) {
    if (zone_) MarkLines(board_.Find(side, threat), side);
  }
  // Forgets what was marked since the log had `size` entries: an attacking
  // move that did not win is no part of the proof.
  void Unmark(size_t size);
  void Visit() {
    ++nodes_;
    clock_.Poll();
    if (limit_ && nodes_ > limit_) throw NodeLimit{};
  }

  Board& board_;
  Clock& clock_;
  // Kept from move to move (a position's worth does not change) and
  // allocated once per thread.
  static std::vector<Entry>& Table();
  std::vector<Entry>& table_;
  int64_t nodes_ = 0;
  int64_t limit_ = 0;
  std::bitset<kCells>* zone_ = nullptr;
  std::vector<int> marked_;
};

}  // namespace sample_engine
