// kavro-engine --pbrain: the bridge to engines of the tournament text
// protocol, driven with a stand-in engine written here in Python.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "engine_test_support.h"

namespace {

// The stand-in: answers START with OK and each BOARD ... DONE with the first
// free square from (7,7) on, or misbehaves as its mode says. Every line it
// receives goes, bytes unchanged, into the log file.
const char* const kStandIn = R"PY(
import sys, time
mode, log = sys.argv[1], open(sys.argv[2], 'ab', buffering=0)
def out(text):
    sys.stdout.write(text + '\r\n')
    sys.stdout.flush()
stones, reading = [], False
for raw in sys.stdin.buffer:
    log.write(raw)
    line = raw.decode().rstrip('\r\n')
    if line == 'START 15':
        out('OK')
    elif line == 'BOARD':
        stones, reading = [], True
    elif line == 'DONE':
        reading = False
        if mode == 'hang':
            time.sleep(30)
        elif mode == 'die':
            sys.exit(3)
        elif mode == 'garbage':
            out('I resign')
        elif mode == 'occupied':
            out('%d,%d' % stones[0][:2])
        else:
            if mode == 'messages':
                out('MESSAGE thinking hard')
                out('DEBUG depth 4')
                out('UNKNOWN what is this')
            taken = {(x, y) for x, y, f in stones}
            order = [(7, 7)] + [(x, y) for x in range(15) for y in range(15)]
            out('%d,%d' % next(s for s in order if s not in taken))
    elif reading:
        stones.append(tuple(int(v) for v in line.split(',')))
    elif line == 'END':
        sys.exit(0)
)PY";

class EngineBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir();
    script_ = dir_ + "kavro-standin.py";
    std::ofstream(script_) << kStandIn;
  }

  // Starts the bridge with the stand-in in the given mode, 300 ms a move.
  std::unique_ptr<engine_test::EngineProcess> StartBridge(const std::string& mode) {
    log_ = dir_ + "kavro-standin-" + mode + ".log";
    std::remove(log_.c_str());
    auto bridge = std::make_unique<engine_test::EngineProcess>(
        std::vector<std::string>{"300", "--pbrain", "python3", script_, mode, log_},
        dir_ + "bridge-" + mode);
    EXPECT_TRUE(bridge->WaitListening()) << bridge->Err();
    return bridge;
  }

  // Sends a position with our stone at (7,7) and theirs at (3,12); the
  // reply, if any, within waitMs.
  bool Exchange(std::vector<uint8_t>& reply, int waitMs) {
    std::array<uint8_t, 225> cells{};
    cells[15 * 7 + 7] = 1;
    cells[15 * 3 + 12] = 2;
    game_.SendTo(8000, std::vector<uint8_t>(cells.begin(), cells.end()));
    return game_.Receive(reply, waitMs);
  }

  engine_test::PortLock lock_;
  engine_test::Peer game_{8001};
  std::string dir_, script_, log_;
};

TEST_F(EngineBridge, SpeaksTheProtocolAndRelaysTheAnswer) {
  ASSERT_TRUE(game_.Bound());
  auto bridge = StartBridge("normal");
  std::vector<uint8_t> reply;
  ASSERT_TRUE(Exchange(reply, 3000)) << bridge->Err();
  EXPECT_EQ(reply, (std::vector<uint8_t>{0, 0}));       // (7,7) is taken: the first free square
  ASSERT_TRUE(Exchange(reply, 3000)) << bridge->Err();  // a second position, same engine
  EXPECT_EQ(bridge->Stop(), 0);

  std::string log = engine_test::ReadFile(log_);
  EXPECT_EQ(
      log.rfind("START 15\r\nINFO rule 0\r\nINFO timeout_turn 300\r\nINFO timeout_match 0\r\n", 0),
      0u)
      << log;
  const std::string board = "BOARD\r\n3,12,2\r\n7,7,1\r\nDONE\r\n";
  size_t first = log.find(board);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(board, first + 1), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 5), "END\r\n");
  EXPECT_EQ(log.find("START", 1), std::string::npos) << "the engine was started once";
}

TEST_F(EngineBridge, SkipsMessageLinesBeforeTheAnswer) {
  auto bridge = StartBridge("messages");
  std::vector<uint8_t> reply;
  ASSERT_TRUE(Exchange(reply, 3000)) << bridge->Err();
  EXPECT_EQ(reply, (std::vector<uint8_t>{0, 0}));
  bridge->Stop();
  std::string out = bridge->Out();
  EXPECT_NE(out.find("MESSAGE thinking hard"), std::string::npos) << out;
  EXPECT_NE(out.find("DEBUG depth 4"), std::string::npos);
  EXPECT_NE(out.find("UNKNOWN what is this"), std::string::npos);
  EXPECT_TRUE(bridge->Err().empty()) << bridge->Err();
}

TEST_F(EngineBridge, OccupiedAnswerSendsNothing) {
  auto bridge = StartBridge("occupied");
  std::vector<uint8_t> reply;
  EXPECT_FALSE(Exchange(reply, 1500));
  bridge->Stop();
  EXPECT_NE(bridge->Err().find("3,12, a square that cannot be played"), std::string::npos)
      << bridge->Err();
}

TEST_F(EngineBridge, HangingEngineIsGivenUpAfterItsBudget) {
  auto bridge = StartBridge("hang");
  std::vector<uint8_t> reply;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Exchange(reply, 2500));
  std::string err = bridge->Err();
  EXPECT_NE(err.find("took longer than 300 ms"), std::string::npos) << err;
  // The bridge still serves: the next position starts the engine afresh.
  EXPECT_FALSE(Exchange(reply, 2500));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2600));
  EXPECT_EQ(bridge->Stop(), 0);
  std::string log = engine_test::ReadFile(log_);
  size_t second = log.find("START 15", 1);
  EXPECT_NE(second, std::string::npos) << log;
}

TEST_F(EngineBridge, DeadOrBabblingEngineSendsNothing) {
  for (std::string mode : {"die", "garbage"}) {
    auto bridge = StartBridge(mode);
    std::vector<uint8_t> reply;
    EXPECT_FALSE(Exchange(reply, 1500)) << mode;
    bridge->Stop();
    std::string err = bridge->Err();
    if (mode == "die")
      EXPECT_NE(err.find("ended unexpectedly"), std::string::npos) << err;
    else
      EXPECT_NE(err.find("answered 'I resign' instead of a move"), std::string::npos) << err;
  }
}

TEST_F(EngineBridge, CommandThatCannotStartEndsTheBridge) {
  engine_test::EngineProcess bridge({"--pbrain", "/nonexistent/engine"}, dir_ + "bridge-missing");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(bridge.Stop(), 1);
  EXPECT_NE(bridge.Err().find("cannot start '/nonexistent/engine'"), std::string::npos)
      << bridge.Err();
}

}  // namespace
