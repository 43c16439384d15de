#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

// signalClose is taken by the input services as a close request;
// signalEnd stays set, so every dialog opened from then on closes at once.
volatile std::sig_atomic_t signalClose = 0;
volatile std::sig_atomic_t signalEnd = 0;
// Written by the handler so a toolkit asleep in poll() wakes up, whichever
// thread the signal was delivered to.
int wakePipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
  const int savedErrno = errno;
  signalClose = 1;
  signalEnd = 1;
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakePipe[1], &byte, 1);
  }
  errno = savedErrno;
}

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
  if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
    wakePipe[0] = wakePipe[1] = -1;
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
void ClearSignalClose() {
  signalClose = 0;
  signalEnd = 0;
  DrainSignalWake();
}
bool SignalEndPending() { return signalEnd != 0; }
int SignalWakeFd() { return wakePipe[0]; }
void DrainSignalWake() {
  char buffer[64];
  if (wakePipe[0] >= 0)
    while (::read(wakePipe[0], buffer, sizeof buffer) > 0) {
    }
}
}  // namespace platform_detail
