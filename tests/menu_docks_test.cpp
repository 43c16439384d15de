#include "screens/menu_docks.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine_link/engine_link.h"
#include "game/game_state.h"
#include "screens/new_game.h"
#include "screens_test_support.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

using namespace screens_test;

namespace {

enum { kNew, kLoad, kSave, kInfo, kMusicEntry, kQuit };
enum { kView, kSize, kTurn, kNetwork, kTakeBack, kReplay };

// Puts stones on the board in the order given, colours alternating from
// `first`, as a game would have placed them.
void PlayMoves(std::initializer_list<std::array<int, 2>> moves, int first = kYellow) {
  int colour = first;
  for (auto [x, y] : moves) {
    Board[x][y] = colour;
    History[MoveCount] = {x, y};
    MoveCount++;
    colour = 3 - colour;
  }
}

class MenuDocksTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = OpenTestWindow(); }

  // One click on a side dock entry during a board screen of `colour`;
  // returns what RunMenuDocks answered in the frame of the release.
  int ClickEntry(Point p, int colour = kYellow) {
    FrameScript script(backend);
    const int64_t release = script.Click(0, p);
    int result = 0;
    for (int64_t frame = 0; frame <= release; ++frame) {
      Action->update();
      int answer = RunMenuDocks(colour, 1);
      PresentFrame();
      if (answer == 1) result = 1;
    }
    return result;
  }

  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(MenuDocksTest, OpenGameWindowSizesWindowDocksAndFont) {
  EXPECT_EQ(WindowWidth, 1000);
  EXPECT_EQ(backend->windowWidth, 1000);
  EXPECT_EQ(backend->windowHeight, 850);
  EXPECT_EQ(CurrentDrawState().blend, kBlendAlpha);
  ASSERT_TRUE(LeftDock && RightDock);
  EXPECT_EQ(LeftDock->WholeHeight, 540);
  EXPECT_EQ(RightDock->WholeHeight, 540);
  EXPECT_EQ(LeftDock->FrameCount, 5);
  EXPECT_EQ(RightDock->FrameHeight, 120);
  ASSERT_TRUE(GameFont);
  EXPECT_EQ(CurrentTextFont(), GameFont);
  EXPECT_EQ(MeasureTextHeight("Kavro"), 60);

  backend = OpenTestWindow(0, 0.75f);
  EXPECT_EQ(backend->windowWidth, 1050);
  EXPECT_EQ(backend->windowHeight, 637);
  EXPECT_EQ(LeftDock->WholeHeight, 405);
  EXPECT_EQ(LeftDock->FrameHeight, 90);
}

TEST_F(MenuDocksTest, EntriesDoNothingWithoutReact) {
  FrameScript script(backend);
  const int64_t release = script.Click(0, RightDockEntry(kView));
  for (int64_t frame = 0; frame <= release + 1; ++frame) {
    EXPECT_EQ(RunMenuDocks(kYellow, 0), 0);
    PresentFrame();
  }
  EXPECT_EQ(View2D, 1);
  EXPECT_EQ(backend->windowOpenCount, 1);
}

TEST_F(MenuDocksTest, ViewSwitchRebuildsTheWindowBothWays) {
  EXPECT_EQ(ClickEntry(RightDockEntry(kView)), 0);
  EXPECT_EQ(View2D, 0);
  EXPECT_EQ(backend->windowWidth, 1400);
  EXPECT_EQ(backend->windowHeight, 850);
  EXPECT_EQ(backend->windowOpenCount, 2);

  // The docks were rebuilt for the new window and still answer.
  EXPECT_EQ(ClickEntry(RightDockEntry(kView)), 0);
  EXPECT_EQ(View2D, 1);
  EXPECT_EQ(backend->windowWidth, 1000);
}

