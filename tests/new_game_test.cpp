#include "screens/new_game.h"

#include <gtest/gtest.h>

#include "game/game_state.h"
#include "screens_test_support.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

using namespace screens_test;

namespace {

class NewGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = OpenTestWindow();
    dock = BuildNewGameDock();
  }

  Point Entry(int index) const {
    return HorizontalDockEntry(*dock, NewGameDockX(), kNewGameDockY, index);
  }

  void SetUpRunningGame() {
    Board[7][7] = kYellow;
    Board[8][8] = kBlue;
    History[0] = {7, 7};
    History[1] = {8, 8};
    History[2] = {6, 6};
    MoveCount = 2;
    PlayerKind[kBlue] = Flexible;
  }

  void ExpectClearedBoard() {
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(Board, BoardCells{});
    for (const auto& entry : History) {
      EXPECT_EQ(entry[0], -1);
      EXPECT_EQ(entry[1], -1);
    }
  }

  std::shared_ptr<HeadlessBackend> backend;
  std::shared_ptr<TMacDockImitat_Horizontal> dock;
};

TEST_F(NewGameTest, DecliningTheQuestionChangesNothing) {
  SetUpRunningGame();
  const BoardCells board = Board;
  const MoveList history = History;
  backend->confirmAnswers = {0};
  EXPECT_EQ(NewGameScreen(), 0);
  ASSERT_EQ(backend->questions.size(), 1u);
  EXPECT_EQ(backend->questions[0], "Willst du wirklich das aktuelle Spiel abbrechen?");
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(PlayerKind[kBlue], Flexible);
  EXPECT_EQ(backend->frames, 0) << "the panel never showed";
}

TEST_F(NewGameTest, ClickOnEachEntryChoosesItsOpponent) {
  for (int entry = 0; entry < 5; ++entry) {
    SCOPED_TRACE(entry);
    SetUpRunningGame();
    backend->confirmAnswers = {1};
    FrameScript script(backend);
    script.Click(1, Entry(entry));
    script.At(100, [&] { backend->RequestClose(); });
    EXPECT_EQ(NewGameScreen(), 1);
    EXPECT_EQ(PlayerKind[kBlue], entry + 1);
    EXPECT_EQ(script.Elapsed(), 15) << "the click's release ends the screen";
    ExpectClearedBoard();
  }
}

TEST_F(NewGameTest, NoQuestionWithoutMovesOrAfterAFinishedGame) {
  FrameScript script(backend);
  script.At(2, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);

  // A decided game with a full board is thrown away without asking.
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) Board[x][y] = (x + y) % 2 + 1;
  MoveCount = 225;
  GameResult = 3;
  FrameScript again(backend);
  again.At(2, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);
  EXPECT_TRUE(backend->questions.empty());
  EXPECT_EQ(GameResult, 0);
  ExpectClearedBoard();
}

TEST_F(NewGameTest, EscapeKeepsTheOpponentAndWaitsForTheRelease) {
  SetUpRunningGame();
  backend->confirmAnswers = {1};
  int sleepsWhileHeld = 0;
  bool held = false;
  FrameScript script(backend);
  script.At(3, [&] {
    backend->KeyDown(kKeyEscape);
    held = true;
  });
  backend->onSleep = [&] {
    if (held && ++sleepsWhileHeld == 30) {
      backend->KeyUp(kKeyEscape);
      held = false;
    }
  };
  EXPECT_EQ(NewGameScreen(), 1);
  backend->onSleep = nullptr;
  EXPECT_FALSE(held) << "returned while Escape was still held";
  EXPECT_EQ(KeyIsDown(kKeyEscape), 0);
  EXPECT_EQ(PlayerKind[kBlue], Flexible);
  ExpectClearedBoard();
}

