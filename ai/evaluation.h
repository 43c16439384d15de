// Potentials of every square for both colours and the ranked candidate lists.
#pragma once

#include <cstdint>

constexpr int kMaxTopPlaces = 10;

extern int32_t Potential[15][15][3];  // [x][y][colour]
extern int32_t TopLast;               // index of the last place of each list
extern int32_t TopValue[kMaxTopPlaces][3];
extern int32_t TopCol[kMaxTopPlaces][3];
extern int32_t TopRow[kMaxTopPlaces][3];

void ComputePotential();
void RankCandidates();
