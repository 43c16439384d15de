// The game-state globals. Their start-up values are set in one place, by
// ResetGameStateGlobals, which runs here once before main and again whenever
// a test starts afresh.
#include "game/game_state.h"

BoardCells Board{};
int32_t PlayerKind[3];
MoveList History{};
int32_t MoveCount;
int32_t GameResult;
int32_t WinRowX[5];
int32_t WinRowY[5];
uint8_t BlueBegins;
uint8_t SkipBlueTurn;
int32_t Rotation;

namespace {
[[maybe_unused]] const bool kStartValuesSet = (ResetGameStateGlobals(), true);
}  // namespace
