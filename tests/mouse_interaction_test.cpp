#include <array>

#include "toolkit/TOvalMouseInteraction.h"
#include "toolkit/TRectMouseInteraction.h"
#include "widget_test_support.h"

namespace {

using Pair = std::array<int32_t, 2>;

class MouseAreaTest : public WidgetTest {
 protected:
  template <class Area>
  int Step(Area& area, int x, int y, int button = 0) {
    Input(x, y, button);
    Action->update();
    area.update();
    return area.activ;
  }
};

TEST_F(MouseAreaTest, ClickWithoutMotionRunsThroughEveryState) {
  auto area = TRectMouseInteraction::build(100, 50, 40, 20);
  EXPECT_EQ(Step(*area, 10, 10), 0);
  EXPECT_EQ(Step(*area, 110, 60), 1);
  EXPECT_EQ(Step(*area, 110, 60, 1), 2);
  EXPECT_EQ(area->Touchposition, (Pair{110, 60}));
  EXPECT_EQ(Step(*area, 110, 60), 4);  // released in the frame after the press
  EXPECT_EQ(area->Moveposition, (Pair{110, 60}));
  EXPECT_EQ(Step(*area, 110, 60), 1);
  // Held for several frames: 2, 3, 3, then the click.
  EXPECT_EQ(Step(*area, 112, 61, 1), 2);
  EXPECT_EQ(Step(*area, 113, 62, 1), 3);
  EXPECT_EQ(Step(*area, 114, 63, 1), 3);
  EXPECT_EQ(area->Moveposition, (Pair{114, 63}));
  EXPECT_EQ(area->Touchposition, (Pair{112, 61}));
  EXPECT_EQ(Step(*area, 115, 64), 4);
  EXPECT_EQ(Step(*area, 500, 500), 0);
}

TEST_F(MouseAreaTest, PressSurvivesLeavingButReleaseOutsideIsNoClick) {
  auto area = TRectMouseInteraction::build(100, 50, 40, 20);
  Step(*area, 110, 60);
  Step(*area, 110, 60, 2);  // the right button presses as well
  EXPECT_EQ(Action->MouseKey, 2);
  EXPECT_EQ(Step(*area, 300, 300, 2), 3);
  EXPECT_EQ(area->Moveposition, (Pair{300, 300}));  // follows outside too
  EXPECT_EQ(Step(*area, 0, 0), 0);

  // Out and back in, released inside: a click.
  Step(*area, 110, 60);
  Step(*area, 110, 60, 1);
  EXPECT_EQ(Step(*area, 300, 300, 1), 3);
  EXPECT_EQ(Step(*area, 120, 55, 1), 3);
  EXPECT_EQ(Step(*area, 120, 55), 4);
}

TEST_F(MouseAreaTest, PressBeganOutsideNeverArms) {
  auto area = TRectMouseInteraction::build(100, 50, 40, 20);
  Step(*area, 10, 10, 1);
  EXPECT_EQ(Step(*area, 110, 60, 1), 0);
  EXPECT_EQ(Step(*area, 111, 60, 1), 0);
  EXPECT_EQ(Step(*area, 111, 60), 1);  // released: now merely hovered
}

TEST_F(MouseAreaTest, RectangleBordersAreOutside) {
  auto area = TRectMouseInteraction::build(100, 50, 40, 20);
  for (Pair p : {Pair{100, 60}, Pair{140, 60}, Pair{120, 50}, Pair{120, 70}}) {
    area->activ = 0;
    EXPECT_EQ(Step(*area, p[0], p[1]), 0) << p[0] << "," << p[1];
  }
  for (Pair p : {Pair{101, 51}, Pair{139, 69}}) {
    area->activ = 0;
    EXPECT_EQ(Step(*area, p[0], p[1]), 1) << p[0] << "," << p[1];
  }
}

TEST_F(MouseAreaTest, WheelCountsOnlyWhileHoveredWithNoButton) {
  auto area = TRectMouseInteraction::build(100, 50, 40, 20);
  backend->Wheel(1);
  Step(*area, 110, 60);  // arriving frame: hovered, the wheel is not seen yet
  EXPECT_EQ(area->wheelactiv, 0);
  backend->Wheel(-2);
  Step(*area, 115, 62);
  EXPECT_EQ(area->wheelactiv, 1);
  EXPECT_EQ(area->changed_Z, -2);
  EXPECT_EQ(area->Touchposition, (Pair{115, 62}));
  Step(*area, 115, 62);  // still inside: cleared
  EXPECT_EQ(area->wheelactiv, 0);
  EXPECT_EQ(area->changed_Z, -2);

  backend->Wheel(3);
  Step(*area, 116, 62);
  EXPECT_EQ(Step(*area, 0, 0), 0);  // left right after the turn: the flag stays
  EXPECT_EQ(area->wheelactiv, 1);

  Step(*area, 110, 60);
  Step(*area, 110, 60, 1);
  area->wheelactiv = 0;
  backend->Wheel(1);
  Step(*area, 110, 60, 1);  // held: the wheel is ignored
  EXPECT_EQ(area->wheelactiv, 0);
}

TEST_F(MouseAreaTest, OvalGeometryAndEdge) {
  auto area = TOvalMouseInteraction::build(0, 0, 100, 60);
  EXPECT_EQ(area->MitteX, 50);
  EXPECT_EQ(area->MitteY, 30);
  EXPECT_EQ(area->HalbeBreite, 50);
  EXPECT_EQ(area->HalbeTiefe, 30);
  EXPECT_EQ(Step(*area, 100, 30), 1);  // on the ellipse: inside
  EXPECT_EQ(Step(*area, 101, 30), 0);
  EXPECT_EQ(Step(*area, 0, 0), 0);    // corner of the box
  EXPECT_EQ(Step(*area, 85, 55), 0);  // inside the box, outside the ellipse
  EXPECT_EQ(Step(*area, 50, 0), 1);

  auto odd = TOvalMouseInteraction::build(10, 20, 7, 9);
  EXPECT_EQ(odd->HalbeBreite, 3);
  EXPECT_EQ(odd->MitteX, 13);
  EXPECT_EQ(odd->HalbeTiefe, 4);
  EXPECT_EQ(odd->MitteY, 24);
}

TEST_F(MouseAreaTest, OvalClickAndDragOut) {
  auto area = TOvalMouseInteraction::build(200, 200, 80, 80);
  EXPECT_EQ(Step(*area, 240, 240), 1);
  EXPECT_EQ(Step(*area, 240, 240, 1), 2);
  EXPECT_EQ(Step(*area, 240, 240), 4);
  EXPECT_EQ(Step(*area, 240, 240), 1);
  Step(*area, 240, 240, 1);
  EXPECT_EQ(Step(*area, 202, 202, 1), 3);  // box corner, outside the ellipse
  EXPECT_EQ(Step(*area, 202, 202), 0);
}

TEST_F(MouseAreaTest, FlatOvalHasNoInside) {
  auto area = TOvalMouseInteraction::build(10, 10, 1, 40);
  EXPECT_EQ(area->HalbeBreite, 0);
  EXPECT_EQ(Step(*area, 10, 30), 0);
  EXPECT_EQ(Step(*area, 10, 10), 0);
}

}  // namespace
