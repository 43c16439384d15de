#include "persist/game_record_codec.h"

std::vector<uint8_t> EncodeGameRecord(const GameRecord& record) {
  std::vector<uint8_t> bytes;
  bytes.reserve(GameRecordSize(record.moveCount));
  bytes.push_back(uint8_t(record.rotation));
  bytes.push_back(uint8_t(record.blueKind));
  bytes.push_back(record.blueBegins);
  bytes.push_back(uint8_t(record.moveCount));
  for (int i = 0; i < record.moveCount; ++i) {
    bytes.push_back(uint8_t(record.history[i][0]));
    bytes.push_back(uint8_t(record.history[i][1]));
  }
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) bytes.push_back(uint8_t(record.board[x][y]));
  return bytes;
}

bool GameRecordHeaderByteValid(int field, uint8_t value) {
  switch (field) {
    case 0:
      return value <= 3;
    case 1:
      return value >= Multiplayer && value <= Denker;
    default:
      return value <= 1;
  }
}

bool DecodeGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact,
                      GameRecord& record) {
  if (offset > bytes.size() || bytes.size() - offset < kGameRecordFixedBytes) return false;
  const uint8_t* in = bytes.data() + offset;
  const size_t available = bytes.size() - offset;

  GameRecord read;
  read.rotation = in[0];
  read.blueKind = in[1];
  read.blueBegins = in[2];
  read.moveCount = in[3];
  for (int field = 0; field < 3; ++field)
    if (!GameRecordHeaderByteValid(field, in[field])) return false;
  if (read.moveCount > kSquares) return false;

  const size_t size = GameRecordSize(read.moveCount);
  if (available < size || (exact && available != size)) return false;

  for (auto& entry : read.history) entry = {-1, -1};
  const uint8_t* moves = in + 4;
  for (int i = 0; i < read.moveCount; ++i) {
    int32_t x = moves[2 * i], y = moves[2 * i + 1];
    if (x >= kBoardSize || y >= kBoardSize) return false;
    read.history[i] = {x, y};
  }
  const uint8_t* cells = moves + 2 * read.moveCount;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      int32_t cell = cells[kBoardSize * x + y];
      if (cell > kBlue) return false;
      read.board[x][y] = cell;
    }
  if (!GameIsConsistent(read.board, read.history, read.moveCount)) return false;

  record = read;
  return true;
}

GameRecord CurrentGameRecord() {
  GameRecord record;
  record.rotation = Rotation;
  record.blueKind = PlayerKind[kBlue];
  record.blueBegins = BlueBegins;
  record.moveCount = MoveCount;
  for (auto& entry : record.history) entry = {-1, -1};
  for (int i = 0; i < MoveCount && i < kSquares; ++i) record.history[i] = History[i];
  record.board = Board;
  return record;
}

void CommitGameRecord(const GameRecord& record) {
  Rotation = record.rotation;
  PlayerKind[kBlue] = record.blueKind;
  BlueBegins = record.blueBegins;
  MoveCount = record.moveCount;
  History = record.history;
  for (int i = record.moveCount; i < kSquares; ++i) History[i] = {-1, -1};
  Board = record.board;
}
