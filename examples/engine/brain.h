// The client side of the text protocol of five-in-a-row engine tournaments:
// starts an engine program with its stdin and stdout on pipes and asks it for
// moves. Used by kavro-engine --pbrain (bridge.cpp) and by kavro-arena.
// Programs using it ignore SIGPIPE, so an engine that dies is a failed
// write and not the end of the caller.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Why an engine gave no usable move.
enum class BrainFault {
  kNone,
  kCrash,    // could not be started, died, or closed its input
  kTime,     // no answer within its budget plus the grace time
  kIllegal,  // answered a square off the board or taken
  kGarbage,  // answered something that is not a move (or not OK to START)
};

const char* BrainFaultName(BrainFault fault);  // "crash", "time", "illegal", "garbage"

struct BrainOptions {
  std::vector<std::string> command;  // program and arguments
  int budgetMs = 1000;               // INFO timeout_turn (never 0)
  long long maxNodes = 0;            // INFO max_node when positive
  // Where the engine's stderr goes; -1 keeps ours.
  int stderrFd = -1;
  // MESSAGE, DEBUG and UNKNOWN lines the engine prints.
  std::function<void(const std::string&)> onNote;
};

class Brain {
 public:
  explicit Brain(BrainOptions options);
  ~Brain();
  Brain(const Brain&) = delete;
  Brain& operator=(const Brain&) = delete;

  bool Running() const { return pid_ > 0; }

  // Starts the program and sends START 15 and the INFO lines.
  bool Start();
  // Asks for the move on cells[15 * x + y] (1 the engine's stones, 2 the
  // opponent's). False with Fault() and Why() set when there is none; an
  // engine that died or lost track is ended and started afresh next time.
  bool Choose(const uint8_t cells[225], int& x, int& y);
  // END, then the program gets half a second to go before it is killed.
  void Stop();

  BrainFault Fault() const { return fault_; }
  const std::string& Why() const { return why_; }
  // Milliseconds from DONE to the answer of the last Choose.
  int LastMs() const { return lastMs_; }

 private:
  bool Fail(BrainFault fault, const std::string& why);
  bool Abandon(BrainFault fault, const std::string& why);
  void Kill();
  bool Reaped();
  bool Send(const std::string& line);
  bool ReadAnswer(std::chrono::steady_clock::time_point deadline, std::string& line);
  bool ReadLine(std::chrono::steady_clock::time_point deadline, std::string& line);

  BrainOptions options_;
  pid_t pid_ = 0;
  int toEngine_ = -1;
  int fromEngine_ = -1;
  std::string buffered_;
  BrainFault fault_ = BrainFault::kNone;
  std::string why_;
  int lastMs_ = 0;
  std::chrono::steady_clock::time_point readyAt_{};
};

// A tournament engine's answer "X,Y" (spaces allowed around the comma).
bool ParseBrainMove(const std::string& line, int& x, int& y);
