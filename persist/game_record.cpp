#include "persist/game_record.h"

#include "game/game_state.h"
#include "persist/game_record_codec.h"
#include "view/presentation.h"

std::vector<uint8_t> GameRecordBytes() { return EncodeGameRecord(CurrentGameRecord()); }

bool ApplyGameRecord(const std::vector<uint8_t>& bytes, size_t offset, bool exact) {
  GameRecord record;
  if (!DecodeGameRecord(bytes, offset, exact, record)) return false;
  CommitGameRecord(record);
  return true;
}

namespace {

bool IsCancelledOrFolder(const std::string& path) { return path.empty() || PathType(path) == 2; }

}  // namespace

std::string LoadFailureText(const std::string& path) {
  return "Aus unerfindlichen Gruenden\nkonnte das Spiel aus der Datei\n'" + path +
         "'\nnicht geladen werden!";
}

std::string SaveFailureText(const std::string& path) {
  return "Aus unerfindlichen Gruenden\nkonnte das Spiel nicht unter\n'" + path +
         "'\ngespeichert werden!";
}

// Only a regular file is read, and at most one byte more than the largest
// record, so a pipe cannot freeze the game nor a device fill its memory.
bool LoadGameFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadRegularFile(path, kGameRecordMaxBytes + 1, bytes)) {
    Notify(LoadFailureText(path));
    return false;
  }
  GameFolder = DirectoryPart(AbsolutePath(path));
  if (!ApplyGameRecord(bytes, 0, true)) {
    Notify(LoadFailureText(path));
    return false;
  }
  GameResult = CheckGameResult();
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

bool LoadGameCommand() {
  std::string path = RequestFile("Spiel laden:", "Kavro-Spiele:KVs; ", 0, GameFolder);
  if (IsCancelledOrFolder(path)) return false;
  return LoadGameFile(path);
}

void SaveGameCommand() {
  std::string path =
      RequestFile("Spiel speichern:", "Kavro-Spiele:KVs;", 1, GameFolder + "/Kavro-Spiel.KVs");
  if (IsCancelledOrFolder(path)) return;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".KVs") != 0) path += ".KVs";
  SaveGameFile(path);
}
