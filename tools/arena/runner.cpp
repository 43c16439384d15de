#include "tools/arena/runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <map>

namespace {

volatile std::sig_atomic_t interrupted = 0;
void Interrupt(int) { interrupted = 1; }

// Seeds spread over the generator's range; neighbouring seeds start alike.
int32_t GameSeed(int32_t base, int index) {
  return int32_t((uint32_t(base) * 2654435761u + uint32_t(index) * 40503u * 65537u) >> 1) + 1;
}

struct Worker {
  pid_t pid = 0;
  int fd = -1;
  int index = 0;
  std::string output;
};

void EndWorker(Worker& worker) {
  // The game's engines are in its process group.
  kill(-worker.pid, SIGKILL);
  kill(worker.pid, SIGKILL);
  waitpid(worker.pid, nullptr, 0);
  close(worker.fd);
}

bool StartWorker(const std::vector<PlayerEntry>& players, const std::vector<Opening>& openings,
                 const ScheduledGame& game, int index, const RunOptions& options, Worker& worker) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) < 0) return false;
  pid_t pid = fork();
  if (pid < 0) {
    close(ends[0]), close(ends[1]);
    return false;
  }
  if (pid == 0) {
    setpgid(0, 0);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    GameRecord record = PlayGame(players[size_t(game.yellow)], players[size_t(game.blue)],
                                 openings[size_t(game.opening)], game.seed, options.engineStderr);
    record.index = index;
    record.yellow = game.yellow;
    record.blue = game.blue;
    record.opening = game.opening;
    std::string line = record.Serialize() + "\n";
    size_t done = 0;
    while (done < line.size()) {
      ssize_t n = write(ends[1], line.data() + done, line.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) _exit(1);
      done += size_t(n);
    }
    _exit(0);
  }
  setpgid(pid, pid);  // also here, so that no kill can come before the child's own call
  close(ends[1]);
  worker = Worker{pid, ends[0], index, {}};
  return true;
}

}  // namespace

std::vector<ScheduledGame> MakeSchedule(const std::vector<std::pair<int, int>>& pairings,
                                        int pairsPerPairing, int openingCount, int32_t seedBase) {
  // Fisher-Yates with a generator of our own: the same order on every system.
  std::vector<int> order(static_cast<size_t>(openingCount));
  for (int i = 0; i < openingCount; ++i) order[size_t(i)] = i;
  uint64_t state = uint64_t(uint32_t(seedBase)) * 0x9E3779B97F4A7C15ull + 1;
  for (int i = openingCount - 1; i > 0; --i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    int j = int((state >> 33) % uint64_t(i + 1));
    std::swap(order[size_t(i)], order[size_t(j)]);
  }
  std::vector<ScheduledGame> schedule;
  for (int pair = 0; pair < pairsPerPairing; ++pair)
    for (auto [a, b] : pairings) {
      const int opening = order[size_t(pair % openingCount)];
      for (int side = 0; side < 2; ++side) {
        ScheduledGame game;
        game.yellow = side == 0 ? a : b;
        game.blue = side == 0 ? b : a;
        game.opening = opening;
        game.seed = GameSeed(seedBase, int(schedule.size()));
        schedule.push_back(game);
      }
    }
  return schedule;
}

bool RunSchedule(const std::vector<PlayerEntry>& players, const std::vector<Opening>& openings,
                 const std::vector<ScheduledGame>& schedule, const RunOptions& options,
                 const std::function<bool(const GameRecord&)>& onRecord, std::string& error) {
  signal(SIGPIPE, SIG_IGN);
  interrupted = 0;
  struct sigaction action {
  }, oldInt{}, oldTerm{};
  action.sa_handler = Interrupt;
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);

  const int parallel = std::max(1, options.parallel);
  std::vector<Worker> running;
  std::map<int, GameRecord> finished;  // ended, waiting for their turn
  int next = 0, handed = 0;
  bool ok = true, stop = false;

  while (ok && !stop && handed < int(schedule.size())) {
    while (int(running.size()) < parallel && next < int(schedule.size())) {
      Worker worker;
      if (!StartWorker(players, openings, schedule[size_t(next)], next, options, worker)) {
        error = "cannot start a game: " + std::string(std::strerror(errno));
        ok = false;
        break;
      }
      running.push_back(worker);
      ++next;
    }
    if (!ok) break;
    std::vector<pollfd> waiting;
    for (Worker& w : running) waiting.push_back({w.fd, POLLIN, 0});
    int ready = poll(waiting.data(), waiting.size(), 200);
    if (interrupted) {
      error = "interrupted";
      ok = false;
      break;
    }
    if (ready <= 0) continue;
    for (size_t i = 0; i < running.size();) {
      Worker& w = running[i];
      if (!(waiting[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        ++i;
        continue;
      }
      char chunk[65536];
      ssize_t n = read(w.fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) {
        ++i;
        continue;
      }
      if (n > 0) {
        w.output.append(chunk, size_t(n));
        ++i;
        continue;
      }
      // The game's process is done.
      close(w.fd);
      int status = 0;
      waitpid(w.pid, &status, 0);
      kill(-w.pid, SIGKILL);  // engines it may have left behind
      GameRecord record;
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
          !GameRecord::Deserialize(w.output, record)) {
        error = "game " + std::to_string(w.index + 1) + " failed in its process (status " +
                std::to_string(status) + ")";
        ok = false;
      } else {
        finished[w.index] = record;
      }
      running.erase(running.begin() + long(i));
      waiting.erase(waiting.begin() + long(i));
    }
    while (ok && !stop && finished.count(handed)) {
      stop = !onRecord(finished[handed]);
      finished.erase(handed);
      ++handed;
    }
  }
  for (Worker& w : running) EndWorker(w);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  return ok;
}
