// kavro-engine --pbrain COMMAND: lets an engine that speaks the text protocol
// of five-in-a-row engine tournaments play in Kavro (the protocol itself is
// in brain.cpp).
//
// An engine that dies, answers something else or an unplayable square, or
// takes longer than its budget gets a line on stderr and no move goes to the
// game; one that died or lost track is started afresh for the next position.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "brain.h"
#include "engine.h"

int RunBridge(const std::vector<std::string>& command, int budgetMs) {
  signal(SIGPIPE, SIG_IGN);
  BrainOptions options;
  options.command = command;
  options.budgetMs = budgetMs;
  options.onNote = [](const std::string& line) {
    std::printf("  engine: %s\n", line.c_str());
    std::fflush(stdout);
  };
  Brain brain(options);
  if (!brain.Start()) {
    std::fprintf(stderr, "kavro-engine: engine %s\n", brain.Why().c_str());
    return 1;
  }
  std::printf("kavro-engine: engine '%s' ready (%d ms per move)\n", command[0].c_str(), budgetMs);
  std::fflush(stdout);
  int code = ServePositions([&brain](const uint8_t cells[225], int& x, int& y) {
    if (brain.Choose(cells, x, y)) return true;
    std::fprintf(stderr, "kavro-engine: engine %s; no move sent\n", brain.Why().c_str());
    return false;
  });
  brain.Stop();
  return code;
}
