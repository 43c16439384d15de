// Shared by the engine tests: the engine ports are fixed (8000, 8001), so
// test processes that use them take turns through a lock file; and a small
// loopback peer that plays the other end of the exchange.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace engine_test {

// Held for the life of a test that binds or talks to the engine ports.
class PortLock {
 public:
  PortLock() {
    fd_ = open("/tmp/kavro-engine-ports.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~PortLock() {
    if (fd_ >= 0) close(fd_);
  }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;

 private:
  int fd_ = -1;
};

inline sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A UDP socket on 127.0.0.1 (port 0: any).
class Peer {
 public:
  explicit Peer(uint16_t port = 0) {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in here = Loopback(port);
    bound_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&here), sizeof here) == 0;
  }
  ~Peer() {
    if (fd_ >= 0) close(fd_);
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  bool Bound() const { return bound_; }

  bool SendTo(uint16_t port, const std::vector<uint8_t>& bytes) const {
    sockaddr_in there = Loopback(port);
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&there),
                  sizeof there) == ssize_t(bytes.size());
  }

  // One datagram within timeoutMs, or false.
  bool Receive(std::vector<uint8_t>& bytes, int timeoutMs, uint16_t* senderPort = nullptr) const {
    pollfd waiting{fd_, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) <= 0) return false;
    bytes.assign(65536, 0);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    ssize_t got =
        recvfrom(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (got < 0) return false;
    bytes.resize(size_t(got));
    if (senderPort) *senderPort = ntohs(sender.sin_port);
    return true;
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

// Whether some socket of this machine is bound to the UDP port, and on
// which address ("0100007F" is 127.0.0.1, "00000000" every interface).
inline std::vector<std::string> UdpBindings(uint16_t port) {
  std::vector<std::string> addresses;
  FILE* table = fopen("/proc/net/udp", "r");
  if (!table) return addresses;
  char line[512];
  char portText[8];
  snprintf(portText, sizeof portText, "%04X", port);
  while (fgets(line, sizeof line, table)) {
    std::string entry(line);
    size_t colon = entry.find(':');
    if (colon == std::string::npos) continue;
    size_t start = entry.find_first_not_of(' ', colon + 1);
    if (start == std::string::npos || entry.size() < start + 13) continue;
    std::string local = entry.substr(start, 13);  // AAAAAAAA:PPPP
    if (local.substr(9, 4) == portText) addresses.push_back(local.substr(0, 8));
  }
  fclose(table);
  return addresses;
}

// The kavro-engine program built beside the test suite.
inline std::string EngineBinary() {
  char self[4096] = {};
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, length > 0 ? size_t(length) : 0);
  return path.substr(0, path.rfind('/')) + "/../kavro-engine";
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// kavro-engine started with arguments, stdout and stderr into files; ended
// with SIGTERM (the way a user's Ctrl-C ends it) when the object goes.
class EngineProcess {
 public:
  EngineProcess(const std::vector<std::string>& arguments, const std::string& outputStem)
      : out_(outputStem + ".out"), err_(outputStem + ".err") {
    std::vector<std::string> argv{EngineBinary()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_ = fork();
    if (pid_ == 0) {
      FILE* out = freopen(out_.c_str(), "w", stdout);
      FILE* err = freopen(err_.c_str(), "w", stderr);
      (void)out, (void)err;
      std::vector<char*> raw;
      for (std::string& part : argv) raw.push_back(part.data());
      raw.push_back(nullptr);
      execv(raw[0], raw.data());
      _exit(127);
    }
  }
  ~EngineProcess() { Stop(); }

  // Waits until the program listens on 127.0.0.1:8000.
  bool WaitListening(int timeoutMs = 5000) const {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      for (const std::string& address : UdpBindings(8000))
        if (address == "0100007F") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // SIGTERM, then the exit code (-1 when it had to be killed).
  int Stop() {
    if (pid_ <= 0) return code_;
    kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 500; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return code_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = 0;
    code_ = -1;
    return code_;
  }

  std::string Out() const { return ReadFile(out_); }
  std::string Err() const { return ReadFile(err_); }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
  int code_ = -1;
};

}  // namespace engine_test
