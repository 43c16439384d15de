#include "engine_link/engine_link.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "game/game_state.h"
#include "platform/backend.h"
#include "platform/udp_stream.h"
#include "screens_test_support.h"
#include "view/presentation.h"

namespace {

using engine_test::Peer;

const std::string kRejected = kReplyRejectedLead;

TEST(EngineLinkDatagram, PositionIsColumnMajorSwappedForBlueAndReversible) {
  BoardCells board{};
  board[7][7] = kYellow;
  board[1][0] = kBlue;
  board[0][14] = kYellow;
  auto yellow = PositionDatagram(board, kYellow);
  auto blue = PositionDatagram(board, kBlue);
  EXPECT_EQ(yellow[112], 1);
  EXPECT_EQ(blue[112], 2);
  EXPECT_EQ(yellow[15], 2);  // x outer: [1][0] is byte 15
  EXPECT_EQ(blue[15], 1);
  EXPECT_EQ(yellow[14], 1);  // y inner: [0][14] is byte 14
  int stones = 0;
  for (uint8_t cell : yellow) stones += cell != 0;
  EXPECT_EQ(stones, 3);
  // The reverse gives the board back, whoever is to move.
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    for (auto& column : board)
      for (int32_t& cell : column) cell = int32_t(random() % 3);
    for (int colour : {kYellow, kBlue})
      ASSERT_EQ(DatagramBoard(PositionDatagram(board, colour), colour), board) << round;
  }
}

TEST(EngineLinkReply, TooShortRepliesAreIncomplete) {
  BoardCells board{};
  EXPECT_EQ(CheckEngineReply({}, board).answer, kReplyIncomplete);
  std::vector<uint8_t> one{3};
  EngineReply reply = CheckEngineReply(one, board);
  EXPECT_FALSE(reply.valid);
  EXPECT_EQ(reply.answer, "Error while receiving reaction:\nThe informations are not complete!");
}

TEST(EngineLinkReply, LaterFindingReplacesEarlier) {
  BoardCells board{};
  std::vector<uint8_t> both{15, 20};
  EXPECT_EQ(CheckEngineReply(both, board).answer,
            "Der gesendete Spielzug wird nicht\numgesetzt, weil er fehlerhaft ist:\n"
            "Die extern ermittelte Reihe = 20 ist zu gross!");
  std::vector<uint8_t> column{255, 3};
  EXPECT_EQ(CheckEngineReply(column, board).answer,
            kRejected + "Die extern ermittelte Spalte = 255 ist zu gross!");
  board[3][4] = kBlue;
  std::vector<uint8_t> occupied{3, 4};
  EXPECT_EQ(CheckEngineReply(occupied, board).answer,
            kRejected + "Die Position [3,4] ist bereits besetzt!");
}

TEST(EngineLinkReply, ValidSquaresIgnoreTrailingBytes) {
  BoardCells board{};
  std::vector<uint8_t> corner{14, 14, 99, 1};
  EngineReply reply = CheckEngineReply(corner, board);
  ASSERT_TRUE(reply.valid);
  EXPECT_EQ(reply.x, 14);
  EXPECT_EQ(reply.y, 14);
  std::vector<uint8_t> huge(65000, 7);
  reply = CheckEngineReply(huge, board);
  ASSERT_TRUE(reply.valid);
  EXPECT_EQ(reply.x, 7);
  EXPECT_TRUE(reply.answer.empty());
}

TEST(EngineLinkStream, IntIPAndRoundTrip) {
  EXPECT_EQ(TNetwork::IntIP("127.0.0.1"), 0x7F000001u);
  EXPECT_THROW(TNetwork::IntIP("localhost"), TNetworkError);

  TUDPStream receiver, sender;
  ASSERT_TRUE(receiver.Init());
  ASSERT_TRUE(sender.Init());
  receiver.SetLocalIP(TNetwork::IntIP("127.0.0.1"));
  receiver.SetLocalPort(0);
  EXPECT_FALSE(receiver.RecvAvail());
  EXPECT_EQ(receiver.RecvMsg(), 0);
  EXPECT_FALSE(receiver.Received());

  sender.SetRemoteIP(TNetwork::IntIP("127.0.0.1"));
  sender.SetRemotePort(receiver.LocalPort());
  sender.SendMsg();  // an empty datagram is one too
  sender.WriteByte(200);
  sender.WriteByte(1);
  sender.SendMsg();
  for (int i = 0; i < 100 && !receiver.RecvAvail(); ++i) usleep(1000);
  EXPECT_EQ(receiver.RecvMsg(), 0);
  EXPECT_TRUE(receiver.Received());
  EXPECT_EQ(receiver.RecvMsg(), 2);
  EXPECT_EQ(receiver.MsgPort(), sender.LocalPort());
  EXPECT_EQ(receiver.Size(), 2u);
  EXPECT_EQ(receiver.ReadByte(), 200);
  EXPECT_EQ(receiver.ReadByte(), 1);
  EXPECT_THROW(receiver.ReadByte(), TNetworkError);

  receiver.Close();
  EXPECT_THROW(receiver.RecvAvail(), TNetworkError);
  for (int i = 0; i < 70000; ++i) sender.WriteByte(0);
  EXPECT_THROW(sender.SendMsg(), TNetworkError);  // larger than any datagram
}

