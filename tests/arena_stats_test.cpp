// The arena's statistics: Elo and its margin from game pairs, and the
// SPRT's log-likelihood ratio, each against a computation of its own here.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tools/arena/stats.h"

namespace {

// The pair scores (0, 0.25 .. 1) one by one, as a tester would list them.
std::vector<double> PairScores(const Pentanomial& p) {
  std::vector<double> scores;
  for (size_t i = 0; i < 5; ++i)
    for (int64_t n = 0; n < p.count[i]; ++n) scores.push_back(double(i) / 4);
  return scores;
}

// LLR as a sum over the pairs of the log ratio of two normal densities of
// the same variance, centred on the scores the hypotheses predict.
double LlrBySum(const std::vector<double>& scores, double elo0, double elo1, bool normalized) {
  double mean = 0;
  for (double s : scores) mean += s;
  mean /= double(scores.size());
  double variance = 0;
  for (double s : scores) variance += (s - mean) * (s - mean);
  variance /= double(scores.size());
  double m0, m1;
  if (normalized) {
    const double sigma = std::sqrt(2 * variance) * std::log(10.0) / 800;
    m0 = 0.5 + elo0 * sigma;
    m1 = 0.5 + elo1 * sigma;
  } else {
    m0 = 1 / (1 + std::pow(10, -elo0 / 400));
    m1 = 1 / (1 + std::pow(10, -elo1 / 400));
  }
  double llr = 0;
  for (double s : scores) llr += ((s - m0) * (s - m0) - (s - m1) * (s - m1)) / (2 * variance);
  return llr;
}

TEST(ArenaStats, EloAndMarginComeFromThePairs) {
  Pentanomial p;
  p.count = {2, 5, 10, 7, 3};
  EloEstimate e = EstimateElo(p);
  EXPECT_EQ(e.pairs, 27);
  EXPECT_NEAR(e.score, 29.0 / 54, 1e-12);
  EXPECT_NEAR(e.elo, 25.7832, 1e-3);
  const double se = std::sqrt(0.07270233196159119 / 27);
  EXPECT_NEAR(e.high, -400 * std::log10(1 / (e.score + 1.959964 * se) - 1), 1e-3);
  EXPECT_NEAR(e.low, -400 * std::log10(1 / (e.score - 1.959964 * se) - 1), 1e-3);
  EXPECT_EQ(FormatElo(e), "+26 +/- " + std::to_string(int(std::lround(e.Margin()))));

  // The other side's view mirrors it.
  EloEstimate other = EstimateElo(p.Reversed());
  EXPECT_NEAR(other.elo, -e.elo, 1e-9);
  EXPECT_NEAR(other.Margin(), e.Margin(), 1e-9);

  // Four times the pairs, half the margin (near enough at this score).
  Pentanomial more = p;
  for (int64_t& c : more.count) c *= 4;
  EXPECT_NEAR(EstimateElo(more).Margin(), e.Margin() / 2, e.Margin() * 0.02);

  // Every pair split 1-1 (the colour decided each game): as sure as it gets
  // that the two are even, which counting the games alone would not see.
  Pentanomial split;
  split.count = {0, 0, 40, 0, 0};
  EXPECT_EQ(EstimateElo(split).elo, 0);
  EXPECT_EQ(EstimateElo(split).Margin(), 0);
  Pentanomial sweep;
  sweep.count = {0, 0, 0, 0, 3};
  EXPECT_EQ(FormatElo(EstimateElo(sweep)), "+inf");
  EXPECT_EQ(FormatElo(EstimateElo(Pentanomial{})), "-");
}

TEST(ArenaStats, SprtLlrMatchesASumOverPairs) {
  Sprt normalized(0, 50), logistic(0, 50, 0.05, 0.05, SprtModel::kLogistic);
  EXPECT_NEAR(normalized.Lower(), std::log(0.05 / 0.95), 1e-12);
  EXPECT_NEAR(normalized.Upper(), std::log(0.95 / 0.05), 1e-12);
  Sprt skewed(-5, 5, 0.1, 0.2);
  EXPECT_NEAR(skewed.Lower(), std::log(0.2 / 0.9), 1e-12);
  EXPECT_NEAR(skewed.Upper(), std::log(0.8 / 0.1), 1e-12);

  Pentanomial p;
  p.count = {2, 5, 10, 7, 3};
  EXPECT_NEAR(normalized.Llr(p), 0.195624, 1e-5);
  EXPECT_NEAR(logistic.Llr(p), 0.0346471, 1e-6);

  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    Pentanomial r;
    for (int64_t& c : r.count) c = 1 + int64_t(random() % 60);
    const double elo0 = double(int(random() % 40)) - 20, elo1 = elo0 + 1 + double(random() % 60);
    const std::vector<double> scores = PairScores(r);
    EXPECT_NEAR(Sprt(elo0, elo1).Llr(r), LlrBySum(scores, elo0, elo1, true), 1e-9);
    EXPECT_NEAR(Sprt(elo0, elo1, 0.05, 0.05, SprtModel::kLogistic).Llr(r),
                LlrBySum(scores, elo0, elo1, false), 1e-9);
  }

  // A clearly stronger player: the ratio climbs past the upper bound and
  // the test says H1; the same record seen from the other side says H0.
  Pentanomial strong;
  strong.count = {0, 1, 2, 4, 20};
  EXPECT_EQ(normalized.Decision(normalized.Llr(strong), 27), 1);
  EXPECT_EQ(normalized.Decision(normalized.Llr(strong.Reversed()), 27), -1);
  // Wins only have no variance; the test still decides, but not on the
  // first few pairs, which equal players win 2-0 often enough.
  Pentanomial wins;
  wins.count = {0, 0, 0, 0, 2};
  EXPECT_GT(normalized.Llr(wins), normalized.Upper());
  EXPECT_EQ(normalized.Decision(normalized.Llr(wins), 2), 0);
  wins.count = {0, 0, 0, 0, 10};
  EXPECT_EQ(normalized.Decision(normalized.Llr(wins), 10), 1);
  EXPECT_EQ(normalized.Llr(Pentanomial{}), 0);
}

}  // namespace
