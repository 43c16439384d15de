// What the picture widgets, radio groups, sliders and mouse areas share: the
// fatal picture loading, the hit tests against Action, the lit and shaded
// looks, and the state machines that are the same for several classes.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace widget_support {

// A widget without its picture cannot be shown: message box, then the
// normal way out of the program.
[[noreturn]] void FailBuild(const char* widgetClass, const std::string& name);
PictureRef LoadWidgetPicture(const char* widgetClass, const std::string& name);
PictureRef LoadWidgetStrip(const char* widgetClass, const std::string& name, int32_t cellWidth,
                           int32_t cellHeight, int32_t cells);

// What the widgets read of the input snapshot.
int32_t ActionX();
int32_t ActionY();
uint8_t ActionMouseKey();

// Strict on all four sides: border pixels are outside.
bool PointerInRect(int64_t left, int64_t top, int64_t right, int64_t bottom);
// The ellipse itself counts as inside; a flat ellipse (half axis below 1)
// has no inside at all.
bool PointerInOval(int32_t centreX, int32_t centreY, int32_t halfWidth, int32_t halfHeight);
// Half of a picture or box extent, computed in floating point and truncated.
int32_t HalfOf(int32_t extent);

// The picture drawn again additively (4) or multiplied (5) at the given
// alpha; afterwards alpha blending and alpha 1 again.
void DrawLit(const PictureRef& picture, float x, float y, int frame, float lightfactor);
void DrawShaded(const PictureRef& picture, float x, float y, int frame, float shadefactor);

// Double clamp to lo..hi; a NaN lands on lo.
double Clamp(double value, double lo, double hi);

// Mouse areas: one frame of the state table, the hit test already made.
void AdvanceMouseArea(bool inside, uint8_t& activ, std::array<int32_t, 2>& touchposition,
                      std::array<int32_t, 2>& moveposition, uint8_t& wheelactiv, int32_t& changedZ);

// Push and check buttons: one frame of the state table.
enum class ButtonLook { kPlain, kLit, kPressed };
struct ButtonStep {
  uint8_t activ;
  ButtonLook look;
  bool clicked;  // released over the widget in this frame
};
ButtonStep AdvanceButton(uint8_t activ, bool inside);

// A push button's frame, its picture drawn at the whole pixel (px, py); 1 on
// a click.
template <class Button>
uint8_t ShowPushButton(Button& button, bool inside, int32_t px, int32_t py) {
  const float x = static_cast<float>(px), y = static_cast<float>(py);
  ButtonStep step = AdvanceButton(button.activ, inside);
  button.activ = step.activ;
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(button.Image, x, y, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(button.Image, x, y, 0, button.Lightfactor);
      break;
    case ButtonLook::kPressed:
      // Three layers of the same picture deepen its edges and shadow.
      for (int layer = 0; layer < 3; layer++) DrawPicture(button.Image, x, y, 0);
      break;
  }
  return step.clicked ? 1 : 0;
}

// A check button's frame: a click flips the state; while held, the state a
// release would select is shown shaded.
template <class Button>
uint8_t ShowCheckButton(Button& button, bool inside, int32_t px, int32_t py) {
  const float x = static_cast<float>(px), y = static_cast<float>(py);
  ButtonStep step = AdvanceButton(button.activ, inside);
  button.activ = step.activ;
  if (step.clicked) std::swap(button.selected, button.antiselected);
  switch (step.look) {
    case ButtonLook::kPlain:
      DrawPicture(button.Image[button.selected], x, y, 0);
      break;
    case ButtonLook::kLit:
      DrawLit(button.Image[button.selected], x, y, 0, button.Lightfactor);
      break;
    case ButtonLook::kPressed:
      DrawShaded(button.Image[button.antiselected], x, y, 0, button.Shadefactor);
      break;
  }
  return step.clicked ? 1 : 0;
}

// Any value but 1 unselects, so the pair always stays 0/1.
template <class Button>
uint8_t SetCheckSelection(Button& button, uint8_t value) {
  button.selected = value == 1 ? 1 : 0;
  button.antiselected = 1 - button.selected;
  return 0;
}

