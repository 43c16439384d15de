#include "timeman.h"

#include <algorithm>

namespace sample_engine {

Clock::Clock(int budgetMs) : start_(Steady::now()), budgetMs_(std::max(1, budgetMs)) {
  // The answer still has to be sent, and a loaded machine may hold the
  // thread for a while between two looks at the clock: keep a margin.
  hardMs_ = std::max(1.0, budgetMs_ - std::min(30.0, 2.0 + budgetMs_ * 0.04));
  SetShare(100);
}

double Clock::ElapsedMs() const {
  return std::chrono::duration<double, std::milli>(Steady::now() - start_).count();
}

void Clock::SetShare(int percent) {
  double ms = std::min(hardMs_, budgetMs_ * percent / 100.0);
  deadline_ = start_ + std::chrono::microseconds(int64_t(ms * 1000));
}

bool Clock::RoomFor(double lastIterationMs, double factor) const {
  auto now = Steady::now();
  return now + std::chrono::microseconds(int64_t(lastIterationMs * factor * 1000)) < deadline_;
}

}  // namespace sample_engine
