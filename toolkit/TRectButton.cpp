#include "toolkit/TRectButton.h"

#include "toolkit/widget_support.h"

using namespace widget_support;

std::shared_ptr<TRectButton> TRectButton::build(int32_t x, int32_t y, const std::string& name,
                                                float lightfactor, float shadefactor) {
  auto button = std::make_shared<TRectButton>();
  button->Links = x;
  button->Oben = y;
  button->Image = LoadWidgetPicture("TRectButton", name);
  button->Rechts = x + PictureWidth(button->Image);
  button->Unten = y + PictureHeight(button->Image);
  button->Lightfactor = lightfactor;
  button->Shadefactor = shadefactor;
  return button;
}

uint8_t TRectButton::show() {
  return ShowPushButton(*this, PointerInRect(Links, Oben, Rechts, Unten), Links, Oben);
}

int32_t TRectButton::show_without_action() {
  DrawPicture(Image, static_cast<float>(Links), static_cast<float>(Oben), 0);
  return 0;
}
