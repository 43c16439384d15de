// kavro-engine: the sample external engine of Kavro.
//
//   kavro-engine [MILLISECONDS]
//       plays the move of ChooseEngineMove (move.cpp), thinking about
//       MILLISECONDS per move (default 1000);
//   kavro-engine [MILLISECONDS] --pbrain COMMAND [ARGUMENT...]
//       lets an engine that speaks the tournament text protocol on
//       stdin/stdout choose the move (bridge.cpp);
//   kavro-engine [MILLISECONDS] --protocol
//       is itself such an engine (protocol.cpp): no network, moves on
//       stdin/stdout, for kavro-arena and tournament managers.
//
// Start it before using the "Netzwerk" entry in the game. The game sends
// each position as one datagram of 225 bytes to 127.0.0.1:8000: byte
// 15 * x + y is column x, row y; 0 empty, 1 a stone of the side to move (the
// side this engine plays), 2 an opponent's stone. The answer is a datagram
// of two bytes, column and row, to 127.0.0.1:8001.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine.h"
#include "move.h"

namespace {

constexpr uint16_t kPositionPort = 8000;
constexpr uint16_t kMovePort = 8001;
// The game binds its port only after sending the position: an answer that
// comes quicker than this could arrive before anyone listens.
constexpr auto kMinimumAnswerTime = std::chrono::milliseconds(30);

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// The side to move is 1: never answer a square that is off the board or
// taken, whatever the chooser says.
bool PlayableSquare(const uint8_t cells[225], int x, int y) {
  return x >= 0 && x < 15 && y >= 0 && y < 15 && cells[15 * x + y] == 0;
}

bool SendMove(int x, int y) {
  int out = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (out < 0) return false;
  uint8_t move[2] = {uint8_t(x), uint8_t(y)};
  sockaddr_in game = Loopback(kMovePort);
  bool sent =
      sendto(out, move, sizeof move, 0, reinterpret_cast<sockaddr*>(&game), sizeof game) == 2;
  close(out);
  return sent;
}

void Answer(const uint8_t cells[225], const MoveChooser& choose) {
  auto start = std::chrono::steady_clock::now();
  int stones = 0;
  for (int i = 0; i < 225; ++i) stones += cells[i] != 0;
  std::printf("position with %d stones received\n", stones);
  std::fflush(stdout);

  int x = -1, y = -1;
  if (!choose(cells, x, y)) {
    std::printf("  no move sent\n");
    std::fflush(stdout);
    return;
  }
  if (!PlayableSquare(cells, x, y)) {
    std::fprintf(stderr, "kavro-engine: move %d,%d cannot be played; no move sent\n", x, y);
    return;
  }
  std::this_thread::sleep_until(start + kMinimumAnswerTime);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  start);
  if (SendMove(x, y))
    std::printf("  move: column %d, row %d (%lld ms)\n", x, y, static_cast<long long>(ms.count()));
  else
    std::fprintf(stderr, "kavro-engine: move %d,%d not sent: %s\n", x, y, std::strerror(errno));
  std::fflush(stdout);
}

int ParseBudget(const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (!*text || *end || value < 1 || value > 3600000) return -1;
  return int(value);
}

int Usage() {
  std::fprintf(stderr,
               "usage: kavro-engine [MILLISECONDS]\n"
               "       kavro-engine [MILLISECONDS] --pbrain COMMAND [ARGUMENT...]\n"
               "       kavro-engine [MILLISECONDS] --protocol\n");
  return 2;
}

}  // namespace

int ServePositions(const MoveChooser& choose) {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  int in = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in here = Loopback(kPositionPort);
  if (in < 0 || bind(in, reinterpret_cast<sockaddr*>(&here), sizeof here) < 0) {
    std::fprintf(stderr, "kavro-engine: cannot listen on 127.0.0.1 UDP port %d: %s\n",
                 kPositionPort, std::strerror(errno));
    if (in >= 0) close(in);
    return 1;
  }
  std::printf("kavro-engine: waiting for positions on 127.0.0.1:%d\n", kPositionPort);
  std::fflush(stdout);

  // Larger than any datagram, so a wrong one is seen whole and rejected.
  static uint8_t datagram[65536];
  while (!stopRequested) {
    pollfd waiting{in, POLLIN, 0};
    if (poll(&waiting, 1, 200) <= 0) continue;
    ssize_t size = recv(in, datagram, sizeof datagram, 0);
    if (size < 0) continue;
    bool valid = size == 225;
    for (ssize_t i = 0; valid && i < size; ++i) valid = datagram[i] <= 2;
    if (!valid) {
      std::fprintf(stderr, "kavro-engine: a datagram of %zd bytes is not a position; ignored\n",
                   size);
      continue;
    }
    Answer(datagram, choose);
  }
  close(in);
  return 0;
}

int main(int argc, char** argv) {
  int budget = kDefaultBudgetMs;
  bool budgetGiven = false;
  int next = 1;
  if (next < argc && argv[next][0] != '-') {
    budget = ParseBudget(argv[next]);
    if (budget < 0) return Usage();
    budgetGiven = true;
    ++next;
  }
  if (next + 1 == argc && std::strcmp(argv[next], "--protocol") == 0)
    return ServeProtocol(budgetGiven ? budget : 0);
  if (next < argc) {
    if (std::strcmp(argv[next], "--pbrain") != 0 || next + 1 >= argc) return Usage();
    std::vector<std::string> command(argv + next + 1, argv + argc);
    return RunBridge(command, budget);
  }
  return ServePositions([budget](const uint8_t cells[225], int& x, int& y) {
    return ChooseEngineMove(cells, budget, x, y);
  });
}
