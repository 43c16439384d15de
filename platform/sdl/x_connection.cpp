#include "platform/sdl/x_connection.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

namespace sdl_backend {

namespace {

constexpr int kLostDisplayExitCode = 1;
void (*lostHandler)() = nullptr;

int OnConnectionLost(Display*) {
  static bool handling = false;
  if (handling) _exit(kLostDisplayExitCode);
  handling = true;
  std::fprintf(stderr,
               "kavro: the connection to the X display was lost; saving the game and ending.\n");
  if (lostHandler) lostHandler();
  std::fflush(nullptr);
  _exit(kLostDisplayExitCode);
}

}  // namespace

void WatchXConnection(void (*onLost)()) {
  lostHandler = onLost;
  XSetIOErrorHandler(OnConnectionLost);
}

}  // namespace sdl_backend
