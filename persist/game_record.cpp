#include "persist/game_record.h"

#include "core/game_state.h"
#include "core/presentation.h"
#include "persist/game_record_codec.h"
#include "view/game_over.h"

void WriteGameRecord(const StreamRef& stream) {
  for (uint8_t byte : GameRecordBytes()) WriteByte(stream, byte);
}

std::vector<uint8_t> GameRecordBytes() { return EncodeGameRecord(CurrentGameRecord()); }

bool ApplyGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact) {
  GameRecord record;
  if (!DecodeGameRecord(bytes, offset, exact, record)) return false;
  CommitGameRecord(record);
  return true;
}

std::string LoadFailureText(const std::string& path) {
  return "Aus unerfindlichen Gruenden\nkonnte das Spiel aus der Datei\n'" + path +
         "'\nnicht geladen werden!";
}

std::string SaveFailureText(const std::string& path) {
  return "Aus unerfindlichen Gruenden\nkonnte das Spiel nicht unter\n'" + path +
         "'\ngespeichert werden!";
}

namespace {

// Reads at most one byte more than the largest record, so a huge file is
// recognised as too long without being read whole.
bool ReadRecordFile(const StreamRef& stream, std::vector<uint8_t>& bytes) {
  try {
    while (bytes.size() <= kGameRecordMaxBytes && !Eof(stream)) bytes.push_back(uint8_t(ReadByte(stream)));
  } catch (const StreamError&) {
    return false;
  }
  return true;
}

bool IsCancelledOrFolder(const std::string& path) { return path.empty() || PathType(path) == 2; }

}  // namespace

bool LoadGameFile(const std::string& path) {
  StreamRef stream = OpenForReading(path);
  if (!stream) {
    Notify(LoadFailureText(path));
    return false;
  }
  GameFolder = DirectoryPart(AbsolutePath(path));
  std::vector<uint8_t> bytes;
  bool read = ReadRecordFile(stream, bytes);
  Close(stream);
  if (!read || !ApplyGameRecord(bytes, 0, true)) {
    Notify(LoadFailureText(path));
    return false;
  }
  GameResult = CheckGameResult();
  if (GameResult != 0) GameOverScreen();
  return true;
}

bool SaveGameFile(const std::string& path) {
  if (!WriteFileAtomically(path, GameRecordBytes())) {
    Notify(SaveFailureText(path));
    return false;
  }
  GameFolder = DirectoryPart(AbsolutePath(path));
  return true;
}

void LoadGameCommand() {
  std::string path = RequestFile("Spiel laden:", "Kavro-Spiele:KVs; ", 0, GameFolder);
  if (IsCancelledOrFolder(path)) return;
  LoadGameFile(path);
}

void SaveGameCommand() {
  std::string path =
      RequestFile("Spiel speichern:", "Kavro-Spiele:KVs;", 1, GameFolder + "/Kavro-Spiel.KVs");
  if (IsCancelledOrFolder(path)) return;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".KVs") != 0) path += ".KVs";
  SaveGameFile(path);
}
