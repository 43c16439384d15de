// Whole runs of the program on the headless backend: StartGame with a
// settings file in a temporary HOME, input scripted frame by frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/settings.h"
#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "screens/menu_docks.h"
#include "screens/stone_flight.h"
#include "screens_test_support.h"
#include "toolkit/TMacDockImitat.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

namespace fs = std::filesystem;

// One step of a script: called once per frame until it answers true.
using Step = std::function<bool()>;

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    home = fs::temp_directory_path() / ("kavro-scenario-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home);
    const char* old = std::getenv("HOME");
    oldHome = old ? old : "";
    ::setenv("HOME", home.c_str(), 1);
    backend->onFrame = [this](int64_t) { Advance(); };
  }
  void TearDown() override {
    backend->onFrame = nullptr;
    ::setenv("HOME", oldHome.c_str(), 1);
    fs::remove_all(home);
  }

  fs::path SettingsFile() const { return home / ".Kavro.ini"; }

  // A settings file: folder line, flags, then a game record.
  void WriteSettings(uint8_t small, uint8_t view, uint8_t kind, uint8_t blueBegins,
                     const std::vector<std::array<int, 3>>& moves, uint8_t rotation = 0) {
    std::ofstream out(SettingsFile(), std::ios::binary);
    out << home.string() << "\r\n";
    std::vector<uint8_t> bytes = {
        small, view, 0, rotation, kind, blueBegins, uint8_t(moves.size())};
    std::vector<uint8_t> board(225, 0);
    for (const auto& m : moves) {
      bytes.push_back(uint8_t(m[0]));
      bytes.push_back(uint8_t(m[1]));
      board[size_t(15 * m[0] + m[1])] = uint8_t(m[2]);
    }
    bytes.insert(bytes.end(), board.begin(), board.end());
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  std::vector<uint8_t> FileBytes() const {
    std::ifstream in(SettingsFile(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The settings file the game should write for the state described.
  std::vector<uint8_t> Expected(uint8_t small, uint8_t view, uint8_t music, uint8_t kind,
                                uint8_t blueBegins, const std::vector<std::array<int, 3>>& moves,
                                uint8_t rotation = 0) const {
    std::string line = home.string() + "\r\n";
    std::vector<uint8_t> bytes(line.begin(), line.end());
    for (uint8_t b : {small, view, music, rotation, kind, blueBegins, uint8_t(moves.size())})
      bytes.push_back(b);
    std::vector<uint8_t> board(225, 0);
    for (const auto& m : moves) {
      bytes.push_back(uint8_t(m[0]));
      bytes.push_back(uint8_t(m[1]));
      board[size_t(15 * m[0] + m[1])] = uint8_t(m[2]);
    }
    bytes.insert(bytes.end(), board.begin(), board.end());
    return bytes;
  }

  // ---- script steps

  void Then(Step step) { steps.push_back(std::move(step)); }

  // Clicks the square until a stone lies on it (a click that arrives while
  // no human turn is waiting is flushed away, so it is simply repeated).
  void ClickSquare(int x, int y) {
    auto phase = std::make_shared<int>(0);
    Then([this, x, y, phase] {
      if (Board[x][y] != 0) return true;
      const int p = (*phase)++ % 6;
      if (p == 0) backend->MoveTo(CellX[x][y], RowY[y]);
      if (p == 2) backend->Press(1);
      if (p == 3) backend->Release(1);
      return false;
    });
  }
  // Hovers over a dock entry until the dock has opened, then clicks it. The
  // release comes between two frames, or in the middle of the next frame
  // (at its fourth input read: after the turn loop's snapshot read the
  // pointer and the held button, before the dock looks), there with a close
  // request too if asked, and the step then ends at once.
  enum Release { kBetweenFrames, kMidFrame, kMidFrameWithClose };
  void ClickDock(bool right, int index, Release release = kBetweenFrames) {
    auto phase = std::make_shared<int>(0);
    Then([this, right, index, release, phase] {
      const int p = (*phase)++;
      if (p == 0) {
        const screens_test::Point point =
            right ? screens_test::RightDockEntry(index) : screens_test::LeftDockEntry(index);
        backend->MoveTo(point.x, point.y);
      }
      if (p == 14) backend->Press(1);
      if (p == 15 && release == kBetweenFrames) backend->Release(1);
      if (p == 15 && release != kBetweenFrames) {
        auto reads = std::make_shared<int>(0);
        backend->onPump = [this, reads, release] {
          if (++*reads < 4) return;
          backend->Release(1);
          if (release == kMidFrameWithClose) backend->RequestClose();
          backend->onPump = nullptr;
        };
        if (release == kMidFrameWithClose) return true;
      }
      return p >= 20;
    });
  }
  void WaitUntil(std::function<bool()> condition) { Then(std::move(condition)); }
  void WaitFrames(int frames) {
    auto left = std::make_shared<int>(frames);
    Then([left] { return --*left <= 0; });
  }
  void Do(std::function<void()> action) {
    Then([action] {
      action();
      return true;
    });
  }
  // The last step: the program ends at its next input snapshot.
  void Close() {
    Then([this] {
      backend->RequestClose();
      return true;
    });
  }

  // Runs the script, one step a frame at most; frames presented by a loop
  // that a step itself started only reach the observer.
  void Advance() {
    if (observer) observer();
    if (inStep) return;
    if (++framesRun > frameLimit) {
      ADD_FAILURE() << "script stuck at step " << stepIndex;
      backend->RequestClose();
      return;
    }
    inStep = true;
    if (!steps.empty() && steps.front()()) {
      steps.pop_front();
      stepIndex++;
    }
    inStep = false;
  }

  int Play() {
    const int code = StartGame();
    EXPECT_TRUE(steps.empty()) << "steps left: " << steps.size();
    return code;
  }

  // The wave text of the game-over display, as drawn in the last frame.
  std::string ShownText() const {
    std::string text;
    for (const auto& call : backend->lastFrame)
      if (call.kind == DrawCommand::kText && call.text != " ") text += call.text;
    return text;
  }
  void WaitForMessage(const std::string& letters) {
    WaitUntil([this, letters] { return ShownText() == letters; });
  }

  std::shared_ptr<HeadlessBackend> backend;
  fs::path home;
  std::string oldHome;
  std::deque<Step> steps;
  int stepIndex = 0;
  int framesRun = 0;
  int frameLimit = 20000;
  bool inStep = false;
  std::function<void()> observer;
};

TEST_F(Scenario, FirstStartShowsTheSplashThenAnEmptyFlatBoard) {
  int splashFrames = 0;
  Then([&] {
    // The splash is the only frame before the board; it shows five letters.
    int letters = 0;
    for (const auto& call : backend->lastFrame) letters += call.kind == DrawCommand::kText;
    EXPECT_EQ(letters, 5);
    EXPECT_EQ(backend->lastFrame[0].picture->name, "incbin::media/EmptyBackground.jpg");
    splashFrames = int(backend->frames);
    return true;
  });
  Then([&] {
    EXPECT_GE(backend->now, 1500);
    EXPECT_EQ(backend->lastFrame[0].picture, BoardPicture[0][1].get());
    return true;
  });
  Close();
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(splashFrames, 1);
  EXPECT_EQ(backend->windowWidth, 1000);
  EXPECT_EQ(backend->windowHeight, 850);
  EXPECT_EQ(backend->title, "Kavro");
  EXPECT_EQ(FileBytes(), Expected(0, 1, 1, Spontane, 0, {}));
}

TEST_F(Scenario, TwoHumansPlayAFiveByClicksInTheFlatView) {
  WriteSettings(0, 1, Multiplayer, 0, {});
  const std::vector<std::array<int, 3>> game = {{7, 7, 1},  {0, 0, 2}, {8, 7, 1},
                                                {0, 1, 2},  {9, 7, 1}, {0, 2, 2},
                                                {10, 7, 1}, {0, 3, 2}, {11, 7, 1}};
  for (const auto& m : game) ClickSquare(m[0], m[1]);
  WaitForMessage("Gelbhatgewonnen...");
  Do([&] {
    for (const auto& m : game) EXPECT_EQ(Board[m[0]][m[1]], m[2]);
    EXPECT_EQ(GameResult, 1);
    EXPECT_EQ(WinRowX[0], 11);
  });
  Close();
  EXPECT_EQ(Play(), 0);
  // Closed during the display: BlueBegins is still that of the game.
  EXPECT_EQ(FileBytes(), Expected(0, 1, 0, Multiplayer, 0, game));
}

TEST_F(Scenario, BlueWinsInThePerspectiveViewAtTheSmallSize) {
  WriteSettings(1, 0, Multiplayer, 0, {}, 3);
  const std::vector<std::array<int, 3>> game = {{0, 0, 1}, {7, 3, 2}, {0, 2, 1}, {7, 4, 2},
                                                {0, 4, 1}, {7, 5, 2}, {0, 6, 1}, {7, 6, 2},
                                                {0, 8, 1}, {7, 7, 2}};
  for (const auto& m : game) ClickSquare(m[0], m[1]);
  WaitForMessage("Blauhatgewonnen...");
  Close();
  EXPECT_EQ(Play(), 0);
  EXPECT_FLOAT_EQ(Scale, 0.75f);
  EXPECT_EQ(backend->windowWidth, 1050);
  EXPECT_EQ(backend->windowHeight, 637);
  EXPECT_EQ(GameResult, 2);
  EXPECT_EQ(FileBytes(), Expected(1, 0, 0, Multiplayer, 0, game, 3));
}

const std::vector<std::array<int, 3>> kYellowFive = {{3, 3, 1},  {9, 9, 2},  {4, 3, 1},
                                                     {9, 10, 2}, {5, 3, 1},  {9, 11, 2},
                                                     {6, 3, 1},  {10, 9, 2}, {7, 3, 1}};

TEST_F(Scenario, YellowsSavedFiveShowsTheDisplayAfterTheSplash) {
  WriteSettings(0, 1, Konsequente, 0, kYellowFive);
  WaitForMessage("Duhastgewonnen...");
  Do([&] { EXPECT_LT(backend->now, 1500 + 2500); });
  // Take back from the display: only yellow's winning stone, then yellow again.
  ClickDock(true, 4);
  WaitUntil([] { return GameResult == 0; });
  Do([] {
    EXPECT_EQ(MoveCount, 8);
    EXPECT_EQ(Board[7][3], 0);
    EXPECT_EQ(BlueBegins, 1);
  });
  ClickSquare(12, 12);
  Do([] { EXPECT_EQ(Board[12][12], 1); });
  WaitUntil([] { return MoveCount == 10; });  // the Konsequente answers
  Close();
  EXPECT_EQ(Play(), 0);
  const std::vector<uint8_t> bytes = FileBytes();
  ASSERT_EQ(bytes.size(), home.string().size() + 2 + 3 + 4 + 20 + 225);
  EXPECT_EQ(bytes[home.string().size() + 2 + 5], 1);  // BlueBegins after yellow's game
}

TEST_F(Scenario, BluesSavedFiveBetweenHumansAndItsTakeBack) {
  std::vector<std::array<int, 3>> game = {{0, 0, 1}, {5, 5, 2}, {0, 2, 1}, {6, 6, 2}, {0, 4, 1},
                                          {7, 7, 2}, {0, 6, 1}, {8, 8, 2}, {1, 9, 1}, {9, 9, 2}};
  WriteSettings(0, 1, Multiplayer, 0, game);
  WaitForMessage("Blauhatgewonnen...");
  ClickDock(true, 4);
  WaitUntil([] { return GameResult == 0; });
  // Blue's winning move was taken back: blue moves again, elsewhere.
  ClickSquare(14, 0);
  Do([] {
    EXPECT_EQ(Board[14][0], 2);
    EXPECT_EQ(Board[9][9], 0);
  });
  ClickSquare(14, 1);
  Do([] { EXPECT_EQ(Board[14][1], 1); });
  Close();
  EXPECT_EQ(Play(), 0);
  game.back() = {14, 0, 2};
  game.push_back({14, 1, 1});
  EXPECT_EQ(FileBytes(), Expected(0, 1, 0, Multiplayer, 0, game));
}

TEST_F(Scenario, TwoHumansWithBlueToBeginResumeWithBlue) {
  WriteSettings(0, 1, Multiplayer, 1, {});
  ClickSquare(7, 7);
  Do([] { EXPECT_EQ(Board[7][7], 2); });
  ClickSquare(8, 8);
  Do([] { EXPECT_EQ(Board[8][8], 1); });
  ClickSquare(9, 9);
  Do([] { EXPECT_EQ(Board[9][9], 2); });
  Close();
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(FileBytes(), Expected(0, 1, 0, Multiplayer, 1, {{7, 7, 2}, {8, 8, 1}, {9, 9, 2}}));
}

TEST_F(Scenario, AnUnfinishedGameResumesWithTheColourToMove) {
  // Blue began and yellow answered: blue's move, whatever BlueBegins says.
  WriteSettings(0, 1, Multiplayer, 1, {{7, 7, 2}, {8, 8, 1}, {6, 6, 2}});
  ClickSquare(1, 1);
  Do([] { EXPECT_EQ(Board[1][1], 1); });
  Close();
  EXPECT_EQ(Play(), 0);
}

TEST_F(Scenario, ARestartRestoresTheGameWithItsHistory) {
  WriteSettings(1, 1, Flexible, 0, {}, 1);
  ClickSquare(7, 7);
  WaitUntil([] { return MoveCount == 2; });
  Close();
  EXPECT_EQ(Play(), 0);
  const std::vector<uint8_t> first = FileBytes();
  ASSERT_EQ(first.size(), home.string().size() + 2 + 3 + 4 + 4 + 225);

  // The second run starts where the first ended; take back still works.
  backend = InstallHeadlessBackend();
  backend->onFrame = [this](int64_t) { Advance(); };
  Do([] {
    EXPECT_EQ(MoveCount, 2);
    EXPECT_EQ(Rotation, 1);
    EXPECT_EQ(PlayerKind[2], Flexible);
    EXPECT_EQ(SmallWindow, 1);
    EXPECT_EQ(MusicOn, 0);
  });
  ClickDock(true, 4);
  WaitUntil([] { return MoveCount == 0; });
  ClickDock(true, 5);
  WaitUntil([] { return MoveCount == 2; });
  Close();
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(FileBytes(), first);
}

// The view and size entries rebuild the window under the pointer; the
// press the frame's input snapshot still holds must not reach the new board
// (from the small flat board it made a stone at 11,3 of the large one), and
// a close request of that frame still ends the program.
TEST_F(Scenario, WindowSwitchesLeaveNoHeldPress) {
  WriteSettings(0, 0, Spontane, 0, {});
  const int kView = 0, kSize = 1;
  int stale = 0;  // frames ending with a press held that the button no longer makes
  observer = [&stale] { stale += Action->MouseKey == 1 && !ButtonIsDown(1); };
  ClickDock(true, kSize, kMidFrame);
  Do([] { EXPECT_EQ(SmallWindow, 1); });
  for (int entry : {kView, kSize, kView}) ClickDock(true, entry, kMidFrame);
  Do([] {
    EXPECT_EQ(SmallWindow, 0);
    EXPECT_EQ(View2D, 0);
    EXPECT_EQ(MoveCount, 0);
  });
  ClickSquare(7, 7);
  WaitUntil([] { return MoveCount == 2; });
  ClickDock(true, kSize, kMidFrameWithClose);
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(stale, 0);
  EXPECT_EQ(SmallWindow, 1);
}

TEST_F(Scenario, TakeBackAndReplayDuringTwoHumanTurns) {
  WriteSettings(0, 1, Multiplayer, 0, {{7, 7, 1}, {8, 8, 2}});
  // Yellow's turn: taking back removes blue's stone and hands blue the turn.
  ClickDock(true, 4);
  WaitUntil([] { return MoveCount == 1; });
  Do([] { EXPECT_EQ(Board[8][8], 0); });
  // Blue replays its own move; then it is yellow's turn.
  ClickDock(true, 5);
  WaitUntil([] { return MoveCount == 2; });
  Do([] { EXPECT_EQ(Board[8][8], 2); });
  ClickSquare(3, 3);
  Do([] { EXPECT_EQ(Board[3][3], 1); });
  Close();
  EXPECT_EQ(Play(), 0);
}

TEST_F(Scenario, TakeBackAndReplayAgainstTheComputer) {
  WriteSettings(0, 1, Flexible, 0, {{7, 7, 1}, {8, 8, 2}, {6, 6, 1}, {5, 5, 2}});
  ClickDock(true, 4);
  WaitUntil([] { return MoveCount == 2; });
  ClickDock(true, 5);
  WaitUntil([] { return MoveCount == 4; });
  Do([] {
    EXPECT_EQ(Board[6][6], 1);
    EXPECT_EQ(Board[5][5], 2);
  });
  // Still yellow's turn.
  ClickSquare(1, 13);
  Do([] { EXPECT_EQ(Board[1][13], 1); });
  WaitUntil([] { return MoveCount == 6; });
  Close();
  EXPECT_EQ(Play(), 0);
}

TEST_F(Scenario, ReplayIntoAFiveShowsTheDisplayAgain) {
  WriteSettings(0, 1, Spontane, 0, kYellowFive);
  WaitForMessage("Duhastgewonnen...");
  ClickDock(true, 4);
  WaitUntil([] { return GameResult == 0; });
  ClickDock(true, 5);
  WaitUntil([] { return GameResult == 1; });
  WaitForMessage("Duhastgewonnen...");
  Do([] { EXPECT_EQ(MoveCount, 9); });
  Close();
  EXPECT_EQ(Play(), 0);
}

TEST_F(Scenario, TheComputersStoneGlidesFromTheTopEdge) {
  WriteSettings(0, 0, Konsequente, 0, {});
  std::vector<DrawCommand> flight;
  const PictureRef* blueStone = &StonePicture[Konsequente][0];
  Do([&] {
    // The flying stone is the last picture of the frame.
    observer = [&] {
      for (auto it = backend->lastFrame.rbegin(); it != backend->lastFrame.rend(); ++it)
        if (it->picture == blueStone->get()) {
          if (MoveCount == 1) flight.push_back(*it);
          break;
        }
    };
  });
  ClickSquare(7, 7);
  WaitUntil([] { return MoveCount == 2; });
  Close();
  EXPECT_EQ(Play(), 0);
  ASSERT_GE(flight.size(), 25u);
  ASSERT_LE(flight.size(), 33u);  // 500 ms at 60 frames a second
  EXPECT_LT(flight.front().y, 40);
  EXPECT_GE(flight.front().x, 0.25 * 1400 - 30);
  EXPECT_LE(flight.front().x, 0.75 * 1400 + 30);
  EXPECT_LT(flight.front().state.scaleY, 0.1);  // depth-scaled near the top
  int x = -1, y = -1;
  for (int cx = 0; cx < 15; ++cx)
    for (int cy = 0; cy < 15; ++cy)
      if (Board[cx][cy] == 2) x = cx, y = cy;
  ASSERT_GE(x, 0);
  EXPECT_NEAR(flight.back().x, CellX[x][y], 8);
  EXPECT_NEAR(flight.back().y, RowY[y], 8);
  EXPECT_NEAR(flight.back().state.scaleY, flight.back().y / 618.0, 1e-4);
}

TEST_F(Scenario, EscapeAsksBeforeEnding) {
  backend->confirmAnswers = {0, 1};
  WaitFrames(5);
  Do([&] { backend->KeyDown(kKeyEscape); });
  WaitFrames(3);
  Do([&] {
    backend->KeyUp(kKeyEscape);
    EXPECT_EQ(backend->questions.size(), 1u);
  });
  ClickSquare(2, 2);
  Do([&] { backend->KeyDown(kKeyEscape); });
  EXPECT_EQ(Play(), 0);
  ASSERT_EQ(backend->questions.size(), 2u);
  EXPECT_EQ(backend->questions[1], "Willst du wirklich das Programm beenden?");
  // The settings were written with the move on the board.
  const std::vector<uint8_t> bytes = FileBytes();
  EXPECT_GE(bytes.size(), home.string().size() + 2 + 3 + 4 + 2 + 225);
}

TEST_F(Scenario, ShowExternalMoveRisesFromTheBottom) {
  std::vector<DrawCommand> flight;
  WaitFrames(2);
  Do([&] {
    const int32_t move[2] = {4, 10};
    observer = [&] {
      for (const auto& call : backend->lastFrame)
        if (call.picture == StonePicture[0][1].get()) flight.push_back(call);
    };
    EXPECT_EQ(ShowExternalMove(move, 1), 1);
    observer = nullptr;
    EXPECT_EQ(Board[4][10], 0);  // placed by the caller
  });
  Close();
  EXPECT_EQ(Play(), 0);
  ASSERT_GE(flight.size(), 25u);
  EXPECT_GT(flight.front().y, 800);
  EXPECT_NEAR(flight.back().y, 77 + 500, 6);
  EXPECT_NEAR(flight.back().x, CellX[4][10], 8);
}

TEST_F(Scenario, SettingsCutShortAtEveryLengthStartCleanly) {
  const std::vector<std::array<int, 3>> game = {{7, 7, 1}, {8, 8, 2}, {9, 9, 1}};
  WriteSettings(1, 0, Multiplayer, 1, game, 2);
  std::ifstream in(SettingsFile(), std::ios::binary);
  const std::vector<uint8_t> full{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  // Every length is a unit test of the reader; here a few of each part.
  const size_t line = home.string().size() + 2;
  const size_t lengths[] = {
      0,        5,        line - 1, line,     line + 1,  line + 2,        line + 3,   line + 4,
      line + 5, line + 6, line + 7, line + 8, line + 60, full.size() - 1, full.size()};
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    {
      std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(full.data()), std::streamsize(length));
    }
    backend = InstallHeadlessBackend();
    backend->onFrame = [this](int64_t) { Advance(); };
    steps.clear();
    Do([&] { EXPECT_TRUE(GameIsConsistent(Board, History, MoveCount)); });
    Close();
    EXPECT_EQ(Play(), 0);
    const bool whole = length == full.size();
    EXPECT_EQ(MoveCount, whole ? 3 : 0);
    // Whatever was read, the file written at the end is complete again.
    const std::vector<uint8_t> bytes = FileBytes();
    EXPECT_EQ(bytes, SettingsBytes());
    EXPECT_EQ(bytes.size(), home.string().size() + 2 + 3 + 4 + 2 * size_t(MoveCount) + 225);
  }
}

TEST_F(Scenario, OutOfRangeSettingsKeepStartValues) {
  WriteSettings(2, 5, 9, 3, {{7, 7, 1}}, 4);
  std::vector<uint8_t> bytes = FileBytes();
  bytes[home.string().size() + 2 + 6] = 230;  // move count
  {
    std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  Close();
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(SmallWindow, 0);
  EXPECT_EQ(View2D, 1);
  EXPECT_EQ(Rotation, 0);
  EXPECT_EQ(PlayerKind[2], Spontane);
  EXPECT_EQ(BlueBegins, 0);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(FileBytes(), Expected(0, 1, 0, Spontane, 0, {}));
}

}  // namespace
