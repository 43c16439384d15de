#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/game.h"
#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "view/presentation.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    ResetGameStateGlobals();
    ResetPresentationGlobals();
    GameFolder = "/home/start";
    folder = fs::temp_directory_path() / ("kavro-settings-" + std::to_string(::getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // A game of three moves that blue began, two humans, turned once.
  static void SampleState() {
    GameFolder = "/tmp/Spiele";
    SmallWindow = 1;
    View2D = 0;
    MusicOn = 0;
    Rotation = 1;
    PlayerKind[2] = Multiplayer;
    BlueBegins = 1;
    PlaceStone(7, 7, 2);
    PlaceStone(0, 14, 1);
    PlaceStone(14, 3, 2);
  }
  static void ExpectStartValues() {
    EXPECT_EQ(GameFolder, "/home/start");
    EXPECT_EQ(SmallWindow, 0);
    EXPECT_EQ(View2D, 1);
    EXPECT_EQ(MusicOn, 1);
    EXPECT_EQ(Rotation, 0);
    EXPECT_EQ(PlayerKind[2], Spontane);
    EXPECT_EQ(BlueBegins, 0);
    EXPECT_EQ(MoveCount, 0);
  }
  static void Reset() {
    ResetGameStateGlobals();
    ResetPresentationGlobals();
    GameFolder = "/home/start";
  }

  std::shared_ptr<HeadlessBackend> backend;
  fs::path folder;
};

TEST_F(Settings, BytesFollowTheFileLayout) {
  SampleState();
  const std::vector<uint8_t> bytes = SettingsBytes();
  const std::string line = "/tmp/Spiele\r\n";
  ASSERT_EQ(bytes.size(), line.size() + 3 + 229 + 6);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + long(line.size())), line);
  size_t at = line.size();
  const std::vector<uint8_t> head = {1, 0, 0, 1, 1, 1, 3, 7, 7, 0, 14, 14, 3};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + long(at), bytes.begin() + long(at + head.size())),
            head);
  at += head.size();
  // Board: x outer, y inner.
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) ASSERT_EQ(bytes[at + 15 * x + y], Board[x][y]) << x << "," << y;
  EXPECT_EQ(bytes[at + 15 * 7 + 7], 2);
  EXPECT_EQ(bytes[at + 14], 1);
}

TEST_F(Settings, RoundTripRestoresEverything) {
  SampleState();
  PlayerKind[2] = Multiplayer;
  TakeBack(2);  // taken-back moves are not kept
  const std::vector<uint8_t> bytes = SettingsBytes();
  const BoardCells board = Board;
  Reset();
  ApplySettingsBytes(bytes);
  EXPECT_EQ(GameFolder, "/tmp/Spiele");
  EXPECT_EQ(SmallWindow, 1);
  EXPECT_EQ(View2D, 0);
  EXPECT_EQ(MusicOn, 0);
  EXPECT_EQ(Rotation, 1);
  EXPECT_EQ(PlayerKind[2], Multiplayer);
  EXPECT_EQ(BlueBegins, 1);
  EXPECT_EQ(SkipBlueTurn, 1);  // two humans and blue to begin
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History[1][0], 0);
  EXPECT_EQ(History[2][0], -1);
}

TEST_F(Settings, CutShortAtEveryLengthKeepsWhatIsMissing) {
  SampleState();
  const std::vector<uint8_t> full = SettingsBytes();
  const size_t line = std::string("/tmp/Spiele\r\n").size();
  for (size_t length = 0; length < full.size(); ++length) {
    Reset();
    ApplySettingsBytes(std::vector<uint8_t>(full.begin(), full.begin() + long(length)));
    SCOPED_TRACE(length);
    EXPECT_EQ(GameFolder, length >= line ? "/tmp/Spiele" : "/home/start");
    EXPECT_EQ(SmallWindow, length > line ? 1 : 0);
    EXPECT_EQ(View2D, length > line + 1 ? 0 : 1);
    EXPECT_EQ(MusicOn, length > line + 2 ? 0 : 1);
    EXPECT_EQ(Rotation, length > line + 3 ? 1 : 0);
    EXPECT_EQ(PlayerKind[2], length > line + 4 ? Multiplayer : Spontane);
    EXPECT_EQ(BlueBegins, length > line + 5 ? 1 : 0);
    // The moves and the board only come as a whole.
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(Board, BoardCells{});
    EXPECT_TRUE(GameIsConsistent(Board, History, MoveCount));
  }
  Reset();
  ApplySettingsBytes(full);
  EXPECT_EQ(MoveCount, 3);
}