TEST_F(NewGameTest, CloseButtonOnlyLeavesThisScreen) {
  PlayerKind[kBlue] = Denker;
  FrameScript script(backend);
  script.At(4, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);
  EXPECT_EQ(PlayerKind[kBlue], Denker);
  EXPECT_EQ(CloseRequested(), 0);
  Action->update();
  EXPECT_EQ(Action->Close, 0) << "the close request was consumed";
}

TEST_F(NewGameTest, PressOnTheDockReleasedOutsideChoosesNothing) {
  FrameScript script(backend);
  const Point entry = Entry(2);
  script.At(1, [&] { backend->MoveTo(entry.x, entry.y); });
  script.At(12, [&] { backend->Press(1); });
  script.At(14, [&] { backend->MoveTo(entry.x, 100); });
  script.At(20, [&] { backend->Release(1); });
  script.At(30, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);
  EXPECT_EQ(PlayerKind[kBlue], Spontane);
  EXPECT_GE(script.Elapsed(), 31);
}

TEST_F(NewGameTest, PanelAndTextsAreCentredInBothViews) {
  for (uint8_t view : {uint8_t(1), uint8_t(0)}) {
    SCOPED_TRACE(int(view));
    backend = OpenTestWindow(view, 0.75f);
    // Pictures of the screen live only while it runs: look at the frame
    // from inside it.
    bool panel = false, title = false, prompt = false;
    auto inspect = [&] {
      for (const DrawCommand& c : backend->lastFrame) {
        if (c.kind == DrawCommand::kPicture && c.picture &&
            c.picture->name == "incbin::media/NewGameBackground.png") {
          panel = true;
          EXPECT_FLOAT_EQ(c.x, float(WindowWidth / 2));
          EXPECT_FLOAT_EQ(c.y, 300.0f);
          EXPECT_FLOAT_EQ(c.picture->handleX, static_cast<float>(c.picture->width) * 0.5f);
          EXPECT_FLOAT_EQ(c.picture->handleY, static_cast<float>(c.picture->height) * 0.5f);
        }
        if (c.kind == DrawCommand::kText && c.text == "Neues Spiel starten!") {
          title = true;
          // Its opaque columns (advances + 2) centred on the panel.
          EXPECT_FLOAT_EQ(c.x + 0.375f * float(MeasureTextWidth(c.text) + 2),
                          float(WindowWidth / 2));
          EXPECT_FLOAT_EQ(c.y, 210.0f);
          EXPECT_EQ(c.state.red, 255);
          EXPECT_EQ(c.state.green, 222);
          EXPECT_EQ(c.state.blue, 0);
        }
        if (c.kind == DrawCommand::kText && c.text == "Gegner wählen:") {
          prompt = true;
          EXPECT_FLOAT_EQ(c.x + 0.375f * float(MeasureTextWidth(c.text) + 2),
                          float(WindowWidth / 2));
          EXPECT_EQ(c.state.green, 255);
        }
      }
    };
    FrameScript script(backend);
    script.At(2, [&] {
      inspect();
      backend->RequestClose();
    });
    EXPECT_EQ(NewGameScreen(), 1);
    EXPECT_TRUE(panel);
    EXPECT_TRUE(title);
    EXPECT_TRUE(prompt);
  }
}

TEST_F(NewGameTest, SideDocksAreDrawnButDoNotReact) {
  FrameScript script(backend);
  script.Click(1, RightDockEntry(0));
  script.At(20, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);
  EXPECT_EQ(View2D, 1);
  EXPECT_EQ(backend->windowOpenCount, 1);
}

TEST_F(NewGameTest, MusicThatEndedIsStartedAgain) {
  MusicOn = 1;
  Music = LoadSoundClip("incbin::media/music.ogg");
  ASSERT_TRUE(Music);
  MusicChannel = kNoChannel;
  FrameScript script(backend);
  script.At(3, [&] { backend->RequestClose(); });
  EXPECT_EQ(NewGameScreen(), 1);
  EXPECT_EQ(Playing(MusicChannel), 1);
}

}  // namespace
