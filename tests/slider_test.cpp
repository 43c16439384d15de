#include <cmath>

#include "toolkit/THorizontalSlider.h"
#include "toolkit/TVerticalSlider.h"
#include "widget_test_support.h"

namespace {

class SliderTest : public WidgetTest {
 protected:
  // Bar 200 x 30 at (100, 50), button 20 x 30.
  std::shared_ptr<THorizontalSlider> Horizontal(float value = 0.0f, float wheel = 0.05f) {
    return THorizontalSlider::build(100, 50, Png("bar", 200, 30), Png("knob", 20, 30), value,
                                    wheel);
  }
  // Bar 30 x 200 at (100, 50), button 30 x 21 (odd: HalfButton 10).
  std::shared_ptr<TVerticalSlider> Vertical(float value = 0.0f, float wheel = 0.05f) {
    return TVerticalSlider::build(100, 50, Png("vbar", 30, 200), Png("vknob", 30, 21), value,
                                  wheel);
  }
  template <class Slider>
  int Show(Slider& slider, int x, int y, int key = 0, int wheel = 0) {
    Input(x, y, key);
    if (wheel) backend->Wheel(wheel);
    return Frame([&] { return slider.show(); });
  }
};

TEST_F(SliderTest, HorizontalGeometry) {
  auto slider = Horizontal(0.5f);
  EXPECT_EQ(slider->Rechts, 300);
  EXPECT_EQ(slider->Unten, 80);
  EXPECT_FLOAT_EQ(slider->SliderLength, 180.0f);
  EXPECT_FLOAT_EQ(slider->SliderEnd, 280.0f);
  EXPECT_EQ(slider->HalfButton, 10);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 190.0f);
  Frame([&] { return slider->show_without_action(); });
  EXPECT_EQ(drawn, (Lines{"bar f0 100,50 b3 a1", "knob f0 190,50 b3 a1"}));
}

TEST_F(SliderTest, DragFollowsThePointerAndClamps) {
  auto slider = Horizontal(0.0f);
  EXPECT_EQ(Show(*slider, 110, 60), 0);
  EXPECT_EQ(slider->activ, 1);
  EXPECT_EQ(Show(*slider, 250, 60, 1), 0);  // the press itself moves nothing
  EXPECT_EQ(slider->activ, 2);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 100.0f);
  EXPECT_EQ(Show(*slider, 150, 60, 1), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 140.0f);
  EXPECT_NEAR(slider->Value, 40.0 / 180.0, 1e-6);
  EXPECT_EQ(drawn, (Lines{"bar f0 100,50 b3 a1", "knob f0 140,50 b3 a1"}));
  EXPECT_EQ(Show(*slider, 150, 400, 1), 0);  // anywhere: same x, no change
  EXPECT_EQ(Show(*slider, 400, 400, 1), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 280.0f);
  EXPECT_FLOAT_EQ(slider->Value, 1.0f);
  EXPECT_EQ(Show(*slider, 0, 60, 2), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 100.0f);
  EXPECT_FLOAT_EQ(slider->Value, 0.0f);
  // Released over the bar: the release frame still follows, then idle.
  EXPECT_EQ(Show(*slider, 200, 60), 1);
  EXPECT_EQ(slider->activ, 0);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 190.0f);
  EXPECT_FLOAT_EQ(slider->MemoValue, 0.5f);
  EXPECT_EQ(Show(*slider, 200, 60), 0);
  EXPECT_EQ(slider->activ, 1);
}

