// A stone gliding onto its square in ComputerPause milliseconds.
#pragma once

#include <cstdint>

// Runs the flight's frames (the docks shown, Escape and the close button
// heard); returns when the stone has arrived. The stone is not placed.
void FlyStone(int x, int y, int colour, bool fromBottom);
// The external engine's move, from the bottom edge; 1 (nothing shown for a
// square off the board).
int32_t ShowExternalMove(const int32_t move[2], int colour);
