// The tournament text protocol, client side. Lines end in CR LF. The engine
// gets START 15 (it answers OK), INFO rule 0 (five or more wins), INFO
// timeout_turn with the budget, INFO timeout_match 0 and, when a node limit
// is set, INFO max_node; then for each position BOARD, one line X,Y,F per
// stone (F 1 its own, 2 the opponent's) and DONE, and answers X,Y. MESSAGE,
// DEBUG and UNKNOWN lines are passed on and skipped.
#include "brain.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Some engines drop a command that arrives while they finish their move.
constexpr milliseconds kPauseAfterAnswer{100};
constexpr milliseconds kStartTimeout{15000};
// Pipes and process start add to the engine's own time.
constexpr milliseconds kAnswerGrace{1000};

}  // namespace

const char* BrainFaultName(BrainFault fault) {
  switch (fault) {
    case BrainFault::kCrash:
      return "crash";
    case BrainFault::kTime:
      return "time";
    case BrainFault::kIllegal:
      return "illegal";
    case BrainFault::kGarbage:
      return "garbage";
    case BrainFault::kNone:
      break;
  }
  return "none";
}

bool ParseBrainMove(const std::string& line, int& x, int& y) {
  char rest;
  return std::sscanf(line.c_str(), "%d , %d %c", &x, &y, &rest) == 2;
}

Brain::Brain(BrainOptions options) : options_(std::move(options)) {
  // Timeout 0 would tell the engine to answer at once.
  if (options_.budgetMs < 1) options_.budgetMs = 1;
}

Brain::~Brain() { Stop(); }

bool Brain::Start() {
  fault_ = BrainFault::kNone;
  why_.clear();
  if (options_.command.empty()) return Fail(BrainFault::kCrash, "has no command");
  int toChild[2], fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) < 0)
    return Fail(BrainFault::kCrash, "no pipe: " + std::string(std::strerror(errno)));
  if (pipe2(fromChild, O_CLOEXEC) < 0) {
    close(toChild[0]), close(toChild[1]);
    return Fail(BrainFault::kCrash, "no pipe: " + std::string(std::strerror(errno)));
  }
  std::vector<char*> argv;
  for (std::string& part : options_.command) argv.push_back(part.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    if (options_.stderrFd >= 0) dup2(options_.stderrFd, 2);
    signal(SIGPIPE, SIG_DFL);
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "%s: cannot start '%s': %s\n", program_invocation_short_name, argv[0],
                 std::strerror(errno));
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  if (pid_ < 0) {
    pid_ = 0;
    close(toChild[1]), close(fromChild[0]);
    return Fail(BrainFault::kCrash, "cannot be started: " + std::string(std::strerror(errno)));
  }
  toEngine_ = toChild[1];
  fromEngine_ = fromChild[0];
  buffered_.clear();

  std::string line;
  if (!Send("START 15") || !ReadAnswer(Clock::now() + kStartTimeout, line))
    return Abandon(fault_, why_);
  if (line != "OK")
    return Abandon(BrainFault::kGarbage, "answered START with '" + line + "' instead of OK");
  bool told = Send("INFO rule 0") &&
              Send("INFO timeout_turn " + std::to_string(options_.budgetMs)) &&
              Send("INFO timeout_match 0");
  if (told && options_.maxNodes > 0)
    told = Send("INFO max_node " + std::to_string(options_.maxNodes));
  if (!told) return Abandon(fault_, why_);
  readyAt_ = Clock::now();
  return true;
}

bool Brain::Choose(const uint8_t cells[225], int& x, int& y) {
  fault_ = BrainFault::kNone;
  why_.clear();
  lastMs_ = 0;
  if (!Running() && !Start()) return false;
  std::this_thread::sleep_until(readyAt_);
  if (!Send("BOARD")) return Abandon(fault_, why_);
  for (int cx = 0; cx < 15; ++cx)
    for (int cy = 0; cy < 15; ++cy) {
      int owner = cells[15 * cx + cy];
      if (owner &&
          !Send(std::to_string(cx) + "," + std::to_string(cy) + "," + std::to_string(owner)))
        return Abandon(fault_, why_);
    }
  if (!Send("DONE")) return Abandon(fault_, why_);

  auto asked = Clock::now();
  std::string line;
  bool answered = ReadAnswer(asked + milliseconds(options_.budgetMs) + kAnswerGrace, line);
  lastMs_ = int(std::chrono::duration_cast<milliseconds>(Clock::now() - asked).count());
  if (!answered) return Abandon(fault_, why_);
  readyAt_ = Clock::now() + kPauseAfterAnswer;
  if (!ParseBrainMove(line, x, y))
    return Abandon(BrainFault::kGarbage, "answered '" + line + "' instead of a move X,Y");
  if (x < 0 || x > 14 || y < 0 || y > 14 || cells[15 * x + y] != 0)
    return Fail(BrainFault::kIllegal, "answered " + line + ", a square that cannot be played");
  return true;
}

void Brain::Stop() {
  if (!Running()) return;
  Send("END");
  close(toEngine_);
  // A polite engine ends on END or on the closed input; the others are killed.
  bool gone = false;
  for (int i = 0; i < 50 && !(gone = Reaped()); ++i) std::this_thread::sleep_for(milliseconds(10));
  if (!gone) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  close(fromEngine_);
  pid_ = 0;
}

bool Brain::Fail(BrainFault fault, const std::string& why) {
  fault_ = fault;
  why_ = why;
  return false;
}

// The engine is beyond use: it is ended and started afresh next time.
bool Brain::Abandon(BrainFault fault, const std::string& why) {
  Fail(fault == BrainFault::kNone ? BrainFault::kCrash : fault, why.empty() ? "failed" : why);
  Kill();
  return false;
}

void Brain::Kill() {
  if (!Running()) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  close(toEngine_);
  close(fromEngine_);
  pid_ = 0;
}

bool Brain::Reaped() {
  int status;
  return waitpid(pid_, &status, WNOHANG) == pid_;
}

bool Brain::Send(const std::string& line) {
  std::string data = line + "\r\n";
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(toEngine_, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(BrainFault::kCrash, "ended unexpectedly (its input is closed)");
    done += size_t(n);
  }
  return true;
}

// The next line that is not MESSAGE, DEBUG or UNKNOWN.
bool Brain::ReadAnswer(Clock::time_point deadline, std::string& line) {
  for (;;) {
    if (!ReadLine(deadline, line)) return false;
    bool note = false;
    for (const char* kind : {"MESSAGE", "DEBUG", "UNKNOWN"}) {
      size_t length = std::strlen(kind);
      if (line.compare(0, length, kind) == 0 && (line.size() == length || line[length] == ' '))
        note = true;
    }
    if (!note) return true;
    if (options_.onNote) options_.onNote(line);
  }
}

bool Brain::ReadLine(Clock::time_point deadline, std::string& line) {
  for (;;) {
    size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      return true;
    }
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return Fail(BrainFault::kTime,
                  "took longer than " + std::to_string(options_.budgetMs) + " ms");
    pollfd waiting{fromEngine_, POLLIN, 0};
    int ready = poll(&waiting, 1, int(left));
    if (ready <= 0) continue;
    char chunk[4096];
    ssize_t n = read(fromEngine_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(BrainFault::kCrash, "ended unexpectedly");
    buffered_.append(chunk, size_t(n));
    // A line without end is not an answer; don't let it grow forever.
    if (buffered_.size() > 65536)
      return Fail(BrainFault::kGarbage, "sent a line longer than 64 KiB");
  }
}
