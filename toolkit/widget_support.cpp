#include "toolkit/widget_support.h"

#include <cmath>
#include <string>

#include "toolkit/TAction.h"
#include "toolkit/ui_state.h"

namespace widget_support {

void FailBuild(const char* widgetClass, const std::string& name) {
  Notify(std::string("Error while building '") + widgetClass + "':\nThe file '" + name +
         "'\nwasn't found. The program will stop!");
  EndProgram(1);
}

PictureRef LoadWidgetPicture(const char* widgetClass, const std::string& name) {
  PictureRef picture = LoadPicture(name);
  if (!picture) FailBuild(widgetClass, name);
  return picture;
}

PictureRef LoadWidgetStrip(const char* widgetClass, const std::string& name, int32_t cellWidth,
                           int32_t cellHeight, int32_t cells) {
  PictureRef strip = LoadPictureStrip(name, cellWidth, cellHeight, 0, cells);
  if (!strip) FailBuild(widgetClass, name);
  return strip;
}

int32_t ActionX() { return Action->X; }
int32_t ActionY() { return Action->Y; }
uint8_t ActionMouseKey() { return Action->MouseKey; }
int32_t ActionWheel() { return Action->changed_Z; }

bool PointerInRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  int64_t x = Action->X, y = Action->Y;
  return left < x && x < right && top < y && y < bottom;
}

bool PointerInOval(int32_t centreX, int32_t centreY, int32_t halfWidth, int32_t halfHeight) {
  if (halfWidth <= 0 || halfHeight <= 0) return false;
  double dx = double(Action->X) - centreX, dy = double(Action->Y) - centreY;
  double a = halfWidth, b = halfHeight;
  return dx * dx / (a * a) + dy * dy / (b * b) <= 1.0;
}

void CheckRadioLayout(const char* widgetClass, int32_t cells, int32_t cellWidth,
                      int32_t cellHeight) {
  std::string problem;
  if (cells < 1 || cells > kMostRadioCells)
    problem = "A group holds 1 to " + std::to_string(kMostRadioCells) + " cells, not " +
              std::to_string(cells) + ".";
  else if (cellWidth < 1 || cellHeight < 1)
    problem = "A cell of " + std::to_string(cellWidth) + " x " + std::to_string(cellHeight) +
              " pixels cannot be shown.";
  if (problem.empty()) return;
  Notify(std::string("Error while building '") + widgetClass + "':\n" + problem +
         "\nThe program will stop!");
  EndProgram(1);
}

int32_t HalfOf(int32_t extent) { return int32_t(float(extent) * 0.5f); }

void DrawLit(const PictureRef& picture, float x, float y, int frame, float lightfactor) {
  DrawPicture(picture, x, y, frame);
  SetBlend(kBlendLight);
  SetAlpha(lightfactor);
  DrawPicture(picture, x, y, frame);
  SetBlend(kBlendAlpha);
  SetAlpha(1.0f);
}

void DrawShaded(const PictureRef& picture, float x, float y, int frame, float shadefactor) {
  DrawPicture(picture, x, y, frame);
  SetBlend(kBlendShade);
  SetAlpha(shadefactor);
  DrawPicture(picture, x, y, frame);
  SetBlend(kBlendAlpha);
  SetAlpha(1.0f);
}

double Clamp(double value, double lo, double hi) {
  if (std::isnan(value)) return lo;
  if (value > hi) value = hi;
  if (value < lo) value = lo;
  return value;
}

void AdvanceMouseArea(bool inside, uint8_t& activ, std::array<int32_t, 2>& touchposition,
                      std::array<int32_t, 2>& moveposition, uint8_t& wheelactiv,
                      int32_t& changedZ) {
  const std::array<int32_t, 2> pointer{Action->X, Action->Y};
  const uint8_t key = Action->MouseKey;
  switch (activ) {
    case 1:
      if (!inside) {
        activ = 0;
        break;
      }
      wheelactiv = 0;
      if (key > 0) {
        activ = 2;
        touchposition = pointer;
      } else if (Action->changed_Z != 0) {
        touchposition = pointer;
        changedZ = Action->changed_Z;
        wheelactiv = 1;
      }
      break;
    case 2:
    case 3:
      // The press is kept wherever the pointer goes until the release.
      activ = 3;
      moveposition = pointer;
      if (key == 0) activ = inside ? 4 : 0;
      break;
    case 4:
      activ = inside ? 1 : 0;
      break;
    default:
      // Only a pointer that arrives with no button held can arm the area.
      if (key == 0 && inside) activ = 1;
      break;
  }
}

ButtonStep AdvanceButton(uint8_t activ, bool inside) {
  const uint8_t key = Action->MouseKey;
  switch (activ) {
    case 1:
      if (!inside) return {0, ButtonLook::kPlain, false};
      if (key > 0) return {2, ButtonLook::kPressed, false};
      return {1, ButtonLook::kLit, false};
    case 2:
    case 3:
      // A press that leaves the widget is cancelled for good.
      if (!inside) return {0, ButtonLook::kPlain, false};
      if (key == 0) return {4, ButtonLook::kLit, true};
      return {3, ButtonLook::kPressed, false};
    case 4:
      if (inside) return {1, ButtonLook::kLit, false};
      return {0, ButtonLook::kPlain, false};
    default:
      if (key == 0 && inside) return {1, ButtonLook::kLit, false};
      return {0, ButtonLook::kPlain, false};
  }
}

}  // namespace widget_support
