#include "toolkit/TSpeedControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

class TSpeedControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    backend->now = 1000;
    sc = TSpeedControl::build();
    sc->Start();
  }
  // The state `ms` milliseconds after Start.
  void At(int ms, int period, int delay = 0) {
    backend->now = 1000 + ms;
    sc->UpdateTime();
    sc->UpdateStates(period, delay);
  }
  // Reads curve `curve` at x with the given sign, bypassing the clock.
  float CurveAt(uint8_t curve, float x, int sign = 1) {
    sc->AbsState[1] = x;
    sc->Sign[1] = sign;
    return sc->GetValue(1, curve);
  }
  std::shared_ptr<HeadlessBackend> backend;
  std::shared_ptr<TSpeedControl> sc;
};

TEST_F(TSpeedControlTest, NewObjectReadsZeroEverywhere) {
  auto fresh = TSpeedControl::build();
  for (uint8_t m = 0; m < 7; m++) EXPECT_EQ(fresh->GetValue(m, 0), 0.0f);
  EXPECT_EQ(fresh->StartTime, 0);
  EXPECT_TRUE(fresh->ControlKeys.empty());
}

TEST_F(TSpeedControlTest, StartAndUpdateTimeReadTheClock) {
  EXPECT_EQ(sc->StartTime, 1000);
  backend->now = 1234;
  sc->UpdateTime();
  EXPECT_EQ(sc->Now, 1234);
  EXPECT_EQ(sc->Duration, 234);
  // UpdateStates works from Now, not from the clock.
  backend->now = 5000;
  sc->UpdateStates(100, 0);
  EXPECT_EQ(sc->Repetitions, 2);
  EXPECT_FLOAT_EQ(sc->GeneralState, 0.34f);
}

TEST_F(TSpeedControlTest, OnceRisesOverOnePeriodThenStaysAtOne) {
  At(0, 150);
  EXPECT_EQ(sc->GetValue(0, 0), 0.0f);
  At(75, 150);
  EXPECT_FLOAT_EQ(sc->GetValue(0, 0), 0.5f);
  At(150, 150);
  EXPECT_EQ(sc->GetValue(0, 0), 1.0f);
  At(10000, 150);
  EXPECT_EQ(sc->GetValue(0, 0), 1.0f);
}

TEST_F(TSpeedControlTest, BeforeTheStartPoint) {
  At(500, 400, 1000);  // e = -500
  EXPECT_EQ(sc->RealStartPoint, 2000);
  EXPECT_EQ(sc->Repetitions, -1);
  EXPECT_FLOAT_EQ(sc->GeneralState, -0.25f);
  for (uint8_t m = 0; m < 4; m++) EXPECT_EQ(sc->GetValue(m, 0), 0.0f) << int(m);
  EXPECT_FLOAT_EQ(sc->GetValue(4, 0), 0.75f);
  EXPECT_FLOAT_EQ(sc->GetValue(5, 0), 0.75f);
  EXPECT_FLOAT_EQ(sc->GetValue(6, 0), -0.75f);
}

TEST_F(TSpeedControlTest, ExactlyOnePeriodAfterTheStartPoint) {
  At(1400, 400, 1000);
  EXPECT_EQ(sc->Repetitions, 1);
  EXPECT_EQ(sc->GeneralState, 0.0f);
  EXPECT_EQ(sc->GetValue(0, 0), 1.0f);
  EXPECT_EQ(sc->GetValue(1, 0), 0.0f);
  EXPECT_EQ(sc->GetValue(2, 0), 1.0f);
}

TEST_F(TSpeedControlTest, SignedWaveOverFourPeriods) {
  const float expected[] = {0, 1, 0, -1, 0};
  for (int n = 0; n <= 4; n++) {
    At(n * 200, 200);
    EXPECT_EQ(sc->GetValue(3, 0), expected[n]) << n;
    EXPECT_EQ(sc->GetValue(6, 0), expected[n]) << n;
  }
  At(500, 200);  // half way through the third period: falling side, negated
  EXPECT_FLOAT_EQ(sc->GetValue(3, 0), -0.5f);
  At(300, 200);
  EXPECT_FLOAT_EQ(sc->GetValue(2, 0), 0.5f);
  At(700, 200);  // period 3: back, negated
  EXPECT_FLOAT_EQ(sc->GetValue(3, 0), -0.5f);
  EXPECT_FLOAT_EQ(sc->GetValue(1, 0), 0.5f);
}

// Modes 4-6 run before the start point: 4 continues its sawtooth, 5 is
// mirrored and 6 point-mirrored about the start point.
TEST_F(TSpeedControlTest, EndlessModesAreSymmetricAboutTheStartPoint) {
  const int delay = 5000, period = 300;
  for (int t = 37; t < 4 * period * 3; t += 37) {
    At(delay + t, period, delay);
    const float four = sc->GetValue(4, 0), five = sc->GetValue(5, 0), six = sc->GetValue(6, 0);
    At(delay - t, period, delay);
    EXPECT_NEAR(sc->GetValue(5, 0), five, 1e-5) << t;
    EXPECT_NEAR(sc->GetValue(6, 0), -six, 1e-5) << t;
    // Sawtooth continued backwards: the phases at t and -t add up to 1.
    EXPECT_NEAR(four + sc->GetValue(4, 0), 1.0f, 1e-5) << t;
  }
}

