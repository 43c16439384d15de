// kavro-engine-fit: fits the evaluation weights (patterns.h, search.h) to
// the results of recorded games.
//
//   kavro-engine-fit GAME.psq...     (as kavro-arena --records DIR keeps them)
//
// Every quiet position from the seventh stone on (no five to make or to
// stop, no open three for the side to move: the search settles the others)
// is a sample: how many lines of each shape and squares of each class either
// side has, and whether the side to move went on to win. Through a logistic
// curve the evaluation should predict that result. The weights start from
// the engine's own and are changed one at a time, by a factor that shrinks,
// while the squared error falls. Games between players of unequal strength
// are mostly won by the stronger, whatever the position: each player (by the
// name the record gives) gets a strength of its own, fitted alongside, so
// the weights are left with what the position says. One block of positions
// in five is held out: its error shows whether the fit carries over to
// games it never saw.
// The new tables are printed in the form patterns.h and search.h use.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "records.h"
#include "search.h"

namespace {

using namespace sample_engine;

// Per side: line shapes kOne..kOpenFour, square classes kMakesThree..
// kMakesOpenFour, and whether the fork bonus of Evaluate applies.
constexpr int kShapeFeatures = kOpenFour - kOne + 1;
constexpr int kClassFeatures = kMakesOpenFour - kMakesThree + 1;
constexpr int kSideFeatures = kShapeFeatures + kClassFeatures;
constexpr int kFeatures = 2 * kSideFeatures + 2;
constexpr int kBonus = 2 * kSideFeatures;

struct Sample {
  float feature[kFeatures];
  float result;                 // 1 the side to move won, 0 it lost, 0.5 a draw
  int mover = -1, waiter = -1;  // the players, -1 when not recorded
};

Sample Describe(const Board& board, int side, float result) {
  Sample sample{};
  sample.result = result;
  for (int view = 0; view < 2; ++view) {
    int who = view == 0 ? side : 3 - side;
    float* f = sample.feature + view * kSideFeatures;
    for (int s = 0; s < kCells; ++s) {
      if (!board.Empty(s)) continue;
      for (int d = 0; d < 4; ++d)
        if (Shape shape = board.ShapeOf(who, s, d); shape >= kOne && shape <= kOpenFour)
          f[shape - kOne] += 1;
      if (Threat t = board.ThreatOf(who, s); t >= kMakesThree && t <= kMakesOpenFour)
        f[kShapeFeatures + t - kMakesThree] += 1;
    }
  }
  Threat fork = UnansweredFork(board.Totals(), side);
  sample.feature[kBonus] = fork == kMakesFourThree;
  sample.feature[kBonus + 1] = fork == kMakesDoubleThree;
  return sample;
}

void AddGame(const std::vector<int>& moves, const int player[2], std::vector<Sample>& samples) {
  uint8_t empty[kCells] = {};
  Board board(empty);
  int winner = 0;
  for (size_t i = 0; i < moves.size() && !winner; ++i) {
    int side = 1 + int(i % 2);
    if (!board.Empty(moves[i])) return;  // not a game
    if (board.ThreatOf(side, moves[i]) == kMakesFive) winner = side;
    board.Place(moves[i], side);
  }
  board.UndoTo(0);
  for (size_t i = 0; i < moves.size(); ++i) {
    int side = 1 + int(i % 2), o = 3 - side;
    if (i >= 6 && !board.Count(side, kMakesFive) && !board.Count(o, kMakesFive) &&
        !board.Count(side, kMakesOpenFour)) {
      samples.push_back(Describe(board, side, winner == 0 ? 0.5f : winner == side ? 1.f : 0.f));
      samples.back().mover = player[side - 1];
      samples.back().waiter = player[o - 1];
    }
    board.Place(moves[i], side);
  }
}

// The weights, then one strength a player.
double Evaluate(const Sample& s, const std::vector<double>& w) {
  double e = 0;
  if (s.mover >= 0 && s.waiter >= 0)
    e += w[size_t(kFeatures + s.mover)] - w[size_t(kFeatures + s.waiter)];
  for (int i = 0; i < kFeatures; ++i)
    e += (i < kSideFeatures || i >= kBonus ? 1 : -1) * w[size_t(i)] * s.feature[i];
  return e;
}

double Error(const std::vector<Sample>& samples, const std::vector<double>& w, double scale) {
  double sum = 0;
  for (const Sample& s : samples) {
    double p = 1 / (1 + std::exp(-scale * Evaluate(s, w)));
    sum += (p - s.result) * (p - s.result);
  }
  return sum / double(std::max<size_t>(1, samples.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kavro-engine-fit GAME.psq...\n");
    return 2;
  }
  std::vector<Sample> all;
  std::vector<std::string> players;
  auto playerIndex = [&](const std::string& name) {
    auto at = std::find(players.begin(), players.end(), name);
    if (at == players.end()) at = players.insert(at, name);
    return int(at - players.begin());
  };
  for (int i = 1; i < argc; ++i) {
    RecordedGame game = ReadRecordedGame(argv[i]);
    int player[2] = {-1, -1};
    if (game.names.size() == 2 && game.names[0] != game.names[1])
      player[0] = playerIndex(game.names[0]), player[1] = playerIndex(game.names[1]);
    AddGame(game.moves, player, all);
  }
  std::vector<Sample> train, held;
  for (size_t i = 0; i < all.size(); ++i) (i / 500 % 5 == 4 ? held : train).push_back(all[i]);
  if (train.empty() || held.empty()) {
    std::fprintf(stderr, "kavro-engine-fit: too few positions (%zu)\n", all.size());
    return 2;
  }

  std::vector<double> w(kFeatures + players.size());
  for (int view = 0; view < 2; ++view) {
    for (int i = 0; i < kShapeFeatures; ++i)
      w[size_t(view * kSideFeatures + i)] = kEvalWeight[view][kOne + i];
    for (int i = 0; i < kClassFeatures; ++i)
      w[size_t(view * kSideFeatures + kShapeFeatures + i)] = kClassWeight[view][kMakesThree + i];
  }
  w[kBonus] = kFourThreeBonus;
  w[kBonus + 1] = kDoubleThreeBonus;

  // The curve's scale that fits the weights as they are, with the players'
  // strengths that fit best at that scale; the scale then stays fixed, so
  // the weights keep the engine's units.
  double scale = 1e-5, error = Error(train, w, scale);
  for (int round = 0; round < 3; ++round) {
    for (double s = 1e-5; s < 0.02; s *= 1.05)
      if (double e = Error(train, w, s); e < error) error = e, scale = s;
    for (double step = 500; step >= 10; step /= 2)
      for (size_t p = kFeatures; p < w.size(); ++p)
        for (double delta : {step, -step})
          for (w[p] += delta;; w[p] += delta)
            if (double e = Error(train, w, scale); e < error)
              error = e;
            else {
              w[p] -= delta;
              break;
            }
  }
  std::printf("%zu positions, %zu players, scale %.5f\n", all.size(), players.size(), scale);
  std::printf("error before: %.5f, held out %.5f\n", error, Error(held, w, scale));

  for (double step = 1.15; step > 1.01; step = 1 + (step - 1) / 3) {
    for (bool better = true; better;) {
      better = false;
      for (size_t i = 0; i < w.size(); ++i)
        for (double factor : {step, 1 / step}) {
          double old = w[i];
          if (i >= kFeatures)  // a strength is a difference: it moves in steps
            w[i] = old + (factor > 1 ? 1 : -1) * 100 * (step - 1);
          else
            w[i] = old == 0 ? (factor > 1 ? 1 : 0) : old * factor;  // a zero may grow
          double e = Error(train, w, scale);
          if (e < error - 1e-7)
            error = e, better = true;
          else
            w[i] = old;
        }
    }
  }
  std::printf("error after:  %.5f, held out %.5f\n\n", error, Error(held, w, scale));

  // Rows as patterns.h has them: nothing and quiet weigh 0; the five and
  // the class that makes one are never evaluated and keep their values.
  auto row = [&](int first, int count, int last) {
    std::printf("{0");
    for (int i = 0; i < count; ++i) std::printf(", %.0f", std::round(w[size_t(first + i)]));
    std::printf(", %d}", last);
  };
  for (int table = 0; table < 2; ++table) {
    std::printf(table ? "kClassWeight = {" : "kEvalWeight = {");
    for (int view = 0; view < 2; ++view) {
      if (table)
        row(view * kSideFeatures + kShapeFeatures, kClassFeatures, kClassWeight[view][kMakesFive]);
      else
        row(view * kSideFeatures, kShapeFeatures, kEvalWeight[view][kFive]);
      std::printf(view ? "}\n" : ", ");
    }
  }
  std::printf("kFourThreeBonus = %.0f, kDoubleThreeBonus = %.0f\n", std::round(w[kBonus]),
              std::round(w[kBonus + 1]));
  if (!players.empty()) std::printf("\nstrength of the players (evaluation units):\n");
  for (size_t p = 0; p < players.size(); ++p)
    std::printf("  %-12s %6.0f\n", players[p].c_str(), w[kFeatures + p] - w[kFeatures]);
  return 0;
}
