#include "toolkit/TAction.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "view/presentation.h"

namespace {

class TActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    action = TAction::build();
    savedAction = Action;
    savedTicker = Ticker;
  }
  void TearDown() override {
    Action = savedAction;
    Ticker = savedTicker;
  }
  std::shared_ptr<TAction> savedAction;
  TickerRef savedTicker;
  std::shared_ptr<HeadlessBackend> backend;
  std::shared_ptr<TAction> action;
};

TEST_F(TActionTest, LeftWinsOverRightAndReleasingLeftFallsBackToRight) {
  backend->Press(1);
  backend->Press(2);
  action->update();
  EXPECT_EQ(action->MouseKey, 1);
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
  backend->Release(1);
  action->update();
  EXPECT_EQ(action->MouseKey, 2);
  EXPECT_EQ(action->changed, 1);
  backend->Release(2);
  action->update();
  EXPECT_EQ(action->MouseKey, 0);
  EXPECT_EQ(action->changed, 1);
}

TEST_F(TActionTest, HeldButtonChangesOnlyOnPressAndWhileDragging) {
  backend->MoveTo(10, 20);
  backend->Press(1);
  action->update();
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
  action->update();
  EXPECT_EQ(action->changed, 0);
  backend->MoveTo(11, 20);
  action->update();
  EXPECT_EQ(action->changed, 1);
  EXPECT_EQ(action->X, 11);
  backend->MoveTo(11, 25);
  action->update();
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
  backend->Release(1);
  action->update();
  EXPECT_EQ(action->MouseKey, 0);
  // A click that began and ended between two frames is held for one frame,
  // and a second click while the first still shows is news.
  backend->Press(1);
  backend->Release(1);
  action->update();
  EXPECT_EQ(action->MouseKey, 1);
  EXPECT_EQ(action->changed, 1);
  backend->Press(1);
  action->update();
  EXPECT_EQ(action->MouseKey, 1);
  EXPECT_EQ(action->changed, 1);
  backend->Release(1);
  action->update();
  EXPECT_EQ(action->MouseKey, 0);
}

TEST_F(TActionTest, MotionWithoutButtonIsNoChangeButIsTracked) {
  backend->MoveTo(300, 400);
  action->update();
  EXPECT_EQ(action->changed, 0);
  EXPECT_EQ(action->X, 300);
  EXPECT_EQ(action->Y, 400);
  EXPECT_EQ(action->Memo_X, 300);
  EXPECT_EQ(action->Memo_Y, 400);
  // A press without motion after untracked motion is still just the press.
  backend->Press(1);
  action->update();
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
}

TEST_F(TActionTest, WheelMovementIsReportedOnceAsDifference) {
  backend->Wheel(2);
  action->update();
  EXPECT_EQ(action->changed_Z, 2);
  EXPECT_EQ(action->changed, 1);
  backend->Wheel(-3);
  action->update();
  EXPECT_EQ(action->Z, -1);
  EXPECT_EQ(action->changed_Z, -3);
  action->update();
  EXPECT_EQ(action->changed_Z, 0);
  EXPECT_EQ(action->changed, 0);
}

TEST_F(TActionTest, TypedCharacterChangesWhenTakenAndWhenGone) {
  backend->Type('a');
  action->update();
  EXPECT_EQ(action->Char, 'a');
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->Char, 0);
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
}

TEST_F(TActionTest, TwoEqualCharactersOneCharacterPerFrame) {
  backend->Type('x');
  backend->Type('x');
  backend->Type('y');
  action->update();
  EXPECT_EQ(action->Char, 'x');
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->Char, 'x');
  EXPECT_EQ(action->changed, 0);
  action->update();
  EXPECT_EQ(action->Char, 'y');
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->Char, 0);
  EXPECT_EQ(action->Memo_Char, 0);
}

TEST_F(TActionTest, EdgeTrackedKeysReportPressAndRelease) {
  const struct {
    int key;
    uint8_t TAction::*field;
  } keys[] = {
      {kKeyEnter, &TAction::Enter}, {kKeySpace, &TAction::Space}, {kKeyEscape, &TAction::Escape}};
  for (const auto& k : keys) {
    SCOPED_TRACE(k.key);
    backend->KeyDown(k.key);
    action->update();
    EXPECT_EQ((*action).*k.field, 1);
    EXPECT_EQ(action->changed, 1);
    action->update();
    EXPECT_EQ((*action).*k.field, 1);
    EXPECT_EQ(action->changed, 0);
    backend->KeyUp(k.key);
    action->update();
    EXPECT_EQ((*action).*k.field, 0);
    EXPECT_EQ(action->changed, 1);
    // A tap that began and ended between two frames is held for one frame.
    backend->TapKey(k.key);
    action->update();
    EXPECT_EQ((*action).*k.field, 1);
    EXPECT_EQ(action->changed, 1);
    action->update();
    EXPECT_EQ((*action).*k.field, 0);
    EXPECT_EQ(action->changed, 1);
  }
}