// State and factors at build; any non-zero start counts as selected.
template <class Button>
void SetCheckStart(Button& button, uint8_t initiallySelected, float lightfactor,
                   float shadefactor) {
  button.selected = initiallySelected != 0 ? 1 : 0;
  button.antiselected = initiallySelected == 0 ? 1 : 0;
  button.Lightfactor = lightfactor;
  button.Shadefactor = shadefactor;
}

// Radio groups: a row (kVertical false) or a column of cells. The two
// classes have the same fields, so one template serves both.
inline constexpr int32_t kMostRadioCells = 255;  // 8-bit cell counters
// A count outside 1 to 255 or a cell of no extent ends the program with a
// message instead of building a group that cannot work.
void CheckRadioLayout(const char* widgetClass, int32_t cells, int32_t cellWidth,
                      int32_t cellHeight);

template <bool kVertical, class Group>
std::shared_ptr<Group> BuildRadioGroup(const char* widgetClass, int32_t x, int32_t y,
                                       const std::string& unselectedName,
                                       const std::string& selectedName, int32_t cells,
                                       int32_t cellWidth, int32_t cellHeight,
                                       int32_t initiallySelected, float lightfactor) {
  CheckRadioLayout(widgetClass, cells, cellWidth, cellHeight);
  auto group = std::make_shared<Group>();
  group->Links = x;
  group->Oben = y;
  group->Length = kVertical ? cellHeight : cellWidth;
  group->Image[0] = LoadWidgetStrip(widgetClass, unselectedName, cellWidth, cellHeight, cells);
  group->Rechts = kVertical ? x + cellWidth : x + cells * group->Length;
  group->Unten = kVertical ? y + cells * group->Length : y + cellHeight;
  group->Image[1] = LoadWidgetStrip(widgetClass, selectedName, cellWidth, cellHeight, cells);
  group->selected.assign(size_t(cells), 0);
  group->antiselected.assign(size_t(cells), 1);
  group->Count = cells - 1;
  int32_t first = initiallySelected < 1 ? 1 : initiallySelected > cells ? cells : initiallySelected;
  group->selectedIndex = uint8_t(first);
  group->selected[size_t(first - 1)] = 1;
  group->antiselected[size_t(first - 1)] = 0;
  group->Lightfactor = lightfactor;
  return group;
}

// Cell under the pointer, or -1 when the pointer is outside the group.
template <bool kVertical, class Group>
int32_t RadioCellUnderPointer(const Group& group) {
  if (!PointerInRect(group.Links, group.Oben, group.Rechts, group.Unten)) return -1;
  int32_t along = kVertical ? ActionY() - group.Oben : ActionX() - group.Links;
  return along / group.Length;
}

// Every cell once in order; `pressed` in its other look, `lit` drawn again
// additively on top. -1 for neither.
template <bool kVertical, class Group>
void DrawRadioCells(const Group& group, int32_t lit, int32_t pressed) {
  for (int32_t i = 0; i <= group.Count; i++) {
    float x = static_cast<float>(kVertical ? group.Links : group.Links + i * group.Length);
    float y = static_cast<float>(kVertical ? group.Oben + i * group.Length : group.Oben);
    uint8_t look = i == pressed ? group.antiselected[size_t(i)] : group.selected[size_t(i)];
    DrawPicture(group.Image[look], x, y, i);
  }
  if (lit < 0) return;
  float x = static_cast<float>(kVertical ? group.Links : group.Links + lit * group.Length);
  float y = static_cast<float>(kVertical ? group.Oben + lit * group.Length : group.Oben);
  SetBlend(kBlendLight);
  SetAlpha(group.Lightfactor);
  DrawPicture(group.Image[group.selected[size_t(lit)]], x, y, lit);
  SetBlend(kBlendAlpha);
  SetAlpha(1.0f);
}

template <class Group>
void MarkRadioCell(Group& group, int32_t cell) {
  for (int32_t i = 0; i <= group.Count; i++) {
    group.selected[size_t(i)] = i == cell ? 1 : 0;
    group.antiselected[size_t(i)] = i == cell ? 0 : 1;
  }
}

