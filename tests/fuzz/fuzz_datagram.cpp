// The first 225 bytes set up a board (each byte taken modulo 3), the rest is
// the engine's reply. A reply is accepted only for an empty square on the
// board, and a rejected one always names its reason.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine_link/engine_link.h"
#include "fuzz_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < size_t(kSquares)) return 0;
  BoardCells board{};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) board[x][y] = data[kBoardSize * x + y] % 3;
  const std::span<const uint8_t> datagram(data + kSquares, size - kSquares);

  const EngineReply reply = CheckEngineReply(datagram, board);
  if (reply.valid) {
    FUZZ_CHECK(datagram.size() >= 2);
    FUZZ_CHECK(reply.x == datagram[0] && reply.y == datagram[1]);
    FUZZ_CHECK(reply.x >= 0 && reply.x < kBoardSize && reply.y >= 0 && reply.y < kBoardSize);
    FUZZ_CHECK(board[reply.x][reply.y] == kEmpty);
    FUZZ_CHECK(reply.answer.empty());
  } else {
    FUZZ_CHECK(!reply.answer.empty());
    FUZZ_CHECK(datagram.size() < 2 || reply.answer.rfind(kReplyRejectedLead, 0) == 0);
  }
  return 0;
}
