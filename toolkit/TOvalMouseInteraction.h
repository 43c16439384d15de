// An invisible ellipse, inscribed in a box, that turns the input snapshot
// into hover, press, drag, click and wheel state, like TRectMouseInteraction.
// Boxes narrower or lower than 2 pixels have no inside.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

class TOvalMouseInteraction {
 public:
  int32_t HalbeBreite = 0;
  int32_t HalbeTiefe = 0;
  int32_t MitteX = 0;
  int32_t MitteY = 0;
  // 0 idle, 1 hovered, 2 pressed (first frame), 3 held, 4 released inside
  // (one frame: the click).
  uint8_t activ = 0;
  std::array<int32_t, 2> Touchposition{0, 0};
  std::array<int32_t, 2> Moveposition{0, 0};
  uint8_t wheelactiv = 0;
  int32_t changed_Z = 0;

  static std::shared_ptr<TOvalMouseInteraction> build(int32_t x, int32_t y, int32_t width,
                                                      int32_t height);
  int32_t update();
};
