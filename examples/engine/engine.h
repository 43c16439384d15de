// What the sides of kavro-engine share: the datagram loop, the bridge to
// engines of the tournament text protocol, and the engine speaking it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kDefaultBudgetMs = 1000;

// Answers a position (cells[15 * x + y], 1 = the side to move) with a square,
// or false when it has none to offer (then no datagram is sent).
using MoveChooser = std::function<bool(const uint8_t cells[225], int& x, int& y)>;

// Waits on 127.0.0.1:8000 for positions and answers each with a move
// datagram to 127.0.0.1:8001 until SIGINT or SIGTERM. Returns the exit code.
int ServePositions(const MoveChooser& choose);

// Relays each position to the engine started from command and its answer
// back to the game. Returns the exit code.
int RunBridge(const std::vector<std::string>& command, int budgetMs);

// Plays ChooseEngineMove as an engine of the tournament text protocol on
// stdin/stdout, thinking at most ownMs per move (0: as the tournament's
// INFO timeout_turn says). Returns the exit code.
int ServeProtocol(int ownMs);
