// A two-state toggle with one picture per state, hit in the ellipse
// inscribed in the first picture. Otherwise it behaves as TRectCheckButton.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

class TOvalCheckButton {
 public:
  int32_t MitteX = 0;
  int32_t MitteY = 0;
  int32_t HalbeBreite = 0;
  int32_t HalbeTiefe = 0;
  std::array<PictureRef, 2> Image;  // [0] unselected, [1] selected; handles centred
  uint8_t activ = 0;                // 0 idle, 1 hovered, 2 pressed, 3 held, 4 clicked
  uint8_t selected = 0;
  uint8_t antiselected = 0;  // always 1 - selected
  float Lightfactor = 0.0f;
  float Shadefactor = 0.0f;  // alpha of the shade of the pressed look

  // Only the first picture sets the size. A missing picture ends the program.
  static std::shared_ptr<TOvalCheckButton> build(int32_t x, int32_t y,
                                                 const std::string& unselectedName,
                                                 const std::string& selectedName,
                                                 uint8_t initiallySelected, float lightfactor,
                                                 float shadefactor);
  uint8_t show();
  uint8_t setSelected(uint8_t value);  // 1 selects, anything else unselects
  int32_t show_without_action();
};
