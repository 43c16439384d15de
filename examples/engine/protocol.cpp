// kavro-engine --protocol: ChooseEngineMove as an engine of the text
// protocol of five-in-a-row engine tournaments, on stdin and stdout, so that
// tournament managers and kavro-arena can run it like any other engine.
//
// Understood: START 15, RESTART, INFO (timeout_turn, timeout_match,
// time_left; others are accepted and ignored), BEGIN, TURN X,Y,
// BOARD ... DONE, TAKEBACK X,Y, ABOUT, END. Anything else is answered with
// UNKNOWN.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "brain.h"
#include "engine.h"
#include "move.h"

namespace {

struct Match {
  uint8_t cells[225] = {};  // 1 ours, 2 the opponent's
  int turnMs = -1;          // INFO timeout_turn; -1 unknown, 0 as fast as possible
  long long matchMs = 0;    // INFO timeout_match; 0 no limit
  long long leftMs = -1;    // INFO time_left; -1 unknown
};

void Say(const std::string& line) {
  std::fputs((line + "\r\n").c_str(), stdout);
  std::fflush(stdout);
}

// The smallest of the limits known: ours from the command line, the turn's,
// and a tenth of what is left of the match.
int Budget(const Match& match, int ownMs) {
  long long budget = ownMs > 0 ? ownMs : kDefaultBudgetMs;
  if (match.turnMs >= 0)
    budget = ownMs > 0 ? std::min<long long>(budget, match.turnMs) : match.turnMs;
  if (match.matchMs > 0 && match.leftMs >= 0) budget = std::min(budget, match.leftMs / 10);
  return int(std::max(1LL, budget));
}

bool OnBoard(int x, int y) { return x >= 0 && x < 15 && y >= 0 && y < 15; }

void Play(Match& match, int ownMs) {
  int x = -1, y = -1;
  if (!ChooseEngineMove(match.cells, Budget(match, ownMs), x, y) || !OnBoard(x, y) ||
      match.cells[15 * x + y] != 0) {
    Say("ERROR no move: the board is full");
    return;
  }
  match.cells[15 * x + y] = 1;
  Say(std::to_string(x) + "," + std::to_string(y));
}

}  // namespace

int ServeProtocol(int ownMs) {
  Match match;
  std::string line;
  bool inBoard = false;
  while (std::getline(std::cin, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    std::string word = line.substr(0, line.find(' '));
    std::transform(word.begin(), word.end(), word.begin(), ::toupper);
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : "";
    int x = -1, y = -1;
    if (inBoard) {
      int owner = 0;
      if (word == "DONE") {
        inBoard = false;
        Play(match, ownMs);
      } else if (std::sscanf(line.c_str(), "%d , %d , %d", &x, &y, &owner) == 3 && OnBoard(x, y)) {
        match.cells[15 * x + y] = owner == 1 ? 1 : 2;
      } else {
        Say("ERROR stone '" + line + "' not understood");
      }
    } else if (word == "START") {
      match = Match{};
      Say(rest == "15" ? "OK" : "ERROR only a board of 15 is supported");
    } else if (word == "RESTART") {
      std::fill(std::begin(match.cells), std::end(match.cells), 0);
      Say("OK");
    } else if (word == "INFO") {
      std::string key = rest.substr(0, rest.find(' '));
      long long value = std::atoll(rest.substr(std::min(rest.size(), key.size() + 1)).c_str());
      if (key == "timeout_turn") match.turnMs = int(std::min(value, 3600000LL));
      if (key == "timeout_match") match.matchMs = value;
      if (key == "time_left") match.leftMs = value;
    } else if (word == "BEGIN") {
      std::fill(std::begin(match.cells), std::end(match.cells), 0);
      Play(match, ownMs);
    } else if (word == "TURN") {
      if (ParseBrainMove(rest, x, y) && OnBoard(x, y) && match.cells[15 * x + y] == 0) {
        match.cells[15 * x + y] = 2;
        Play(match, ownMs);
      } else {
        Say("ERROR move '" + rest + "' cannot be played");
      }
    } else if (word == "BOARD") {
      std::fill(std::begin(match.cells), std::end(match.cells), 0);
      inBoard = true;
    } else if (word == "TAKEBACK") {
      if (ParseBrainMove(rest, x, y) && OnBoard(x, y)) {
        match.cells[15 * x + y] = 0;
        Say("OK");
      } else {
        Say("ERROR move '" + rest + "' not understood");
      }
    } else if (word == "ABOUT") {
      Say("name=\"kavro-engine\", version=\"1.0\", author=\"The Kavro team\", country=\"DE\"");
    } else if (word == "END") {
      return 0;
    } else if (!word.empty()) {
      Say("UNKNOWN " + line);
    }
  }
  return 0;
}
