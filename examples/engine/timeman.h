// Time management: a move gets a budget of wall time; its phases get shares
// of it, and every search polls the clock often enough to stop in time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace sample_engine {

struct TimeUp {};  // thrown by a search whose share of the time is spent

class Clock {
 public:
  using Steady = std::chrono::steady_clock;

  explicit Clock(int budgetMs);

  double ElapsedMs() const;
  int BudgetMs() const { return budgetMs_; }
  // The time left before the hard end of the move.
  double LeftMs() const { return hardMs_ - ElapsedMs(); }
  // Limits the searches that follow to `percent` of the budget, counted
  // from the start of the move (never past the hard end).
  void SetShare(int percent);
  // Throws TimeUp once the current share is spent or the stop is called;
  // looks at the clock only every few hundred calls.
  void Poll() {
    if ((++polls_ & 127) == 0 && ShareSpent()) throw TimeUp{};
  }
  bool ShareSpent() const {
    return Steady::now() >= deadline_ || (stop_ && stop_->load(std::memory_order_relaxed));
  }
  // A helper thread's clock: ends where this one does, or sooner once
  // *stop is set.
  Clock HelperClock(const std::atomic<bool>* stop) const {
    Clock helper = *this;
    helper.stop_ = stop;
    helper.polls_ = 0;
    return helper;
  }
  // Whether an iteration that takes `factor` times the last one would still
  // end within the current share.
  bool RoomFor(double lastIterationMs, double factor) const;

 private:
  Steady::time_point start_;
  Steady::time_point deadline_;
  int budgetMs_;
  double hardMs_;
  uint64_t polls_ = 0;
  const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace sample_engine
