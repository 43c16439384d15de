// A row of equally sized picture cells of which exactly one is selected.
// Each cell has an unselected and a selected look, frame i of two strips.
// show highlights the hovered cell, shows the pressed cell in its other look
// while held and selects it on release.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

class TRectRadioButtonHorizontalGroup {
 public:
  int32_t Links = 0;
  int32_t Oben = 0;
  int32_t Rechts = 0;
  int32_t Unten = 0;
  int32_t Count = 0;                // highest cell index
  std::array<PictureRef, 2> Image;  // strips: [0] unselected looks, [1] selected looks
  uint8_t activ = 0;                // 0 idle, 1 hovering, 2 pressed, 3 held, 4 just selected
  int32_t Length = 0;               // cell width
  uint8_t selectedIndex = 0;        // 1-based
  std::vector<uint8_t> selected;
  std::vector<uint8_t> antiselected;
  float Lightfactor = 0.0f;
  float Shadefactor = 0.0f;  // not used

  // 1 to 255 cells; initiallySelected (1-based) is clamped to the cells. A
  // missing strip or an impossible layout ends the program with a message.
  static std::shared_ptr<TRectRadioButtonHorizontalGroup> build(
      int32_t x, int32_t y, const std::string& unselectedStrip, const std::string& selectedStrip,
      int32_t cells, int32_t cellWidth, int32_t cellHeight, int32_t initiallySelected,
      float lightfactor);
  uint8_t show();
  uint8_t setSelected(uint8_t n);  // answers 1 when the selection changed
  int32_t show_without_action();
};
