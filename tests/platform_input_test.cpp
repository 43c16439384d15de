#include <gtest/gtest.h>

#include <csignal>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = InstallHeadlessBackend(); }
  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(InputTest, KeyPressCountReportsOnceThenZero) {
  backend->TapKey(kKeyEscape);
  backend->TapKey(kKeyEscape);
  backend->KeyDown(kKeyEnter);
  EXPECT_EQ(KeyPressCount(kKeyEscape), 2);
  EXPECT_EQ(KeyPressCount(kKeyEscape), 0);
  EXPECT_EQ(KeyIsDown(kKeyEscape), 0);
  EXPECT_EQ(KeyIsDown(kKeyEnter), 1);
  backend->KeyDown(kKeyEnter);  // auto-repeat while held is no new press
  EXPECT_EQ(KeyPressCount(kKeyEnter), 1);
  backend->KeyUp(kKeyEnter);
  EXPECT_EQ(KeyIsDown(kKeyEnter), 0);
  EXPECT_EQ(KeyPressCount(-1), 0);
  EXPECT_EQ(KeyIsDown(256), 0);
}

TEST_F(InputTest, ClearKeysForgetsFlagsCountsAndTypedText) {
  backend->KeyDown(kKeyLeft);
  backend->Type('a');
  ClearKeys();
  EXPECT_EQ(KeyIsDown(kKeyLeft), 0);
  EXPECT_EQ(KeyPressCount(kKeyLeft), 0);
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(InputTest, TypedCharactersComeOutOldestFirstAndTheRingHolds256) {
  for (int i = 0; i < 300; ++i) backend->Type(1 + i % 250);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(NextTypedChar(), 1 + i % 250) << i;
  EXPECT_EQ(NextTypedChar(), 0);
  backend->Type(228);
  EXPECT_EQ(NextTypedChar(), 228);
}

TEST_F(InputTest, ClearMouseResetsButtonsAndWheel) {
  backend->Wheel(1);
  backend->Wheel(1);
  backend->Wheel(-1);
  EXPECT_EQ(WheelPosition(), 1);
  backend->Press(2);
  EXPECT_EQ(ButtonIsDown(2), 1);
  EXPECT_EQ(ButtonIsDown(1), 0);
  ClearMouse();
  EXPECT_EQ(WheelPosition(), 0);
  EXPECT_EQ(ButtonIsDown(2), 0);
  EXPECT_EQ(ButtonPressCount(2), 0);
  backend->Wheel(-1);
  EXPECT_EQ(WheelPosition(), -1) << "counts from 0 again";
}

TEST_F(InputTest, ButtonPressesAreCountedOncePerPress) {
  backend->Press(1);
  backend->Release(1);
  backend->Press(1);
  EXPECT_EQ(ButtonPressCount(1), 2);
  EXPECT_EQ(ButtonPressCount(1), 0);
  EXPECT_EQ(ButtonIsDown(1), 1);
  EXPECT_EQ(ButtonIsDown(0), 0);
  EXPECT_EQ(ButtonIsDown(4), 0);
}

TEST_F(InputTest, ClickMovesPressesAndReleasesAfterTheNextFrame) {
  OpenWindow(200, 100, 60);
  backend->Click(40, 30);
  EXPECT_EQ(PointerX(), 40);
  EXPECT_EQ(PointerY(), 30);
  EXPECT_EQ(ButtonIsDown(1), 1);
  PresentFrame();
  EXPECT_EQ(ButtonIsDown(1), 0);
  EXPECT_EQ(ButtonPressCount(1), 1);
}

TEST_F(InputTest, CloseRequestIsReportedOnce) {
  EXPECT_EQ(CloseRequested(), 0);
  backend->RequestClose();
  EXPECT_EQ(CloseRequested(), 1);
  EXPECT_EQ(CloseRequested(), 0);
}

TEST_F(InputTest, TerminationSignalsBecomeCloseRequests) {
  InstallSignalHandlers();
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    std::raise(signal);
    EXPECT_EQ(CloseRequested(), 1) << signal;
    EXPECT_EQ(CloseRequested(), 0);
  }
}

TEST_F(InputTest, FreshBackendStartsWithQuietInput) {
  backend->KeyDown(kKeySpace);
  backend->Press(3);
  backend->Wheel(4);
  backend->RequestClose();
  backend = InstallHeadlessBackend();
  EXPECT_EQ(KeyIsDown(kKeySpace), 0);
  EXPECT_EQ(ButtonIsDown(3), 0);
  EXPECT_EQ(WheelPosition(), 0);
  EXPECT_EQ(CloseRequested(), 0);
}

}  // namespace
