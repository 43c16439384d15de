// The games kavro-arena records (--records DIR), read with the arena's own
// reader of its .psq files.
#pragma once

#include <string>
#include <vector>

#include "patterns.h"
#include "tools/arena/records.h"

struct RecordedGame {
  std::vector<int> moves;          // the squares played, in order
  std::vector<std::string> names;  // who moved first, then the other (when recorded)
};

// Empty when the file cannot be read or holds no game.
inline RecordedGame ReadRecordedGame(const char* path) {
  PsqGame psq;
  std::string error;
  RecordedGame game;
  if (!ReadPsq(path, psq, error)) return game;
  for (const MoveRecord& m : psq.moves) game.moves.push_back(sample_engine::kSize * m.x + m.y);
  game.names = psq.names;
  return game;
}
