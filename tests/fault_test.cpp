// Faults from outside: folders that cannot be written, a write cut short,
// game files that cannot be opened, a taken or silent engine port, odd
// datagrams, no HOME, no sound device. None may crash, hang or lose a game.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/settings.h"
#include "engine_link/engine_link.h"
#include "engine_test_support.h"
#include "game/game_state.h"
#include "persist/game_record.h"
#include "screens_test_support.h"
#include "view/presentation.h"

using namespace screens_test;

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A scratch folder and a HOME that is put back afterwards.
class Fault : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kavro-fault-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const char* home = std::getenv("HOME");
    hadHome = home != nullptr;
    oldHome = home ? home : "";
  }
  void TearDown() override {
    if (backend) backend->onFrame = nullptr;
    if (hadHome)
      ::setenv("HOME", oldHome.c_str(), 1);
    else
      ::unsetenv("HOME");
    fs::remove_all(folder);
  }

  // The whole program on the headless backend; the close button is pressed
  // `frames` frames after the start. Returns the exit code.
  int RunProgram(int frames, std::function<void(int64_t)> each = nullptr) {
    backend = InstallHeadlessBackend();
    backend->onFrame = [this, frames, each](int64_t frame) {
      if (each) each(frame);
      if (frame == frames) backend->RequestClose();
    };
    return StartGame();
  }

  // A settings file for a running game: two stones, blue the Flexible.
  std::vector<uint8_t> SettingsWithGame(const std::string& gameFolder) {
    std::vector<uint8_t> bytes(gameFolder.begin(), gameFolder.end());
    bytes.insert(bytes.end(), {13, 10, 0, 1, 1, 0, 3, 0, 2, 7, 7, 8, 8});
    std::vector<uint8_t> board(225, 0);
    board[15 * 7 + 7] = 1;
    board[15 * 8 + 8] = 2;
    bytes.insert(bytes.end(), board.begin(), board.end());
    return bytes;
  }

  fs::path folder;
  bool hadHome = false;
  std::string oldHome;
  std::shared_ptr<HeadlessBackend> backend;
};

// ---- the settings file

TEST_F(Fault, SettingsFolderThatCannotBeCreatedEndsQuietly) {
  // A HOME below a regular file cannot hold a file, whoever runs the test.
  const fs::path blocker = folder / "plain-file";
  WriteBytes(blocker, {1, 2, 3});
  ::setenv("HOME", (blocker / "home").c_str(), 1);
  EXPECT_EQ(RunProgram(120), 0);
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"plain-file"})
      << "no partial or temporary file";
  EXPECT_EQ(Bytes(blocker), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(Fault, SettingsPathThatIsAFolderIsLeftAlone) {
  fs::create_directories(folder / ".Kavro.ini");
  ::setenv("HOME", folder.c_str(), 1);
  EXPECT_EQ(RunProgram(120), 0);
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_TRUE(fs::is_directory(folder / ".Kavro.ini"));
  EXPECT_EQ(Entries(folder), std::vector<std::string>{".Kavro.ini"});
}

// A write that fails half way (the file size limit stands in for a full
// disk) and a process killed half way both leave the old file as it was.
TEST_F(Fault, OldSettingsFileSurvivesAnInterruptedWrite) {
  const fs::path settings = folder / ".Kavro.ini";
  const std::vector<uint8_t> old = SettingsWithGame(folder.string());
  for (bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed" : "write failed");
    WriteBytes(settings, old);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Only the first 64 bytes of any file may be written.
      signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
      rlimit limit{64, 64};
      setrlimit(RLIMIT_FSIZE, &limit);
      SettingsPath = settings.string();
      GameFolder = std::string(300, 'x');
      MusicOn = 0;
      SaveSettings();
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (killed)
      EXPECT_TRUE(WIFSIGNALED(status));
    else
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Bytes(settings), old);
    if (!killed) {
      EXPECT_EQ(Entries(folder), std::vector<std::string>{".Kavro.ini"})
          << "temporary file removed";
    }

    // The next start still finds the game.
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().filename() != ".Kavro.ini") fs::remove(entry.path());
    ResetGameStateGlobals();
    ResetPresentationGlobals();
    SettingsPath = settings.string();
    LoadSettings();
    EXPECT_EQ(MoveCount, 2);
    EXPECT_EQ(Board[8][8], kBlue);
    EXPECT_EQ(PlayerKind[kBlue], Flexible);
  }
}

// ---- saved games