template <class Group>
uint8_t SetRadioSelection(Group& group, uint8_t n) {
  int32_t cell = n < 1 ? 1 : n > group.Count + 1 ? group.Count + 1 : n;
  MarkRadioCell(group, cell - 1);
  if (cell == group.selectedIndex) return 0;
  group.selectedIndex = uint8_t(cell);
  return 1;
}

// One frame of the group's state table; answers the newly selected cell
// (1-based) in the frame of a selection, else 0.
template <bool kVertical, class Group>
uint8_t ShowRadioGroup(Group& group) {
  const uint8_t key = ActionMouseKey();
  const int32_t j = RadioCellUnderPointer<kVertical>(group);
  const bool inside = j >= 0;
  const bool onSelected = inside && j + 1 == group.selectedIndex;
  auto select = [&]() {
    MarkRadioCell(group, j);
    DrawRadioCells<kVertical>(group, -1, -1);
    group.selectedIndex = uint8_t(j + 1);
    group.activ = 4;
    return uint8_t(j + 1);
  };
  switch (group.activ) {
    case 1:
      if (inside && !onSelected) {
        group.activ = key > 0 ? 2 : 1;
        DrawRadioCells<kVertical>(group, key > 0 ? -1 : j, key > 0 ? j : -1);
        return 0;
      }
      group.activ = inside ? 1 : 0;
      break;
    case 2:
      // The first frame of a press does not look for the selected cell: a
      // release now selects whatever cell is under the pointer.
      if (inside && key == 0) return select();
      if (inside) {
        group.activ = 3;
        DrawRadioCells<kVertical>(group, -1, j);
        return 0;
      }
      group.activ = 0;
      break;
    case 3:
      if (inside && !onSelected) {
        if (key == 0) return select();
        DrawRadioCells<kVertical>(group, -1, j);
        return 0;
      }
      group.activ = inside ? 1 : 0;
      break;
    default:  // 0 idle and 4, the frame after a selection
      if ((group.activ == 4 || key == 0) && inside && !onSelected) {
        group.activ = 1;
        DrawRadioCells<kVertical>(group, j, -1);
        return 0;
      }
      group.activ = 0;
      break;
  }
  DrawRadioCells<kVertical>(group, -1, -1);
  return 0;
}

// Sliders: horizontal (kVertical false) or vertical. Value 0 is the left
// or bottom end.
int32_t ActionWheel();
inline constexpr double kSliderStep = 0.0001;  // smaller changes are not reported

template <bool kVertical, class Slider>
double SliderStart(const Slider& slider) {
  return kVertical ? slider.Oben : slider.Links;
}

// The button's position from the value. A bar no longer than its button
// leaves the button at the start.
template <bool kVertical, class Slider>
void PlaceSliderButton(Slider& slider) {
  double travel = slider.SliderLength > 0 ? slider.SliderLength : 0.0;
  double along = kVertical ? 1.0 - double(slider.Value) : double(slider.Value);
  slider.ButtonPosition = float(SliderStart<kVertical>(slider) + along * travel);
}

// Reports a change above the threshold and remembers it.
template <class Slider>
bool TakeSliderChange(Slider& slider) {
  if (!(std::abs(double(slider.MemoValue) - double(slider.Value)) > kSliderStep)) return false;
  slider.MemoValue = slider.Value;
  return true;
}

// Fields that depend on the place, the value and the wheel speed; the
// pictures and their sizes are already set.
template <bool kVertical, class Slider>
void PlaceSlider(Slider& slider, int32_t x, int32_t y, float value, float wheelspeed) {
  slider.Links = x;
  slider.Oben = y;
  slider.Rechts = x + PictureWidth(slider.BarImage);
  slider.Unten = y + PictureHeight(slider.BarImage);
  slider.SliderEnd = float(double(SliderStart<kVertical>(slider)) + slider.SliderLength);
  slider.Value = float(Clamp(value, 0.0, 1.0));
  // Kept unclamped, so a later setValue to the clamped end still reports.
  // A NaN would never compare as a change again.
  slider.MemoValue = value == value ? value : slider.Value;
  PlaceSliderButton<kVertical>(slider);
  slider.Wheelspeed = wheelspeed;
  slider.activ = 0;
}

