// The game's datagram service: one UDP socket with a send buffer and a
// receive buffer. Sending and receiving only poll the socket, they never
// wait. Failures after Init are thrown as TNetworkError; the socket is
// closed by Close or, at the latest, by the destructor, so no error path
// leaves a port bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct TNetworkError : std::runtime_error {
  explicit TNetworkError(const std::string& what) : std::runtime_error(what) {}
};

namespace TNetwork {
// "a.b.c.d" in host byte order (127.0.0.1 -> 0x7F000001); throws on any
// other text.
uint32_t IntIP(const std::string& text);
}  // namespace TNetwork

class TUDPStream {
 public:
  static constexpr int kBufferBytes = 65527;

  TUDPStream() = default;
  ~TUDPStream();
  TUDPStream(const TUDPStream&) = delete;
  TUDPStream& operator=(const TUDPStream&) = delete;

  // Creates the IPv4 datagram socket; false when the system refuses one.
  bool Init();
  // Address the next SetLocalPort binds to (host order); any interface
  // until set.
  void SetLocalIP(uint32_t ip);
  // Binds the socket; 0 lets the system choose the port.
  void SetLocalPort(uint16_t port);
  uint16_t LocalPort() const;
  void SetRemoteIP(uint32_t ip);
  void SetRemotePort(uint16_t port);

  void WriteByte(uint8_t value);
  // Sends the send buffer as one datagram to the remote address and empties it.
  void SendMsg();

  // Whether a datagram is waiting (an empty one counts).
  bool RecvAvail();
  // Appends the waiting datagram to the receive buffer; its size, 0 when
  // none was waiting. Received() tells an empty datagram from none.
  int RecvMsg();
  bool Received() const { return received_; }
  uint16_t MsgPort() const { return msgPort_; }

  // Bytes left unread in the receive buffer.
  size_t Size() const { return recvBuffer_.size() - readPos_; }
  // Next unread byte, 0..255; throws when the buffer is exhausted.
  int ReadByte();

  void Close();

 private:
  void Require(const char* operation) const;

  int socket_ = -1;
  uint32_t localIP_ = 0;
  uint32_t remoteIP_ = 0;
  uint16_t remotePort_ = 0;
  std::vector<uint8_t> sendBuffer_;
  std::vector<uint8_t> recvBuffer_;
  size_t readPos_ = 0;
  bool received_ = false;
  uint16_t msgPort_ = 0;
};
