#pragma once

// A scripted TCP peer on 127.0.0.1 for the network port's tests. It speaks
// only what a test tells it to; what it receives is kept raw, so the tests
// check the client's bytes without decoding them with the client's own code.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

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

inline std::string UrlFor(int port) { return "rfc2217://127.0.0.1:" + std::to_string(port); }

// Listens on an ephemeral loopback port; one connection at a time.
class TPeer {
 public:
  // onConnect runs on the peer's thread right after accept (e.g. to send the agreement).
  explicit TPeer(std::function<void(TPeer&)> onConnect = {}) : onConnect_(std::move(onConnect)) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || ::listen(listen_, 4) < 0 ||
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) < 0)
      throw std::runtime_error("test peer: cannot listen");
    port_ = ntohs(a.sin_port);
    if (pipe(stopPipe_) < 0) throw std::runtime_error("test peer: pipe");
    thread_ = std::thread([this] { Run(); });
  }

  ~TPeer() {
    const char c = 'x';
    [[maybe_unused]] ssize_t r = write(stopPipe_[1], &c, 1);
    thread_.join();
    if (conn_ >= 0) close(conn_);
    close(listen_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
  }

  int Port() const { return port_; }
  std::string Url() const { return UrlFor(port_); }

  void Send(const std::string& bytes) {
    std::lock_guard lock(mu_);
    SendLocked(bytes);
  }

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

  std::string Received() const {
    std::lock_guard lock(mu_);
    return received_;
  }

  bool Connected() const {
    std::lock_guard lock(mu_);
    return accepted_ > 0;
  }

  // Waits (generously) until the received bytes contain needle.
  bool WaitFor(const std::string& needle, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return received_.find(needle) != std::string::npos; });
  }

  // Stop reading from the client (its sends then fill the socket buffers).
  void PauseReading(bool pause) { paused_ = pause; }

 private:
  void SendLocked(const std::string& bytes) {
    size_t done = 0;
    while (conn_ >= 0 && done < bytes.size()) {
      const ssize_t n = send(conn_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }

  void Run() {
    for (;;) {
      int conn;
      {
        std::lock_guard lock(mu_);
        if (closeRequested_) {
          close(conn_);
          conn_ = -1;
          closeRequested_ = false;
        }
        conn = conn_;
      }
      pollfd fds[3] = {{stopPipe_[0], POLLIN, 0}, {listen_, POLLIN, 0}, {conn, short(paused_ ? 0 : POLLIN), 0}};
      if (poll(fds, conn >= 0 ? 3 : 2, 20) < 0) return;
      if (fds[0].revents) return;
      if (fds[1].revents & POLLIN) {
        const int c = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) {
          {
            std::lock_guard lock(mu_);
            if (conn_ >= 0) close(conn_);
            conn_ = c;
            closeRequested_ = false;
            ++accepted_;
          }
          if (onConnect_) onConnect_(*this);
        }
      }
      if (conn >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buf[4096];
        std::lock_guard lock(mu_);
        const ssize_t n = recv(conn, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
          received_.append(buf, static_cast<size_t>(n));
          cv_.notify_all();
        } else if (n == 0) {
          close(conn_);
          conn_ = -1;
          closeRequested_ = false;
        }
      }
    }
  }

  std::function<void(TPeer&)> onConnect_;
  int listen_ = -1;
  int port_ = 0;
  int stopPipe_[2] = {-1, -1};
  std::atomic<bool> paused_{false};
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  int conn_ = -1;
  int accepted_ = 0;
  bool closeRequested_ = false;
  std::string received_;
  std::thread thread_;
};

}  // namespace rfc2217_test
