// The four computer characters.
#pragma once

#include <functional>
#include <optional>
#include <utility>

using Move = std::pair<int, int>;  // x, y

// How the Denker runs its look-ahead search of the given depth. Without one
// it searches silently (the arena, the benchmark, tests); the game passes
// its thinking screen, which shows the progress and hears Escape.
using SearchScreen = std::function<std::optional<Move>(int depth)>;

// Blue's move by the character PlayerKind[2]; no move for the human kinds.
std::optional<Move> ChooseComputerMove(const SearchScreen& screen = {});
// The same for the character given (2 Spontane .. 5 Denker), playing blue
// on Board; for programs that pit the characters against each other.
std::optional<Move> ChooseMoveOfKind(int kind, const SearchScreen& screen = {});
