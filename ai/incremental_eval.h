// The state behind the fast evaluation, for the look-ahead search: window
// counts and potentials updated per stone instead of recounted per position.
// The search places its trial stones through SearchPlace/SearchRemove, which
// change Board and this state together.
#pragma once

#include <cstdint>

// Brings the state in step with Board (only the squares that differ are
// updated). ComputePotential calls it; the search calls it once at its start.
void SyncEvaluationWithBoard();

// Board[x][y] = colour on an empty square / Board[x][y] = 0, with the state.
void SearchPlace(int x, int y, int colour);
void SearchRemove(int x, int y);

// True when some empty square has at least `threshold` (kFourValue or
// kThreatValue) for the colour; the same as TopValue[0][colour] >= threshold.
bool PotentialReaches(int colour, int threshold);

// What PotentialReaches would answer for both colours and both thresholds
// after a stone of `colour` on the empty square (x, y), without placing it:
// reaches[colour][0] for kThreatValue, [colour][1] for kFourValue. The
// search's last ply needs nothing else, so it never places those stones.
void ProbeReaches(int x, int y, int colour, bool reaches[3][2]);
// Only PotentialReaches(colour, kFourValue) after that stone: the one answer
// a last-ply position off a forced line needs, found with less work.
bool ProbeOwnFour(int x, int y, int colour);

// The first `count` places of list 0 with a positive value, in list order
// (x, y, value); answers how many there are. Equal to what RankCandidates
// would put in places 0 .. count-1 of list 0.
int BestSquaresForBoth(int count, int xs[], int ys[], int values[]);

// Writes the state's potentials into the global Potential table.
void PublishPotential();
