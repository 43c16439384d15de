// Any settings file leaves a consistent game and in-range settings, and what
// is then written reads back to the same state.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/game.h"
#include "app/settings.h"
#include "fuzz_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetGameStateGlobals();
  ResetPresentationGlobals();
  ApplySettingsBytes(std::vector<uint8_t>(data, data + size));

  CheckGameInvariants();
  FUZZ_CHECK(SmallWindow <= 1 && View2D <= 1 && MusicOn <= 1);

  const std::vector<uint8_t> written = SettingsBytes();
  const GameSnapshot before;
  ResetGameStateGlobals();
  ApplySettingsBytes(written);
  FUZZ_CHECK(before.Unchanged());
  FUZZ_CHECK(SettingsBytes() == written);
  return 0;
}
