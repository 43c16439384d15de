// The one function an engine author writes: choose the next move.
#pragma once

#include <cstdint>

// cells[15 * x + y]: 0 empty, 1 a stone of the side to move, 2 an opponent's
// stone. Answers an empty square within about budgetMs milliseconds; false
// when the board has no empty square.
bool ChooseEngineMove(const uint8_t cells[225], int budgetMs, int& x, int& y);