TEST_F(Fault, SaveToAFolderThatCannotBeWrittenReportsAndChangesNothing) {
  backend = OpenTestWindow();
  PlaceStone(7, 7, kYellow);
  PlaceStone(6, 6, kBlue);
  GameFolder = folder.string();
  WriteBytes(folder / "plain-file", {9});
  const std::string chosen = (folder / "plain-file" / "Spiel").string();
  backend->fileAnswers = {chosen};
  SaveGameCommand();
  const std::string path = chosen + ".KVs";
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0], "Aus unerfindlichen Gruenden\nkonnte das Spiel nicht unter\n'" +
                                     path + "'\ngespeichert werden!");
  EXPECT_EQ(GameFolder, folder.string()) << "the folder follows only a file written";
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"plain-file"});
}

TEST_F(Fault, LoadOfMissingOrBrokenFilesReportsAndKeepsTheGame) {
  backend = OpenTestWindow();
  PlaceStone(7, 7, kYellow);
  PlaceStone(6, 6, kBlue);
  GameFolder = folder.string();
  const BoardCells board = Board;
  const MoveList history = History;

  // A record cut short, a move count above 225, a board that contradicts
  // its moves.
  std::vector<uint8_t> good = GameRecordBytes();
  std::vector<uint8_t> cut(good.begin(), good.end() - 10);
  std::vector<uint8_t> tooMany = good;
  tooMany[3] = 226;
  std::vector<uint8_t> contradicting = good;
  contradicting.back() = 2;
  WriteBytes(folder / "cut.KVs", cut);
  WriteBytes(folder / "many.KVs", tooMany);
  WriteBytes(folder / "contra.KVs", contradicting);
  const std::vector<std::string> paths = {
      (folder / "missing.KVs").string(), (folder / "cut.KVs").string(),
      (folder / "many.KVs").string(), (folder / "contra.KVs").string()};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    backend->notices.clear();
    backend->fileAnswers = {path};
    LoadGameCommand();
    ASSERT_EQ(backend->notices.size(), 1u);
    EXPECT_EQ(backend->notices[0],
              "Aus unerfindlichen Gruenden\nkonnte das Spiel aus der Datei\n'" + path +
                  "'\nnicht geladen werden!");
    EXPECT_EQ(Board, board);
    EXPECT_EQ(History, history);
    EXPECT_EQ(MoveCount, 2);
    EXPECT_EQ(GameResult, 0);
  }
}

// ---- the external engine

class FaultEngine : public Fault {
 protected:
  void SetUp() override {
    Fault::SetUp();
    backend = OpenTestWindow();
    PlaceStone(7, 7, kYellow);
    PlaceStone(8, 8, kBlue);
  }
  // Yellow's turn with a click on the network entry. `eachSleep` runs
  // whenever the game sleeps; the close button is pressed a few frames
  // after the first message box. Returns what HumanTurn returned.
  int NetworkEntryInYellowsTurn(std::function<void()> eachSleep = nullptr) {
    FrameScript script(backend);
    script.Click(1, RightDockEntry(3), 14);
    int64_t closeAt = -1;
    backend->onNotify = [&](const std::string&) { closeAt = backend->frames + 10; };
    backend->onSleep = [&] {
      if (eachSleep) eachSleep();
      if (closeAt >= 0 && backend->frames >= closeAt) backend->RequestClose();
      // Nothing may keep the turn busy for long.
      if (backend->frames > 2000) backend->RequestClose();
    };
    const int result = HumanTurn(kYellow);
    backend->onSleep = nullptr;
    backend->onNotify = nullptr;
    return result;
  }
  engine_test::PortLock lock_;
};

TEST_F(FaultEngine, TakenMovePortAnswersAnErrorAndTheTurnGoesOn) {
  engine_test::Peer squatter(kMovePort);
  ASSERT_TRUE(squatter.Bound());
  EXPECT_EQ(NetworkEntryInYellowsTurn(), 0) << "the turn went on until the close button";
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0].rfind("Error\n ", 0), 0u) << backend->notices[0];
  EXPECT_LT(backend->frames, 60) << "no waiting screen";
  EXPECT_EQ(MoveCount, 2);
}

