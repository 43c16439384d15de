// kavro-engine-bench: the sample engine thinks about fixed positions and
// tells how deep it got and how many positions a second it visited.
//
//   kavro-engine-bench [MILLISECONDS]     (default 1000 ms a position)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "search.h"

namespace {

struct BenchPosition {
  const char* name;
  // Moves from the empty board, alternating, as column letter and row
  // number ("h8" is the centre); the side to move plays next.
  const char* moves;
};

const BenchPosition kPositions[] = {
    {"opening", "h8 i9 g9 i7 i8"},
    {"quiet", "h8 i9 g9 i7 i8 g8 j9 h10 f8 h6"},
    {"sharp", "g9 i6 h7 j9 e7 h10 e9"},
    {"middle", "h8 i9 g9 i7 i8 g8 j9 h10 f8 h6 f10 e9 g7 f6 j7 k6 j8 j6"},
    {"late",
     "f6 g10 h8 g7 g9 f10 h10 h7 f8 e7 f7 f9 h11 g8 e10 h12 g11 i11 f12 e13 g13 f5 f11 e11 g12 d9 "
     "f13 e14 i7 j8 g6 i6 j5 h5 g14 g15 e12 d11 j6 k5"},
};

}  // namespace

int main(int argc, char** argv) {
  int budget = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (budget <= 0) {
    std::fprintf(stderr, "usage: kavro-engine-bench [MILLISECONDS]\n");
    return 2;
  }
  std::printf("%-8s %-6s %-8s %5s %9s %9s %9s %8s\n", "position", "move", "by", "depth", "nodes",
              "threats", "per s", "ms");
  double allNodes = 0, allMs = 0;
  for (const BenchPosition& p : kPositions) {
    int colours[sample_engine::kCells] = {};
    int colour = 1;
    std::string text = p.moves;
    for (size_t i = 0; i < text.size();) {
      size_t end = text.find(' ', i);
      if (end == std::string::npos) end = text.size();
      int x = text[i] - 'a', y = std::atoi(text.c_str() + i + 1) - 1;
      colours[sample_engine::kSize * x + y] = colour;
      colour = 3 - colour;
      i = end + 1;
    }
    uint8_t cells[sample_engine::kCells];
    for (int s = 0; s < sample_engine::kCells; ++s)
      cells[s] = uint8_t(colours[s] == 0 ? 0 : colours[s] == colour ? 1 : 2);
    auto start = std::chrono::steady_clock::now();
    sample_engine::SearchReport r = sample_engine::Think(cells, budget);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double nodes = double(r.nodes + r.threatNodes);
    allNodes += nodes;
    allMs += ms;
    char move[8];
    std::snprintf(move, sizeof move, "%c%d", 'a' + r.move / sample_engine::kSize,
                  r.move % sample_engine::kSize + 1);
    std::printf("%-8s %-6s %-8s %5d %9lld %9lld %9.0f %8.0f  attack %.0f defence %.0f\n", p.name,
                move, r.reason, r.depth, (long long)r.nodes, (long long)r.threatNodes,
                nodes / ms * 1000, ms, r.attackMs, r.defenceMs);
  }
  std::printf("all: %.0f positions a second (search and threat solver together)\n",
              allNodes / allMs * 1000);
  return 0;
}
