// The UDP exchange with the external engine.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "game/game_state.h"

constexpr uint16_t kEnginePort = 8000;  // the engine listens here for positions
constexpr uint16_t kMovePort = 8001;    // the game listens here for the move

// "ok" when the position datagram was sent, otherwise an error text.
std::string SendGameState(int colour);
// Waits with the waiting screen for the engine's move and plays it for
// colour; "ok", or the text to show the user.
std::string AwaitExternalMove(int colour);

// The 225 bytes of the position datagram: byte 15 * x + y is square [x][y],
// 1 the stones of colour (the side to move), 2 the other side's.
std::array<uint8_t, kSquares> PositionDatagram(const BoardCells& board, int colour);
// The reverse, for a program in the engine's place: the board a position
// datagram shows when colour is the side to move.
BoardCells DatagramBoard(std::span<const uint8_t, kSquares> datagram, int colour);

// What a received move datagram means on board. Pure, so every datagram
// (of any length and content) can be checked without a socket.
struct EngineReply {
  bool valid = false;
  int x = -1;
  int y = -1;
  std::string answer;  // the text AwaitExternalMove answers when not valid
};
EngineReply CheckEngineReply(std::span<const uint8_t> datagram, const BoardCells& board);

extern const char* const kExternalMoveCancelled;
extern const char* const kReplyIncomplete;
extern const char* const kReplyRejectedLead;
