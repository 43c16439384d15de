// SDL key symbols to the Windows virtual-key numbers the game polls.
#pragma once

#include <SDL_keycode.h>

#include <string>
#include <vector>

namespace sdl_backend {

// 0 for keys the game has no number for.
int VirtualKey(SDL_Keycode key);

// Typed text (UTF-8) as the Latin-1 codes of the typed-character ring;
// characters beyond Latin-1 cannot be drawn by the font and are dropped.
std::vector<int> TypedCodes(const std::string& utf8);

}  // namespace sdl_backend
