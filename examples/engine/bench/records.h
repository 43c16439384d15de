// The games kavro-arena records (--records DIR): a header line, then one
// move a line as "x,y,ms", one-based, then the names of the players.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "patterns.h"

struct RecordedGame {
  std::vector<int> moves;          // the squares played, in order
  std::vector<std::string> names;  // who moved first, then the other (when recorded)
};

inline RecordedGame ReadRecordedGame(const char* path) {
  std::ifstream in(path);
  std::string line;
  RecordedGame game;
  std::getline(in, line);
  while (std::getline(in, line)) {
    int x = 0, y = 0, ms = 0;
    if (std::sscanf(line.c_str(), "%d,%d,%d", &x, &y, &ms) != 3) break;
    if (x < 1 || x > 15 || y < 1 || y > 15) return game;
    game.moves.push_back(sample_engine::kSize * (x - 1) + (y - 1));
  }
  // The line that ended the moves is the first name.
  do {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) game.names.push_back(line);
  } while (std::getline(in, line));
  return game;
}