template <bool kVertical, class Slider>
std::shared_ptr<Slider> BuildSlider(const char* widgetClass, int32_t x, int32_t y,
                                    const std::string& barName, const std::string& buttonName,
                                    float value, float wheelspeed) {
  auto slider = std::make_shared<Slider>();
  slider->Links = x;
  slider->Oben = y;
  slider->BarImage = LoadWidgetPicture(widgetClass, barName);
  slider->ButtonImage = LoadWidgetPicture(widgetClass, buttonName);
  int32_t bar = kVertical ? PictureHeight(slider->BarImage) : PictureWidth(slider->BarImage);
  int32_t button =
      kVertical ? PictureHeight(slider->ButtonImage) : PictureWidth(slider->ButtonImage);
  slider->HalfButton = HalfOf(button);
  slider->SliderLength = float(bar - button);
  PlaceSlider<kVertical>(*slider, x, y, value, wheelspeed);
  return slider;
}

template <bool kVertical, class Slider>
std::shared_ptr<Slider> CloneSlider(const Slider& source, int32_t x, int32_t y, float value,
                                    float wheelspeed) {
  auto slider = std::make_shared<Slider>();
  slider->BarImage = source.BarImage;
  slider->ButtonImage = source.ButtonImage;
  slider->HalfButton = source.HalfButton;
  slider->SliderLength = source.SliderLength;
  PlaceSlider<kVertical>(*slider, x, y, value, wheelspeed);
  return slider;
}

template <bool kVertical, class Slider>
void DrawSlider(const Slider& slider) {
  const float x = static_cast<float>(slider.Links), y = static_cast<float>(slider.Oben);
  DrawPicture(slider.BarImage, x, y, 0);
  if (kVertical)
    DrawPicture(slider.ButtonImage, x, slider.ButtonPosition, 0);
  else
    DrawPicture(slider.ButtonImage, slider.ButtonPosition, y, 0);
}

template <bool kVertical, class Slider>
uint8_t SetSliderValue(Slider& slider, float value) {
  slider.Value = float(Clamp(value, 0.0, 1.0));
  if (!TakeSliderChange(slider)) return 0;
  PlaceSliderButton<kVertical>(slider);
  return 1;
}

// The button's centre follows the pointer along the bar.
template <bool kVertical, class Slider>
void DragSlider(Slider& slider) {
  double start = SliderStart<kVertical>(slider);
  if (slider.SliderLength <= 0) {
    slider.ButtonPosition = float(start);
    return;
  }
  double pointer = kVertical ? ActionY() : ActionX();
  double position = Clamp(pointer - slider.HalfButton, start, double(slider.SliderEnd));
  double along = (position - start) / double(slider.SliderLength);
  slider.ButtonPosition = float(position);
  slider.Value = float(kVertical ? 1.0 - along : along);
}

// One frame of the slider's state table; answers 1 when the value changed.
template <bool kVertical, class Slider>
uint8_t ShowSlider(Slider& slider) {
  const bool inside = PointerInRect(slider.Links, slider.Oben, slider.Rechts, slider.Unten);
  const uint8_t key = ActionMouseKey();
  const int32_t wheel = ActionWheel();
  bool changed = false;
  switch (slider.activ) {
    case 1:
      if (!inside) {
        slider.activ = 0;
      } else if (key > 0) {
        slider.activ = 2;  // the press itself does not move the button
      } else if (wheel != 0) {
        slider.Value =
            float(Clamp(double(slider.Value) + double(slider.Wheelspeed) * wheel, 0.0, 1.0));
        changed = TakeSliderChange(slider);
        if (changed) PlaceSliderButton<kVertical>(slider);
      }
      break;
    case 2:
      DragSlider<kVertical>(slider);
      if (key == 0) slider.activ = 0;
      changed = TakeSliderChange(slider);
      break;
    default:
      // Only a pointer that arrives with no button held can arm the slider.
      if (key == 0 && inside) slider.activ = 1;
      break;
  }
  DrawSlider<kVertical>(slider);
  return changed ? 1 : 0;
}

}  // namespace widget_support