// The game's side of the exchange on the headless backend, with this test
// process as the engine.
class EngineLinkExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = screens_test::OpenTestWindow();
    PlayerKind[2] = Multiplayer;
    backend_->onSleep = [this] { Watchdog(); };
  }
  // A wait that never ends fails the test instead of hanging the suite
  // (and the port lock): after two virtual minutes the window is closed.
  void Watchdog() {
    if (backend_->now > 120000 && !gaveUp_) {
      gaveUp_ = true;
      ADD_FAILURE() << "the exchange did not end";
      backend_->RequestClose();
    }
  }
  void TearDown() override {
    backend_->onFrame = nullptr;
    backend_->onSleep = nullptr;
    // Nothing may stay bound after an exchange, whatever its outcome.
    Peer again(kMovePort);
    EXPECT_TRUE(again.Bound()) << "port 8001 still bound";
  }
  // Sends bytes to the game's port at the given waiting frame.
  void ReplyAt(int64_t frame, std::vector<uint8_t> bytes) {
    backend_->onFrame = [this, frame, bytes](int64_t now) {
      if (now == frame) {
        EXPECT_TRUE(engine_.SendTo(kMovePort, bytes));
        // Let the datagram arrive before the next poll.
        usleep(2000);
      }
    };
  }
  static int DrawnStones(int colour) {
    int count = 0;
    for (auto& column : Board)
      for (int32_t cell : column) count += cell == colour;
    return count;
  }

  engine_test::PortLock lock_;
  std::shared_ptr<HeadlessBackend> backend_;
  Peer engine_;
  bool gaveUp_ = false;
};

TEST_F(EngineLinkExchange, SendGameStateReachesEnginePortByteForByte) {
  Peer listener(kEnginePort);
  ASSERT_TRUE(listener.Bound());
  Board[7][7] = kYellow;
  Board[3][4] = kBlue;
  for (int colour : {kYellow, kBlue}) {
    ASSERT_EQ(SendGameState(colour), "ok");
    std::vector<uint8_t> got;
    uint16_t from = 0;
    ASSERT_TRUE(listener.Receive(got, 2000, &from));
    auto expected = PositionDatagram(Board, colour);
    ASSERT_EQ(got.size(), 225u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
    EXPECT_EQ(got[112], colour == kYellow ? 1 : 2);
    EXPECT_EQ(got[49], colour == kYellow ? 2 : 1);
    EXPECT_NE(from, 0);
    EXPECT_NE(from, kMovePort);
  }
}

TEST_F(EngineLinkExchange, ValidReplyFliesInAndIsPlaced) {
  Board[0][0] = kYellow;
  History[0] = {0, 0};
  History[1] = {1, 1};  // taken back, replayable until the new move
  History[2] = {2, 2};
  MoveCount = 1;
  ReplyAt(5, {3, 4, 77});
  EXPECT_EQ(AwaitExternalMove(kBlue), "ok");
  EXPECT_EQ(Board[3][4], kBlue);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(History[1], (std::array<int32_t, 2>{3, 4}));
  EXPECT_EQ(History[2], (std::array<int32_t, 2>{-1, -1}));
  EXPECT_EQ(DrawnStones(kBlue), 1);
  // The flight of ShowExternalMove ran after the wait.
  EXPECT_GT(backend_->frames, 5 + 20);
}

TEST_F(EngineLinkExchange, WaitingScreenFadesInWithCentredTexts) {
  std::vector<float> veil;
  std::vector<DrawCommand> texts;
  bool listening = false;
  backend_->onFrame = [&](int64_t frame) {
    for (const DrawCommand& command : backend_->lastFrame) {
      if (command.kind == DrawCommand::kRect && command.state.red == 16)
        veil.push_back(command.state.alpha);
      if (frame == 60 && command.kind == DrawCommand::kText) texts.push_back(command);
    }
    if (frame == 2) {
      for (const std::string& address : engine_test::UdpBindings(kMovePort))
        listening |= address == "0100007F";
      EXPECT_EQ(engine_test::UdpBindings(kMovePort).size(), 1u);
    }
    if (frame == 70) engine_.SendTo(kMovePort, {7, 7}), usleep(2000);
  };
  EXPECT_EQ(AwaitExternalMove(kYellow), "ok");
  EXPECT_TRUE(listening) << "the game listens on 127.0.0.1 only";
  ASSERT_GE(veil.size(), 60u);
  EXPECT_NEAR(veil[0], 0.6f * 0.02f, 1e-4);
  EXPECT_NEAR(veil[24], 0.6f * 0.5f, 1e-3);
  EXPECT_NEAR(veil[49], 0.6f, 1e-4);
  EXPECT_NEAR(veil[59], 0.6f, 1e-4);

  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "Warten auf externen Spielzug");
  EXPECT_EQ(texts[1].text, "(Abbrechen mit ESCAPE)");
  for (const DrawCommand& text : texts) {
    const float width = Scale * static_cast<float>(MeasureTextWidth(text.text));
    EXPECT_NEAR(text.x, (static_cast<float>(WindowWidth) - width) / 2.0f, 0.5f);
    EXPECT_FLOAT_EQ(text.state.alpha, 1.0f);
    EXPECT_EQ(text.state.red, 255);
  }
  EXPECT_FLOAT_EQ(texts[0].y, float(WindowHeight / 2));
  EXPECT_FLOAT_EQ(texts[1].y,
                  static_cast<float>(WindowHeight / 2) +
                      Scale * static_cast<float>(MeasureTextHeight("(Abbrechen mit ESCAPE)")));
  EXPECT_EQ(Board[7][7], kYellow);
}

