// The arena with engines of the tournament text protocol: stand-in engines
// that crash, hang, answer a taken square or words lose their game for that
// reason and the run goes on; kavro-engine --protocol plays whole games; and
// games run at once give the same records as games one after the other.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "game/game_state.h"
#include "tools/arena/game.h"
#include "tools/arena/runner.h"

namespace {

PlayerEntry StandIn(const std::string& mode, int budgetMs = 300) {
  PlayerEntry entry;
  entry.name = mode;
  entry.kind = PlayerEntry::Kind::kExternal;
  entry.command = {"python3", std::string(KAVRO_SOURCE_DIR) + "/tests/e2e/standin_engine.py", mode};
  entry.budgetMs = budgetMs;
  return entry;
}

PlayerEntry Character(int kind) {
  for (PlayerEntry& p : BuiltInPlayers())
    if (p.character == kind) return p;
  return {};
}

Opening Centre() { return Opening{{{7, 7}, {8, 8}, {6, 8}}}; }

// What a game was, without the times its moves took.
std::string Fingerprint(const GameRecord& r) {
  std::string text = std::to_string(int(r.outcome));
  text += r.reason;
  for (const MoveRecord& m : r.moves) {
    text += ' ';
    text += std::to_string(m.x);
    text += ',';
    text += std::to_string(m.y);
  }
  return text;
}

TEST(ArenaProtocol, EachFaultLosesTheGameForItsReason) {
  struct Case {
    const char* mode;
    BrainFault fault;
    const char* why;
  };
  for (const Case& c : {Case{"crash", BrainFault::kCrash, "ended unexpectedly"},
                        Case{"hang", BrainFault::kTime, "took longer than 300 ms"},
                        Case{"illegal", BrainFault::kIllegal, "a square that cannot be played"},
                        Case{"garbage", BrainFault::kGarbage, "'I think I will play somewhere'"}}) {
    for (bool asYellow : {true, false}) {
      PlayerEntry engine = StandIn(c.mode), other = Character(Flexible);
      auto start = std::chrono::steady_clock::now();
      GameRecord r =
          asYellow ? PlayGame(engine, other, Centre(), 5) : PlayGame(other, engine, Centre(), 5);
      auto seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      SCOPED_TRACE(std::string(c.mode) + (asYellow ? " as yellow" : " as blue"));
      EXPECT_EQ(r.fault, c.fault);
      EXPECT_EQ(r.reason, BrainFaultName(c.fault));
      EXPECT_EQ(r.faultyColour, asYellow ? 1 : 2);
      EXPECT_EQ(r.outcome, asYellow ? Outcome::kBlueWins : Outcome::kYellowWins);
      EXPECT_NE(r.why.find(c.why), std::string::npos) << r.why;
      // Its two good answers are on the record, the third is not.
      EXPECT_EQ(r.moves.size(), size_t(3 + 2 * 2 + (asYellow ? 1 : 0)));
      if (c.fault == BrainFault::kTime) {
        EXPECT_GT(seconds, 1.2);  // budget plus the grace second
      }
      EXPECT_LT(seconds, 10);
    }
  }
}

TEST(ArenaProtocol, RunGoesOnPastFaultsAndParallelGamesMatchSerialOnes) {
  std::vector<PlayerEntry> players = {StandIn("normal"), StandIn("crash"), Character(Konsequente),
                                      Character(Denker)};
  std::vector<Opening> openings = {Centre(), Opening{{{7, 7}, {7, 8}}},
                                   Opening{{{7, 7}, {6, 6}, {8, 6}, {8, 8}}}};
  std::vector<ScheduledGame> schedule =
      MakeSchedule({{0, 1}, {0, 2}, {1, 3}, {2, 3}}, 2, int(openings.size()), 9);
  ASSERT_EQ(schedule.size(), 16u);
  for (size_t i = 0; i < schedule.size(); i += 2) {
    EXPECT_EQ(schedule[i].opening, schedule[i + 1].opening);
    EXPECT_EQ(schedule[i].yellow, schedule[i + 1].blue);
    EXPECT_EQ(schedule[i].blue, schedule[i + 1].yellow);
  }
  EXPECT_NE(schedule[0].opening, schedule[8].opening);  // the next pair, the next opening

  auto run = [&](int parallel, std::vector<GameRecord>& records) {
    RunOptions options;
    options.parallel = parallel;
    std::string error;
    bool ok = RunSchedule(
        players, openings, schedule, options,
        [&](const GameRecord& r) {
          records.push_back(r);
          return true;
        },
        error);
    EXPECT_TRUE(ok) << error;
  };
  std::vector<GameRecord> serial, parallel;
  run(1, serial);
  run(3, parallel);
  ASSERT_EQ(serial.size(), schedule.size());
  ASSERT_EQ(parallel.size(), schedule.size());
  int crashes = 0;
  for (size_t i = 0; i < serial.size(); ++i) {
    SCOPED_TRACE("game " + std::to_string(i));
    EXPECT_EQ(parallel[i].index, int(i));
    // Every player here is deterministic given the seed: the same games.
    EXPECT_EQ(Fingerprint(serial[i]), Fingerprint(parallel[i]));
    const GameRecord& r = serial[i];
    if (r.faultyColour) {
      EXPECT_EQ(r.faultyColour == 1 ? r.yellow : r.blue, 1);  // only the crashing one faults
      EXPECT_EQ(r.fault, BrainFault::kCrash);
      ++crashes;
    }
  }
  EXPECT_EQ(crashes, 8);  // every game the crashing stand-in plays

  // Stopping early ends the games under way and hands nothing more.
  std::vector<GameRecord> first;
  std::string error;
  RunOptions options;
  options.parallel = 2;
  EXPECT_TRUE(RunSchedule(
      players, openings, schedule, options,
      [&](const GameRecord& r) {
        first.push_back(r);
        return first.size() < 3;
      },
      error));
  EXPECT_EQ(first.size(), 3u);
}

TEST(ArenaProtocol, SampleEngineSpeaksTheProtocol) {
  PlayerEntry engine;
  engine.name = "kavro-engine";
  engine.kind = PlayerEntry::Kind::kExternal;
  engine.command = {engine_test::EngineBinary(), "--protocol"};
  engine.budgetMs = 200;
  for (bool asYellow : {true, false}) {
    GameRecord r = asYellow ? PlayGame(engine, Character(Konsequente), Centre(), 3)
                            : PlayGame(Character(Konsequente), engine, Centre(), 3);
    EXPECT_EQ(r.fault, BrainFault::kNone) << r.why;
    // Who wins depends on how deep the engine gets, which the sanitized
    // Debug build cuts to a few plies; strength is the arena's to measure.
    EXPECT_FALSE(r.reason.empty());
    EXPECT_GT(r.moves.size(), 8u);
    int slowest = 0;
    for (const MoveRecord& m : r.moves) slowest = std::max(slowest, m.ms);
    EXPECT_LT(slowest, engine.budgetMs + 700) << "its answers keep to the turn's time";
  }
}

}  // namespace
