// One line of text that pops up and waves letter by letter.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/TSpeedControl.h"

class TTextSnake {
 public:
  int32_t CountLetters = 0;
  int32_t HalfWidth = 0;
  std::vector<std::string> Letter;
  std::vector<int32_t> Letterwidth;
  int32_t Letterheight = 0;
  int32_t appear_time = 0;
  int32_t up_down_time = 0;
  int32_t single_waiting = 0;
  int32_t up_down_way = 0;
  std::shared_ptr<TSpeedControl> SpeedControl;
  // 1: every letter gets a halo drawn from its own glyph, dark behind a
  // light colour and light behind a dark one, so the text reads on any
  // backdrop. Off by default.
  uint8_t Outline = 0;

  static std::shared_ptr<TTextSnake> build(const std::string& text, int32_t appearTime,
                                           int32_t upDownTime, int32_t upDownWay);
  int draw(float x, float y);

 private:
  void DrawHalo(const std::vector<float>& letterX, const std::vector<float>& letterY, float s);
};
