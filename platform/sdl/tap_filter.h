// The game polls whether keys and buttons are held, once a frame. A tap
// whose press and release both arrive between two polls would never be
// seen held, so a release within the frame of its press is held back until
// the frame ends (the game presents or sleeps), or kLongestTapMs at most.
#pragma once

#include <cstdint>
#include <functional>
#include <set>

namespace sdl_backend {

class TapFilter {
 public:
  static constexpr int64_t kLongestTapMs = 100;

  // Receives every press and release, in order, when it takes effect.
  explicit TapFilter(std::function<void(int slot, bool down)> apply) : apply_(std::move(apply)) {}

  void Event(int slot, bool down, int64_t nowMs);
  void FrameEnd();
  // Lets releases go that have waited longer than kLongestTapMs.
  void Expire(int64_t nowMs);
  // Forgets everything pending without applying it.
  void Clear();

 private:
  std::function<void(int, bool)> apply_;
  std::set<int> pressedThisFrame_;
  std::set<int> pendingUps_;
  int64_t pendingSince_ = 0;
};

}  // namespace sdl_backend
