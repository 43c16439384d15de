#include <csignal>
#include <cstdio>
#include <exception>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace {

std::vector<std::function<void()>>& Handlers() {
  static std::vector<std::function<void()>> handlers;
  return handlers;
}

volatile std::sig_atomic_t signalClose = 0;

extern "C" void OnTerminationSignal(int) { signalClose = 1; }

}  // namespace

void EndProgram(int code) { throw ProgramExit{code}; }

void AtProgramEnd(std::function<void()> handler) {
  if (handler) Handlers().push_back(std::move(handler));
}

// Each handler leaves the list before it runs, so it runs once even when a
// handler itself ends the program or registers another one.
void RunProgramEndHandlers() {
  auto& handlers = Handlers();
  while (!handlers.empty()) {
    std::function<void()> handler = std::move(handlers.front());
    handlers.erase(handlers.begin());
    try {
      handler();
    } catch (const ProgramExit&) {
    } catch (const std::exception& error) {
      std::fprintf(stderr, "kavro: at program end: %s\n", error.what());
    }
  }
}

void ClearProgramEndHandlers() { Handlers().clear(); }

void InstallSignalHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

namespace platform_detail {
bool TakeSignalClose() {
  if (!signalClose) return false;
  signalClose = 0;
  return true;
}
void ClearSignalClose() { signalClose = 0; }
}  // namespace platform_detail
