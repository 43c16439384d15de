#include "toolkit/TOvalMouseInteraction.h"

#include "toolkit/widget_support.h"

std::shared_ptr<TOvalMouseInteraction> TOvalMouseInteraction::build(int32_t x, int32_t y,
                                                                    int32_t width, int32_t height) {
  auto area = std::make_shared<TOvalMouseInteraction>();
  area->HalbeBreite = widget_support::HalfOf(width);
  area->HalbeTiefe = widget_support::HalfOf(height);
  area->MitteX = x + area->HalbeBreite;
  area->MitteY = y + area->HalbeTiefe;
  return area;
}

int32_t TOvalMouseInteraction::update() {
  bool inside = widget_support::PointerInOval(MitteX, MitteY, HalbeBreite, HalbeTiefe);
  widget_support::AdvanceMouseArea(inside, activ, Touchposition, Moveposition, wheelactiv,
                                   changed_Z);
  return 0;
}
