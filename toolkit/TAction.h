// The once-per-frame input snapshot.
#pragma once

#include <cstdint>
#include <memory>

class TAction {
 public:
  uint8_t changed = 0;
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Memo_X = 0;
  int32_t Memo_Y = 0;
  uint8_t MouseKey = 0;  // 0 none, 1 left, 2 right
  int32_t Z = 0;
  int32_t Memo_Z = 0;
  int32_t changed_Z = 0;
  int32_t Char = 0;
  int32_t Memo_Char = 0;
  uint8_t Strg = 0;
  uint8_t Alt = 0;
  uint8_t Space = 0;
  uint8_t Enter = 0;
  uint8_t Arrow = 0;  // 0 none, 1 Left, 2 Right, 3 Down, 4 Up, 5 Page Down, 6 Page Up
  uint8_t Escape = 0;
  uint8_t Close = 0;

  static std::shared_ptr<TAction> build();
  int32_t update();
  int32_t wait();  // works on the global Action
  int32_t flush(int32_t unusedX = -99999, int32_t unusedY = -99999);
};
