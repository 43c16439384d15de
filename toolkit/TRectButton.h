// A push button drawn from one picture, hit in its rectangle. show draws it
// once per frame (lit while hovered, pressed while held) and answers 1 in
// the frame the button is released over it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

class TRectButton {
 public:
  int32_t Links = 0;
  int32_t Oben = 0;
  int32_t Rechts = 0;
  int32_t Unten = 0;
  PictureRef Image;
  uint8_t activ = 0;  // 0 idle, 1 hovered, 2 pressed, 3 held, 4 clicked
  float Lightfactor = 0.0f;
  float Shadefactor = 0.0f;  // kept; push buttons draw no shade

  // (x, y) is the picture's top-left corner. A missing picture ends the program.
  static std::shared_ptr<TRectButton> build(int32_t x, int32_t y, const std::string& name,
                                            float lightfactor, float shadefactor);
  uint8_t show();
  int32_t show_without_action();
};