TEST_F(Settings, OutOfRangeFieldsKeepTheirStartValues) {
  SampleState();
  const std::vector<uint8_t> good = SettingsBytes();
  const size_t at = std::string("/tmp/Spiele\r\n").size();
  struct Case {
    size_t offset;
    uint8_t value;
  };
  const Case cases[] = {{0, 2}, {1, 7}, {2, 255}, {3, 4}, {4, 0}, {4, 6}, {5, 2}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    bytes[at + c.offset] = c.value;
    Reset();
    ApplySettingsBytes(bytes);
    SCOPED_TRACE(c.offset);
    EXPECT_EQ(SmallWindow, c.offset == 0 ? 0 : 1);
    EXPECT_EQ(View2D, c.offset == 1 ? 1 : 0);
    EXPECT_EQ(MusicOn, c.offset == 2 ? 1 : 0);
    EXPECT_EQ(Rotation, c.offset == 3 ? 0 : 1);
    EXPECT_EQ(PlayerKind[2], c.offset == 4 ? Spontane : Multiplayer);
    EXPECT_EQ(BlueBegins, c.offset == 5 ? 0 : 1);
    // The game itself is still good and kept.
    EXPECT_EQ(MoveCount, 3);
    EXPECT_EQ(Board[7][7], 2);
  }
}

TEST_F(Settings, BadGameLeavesAnEmptyBoard) {
  SampleState();
  const std::vector<uint8_t> good = SettingsBytes();
  const size_t record = std::string("/tmp/Spiele\r\n").size() + 3;
  const size_t boardAt = record + 4 + 6;
  std::vector<std::vector<uint8_t>> bad;
  auto variant = [&](size_t offset, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[offset] = value;
    bad.push_back(bytes);
  };
  variant(record + 3, 226);           // move count above 225
  variant(record + 3, 4);             // more moves than stones
  variant(record + 4, 15);            // a move off the board
  variant(record + 6, 7);             // a move on an empty square
  variant(boardAt + 15 * 7 + 7, 3);   // a cell value above 2
  variant(boardAt + 15 * 9 + 9, 1);   // a stone that is not in the moves
  variant(boardAt + 15 * 0 + 14, 2);  // three blue, no yellow
  for (size_t i = 0; i < bad.size(); ++i) {
    Reset();
    ApplySettingsBytes(bad[i]);
    SCOPED_TRACE(i);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(Board, BoardCells{});
    EXPECT_EQ(History[0][0], -1);
    EXPECT_EQ(Rotation, 1);  // the header fields are still taken
    EXPECT_EQ(SmallWindow, 1);
  }
}

TEST_F(Settings, EmptyFolderLineKeepsHome) {
  std::vector<uint8_t> bytes = {13, 10, 1};
  ApplySettingsBytes(bytes);
  EXPECT_EQ(GameFolder, "/home/start");
  EXPECT_EQ(SmallWindow, 1);
  // A line without its line feed is missing altogether.
  Reset();
  ApplySettingsBytes({'/', 'x'});
  EXPECT_EQ(GameFolder, "/home/start");
}

TEST_F(Settings, SaveWritesTheFileAndLoadReadsIt) {
  SettingsPath = (folder / ".Kavro.ini").string();
  SampleState();
  Music = LoadSoundClip("incbin::media/music.ogg");
  MusicOn = 1;
  MusicChannel = Music ? PlayClip(Music) : kNoChannel;
  SaveSettings();
  if (MusicChannel != kNoChannel) {
    EXPECT_EQ(Playing(MusicChannel), 0);
  }
  const std::vector<uint8_t> written = ReadAll(SettingsPath);
  EXPECT_EQ(written, SettingsBytes());
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u);  // no temporary file left behind

  const std::string path = SettingsPath;
  Reset();
  SettingsPath = path;
  LoadSettings();
  EXPECT_EQ(GameFolder, "/tmp/Spiele");
  EXPECT_EQ(MoveCount, 3);
  EXPECT_EQ(Board[14][3], 2);
}

