#include "platform/udp_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

sockaddr_in Address(uint32_t ip, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(ip);
  address.sin_port = htons(port);
  return address;
}

std::string Dotted(uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
}

}  // namespace

uint32_t TNetwork::IntIP(const std::string& text) {
  in_addr address{};
  if (inet_pton(AF_INET, text.c_str(), &address) != 1)
    throw TNetworkError("Not an IPv4 address: '" + text + "'");
  return ntohl(address.s_addr);
}

TUDPStream::~TUDPStream() { Close(); }

bool TUDPStream::Init() {
  Close();
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return false;
  int size = kBufferBytes;
  setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  int flags = fcntl(socket_, F_GETFL, 0);
  if (flags < 0 || fcntl(socket_, F_SETFL, flags | O_NONBLOCK) < 0) {
    Close();
    return false;
  }
  return true;
}

void TUDPStream::Require(const char* operation) const {
  if (socket_ < 0) throw TNetworkError(std::string(operation) + ": the socket is not open");
}

void TUDPStream::SetLocalIP(uint32_t ip) { localIP_ = ip; }

void TUDPStream::SetLocalPort(uint16_t port) {
  Require("SetLocalPort");
  sockaddr_in address = Address(localIP_, port);
  if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
    throw TNetworkError(
        SystemError("Can't bind UDP port " + std::to_string(port) + " on " + Dotted(localIP_)));
}

uint16_t TUDPStream::LocalPort() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (socket_ < 0 || getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) < 0)
    return 0;
  return ntohs(address.sin_port);
}

void TUDPStream::SetRemoteIP(uint32_t ip) { remoteIP_ = ip; }
void TUDPStream::SetRemotePort(uint16_t port) { remotePort_ = port; }

void TUDPStream::WriteByte(uint8_t value) { sendBuffer_.push_back(value); }

void TUDPStream::SendMsg() {
  Require("SendMsg");
  sockaddr_in address = Address(remoteIP_, remotePort_);
  ssize_t sent = ::sendto(socket_, sendBuffer_.data(), sendBuffer_.size(), MSG_DONTWAIT,
                          reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (sent < 0)
    throw TNetworkError(
        SystemError("Can't send to " + Dotted(remoteIP_) + ":" + std::to_string(remotePort_)));
  if (size_t(sent) != sendBuffer_.size()) throw TNetworkError("Datagram sent incompletely");
  sendBuffer_.clear();
}

bool TUDPStream::RecvAvail() {
  Require("RecvAvail");
  pollfd waiting{socket_, POLLIN, 0};
  int ready = ::poll(&waiting, 1, 0);
  if (ready < 0) {
    if (errno == EINTR) return false;
    throw TNetworkError(SystemError("Can't poll the socket"));
  }
  return ready > 0 && (waiting.revents & POLLIN);
}

int TUDPStream::RecvMsg() {
  Require("RecvMsg");
  received_ = false;
  // One byte more than the largest IPv4 datagram, so MSG_TRUNC can never
  // cut one short.
  std::vector<uint8_t> datagram(65536);
  sockaddr_in sender{};
  socklen_t length = sizeof sender;
  ssize_t got = ::recvfrom(socket_, datagram.data(), datagram.size(), MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(&sender), &length);
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    throw TNetworkError(SystemError("Can't receive"));
  }
  // Compact what was already read before appending, so the buffer cannot grow
  // without bound over many datagrams.
  recvBuffer_.erase(recvBuffer_.begin(), recvBuffer_.begin() + ptrdiff_t(readPos_));
  readPos_ = 0;
  recvBuffer_.insert(recvBuffer_.end(), datagram.begin(), datagram.begin() + got);
  received_ = true;
  msgPort_ = ntohs(sender.sin_port);
  return int(got);
}

int TUDPStream::ReadByte() {
  if (readPos_ >= recvBuffer_.size()) throw TNetworkError("Read past the end of the datagram");
  return recvBuffer_[readPos_++];
}

void TUDPStream::Close() {
  if (socket_ < 0) return;
  ::shutdown(socket_, SHUT_RDWR);
  ::close(socket_);
  socket_ = -1;
}
