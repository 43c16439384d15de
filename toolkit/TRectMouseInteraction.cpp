#include "toolkit/TRectMouseInteraction.h"

#include "toolkit/widget_support.h"

std::shared_ptr<TRectMouseInteraction> TRectMouseInteraction::build(int32_t x, int32_t y,
                                                                    int32_t width, int32_t height) {
  auto area = std::make_shared<TRectMouseInteraction>();
  area->Links = x;
  area->Oben = y;
  area->Breite = width;
  area->Tiefe = height;
  return area;
}

int32_t TRectMouseInteraction::update() {
  bool inside =
      widget_support::PointerInRect(Links, Oben, int64_t(Links) + Breite, int64_t(Oben) + Tiefe);
  widget_support::AdvanceMouseArea(inside, activ, Touchposition, Moveposition, wheelactiv,
                                   changed_Z);
  return 0;
}
