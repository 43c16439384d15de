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
  ButtonStep step = AdvanceButton(activ, PointerInOval(MitteX, MitteY, HalbeBreite, HalbeTiefe));
  activ = step.activ;
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(Image, MitteX, MitteY, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(Image, MitteX, MitteY, 0, Lightfactor);
      break;
    case ButtonLook::kPressed:
      // Three layers of the same picture deepen its edges and shadow.
      for (int layer = 0; layer < 3; layer++) DrawPicture(Image, MitteX, MitteY, 0);
      break;
  }
  return step.clicked ? 1 : 0;
}

int32_t TOvalButton::show_without_action() {
  DrawPicture(Image, MitteX, MitteY, 0);
  return 0;
}