TEST_F(TSpeedControlTest, WaveWithCurve13IsOneSineBeforeAndAfterTheStart) {
  const int period = 800, delay = 2000;
  for (int t = 0; t < 8000; t += 53) {
    At(t, period, delay);
    double expected = std::sin((t - delay) * 3.14159265358979 / 2.0 / period);
    EXPECT_NEAR(sc->GetValue(6, 13), expected, 1e-5) << t;
  }
}

TEST_F(TSpeedControlTest, CurveShapes) {
  for (uint8_t c = 0; c <= 14; c++) {
    EXPECT_NEAR(CurveAt(c, 0.0f), 0.0f, 2e-6) << int(c);
    EXPECT_NEAR(CurveAt(c, 1.0f), 1.0f, 2e-4) << int(c);
    EXPECT_NEAR(CurveAt(c, 1.0f, -1), -1.0f, 2e-4) << int(c);
  }
  EXPECT_FLOAT_EQ(CurveAt(0, 0.3f), 0.3f);
  EXPECT_NEAR(CurveAt(1, 0.5f), 0.5f, 1e-6);
  EXPECT_NEAR(CurveAt(2, 0.25f), 0.132f, 1e-3);
  EXPECT_NEAR(CurveAt(2, 0.5f), 0.6245f, 1e-3);
  EXPECT_NEAR(CurveAt(2, 0.75f), 0.9499f, 1e-3);
  EXPECT_NEAR(CurveAt(3, 0.5f), 0.125f, 1e-6);
  EXPECT_NEAR(CurveAt(4, 0.5f), 1.0f - 1.0f / 32, 1e-6);
  EXPECT_NEAR(CurveAt(5, 0.775f), 1.103f, 2e-3);
  EXPECT_NEAR(CurveAt(6, 0.365f), -0.088f, 2e-3);
  EXPECT_NEAR(CurveAt(7, 0.645f), 1.099f, 2e-3);
  EXPECT_NEAR(CurveAt(8, 0.25f), -0.124f, 2e-3);
  EXPECT_NEAR(CurveAt(9, 0.78f), 1.112f, 2e-3);
  EXPECT_NEAR(CurveAt(10, 0.2f), -0.100f, 2e-3);
  EXPECT_NEAR(CurveAt(10, 0.8f), 1.100f, 2e-3);
  EXPECT_NEAR(CurveAt(11, 0.38f), 0.604f, 2e-3);
  EXPECT_NEAR(CurveAt(11, 0.62f), 0.396f, 2e-3);
  EXPECT_NEAR(CurveAt(12, 0.1f), -0.084f, 2e-3);
  EXPECT_NEAR(CurveAt(12, 0.9f), 1.084f, 2e-3);
  EXPECT_NEAR(CurveAt(13, 1.0f / 3), 0.5f, 1e-6);
  EXPECT_NEAR(CurveAt(14, 2.0f / 3), 0.5f, 1e-6);
  EXPECT_NEAR(CurveAt(9, 0.4f, -1), -CurveAt(9, 0.4f), 1e-7);
}

TEST_F(TSpeedControlTest, StepCurveAndUnknownCurves) {
  EXPECT_EQ(CurveAt(15, 0.49f), 0.0f);
  EXPECT_EQ(CurveAt(15, 0.5f), 1.0f);
  EXPECT_EQ(CurveAt(15, 0.5f, -1), -1.0f);
  EXPECT_EQ(CurveAt(15, 0.49f, -1), 0.0f);
  EXPECT_EQ(CurveAt(15, 1.0f), 1.0f);
  EXPECT_EQ(CurveAt(200, 0.37f), 0.37f);
  EXPECT_EQ(CurveAt(16, 0.37f, -1), -0.37f);
}

TEST_F(TSpeedControlTest, WaitingSequenceKinds) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 4, 0, 50, {}), (V{50, 300, 550, 800}));
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 4, 1, 50, {}), (V{800, 550, 300, 50}));
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 4, 2, 50, {}), (V{1050, 50, 50, 1050}));
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 4, 3, 50, {}), (V{50, 1050, 1050, 50}));
  // Odd count: the middle element is its own mirror.
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 5, 3, 0, {}), (V{0, 400, 800, 400, 0}));
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 5, 2, 0, {}), (V{1000, 600, 200, 600, 1000}));
  // Truncation toward zero of each value.
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 3, 0, 0, {}), (V{0, 333, 666}));
}

