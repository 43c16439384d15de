// Who plays in the arena: the four characters, the sample engine built in,
// and engines of the tournament text protocol started as programs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "examples/engine/brain.h"

struct PlayerEntry {
  enum class Kind { kCharacter, kSampleEngine, kExternal };
  std::string name;
  Kind kind = Kind::kCharacter;
  int character = 0;                 // 2 Spontane .. 5 Denker
  std::vector<std::string> command;  // external engines
  int budgetMs = 100;                // per move, engines only
  long long maxNodes = 0;            // sent as INFO max_node when positive
};

// Whether the sample engine is built into this arena.
bool HaveSampleEngine();

// The built-in players by their names: "Spontane", "Flexible", "Konsequente",
// "Denker", and "Engine" when built in.
std::vector<PlayerEntry> BuiltInPlayers();

// "prog --arg 'two words'" as the words a program is started with.
std::vector<std::string> SplitCommand(const std::string& text);

// One answer of a player.
struct PlayerMove {
  bool ok = false;
  int x = -1, y = -1;
  int ms = 0;
  BrainFault fault = BrainFault::kNone;
  std::string why;
};

// A player for the length of one game.
class Contestant {
 public:
  virtual ~Contestant() = default;
  // cells[15 * x + y]: 1 the player's own stones, 2 the opponent's;
  // moveCount stones are on the board.
  virtual PlayerMove Move(const uint8_t cells[225], int moveCount) = 0;
};

// engineStderr: where an external engine's stderr goes (-1: ours).
std::unique_ptr<Contestant> MakeContestant(const PlayerEntry& entry, int engineStderr);
