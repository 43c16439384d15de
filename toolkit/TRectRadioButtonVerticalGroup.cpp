#include "toolkit/TRectRadioButtonVerticalGroup.h"

#include "toolkit/widget_support.h"

using namespace widget_support;

namespace {
constexpr bool kVertical = true;
}

std::shared_ptr<TRectRadioButtonVerticalGroup> TRectRadioButtonVerticalGroup::build(
    int32_t x, int32_t y, const std::string& unselectedStrip, const std::string& selectedStrip,
    int32_t cells, int32_t cellWidth, int32_t cellHeight, int32_t initiallySelected,
    float lightfactor, [[maybe_unused]] float unused) {
  return BuildRadioGroup<kVertical, TRectRadioButtonVerticalGroup>(
      "TRectRadioButtonVerticalGroup", x, y, unselectedStrip, selectedStrip, cells, cellWidth,
      cellHeight, initiallySelected, lightfactor);
}

uint8_t TRectRadioButtonVerticalGroup::show() { return ShowRadioGroup<kVertical>(*this); }

uint8_t TRectRadioButtonVerticalGroup::setSelected(uint8_t n) {
  return SetRadioSelection(*this, n);
}

int32_t TRectRadioButtonVerticalGroup::show_without_action() {
  DrawRadioCells<kVertical>(*this, -1, -1);
  return 0;
}
