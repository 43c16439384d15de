// Checks shared by the fuzz targets: after any input the game must be the old
// one or a valid new one.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "game/game_state.h"
#include "view/presentation.h"

#define FUZZ_CHECK(condition)                                                                 \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "broken invariant: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)

inline void CheckGameInvariants() {
  FUZZ_CHECK(GameIsConsistent(Board, History, MoveCount));
  FUZZ_CHECK(Rotation >= 0 && Rotation <= 3);
  FUZZ_CHECK(PlayerKind[kBlue] >= Multiplayer && PlayerKind[kBlue] <= Denker);
  FUZZ_CHECK(BlueBegins <= 1 && SkipBlueTurn <= 1);
  for (int i = MoveCount; i < kSquares; ++i) FUZZ_CHECK(History[i][0] == -1 && History[i][1] == -1);
}

struct GameSnapshot {
  BoardCells board = Board;
  MoveList history = History;
  int32_t moveCount = MoveCount;
  int32_t rotation = Rotation;
  int32_t blueKind = PlayerKind[kBlue];
  uint8_t blueBegins = BlueBegins;

  bool Unchanged() const {
    return board == Board && history == History && moveCount == MoveCount && rotation == Rotation &&
           blueKind == PlayerKind[kBlue] && blueBegins == BlueBegins;
  }
};
