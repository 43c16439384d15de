// The four computer characters.
#pragma once

#include <optional>
#include <utility>

using Move = std::pair<int, int>;  // x, y

std::optional<Move> ChooseComputerMove();
