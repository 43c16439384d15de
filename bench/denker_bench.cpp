// Evaluation and Denker timings, reference against fast, in one run. The
// node counts printed at the end are the search's behaviour signature: a
// change of the search or the evaluation that changes them changes the game.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ai/evaluation.h"
#include "ai/search.h"
#include "bench/positions.h"
#include "game/game_state.h"

namespace {

using bench_positions::kPositions;
using bench_positions::Position;
using bench_positions::SetUp;

void EvaluatePlain(benchmark::State& state) {
  SetUp(kPositions[1]);
  TopLast = 4;
  for (auto _ : state) {
    ComputePotentialPlain();
    RankCandidatesPlain();
    benchmark::DoNotOptimize(TopValue);
  }
}

// As the game calls it between moves: one stone changed since the last call.
void EvaluateFast(benchmark::State& state) {
  SetUp(kPositions[1]);
  TopLast = 4;
  bool placed = false;
  for (auto _ : state) {
    placed = !placed;
    Board[7][7] = placed ? kBlue : kEmpty;
    ComputePotential();
    RankCandidates();
    benchmark::DoNotOptimize(TopValue);
  }
}

void TimeDenker(benchmark::State& state, const Position& p, int depth, bool plain) {
  SetUp(p);
  int64_t nodes = 0;
  for (auto _ : state) {
    TopLast = 4;
    SearchResult r;
    if (plain) {
      ComputePotentialPlain();
      RankCandidatesPlain();
      r = RunSearchPlain(depth);
    } else {
      ComputePotential();
      RankCandidates();
      r = RunSearch(depth);
    }
    nodes = r.nodes;
    benchmark::DoNotOptimize(r);
  }
  state.counters["nodes"] = double(nodes);
}

// Keeps every run's CPU time and node count for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  struct Entry {
    double cpuNs = 0;
    double nodes = 0;
  };
  std::map<std::string, Entry> entries;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      Entry& e = entries[run.benchmark_name()];
      e.cpuNs = run.GetAdjustedCPUTime() *
                benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                benchmark::GetTimeUnitMultiplier(run.time_unit);
      auto it = run.counters.find("nodes");
      if (it != run.counters.end()) e.nodes = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// Figures of benchmarks left out by a filter are shown as "-".
std::string Figure(double value, const char* format) {
  if (value <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void PrintSummary(const SummaryReporter& r) {
  auto get = [&](const std::string& name) {
    auto it = r.entries.find(name);
    return it == r.entries.end() ? SummaryReporter::Entry{} : it->second;
  };
  double plainEval = get("EvaluatePlain").cpuNs, fastEval = get("EvaluateFast").cpuNs;
  std::printf("\nEvaluation: plain %s ns, fast %s ns (one stone changed), speed-up %s\n",
              Figure(plainEval, "%.0f").c_str(), Figure(fastEval, "%.0f").c_str(),
              Figure(fastEval > 0 ? plainEval / fastEval : 0, "%.1fx").c_str());
  std::printf("\n%-8s %5s %8s %12s %12s %9s\n", "position", "depth", "nodes", "fast ms", "plain ms",
              "speed-up");
  for (const Position& p : kPositions) {
    for (int depth : {6, 7, 8}) {
      std::string suffix = std::string(p.name) + "/" + std::to_string(depth);
      auto fast = get("Denker/" + suffix), plain = get("DenkerPlain/" + suffix);
      if (fast.cpuNs == 0 && plain.cpuNs == 0) continue;
      std::printf("%-8s %5d %8.0f %12s %12s %9s\n", p.name, depth,
                  fast.nodes > 0 ? fast.nodes : plain.nodes,
                  Figure(fast.cpuNs / 1e6, "%.2f").c_str(),
                  Figure(plain.cpuNs / 1e6, "%.2f").c_str(),
                  Figure(fast.cpuNs > 0 ? plain.cpuNs / fast.cpuNs : 0, "%.1fx").c_str());
      if (fast.cpuNs > 0 && plain.cpuNs > 0 && plain.nodes != fast.nodes)
        std::printf("  node counts differ: plain %.0f\n", plain.nodes);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("EvaluatePlain", EvaluatePlain);
  benchmark::RegisterBenchmark("EvaluateFast", EvaluateFast);
  for (const Position& p : kPositions) {
    for (int depth : {6, 7, 8}) {
      std::string suffix = std::string(p.name) + "/" + std::to_string(depth);
      benchmark::RegisterBenchmark(("Denker/" + suffix).c_str(), TimeDenker, p, depth, false)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("DenkerPlain/" + suffix).c_str(), TimeDenker, p, depth, true)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter);
  benchmark::Shutdown();
  return 0;
}
