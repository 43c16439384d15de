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
  ButtonStep step = AdvanceButton(activ, PointerInRect(Links, Oben, Rechts, Unten));
  activ = step.activ;
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(Image, Links, Oben, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(Image, Links, Oben, 0, Lightfactor);
      break;
    case ButtonLook::kPressed:
      // Three layers of the same picture deepen its edges and shadow.
      for (int layer = 0; layer < 3; layer++) DrawPicture(Image, Links, Oben, 0);
      break;
  }
  return step.clicked ? 1 : 0;
}

int32_t TRectButton::show_without_action() {
  DrawPicture(Image, Links, Oben, 0);
  return 0;
}
