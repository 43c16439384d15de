// The settings file: the folder line, window size, view and music flags, then
// the game record of the running game. Read once at start-up, written at
// every end of the program.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/game_state.h"
#include "core/presentation.h"
#include "persist/game_record_codec.h"
#include "platform/platform.h"

namespace {

constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kLineFeed = 10;

// The folder line ends at a line feed (or a NUL, as the stream reader of the
// services does); carriage returns are dropped. False when the bytes end
// before the line does.
bool ReadFolderLine(const std::vector<uint8_t>& bytes, size_t& at, std::string& line) {
  for (size_t i = at; i < bytes.size(); ++i) {
    if (bytes[i] == kLineFeed || bytes[i] == 0) {
      line.clear();
      for (size_t j = at; j < i; ++j)
        if (bytes[j] != kCarriageReturn) line.push_back(char(bytes[j]));
      at = i + 1;
      return true;
    }
  }
  return false;
}

// One flag byte; an out-of-range value keeps the start-up value.
bool ReadFlag(const std::vector<uint8_t>& bytes, size_t& at, uint8_t& flag) {
  if (at >= bytes.size()) return false;
  const uint8_t value = bytes[at++];
  if (value <= 1) flag = value;
  return true;
}

bool HeaderByteValid(int field, uint8_t value) {
  switch (field) {
    case 0:
      return value <= 3;  // Rotation
    case 1:
      return value >= Multiplayer && value <= Denker;  // blue's kind
    default:
      return value <= 1;  // BlueBegins
  }
}

// The game record part: rotation, blue's kind and BlueBegins are taken one by
// one where present and in range; moves and board only when complete and in
// agreement, otherwise the board stays empty.
void ApplyRecordPart(const std::vector<uint8_t>& bytes, size_t at) {
  std::vector<uint8_t> record(bytes.begin() + std::ptrdiff_t(std::min(at, bytes.size())),
                              bytes.end());
  const uint8_t current[3] = {uint8_t(Rotation), uint8_t(PlayerKind[kBlue]), BlueBegins};
  for (int field = 0; field < 3 && size_t(field) < record.size(); ++field)
    if (!HeaderByteValid(field, record[field])) record[field] = current[field];
  if (record.size() > 0) Rotation = record[0];
  if (record.size() > 1) PlayerKind[kBlue] = record[1];
  if (record.size() > 2) BlueBegins = record[2];
  GameRecord game;
  if (DecodeGameRecord(record, 0, false, game)) CommitGameRecord(game);
}

}  // namespace

std::vector<uint8_t> SettingsBytes() {
  std::vector<uint8_t> bytes(GameFolder.begin(), GameFolder.end());
  bytes.push_back(kCarriageReturn);
  bytes.push_back(kLineFeed);
  bytes.push_back(SmallWindow);
  bytes.push_back(View2D);
  bytes.push_back(MusicOn);
  const std::vector<uint8_t> record = EncodeGameRecord(CurrentGameRecord());
  bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

void ApplySettingsBytes(const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  std::string folder;
  if (!ReadFolderLine(bytes, at, folder)) return;
  if (!folder.empty()) GameFolder = folder;
  if (ReadFlag(bytes, at, SmallWindow) && ReadFlag(bytes, at, View2D) &&
      ReadFlag(bytes, at, MusicOn))
    ApplyRecordPart(bytes, at);
  // Two humans and blue to begin: the resume gives blue the turn itself.
  if (BlueBegins == 1 && PlayerKind[kBlue] == Multiplayer) SkipBlueTurn = 1;
}

void LoadSettings() {
  std::vector<uint8_t> bytes;
  if (SettingsPath.empty() || PathType(SettingsPath) != 1 || !ReadSourceBytes(SettingsPath, bytes))
    return;
  ApplySettingsBytes(bytes);
}

// Written beside the old file and renamed over it, so an interrupted write
// never loses the saved game.
void SaveSettings() {
  if (MusicOn == 1) Stop(MusicChannel);
  if (SettingsPath.empty()) return;
  WriteFileAtomically(SettingsPath, SettingsBytes());
}
