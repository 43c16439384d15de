#include "platform/backend.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kStartState = 4660;
int32_t state = kStartState;

// Multiplication by 48271 modulo 2^31 - 1 without overflow (Schrage).
int32_t Step() {
  int32_t next = 48271 * (state % 44488) - 3399 * (state / 44488);
  if (next < 0) next += 2147483647;
  state = next;
  return next;
}

// A value in [0, 1) from two steps.
double Unit() {
  int32_t s1 = Step();
  int32_t s2 = Step();
  return ((s1 & 0x1FFFFFFC) + (s2 & 0x1FFFFFF8) / 134217728.0) / 536870912.0;
}

}  // namespace

void SeedRandom(int32_t seed) {
  state = seed & 0x7FFFFFFF;
  if (state == 0 || state == 2147483647) state = kStartState;
}

void SeedRandomAtStart() { SeedRandom(CurrentBackend().StartSeed()); }

int32_t RandomState() { return state; }

float RandomFloat(float a, float b) {
  double low = a < b ? a : b;
  double span = b > a ? double(b) - a : double(a) - b;
  return float(low + Unit() * span);
}

int RandomInt(int a, int b) {
  int64_t d = int64_t(b) - a;
  int64_t n = d > 0 ? d + 1 : 1 - d;
  int64_t base = d > 0 ? a : b;
  return int(base + int64_t(Unit() * double(n)));
}
