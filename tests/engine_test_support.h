// Shared by the engine tests: the engine ports are fixed (8000, 8001), so
// test processes that use them take turns through a lock file; and a small
// loopback peer that plays the other end of the exchange.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
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
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&there), sizeof there) ==
           ssize_t(bytes.size());
  }

  // One datagram within timeoutMs, or false.
  bool Receive(std::vector<uint8_t>& bytes, int timeoutMs, uint16_t* senderPort = nullptr) const {
    pollfd waiting{fd_, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) <= 0) return false;
    bytes.assign(65536, 0);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    ssize_t got = recvfrom(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
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

}  // namespace engine_test
