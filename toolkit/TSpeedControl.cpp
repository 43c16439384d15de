#include "toolkit/TSpeedControl.h"

#include <cmath>
#include <cstdlib>

#include "platform/platform.h"

namespace {

using namespace speed;

constexpr double kDegree = 3.14159265358979323846 / 180.0;

double SinDeg(double degrees) { return std::sin(degrees * kDegree); }
double CosDeg(double degrees) { return std::cos(degrees * kDegree); }

// The sixteen curve shapes on 0..1; the coefficients are single-precision
// constants, the powers are taken in double precision.
double CurveShape(uint8_t curve, float x) {
  const double d = x;
  auto p = [d](int n) { return std::pow(d, n); };
  switch (curve) {
    case 1:
      return 0.5 * (1.0 - CosDeg(180.0f * x));
    case 2:
      return -15.466208f * p(6) + 55.748768f * p(5) - 72.06551f * p(4) + 37.111656f * p(3) -
             4.614007f * p(2) + 0.285305f * d;
    case 3:
      return p(3);
    case 4:
      return std::pow(double(x - 1.0f), 5) + 1.0;
    case 5:
      return -2.404f * p(6) + 26.38991f * p(5) - 52.68866f * p(4) + 34.27283f * p(3) -
             4.82741f * p(2) + 0.25734f * d;
    case 6:
      return -2.65747f * p(4) + 6.64292f * p(3) - 3.13238f * p(2) + 0.14694f * d;
    case 7:
      return 3.07613f * p(4) - 5.19295f * p(3) + 0.21918f * p(2) + 2.89764f * d;
    case 8:
      return p(5) - SinDeg(360.0f * x) / 8.0;
    case 9:
      return std::pow(double(x - 1.0f), 3) + 1.0 - SinDeg(360.0f * x) / 8.0;
    case 10:
      return 28.525017f * p(5) - 71.31254f * p(4) + 55.364037f * p(3) - 11.733512f * p(2) +
             0.157001f * d;
    case 11:
      return 223.23274f * p(7) - 781.31464f * p(6) + 1015.71545f * p(5) - 586.00214f * p(4) +
             132.10803f * p(3) - 2.817255f * p(2) + 0.077735f * d;
    case 12:
      return 471.8776f * p(7) - 1651.5717f * p(6) + 2203.4624f * p(5) - 1379.727f * p(4) +
             394.23825f * p(3) - 37.416138f * p(2) + 0.136511f * d;
    case 13:
      return SinDeg(90.0f * x);
    case 14:
      return 1.0 - CosDeg(90.0f * x);
    default:
      return d;
  }
}

constexpr uint8_t kStepCurve = kStep;

}  // namespace

std::shared_ptr<TSpeedControl> TSpeedControl::build() { return std::make_shared<TSpeedControl>(); }

int TSpeedControl::Start() {
  StartTime = ClockMs();
  Duration = 0;
  Repetitions = 0;
  return 0;
}

int TSpeedControl::UpdateTime() {
  Now = ClockMs();
  Duration = Now - StartTime;
  return 0;
}

int TSpeedControl::UpdateStates(int32_t period, int32_t delay) {
  // A period below 1 ms would divide by zero; no caller passes one.
  const int32_t p = period < 1 ? 1 : period;
  RealStartPoint = StartTime + delay;
  const int32_t e = Now - RealStartPoint;
  Repetitions = e / p;
  GeneralState = float(e - Repetitions * p) / float(p);
  for (int m = 0; m < kModeCount; m++) {
    AbsState[m] = GeneralState;
    Sign[m] = 1;
  }
  if (Now >= RealStartPoint && Repetitions > 0) {
    AbsState[kOnce] = 1.0f;
    if (Repetitions % 2 == 1) {
      const float back = 1.0f - GeneralState;
      AbsState[kBackForth] = AbsState[kSignedWave] = back;
      AbsState[kBackForthEndless] = AbsState[kSignedWaveEndless] = back;
    }
    if (Repetitions % 4 == 2 || Repetitions % 4 == 3)
      Sign[kSignedWave] = Sign[kSignedWaveEndless] = -1;
  }
  if (Now < RealStartPoint) {
    AbsState[kOnce] = AbsState[kRepeat] = AbsState[kBackForth] = AbsState[kSignedWave] = 0.0f;
    AbsState[kRepeatEndless] = GeneralState + 1.0f;
    const float mirrored = Repetitions % 2 == 0 ? std::fabs(GeneralState) : GeneralState + 1.0f;
    AbsState[kBackForthEndless] = AbsState[kSignedWaveEndless] = mirrored;
    if (Repetitions % 4 == 0 || Repetitions % 4 == -1) Sign[kSignedWaveEndless] = -1;
  }
  return 0;
}

