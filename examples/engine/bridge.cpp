// kavro-engine --pbrain COMMAND: lets an engine that speaks the text protocol
// of five-in-a-row engine tournaments play in Kavro.
//
// The engine is started with its stdin and stdout on pipes. Lines end in
// CR LF. The bridge sends START 15 (the engine answers OK), INFO rule 0 (five
// or more wins), INFO timeout_turn with the bridge's budget and INFO
// timeout_match 0; then for each position BOARD, one line X,Y,F per stone
// (F 1 the engine's own, 2 the opponent's) and DONE, and reads the answer X,Y.
// MESSAGE, DEBUG and UNKNOWN lines are logged and skipped. An engine that
// dies, answers something else or an unplayable square, or takes longer than
// its budget gets a line on stderr and no move goes to the game; one that
// died or lost track is started afresh for the next position.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Some engines drop a command that arrives while they finish their move.
constexpr milliseconds kPauseAfterAnswer{100};
constexpr milliseconds kStartTimeout{15000};
// Pipes and process start add to the engine's own time.
constexpr milliseconds kAnswerGrace{1000};

class Brain {
 public:
  Brain(std::vector<std::string> command, int budgetMs)
      : command_(std::move(command)), budgetMs_(budgetMs) {}
  ~Brain() { Stop(); }

  bool Running() const { return pid_ > 0; }

  bool Start() {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) < 0) return Fail("no pipe: " + std::string(std::strerror(errno)));
    if (pipe2(fromChild, O_CLOEXEC) < 0) {
      close(toChild[0]), close(toChild[1]);
      return Fail("no pipe: " + std::string(std::strerror(errno)));
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      std::vector<char*> argv;
      for (std::string& part : command_) argv.push_back(part.data());
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      std::fprintf(stderr, "kavro-engine: cannot start '%s': %s\n", argv[0], std::strerror(errno));
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (pid_ < 0) {
      pid_ = 0;
      close(toChild[1]), close(fromChild[0]);
      return Fail("cannot start the engine: " + std::string(std::strerror(errno)));
    }
    toEngine_ = toChild[1];
    fromEngine_ = fromChild[0];
    buffered_.clear();

    std::string line;
    if (!Send("START 15") || !ReadAnswer(Clock::now() + kStartTimeout, line)) return Abandon();
    if (line != "OK") return Abandon("answered START with '" + line + "' instead of OK");
    if (!Send("INFO rule 0") || !Send("INFO timeout_turn " + std::to_string(budgetMs_)) ||
        !Send("INFO timeout_match 0"))
      return Abandon();
    readyAt_ = Clock::now();
    return true;
  }

  bool Choose(const uint8_t cells[225], int& x, int& y) {
    if (!Running() && !Start()) return false;
    std::this_thread::sleep_until(readyAt_);
    if (!Send("BOARD")) return Abandon();
    for (int cx = 0; cx < 15; ++cx)
      for (int cy = 0; cy < 15; ++cy) {
        int owner = cells[15 * cx + cy];
        if (owner &&
            !Send(std::to_string(cx) + "," + std::to_string(cy) + "," + std::to_string(owner)))
          return Abandon();
      }
    if (!Send("DONE")) return Abandon();

    std::string line;
    if (!ReadAnswer(Clock::now() + milliseconds(budgetMs_) + kAnswerGrace, line)) return Abandon();
    readyAt_ = Clock::now() + kPauseAfterAnswer;
    if (!ParseMove(line, x, y)) return Abandon("answered '" + line + "' instead of a move X,Y");
    if (x < 0 || x > 14 || y < 0 || y > 14 || cells[15 * x + y] != 0)
      return Fail("answered " + line + ", a square that cannot be played; no move sent");
    return true;
  }

  void Stop() {
    if (!Running()) return;
    Send("END");
    close(toEngine_);
    // A polite engine ends on END or on the closed input; the others are killed.
    for (int i = 0; i < 50 && !Reaped(); ++i) std::this_thread::sleep_for(milliseconds(10));
    if (!Reaped()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(fromEngine_);
    pid_ = 0;
  }

 private:
  bool Fail(const std::string& why) {
    std::fprintf(stderr, "kavro-engine: engine %s\n", why.c_str());
    return false;
  }

  // The engine is beyond use for this position: say why, and start afresh
  // next time.
  bool Abandon(const std::string& why = "") {
    if (!why.empty())
      Fail(why);
    else
      Fail(failure_.empty() ? "failed" : failure_);
    failure_.clear();
    if (Running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      close(toEngine_);
      close(fromEngine_);
      pid_ = 0;
    }
    return false;
  }

  bool Reaped() {
    int status;
    return waitpid(pid_, &status, WNOHANG) == pid_;
  }

  bool Send(const std::string& line) {
    std::string data = line + "\r\n";
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = write(toEngine_, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failure_ = "ended unexpectedly (its input is closed)";
        return false;
      }
      done += size_t(n);
    }
    return true;
  }

  // The next line that is not MESSAGE, DEBUG or UNKNOWN.
  bool ReadAnswer(Clock::time_point deadline, std::string& line) {
    for (;;) {
      if (!ReadLine(deadline, line)) return false;
      for (const char* note : {"MESSAGE", "DEBUG", "UNKNOWN"}) {
        size_t length = std::strlen(note);
        if (line.compare(0, length, note) == 0 && (line.size() == length || line[length] == ' ')) {
          std::printf("  engine: %s\n", line.c_str());
          std::fflush(stdout);
          line.clear();
          break;
        }
      }
      if (!line.empty()) return true;
    }
  }

  bool ReadLine(Clock::time_point deadline, std::string& line) {
    for (;;) {
      size_t end = buffered_.find('\n');
      if (end != std::string::npos) {
        line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        return true;
      }
      auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        failure_ = "took longer than " + std::to_string(budgetMs_) + " ms; no move sent";
        return false;
      }
      pollfd waiting{fromEngine_, POLLIN, 0};
      int ready = poll(&waiting, 1, int(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) continue;
      char chunk[4096];
      ssize_t n = read(fromEngine_, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failure_ = "ended unexpectedly; no move sent";
        return false;
      }
      buffered_.append(chunk, size_t(n));
      // A line without end is not an answer; don't let it grow forever.
      if (buffered_.size() > 65536) {
        failure_ = "sent a line longer than 64 KiB";
        return false;
      }
    }
  }

  static bool ParseMove(const std::string& line, int& x, int& y) {
    char rest;
    return std::sscanf(line.c_str(), "%d , %d %c", &x, &y, &rest) == 2;
  }

  std::vector<std::string> command_;
  int budgetMs_;
  pid_t pid_ = 0;
  int toEngine_ = -1;
  int fromEngine_ = -1;
  std::string buffered_;
  std::string failure_;
  Clock::time_point readyAt_{};
};

}  // namespace

int RunBridge(const std::vector<std::string>& command, int budgetMs) {
  signal(SIGPIPE, SIG_IGN);
  Brain brain(command, budgetMs);
  if (!brain.Start()) return 1;
  std::printf("kavro-engine: engine '%s' ready (%d ms per move)\n", command[0].c_str(), budgetMs);
  std::fflush(stdout);
  int code = ServePositions(
      [&brain](const uint8_t cells[225], int& x, int& y) { return brain.Choose(cells, x, y); });
  brain.Stop();
  return code;
}
