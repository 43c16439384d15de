// kavro-arena: the workbench for engine authors. The characters, the sample
// engine and engines of the tournament text protocol play each other from a
// set of openings (each twice, colours swapped), several games at once; the
// results come with Elo and its error margin, an SPRT can decide between two
// players, and every game can be kept as a .psq record.
//
//   kavro-arena [PAIRS] [options]      (kavro-arena --help lists them)
//   kavro-arena --replay FILE.psq
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ai/search.h"
#include "tools/arena/game.h"
#include "tools/arena/openings.h"
#include "tools/arena/players.h"
#include "tools/arena/records.h"
#include "tools/arena/runner.h"
#include "tools/arena/stats.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "usage: kavro-arena [PAIRS] [options]\n"
    "       kavro-arena --replay FILE.psq\n"
    "Every pairing plays PAIRS openings (default 10), each twice with colours swapped.\n"
    "  --players A,B,...        who plays (default: all built-in players); an entry\n"
    "                           NAME=COMMAND adds an engine at the same time\n"
    "  --engine NAME=COMMAND    an engine of the tournament text protocol (repeatable;\n"
    "                           COMMAND may hold arguments, quoted as in a shell)\n"
    "  --tc NAME=MS             time per move of an engine (default --engine-ms)\n"
    "  --nodes NAME=N           node limit sent to an engine as INFO max_node\n"
    "  --engine-ms MS           time per move of every engine (default 100)\n"
    "  --only-engine            only the pairings with the built-in Engine\n"
    "  --openings FILE          openings, one a line, stones as x,y (zero-based)\n"
    "  --seed S                 another set of seeds and opening order (default 1)\n"
    "  -j N                     N games at once (default 1)\n"
    "  --sprt ELO0 ELO1 [ALPHA BETA]   sequential test for two players, on pairs\n"
    "  --sprt-model normalized|logistic   what ELO0 and ELO1 measure (default normalized)\n"
    "  --records DIR            every game as DIR/game-N.psq, a line each in DIR/games.txt\n";

int Usage(const std::string& why = "") {
  if (!why.empty()) std::fprintf(stderr, "kavro-arena: %s\n", why.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

std::string Split(const std::string& text, std::string& value) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) return "";
  value = text.substr(eq + 1);
  return text.substr(0, eq);
}

struct Tally {
  int wins = 0, draws = 0, losses = 0;
  int games() const { return wins + draws + losses; }
  double points() const { return wins + 0.5 * draws; }
  void Add(int halfPoints) { halfPoints == 2 ? ++wins : halfPoints == 1 ? ++draws : ++losses; }
  std::string Text() const {
    return std::to_string(wins) + "/" + std::to_string(draws) + "/" + std::to_string(losses);
  }
};

struct PlayerTotals {
  Tally games, asYellow, asBlue;
  Pentanomial pairs;
  int faults[5] = {};  // by BrainFault
};

// Half points of yellow in a game.
int YellowHalfPoints(const GameRecord& r) {
  return r.outcome == Outcome::kYellowWins ? 2 : r.outcome == Outcome::kDraw ? 1 : 0;
}

std::string Duration(double seconds) {
  char text[32];
  int s = int(std::lround(seconds));
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%dh%02dm", s / 3600, s / 60 % 60);
  else
    std::snprintf(text, sizeof text, "%dm%02ds", s / 60, s % 60);
  return text;
}

// The one-line progress display on stderr: redrawn in place on a terminal,
// otherwise a plain line now and then.
class Progress {
 public:
  // An SPRT ends when it decides: no time left to foretell.
  Progress(int total, bool timeLeft)
      : total_(total), timeLeft_(timeLeft), terminal_(isatty(2)), start_(Clock::now()) {}
  void Show(int done, const std::string& text, bool important) {
    double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    std::string line = "games " + std::to_string(done) + "/" + std::to_string(total_) + "  " + text;
    if (timeLeft_ && done > 0 && done < total_)
      line += "  left ~" + Duration(elapsed / done * (total_ - done));
    if (terminal_) {
      // A line longer than the terminal would wrap, and \r redraw only its end.
      winsize size{};
      if (ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && line.size() >= size.ws_col)
        line.resize(size_t(size.ws_col - 1));
      std::fprintf(stderr, "\r\033[K%s", line.c_str());
    } else {
      int step = std::max(1, total_ / 10);
      if (!important && done % step != 0 && done != total_) return;
      std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::fflush(stderr);
  }
  // A line of its own above the progress display.
  void Note(const std::string& text) {
    std::fprintf(stderr, terminal_ ? "\r\033[K%s\n" : "%s\n", text.c_str());
    std::fflush(stderr);
  }
  void Finish() {
    if (terminal_) std::fprintf(stderr, "\n");
  }

 private:
  int total_;
  bool timeLeft_;
  bool terminal_;
  Clock::time_point start_;
};

// Whether a program can be started by that name, as execvp would look.
bool FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':'))
    if (access(((folder.empty() ? "." : folder) + "/" + name).c_str(), X_OK) == 0) return true;
  return false;
}