float TSpeedControl::GetValue(uint8_t mode, uint8_t curve) const {
  if (mode >= kModeCount) return 0.0f;
  const float x = AbsState[mode];
  const int32_t s = Sign[mode];
  if (curve == kStepCurve) return float(s * int32_t(2.0f * x + 1.0f) / 2);
  return float(s * CurveShape(curve, x));
}

std::vector<int32_t> TSpeedControl::CreateWaitingSequence(int32_t high, int32_t low, int32_t count,
                                                          uint8_t kind, int32_t base,
                                                          const std::vector<int32_t>& groups) {
  if (count <= 0) return {};
  std::vector<int32_t> result(count, 0);
  const int32_t span = high - low;
  const int32_t groupCount = groups.empty() ? count : int32_t(groups.size());
  const float G = float(groupCount);
  const float spread = static_cast<float>(span);
  auto group = [&](int32_t k) {
    if (groups.empty()) return k;
    int32_t g = 0;
    for (int32_t i = 0; i < groupCount; i++)
      if (k >= groups[i] - 1) g = i;
    return g;
  };
  auto delay = [&](float value) { return int32_t(value + float(base)); };

  switch (kind) {
    case 0:
      for (int32_t k = 0; k < count; k++) result[k] = delay(float(group(k)) * spread / G);
      break;
    case 1:
      for (int32_t k = 0; k < count; k++)
        result[count - 1 - k] = delay(float(group(k)) * spread / G);
      break;
    case 2:
      for (int32_t k = 0; k <= count / 2; k++)
        result[k] = result[count - 1 - k] = delay((G / 2.0f - float(group(k))) * 2.0f * spread / G);
      break;
    case 3:
      for (int32_t k = 0; k <= count / 2; k++)
        result[k] = result[count - 1 - k] = delay(float(group(k)) * 2.0f * spread / G);
      break;
    case 4: {
      const std::vector<int32_t> order = RandomOrder(groupCount, 1.0f);
      for (int32_t k = 0; k < count; k++) result[k] = delay(float(order[group(k)]) * spread / G);
      break;
    }
    default:
      if (groups.empty()) {
        for (int32_t k = 0; k < count; k++) result[k] = RandomInt(0, span) + base;
      } else {
        // Elements of one group share the delay drawn where the group begins.
        int32_t r = RandomInt(0, span);
        for (int32_t k = 0; k < count; k++) {
          bool begins = k == 0;
          for (int32_t g : groups) begins = begins || k == g - 1;
          if (begins) r = RandomInt(0, span);
          result[k] = r + base;
        }
      }
      break;
  }
  return result;
}

int TSpeedControl::SetUserControl(const std::vector<int32_t>& keys,
                                  const std::vector<int32_t>& buttons) {
  ControlKeys =
      keys.empty() ? std::vector<int32_t>{kKeySpace, kKeyEnter, kKeyRight, kKeyDown} : keys;
  ControlMouseKeys = buttons.empty() ? std::vector<int32_t>{1, 2} : buttons;
  return 0;
}

int32_t TSpeedControl::GetUserControl() const {
  for (int32_t key : ControlKeys)
    if (KeyIsDown(key)) return key;
  for (int32_t button : ControlMouseKeys)
    if (ButtonIsDown(button)) return button;
  return 0;
}

std::vector<int32_t> RandomOrder(int32_t n, float exponent) {
  if (n <= 0) return {0};
  std::vector<int32_t> a(n);
  for (int32_t i = 0; i < n; i++) a[i] = i;
  for (int32_t s = n - 1; s >= 1; s--) {
    const double r = RandomFloat(0.0f, 1.0f);
    const double pick = (s + 1) * std::pow(r, double(exponent));
    // A draw that rounds up to 1 (or a negative exponent) would point past
    // the end; it leaves the order as it is.
    if (!(pick < s)) continue;
    const int32_t j = int32_t(pick);
    const int32_t taken = a[j];
    for (int32_t i = j; i < s; i++) a[i] = a[i + 1];
    a[s] = taken;
  }
  return a;
}