TEST_F(Settings, MissingOrUnreadableFileKeepsStartValues) {
  SettingsPath = (folder / "nothing-here.ini").string();
  LoadSettings();
  ExpectStartValues();
  EXPECT_FALSE(fs::exists(SettingsPath + ".bak"));
  SettingsPath = folder.string();  // a directory
  LoadSettings();
  ExpectStartValues();
  EXPECT_TRUE(fs::is_directory(folder)) << "a folder is no settings file to move aside";
}

// A file that gives no game is moved or copied aside as one .bak before the
// first write replaces it: a pipe (which must not hang the start), a device
// that never ends, and bytes the reader rejects.
TEST_F(Settings, UnusableFileIsKeptBesideAsOneBackup) {
  SettingsPath = (folder / ".Kavro.ini").string();
  const std::string backup = SettingsPath + ".bak";
  ASSERT_EQ(::mkfifo(SettingsPath.c_str(), 0600), 0);
  LoadSettings();
  ExpectStartValues();
  EXPECT_TRUE(fs::is_fifo(backup));
  EXPECT_FALSE(fs::exists(SettingsPath));

  fs::create_symlink("/dev/zero", SettingsPath);
  LoadSettings();
  ExpectStartValues();
  EXPECT_TRUE(fs::is_symlink(backup)) << "one copy: the newest replaces the older";
  EXPECT_FALSE(fs::exists(fs::symlink_status(SettingsPath)));

  const std::vector<uint8_t> rejected = {'/', 't', '\r', '\n', 0, 1, 0, 0, 2, 0, 3, 7, 7};
  std::ofstream(SettingsPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(rejected.data()), std::streamsize(rejected.size()));
  LoadSettings();
  EXPECT_EQ(MoveCount, 0);
  ASSERT_FALSE(fs::is_symlink(backup)) << "the copy replaced the link, not /dev/zero";
  EXPECT_EQ(ReadAll(backup), rejected);
  EXPECT_EQ(ReadAll(SettingsPath), rejected) << "replaced only by the next write";
  PlaceStone(7, 7, kYellow);
  SaveSettings();
  EXPECT_EQ(ReadAll(SettingsPath), SettingsBytes());
  EXPECT_EQ(ReadAll(backup), rejected);
}

// Every change reaches the file through the background writer; the frame
// loop only hands the bytes over, so no frame waits for fsync.
TEST_F(Settings, KeptAfterEveryChangeWithoutWaitingForTheDisk) {
  SettingsPath = (folder / ".Kavro.ini").string();
  LoadSettings();
  double slowest = 0, total = 0;
  for (int i = 0; i < 100; ++i) {
    PlaceStone(i % 15, i / 15, 1 + i % 2);
    const auto start = std::chrono::steady_clock::now();
    KeepGame();
    KeepGame();  // unchanged: nothing more to write
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    slowest = std::max(slowest, ms);
    total += ms;
  }
  FinishBackgroundWrites();
  EXPECT_EQ(ReadAll(SettingsPath), SettingsBytes());
  std::printf("KeepGame on the frame path: %.3f ms on average, %.3f ms at most\n", total / 100,
              slowest);
  EXPECT_LT(slowest, 8.0) << "half a frame";
}

TEST_F(Settings, UnwritableFileLeavesTheOldOneAlone) {
  SettingsPath = (folder / "missing-dir" / ".Kavro.ini").string();
  SaveSettings();  // nothing reported, nothing written
  EXPECT_FALSE(fs::exists(SettingsPath));
}

TEST_F(Settings, ScaleFromTheDesktop) {
  EXPECT_FLOAT_EQ(ScaleForDesktop(1920, 1080), 1.0f);
  const float scale = ScaleForDesktop(1366, 768);
  EXPECT_NEAR(scale, 0.8132, 0.0001);
  Scale = scale;
  View2D = 0;
  ComputeWindowSize();
  EXPECT_EQ(WindowWidth, 1138);
  EXPECT_EQ(WindowHeight, 691);
  Scale = 1.0f / 4 * 3;
  ComputeWindowSize();
  EXPECT_EQ(WindowWidth, 1050);
  EXPECT_EQ(WindowHeight, 637);
  View2D = 1;
  ComputeWindowSize();
  EXPECT_EQ(WindowWidth, 750);
  EXPECT_FLOAT_EQ(ScaleForDesktop(0, 0), 1.0f);  // size unknown
  // A narrow desktop is limited by its width.
  EXPECT_NEAR(ScaleForDesktop(1010, 1200), 1000.0f / 1400.0f, 1e-6);
}

}  // namespace
