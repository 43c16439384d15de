#include "tools/arena/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double kZ95 = 1.959963984540054;

struct MeanVariance {
  double mean = 0.5, variance = 0;
};

// Mean and variance of the pair score (pair points / 2, so 0..1 like one
// game). Empty classes get a tiny weight so that a perfect record still has
// a variance: otherwise a run of wins only could never be decided.
MeanVariance PairStats(const Pentanomial& results, bool regularize) {
  std::array<double, 5> weight{};
  double total = 0;
  for (size_t i = 0; i < 5; ++i) {
    weight[i] = double(results.count[i]);
    if (regularize && weight[i] == 0) weight[i] = 1e-3;
    total += weight[i];
  }
  MeanVariance stats;
  if (total <= 0) return stats;
  double sum = 0, squares = 0;
  for (size_t i = 0; i < 5; ++i) {
    double x = double(i) / 4;
    sum += weight[i] * x;
    squares += weight[i] * x * x;
  }
  stats.mean = sum / total;
  stats.variance = std::max(0.0, squares / total - stats.mean * stats.mean);
  return stats;
}

}  // namespace

int64_t Pentanomial::Pairs() const {
  int64_t pairs = 0;
  for (int64_t c : count) pairs += c;
  return pairs;
}

Pentanomial Pentanomial::Reversed() const {
  Pentanomial other;
  for (size_t i = 0; i < 5; ++i) other.count[4 - i] = count[i];
  return other;
}

Pentanomial& Pentanomial::operator+=(const Pentanomial& other) {
  for (size_t i = 0; i < 5; ++i) count[i] += other.count[i];
  return *this;
}

double EloFromScore(double score) {
  if (score <= 0) return -std::numeric_limits<double>::infinity();
  if (score >= 1) return std::numeric_limits<double>::infinity();
  return -400.0 * std::log10(1.0 / score - 1.0);
}

double ScoreFromElo(double elo) { return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0)); }

EloEstimate EstimateElo(const Pentanomial& results) {
  EloEstimate estimate;
  estimate.pairs = results.Pairs();
  if (estimate.pairs == 0) return estimate;
  MeanVariance stats = PairStats(results, false);
  double error = kZ95 * std::sqrt(stats.variance / double(estimate.pairs));
  estimate.score = stats.mean;
  estimate.elo = EloFromScore(stats.mean);
  estimate.low = EloFromScore(stats.mean - error);
  estimate.high = EloFromScore(stats.mean + error);
  return estimate;
}

std::string FormatElo(const EloEstimate& estimate) {
  if (estimate.pairs == 0) return "-";
  char text[64];
  // An even score prints as +0, not -0.
  const double elo = std::fabs(estimate.elo) < 0.5 ? 0.0 : estimate.elo;
  if (std::isinf(estimate.elo))
    std::snprintf(text, sizeof text, "%cinf", estimate.elo > 0 ? '+' : '-');
  else if (std::isinf(estimate.Margin()))
    std::snprintf(text, sizeof text, "%+.0f +/- inf", elo);
  else
    std::snprintf(text, sizeof text, "%+.0f +/- %.0f", elo, estimate.Margin());
  return text;
}

Sprt::Sprt(double elo0, double elo1, double alpha, double beta, SprtModel model)
    : elo0_(elo0),
      elo1_(elo1),
      lower_(std::log(beta / (1 - alpha))),
      upper_(std::log((1 - beta) / alpha)),
      model_(model) {}

// The generalized SPRT in its normal approximation: with N pairs of mean
// score m and variance v, LLR = N (m1 - m0) (2m - m0 - m1) / (2v), where m0
// and m1 are the mean pair scores the two hypotheses predict.
double Sprt::Llr(const Pentanomial& results) const {
  int64_t pairs = results.Pairs();
  if (pairs == 0) return 0;
  MeanVariance stats = PairStats(results, true);
  if (stats.variance <= 0) return 0;
  double m0, m1;
  if (model_ == SprtModel::kLogistic) {
    m0 = ScoreFromElo(elo0_);
    m1 = ScoreFromElo(elo1_);
  } else {
    // Normalized Elo: the difference in units of the per-game standard
    // deviation, sqrt(2 v) for pairs, times 800 / ln 10.
    const double perGame = std::sqrt(2 * stats.variance);
    const double unit = 800.0 / std::log(10.0);
    m0 = 0.5 + elo0_ / unit * perGame;
    m1 = 0.5 + elo1_ / unit * perGame;
  }
  return double(pairs) * (m1 - m0) * (2 * stats.mean - m0 - m1) / (2 * stats.variance);
}
