// The four computer characters.
#pragma once

#include <optional>
#include <utility>

using Move = std::pair<int, int>;  // x, y

// Blue's move by the character PlayerKind[2]; no move for the human kinds.
std::optional<Move> ChooseComputerMove();
// The same for the character given (2 Spontane .. 5 Denker), playing blue
// on Board; for programs that pit the characters against each other.
std::optional<Move> ChooseMoveOfKind(int kind);
