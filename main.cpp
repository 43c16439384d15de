#include "app/game.h"
#include "platform/sdl/sdl_backend.h"

int main() {
  if (!InstallSdlBackend()) return 1;
  return StartGame();
}
