#include "tools/arena/game.h"

#include <sstream>

#include "engine_link/engine_link.h"
#include "game/game_state.h"
#include "platform/platform.h"

GameRecord PlayGame(const PlayerEntry& yellowEntry, const PlayerEntry& blueEntry,
                    const Opening& opening, int32_t seed, int engineStderr) {
  SeedRandom(seed);
  GameRecord record;
  std::unique_ptr<Contestant> players[3] = {nullptr, MakeContestant(yellowEntry, engineStderr),
                                            MakeContestant(blueEntry, engineStderr)};
  BoardCells game{};
  auto place = [&](int x, int y, int colour, int ms) {
    game[x][y] = colour;
    record.moves.push_back({x, y, ms});
    Board = game;
    int32_t result = CheckGameResult();
    if (result == kYellow || result == kBlue) {
      record.outcome = result == kYellow ? Outcome::kYellowWins : Outcome::kBlueWins;
      record.reason = "five";
      return true;
    }
    if (result == 3) {
      record.outcome = Outcome::kDraw;
      record.reason = "no five possible";
      return true;
    }
    return false;
  };

  int moveCount = 0;
  for (auto [x, y] : opening.stones) {
    if (place(x, y, moveCount % 2 == 0 ? kYellow : kBlue, 0)) return record;
    ++moveCount;
  }
  record.openingStones = moveCount;
  for (; moveCount < kSquares; ++moveCount) {
    const int colour = moveCount % 2 == 0 ? kYellow : kBlue;
    PlayerMove move = players[colour]->Move(PositionDatagram(game, colour).data(), moveCount);
    if (move.ok && (move.x < 0 || move.x > 14 || move.y < 0 || move.y > 14 ||
                    game[move.x][move.y] != kEmpty)) {
      move.ok = false;
      move.fault = BrainFault::kIllegal;
      move.why = "answered " + std::to_string(move.x) + "," + std::to_string(move.y) +
                 ", a square that cannot be played";
    }
    if (!move.ok) {
      record.outcome = colour == kYellow ? Outcome::kBlueWins : Outcome::kYellowWins;
      record.fault = move.fault == BrainFault::kNone ? BrainFault::kCrash : move.fault;
      record.reason = BrainFaultName(record.fault);
      record.faultyColour = colour;
      record.why = move.why;
      return record;
    }
    if (place(move.x, move.y, colour, move.ms)) return record;
  }
  record.outcome = Outcome::kDraw;
  record.reason = "no five possible";
  return record;
}

std::string GameRecord::Serialize() const {
  std::string stored = reason.empty() ? "-" : reason;
  for (char& c : stored)
    if (c == ' ') c = '_';
  std::ostringstream out;
  out << index << ' ' << yellow << ' ' << blue << ' ' << opening << ' ' << openingStones << ' '
      << int(outcome) << ' ' << stored << ' ' << int(fault) << ' ' << faultyColour << ' '
      << moves.size();
  for (const MoveRecord& m : moves) out << ' ' << m.x << ' ' << m.y << ' ' << m.ms;
  std::string text = why;
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  out << ' ' << text;
  return out.str();
}

bool GameRecord::Deserialize(const std::string& text, GameRecord& record) {
  std::istringstream in(text);
  int outcome = 0, fault = 0;
  size_t count = 0;
  // The reason may hold spaces ("no five possible"): it is stored with
  // underscores.
  std::string reason;
  if (!(in >> record.index >> record.yellow >> record.blue >> record.opening >>
        record.openingStones >> outcome >> reason >> fault >> record.faultyColour >> count))
    return false;
  for (char& c : reason)
    if (c == '_') c = ' ';
  record.reason = reason == "-" ? "" : reason;
  record.outcome = Outcome(outcome);
  record.fault = BrainFault(fault);
  record.moves.resize(count);
  for (MoveRecord& m : record.moves)
    if (!(in >> m.x >> m.y >> m.ms)) return false;
  std::getline(in >> std::ws, record.why);
  return true;
}
