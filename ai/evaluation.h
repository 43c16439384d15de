// Potentials of every square for both colours and the ranked candidate lists.
#pragma once

#include <cstdint>

constexpr int kMaxTopPlaces = 10;

extern int32_t Potential[15][15][3];  // [x][y][colour]
extern int32_t TopLast;               // index of the last place of each list
extern int32_t TopValue[kMaxTopPlaces][3];
extern int32_t TopCol[kMaxTopPlaces][3];
extern int32_t TopRow[kMaxTopPlaces][3];

// The heads are compared with these by the characters and the search.
constexpr int32_t kFourValue = 625;    // 5^4: a window with four stones
constexpr int32_t kThreatValue = 250;  // 2 * 5^3: two windows with three stones

// The evaluation the game uses: incremental, kept in step with Board (edits
// made behind its back are noticed at the next call).
void ComputePotential();
void RankCandidates();

// The same two written straight from the rules, kept as the reference the
// fast ones are tested and measured against. Same inputs, same tables.
void ComputePotentialPlain();
void RankCandidatesPlain();
