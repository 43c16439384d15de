#include "platform/sdl/window_icon.h"

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace sdl_backend {

void SetGameWindowIcon(SDL_Window* window) {
  if (!window) return;
  auto bytes = FindResource("incbin::media/window-icon.png");
  if (!bytes.data()) return;
  int width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<uint8_t> rgba;
  if (!platform_detail::DecodeImage(bytes.data(), bytes.size(), width, height, rgba, hasAlpha))
    return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(rgba.data(), width, height, 32,
                                                            width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  // SDL copies the pixels into the window property at once.
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

}  // namespace sdl_backend
