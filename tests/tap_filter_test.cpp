#include "platform/sdl/tap_filter.h"

#include <gtest/gtest.h>

#include <string>

using sdl_backend::TapFilter;

namespace {
struct Log {
  std::string events;
  TapFilter filter{
      [this](int slot, bool down) { events += std::to_string(slot) + (down ? "v " : "^ "); }};
};
}  // namespace

TEST(TapFilter, ATapWithinOneFrameIsReleasedWhenTheFrameEnds) {
  Log log;
  log.filter.Event(27, true, 0);
  log.filter.Event(27, false, 1);
  EXPECT_EQ(log.events, "27v ");
  log.filter.FrameEnd();
  EXPECT_EQ(log.events, "27v 27^ ");
  log.filter.FrameEnd();
  EXPECT_EQ(log.events, "27v 27^ ");
}

TEST(TapFilter, AReleaseInALaterFrameTakesEffectAtOnce) {
  Log log;
  log.filter.Event(1001, true, 0);
  log.filter.FrameEnd();
  log.filter.Event(1001, false, 20);
  EXPECT_EQ(log.events, "1001v 1001^ ");
}

TEST(TapFilter, TwoTapsInOneFrameAreTwoPresses) {
  Log log;
  log.filter.Event(32, true, 0);
  log.filter.Event(32, false, 1);
  log.filter.Event(32, true, 2);
  log.filter.Event(32, false, 3);
  log.filter.FrameEnd();
  EXPECT_EQ(log.events, "32v 32^ 32v 32^ ");
}

TEST(TapFilter, HeldBackReleasesExpireAndClearForgetsThem) {
  Log log;
  log.filter.Event(13, true, 0);
  log.filter.Event(13, false, 5);
  log.filter.Expire(5 + TapFilter::kLongestTapMs);
  EXPECT_EQ(log.events, "13v ");
  log.filter.Expire(6 + TapFilter::kLongestTapMs);
  EXPECT_EQ(log.events, "13v 13^ ");

  Log other;
  other.filter.Event(65, true, 0);
  other.filter.Event(65, false, 1);
  other.filter.Clear();
  other.filter.FrameEnd();
  EXPECT_EQ(other.events, "65v ");
  // Other keys are not held back by a pending one.
  other.filter.FrameEnd();
  other.filter.Event(66, true, 10);
  other.filter.FrameEnd();
  other.filter.Event(66, false, 30);
  EXPECT_EQ(other.events, "65v 66v 66^ ");
}
