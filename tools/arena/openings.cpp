#include "tools/arena/openings.h"

#include <cstdio>
#include <sstream>

#include "engine_link/engine_link.h"
#include "game/game_state.h"

namespace {

constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

// Stones of owner in a row through (x, y), counting the square itself.
int RowThrough(const uint8_t cells[225], int x, int y, int dx, int dy, int owner) {
  int length = 1;
  for (int sign : {1, -1})
    for (int step = 1; step < 5; ++step) {
      int cx = x + sign * step * dx, cy = y + sign * step * dy;
      if (!OnBoard(cx, cy) || cells[15 * cx + cy] != owner) break;
      ++length;
    }
  return length;
}

bool MakesFive(const uint8_t cells[225], int x, int y, int owner) {
  for (auto& d : kDirections)
    if (RowThrough(cells, x, y, d[0], d[1], owner) >= 5) return true;
  return false;
}

std::vector<int> FiveSquares(const uint8_t cells[225], int owner) {
  std::vector<int> squares;
  for (int i = 0; i < 225; ++i)
    if (cells[i] == 0 && MakesFive(cells, i / 15, i % 15, owner)) squares.push_back(i);
  return squares;
}

bool HasFive(const uint8_t cells[225], int owner) {
  for (int i = 0; i < 225; ++i)
    if (cells[i] == owner) {
      for (auto& d : kDirections) {
        int length = 0;
        for (int step = 0; step < 5; ++step) {
          int cx = i / 15 + step * d[0], cy = i % 15 + step * d[1];
          if (!OnBoard(cx, cy) || cells[15 * cx + cy] != owner) break;
          ++length;
        }
        if (length == 5) return true;
      }
    }
  return false;
}

}  // namespace

bool WinsByFours(uint8_t cells[225], int depth) {
  if (!FiveSquares(cells, 1).empty()) return true;
  std::vector<int> theirs = FiveSquares(cells, 2);
  if (theirs.size() > 1 || depth <= 0) return false;
  for (int i = 0; i < 225; ++i) {
    if (cells[i] != 0 || (!theirs.empty() && i != theirs[0])) continue;
    cells[i] = 1;
    std::vector<int> threats = FiveSquares(cells, 1);
    bool wins = false;
    if (threats.size() > 1) {
      wins = true;
    } else if (threats.size() == 1 && !MakesFive(cells, threats[0] / 15, threats[0] % 15, 2)) {
      // The one reply, unless it makes the defender's five.
      cells[threats[0]] = 2;
      wins = FiveSquares(cells, 2).empty() && WinsByFours(cells, depth - 1);
      cells[threats[0]] = 0;
    }
    cells[i] = 0;
    if (wins) return true;
  }
  return false;
}

bool OpeningIsDecided(const Opening& opening) {
  BoardCells board{};
  const size_t count = opening.stones.size();
  for (size_t i = 0; i < count; ++i) {
    auto [x, y] = opening.stones[i];
    board[x][y] = i % 2 == 0 ? kYellow : kBlue;
  }
  // Seen by the side to move after the opening.
  auto position = PositionDatagram(board, count % 2 == 0 ? kYellow : kBlue);
  uint8_t* cells = position.data();
  if (HasFive(cells, 1) || HasFive(cells, 2)) return true;
  if (FiveSquares(cells, 2).size() > 1) return true;
  return WinsByFours(cells, 6);
}

bool ParseOpenings(const std::string& text, std::vector<Opening>& openings, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    Opening opening;
    bool taken[225] = {};
    while (words >> word) {
      int x = -1, y = -1;
      char rest;
      if (std::sscanf(word.c_str(), "%d,%d%c", &x, &y, &rest) != 2 || !OnBoard(x, y) ||
          taken[15 * x + y]) {
        error = "line " + std::to_string(number) + ": '" + word +
                "' is not a free square x,y with x and y from 0 to 14";
        return false;
      }
      taken[15 * x + y] = true;
      opening.stones.emplace_back(x, y);
    }
    if (!opening.stones.empty()) openings.push_back(opening);
  }
  if (openings.empty()) error = "no opening in the file";
  return !openings.empty();
}

