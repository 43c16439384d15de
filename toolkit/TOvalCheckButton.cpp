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
  // Any non-zero start counts as selected, so the pair stays 0/1.
  button->selected = initiallySelected != 0 ? 1 : 0;
  button->antiselected = initiallySelected == 0 ? 1 : 0;
  button->Lightfactor = lightfactor;
  button->Shadefactor = shadefactor;
  return button;
}

uint8_t TOvalCheckButton::show() {
  ButtonStep step = AdvanceButton(activ, PointerInOval(MitteX, MitteY, HalbeBreite, HalbeTiefe));
  activ = step.activ;
  if (step.clicked) std::swap(selected, antiselected);
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(Image[selected], MitteX, MitteY, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(Image[selected], MitteX, MitteY, 0, Lightfactor);
      break;
    case ButtonLook::kPressed:
      // The state a release would select.
      DrawShaded(Image[antiselected], MitteX, MitteY, 0, Shadefactor);
      break;
  }
  return step.clicked ? 1 : 0;
}

uint8_t TOvalCheckButton::setSelected(uint8_t value) {
  selected = value == 1 ? 1 : 0;
  antiselected = 1 - selected;
  return 0;
}

int32_t TOvalCheckButton::show_without_action() {
  DrawPicture(Image[selected], MitteX, MitteY, 0);
  return 0;
}
