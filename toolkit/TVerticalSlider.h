// A bar picture with a button picture that moves along it, bottom (0) to
// top (1). The button is dragged with either mouse button or moved
// by the wheel over the bar; show answers 1 in the frames the value changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

class TVerticalSlider {
 public:
  int32_t Links = 0;
  int32_t Oben = 0;
  int32_t Rechts = 0;
  int32_t Unten = 0;
  PictureRef BarImage;
  PictureRef ButtonImage;
  uint8_t activ = 0;          // 0 idle, 1 hovered (wheel active), 2 dragging
  float Wheelspeed = 0.0f;    // value change per wheel notch
  float SliderLength = 0.0f;  // button travel: bar height - button height
  float SliderEnd = 0.0f;     // Oben + SliderLength
  float MemoValue = 0.0f;     // the value last reported as a change
  float Value = 0.0f;         // 0 to 1
  float ButtonPosition = 0.0f;
  int32_t HalfButton = 0;

  // (x, y) is the bar's top-left corner. A missing picture ends the program.
  static std::shared_ptr<TVerticalSlider> build(int32_t x, int32_t y, const std::string& barName,
                                                const std::string& buttonName, float value,
                                                float wheelspeed);
  uint8_t show();
  uint8_t setValue(float value);  // answers 1 when the button moved
  int32_t show_without_action();
  // Another slider at (x, y) sharing this one's pictures.
  std::shared_ptr<TVerticalSlider> clone(int32_t x, int32_t y, float value, float wheelspeed) const;
};
