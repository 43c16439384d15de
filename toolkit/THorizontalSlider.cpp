#include "toolkit/THorizontalSlider.h"

#include "toolkit/widget_support.h"

using namespace widget_support;

namespace {
constexpr bool kVertical = false;
}

std::shared_ptr<THorizontalSlider> THorizontalSlider::build(int32_t x, int32_t y,
                                                            const std::string& barName,
                                                            const std::string& buttonName,
                                                            float value, float wheelspeed) {
  return BuildSlider<kVertical, THorizontalSlider>("THorizontalSlider", x, y, barName, buttonName,
                                                   value, wheelspeed);
}

uint8_t THorizontalSlider::show() { return ShowSlider<kVertical>(*this); }

uint8_t THorizontalSlider::setValue(float value) { return SetSliderValue<kVertical>(*this, value); }

int32_t THorizontalSlider::show_without_action() {
  DrawSlider<kVertical>(*this);
  return 0;
}

std::shared_ptr<THorizontalSlider> THorizontalSlider::clone(int32_t x, int32_t y, float value,
                                                            float wheelspeed) const {
  return CloneSlider<kVertical>(*this, x, y, value, wheelspeed);
}
