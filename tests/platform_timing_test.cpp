#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

class TimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    OpenWindow(800, 600, 60);
  }
  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(TimingTest, SixtyFramesTakeExactlyOneSecond) {
  std::vector<int64_t> shown;
  backend->onFrame = [&](int64_t) { shown.push_back(backend->now); };
  for (int i = 0; i < 60; ++i) PresentFrame();
  ASSERT_EQ(shown.size(), 60u);
  EXPECT_EQ(shown.back(), 1000);
  // 16 ms per frame plus one extra millisecond on two frames of every three.
  EXPECT_EQ(shown[0], 16);
  EXPECT_EQ(shown[1], 33);
  EXPECT_EQ(shown[2], 50);
  for (int i = 0; i < 600 - 60; ++i) PresentFrame();
  EXPECT_EQ(backend->now, 10000);
  EXPECT_EQ(backend->frames, 600);
}

TEST_F(TimingTest, LateFrameIsShownAtOnceAndTheNextPacedFromThen) {
  PresentFrame();
  ASSERT_EQ(backend->now, 16);
  backend->now += 50;  // the game took 50 ms for this frame
  int sleeps = 0;
  backend->onSleep = [&] { sleeps++; };
  PresentFrame();
  EXPECT_EQ(backend->now, 66) << "no sleep for a late frame";
  EXPECT_EQ(sleeps, 0);
  PresentFrame();
  // Paced from the late frame, not squeezed: 16 ms plus the accumulator's
  // millisecond that falls due on this frame.
  EXPECT_EQ(backend->now, 66 + 17);
  EXPECT_EQ(sleeps, 1);
}

TEST_F(TimingTest, OtherRatesAlsoAddUpToWholeSeconds) {
  OpenWindow(800, 600, 75);
  for (int i = 0; i < 75; ++i) PresentFrame();
  EXPECT_EQ(backend->now, 1000);
}

TEST_F(TimingTest, ClockComesFromTheBackend) {
  backend->now = 123456;
  EXPECT_EQ(ClockMs(), 123456);
}

TEST_F(TimingTest, TickerWaitsForEachTickAndDropsMissedOnes) {
  backend->now = 1000;
  auto ticker = CreateTicker(60);
  WaitTick(ticker);
  EXPECT_EQ(backend->now, 1017);  // 16.67 rounded up
  WaitTick(ticker);
  EXPECT_EQ(backend->now, 1034);
  for (int i = 0; i < 58; ++i) WaitTick(ticker);
  EXPECT_EQ(backend->now, 2000);
  backend->now += 500;  // busy for 30 ticks: they are not caught up
  WaitTick(ticker);
  EXPECT_EQ(backend->now, 2500);
  WaitTick(ticker);
  EXPECT_EQ(backend->now, 2517);
}

TEST_F(TimingTest, WindowOpensAtTheAskedSizeWithFreshDrawingState) {
  SetWindowTitle("Kavro Test");
  SetBlend(kBlendAlpha);
  SetDrawScale(2, 2);
  OpenWindow(1400, 850, 60);
  EXPECT_EQ(backend->windowWidth, 1400);
  EXPECT_EQ(backend->windowHeight, 850);
  EXPECT_EQ(backend->title, "Kavro Test");
  EXPECT_EQ(backend->windowOpenCount, 2);
  EXPECT_EQ(CurrentDrawState().blend, kBlendMask);
  EXPECT_EQ(CurrentDrawState().scaleX, 1.0f);
  EXPECT_EQ(ScreenWidth(), 1920);
  EXPECT_EQ(ScreenHeight(), 1080);
}

}  // namespace