int Replay(const std::string& path) {
  std::string error;
  PsqGame game;
  if (!ReadPsq(path, game, error)) {
    std::fprintf(stderr, "kavro-arena: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::fputs(ReplayText(game).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int pairs = 10;
  bool pairsGiven = false;
  int32_t seedBase = 1;
  int parallel = 1;
  int engineMs = 100;
  bool onlyEngine = false;
  std::string playersArg, openingsPath, recordsDir, sprtModel = "normalized";
  std::vector<std::string> engineArgs, tcArgs, nodeArgs;
  std::vector<double> sprtArgs;

  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) return "";
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--replay" && i + 1 < argc) {
      return Replay(argv[i + 1]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seedBase = int32_t(std::atol(value().c_str()));
    } else if (arg == "--engine-ms" && i + 1 < argc) {
      engineMs = std::atoi(value().c_str());
    } else if (arg == "--only-engine") {
      onlyEngine = true;
    } else if (arg == "--players" && i + 1 < argc) {
      playersArg = value();
    } else if (arg == "--engine" && i + 1 < argc) {
      engineArgs.push_back(value());
    } else if (arg == "--tc" && i + 1 < argc) {
      tcArgs.push_back(value());
    } else if (arg == "--nodes" && i + 1 < argc) {
      nodeArgs.push_back(value());
    } else if (arg == "--openings" && i + 1 < argc) {
      openingsPath = value();
    } else if (arg == "--records" && i + 1 < argc) {
      recordsDir = value();
    } else if (arg == "--sprt-model" && i + 1 < argc) {
      sprtModel = value();
    } else if (arg.rfind("-j", 0) == 0) {
      std::string n = arg.size() > 2 ? arg.substr(2) : value();
      parallel = std::atoi(n.c_str());
      if (parallel < 1) return Usage("-j needs a number of games");
    } else if (arg == "--sprt") {
      // ELO0 ELO1, then ALPHA BETA only if both follow as probabilities: a
      // number after the bounds may be PAIRS.
      auto number = [&](int at, double& v) {
        if (at >= argc) return false;
        char* end = nullptr;
        v = std::strtod(argv[at], &end);
        return end != argv[at] && !*end;
      };
      double v[4];
      if (!number(i + 1, v[0]) || !number(i + 2, v[1]))
        return Usage("--sprt needs ELO0 ELO1 and optionally ALPHA BETA");
      sprtArgs = {v[0], v[1]};
      i += 2;
      if (number(i + 1, v[2]) && number(i + 2, v[3]) && v[2] > 0 && v[2] < 0.5 && v[3] > 0 &&
          v[3] < 0.5) {
        sprtArgs.push_back(v[2]);
        sprtArgs.push_back(v[3]);
        i += 2;
      }
    } else if (!arg.empty() && arg[0] != '-' && std::atoi(arg.c_str()) > 0) {
      pairs = std::atoi(arg.c_str());
      pairsGiven = true;
    } else {
      return Usage("unknown argument '" + arg + "'");
    }
  }
  if (engineMs < 1) return Usage("--engine-ms needs at least 1");
  if (sprtModel != "normalized" && sprtModel != "logistic")
    return Usage("--sprt-model is normalized or logistic");

  // Players: the built-in ones, then the engines.
  std::vector<PlayerEntry> known = BuiltInPlayers();
  auto find = [&](const std::string& name) -> PlayerEntry* {
    for (PlayerEntry& p : known)
      if (p.name == name) return &p;
    return nullptr;
  };
  std::vector<std::string> chosen;
  auto addEngine = [&](const std::string& text) -> bool {
    std::string command;
    std::string name = Split(text, command);
    PlayerEntry entry;
    entry.name = name;
    entry.kind = PlayerEntry::Kind::kExternal;
    entry.command = SplitCommand(command);
    if (name.empty() || entry.command.empty() || name.find(',') != std::string::npos) return false;
    if (PlayerEntry* old = find(name))
      *old = entry;
    else
      known.push_back(entry);
    return true;
  };
  for (const std::string& e : engineArgs)
    if (!addEngine(e)) return Usage("--engine needs NAME=COMMAND, not '" + e + "'");
  if (!playersArg.empty()) {
    std::stringstream list(playersArg);
    std::string entry;
    while (std::getline(list, entry, ',')) {
      if (entry.find('=') != std::string::npos) {
        if (!addEngine(entry)) return Usage("no engine in '" + entry + "'");
        std::string ignored;
        entry = Split(entry, ignored);
      }
      if (!find(entry)) return Usage("no player called '" + entry + "'");
      chosen.push_back(entry);
    }
  } else {
    for (const PlayerEntry& p : known) chosen.push_back(p.name);
  }
  for (PlayerEntry& p : known) p.budgetMs = engineMs;
  for (const std::string& t : tcArgs) {
    std::string ms;
    PlayerEntry* p = find(Split(t, ms));
    if (!p || std::atoi(ms.c_str()) < 1)
      return Usage("--tc needs NAME=MS of a player, not '" + t + "'");
    p->budgetMs = std::atoi(ms.c_str());
  }
  for (const std::string& t : nodeArgs) {
    std::string n;
    PlayerEntry* p = find(Split(t, n));
    if (!p || std::atoll(n.c_str()) < 1)
      return Usage("--nodes needs NAME=N of an engine, not '" + t + "'");
    p->maxNodes = std::atoll(n.c_str());
  }
  std::vector<PlayerEntry> players;
  for (const std::string& name : chosen) players.push_back(*find(name));
  for (const PlayerEntry& p : players)
    if (p.kind == PlayerEntry::Kind::kExternal && !FindProgram(p.command[0]))
      return Usage("the engine " + p.name + ": no program '" + p.command[0] + "'");
  if (players.size() < 2) return Usage("at least two players are needed");
  if (onlyEngine && !HaveSampleEngine()) {
    std::fprintf(stderr, "kavro-arena was built without the sample engine\n");
    return 2;
  }

  // Openings.
  std::vector<Opening> openings;
  std::string openingsName = "built-in";
  if (!openingsPath.empty()) {
    std::string text, error;
    if (!ReadText(openingsPath, text)) return Usage("cannot read " + openingsPath);
    if (!ParseOpenings(text, openings, error)) return Usage(openingsPath + ": " + error);
    openingsName = openingsPath;
    for (size_t i = 0; i < openings.size(); ++i)
      if (OpeningIsDecided(openings[i]))
        std::fprintf(stderr, "kavro-arena: opening %zu (%s) is won by a quick search\n", i + 1,
                     FormatOpening(openings[i]).c_str());
  } else {
    openings = BuiltInOpenings();
  }

  // Pairings.
  std::vector<std::pair<int, int>> pairings;
  for (int a = 0; a < int(players.size()); ++a)
    for (int b = a + 1; b < int(players.size()); ++b) {
      bool engine = players[size_t(a)].kind == PlayerEntry::Kind::kSampleEngine ||
                    players[size_t(b)].kind == PlayerEntry::Kind::kSampleEngine;
      if (!onlyEngine || engine) pairings.emplace_back(a, b);
    }
  const bool sprt = !sprtArgs.empty();
  if (sprt && players.size() != 2) return Usage("--sprt is for two players");
  if (sprt && !pairsGiven) pairs = 5000;
  Sprt test(sprt ? sprtArgs[0] : 0, sprt ? sprtArgs[1] : 0,
            sprtArgs.size() == 4 ? sprtArgs[2] : 0.05, sprtArgs.size() == 4 ? sprtArgs[3] : 0.05,
            sprtModel == "logistic" ? SprtModel::kLogistic : SprtModel::kNormalized);
  if (sprt && !(test.Lower() < 0 && test.Upper() > 0))
    return Usage("--sprt needs ALPHA and BETA between 0 and 0.5");

  // Records.
  int engineStderr = open("/dev/null", O_WRONLY | O_CLOEXEC);
  std::ofstream summary;
  if (!recordsDir.empty()) {
    mkdir(recordsDir.c_str(), 0777);
    summary.open(recordsDir + "/games.txt");
    if (!summary) return Usage("cannot write into " + recordsDir);
    close(engineStderr);
    engineStderr = open((recordsDir + "/engines.log").c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0666);
  }

  std::vector<ScheduledGame> schedule =
      MakeSchedule(pairings, pairs, int(openings.size()), seedBase);
  const int count = int(players.size());
  const size_t n = players.size();
  std::vector<std::vector<Tally>> table(n, std::vector<Tally>(n));
  std::vector<std::vector<Pentanomial>> pairTable(n, std::vector<Pentanomial>(n));
  std::vector<PlayerTotals> totals(n);
  // [loser][winner][fault]: games lost by a fault in each pairing.
  std::vector<std::vector<std::array<int, 5>>> pairFaults(n, std::vector<std::array<int, 5>>(n));
  int builtInFaults = 0, done = 0, firstHalfPoints = 0;
  std::string decision;
  Progress progress(int(schedule.size()), !sprt);
  auto start = Clock::now();

  auto onRecord = [&](const GameRecord& r) {
    const int y = r.yellow, b = r.blue;
    const int hp = YellowHalfPoints(r);
    table[size_t(y)][size_t(b)].Add(hp);
    table[size_t(b)][size_t(y)].Add(2 - hp);
    totals[size_t(y)].games.Add(hp);
    totals[size_t(b)].games.Add(2 - hp);
    totals[size_t(y)].asYellow.Add(hp);
    totals[size_t(b)].asBlue.Add(2 - hp);
    if (r.faultyColour) {
      const int faulty = r.faultyColour == 1 ? y : b;
      ++totals[size_t(faulty)].faults[int(r.fault)];
      ++pairFaults[size_t(faulty)][size_t(faulty == y ? b : y)][size_t(r.fault)];
      if (players[size_t(faulty)].kind != PlayerEntry::Kind::kExternal) ++builtInFaults;
      progress.Note("game " + std::to_string(r.index + 1) + ": " + players[size_t(faulty)].name +
                    " lost by " + r.reason + (r.why.empty() ? "" : " (" + r.why + ")"));
    }
    // The second game of a pair: the first game's yellow is this one's blue.
    const bool second = r.index % 2 == 1;
    if (!second) {
      firstHalfPoints = hp;
    } else {
      const int a = b;  // yellow of the first game
      const int pairPoints = firstHalfPoints + (2 - hp);
      pairTable[size_t(a)][size_t(y)].Add(pairPoints);
      pairTable[size_t(y)][size_t(a)].Add(4 - pairPoints);
      totals[size_t(a)].pairs.Add(pairPoints);
      totals[size_t(y)].pairs.Add(4 - pairPoints);
    }
    if (!recordsDir.empty()) {
      char name[64];
      std::snprintf(name, sizeof name, "/game-%04d.psq", r.index + 1);
      std::ofstream(recordsDir + name)
          << PsqText(r, players[size_t(y)].name, players[size_t(b)].name);
      summary << SummaryLine(r, players[size_t(y)].name, players[size_t(b)].name,
                             FormatOpening(openings[size_t(r.opening)]))
              << "\n"
              << std::flush;
    }
    ++done;
    // Progress: the first player against the field.
    const PlayerTotals& first = totals[0];
    char text[160];
    std::snprintf(text, sizeof text, "%s %s %.1f%%  Elo %s", players[0].name.c_str(),
                  first.games.Text().c_str(),
                  first.games.games() ? 100.0 * first.games.points() / first.games.games() : 0.0,
                  FormatElo(EstimateElo(first.pairs)).c_str());
    std::string line = text;
    bool important = false;
    if (sprt && second) {
      const double llr = test.Llr(totals[0].pairs);
      std::snprintf(text, sizeof text, "  LLR %.2f (%.2f, %.2f)", llr, test.Lower(), test.Upper());
      line += text;
      important = true;
      if (int d = test.Decision(llr, totals[0].pairs.Pairs()))
        decision = d > 0 ? "H1 accepted" : "H0 accepted";
    }
    progress.Show(done, line, important);
    return decision.empty();
  };

  std::string error;
  RunOptions options;
  options.parallel = parallel;
  options.engineStderr = engineStderr;
  bool ok = RunSchedule(players, openings, schedule, options, onRecord, error);
  progress.Finish();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  // Ctrl-C still shows what the games so far say.
  const bool interrupted = !ok && error == "interrupted";
  if (!ok) {
    std::fprintf(stderr, "kavro-arena: %s\n", error.c_str());
    if (!interrupted) return 1;
  }

  std::printf(
      "%d openings per pairing, each played twice with colours swapped; openings %s (%zu);"
      " seed %d; %d game%s at once\n",
      pairs, openingsName.c_str(), openings.size(), seedBase, parallel, parallel == 1 ? "" : "s");
  for (const PlayerEntry& p : players)
    if (p.kind != PlayerEntry::Kind::kCharacter)
      std::printf("  %s: %d ms a move%s\n", p.name.c_str(), p.budgetMs,
                  p.maxNodes > 0 ? (", " + std::to_string(p.maxNodes) + " nodes").c_str() : "");
  std::printf("Cells: wins/draws/losses of the row against the column; yellow moves first.\n\n");
  std::printf("%-12s", "");
  for (const PlayerEntry& p : players) std::printf(" %11.11s", p.name.c_str());
  std::printf("\n");
  for (int a = 0; a < count; ++a) {
    std::printf("%-12.12s", players[size_t(a)].name.c_str());
    for (int b = 0; b < count; ++b) {
      const Tally& t = table[size_t(a)][size_t(b)];
      std::printf(" %11s", a == b || t.games() == 0 ? "-" : t.Text().c_str());
    }
    std::printf("\n");
  }

  std::printf(
      "\nPairings: Elo of the first against the second, 95 %% margin from the game pairs\n");
  for (auto [a, b] : pairings) {
    const Tally& t = table[size_t(a)][size_t(b)];
    if (t.games() == 0) continue;
    // Games lost by a fault, "lost by: first 2 crash; second 1 time".
    std::string faults;
    for (auto [loser, winner] : {std::pair{a, b}, std::pair{b, a}}) {
      std::string kinds;
      for (BrainFault f :
           {BrainFault::kCrash, BrainFault::kTime, BrainFault::kIllegal, BrainFault::kGarbage})
        if (int c = pairFaults[size_t(loser)][size_t(winner)][size_t(f)])
          kinds += (kinds.empty() ? " " : ", ") + std::to_string(c) + " " + BrainFaultName(f);
      if (!kinds.empty())
        faults += (faults.empty() ? "  lost by " : "; ") + players[size_t(loser)].name + kinds;
    }
    std::printf("  %-25s %11s %6.1f%%  %-14s %lld pairs%s\n",
                (players[size_t(a)].name + " - " + players[size_t(b)].name).c_str(),
                t.Text().c_str(), 100.0 * t.points() / t.games(),
                FormatElo(EstimateElo(pairTable[size_t(a)][size_t(b)])).c_str(),
                static_cast<long long>(pairTable[size_t(a)][size_t(b)].Pairs()), faults.c_str());
  }

  std::printf("\n%-12s %6s %11s %7s %-14s %9s %9s %6s %5s %7s %7s\n", "player", "games", "total",
              "points", "Elo vs field", "as yellow", "as blue", "crash", "time", "illegal",
              "garbage");
  for (int a = 0; a < count; ++a) {
    const PlayerTotals& t = totals[size_t(a)];
    std::printf("%-12.12s %6d %11s %6.1f%% %-14s %4d/%-4d %4d/%-4d %6d %5d %7d %7d\n",
                players[size_t(a)].name.c_str(), t.games.games(), t.games.Text().c_str(),
                t.games.games() ? 100.0 * t.games.points() / t.games.games() : 0.0,
                FormatElo(EstimateElo(t.pairs)).c_str(), t.asYellow.wins, t.asYellow.games(),
                t.asBlue.wins, t.asBlue.games(), t.faults[int(BrainFault::kCrash)],
                t.faults[int(BrainFault::kTime)], t.faults[int(BrainFault::kIllegal)],
                t.faults[int(BrainFault::kGarbage)]);
  }
  std::printf("\n%d games in %.1f s\n", done, seconds);
  if (sprt) {
    const double llr = test.Llr(totals[0].pairs);
    std::printf(
        "SPRT %s - %s, %s Elo [%g, %g], alpha %g beta %g: LLR %.2f (%.2f, %.2f) after %lld pairs: "
        "%s\n",
        players[0].name.c_str(), players[1].name.c_str(), sprtModel.c_str(), test.Elo0(),
        test.Elo1(), sprtArgs.size() == 4 ? sprtArgs[2] : 0.05,
        sprtArgs.size() == 4 ? sprtArgs[3] : 0.05, llr, test.Lower(), test.Upper(),
        static_cast<long long>(totals[0].pairs.Pairs()),
        decision.empty() ? "no decision" : decision.c_str());
  }
  if (builtInFaults > 0)
    std::printf("%d games lost by a built-in player's missing or illegal move\n", builtInFaults);
  if (interrupted) return 130;
  return builtInFaults > 0 ? 1 : 0;
}
