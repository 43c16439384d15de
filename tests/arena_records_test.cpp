// The arena's game records (.psq, and the line a game's process sends back)
// read back as written, and its built-in openings.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>

#include "tools/arena/openings.h"
#include "tools/arena/records.h"

namespace {

// A random game: distinct squares, random times; yellow wins when odd.
GameRecord RandomGame(std::mt19937& random) {
  GameRecord r;
  r.index = int(random() % 1000);
  r.yellow = 2, r.blue = 0;
  r.opening = 4;
  r.openingStones = 3;
  std::set<int> used;
  const size_t length = 3 + random() % 60;
  while (r.moves.size() < length) {
    int square = int(random() % 225);
    if (!used.insert(square).second) continue;
    r.moves.push_back({square / 15, square % 15, r.moves.size() < 3 ? 0 : int(random() % 5000)});
  }
  r.outcome = length % 2 ? Outcome::kYellowWins : Outcome::kDraw;
  r.reason = length % 2 ? "time" : "no five possible";
  r.fault = length % 2 ? BrainFault::kTime : BrainFault::kNone;
  r.faultyColour = length % 2 ? 2 : 0;
  r.why = length % 2 ? "took longer than 100 ms" : "";
  return r;
}

TEST(ArenaRecords, WrittenGamesReadBack) {
  std::mt19937 random(3);
  for (int round = 0; round < 50; ++round) {
    GameRecord r = RandomGame(random);

    // The .psq file, through the file system as the arena writes it.
    const std::string path = ::testing::TempDir() + "arena-record.psq";
    std::ofstream(path) << PsqText(r, "Denker", "my engine 2");
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("Piskvorky 15x15, 11:11, 0\n", 0), 0u);
    std::string firstMove = "\n";
    firstMove += std::to_string(r.moves[0].x + 1);
    firstMove += ',';
    firstMove += std::to_string(r.moves[0].y + 1);
    firstMove += ",0\n";
    EXPECT_NE(text.find(firstMove), std::string::npos);
    PsqGame game;
    std::string error;
    ASSERT_TRUE(ReadPsq(path, game, error)) << error;
    ASSERT_EQ(game.moves.size(), r.moves.size());
    for (size_t i = 0; i < r.moves.size(); ++i) {
      EXPECT_EQ(game.moves[i].x, r.moves[i].x);
      EXPECT_EQ(game.moves[i].y, r.moves[i].y);
      EXPECT_EQ(game.moves[i].ms, r.moves[i].ms);
    }
    EXPECT_EQ(game.names, (std::vector<std::string>{"Denker", "my engine 2"}));

    // The line from a game's process.
    GameRecord back;
    ASSERT_TRUE(GameRecord::Deserialize(r.Serialize(), back));
    EXPECT_EQ(back.Serialize(), r.Serialize());
    EXPECT_EQ(back.reason, r.reason);
    EXPECT_EQ(back.why, r.why);
    EXPECT_EQ(back.faultyColour, r.faultyColour);
  }

  PsqGame game;
  std::string error;
  EXPECT_FALSE(ParsePsq("Piskvorky 20x20, 11:11, 0\n1,1,0\n", game, error));
  EXPECT_NE(error.find("20x20"), std::string::npos);
  EXPECT_FALSE(ParsePsq("Piskvorky 15x15, 11:11, 0\n3,4,0\n3,4,9\n", game, error));
  EXPECT_FALSE(ParsePsq("Piskvorky 15x15, 11:11, 0\n16,4,0\n", game, error));
  EXPECT_FALSE(ReadPsq(::testing::TempDir() + "no-such-record.psq", game, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
}

TEST(ArenaRecords, ReplayShowsEveryMoveAndTheFive) {
  // X down column 3 (1-based 4), O beside it; X's fifth stone wins.
  std::string text = "Piskvorky 15x15, 11:11, 0\n";
  for (int i = 0; i < 5; ++i) {
    text += "4," + std::to_string(4 + i) + ",10\n";
    if (i < 4) text += "5," + std::to_string(4 + i) + ",20\n";
  }
  text += "Engine\nDenker\n";
  PsqGame game;
  std::string error;
  ASSERT_TRUE(ParsePsq(text, game, error)) << error;
  std::string replay = ReplayText(game);
  EXPECT_NE(replay.find("Move 1: X (Engine) at 4,4 (10 ms)"), std::string::npos) << replay;
  EXPECT_NE(replay.find("Move 8: O (Denker) at 5,7 (20 ms)"), std::string::npos);
  EXPECT_NE(replay.find("[X]"), std::string::npos);
  EXPECT_NE(replay.find("X (Engine) has five."), std::string::npos);
  // Row 8 (1-based) after the last move: X at column 4 in brackets.
  EXPECT_NE(replay.find("  8 .  .  . [X] .  . "), std::string::npos) << replay;
}

TEST(ArenaOpenings, BuiltInSetIsBalancedAndFilesParse) {
  const std::vector<Opening>& openings = BuiltInOpenings();
  EXPECT_GE(openings.size(), 60u);
  std::set<std::string> seen;
  for (const Opening& o : openings) {
    SCOPED_TRACE(FormatOpening(o));
    EXPECT_GE(o.stones.size(), 2u);
    EXPECT_LE(o.stones.size(), 4u);
    for (auto [x, y] : o.stones) {
      EXPECT_GE(std::min(x, y), 4);
      EXPECT_LE(std::max(x, y), 10);
    }
    EXPECT_FALSE(OpeningIsDecided(o));
    EXPECT_TRUE(seen.insert(FormatOpening(o)).second) << "twice in the set";
  }

  // The quick search sees an open three turned into an open four, and a
  // chain of two fours; not a three that is blocked on both sides.
  uint8_t cells[225] = {};
  for (int x : {5, 6, 7}) cells[15 * x + 7] = 1;
  EXPECT_TRUE(WinsByFours(cells, 1));
  cells[15 * 4 + 7] = cells[15 * 8 + 7] = 2;
  cells[15 * 3 + 7] = cells[15 * 9 + 7] = 2;
  EXPECT_FALSE(WinsByFours(cells, 4));
  uint8_t chain[225] = {};
  for (int x : {3, 4, 5}) chain[15 * x + 3] = 1;  // row 3, blocked at its left
  chain[15 * 2 + 3] = 2;
  for (int y : {4, 5}) chain[15 * 6 + y] = 1;  // column 6 under (6,3), blocked at 7
  chain[15 * 6 + 7] = 2;
  EXPECT_FALSE(WinsByFours(chain, 1));
  EXPECT_TRUE(WinsByFours(chain, 2));
  EXPECT_TRUE(OpeningIsDecided(Opening{{{7, 7}, {0, 0}, {7, 8}, {0, 1}, {7, 9}, {0, 2}, {7, 10}}}));

  std::vector<Opening> parsed;
  std::string error;
  ASSERT_TRUE(ParseOpenings("# mine\n7,7 8,8  6,8\n\n7,7 7,8 # two stones\n", parsed, error))
      << error;
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(FormatOpening(parsed[0]), "7,7 8,8 6,8");
  EXPECT_EQ(FormatOpening(parsed[1]), "7,7 7,8");
  parsed.clear();
  EXPECT_FALSE(ParseOpenings("7,7 8,8\n7,7 15,3\n", parsed, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(ParseOpenings("7,7 7,7\n", parsed, error));
}

}  // namespace
