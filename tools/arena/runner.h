// Runs the games of a schedule, several at once, each game in a process of
// its own: the characters play on the game's globals, which two games must
// never share, and a game's engine programs end with it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/arena/game.h"

struct ScheduledGame {
  int yellow = 0, blue = 0;  // player numbers
  int opening = 0;           // number in the opening set
  int32_t seed = 1;
};

// The games in schedule order, each pairing's openings played twice with
// colours swapped and the pairings interleaved: pair k of every pairing
// comes before pair k + 1 of any. Openings are taken in an order shuffled by
// seedBase; game seeds follow from seedBase and the game's place.
std::vector<ScheduledGame> MakeSchedule(const std::vector<std::pair<int, int>>& pairings,
                                        int pairsPerPairing, int openingCount, int32_t seedBase);

struct RunOptions {
  int parallel = 1;
  int engineStderr = -1;  // where external engines' stderr goes
};

// Plays the schedule, at most options.parallel games at a time. Hands every
// record to onRecord in schedule order, whatever order the games end in;
// when onRecord answers false the games still running are ended and the
// run stops. Returns false with error when a game's process failed or the
// run was interrupted.
bool RunSchedule(const std::vector<PlayerEntry>& players, const std::vector<Opening>& openings,
                 const std::vector<ScheduledGame>& schedule, const RunOptions& options,
                 const std::function<bool(const GameRecord&)>& onRecord, std::string& error);
