// What happens when the X server goes away under the game (a logout, a
// display crash): Xlib's default handler exits through the exit hooks, and
// SDL's hook then closes the dead display and crashes.
#pragma once

namespace sdl_backend {

// From then on a lost X connection says so on stderr, calls onLost (which
// writes the settings file) and ends with exit code 1, without the exit hooks.
void WatchXConnection(void (*onLost)());

}  // namespace sdl_backend
