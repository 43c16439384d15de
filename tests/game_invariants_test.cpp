// The whole program played by a random player on the headless backend:
// clicks on squares and dock entries in every loop that listens (moves of
// either side, take back, replay, new game with every opponent, load and
// save, turn, view and size), answers to every question, and restarts from
// the settings file. After every frame the game must be one the game
// itself accepts: colours alternate along the history, no click places a
// computer's stone, and the settings bytes decode to a consistent game.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/settings.h"
#include "game/game_state.h"
#include "persist/game_record_codec.h"
#include "platform/headless/headless_backend.h"
#include "screens/menu_docks.h"
#include "screens/new_game.h"
#include "screens_test_support.h"
#include "toolkit/TMacDockImitat.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kCommands = 1500;
#else
constexpr int kCommands = 10000;
#endif
constexpr int kCommandsPerRun = 400;  // then the program is closed and started again

// The colours along the history: the first mover, then strictly alternating.
std::string AlternationFault() {
  if (!GameIsConsistent(Board, History, MoveCount)) return "board and history disagree";
  for (int i = 1; i < MoveCount; ++i) {
    const int before = Board[History[i - 1][0]][History[i - 1][1]];
    const int now = Board[History[i][0]][History[i][1]];
    if (before == now)
      return "move " + std::to_string(i) + " repeats colour " + std::to_string(now);
  }
  return "";
}

// The record part of the settings bytes (after the folder line and three
// flags) must be a game the reader takes as it stands.
bool SettingsDecode(const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  while (at < bytes.size() && bytes[at] != '\n') ++at;
  GameRecord record;
  return DecodeGameRecord(bytes, at + 4, true, record);
}

class RandomPlayer {
 public:
  RandomPlayer(std::shared_ptr<HeadlessBackend> backend, fs::path home, uint32_t seed)
      : backend_(std::move(backend)), home_(std::move(home)), random_(seed) {}

  int commands = 0;
  int stonesByClick = 0;
  std::string fault;

  void OnFrame() {
    Check();
    if (!fault.empty() || --wait_ > 0) return;
    if (pressed_) {
      backend_->Release(1);
      pressed_ = false;
      wait_ = 3;
      return;
    }
    if (target_.x >= 0) {
      backend_->Press(1);
      pressed_ = true;
      target_ = {-1, -1};
      wait_ = 1;
      return;
    }
    Choose();
  }

 private:
  int Roll(int n) { return int(random_() % uint32_t(n)); }

  void Check() {
    if (const std::string f = AlternationFault(); !f.empty()) fault = f;
    if (clickedSquare_[0] >= 0 && Board[clickedSquare_[0]][clickedSquare_[1]] != kEmpty) {
      const int colour = Board[clickedSquare_[0]][clickedSquare_[1]];
      if (PlayerKind[colour] > Multiplayer) fault = "a click placed the computer's stone";
      ++stonesByClick;
      clickedSquare_[0] = -1;
    }
    if (--clickWindow_ <= 0) clickedSquare_[0] = -1;
    if (!SettingsDecode(SettingsBytes())) fault = "settings bytes hold a game the reader rejects";
  }

  bool NewGameScreenShown() const {
    for (const auto& call : backend_->lastFrame)
      if (call.kind == DrawCommand::kText && call.text == "Neues Spiel starten!") return true;
    return false;
  }

  void Aim(screens_test::Point p, int settle) {
    backend_->MoveTo(p.x, p.y);
    target_ = p;
    wait_ = settle;
  }

  void Choose() {
    ++commands;
    backend_->confirmAnswers.assign(1, Roll(2));
    const std::string files[] = {"a.KVs", "b", "missing.KVs"};
    backend_->fileAnswers.assign(1, (home_ / files[Roll(3)]).string());
    if (NewGameScreenShown()) {
      Aim(screens_test::HorizontalDockEntry(*BuildNewGameDock(), NewGameDockX(), kNewGameDockY,
                                            Roll(5)),
          14);
      return;
    }
    const int what = Roll(20);
    if (what < 11) {  // a square near the middle, so games are decided now and then
      const int x = 3 + Roll(9), y = 3 + Roll(9);
      // Watched only while a human is to move: then no stone but a click's
      // can appear there, and it must be the human's colour.
      const int mover = BlueToMove() ? kBlue : kYellow;
      if (Board[x][y] == kEmpty && PlayerKind[mover] <= Multiplayer && GameResult == 0)
        clickedSquare_[0] = x, clickedSquare_[1] = y, clickWindow_ = 4;
      Aim({CellX[x][y], RowY[y]}, 1);
      return;
    }
    // Left: new game, load, save. Right: view, size, turn, take back, replay.
    // Info, music, quit and the network entry have tests of their own.
    const int left[] = {0, 1, 2};
    const int right[] = {0, 1, 2, 4, 4, 5, 5};
    if (what < 14)
      Aim(screens_test::LeftDockEntry(left[Roll(3)]), 14);
    else
      Aim(screens_test::RightDockEntry(right[Roll(7)]), 14);
  }

  std::shared_ptr<HeadlessBackend> backend_;
  fs::path home_;
  std::mt19937 random_;
  screens_test::Point target_{-1, -1};
  bool pressed_ = false;
  int wait_ = 20;
  int clickedSquare_[2] = {-1, -1};
  int clickWindow_ = 0;
};

TEST(GameInvariants, RandomCommandsNeverBreakAlternationNorTheSettingsFile) {
  auto backend = InstallHeadlessBackend();
  const fs::path home =
      fs::temp_directory_path() / ("kavro-invariants-" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home);
  const char* old = std::getenv("HOME");
  const std::string oldHome = old ? old : "";
  ::setenv("HOME", home.c_str(), 1);

  RandomPlayer player(backend, home, 20261208);
  int runs = 0;
  while (player.commands < kCommands && player.fault.empty()) {
    const int stop = player.commands + kCommandsPerRun;
    backend->onFrame = [&](int64_t) {
      if (player.commands >= stop || !player.fault.empty())
        backend->RequestClose();
      else
        player.OnFrame();
    };
    EXPECT_EQ(StartGame(), 0);
    backend->onFrame = nullptr;
    ++runs;
    // The file the next start reads holds the game as it was left.
    const std::vector<uint8_t> kept = SettingsBytes();
    std::vector<uint8_t> onDisk;
    ASSERT_TRUE(ReadRegularFile((home / ".Kavro.ini").string(), 1 << 16, onDisk));
    EXPECT_EQ(onDisk, kept) << "after run " << runs;
    ResetGameStateGlobals();
    EXPECT_TRUE(ApplySettingsBytes(onDisk)) << "after run " << runs;
  }
  ::setenv("HOME", oldHome.c_str(), 1);
  fs::remove_all(home);
  EXPECT_EQ(player.fault, "") << "after " << player.commands << " commands";
  EXPECT_GE(player.commands, kCommands);
  EXPECT_GT(player.stonesByClick, kCommands / 10) << "the random player hardly played";
}

}  // namespace
