// Game records in the .psq format of the five-in-a-row tournament manager:
// "Piskvorky 15x15, 11:11, 0", then one line X,Y,MS per move (1-based column
// and row, the milliseconds the move took), then the names of the player who
// moved first and of the other.
#pragma once

#include <string>
#include <vector>

#include "tools/arena/game.h"

struct PsqGame {
  std::vector<MoveRecord> moves;  // zero-based x, y
  std::vector<std::string> names;
};

std::string PsqText(const GameRecord& record, const std::string& yellowName,
                    const std::string& blueName);
// False with error on anything but a 15x15 record with moves on free squares.
bool ParsePsq(const std::string& text, PsqGame& game, std::string& error);
// A whole file (the arena's openings and records); false when it cannot be read.
bool ReadText(const std::string& path, std::string& text);
// The same for a file; error also says when it cannot be read.
bool ReadPsq(const std::string& path, PsqGame& game, std::string& error);

// One line: players, opening, result, reason, moves.
std::string SummaryLine(const GameRecord& record, const std::string& yellowName,
                        const std::string& blueName, const std::string& opening);

// The board after every move, as text ('X' moves first, 'O' second, the last
// stone in brackets), and at the end who has five.
std::string ReplayText(const PsqGame& game);
