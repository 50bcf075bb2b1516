#pragma once

// A scripted loopback TCP peer: it says only what a test tells it and keeps what it receives raw,
// so the client's bytes are checked without the client's own decoder.

#include <netinet/tcp.h>
#include <poll.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "serial/rfc2217/rfc2217_device.h"
#include "tests/common/loopback.h"
#include "tests/common/telnet_wire.h"

namespace rfc2217_test {

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// IAC SB 44 <code> <value...> IAC SE, value given already escaped.
inline std::string ComPort(int code, const std::string& value) {
  return Bytes({255, 250, 44, code}) + value + Bytes({255, 240});
}

// What a cooperative server says first: it agrees to everything the client asks.
inline std::string Agreement() {
  return Bytes({255, 251, 44, 255, 253, 44, 255, 251, 0, 255, 253, 0, 255, 251, 3, 255, 253, 3});
}

inline std::string ModemState(int bits) { return ComPort(107, Bytes({bits})); }
inline std::string LineState(int bits) { return ComPort(106, Bytes({bits})); }

// Loopback sockets and URLs; IacDoubled: a value as it travels inside a subnegotiation.
using namespace orvix::test;

struct TComPortCommand { int code = 0; std::string value; };  // value unescaped

// A subnegotiation's body as a Com Port Control command, if it is one.
inline std::optional<TComPortCommand> ComPortCommand(const std::string& body) {
  if (body.size() < 2 || body[0] != 44) return std::nullopt;
  return TComPortCommand{static_cast<unsigned char>(body[1]), body.substr(2)};
}

// A server's answer to one command: the bytes to send back, or none.
using TAnswer = std::function<std::string(const TComPortCommand&)>;

// Answers every line setting (baud rate to flow control) with the value asked for.
inline std::string EchoSetting(const TComPortCommand& c) {
  return c.code < 1 || c.code > 5 ? std::string() : ComPort(c.code + 100, IacDoubled(c.value));
}

// Listens on an ephemeral loopback port; one connection at a time.
class TPeer {
 public:
  // onConnect runs on the peer's thread right after accept (e.g. to send the agreement).
  explicit TPeer(std::function<void(TPeer&)> onConnect = {}) : onConnect_(std::move(onConnect)) {
    listen_ = LoopbackSocket(4, port_);
    if (listen_ < 0) throw std::runtime_error("test peer: cannot listen");
    if (pipe(stopPipe_) < 0) throw std::runtime_error("test peer: pipe");
    thread_ = std::thread([this] { Run(); });
  }

  ~TPeer() {
    [[maybe_unused]] ssize_t r = write(stopPipe_[1], "x", 1);
    thread_.join();
    for (int fd : {conn_, listen_, stopPipe_[0], stopPipe_[1]}) if (fd >= 0) close(fd);
  }

  int Port() const { return port_; }
  std::string Url() const { return Rfc2217Url(port_); }

  void Send(const std::string& bytes) { std::lock_guard lock(mu_); SendLocked(bytes); }

  // Sends byte by byte, pausing between them so that each travels alone.
  void SendSplit(const std::string& bytes) {
    for (char c : bytes) {
      Send(std::string(1, c));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // Hangs up the current connection (the peer's thread releases it).
  void CloseConnection() {
    std::lock_guard lock(mu_);
    if (conn_ >= 0) {
      shutdown(conn_, SHUT_RDWR);
      closeRequested_ = true;
    }
  }

  std::string Received() const { std::lock_guard lock(mu_); return received_; }

  // Waits (generously) until the received bytes contain needle.
  bool WaitFor(const std::string& needle, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return received_.find(needle) != std::string::npos; });
  }

  // Its sends then fill the socket buffers.
  void PauseReading(bool pause) { paused_ = pause; }

  // Small segments into a small buffer: a pause fills the way (the client's send buffer grows with the
  // segment size) in kilobytes rather than megabytes. For connections accepted from now on.
  void UseSmallWindow() {
    const int buffer = 4096, segment = 536;
    setsockopt(listen_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    setsockopt(listen_, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
  }

  // Answers the client's Com Port Control commands from now on, on the peer's thread (none when empty).
  void SetAnswer(TAnswer answer) { std::lock_guard lock(mu_); answer_ = std::move(answer); }

  std::vector<TComPortCommand> Commands() const {
    std::lock_guard lock(mu_);
    std::vector<TComPortCommand> commands;
    for (const std::string& body : wire_.Subnegotiations)
      if (const auto c = ComPortCommand(body)) commands.push_back(*c);
    return commands;
  }

 private:
  void SendLocked(const std::string& bytes) {
    size_t done = 0;
    while (conn_ >= 0 && done < bytes.size()) {
      const ssize_t n = send(conn_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }

  void Take(int conn) {
    std::lock_guard lock(mu_);
    DropLocked();
    conn_ = conn;
    wire_.Restart();
  }

  void DropLocked() {
    if (conn_ >= 0) close(conn_);
    conn_ = -1;
    closeRequested_ = false;
  }

  void Run() {
    for (;;) {
      int conn;
      {
        std::lock_guard lock(mu_);
        if (closeRequested_) DropLocked();
        conn = conn_;
      }
      pollfd fds[3] = {{stopPipe_[0], POLLIN, 0}, {listen_, POLLIN, 0}, {conn, short(paused_ ? 0 : POLLIN), 0}};
      if (poll(fds, conn >= 0 ? 3 : 2, 20) < 0) return;
      if (fds[0].revents) return;
      const int accepted = fds[1].revents & POLLIN ? accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
      if (accepted >= 0) {
        Take(accepted);
        if (onConnect_) onConnect_(*this);
      }
      if (conn >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buf[4096];
        std::lock_guard lock(mu_);
        const ssize_t n = recv(conn, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
          received_.append(buf, static_cast<size_t>(n));
          for (ssize_t i = 0; i < n; ++i)
            if (wire_.Feed(buf[i]) && answer_)
              if (const auto c = ComPortCommand(wire_.Subnegotiations.back())) SendLocked(answer_(*c));
          cv_.notify_all();
        } else if (n == 0) {
          DropLocked();
        }
      }
    }
  }

  std::function<void(TPeer&)> onConnect_;
  int listen_ = -1, port_ = 0;
  int stopPipe_[2] = {-1, -1};
  std::atomic<bool> paused_{false};
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  int conn_ = -1;
  bool closeRequested_ = false;
  std::string received_;
  orvix::test::TTelnetWire wire_;  // received_ taken apart
  TAnswer answer_;
  std::thread thread_;
};

// A cooperative server: it agrees to everything and reports its modem's lines.
inline std::function<void(TPeer&)> Cooperative(int modemState = 0x30) {
  return [modemState](TPeer& p) { p.Send(Agreement() + ModemState(modemState)); };
}

// The device open on the peer; the test fails when it cannot be opened.
inline std::unique_ptr<TSerialDevice> OpenOn(const TPeer& peer) {
  int error = -1;
  auto device = OpenRfc2217Device(peer.Url(), error);
  EXPECT_EQ(error, 0);
  return device;
}

}  // namespace rfc2217_test
