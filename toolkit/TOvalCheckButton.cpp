#include "toolkit/TOvalCheckButton.h"

#include <utility>

#include "toolkit/widget_support.h"

using namespace widget_support;

std::shared_ptr<TOvalCheckButton> TOvalCheckButton::build(int32_t x, int32_t y,
                                                          const std::string& unselectedName,
                                                          const std::string& selectedName,
                                                          uint8_t initiallySelected,
                                                          float lightfactor, float shadefactor) {
  auto button = std::make_shared<TOvalCheckButton>();
  button->Image[0] = LoadWidgetPicture("TOvalCheckButton", unselectedName);
  CentreHandle(button->Image[0]);
  button->Image[1] = LoadWidgetPicture("TOvalCheckButton", selectedName);
  CentreHandle(button->Image[1]);
  button->HalbeBreite = HalfOf(PictureWidth(button->Image[0]));
  button->HalbeTiefe = HalfOf(PictureHeight(button->Image[0]));
  button->MitteX = x + button->HalbeBreite;
  button->MitteY = y + button->HalbeTiefe;
  SetCheckStart(*button, initiallySelected, lightfactor, shadefactor);
  return button;
}

uint8_t TOvalCheckButton::show() {
  return ShowCheckButton(*this, PointerInOval(MitteX, MitteY, HalbeBreite, HalbeTiefe), MitteX,
                         MitteY);
}

uint8_t TOvalCheckButton::setSelected(uint8_t value) { return SetCheckSelection(*this, value); }

int32_t TOvalCheckButton::show_without_action() {
  DrawPicture(Image[selected], static_cast<float>(MitteX), static_cast<float>(MitteY), 0);
  return 0;
}
