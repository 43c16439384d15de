// The positions games start from. Each opening is played twice in a pairing,
// colours swapped, so that what the opening gives one side cancels out.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct Opening {
  std::vector<std::pair<int, int>> stones;  // x, y; yellow first, then alternating
};

// At least 60 openings of two to four stones near the centre.
const std::vector<Opening>& BuiltInOpenings();

// One opening per line, stones as zero-based x,y pairs separated by spaces
// ("7,7 8,8 6,8"); blank lines and lines from '#' on are skipped. False with
// error (naming the line) on a square off the board or taken twice.
bool ParseOpenings(const std::string& text, std::vector<Opening>& openings, std::string& error);
std::string FormatOpening(const Opening& opening);

// cells[15 * x + y]: 1 the side to move, 2 the other. Whether the side to
// move forces five by a chain of fours within depth of its own moves (an
// open four or a double four included).
bool WinsByFours(uint8_t cells[225], int depth);
// Whether either side wins the opening by a quick search: the side to move
// by fours, or the other side by a five on the board or a five it threatens
// twice.
bool OpeningIsDecided(const Opening& opening);
