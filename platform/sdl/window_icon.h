// The game's own icon on its window, for task bars and window switchers.
#pragma once

struct SDL_Window;

namespace sdl_backend {

// Sets the embedded "incbin::media/window-icon.png" on the window; does
// nothing when the picture is missing or cannot be decoded.
void SetGameWindowIcon(SDL_Window* window);

}  // namespace sdl_backend
