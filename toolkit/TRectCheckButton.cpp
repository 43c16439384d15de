#include "toolkit/TRectCheckButton.h"

#include <utility>

#include "toolkit/widget_support.h"

using namespace widget_support;

std::shared_ptr<TRectCheckButton> TRectCheckButton::build(int32_t x, int32_t y,
                                                          const std::string& unselectedName,
                                                          const std::string& selectedName,
                                                          uint8_t initiallySelected,
                                                          float lightfactor, float shadefactor) {
  auto button = std::make_shared<TRectCheckButton>();
  button->Links = x;
  button->Oben = y;
  button->Image[0] = LoadWidgetPicture("TRectCheckButton", unselectedName);
  button->Rechts = x + PictureWidth(button->Image[0]);
  button->Unten = y + PictureHeight(button->Image[0]);
  button->Image[1] = LoadWidgetPicture("TRectCheckButton", selectedName);
  SetCheckStart(*button, initiallySelected, lightfactor, shadefactor);
  return button;
}

uint8_t TRectCheckButton::show() {
  return ShowCheckButton(*this, PointerInRect(Links, Oben, Rechts, Unten), Links, Oben);
}

uint8_t TRectCheckButton::setSelected(uint8_t value) { return SetCheckSelection(*this, value); }

int32_t TRectCheckButton::show_without_action() {
  DrawPicture(Image[selected], static_cast<float>(Links), static_cast<float>(Oben), 0);
  return 0;
}