TEST_F(EngineLinkExchange, LateReplyIsStillTaken) {
  ReplyAt(600, {14, 0});
  EXPECT_EQ(AwaitExternalMove(kYellow), "ok");
  EXPECT_EQ(Board[14][0], kYellow);
  EXPECT_EQ(MoveCount, 1);
}

TEST_F(EngineLinkExchange, FaultyRepliesLeaveTheGameUnchanged) {
  Board[6][6] = kBlue;
  History[0] = {6, 6};
  MoveCount = 1;
  const BoardCells before = Board;
  const MoveList history = History;
  struct Case {
    std::vector<uint8_t> bytes;
    std::string answer;
  } cases[] = {
      {{9}, kReplyIncomplete},
      {{}, kReplyIncomplete},
      {{15, 20}, kRejected + "Die extern ermittelte Reihe = 20 ist zu gross!"},
      {{16, 2}, kRejected + "Die extern ermittelte Spalte = 16 ist zu gross!"},
      {{6, 6, 1}, kRejected + "Die Position [6,6] ist bereits besetzt!"},
  };
  for (const Case& c : cases) {
    ReplyAt(backend_->frames + 3, c.bytes);
    EXPECT_EQ(AwaitExternalMove(kYellow), c.answer);
    EXPECT_EQ(Board, before);
    EXPECT_EQ(History, history);
    EXPECT_EQ(MoveCount, 1);
    Peer again(kMovePort);
    EXPECT_TRUE(again.Bound());
  }
}

TEST_F(EngineLinkExchange, HugeDatagramIsReadSafely) {
  std::vector<uint8_t> huge(65000, 0);
  huge[0] = 2;
  huge[1] = 9;
  ReplyAt(4, huge);
  EXPECT_EQ(AwaitExternalMove(kYellow), "ok");
  EXPECT_EQ(Board[2][9], kYellow);
}

TEST_F(EngineLinkExchange, EscapeCancelsOnceReleased) {
  int64_t released = 0;
  backend_->onFrame = [&](int64_t frame) {
    if (frame == 10) backend_->KeyDown(kKeyEscape);
  };
  int sleeps = 0;
  backend_->onSleep = [&] {
    Watchdog();
    // Hold the key for a while after the loop has seen it.
    if (KeyIsDown(kKeyEscape) && ++sleeps == 30) {
      backend_->KeyUp(kKeyEscape);
      released = backend_->now;
    }
  };
  EXPECT_EQ(AwaitExternalMove(kYellow),
            "Der Versuch, via UDP-Netzwerk einen\nexternen Spielzug als Reaktion zum\n"
            "aktuellen Spielzustand zu erhalten,\nwird ergebnislos abgebrochen.");
  EXPECT_GT(released, 0);
  EXPECT_GE(backend_->now, released);
  EXPECT_EQ(MoveCount, 0);
  // A reply after the cancel finds no one listening and changes nothing.
  engine_.SendTo(kMovePort, {1, 1});
  EXPECT_EQ(Board[1][1], kEmpty);
}

TEST_F(EngineLinkExchange, CloseButtonEndsTheProgram) {
  backend_->onFrame = [&](int64_t frame) {
    if (frame == 3) backend_->RequestClose();
  };
  EXPECT_THROW(AwaitExternalMove(kYellow), ProgramExit);
  EXPECT_EQ(MoveCount, 0);
}

TEST_F(EngineLinkExchange, TakenPortAnswersAnErrorAtOnce) {
  {
    Peer squatter(kMovePort);
    ASSERT_TRUE(squatter.Bound());
    int64_t frames = backend_->frames;
    std::string answer = AwaitExternalMove(kYellow);
    EXPECT_EQ(answer.rfind("Error\n Can't bind UDP port 8001", 0), 0u) << answer;
    EXPECT_NE(answer.find("in use"), std::string::npos) << answer;
    EXPECT_EQ(backend_->frames, frames);
  }
}

}  // namespace
