// The games kavro-arena records (--records DIR): a header line, then one
// move a line as "x,y,ms", one-based; whatever follows the moves is skipped.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "patterns.h"

// The squares played, in order (empty when the file holds no moves).
inline std::vector<int> ReadRecordedGame(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::vector<int> moves;
  std::getline(in, line);
  while (std::getline(in, line)) {
    int x = 0, y = 0, ms = 0;
    if (std::sscanf(line.c_str(), "%d,%d,%d", &x, &y, &ms) != 3) break;
    if (x < 1 || x > 15 || y < 1 || y > 15) break;
    moves.push_back(sample_engine::kSize * (x - 1) + (y - 1));
  }
  return moves;
}
