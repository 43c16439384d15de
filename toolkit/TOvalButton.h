// A push button drawn from one picture, hit in the ellipse inscribed in the
// picture. Otherwise it behaves as TRectButton.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

class TOvalButton {
 public:
  int32_t MitteX = 0;
  int32_t MitteY = 0;
  int32_t HalbeBreite = 0;
  int32_t HalbeTiefe = 0;
  PictureRef Image;   // handle centred: drawn at (MitteX, MitteY)
  uint8_t activ = 0;  // 0 idle, 1 hovered, 2 pressed, 3 held, 4 clicked
  float Lightfactor = 0.0f;
  float Shadefactor = 0.0f;  // kept; push buttons draw no shade

  // (x, y) is the picture's top-left corner. A missing picture ends the program.
  static std::shared_ptr<TOvalButton> build(int32_t x, int32_t y, const std::string& name,
                                            float lightfactor, float shadefactor);
  uint8_t show();
  int32_t show_without_action();
};
