#include "platform/sdl/tap_filter.h"

namespace sdl_backend {

void TapFilter::Event(int slot, bool down, int64_t nowMs) {
  if (down) {
    if (pendingUps_.erase(slot)) apply_(slot, false);  // a second tap ends the first
    apply_(slot, true);
    pressedThisFrame_.insert(slot);
  } else if (pressedThisFrame_.count(slot)) {
    if (pendingUps_.empty()) pendingSince_ = nowMs;
    pendingUps_.insert(slot);
  } else {
    apply_(slot, false);
  }
}

void TapFilter::FrameEnd() {
  pressedThisFrame_.clear();
  std::set<int> ups;
  ups.swap(pendingUps_);
  for (int slot : ups) apply_(slot, false);
}

void TapFilter::Expire(int64_t nowMs) {
  if (!pendingUps_.empty() && nowMs - pendingSince_ > kLongestTapMs) FrameEnd();
}

void TapFilter::Clear() {
  pressedThisFrame_.clear();
  pendingUps_.clear();
}

}  // namespace sdl_backend