TEST_F(SliderTest, WheelOverTheBar) {
  auto slider = Horizontal(0.5f, 0.05f);
  Show(*slider, 150, 60, 0, 1);  // arriving frame: not yet seen
  EXPECT_FLOAT_EQ(slider->Value, 0.5f);
  EXPECT_EQ(Show(*slider, 150, 60, 0, 1), 1);
  EXPECT_FLOAT_EQ(slider->Value, 0.55f);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 100.0f + 0.55f * 180.0f);
  EXPECT_EQ(Show(*slider, 150, 60, 0, -3), 1);
  EXPECT_NEAR(slider->Value, 0.4, 1e-6);
  slider->setValue(1.0f);
  EXPECT_EQ(Show(*slider, 150, 60, 0, 1), 0);
  EXPECT_FLOAT_EQ(slider->Value, 1.0f);
  EXPECT_EQ(Show(*slider, 150, 60, 0, -40), 1);
  EXPECT_FLOAT_EQ(slider->Value, 0.0f);
  EXPECT_EQ(Show(*slider, 500, 60, 0, 5), 0);  // outside
  EXPECT_FLOAT_EQ(slider->Value, 0.0f);
}

TEST_F(SliderTest, WheelIgnoredWhileDraggingAndPressBeganOutside) {
  auto slider = Horizontal(0.5f);
  Show(*slider, 190, 60);
  Show(*slider, 190, 60, 1);
  EXPECT_EQ(Show(*slider, 200, 60, 1, 4), 0);  // ButtonPosition 190 = value 0.5
  EXPECT_FLOAT_EQ(slider->Value, 0.5f);

  auto fresh = Horizontal(0.5f);
  Show(*fresh, 0, 0, 1);
  EXPECT_EQ(Show(*fresh, 150, 60, 1), 0);
  EXPECT_EQ(Show(*fresh, 120, 60, 1, 2), 0);
  EXPECT_EQ(fresh->activ, 0);
  EXPECT_FLOAT_EQ(fresh->Value, 0.5f);
  Show(*fresh, 120, 60);
  EXPECT_EQ(fresh->activ, 1);
  EXPECT_EQ(Show(*fresh, 120, 60, 0, 2), 1);
  EXPECT_FLOAT_EQ(fresh->Value, 0.6f);
}

TEST_F(SliderTest, VerticalRunsBottomToTop) {
  auto slider = Vertical(1.0f);
  EXPECT_EQ(slider->HalfButton, 10);
  EXPECT_FLOAT_EQ(slider->SliderLength, 179.0f);
  EXPECT_FLOAT_EQ(slider->SliderEnd, 229.0f);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 50.0f);
  Show(*slider, 110, 100);
  Show(*slider, 110, 100, 1);
  EXPECT_EQ(Show(*slider, 110, 0, 1), 0);  // above the bar: stays at the top
  EXPECT_FLOAT_EQ(slider->Value, 1.0f);
  EXPECT_EQ(drawn, (Lines{"vbar f0 100,50 b3 a1", "vknob f0 100,50 b3 a1"}));
  EXPECT_EQ(Show(*slider, 110, 1000, 1), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 229.0f);
  EXPECT_FLOAT_EQ(slider->Value, 0.0f);
  EXPECT_EQ(Show(*slider, 110, 150), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 140.0f);
  EXPECT_NEAR(slider->Value, 1.0 - 90.0 / 179.0, 1e-6);
  Show(*slider, 110, 150);
  float before = slider->Value;
  EXPECT_EQ(Show(*slider, 110, 150, 0, 1), 1);  // wheel up raises and moves up
  EXPECT_NEAR(slider->Value, before + 0.05, 1e-6);
  EXPECT_LT(slider->ButtonPosition, 140.0f);
}

