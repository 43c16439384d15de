// The time base of every animation: a phase within a period read in seven
// modes and passed through sixteen curves.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace speed {
// How GetValue reads the phase: the endless modes also run before the start.
enum Mode : uint8_t {
  kOnce,
  kRepeat,
  kBackForth,
  kSignedWave,
  kRepeatEndless,
  kBackForthEndless,
  kSignedWaveEndless,
  kModeCount
};
// The curve the phase is passed through, by its shape on 0..1.
enum Curve : uint8_t {
  kLinear,
  kSineInOut,
  kSmoothS,
  kCubicIn,
  kQuinticOut,
  kSoftOvershootOut,  // to 1.103
  kDipThenRise,
  kFastOvershootOut,  // to 1.099
  kSwingBackThenRise,
  kOvershootOut,  // cubic, to 1.112
  kSwingBothWays,
  kRiseFallRise,
  kWobble,
  kQuarterSineOut,
  kQuarterSineIn,
  kStep
};
}  // namespace speed

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
  std::vector<int32_t> CreateWaitingSequence(int32_t high, int32_t low, int32_t count, uint8_t kind,
                                             int32_t base, const std::vector<int32_t>& groups);
  int SetUserControl(const std::vector<int32_t>& keys, const std::vector<int32_t>& buttons);
  int32_t GetUserControl() const;
};

// A permutation of 0..n-1; a larger exponent favours taking low positions.
std::vector<int32_t> RandomOrder(int32_t n, float exponent);