std::string FormatOpening(const Opening& opening) {
  std::string text;
  for (auto [x, y] : opening.stones) {
    if (!text.empty()) text += ' ';
    text += std::to_string(x);
    text += ',';
    text += std::to_string(y);
  }
  return text.empty() ? "(empty board)" : text;
}

const std::vector<Opening>& BuiltInOpenings() {
  static const std::vector<Opening> openings = [] {
    // Chosen from 600 openings of three and four stones in the centre 5 x 5
    // (each unique up to symmetry, stones at most two apart) as the 16 with
    // three stones and the 48 with four whose games yellow and blue won
    // most evenly in 18 games each between the Flexible, the Konsequente and
    // the Denker (bench/README.md).
    static const char* const kTable[] = {
        "5,5 5,8 7,7",     "5,5 6,6 7,7",     "5,5 6,9 7,7",     "5,5 7,7 5,7",
        "5,5 7,7 6,7",     "5,5 7,8 7,7",     "5,6 7,5 7,7",     "5,6 7,7 6,7",
        "5,6 7,7 7,6",     "5,7 6,7 7,7",     "5,7 9,5 7,7",     "6,6 5,5 7,7",
        "6,6 7,7 8,8",     "6,7 7,7 8,7",     "6,7 8,5 7,7",     "6,7 8,7 7,7",
        "5,5 5,6 6,8 7,7", "5,5 5,6 7,7 8,7", "5,5 5,6 9,5 7,7", "5,5 5,7 6,8 7,7",
        "5,5 5,7 7,7 6,7", "5,5 5,7 7,7 8,7", "5,5 5,8 7,8 7,7", "5,5 5,9 7,7 6,9",
        "5,5 6,6 9,9 7,7", "5,5 6,7 9,5 7,7", "5,5 6,8 7,7 9,9", "5,5 6,9 7,7 9,9",
        "5,6 5,5 5,8 7,7", "5,6 5,5 6,8 7,7", "5,6 5,5 7,7 8,8", "5,6 5,5 8,8 7,7",
        "5,6 5,7 6,5 7,7", "5,6 5,8 7,7 6,6", "5,6 5,9 7,7 6,8", "5,6 5,9 8,8 7,7",
        "5,6 6,5 8,6 7,7", "5,6 6,6 7,7 6,7", "5,6 6,8 7,7 9,5", "5,6 6,9 8,6 7,7",
        "5,6 7,5 8,8 7,7", "5,6 7,6 7,7 9,9", "5,6 7,7 5,8 8,5", "5,6 7,7 6,8 9,5",
        "5,6 7,7 7,5 9,7", "5,6 7,7 7,9 8,9", "5,6 7,7 8,9 8,5", "5,6 8,6 7,7 9,5",
        "5,6 8,7 7,7 9,6", "5,6 9,6 7,7 9,8", "5,7 5,6 7,7 7,6", "5,7 6,5 8,8 7,7",
        "5,7 9,5 7,7 9,7", "6,6 5,5 7,7 6,7", "6,6 5,6 7,7 8,8", "6,6 5,7 7,7 9,6",
        "6,6 5,7 8,6 7,7", "6,6 5,8 8,7 7,7", "6,6 6,8 7,8 7,7", "6,6 6,9 7,7 8,7",
        "6,7 5,5 7,7 9,8", "6,7 5,6 7,7 6,8", "6,7 6,5 7,7 6,9", "6,7 7,5 7,7 8,7",
    };
    std::vector<Opening> list;
    std::string error;
    for (const char* line : kTable) ParseOpenings(line, list, error);
    return list;
  }();
  return openings;
}
