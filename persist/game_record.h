// The saved-game record: rotation, blue's kind, BlueBegins, moves, board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

void WriteGameRecord(const StreamRef& stream);
std::vector<uint8_t> GameRecordBytes();
// Reads a record from bytes[offset..]; on success sets the game state and
// returns true. A record that is cut short, too long (when exact is set),
// out of range or inconsistent is rejected and the game is left untouched.
bool ApplyGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact);

void LoadGameCommand();
void SaveGameCommand();