TEST_F(MenuDocksTest, SizeSwitchScalesByThreeQuartersAndBack) {
  EXPECT_EQ(ClickEntry(RightDockEntry(kSize)), 0);
  EXPECT_EQ(SmallWindow, 1);
  EXPECT_FLOAT_EQ(Scale, 0.75f);
  EXPECT_EQ(DepthBase, 463);
  EXPECT_EQ(backend->windowWidth, 750);
  EXPECT_EQ(backend->windowHeight, 637);
  EXPECT_EQ(LeftDock->WholeHeight, 405);

  EXPECT_EQ(ClickEntry(RightDockEntry(kView)), 0);
  EXPECT_EQ(backend->windowWidth, 1050);

  EXPECT_EQ(ClickEntry(RightDockEntry(kSize)), 0);
  EXPECT_EQ(SmallWindow, 0);
  EXPECT_FLOAT_EQ(Scale, 1.0f);
  EXPECT_EQ(DepthBase, 618);
  EXPECT_EQ(backend->windowWidth, 1400);
  EXPECT_EQ(backend->windowHeight, 850);
}

TEST_F(MenuDocksTest, TurnEntryTurnsTheBoard) {
  PlayMoves({{0, 0}, {14, 0}});
  EXPECT_EQ(ClickEntry(RightDockEntry(kTurn)), 0);
  EXPECT_EQ(Rotation, 1);
  EXPECT_EQ(Board[14][0], kYellow);
  EXPECT_EQ(Board[14][14], kBlue);
  EXPECT_EQ(History[0][0], 14);
  EXPECT_EQ(History[0][1], 0);
}

TEST_F(MenuDocksTest, NetworkEntryDoesNothingWhileTheGameIsOver) {
  PlayMoves({{3, 7}, {0, 0}, {4, 7}, {0, 1}, {5, 7}, {0, 2}, {6, 7}, {0, 3}, {7, 7}});
  GameResult = 1;
  const BoardCells before = Board;
  EXPECT_EQ(ClickEntry(RightDockEntry(kNetwork)), 0);
  EXPECT_EQ(Board, before);
  EXPECT_EQ(MoveCount, 9);
  EXPECT_TRUE(backend->notices.empty());
}

// Plays the external engine on the loopback: receives the position the
// game sends and answers with a square.
class FakeEngine {
 public:
  FakeEngine() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kEnginePort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~FakeEngine() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool bound() const { return bound_; }
  // Answers the first position that arrived; false while none has.
  bool AnswerWith(uint8_t x, uint8_t y) {
    uint8_t position[kSquares + 1];
    if (::recv(fd_, position, sizeof position, 0) != kSquares) return false;
    received = std::vector<uint8_t>(position, position + kSquares);
    sockaddr_in game{};
    game.sin_family = AF_INET;
    game.sin_port = htons(kMovePort);
    game.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const uint8_t move[2] = {x, y};
    ::sendto(fd_, move, 2, 0, reinterpret_cast<sockaddr*>(&game), sizeof game);
    return true;
  }
  std::vector<uint8_t> received;

 private:
  int fd_ = -1;
  bool bound_ = false;
};

TEST_F(MenuDocksTest, NetworkEntryLetsTheEngineMoveForTheHuman) {
  FakeEngine engine;
  if (!engine.bound()) GTEST_SKIP() << "port 8000 is taken";
  PlayMoves({{7, 7}, {8, 8}});
  bool answered = false;
  backend->onSleep = [&] {
    if (!answered) answered = engine.AnswerWith(3, 4);
  };
  EXPECT_EQ(ClickEntry(RightDockEntry(kNetwork)), 1) << "the engine's move ends the turn";
  backend->onSleep = nullptr;
  ASSERT_TRUE(answered);
  EXPECT_EQ(engine.received[15 * 7 + 7], kYellow);
  EXPECT_EQ(Board[3][4], kYellow);
  EXPECT_EQ(MoveCount, 3);
  EXPECT_TRUE(backend->notices.empty());
}

TEST_F(MenuDocksTest, NetworkEntryReportsARejectedMoveAndTheTurnGoesOn) {
  FakeEngine engine;
  if (!engine.bound()) GTEST_SKIP() << "port 8000 is taken";
  PlayMoves({{7, 7}, {8, 8}});
  bool answered = false;
  backend->onSleep = [&] {
    if (!answered) answered = engine.AnswerWith(8, 8);
  };
  EXPECT_EQ(ClickEntry(RightDockEntry(kNetwork)), 0);
  backend->onSleep = nullptr;
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_NE(backend->notices[0].find("[8,8] ist bereits besetzt"), std::string::npos)
      << backend->notices[0];
  EXPECT_EQ(MoveCount, 2);
}

