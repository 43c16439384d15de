// kavro-engine-bench: the sample engine thinks about fixed positions and
// tells how deep it got and how many positions a second it visited.
//
//   kavro-engine-bench [MILLISECONDS]     (default 1000 ms a position)
//   kavro-engine-bench MILLISECONDS GAME.psq
//   kavro-engine-bench MILLISECONDS --openings FILE
//
// With a game (as kavro-arena --records keeps them) it thinks about every
// position of the game instead and shows its move beside the one played,
// which is how a lost game is taken apart. With openings (kavro-arena's
// format: stones x,y from zero, yellow first) it judges each for the side
// to move, which is how openings even for engines are picked.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "records.h"
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

std::string Square(int s) {
  char text[8];
  std::snprintf(text, sizeof text, "%c%d", 'a' + s / sample_engine::kSize,
                s % sample_engine::kSize + 1);
  return text;
}

// Every position of a recorded game, thought about anew.
int Replay(const char* path, int budget) {
  std::vector<int> moves = ReadRecordedGame(path).moves;
  if (moves.empty()) {
    std::fprintf(stderr, "kavro-engine-bench: no moves in %s\n", path);
    return 2;
  }
  std::printf("%4s %-5s %-6s %-6s %-8s %6s %5s %6s %7s\n", "ply", "side", "played", "engine", "by",
              "score", "depth", "danger", "refuted");
  for (size_t ply = 0; ply < moves.size(); ++ply) {
    uint8_t cells[sample_engine::kCells] = {};
    // Side 1 is the one to move at this ply.
    for (size_t i = 0; i < ply; ++i) cells[moves[i]] = uint8_t(i % 2 == ply % 2 ? 1 : 2);
    sample_engine::SearchReport r = sample_engine::Think(cells, budget);
    std::printf("%4zu %-5s %-6s %-6s %-8s %6d %5d %6d %7d%s\n", ply + 1,
                ply % 2 ? "blue" : "yellow", Square(moves[ply]).c_str(), Square(r.move).c_str(),
                r.reason, r.score, r.depth, r.dangerDepth, r.refuted,
                r.move == moves[ply] ? "" : "  *");
  }
  return 0;
}

int JudgeOpenings(const char* path, int budget) {
  std::ifstream in(path);
  std::string line;
  int judged = 0;
  while (std::getline(in, line)) {
    std::vector<int> stones;
    for (size_t i = 0; i < line.size() && line[i] != '#';) {
      int x = -1, y = -1, used = 0;
      if (std::sscanf(line.c_str() + i, " %d,%d%n", &x, &y, &used) != 2) break;
      if (x < 0 || x > 14 || y < 0 || y > 14) break;
      stones.push_back(sample_engine::kSize * x + y);
      i += size_t(used);
    }
    if (stones.empty()) continue;
    uint8_t cells[sample_engine::kCells] = {};
    for (size_t i = 0; i < stones.size(); ++i)
      cells[stones[i]] = uint8_t(i % 2 == stones.size() % 2 ? 1 : 2);
    sample_engine::SearchReport r = sample_engine::Think(cells, budget);
    // A forced win of the side to move needs no search and has no score.
    int score = *r.reason == 'V' ? sample_engine::kWin : r.score;
    std::printf("%6d %-8s %5d %6d  %s\n", score, r.reason, r.depth, r.dangerDepth,
                line.substr(0, line.find('#')).c_str());
    std::fflush(stdout);
    ++judged;
  }
  if (!judged) std::fprintf(stderr, "kavro-engine-bench: no openings in %s\n", path);
  return judged ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  int budget = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (budget <= 0 || argc > 4 || (argc == 4 && std::string(argv[2]) != "--openings")) {
    std::fprintf(stderr, "usage: kavro-engine-bench [MILLISECONDS [GAME.psq | --openings FILE]]\n");
    return 2;
  }
  if (argc == 4) return JudgeOpenings(argv[3], budget);
  if (argc == 3) return Replay(argv[2], budget);
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
