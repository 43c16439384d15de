// A saved game is either rejected, leaving the running game exactly as it
// was, or accepted as a consistent game that is written back byte for byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_invariants.h"
#include "persist/game_record.h"

namespace {

void SetUpRunningGame() {
  ResetGameStateGlobals();
  PlayerKind[kBlue] = Konsequente;
  Rotation = 2;
  PlaceStone(7, 7, kYellow);
  PlaceStone(8, 8, kBlue);
  PlaceStone(6, 6, kYellow);
  TakeBack(kYellow);  // leaves entries to replay, which a load must clear
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpRunningGame();
  const GameSnapshot before;
  const std::vector<uint8_t> bytes(data, data + size);

  if (!ApplyGameRecord(bytes, 0, true)) {
    FUZZ_CHECK(before.Unchanged());
    return 0;
  }
  CheckGameInvariants();
  FUZZ_CHECK(GameRecordBytes() == bytes);
  return 0;
}