TEST_F(MenuDocksTest, EscapeWhileWaitingForTheEngineCancels) {
  PlayMoves({{7, 7}, {8, 8}});
  int sleeps = 0;
  backend->onSleep = [&] {
    if (++sleeps == 20) backend->KeyDown(kKeyEscape);
    if (sleeps == 30) backend->KeyUp(kKeyEscape);
  };
  EXPECT_EQ(ClickEntry(RightDockEntry(kNetwork)), 0);
  backend->onSleep = nullptr;
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_NE(backend->notices[0], "ok");
  EXPECT_EQ(MoveCount, 2);
}

TEST_F(MenuDocksTest, TakeBackAgainstTheComputer) {
  PlayMoves({{7, 7}});
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(MoveCount, 1) << "a lone yellow stone stays against a computer";

  PlayMoves({{8, 8}, {6, 6}, {9, 9}}, kBlue);
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(Board[6][6], kEmpty);
  EXPECT_EQ(Board[9][9], kEmpty);
  EXPECT_EQ(Board[8][8], kBlue);
  EXPECT_EQ(History[2][0], 6) << "taken-back moves stay for the replay";
}

TEST_F(MenuDocksTest, TakeBackAfterYellowWonRemovesOnlyTheWinningStone) {
  PlayMoves({{3, 7}, {0, 0}, {4, 7}, {0, 1}, {5, 7}, {0, 2}, {6, 7}, {0, 3}, {7, 7}});
  GameResult = 1;
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(MoveCount, 8);
  EXPECT_EQ(Board[7][7], kEmpty);
  EXPECT_EQ(Board[0][3], kBlue);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(SkipBlueTurn, 1);
}

TEST_F(MenuDocksTest, TakeBackAfterBlueWonRemovesBlueAndTheYellowMoveBefore) {
  PlayMoves({{9, 9}, {0, 0}, {10, 9}, {0, 1}, {12, 12}, {0, 2}, {13, 9}, {0, 3}, {14, 5}, {0, 4}});
  GameResult = 2;
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(MoveCount, 8);
  EXPECT_EQ(Board[0][4], kEmpty);
  EXPECT_EQ(Board[14][5], kEmpty);
  EXPECT_EQ(GameResult, 0);
}

TEST_F(MenuDocksTest, TakeBackAndReplayBetweenTwoHumansEndTheTurn) {
  PlayerKind[kBlue] = Multiplayer;
  PlayMoves({{7, 7}, {8, 8}, {6, 6}});
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack), kBlue), 1);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(Board[6][6], kEmpty);

  // The replay puts back the one stone in the acting colour.
  EXPECT_EQ(ClickEntry(RightDockEntry(kReplay), kYellow), 1);
  EXPECT_EQ(MoveCount, 3);
  EXPECT_EQ(Board[6][6], kYellow);

  // Nothing left to replay: nothing happens and the turn goes on.
  EXPECT_EQ(ClickEntry(RightDockEntry(kReplay), kBlue), 0);
  EXPECT_EQ(MoveCount, 3);

  PlayerKind[kBlue] = Multiplayer;
  MoveCount = 0;
  Board = {};
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0) << "nothing to take back";
}

TEST_F(MenuDocksTest, TakeBackAfterAWinBetweenTwoHumansRemovesOneStone) {
  PlayerKind[kBlue] = Multiplayer;
  PlayMoves({{9, 9}, {0, 0}, {10, 9}, {0, 1}, {12, 12}, {0, 2}, {13, 9}, {0, 3}, {14, 5}, {0, 4}});
  GameResult = 2;
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 1);
  EXPECT_EQ(MoveCount, 9);
  EXPECT_EQ(Board[0][4], kEmpty);
  EXPECT_EQ(Board[14][5], kYellow);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(SkipBlueTurn, 0);

  // Replaying it puts the stone back in the acting colour and finds the five
  // again; the game-over display then runs until the move is taken back.
  FrameScript script(backend);
  const int64_t replay = script.Click(0, RightDockEntry(kReplay));
  script.Click(replay + 10, RightDockEntry(kTakeBack));
  script.At(replay + 200, [&] {
    ADD_FAILURE() << "game-over display did not end";
    GameResult = 0;
  });
  for (int64_t frame = 0; frame <= replay; ++frame) {
    Action->update();
    EXPECT_EQ(RunMenuDocks(kBlue, 1), frame == replay ? 1 : 0);
    PresentFrame();
  }
  EXPECT_GT(script.Elapsed(), replay + 10) << "the game-over display ran";
  EXPECT_EQ(MoveCount, 9);
}

