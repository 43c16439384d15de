#include "platform/sdl/sdl_keys.h"

#include "platform/platform.h"

namespace sdl_backend {

int VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    case SDLK_PAUSE:
      return 19;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_SPACE:
      return kKeySpace;
    case SDLK_PAGEUP:
      return kKeyPageUp;
    case SDLK_PAGEDOWN:
      return kKeyPageDown;
    case SDLK_END:
      return 35;
    case SDLK_HOME:
      return 36;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return kKeyDown;
    case SDLK_INSERT:
      return 45;
    case SDLK_DELETE:
      return 46;
    case SDLK_KP_0:
      return 96;
    case SDLK_KP_MULTIPLY:
      return 106;
    case SDLK_KP_PLUS:
      return 107;
    case SDLK_KP_MINUS:
      return 109;
    case SDLK_KP_PERIOD:
      return 110;
    case SDLK_KP_DIVIDE:
      return 111;
    case SDLK_LSHIFT:
      return 160;
    case SDLK_RSHIFT:
      return 161;
    case SDLK_LCTRL:
      return kKeyLeftCtrl;
    case SDLK_RCTRL:
      return kKeyRightCtrl;
    case SDLK_LALT:
      return kKeyLeftAlt;
    case SDLK_RALT:
      return kKeyRightAlt;
    default:
      return 0;
  }
}

std::vector<int> TypedCodes(const std::string& utf8) {
  std::vector<int> codes;
  for (int code : TextCodes(utf8))
    if (code > 0 && code <= 255) codes.push_back(code);
  return codes;
}

}  // namespace sdl_backend
