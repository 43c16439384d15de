// Polled input. Every query first lets the backend read its event queue, so
// the answers are as fresh as the window system's.
#include <array>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace {

constexpr int kKeys = 256;
constexpr int kRing = 256;
constexpr int kButtons = 3;

struct InputState {
  std::array<bool, kKeys> keyDown{};
  std::array<int, kKeys> keyPresses{};
  std::array<int, kRing> typed{};
  int typedFirst = 0;
  int typedCount = 0;
  int pointerX = 0, pointerY = 0;
  int wheel = 0;
  std::array<bool, kButtons + 1> buttonDown{};
  std::array<int, kButtons + 1> buttonPresses{};
  bool close = false;
};

InputState in;

void Poll() {
  CurrentBackend().PumpEvents();
  if (platform_detail::TakeSignalClose()) in.close = true;
}

bool ValidKey(int key) { return key >= 0 && key < kKeys; }
bool ValidButton(int button) { return button >= 1 && button <= kButtons; }

}  // namespace

int KeyPressCount(int key) {
  Poll();
  if (!ValidKey(key)) return 0;
  int count = in.keyPresses[key];
  in.keyPresses[key] = 0;
  return count;
}

int KeyIsDown(int key) {
  Poll();
  return ValidKey(key) && in.keyDown[key] ? 1 : 0;
}

int NextTypedChar() {
  Poll();
  if (in.typedCount == 0) return 0;
  int code = in.typed[in.typedFirst];
  in.typedFirst = (in.typedFirst + 1) % kRing;
  in.typedCount--;
  return code;
}

void ClearKeys() {
  Poll();
  in.keyDown.fill(false);
  in.keyPresses.fill(0);
  in.typedFirst = 0;
  in.typedCount = 0;
}

int PointerX() {
  Poll();
  return in.pointerX;
}

int PointerY() {
  Poll();
  return in.pointerY;
}

int WheelPosition() {
  Poll();
  return in.wheel;
}

int ButtonIsDown(int button) {
  Poll();
  return ValidButton(button) && in.buttonDown[button] ? 1 : 0;
}

int ButtonPressCount(int button) {
  Poll();
  if (!ValidButton(button)) return 0;
  int count = in.buttonPresses[button];
  in.buttonPresses[button] = 0;
  return count;
}

void ClearMouse() {
  Poll();
  in.buttonDown.fill(false);
  in.buttonPresses.fill(0);
  in.wheel = 0;
}

int CloseRequested() {
  Poll();
  bool requested = in.close;
  in.close = false;
  return requested ? 1 : 0;
}

namespace input {

// Auto-repeat sends further downs while the key is held; only a real press
// (up to down) counts.
void KeyEvent(int key, bool down) {
  if (!ValidKey(key)) return;
  if (down && !in.keyDown[key]) in.keyPresses[key]++;
  in.keyDown[key] = down;
}

// A full ring keeps what was typed first and drops the newest.
void TypedChar(int code) {
  if (code <= 0 || in.typedCount == kRing) return;
  in.typed[(in.typedFirst + in.typedCount) % kRing] = code;
  in.typedCount++;
}

void PointerMoved(int x, int y) {
  in.pointerX = x;
  in.pointerY = y;
}

void ButtonEvent(int button, bool down) {
  if (!ValidButton(button)) return;
  if (down && !in.buttonDown[button]) in.buttonPresses[button]++;
  in.buttonDown[button] = down;
}

void WheelMoved(int notches) { in.wheel += notches; }

void CloseRequest() { in.close = true; }

void ResetAll() {
  in = InputState{};
  platform_detail::ClearSignalClose();
}

}  // namespace input