TEST_F(MenuDocksTest, TakeBackTwiceThenReplayTwiceRestoresThePosition) {
  PlayMoves({{7, 7}, {8, 8}, {6, 6}, {9, 9}, {5, 5}, {10, 10}});
  const BoardCells board = Board;
  const MoveList history = History;
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(ClickEntry(RightDockEntry(kReplay)), 0);
  EXPECT_EQ(ClickEntry(RightDockEntry(kReplay)), 0);
  EXPECT_EQ(MoveCount, 6);
  EXPECT_EQ(Board, board);
  EXPECT_EQ(History, history);
  EXPECT_EQ(GameResult, 0);
}

// Replaying the winning move shows the game-over display at once; its
// docks stay usable, and taking the move back ends it.
TEST_F(MenuDocksTest, ReplayOfAWinShowsGameOverUntilTakenBack) {
  PlayMoves({{3, 7}, {0, 0}, {4, 7}, {0, 1}, {5, 7}, {0, 2}, {6, 7}, {0, 3}, {7, 7}});
  GameResult = 1;
  EXPECT_EQ(ClickEntry(RightDockEntry(kTakeBack)), 0);
  ASSERT_EQ(MoveCount, 8);

  FrameScript script(backend);
  const int64_t replay = script.Click(0, RightDockEntry(kReplay));
  int64_t gameOverFrames = 0;
  // Inside the game-over display: turn the board, switch the view, then
  // take the winning stone back.
  script.At(replay + 20, [&] { gameOverFrames = script.Elapsed(); });
  const int64_t turn = script.Click(replay + 21, RightDockEntry(kTurn));
  script.At(turn + 5, [&] {
    EXPECT_EQ(GameResult, 1);
    EXPECT_EQ(Rotation, 1);
  });
  const int64_t view = script.Click(turn + 6, RightDockEntry(kView));
  script.At(view + 5, [&] { EXPECT_EQ(backend->windowWidth, 1400); });
  // After the view switch the docks stand elsewhere: compute the entry anew.
  script.At(view + 6, [&] {
    Point p = RightDockEntry(kTakeBack);
    backend->MoveTo(p.x, p.y);
  });
  script.At(view + 18, [&] { backend->Press(1); });
  script.At(view + 19, [&] { backend->Release(1); });
  script.At(view + 200, [&] {
    ADD_FAILURE() << "game-over display did not end";
    GameResult = 0;
  });

  for (int64_t frame = 0; frame <= replay + 1; ++frame) {
    Action->update();
    RunMenuDocks(kYellow, 1);
    PresentFrame();
  }
  EXPECT_GT(gameOverFrames, 0) << "the game-over display ran";
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(MoveCount, 8);
  EXPECT_EQ(SkipBlueTurn, 1);
}

TEST_F(MenuDocksTest, MusicEntrySwitchesTheMusicOffAndOn) {
  EXPECT_EQ(ClickEntry(LeftDockEntry(kMusicEntry)), 0);
  EXPECT_EQ(MusicOn, 1);
  ASSERT_TRUE(Music);
  EXPECT_EQ(Playing(MusicChannel), 1);
  const Channel playing = MusicChannel;

  EXPECT_EQ(ClickEntry(LeftDockEntry(kMusicEntry)), 0);
  EXPECT_EQ(MusicOn, 0);
  EXPECT_EQ(MusicChannel, kNoChannel);
  EXPECT_EQ(Playing(playing), 0);
}

