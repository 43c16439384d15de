#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

// The generator as its definition reads: multiplication by 48271 modulo
// 2^31 - 1, computed here in 64 bits instead of the split the code uses.
struct Reference {
  int64_t state = 4660;
  int64_t Step() { return state = state * 48271 % 2147483647; }
  double Unit() {
    int64_t s1 = Step(), s2 = Step();
    return (double(s1 & 0x1FFFFFFC) + double(s2 & 0x1FFFFFF8) / 134217728.0) / 536870912.0;
  }
};

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallHeadlessBackend(); }
};

TEST_F(RandomTest, StartsAt4660AndFollowsTheMultiplier) {
  EXPECT_EQ(RandomState(), 4660);
  Reference reference;
  for (int i = 0; i < 1000; ++i) {
    float expected = float(0.0 + reference.Unit() * 1.0);
    ASSERT_EQ(RandomFloat(0.0f, 1.0f), expected) << "draw " << i;
    ASSERT_EQ(RandomState(), reference.state);
  }
  // Two steps per value: 4660 * 48271^2 mod (2^31 - 1).
  InstallHeadlessBackend();
  RandomFloat(0, 1);
  EXPECT_EQ(RandomState(), int32_t(int64_t(4660) * 48271 % 2147483647 * 48271 % 2147483647));
}

TEST_F(RandomTest, SeedKeepsThirtyOneBitsAndAvoidsTheFixedPoints) {
  SeedRandom(12345);
  EXPECT_EQ(RandomState(), 12345);
  SeedRandom(int32_t(0x80000005u));
  EXPECT_EQ(RandomState(), 5);
  SeedRandom(0);
  EXPECT_EQ(RandomState(), 4660);
  SeedRandom(2147483647);
  EXPECT_EQ(RandomState(), 4660);
  SeedRandom(int32_t(0x80000000u));
  EXPECT_EQ(RandomState(), 4660);
}

TEST_F(RandomTest, LargeStatesStayInRange) {
  SeedRandom(2147483646);
  Reference reference;
  reference.state = 2147483646;
  for (int i = 0; i < 10000; ++i) {
    RandomFloat(0, 1);
    reference.Unit();
    ASSERT_EQ(RandomState(), reference.state);
    ASSERT_GE(RandomState(), 1);
  }
}

TEST_F(RandomTest, FloatRangeWithEitherArgumentOrder) {
  SeedRandom(777);
  Reference reference;
  reference.state = 777;
  for (int i = 0; i < 200; ++i) {
    double r = reference.Unit();
    float value = RandomFloat(10.0f, -2.0f);
    ASSERT_EQ(value, float(-2.0 + r * 12.0));
    ASSERT_GE(value, -2.0f);
    ASSERT_LT(value, 10.0f);
  }
}

TEST_F(RandomTest, IntFollowsTheFormulaInBothArgumentOrders) {
  SeedRandom(99);
  Reference reference;
  reference.state = 99;
  for (int i = 0; i < 500; ++i) {
    double r = reference.Unit();
    ASSERT_EQ(RandomInt(1, 5), 1 + int(r * 5));
    r = reference.Unit();
    ASSERT_EQ(RandomInt(5, 1), 1 + int(r * 5));
    r = reference.Unit();
    ASSERT_EQ(RandomInt(-3, -3), -3 + int(r * 1));
  }
}

TEST_F(RandomTest, IntCoversBothEndsAndNothingElse) {
  std::set<int> forward, backward;
  for (int i = 0; i < 2000; ++i) {
    forward.insert(RandomInt(1, 5));
    backward.insert(RandomInt(5, 1));
  }
  EXPECT_EQ(forward, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(backward, (std::set<int>{1, 2, 3, 4, 5}));
  for (int i = 0; i < 2000; ++i) {
    int value = RandomInt(-2147483647, 2147483647);
    ASSERT_GE(value, -2147483647);
  }
}

}  // namespace
