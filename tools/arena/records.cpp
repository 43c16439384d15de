#include "tools/arena/records.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool FiveThrough(const int board[15][15], int x, int y) {
  const int directions[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (auto& d : directions) {
    int length = 1;
    for (int sign : {1, -1})
      for (int step = 1;; ++step) {
        int cx = x + sign * step * d[0], cy = y + sign * step * d[1];
        if (cx < 0 || cx > 14 || cy < 0 || cy > 14 || board[cx][cy] != board[x][y]) break;
        ++length;
      }
    if (length >= 5) return true;
  }
  return false;
}

}  // namespace

std::string PsqText(const GameRecord& record, const std::string& yellowName,
                    const std::string& blueName) {
  std::string text = "Piskvorky 15x15, 11:11, 0\n";
  for (const MoveRecord& m : record.moves)
    text +=
        std::to_string(m.x + 1) + "," + std::to_string(m.y + 1) + "," + std::to_string(m.ms) + "\n";
  text += yellowName + "\n" + blueName + "\n";
  return text;
}

bool ParsePsq(const std::string& text, PsqGame& game, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int width = 0, height = 0;
  if (!std::getline(lines, line) ||
      std::sscanf(line.c_str(), "Piskvorky %dx%d", &width, &height) != 2) {
    error = "the first line is not 'Piskvorky 15x15, ...'";
    return false;
  }
  if (width != 15 || height != 15) {
    error = "the board is " + std::to_string(width) + "x" + std::to_string(height) + ", not 15x15";
    return false;
  }
  bool taken[15][15] = {};
  bool inMoves = true;
  for (int number = 2; std::getline(lines, line); ++number) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    MoveRecord m;
    char rest;
    if (inMoves && std::sscanf(line.c_str(), "%d,%d,%d%c", &m.x, &m.y, &m.ms, &rest) == 3) {
      --m.x, --m.y;
      if (m.x < 0 || m.x > 14 || m.y < 0 || m.y > 14 || taken[m.x][m.y]) {
        error = "line " + std::to_string(number) + ": '" + line + "' is not a free square";
        return false;
      }
      taken[m.x][m.y] = true;
      game.moves.push_back(m);
      continue;
    }
    inMoves = false;
    if (!line.empty()) game.names.push_back(line);
  }
  return true;
}

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

bool ReadPsq(const std::string& path, PsqGame& game, std::string& error) {
  std::string text;
  if (!ReadText(path, text)) {
    error = "cannot read the file";
    return false;
  }
  return ParsePsq(text, game, error);
}

std::string SummaryLine(const GameRecord& record, const std::string& yellowName,
                        const std::string& blueName, const std::string& opening) {
  const char* result = record.outcome == Outcome::kYellowWins ? "1-0"
                       : record.outcome == Outcome::kBlueWins ? "0-1"
                                                              : "1/2-1/2";
  std::ostringstream line;
  line << "game " << record.index + 1 << ": " << yellowName << " - " << blueName << "  " << result
       << "  " << record.reason;
  if (!record.why.empty()) line << " (" << record.why << ")";
  line << "  opening " << record.opening + 1 << " [" << opening << "]  "
       << record.moves.size() - size_t(record.openingStones) << " moves";
  return line.str();
}

std::string ReplayText(const PsqGame& game) {
  std::ostringstream out;
  int board[15][15] = {};
  const char* const who[3] = {"", "X", "O"};
  auto name = [&](int side) {
    return size_t(side - 1) < game.names.size() ? " (" + game.names[size_t(side - 1)] + ")"
                                                : std::string();
  };
  for (size_t i = 0; i < game.moves.size(); ++i) {
    const MoveRecord& m = game.moves[i];
    const int side = i % 2 == 0 ? 1 : 2;
    board[m.x][m.y] = side;
    out << "Move " << i + 1 << ": " << who[side] << name(side) << " at " << m.x + 1 << ","
        << m.y + 1 << " (" << m.ms << " ms)\n";
    char cell[8];
    out << "   ";
    for (int x = 0; x < 15; ++x) {
      std::snprintf(cell, sizeof cell, "%3d", x + 1);
      out << cell;
    }
    out << "\n";
    for (int y = 0; y < 15; ++y) {
      std::snprintf(cell, sizeof cell, "%3d", y + 1);
      out << cell;
      for (int x = 0; x < 15; ++x) {
        const char* stone = board[x][y] == 0 ? "." : who[board[x][y]];
        const bool last = x == m.x && y == m.y;
        out << (last ? "[" : " ") << stone << (last ? "]" : " ");
      }
      out << "\n";
    }
    if (FiveThrough(board, m.x, m.y)) {
      out << who[side] << name(side) << " has five.\n";
      return out.str();
    }
  }
  out << "No five after " << game.moves.size() << " moves.\n";
  return out.str();
}
