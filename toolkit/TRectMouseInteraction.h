// An invisible rectangle that turns the input snapshot into hover, press,
// drag, click and wheel state. The owner calls update once per frame after
// Action->update() and reads the fields.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

class TRectMouseInteraction {
 public:
  int32_t Links = 0;
  int32_t Oben = 0;
  int32_t Breite = 0;
  int32_t Tiefe = 0;
  // 0 idle, 1 hovered, 2 pressed (first frame), 3 held, 4 released inside
  // (one frame: the click).
  uint8_t activ = 0;
  std::array<int32_t, 2> Touchposition{0, 0};  // where the press began or the wheel turned
  std::array<int32_t, 2> Moveposition{0, 0};   // pointer in the latest frame of a press
  uint8_t wheelactiv = 0;
  int32_t changed_Z = 0;

  static std::shared_ptr<TRectMouseInteraction> build(int32_t x, int32_t y, int32_t width,
                                                      int32_t height);
  int32_t update();
};
