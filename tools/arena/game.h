// One game of the arena, start to end, and its record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/arena/openings.h"
#include "tools/arena/players.h"

enum class Outcome { kYellowWins, kBlueWins, kDraw };

struct MoveRecord {
  int x = 0, y = 0;
  int ms = 0;  // 0 for the opening's stones
};

struct GameRecord {
  int index = 0;             // place in the run's schedule
  int yellow = 0, blue = 0;  // player numbers; yellow moves first
  int opening = -1;          // number in the run's opening set
  int openingStones = 0;     // the first moves of the record
  std::vector<MoveRecord> moves;
  Outcome outcome = Outcome::kDraw;
  // "five", "no five possible", or the fault that lost the game: "crash",
  // "time", "illegal", "garbage".
  std::string reason;
  BrainFault fault = BrainFault::kNone;
  int faultyColour = 0;  // 1 yellow, 2 blue: who lost by the fault
  std::string why;       // what went wrong, in words

  // One line of text and back, for the pipe from a game's process.
  std::string Serialize() const;
  static bool Deserialize(const std::string& text, GameRecord& record);
};

// Plays one game from the opening, yellow first, the random generator seeded
// with seed. A player whose answer is missing, off the board or taken loses.
// Uses the game's globals: run it alone in its process.
GameRecord PlayGame(const PlayerEntry& yellow, const PlayerEntry& blue, const Opening& opening,
                    int32_t seed, int engineStderr = -1);
