#include "toolkit/TAction.h"

#include "platform/platform.h"
#include "toolkit/ui_state.h"

namespace {

// Keys that report their press and their release as a change. A tap whose
// press and release both arrived since the last frame still counts as held
// for this one frame; a slow frame must not swallow it.
void TrackEdge(int key, uint8_t& held, uint8_t& changed) {
  const bool pressed = KeyPressCount(key) > 0;
  const bool down = pressed || KeyIsDown(key) != 0;
  if (down && (held == 0 || pressed)) {
    held = 1;
    changed = 1;
  } else if (!down && held == 1) {
    held = 0;
    changed = 1;
  }
}

// The first held key of this list decides; the value is its position + 1.
constexpr int kArrowKeys[] = {kKeyLeft, kKeyRight, kKeyDown, kKeyUp, kKeyPageDown, kKeyPageUp};

uint8_t HeldArrow() {
  for (int i = 0; i < 6; i++)
    if (KeyIsDown(kArrowKeys[i])) return uint8_t(i + 1);
  return 0;
}

}  // namespace

std::shared_ptr<TAction> TAction::build() { return std::make_shared<TAction>(); }

int32_t TAction::update() {
  changed = 0;
  X = PointerX();
  Y = PointerY();

  // A held button reports its press, then every frame in which it drags. A
  // click that ended before this frame is held for this frame alone.
  const bool clicked1 = ButtonPressCount(1) > 0, clicked2 = ButtonPressCount(2) > 0;
  uint8_t button = (clicked1 || ButtonIsDown(1)) ? 1 : (clicked2 || ButtonIsDown(2)) ? 2 : 0;
  if (button != 0) {
    if (MouseKey != button || (button == 1 ? clicked1 : clicked2)) {
      MouseKey = button;
      changed = 1;
    } else if (X != Memo_X || Y != Memo_Y) {
      changed = 1;
    }
  } else if (MouseKey > 0) {
    MouseKey = 0;
    changed = 1;
  }

  Z = WheelPosition();
  changed_Z = Z - Memo_Z;
  if (changed_Z != 0) changed = 1;
  Memo_Z = Z;

  Char = NextTypedChar();
  if (Char != Memo_Char) {
    Memo_Char = Char;
    changed = 1;
  }

  TrackEdge(kKeyEnter, Enter, changed);
  // Modifiers are read but never count as a change on their own.
  Strg = (KeyIsDown(kKeyLeftCtrl) || KeyIsDown(kKeyRightCtrl)) ? 1 : 0;
  Alt = (KeyIsDown(kKeyLeftAlt) || KeyIsDown(kKeyRightAlt)) ? 1 : 0;
  TrackEdge(kKeySpace, Space, changed);
  TrackEdge(kKeyEscape, Escape, changed);

  uint8_t arrow = HeldArrow();
  if (arrow != Arrow) {
    Arrow = arrow;
    changed = 1;
  }

  Close = CloseRequested() == 1 ? 1 : 0;

  Memo_X = X;
  Memo_Y = Y;
  return 0;
}

// Always waits on the global snapshot; before start-up made one, on this.
int32_t TAction::wait() {
  TAction& target = Action ? *Action : *this;
  TickerRef ticker = Ticker ? Ticker : CreateTicker(60.0);
  for (;;) {
    target.update();
    WaitTick(ticker);
    if (target.changed == 1) return 0;
  }
}

int32_t TAction::flush(int32_t, int32_t) {
  ClearMouse();
  ClearKeys();
  changed = 0;
  Memo_X = X;
  Memo_Y = Y;
  MouseKey = 0;
  Z = Memo_Z = changed_Z = 0;
  Char = Memo_Char = 0;
  Strg = Alt = Space = Enter = Arrow = Escape = Close = 0;
  return 0;
}
