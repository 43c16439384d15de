#include "toolkit/TVerticalSlider.h"

#include "toolkit/widget_support.h"

using namespace widget_support;

namespace {
constexpr bool kVertical = true;
}

std::shared_ptr<TVerticalSlider> TVerticalSlider::build(int32_t x, int32_t y,
                                                        const std::string& barName,
                                                        const std::string& buttonName, float value,
                                                        float wheelspeed) {
  return BuildSlider<kVertical, TVerticalSlider>("TVerticalSlider", x, y, barName, buttonName,
                                                 value, wheelspeed);
}

uint8_t TVerticalSlider::show() { return ShowSlider<kVertical>(*this); }

uint8_t TVerticalSlider::setValue(float value) { return SetSliderValue<kVertical>(*this, value); }

int32_t TVerticalSlider::show_without_action() {
  DrawSlider<kVertical>(*this);
  return 0;
}

std::shared_ptr<TVerticalSlider> TVerticalSlider::clone(int32_t x, int32_t y, float value,
                                                        float wheelspeed) const {
  return CloneSlider<kVertical>(*this, x, y, value, wheelspeed);
}
