// The game record as bytes: rotation, blue's kind, BlueBegins, the moves and
// the board. Pure functions on a value, shared by the saved-game file and
// the tail of the settings file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/game_state.h"

struct GameRecord {
  int32_t rotation = 0;
  int32_t blueKind = Spontane;
  uint8_t blueBegins = 0;
  int32_t moveCount = 0;
  MoveList history{};  // entries from moveCount on are (-1, -1)
  BoardCells board{};
};

// Four header bytes, two per move, one per square.
constexpr size_t kGameRecordFixedBytes = 4 + kSquares;                        // 229
constexpr size_t kGameRecordMaxBytes = kGameRecordFixedBytes + 2 * kSquares;  // 679

inline size_t GameRecordSize(int32_t moveCount) {
  return kGameRecordFixedBytes + 2 * size_t(moveCount);
}

std::vector<uint8_t> EncodeGameRecord(const GameRecord& record);

// Whether header byte `field` (0 rotation, 1 blue's kind, 2 BlueBegins) holds
// a value the record may have.
bool GameRecordHeaderByteValid(int field, uint8_t value);

// Decodes the record that starts at bytes[offset]. False when the bytes end
// before the record does, when exact is set and bytes follow it, or when a
// field is out of range (rotation 0..3, kind 1..5, BlueBegins 0/1, at most
// 225 moves on squares 0..14, cells 0..2) or the board disagrees with the
// moves. record is written only on success.
bool DecodeGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact,
                      GameRecord& record);

// The game state in memory as a record, and the reverse (the history after
// the last move is cleared, so nothing is left to replay).
GameRecord CurrentGameRecord();
void CommitGameRecord(const GameRecord& record);
