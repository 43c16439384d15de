// The settings file: the folder line, window size, view and music flags, then
// the game record of the running game. Read once at start-up; written after
// every change of the game (in the background, so no frame waits for the
// disk) and once more at every end of the program.
#include "app/settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "persist/game_record_codec.h"
#include "platform/platform.h"
#include "view/presentation.h"

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

// The game record part: rotation, blue's kind and BlueBegins are taken one by
// one where present and in range; moves and board only when complete and in
// agreement, otherwise the board stays empty.
bool ApplyRecordPart(const std::vector<uint8_t>& bytes, size_t at) {
  std::vector<uint8_t> record(bytes.begin() + std::ptrdiff_t(std::min(at, bytes.size())),
                              bytes.end());
  const uint8_t current[3] = {uint8_t(Rotation), uint8_t(PlayerKind[kBlue]), BlueBegins};
  for (int field = 0; field < 3 && size_t(field) < record.size(); ++field)
    if (!GameRecordHeaderByteValid(field, record[field])) record[field] = current[field];
  if (record.size() > 0) Rotation = record[0];
  if (record.size() > 1) PlayerKind[kBlue] = record[1];
  if (record.size() > 2) BlueBegins = record[2];
  GameRecord game;
  if (!DecodeGameRecord(record, 0, false, game)) return false;
  CommitGameRecord(game);
  return true;
}

// A settings file or saved game is a few hundred bytes; the folder line may
// be long, but nothing the game wrote comes near this.
constexpr size_t kSettingsMaxBytes = 64 * 1024;

// The bytes last handed to the disk, and whether the disk may be written.
std::vector<uint8_t> keptBytes;
bool settingsWritable = true;

std::string BackupPath() { return SettingsPath + ".bak"; }

// A file that exists but gives no game must not be overwritten unseen: it is
// kept beside, as one copy, before anything new is written.
void KeepUnusableSettings(bool readable, const std::vector<uint8_t>& bytes) {
  // The old copy goes first: written through, a link there would send the
  // copy wherever it points.
  RemovePath(BackupPath());
  const bool kept =
      readable ? WriteFileAtomically(BackupPath(), bytes) : RenamePath(SettingsPath, BackupPath());
  if (kept)
    std::fprintf(stderr, "kavro: %s %s; kept as %s\n", SettingsPath.c_str(),
                 readable ? "holds no game this version accepts" : "could not be read",
                 BackupPath().c_str());
  else
    std::fprintf(stderr, "kavro: %s could not be used nor kept beside; it is left alone\n",
                 SettingsPath.c_str());
  settingsWritable = kept;
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

bool ApplySettingsBytes(const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  std::string folder;
  if (!ReadFolderLine(bytes, at, folder)) return false;
  if (!folder.empty()) GameFolder = folder;
  bool accepted = false;
  if (ReadFlag(bytes, at, SmallWindow) && ReadFlag(bytes, at, View2D) &&
      ReadFlag(bytes, at, MusicOn))
    accepted = ApplyRecordPart(bytes, at);
  // Two humans and blue to begin: the resume gives blue the turn itself.
  if (BlueBegins == 1 && PlayerKind[kBlue] == Multiplayer) SkipBlueTurn = 1;
  return accepted;
}

void LoadSettings() {
  settingsWritable = !SettingsPath.empty();
  keptBytes.clear();
  // Nothing there, or a folder of that name, which is no settings file to keep.
  if (SettingsPath.empty() || PathType(SettingsPath) != 1) return;
  std::vector<uint8_t> bytes;
  const bool readable = ReadRegularFile(SettingsPath, kSettingsMaxBytes, bytes);
  if (!readable || !ApplySettingsBytes(bytes)) {
    KeepUnusableSettings(readable, bytes);
    return;
  }
  // A read-only file is left alone by the writer itself, which says so once.
  keptBytes = bytes;
}

void KeepGame() {
  if (!settingsWritable) return;
  std::vector<uint8_t> bytes = SettingsBytes();
  if (bytes == keptBytes) return;
  keptBytes = bytes;
  WriteFileInBackground(SettingsPath, std::move(bytes));
}

// Written beside the old file and renamed over it, so an interrupted write
// never loses the saved game.
void SaveSettings() {
  if (MusicOn == 1) Stop(MusicChannel);
  FinishBackgroundWrites();
  if (!settingsWritable) return;
  keptBytes = SettingsBytes();
  WriteFileAtomically(SettingsPath, keptBytes);
}