TEST_F(SliderTest, SetValueAndUnclampedStart) {
  auto slider = Horizontal(1.5f);
  EXPECT_FLOAT_EQ(slider->Value, 1.0f);
  EXPECT_FLOAT_EQ(slider->MemoValue, 1.5f);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 280.0f);
  EXPECT_EQ(slider->setValue(1.0f), 1);
  EXPECT_FLOAT_EQ(slider->MemoValue, 1.0f);
  EXPECT_EQ(slider->setValue(0.25f), 1);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 145.0f);
  EXPECT_EQ(slider->setValue(0.25005f), 0);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 145.0f);
  EXPECT_FLOAT_EQ(slider->MemoValue, 0.25f);
  EXPECT_EQ(slider->setValue(-2.0f), 1);
  EXPECT_FLOAT_EQ(slider->Value, 0.0f);
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 100.0f);

  auto vertical = Vertical(-1.0f);
  EXPECT_FLOAT_EQ(vertical->Value, 0.0f);
  EXPECT_FLOAT_EQ(vertical->ButtonPosition, 229.0f);
  EXPECT_EQ(vertical->setValue(0.0f), 1);
  EXPECT_EQ(vertical->setValue(1.0f), 1);
  EXPECT_FLOAT_EQ(vertical->ButtonPosition, 50.0f);
}

TEST_F(SliderTest, CloneSharesPicturesAndHasItsOwnTravel) {
  auto source = Horizontal(0.5f);
  auto clone = source->clone(400, 50, 0.0f, 0.1f);
  EXPECT_EQ(clone->BarImage, source->BarImage);
  EXPECT_EQ(clone->ButtonImage, source->ButtonImage);
  EXPECT_EQ(clone->Rechts, 600);
  EXPECT_FLOAT_EQ(clone->SliderEnd, 580.0f);
  EXPECT_FLOAT_EQ(clone->Wheelspeed, 0.1f);
  EXPECT_EQ(clone->activ, 0);
  Show(*clone, 410, 60);
  Show(*clone, 410, 60, 1);
  EXPECT_EQ(Show(*clone, 1000, 60, 1), 1);
  EXPECT_FLOAT_EQ(clone->ButtonPosition, 580.0f);
  EXPECT_FLOAT_EQ(clone->Value, 1.0f);
  EXPECT_EQ(Show(*clone, 0, 60, 1), 1);
  EXPECT_FLOAT_EQ(clone->ButtonPosition, 400.0f);
  EXPECT_FLOAT_EQ(source->Value, 0.5f);

  auto vertical = Vertical(0.0f)->clone(0, 300, 2.0f, 0.1f);
  EXPECT_FLOAT_EQ(vertical->SliderEnd, 479.0f);
  EXPECT_FLOAT_EQ(vertical->ButtonPosition, 300.0f);
  EXPECT_FLOAT_EQ(vertical->MemoValue, 2.0f);
}

TEST_F(SliderTest, ButtonAsLongAsTheBarNeverYieldsNaN) {
  auto slider =
      THorizontalSlider::build(0, 0, Png("short", 20, 10), Png("knob", 20, 10), 0.5f, 0.1f);
  EXPECT_FLOAT_EQ(slider->SliderLength, 0.0f);
  Show(*slider, 10, 5);
  Show(*slider, 10, 5, 1);
  Show(*slider, 300, 5, 1);
  EXPECT_FALSE(std::isnan(slider->Value));
  EXPECT_FALSE(std::isnan(slider->ButtonPosition));
  EXPECT_FLOAT_EQ(slider->ButtonPosition, 0.0f);
}

TEST_F(SliderTest, MissingPictureEndsTheProgram) {
  std::string bar = Png("bar", 200, 30), gone = Missing("gone");
  EXPECT_THROW(THorizontalSlider::build(0, 0, gone, bar, 0, 0), ProgramExit);
  EXPECT_THROW(TVerticalSlider::build(0, 0, bar, gone, 0, 0), ProgramExit);
  ASSERT_EQ(backend->notices.size(), 2u);
  EXPECT_EQ(backend->notices[0], "Error while building 'THorizontalSlider':\nThe file '" + gone +
                                     "'\nwasn't found. The program will stop!");
  EXPECT_EQ(backend->notices[1], "Error while building 'TVerticalSlider':\nThe file '" + gone +
                                     "'\nwasn't found. The program will stop!");
}

}  // namespace
