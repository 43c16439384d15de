// The time base of every animation: a phase within a period read in seven
// modes and passed through sixteen curves.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TSpeedControl {
 public:
  int32_t StartTime = 0;
  int32_t RealStartPoint = 0;
  int32_t Now = 0;
  int32_t Duration = 0;
  int32_t Repetitions = 0;
  float GeneralState = 0.0f;
  float AbsState[7] = {0, 0, 0, 0, 0, 0, 0};
  int32_t Sign[7] = {0, 0, 0, 0, 0, 0, 0};
  std::vector<int32_t> ControlKeys;
  std::vector<int32_t> ControlMouseKeys;

  static std::shared_ptr<TSpeedControl> build();
  int Start();
  int UpdateTime();
  int UpdateStates(int32_t period, int32_t delay);
  float GetValue(uint8_t mode, uint8_t curve) const;
  std::vector<int32_t> CreateWaitingSequence(int32_t high, int32_t low, int32_t count,
                                             uint8_t kind, int32_t base,
                                             const std::vector<int32_t>& groups);
  int SetUserControl(const std::vector<int32_t>& keys, const std::vector<int32_t>& buttons);
  int32_t GetUserControl() const;
};

// A permutation of 0..n-1; a larger exponent favours taking low positions.
std::vector<int32_t> RandomOrder(int32_t n, float exponent);
