// kavro-arena: the computer characters (and, when built with it, the sample
// engine) play each other from seeded generators, N games each way, and a
// win/draw/loss table shows their order of strength.
//
//   kavro-arena [games] [--seed S] [--engine-ms MS] [--only-engine]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ai/opponents.h"
#include "ai/search.h"
#include "core/game_state.h"
#include "platform/platform.h"
#ifdef KAVRO_HAVE_ENGINE_AI
#include "move.h"
#endif

namespace {

constexpr int kEngine = 6;  // a player number beside the kinds 2..5
const char* const kNames[] = {"", "", "Spontane", "Flexible", "Konsequente", "Denker", "Engine"};

int engineBudgetMs = 100;

enum class Outcome { kYellowWins, kBlueWins, kDraw };

// The characters play blue against the board; for yellow they are shown the
// board with the colours swapped. The game state is theirs only while they
// choose.
std::optional<Move> AskPlayer(int player, const BoardCells& game, int moveCount, int colour) {
  if (player == kEngine) {
#ifdef KAVRO_HAVE_ENGINE_AI
    uint8_t cells[kSquares];
    for (int x = 0; x < 15; ++x)
      for (int y = 0; y < 15; ++y) {
        int32_t c = game[x][y];
        cells[15 * x + y] = uint8_t(c == kEmpty ? 0 : c == colour ? 1 : 2);
      }
    int x = -1, y = -1;
    if (!ChooseEngineMove(cells, engineBudgetMs, x, y)) return std::nullopt;
    return Move{x, y};
#else
    return std::nullopt;
#endif
  }
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) {
      int32_t c = game[x][y];
      Board[x][y] = colour == kBlue || c == kEmpty ? c : 3 - c;
    }
  MoveCount = moveCount;
  return ChooseMoveOfKind(player);
}

// Plays one game, yellow moving first. A player that answers an occupied
// square or no square while the game is open loses.
Outcome PlayGame(int yellow, int blue, int32_t seed, int& illegal) {
  SeedRandom(seed);
  BoardCells game{};
  for (int moveCount = 0; moveCount < kSquares; ++moveCount) {
    const int colour = moveCount % 2 == 0 ? kYellow : kBlue;
    const int player = colour == kYellow ? yellow : blue;
    std::optional<Move> move = AskPlayer(player, game, moveCount, colour);
    const Outcome loss = colour == kYellow ? Outcome::kBlueWins : Outcome::kYellowWins;
    if (!move) {
      // No answer only when nobody can win any more, which the check after
      // the last move reports; otherwise it is a fault of the player.
      ++illegal;
      return loss;
    }
    auto [x, y] = *move;
    if (x < 0 || x > 14 || y < 0 || y > 14 || game[x][y] != kEmpty) {
      ++illegal;
      return loss;
    }
    game[x][y] = colour;
    Board = game;
    int32_t result = CheckGameResult();
    if (result == kYellow) return Outcome::kYellowWins;
    if (result == kBlue) return Outcome::kBlueWins;
    if (result == 3) return Outcome::kDraw;
  }
  return Outcome::kDraw;
}

struct Tally {
  int wins = 0, draws = 0, losses = 0;
  int games() const { return wins + draws + losses; }
  double points() const { return wins + 0.5 * draws; }
};

// Seeds spread over the generator's range; neighbouring seeds start alike.
int32_t GameSeed(int32_t base, int index) {
  return int32_t((uint32_t(base) * 2654435761u + uint32_t(index) * 40503u * 65537u) >> 1) + 1;
}

void Usage() {
  std::fprintf(stderr,
               "usage: kavro-arena [games per side] [--seed S] [--engine-ms MS] [--only-engine]\n");
}

}  // namespace

int main(int argc, char** argv) {
  int games = 10;
  int32_t seedBase = 1;
  bool onlyEngine = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc)
      seedBase = int32_t(std::atol(argv[++i]));
    else if (arg == "--engine-ms" && i + 1 < argc)
      engineBudgetMs = std::atoi(argv[++i]);
    else if (arg == "--only-engine")
      onlyEngine = true;
    else if (!arg.empty() && arg[0] != '-' && std::atoi(arg.c_str()) > 0)
      games = std::atoi(arg.c_str());
    else {
      Usage();
      return 2;
    }
  }
  SearchShowsProgress = false;

  std::vector<int> players = {Spontane, Flexible, Konsequente, Denker};
#ifdef KAVRO_HAVE_ENGINE_AI
  players.push_back(kEngine);
#else
  if (onlyEngine) {
    std::fprintf(stderr, "kavro-arena was built without the sample engine\n");
    return 2;
  }
#endif
  const int count = int(players.size());
  std::vector<std::vector<Tally>> table(count, std::vector<Tally>(count));
  std::vector<Tally> asYellow(count), asBlue(count);
  int illegal = 0, gameIndex = 0;
  auto start = std::chrono::steady_clock::now();

  for (int a = 0; a < count; ++a) {
    for (int b = a + 1; b < count; ++b) {
      if (onlyEngine && players[a] != kEngine && players[b] != kEngine) continue;
      for (int side = 0; side < 2; ++side) {
        const int y = side == 0 ? a : b, bl = side == 0 ? b : a;
        for (int g = 0; g < games; ++g) {
          Outcome o = PlayGame(players[y], players[bl], GameSeed(seedBase, gameIndex++), illegal);
          Tally& ty = table[y][bl];
          Tally& tb = table[bl][y];
          if (o == Outcome::kYellowWins)
            ++ty.wins, ++tb.losses, ++asYellow[y].wins, ++asBlue[bl].losses;
          if (o == Outcome::kBlueWins)
            ++tb.wins, ++ty.losses, ++asBlue[bl].wins, ++asYellow[y].losses;
          if (o == Outcome::kDraw) ++ty.draws, ++tb.draws, ++asYellow[y].draws, ++asBlue[bl].draws;
        }
      }
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("%d games each way per pairing, seed %d", games, seedBase);
#ifdef KAVRO_HAVE_ENGINE_AI
  std::printf(", engine budget %d ms", engineBudgetMs);
#endif
  std::printf("; yellow moves first. Cells: wins/draws/losses of the row against the column.\n\n");
  std::printf("%-12s", "");
  for (int b = 0; b < count; ++b) std::printf(" %11s", kNames[players[b]]);
  std::printf(" %11s %7s %9s %9s\n", "total", "points", "as yellow", "as blue");
  for (int a = 0; a < count; ++a) {
    Tally total;
    std::printf("%-12s", kNames[players[a]]);
    for (int b = 0; b < count; ++b) {
      const Tally& t = table[a][b];
      if (a == b || t.games() == 0) {
        std::printf(" %11s", "-");
        continue;
      }
      std::printf(" %11s", (std::to_string(t.wins) + "/" + std::to_string(t.draws) + "/" +
                            std::to_string(t.losses))
                               .c_str());
      total.wins += t.wins, total.draws += t.draws, total.losses += t.losses;
    }
    std::printf(" %11s %6.1f%% %4d/%-4d %4d/%-4d\n",
                (std::to_string(total.wins) + "/" + std::to_string(total.draws) + "/" +
                 std::to_string(total.losses))
                    .c_str(),
                total.games() ? 100.0 * total.points() / total.games() : 0.0, asYellow[a].wins,
                asYellow[a].games(), asBlue[a].wins, asBlue[a].games());
  }
  std::printf("\n%d games in %.1f s", gameIndex, seconds);
  if (illegal > 0) std::printf("; %d games lost by an illegal or missing move", illegal);
  std::printf("\n");
  return illegal > 0 ? 1 : 0;
}
