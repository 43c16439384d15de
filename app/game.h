// Start-up, main loop and the turn loops.
#pragma once

#include <cstdint>
#include <optional>

#include "ai/opponents.h"

// The program's entry: start-up, resume, main loop, end. Returns the exit code.
int StartGame();

int32_t HumanTurn(int colour);
int32_t ComputerTurn();

// The Denker's thinking screen: the board with a progress bar growing one
// cell per first move, the docks in its first frame and the quit question
// between first moves, around the search of the given depth.
std::optional<Move> DenkerThinking(int depth);
