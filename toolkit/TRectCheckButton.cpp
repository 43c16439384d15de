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
  // Any non-zero start counts as selected, so the pair stays 0/1.
  button->selected = initiallySelected != 0 ? 1 : 0;
  button->antiselected = initiallySelected == 0 ? 1 : 0;
  button->Lightfactor = lightfactor;
  button->Shadefactor = shadefactor;
  return button;
}

uint8_t TRectCheckButton::show() {
  ButtonStep step = AdvanceButton(activ, PointerInRect(Links, Oben, Rechts, Unten));
  activ = step.activ;
  if (step.clicked) std::swap(selected, antiselected);
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(Image[selected], Links, Oben, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(Image[selected], Links, Oben, 0, Lightfactor);
      break;
    case ButtonLook::kPressed:
      // The state a release would select.
      DrawShaded(Image[antiselected], Links, Oben, 0, Shadefactor);
      break;
  }
  return step.clicked ? 1 : 0;
}

uint8_t TRectCheckButton::setSelected(uint8_t value) {
  selected = value == 1 ? 1 : 0;
  antiselected = 1 - selected;
  return 0;
}

int32_t TRectCheckButton::show_without_action() {
  DrawPicture(Image[selected], Links, Oben, 0);
  return 0;
}
