// The saved-game record: rotation, blue's kind, BlueBegins, moves, board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

std::vector<uint8_t> GameRecordBytes();
// Reads a record from bytes[offset..]; on success sets the game state and
// returns true. A record that is cut short, too long (when exact is set),
// out of range or inconsistent is rejected and the game is left untouched.
bool ApplyGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact);

// The load and save entries of the left dock: requester, file, messages.
// True when a game was loaded (its result is checked; the caller shows the
// game-over display of a decided game).
bool LoadGameCommand();
void SaveGameCommand();

// The file part of those commands, for a path already chosen. Both report
// failures with their message box and leave the game untouched; GameFolder
// follows a file that was read or written. LoadGameFile sets GameResult for
// the loaded game.
bool LoadGameFile(const std::string& path);
bool SaveGameFile(const std::string& path);

// The texts of the two failure messages.
std::string LoadFailureText(const std::string& path);
std::string SaveFailureText(const std::string& path);
