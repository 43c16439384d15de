// Results that say how sure they are: Elo with its 95 % margin and the
// sequential probability ratio test, both on game pairs (one opening played
// twice, colours swapped), since the two games of a pair are not independent.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// How many pairs a player scored 0, 0.5, 1, 1.5 or 2 points in.
struct Pentanomial {
  std::array<int64_t, 5> count{};
  void Add(int halfPoints) { ++count.at(size_t(halfPoints)); }
  int64_t Pairs() const;
  Pentanomial Reversed() const;  // the opponent's view
  Pentanomial& operator+=(const Pentanomial& other);
};

// Score of one game (0..1) and back; infinite at 0 and 1.
double EloFromScore(double score);
double ScoreFromElo(double elo);

struct EloEstimate {
  int64_t pairs = 0;
  double score = 0.5;                 // mean points per game
  double elo = 0, low = 0, high = 0;  // the 95 % interval; may be infinite
  double Margin() const { return (high - low) / 2; }
};
EloEstimate EstimateElo(const Pentanomial& results);

// "+95 ± 42", "+inf", "-" for no pairs.
std::string FormatElo(const EloEstimate& estimate);

enum class SprtModel { kNormalized, kLogistic };

// H0: the Elo difference is elo0, H1: it is elo1 (normalized Elo by default,
// logistic Elo with kLogistic). Stops when the log-likelihood ratio leaves
// [log(beta / (1 - alpha)), log((1 - beta) / alpha)].
class Sprt {
 public:
  Sprt(double elo0, double elo1, double alpha = 0.05, double beta = 0.05,
       SprtModel model = SprtModel::kNormalized);
  double Lower() const { return lower_; }
  double Upper() const { return upper_; }
  double Llr(const Pentanomial& results) const;
  // The normal approximation wants more than a handful of pairs: two pairs
  // won 2-0 would already pass the upper bound, though equal players do
  // that one time in sixteen.
  static constexpr int64_t kMinimumPairs = 10;
  // +1 H1 accepted, -1 H0 accepted, 0 go on.
  int Decision(double llr, int64_t pairs) const {
    if (pairs < kMinimumPairs) return 0;
    return llr >= upper_ ? 1 : llr <= lower_ ? -1 : 0;
  }
  double Elo0() const { return elo0_; }
  double Elo1() const { return elo1_; }
  SprtModel Model() const { return model_; }

 private:
  double elo0_, elo1_, lower_, upper_;
  SprtModel model_;
};
