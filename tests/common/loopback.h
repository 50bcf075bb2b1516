#pragma once

// Loopback TCP sockets standing for the far end of a network serial port.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace orvix::test {

inline std::string Rfc2217Url(int port) { return "rfc2217://127.0.0.1:" + std::to_string(port); }

// A TCP socket on an ephemeral loopback port, listening with `backlog` (not when negative); -1 on failure.
inline int LoopbackSocket(int backlog, int& port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || (backlog >= 0 && listen(s, backlog) < 0) ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) < 0) {
    if (s >= 0) close(s);
    return -1;
  }
  port = ntohs(a.sin_port);
  return s;
}

// A TCP connection to a loopback port; -1 on failure.
inline int ConnectLoopback(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
  if (s >= 0) close(s);
  return -1;
}

// A listener the kernel answers for; one that does not answer has its one-place accept queue taken, so the
// kernel drops further SYNs as a host that is down would.
class TLoopbackListener {
 public:
  explicit TLoopbackListener(bool answers) : fd_(LoopbackSocket(answers ? 64 : 0, port_)) {
    if (answers || fd_ < 0) return;
    filler_ = ConnectLoopback(port_);
    if (filler_ < 0) close(std::exchange(fd_, -1));
  }
  ~TLoopbackListener() { close(filler_); close(fd_); }
  TLoopbackListener(const TLoopbackListener&) = delete;
  TLoopbackListener& operator=(const TLoopbackListener&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Port() const { return port_; }
  std::string Url() const { return Rfc2217Url(port_); }

 private:
  int port_ = 0, fd_ = -1, filler_ = -1;
};

}  // namespace orvix::test