TEST_F(MenuDocksTest, QuitEntryEndsAtOnceWithoutAQuestion) {
  EXPECT_THROW(ClickEntry(LeftDockEntry(kQuit)), ProgramExit);
  EXPECT_TRUE(backend->questions.empty());
}

TEST_F(MenuDocksTest, LoadAndSaveEntriesOpenTheirRequesters) {
  GameFolder = "/tmp/games";
  EXPECT_EQ(ClickEntry(LeftDockEntry(kLoad)), 0);
  EXPECT_EQ(ClickEntry(LeftDockEntry(kSave)), 0);
  ASSERT_EQ(backend->fileRequests.size(), 2u);
  EXPECT_EQ(backend->fileRequests[0], "Spiel laden:|Kavro-Spiele:KVs; |0|/tmp/games");
  EXPECT_EQ(backend->fileRequests[1],
            "Spiel speichern:|Kavro-Spiele:KVs;|1|/tmp/games/Kavro-Spiel.KVs");
  EXPECT_TRUE(backend->notices.empty()) << "cancelled requesters do nothing";
}

// Entries that open something close their dock without the fade, so the
// board comes back with the dock drawn closed.
TEST_F(MenuDocksTest, EntriesThatOpenSomethingCloseTheirDockAtOnce) {
  auto pointerOffThenFrame = [&] {
    backend->MoveTo(500, 400);
    Action->update();
    RunMenuDocks(kYellow, 1);
    PresentFrame();
  };
  EXPECT_EQ(ClickEntry(LeftDockEntry(kSave)), 0);
  pointerOffThenFrame();
  EXPECT_EQ(LeftDock->AnimationZoom, 0.0f);

  // The music entry opens nothing: its dock fades out.
  EXPECT_EQ(ClickEntry(LeftDockEntry(kMusicEntry)), 0);
  pointerOffThenFrame();
  EXPECT_GT(LeftDock->AnimationZoom, 0.5f);
}

TEST_F(MenuDocksTest, NewGameEntryHandsTheFirstMoveToTheRightColour) {
  PlayMoves({{7, 7}, {8, 8}});
  backend->confirmAnswers = {1};
  const auto probe = BuildNewGameDock();

  // The first click opens the screen; the dock entry for the Denker is
  // clicked inside it.
  auto newGame = [&](int colour) {
    FrameScript script(backend);
    const int64_t open = script.Click(0, LeftDockEntry(kNew));
    script.Click(open + 2, HorizontalDockEntry(*probe, NewGameDockX(), kNewGameDockY, 4));
    int result = 0;
    for (int64_t frame = 0; frame <= open; ++frame) {
      Action->update();
      if (RunMenuDocks(colour, 1) == 1) result = 1;
      PresentFrame();
    }
    return result;
  };

  BlueBegins = 1;
  EXPECT_EQ(newGame(kYellow), 1) << "blue makes the first move";
  EXPECT_EQ(PlayerKind[kBlue], Denker);
  EXPECT_EQ(MoveCount, 0);
  EXPECT_EQ(backend->questions.size(), 1u);

  BlueBegins = 0;
  EXPECT_EQ(newGame(kYellow), 0) << "yellow's turn goes on";

  // Blue's turn between two humans ends when yellow is to begin.
  PlayerKind[kBlue] = Multiplayer;
  EXPECT_EQ(newGame(kBlue), 1);
  EXPECT_EQ(LeftDock->Animation, 0);
}

TEST_F(MenuDocksTest, InfoEntryRunsTheInfoScreen) {
  FrameScript script(backend);
  const int64_t open = script.Click(0, LeftDockEntry(kInfo));
  int64_t infoFrames = 0;
  script.At(open + 5, [&] {
    infoFrames = script.Elapsed();
    backend->KeyDown(kKeyEscape);
  });
  for (int64_t frame = 0; frame <= open + 1; ++frame) {
    Action->update();
    EXPECT_EQ(RunMenuDocks(kYellow, 1), 0);
    PresentFrame();
  }
  EXPECT_GT(infoFrames, 0);
  EXPECT_EQ(Action->Escape, 0) << "the Escape press stays inside the info screen";
}

}  // namespace