TEST_F(TSpeedControlTest, WaitingSequenceWithGroups) {
  using V = std::vector<int32_t>;
  // Groups begin at the 1st and 3rd element.
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 5, 0, 0, {1, 3}), (V{0, 0, 500, 500, 500}));
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 5, 1, 0, {1, 3}), (V{500, 500, 500, 0, 0}));
  // Before the first group's start the element belongs to group 0.
  EXPECT_EQ(sc->CreateWaitingSequence(900, 0, 4, 0, 10, {2, 4, 3}), (V{10, 10, 610, 610}));
}

TEST_F(TSpeedControlTest, WaitingSequenceRandomKinds) {
  SeedRandom(12345);
  auto order = sc->CreateWaitingSequence(1000, 0, 4, 4, 7, {});
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order, (std::vector<int32_t>{7, 257, 507, 757}));

  for (int32_t v : sc->CreateWaitingSequence(300, 100, 50, 5, 1000, {})) {
    EXPECT_GE(v, 1000);
    EXPECT_LE(v, 1200);
  }
  auto grouped = sc->CreateWaitingSequence(1000, 0, 9, 6, 0, {1, 4, 8});
  EXPECT_EQ(grouped[0], grouped[1]);
  EXPECT_EQ(grouped[1], grouped[2]);
  EXPECT_EQ(grouped[3], grouped[6]);
  EXPECT_EQ(grouped[7], grouped[8]);

  // Same seed, same sequence: the draws are part of the behaviour.
  SeedRandom(99);
  auto a = sc->CreateWaitingSequence(1000, 0, 6, 5, 0, {});
  SeedRandom(99);
  EXPECT_EQ(sc->CreateWaitingSequence(1000, 0, 6, 5, 0, {}), a);
}

TEST_F(TSpeedControlTest, EmptyWaitingSequenceIsSafeForEveryKind) {
  for (uint8_t kind = 0; kind <= 5; kind++)
    EXPECT_TRUE(sc->CreateWaitingSequence(1000, 0, 0, kind, 0, {}).empty()) << int(kind);
}

TEST_F(TSpeedControlTest, RandomOrderIsAPermutation) {
  EXPECT_EQ(RandomOrder(0, 1.0f), std::vector<int32_t>{0});
  EXPECT_EQ(RandomOrder(-3, 1.0f), std::vector<int32_t>{0});
  EXPECT_EQ(RandomOrder(1, 1.0f), std::vector<int32_t>{0});
  SeedRandom(4711);
  for (int n = 2; n < 40; n++) {
    for (float exponent : {0.5f, 1.0f, 3.0f, -1.0f}) {
      auto a = RandomOrder(n, exponent);
      ASSERT_EQ(int(a.size()), n);
      std::sort(a.begin(), a.end());
      std::vector<int32_t> id(n);
      std::iota(id.begin(), id.end(), 0);
      EXPECT_EQ(a, id) << n << " " << exponent;
    }
  }
}

TEST_F(TSpeedControlTest, RandomOrderWithExponentOneIsUniform) {
  SeedRandom(2024);
  std::map<std::vector<int32_t>, int> seen;
  const int trials = 6000;
  for (int i = 0; i < trials; i++) seen[RandomOrder(3, 1.0f)]++;
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& [perm, count] : seen) EXPECT_NEAR(count, trials / 6, 150);
}

TEST_F(TSpeedControlTest, LargerExponentFavoursLowPositions) {
  // Taking position 0 moves the first value to the back.
  SeedRandom(77);
  int uniform = 0, skewed = 0;
  for (int i = 0; i < 2000; i++) {
    if (RandomOrder(5, 1.0f)[4] == 0) uniform++;
    if (RandomOrder(5, 4.0f)[4] == 0) skewed++;
  }
  EXPECT_NEAR(uniform, 400, 80);
  EXPECT_GT(skewed, 2 * uniform);
}

TEST_F(TSpeedControlTest, UserControlDefaultsAndOrder) {
  backend->KeyDown(kKeySpace);
  EXPECT_EQ(sc->GetUserControl(), 0);  // never configured
  backend->KeyUp(kKeySpace);

  sc->SetUserControl({}, {});
  EXPECT_EQ(sc->ControlKeys, (std::vector<int32_t>{32, 13, 39, 40}));
  EXPECT_EQ(sc->ControlMouseKeys, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(sc->GetUserControl(), 0);
  backend->Press(2);
  EXPECT_EQ(sc->GetUserControl(), 2);
  backend->KeyDown(kKeyDown);
  EXPECT_EQ(sc->GetUserControl(), 40);  // keys before buttons
  backend->KeyDown(kKeyEnter);
  EXPECT_EQ(sc->GetUserControl(), 13);

  sc->SetUserControl({65}, {3});
  EXPECT_EQ(sc->GetUserControl(), 0);
  backend->Press(3);
  EXPECT_EQ(sc->GetUserControl(), 3);
}

}  // namespace