TEST_F(FaultEngine, SilentEngineIsLeftWithEscape) {
  int sleeps = 0;
  int held = 0;
  EXPECT_EQ(NetworkEntryInYellowsTurn([&] {
              // Nobody answers; after a while of waiting the user gives up,
              // holding Escape for some ticks.
              if (++sleeps == 200) backend->KeyDown(kKeyEscape);
              if (sleeps > 200 && KeyIsDown(kKeyEscape) && ++held == 10) backend->KeyUp(kKeyEscape);
            }),
            0);
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0],
            "Der Versuch, via UDP-Netzwerk einen\nexternen Spielzug als Reaktion zum\n"
            "aktuellen Spielzustand zu erhalten,\nwird ergebnislos abgebrochen.");
  EXPECT_TRUE(backend->questions.empty()) << "the same Escape does not also ask to quit";
  EXPECT_EQ(MoveCount, 2);
  engine_test::Peer again(kMovePort);
  EXPECT_TRUE(again.Bound()) << "the port is given back";
}

TEST(FaultDatagram, ShortEmptyAndHugeRepliesAreJudgedSafely) {
  BoardCells board{};
  board[1][2] = kYellow;
  const std::vector<uint8_t> empty, one = {3};
  EXPECT_EQ(CheckEngineReply(empty, board).answer, kReplyIncomplete);
  EXPECT_EQ(CheckEngineReply(one, board).answer, kReplyIncomplete);
  const std::vector<uint8_t> two = {4, 5};
  EngineReply reply = CheckEngineReply(two, board);
  EXPECT_TRUE(reply.valid);
  EXPECT_EQ(reply.x, 4);
  EXPECT_EQ(reply.y, 5);
  std::vector<uint8_t> huge(65000, 255);
  huge[0] = 1;
  huge[1] = 2;
  reply = CheckEngineReply(huge, board);
  EXPECT_FALSE(reply.valid);
  EXPECT_EQ(reply.answer,
            std::string(kReplyRejectedLead) + "Die Position [1,2] ist bereits besetzt!");
  huge[0] = 255;
  reply = CheckEngineReply(huge, board);
  EXPECT_FALSE(reply.valid);
  EXPECT_EQ(reply.answer,
            std::string(kReplyRejectedLead) + "Die extern ermittelte Spalte = 255 ist zu gross!");
}

// ---- the environment

TEST_F(Fault, WithoutHomeTheGameStartsFromThePasswordEntry) {
  ::unsetenv("HOME");
  const passwd* entry = getpwuid(getuid());
  const std::string expected = entry && entry->pw_dir ? entry->pw_dir : "";
  EXPECT_EQ(HomeDirectory(), expected);
  ::setenv("HOME", "", 1);
  EXPECT_EQ(HomeDirectory(), expected) << "an empty HOME counts as none";
  ::unsetenv("HOME");

  std::string settingsSeen;
  const fs::path redirected = folder / ".Kavro.ini";
  EXPECT_EQ(RunProgram(120,
                       [&](int64_t frame) {
                         // Keep the real home untouched: the file goes to the scratch folder.
                         if (frame == 100) {
                           settingsSeen = SettingsPath;
                           SettingsPath = redirected.string();
                         }
                       }),
            0);
  EXPECT_EQ(settingsSeen, expected + "/.Kavro.ini");
  if (!fs::exists(expected + "/.Kavro.ini")) {
    EXPECT_EQ(GameFolder, expected);
  }
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_TRUE(fs::exists(redirected));
}

TEST_F(Fault, WithoutASoundDeviceTheGameIsSilentAndRunsOn) {
  ::setenv("HOME", folder.c_str(), 1);
  std::vector<uint8_t> settings = SettingsWithGame(folder.string());
  const size_t music = folder.string().size() + 4;
  settings[music] = 1;
  WriteBytes(folder / ".Kavro.ini", settings);
  backend = InstallHeadlessBackend();
  backend->audioAvailable = false;
  int frames = 0;
  backend->onFrame = [&](int64_t frame) {
    frames = int(frame);
    // The music entry of the left dock: off and on again.
    if (frame == 100) backend->MoveTo(LeftDockEntry(4).x, LeftDockEntry(4).y);
    if (frame == 115 || frame == 140) backend->Press(1);
    if (frame == 116 || frame == 141) backend->Release(1);
    if (frame == 400) backend->RequestClose();
  };
  EXPECT_EQ(StartGame(), 0);
  EXPECT_GE(frames, 400) << "ran until the close button";
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_EQ(backend->soundsStarted, 0);
  const std::vector<uint8_t> written = Bytes(folder / ".Kavro.ini");
  ASSERT_EQ(written.size(), settings.size());
  EXPECT_EQ(written[music], 1) << "music still wanted once a device is there";
  EXPECT_EQ(MoveCount, 2);
}

}  // namespace
