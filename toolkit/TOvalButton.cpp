#include "toolkit/TOvalButton.h"

#include "toolkit/widget_support.h"

using namespace widget_support;

std::shared_ptr<TOvalButton> TOvalButton::build(int32_t x, int32_t y, const std::string& name,
                                                float lightfactor, float shadefactor) {
  auto button = std::make_shared<TOvalButton>();
  button->Image = LoadWidgetPicture("TOvalButton", name);
  CentreHandle(button->Image);
  button->HalbeBreite = HalfOf(PictureWidth(button->Image));
  button->HalbeTiefe = HalfOf(PictureHeight(button->Image));
  button->MitteX = x + button->HalbeBreite;
  button->MitteY = y + button->HalbeTiefe;
  button->Lightfactor = lightfactor;
  button->Shadefactor = shadefactor;
  return button;
}

uint8_t TOvalButton::show() {
  return ShowPushButton(*this, PointerInOval(MitteX, MitteY, HalbeBreite, HalbeTiefe), MitteX,
                        MitteY);
}

int32_t TOvalButton::show_without_action() {
  DrawPicture(Image, static_cast<float>(MitteX), static_cast<float>(MitteY), 0);
  return 0;
}