TEST_F(TActionTest, FirstHeldNavigationKeyDecides) {
  backend->KeyDown(kKeyUp);
  backend->KeyDown(kKeyLeft);
  action->update();
  EXPECT_EQ(action->Arrow, 1);
  EXPECT_EQ(action->changed, 1);
  action->update();
  EXPECT_EQ(action->changed, 0);
  backend->KeyUp(kKeyLeft);
  action->update();
  EXPECT_EQ(action->Arrow, 4);
  EXPECT_EQ(action->changed, 1);
  backend->KeyUp(kKeyUp);
  action->update();
  EXPECT_EQ(action->Arrow, 0);
  EXPECT_EQ(action->changed, 1);

  const int order[] = {kKeyLeft, kKeyRight, kKeyDown, kKeyUp, kKeyPageDown, kKeyPageUp};
  for (int i = 0; i < 6; i++) {
    backend->KeyDown(order[i]);
    action->update();
    EXPECT_EQ(action->Arrow, i + 1) << order[i];
    backend->KeyUp(order[i]);
  }
}

TEST_F(TActionTest, ModifiersAreReadButNeverAChange) {
  backend->KeyDown(kKeyRightCtrl);
  action->update();
  EXPECT_EQ(action->Strg, 1);
  EXPECT_EQ(action->changed, 0);
  backend->KeyDown(kKeyLeftAlt);
  action->update();
  EXPECT_EQ(action->Alt, 1);
  EXPECT_EQ(action->changed, 0);
  backend->KeyUp(kKeyRightCtrl);
  backend->KeyUp(kKeyLeftAlt);
  action->update();
  EXPECT_EQ(action->Strg, 0);
  EXPECT_EQ(action->Alt, 0);
  EXPECT_EQ(action->changed, 0);
}

TEST_F(TActionTest, CloseLastsExactlyOneSnapshotAndIsNoChange) {
  backend->RequestClose();
  action->update();
  EXPECT_EQ(action->Close, 1);
  EXPECT_EQ(action->changed, 0);
  action->update();
  EXPECT_EQ(action->Close, 0);
}

TEST_F(TActionTest, FlushForgetsPendingAndHeldInput) {
  backend->MoveTo(50, 60);
  backend->Press(2);
  backend->KeyDown(kKeyEnter);
  backend->KeyDown(kKeyDown);
  action->update();
  backend->Wheel(4);
  backend->Type('q');
  backend->MoveTo(70, 80);
  action->update();
  ASSERT_EQ(action->X, 70);

  action->flush(-99999, -99999);
  EXPECT_EQ(action->X, 70);
  EXPECT_EQ(action->Memo_X, 70);
  EXPECT_EQ(action->Memo_Y, 80);
  EXPECT_EQ(action->MouseKey, 0);
  EXPECT_EQ(action->Enter, 0);
  EXPECT_EQ(action->Arrow, 0);
  EXPECT_EQ(action->Z, 0);

  // Nothing held across the flush reads as held; nothing queued is seen.
  action->update();
  EXPECT_EQ(action->changed, 0);
  EXPECT_EQ(action->MouseKey, 0);
  EXPECT_EQ(action->Enter, 0);
  EXPECT_EQ(action->Arrow, 0);
  EXPECT_EQ(action->changed_Z, 0);
  EXPECT_EQ(action->Char, 0);

  // Wheel movement after the flush counts from zero.
  backend->Wheel(1);
  action->update();
  EXPECT_EQ(action->changed_Z, 1);
}

TEST_F(TActionTest, FlushDropsTypedQueue) {
  backend->Type('a');
  backend->Type('b');
  action->flush();
  action->update();
  EXPECT_EQ(action->Char, 0);
  EXPECT_EQ(action->changed, 0);
}

TEST_F(TActionTest, WaitReturnsOneTickAfterTheChangeOnTheGlobalSnapshot) {
  Action = TAction::build();
  Ticker = CreateTicker(60.0);
  int sleeps = 0;
  int64_t pressedAt = -1;
  backend->onSleep = [&] {
    sleeps++;
    if (sleeps == 3) backend->KeyDown(kKeyLeftCtrl);  // no change on its own
    if (sleeps == 6) {
      backend->KeyDown(kKeySpace);
      pressedAt = backend->now;
    }
  };
  // Called on another object: still works on Action.
  action->wait();
  EXPECT_EQ(sleeps, 7);
  EXPECT_EQ(Action->Space, 1);
  EXPECT_EQ(Action->Strg, 1);
  EXPECT_EQ(Action->changed, 1);
  EXPECT_EQ(action->Space, 0);
  EXPECT_GT(backend->now, pressedAt);
  EXPECT_LE(backend->now - pressedAt, 17);
  EXPECT_EQ(backend->frames, 0);
  EXPECT_TRUE(backend->lastFrame.empty());
}

}  // namespace
