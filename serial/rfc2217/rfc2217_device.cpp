#include "serial/rfc2217/rfc2217_device.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "serial/rfc2217/connect_ahead.h"
#include "serial/rfc2217/rfc2217_protocol.h"
#include "serial/rfc2217/rfc2217_url.h"
#include "serial/rfc2217/tcp_connect.h"
#include "serial/rfc2217/telnet_codec.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The receive buffer never holds more than the input queue size (at least
// this): past it the socket is left unread, so TCP holds the server back
// instead of bytes being dropped.
constexpr size_t kMinInputLimit = 4096;
constexpr size_t kMinOutputLimit = 4096;
constexpr size_t kRecvChunk = 4096;
// A Write that finds the output queue full waits at most this long for room
// (or the write time-out, if shorter and set).
constexpr int kWriteWaitMs = 1500;
// Unsent bytes get this long to leave when the port is closed.
constexpr int kCloseFlushMs = 1000;

constexpr uint8_t kLineStateMask = rfc2217::LINE_ERROR_MASK;
constexpr uint8_t kModemStateMask = 0xFF;

std::string ComPortCommand(uint8_t code, uint8_t value) {
  return TelnetSubnegotiation(telnet::OPT_COM_PORT,
                              std::string{static_cast<char>(code), static_cast<char>(value)});
}

class TRfc2217Device final : public TSerialDevice, private TTelnetHandler {
 public:
  TRfc2217Device(int sock, int wake) : sock_(sock), wake_(wake) {
    dcb_.Flags = dcb::fBinary | (dcb::DTR_CONTROL_ENABLE << dcb::fDtrControlShift) |
                 (dcb::RTS_CONTROL_ENABLE << dcb::fRtsControlShift);
    dcb_.XonLim = 2048;
    dcb_.XoffLim = 512;
  }

  ~TRfc2217Device() override {
    {
      std::unique_lock lock(mu_);
      const auto deadline = Clock::now() + milliseconds(kCloseFlushMs);
      FlushLocked();
      while (!gone_ && !out_.empty() && MillisecondsLeft(deadline) > 0) {
        lock.unlock();
        pollfd p{sock_, POLLOUT, 0};
        poll(&p, 1, MillisecondsLeft(deadline));
        lock.lock();
        FlushLocked();
      }
    }
    // FIN after the last data; reading what is left keeps close() from
    // turning it into a reset.
    shutdown(sock_, SHUT_WR);
    char buf[1024];
    for (int i = 0; i < 64 && recv(sock_, buf, sizeof buf, MSG_DONTWAIT) > 0; ++i) {
    }
    close(sock_);
    close(wake_);
  }

  // Telnet negotiation and the first modem state: 0, or an errno value.
  int Start() {
    using namespace telnet;
    std::unique_lock lock(mu_);
    options_.Accept(OPT_COM_PORT, true, true);
    options_.Accept(OPT_BINARY, true, true);
    options_.Accept(OPT_SGA, true, true);
    QueueLocked(options_.RequestLocal(OPT_COM_PORT) + options_.RequestRemote(OPT_COM_PORT) +
                options_.RequestLocal(OPT_BINARY) + options_.RequestRemote(OPT_BINARY) +
                options_.RequestLocal(OPT_SGA) + options_.RequestRemote(OPT_SGA));

    auto comPortAgreed = [&] { return options_.LocalEnabled(OPT_COM_PORT) || options_.RemoteEnabled(OPT_COM_PORT); };
    auto comPortRefused = [&] { return options_.LocalRefused(OPT_COM_PORT) && options_.RemoteRefused(OPT_COM_PORT); };
    PumpUntil(lock, Clock::now() + milliseconds(kRfc2217NegotiationTimeoutMs),
              [&] { return comPortAgreed() || comPortRefused(); });
    if (gone_) return goneError_;
    if (!comPortAgreed())
      return options_.LocalRefused(OPT_COM_PORT) || options_.RemoteRefused(OPT_COM_PORT) ? EPROTONOSUPPORT
                                                                                         : ETIMEDOUT;

    QueueLocked(ComPortCommand(rfc2217::SET_MODEMSTATE_MASK, kModemStateMask) +
                ComPortCommand(rfc2217::SET_LINESTATE_MASK, kLineStateMask));
    PumpUntil(lock, Clock::now() + milliseconds(kRfc2217ModemStateWaitMs), [&] { return modemStateSeen_; });
    if (gone_) return goneError_;
    // What the server reported while opening is the initial state, not a change.
    pending_ = 0;
    errors_ = 0;
    return 0;
  }

  int GetFileType() override { return FILE_TYPE_CHAR; }

  bool GetCommState(TDCB& dcb) override {
    std::lock_guard lock(mu_);
    dcb = dcb_;
    return true;
  }

  bool SetCommState(const TDCB& dcb) override {
    TRfc2217LineSettings settings;
    if (!DcbToRfc2217(dcb, settings)) return Fail(EINVAL);
    std::unique_lock lock(mu_);
    if (gone_) return Fail(EIO);
    const TSettingCounts asked = SendSettingsLocked(settings);
    if (!AnswersAgreeLocked(lock, asked, settings)) {
      // The server runs the line otherwise: tell it the settings in force again.
      TRfc2217LineSettings previous;
      if (!gone_ && DcbToRfc2217(dcb_, previous)) SendSettingsLocked(previous);
      return Fail(gone_ ? EIO : EINVAL);
    }
    if (gone_) return Fail(EIO);
    dcb_ = dcb;
    return true;
  }

  bool SetupComm(int inQueue, int outQueue) override {
    if (inQueue < 0 || outQueue < 0) return Fail(EINVAL);
    std::lock_guard lock(mu_);
    inQueue_ = static_cast<size_t>(inQueue);
    outQueue_ = static_cast<size_t>(outQueue);
    Wake();  // the receive limit may have grown
    return true;
  }

  bool SetCommTimeouts(const TCommTimeouts& timeouts) override {
    std::lock_guard lock(mu_);
    timeouts_ = timeouts;
    return true;
  }

  int Read(void* buffer, int count) override {
    if (count < 0 || (count > 0 && !buffer)) return FailInt(EINVAL);
    std::lock_guard lock(mu_);
    if (in_.empty()) {
      if (gone_) return FailInt(EIO);
      return 0;
    }
    const bool wasFull = in_.size() >= InputLimitLocked();
    const size_t n = std::min(in_.size(), static_cast<size_t>(count));
    std::memcpy(buffer, in_.data(), n);
    in_.erase(0, n);
    if (wasFull && in_.size() < InputLimitLocked()) Wake();
    return static_cast<int>(n);
  }

  int Write(const void* buffer, int count) override {
    if (count < 0 || (count > 0 && !buffer)) return FailInt(EINVAL);
    if (count == 0) return 0;
    auto* bytes = static_cast<const unsigned char*>(buffer);
    std::unique_lock lock(mu_);
    int waitMs = kWriteWaitMs;
    if (timeouts_.WriteTotalTimeoutConstant > 0)
      waitMs = static_cast<int>(std::min<uint32_t>(timeouts_.WriteTotalTimeoutConstant, kWriteWaitMs));
    const auto deadline = Clock::now() + milliseconds(waitMs);
    const size_t limit = std::max(outQueue_, kMinOutputLimit);
    int accepted = 0;
    for (;;) {
      if (gone_) break;
      // Whole bytes only: a doubled IAC is never split between two calls.
      while (accepted < count) {
        const size_t need = bytes[accepted] == telnet::IAC ? 2 : 1;
        if (out_.size() + need > limit) break;
        AppendTelnetData(out_, bytes + accepted, 1);
        ++accepted;
        dataQueued_ = true;
      }
      FlushLocked();
      if (accepted == count || gone_) break;
      if (out_.size() < limit) continue;
      const int left = MillisecondsLeft(deadline);
      if (left == 0) break;
      lock.unlock();
      pollfd p{sock_, POLLOUT, 0};
      poll(&p, 1, left);
      lock.lock();
    }
    // Whatever is still queued leaves from the event thread's wait.
    if (!out_.empty() || (pending_ & EV_TXEMPTY)) Wake();
    if (accepted == 0) return FailInt(gone_ ? EIO : EAGAIN);
    return accepted;
  }

  bool PurgeComm(uint32_t flags) override {
    std::lock_guard lock(mu_);
    uint8_t code = 0;
    if (flags & PURGE_RXCLEAR) {
      const bool wasFull = in_.size() >= InputLimitLocked();
      in_.clear();
      rxPending_ = false;
      if (wasFull) Wake();
      code |= rfc2217::PURGE_RECEIVE;
    }
    if (flags & PURGE_TXCLEAR) code |= rfc2217::PURGE_TRANSMIT;
    if (gone_) return Fail(EIO);
    if (code) QueueLocked(ComPortCommand(rfc2217::PURGE_DATA, code));
    return gone_ ? Fail(EIO) : true;
  }

  bool GetCommModemStatus(uint32_t& status) override {
    std::lock_guard lock(mu_);
    if (gone_) {
      status = 0;
      return Fail(EIO);
    }
    status = modemStatus_;
    return true;
  }

  bool EscapeCommFunction(uint32_t function) override {
    uint8_t control;
    switch (function) {
      case SETDTR: control = rfc2217::CONTROL_DTR_ON; break;
      case CLRDTR: control = rfc2217::CONTROL_DTR_OFF; break;
      case SETRTS: control = rfc2217::CONTROL_RTS_ON; break;
      case CLRRTS: control = rfc2217::CONTROL_RTS_OFF; break;
      default: return Fail(EINVAL);
    }
    std::lock_guard lock(mu_);
    if (gone_) return Fail(EIO);
    QueueLocked(ComPortCommand(rfc2217::SET_CONTROL, control));
    ++requests_[rfc2217::SET_CONTROL];  // answered under the flow-control code
    return gone_ ? Fail(EIO) : true;
  }

  bool SetCommMask(uint32_t mask) override {
    std::lock_guard lock(mu_);
    mask_ = mask;
    pending_ = 0;
    Wake();
    return true;
  }

  TWaitResult WaitCommEvent(uint32_t& events, const TStopSignal& stop) override {
    events = 0;
    for (;;) {
      short want = 0;
      {
        std::lock_guard lock(mu_);
        uint32_t ev = pending_ & mask_;
        pending_ = 0;  // events outside the mask are not kept for later
        if (rxPending_ && (mask_ & EV_RXCHAR)) ev |= EV_RXCHAR;
        rxPending_ = false;
        bool failed = false;
        if (gone_) {
          // Waiting ends with the connection, so its end is reported (once)
          // whatever the mask holds, as a vanished local device is.
          if (!goneReported_) {
            goneReported_ = true;
            ev |= EV_ERR;
          }
          failed = ev == 0;
        }
        if (ev || failed) {
          if (stop.IsSet()) return TWaitResult::Stopped;
          if (failed) return TWaitResult::Failed;
          events = ev;
          return TWaitResult::Event;
        }
        if (in_.size() < InputLimitLocked()) want |= POLLIN;
        if (!out_.empty()) want |= POLLOUT;
      }

      pollfd fds[3] = {{stop.Fd(), POLLIN, 0}, {wake_, POLLIN, 0}, {sock_, want, 0}};
      const int n = poll(fds, 3, -1);
      if (n < 0) {
        if (errno == EINTR) continue;
        return TWaitResult::Failed;
      }
      if (fds[0].revents) return TWaitResult::Stopped;
      if (fds[1].revents) {
        uint64_t value;
        [[maybe_unused]] ssize_t r = read(wake_, &value, sizeof value);
      }
      const short got = fds[2].revents;
      if (got) {
        std::lock_guard lock(mu_);
        if (got & POLLOUT) FlushLocked();
        const bool hangUp = got & (POLLHUP | POLLERR);
        if ((got & POLLIN) || hangUp) {
          const size_t before = in_.size();
          PumpLocked(hangUp);
          // A hang-up that recv() does not confirm must still end the waits,
          // or poll() would report it again at once, forever.
          if (hangUp && !gone_ && in_.size() == before) MarkGoneLocked(EIO);
        }
      }
    }
  }

  bool ClearCommError(uint32_t& errors, TComStat& stat) override {
    std::lock_guard lock(mu_);
    errors = errors_;
    errors_ = 0;
    if (gone_) errors |= CE_DEVICEGONE;  // a lasting condition, not a one-off error
    stat = TComStat{};
    stat.cbInQue = static_cast<uint32_t>(in_.size());
    stat.cbOutQue = static_cast<uint32_t>(out_.size());
    return true;
  }

 private:
  // Per SET command code (SET_BAUDRATE .. SET_CONTROL): how many were sent,
  // or how many of them a request waits to see answered.
  using TSettingCounts = std::array<uint32_t, rfc2217::SET_CONTROL + 1>;

  TSettingCounts SendSettingsLocked(const TRfc2217LineSettings& settings) {
    QueueLocked(EncodeLineSettings(settings));
    for (uint8_t code = rfc2217::SET_BAUDRATE; code <= rfc2217::SET_CONTROL; ++code) ++requests_[code];
    return requests_;
  }

  // Waits, bounded, for the server's answers to the requests counted in
  // `asked` and holds them against the settings. Answers come in the order
  // of the requests, so the one numbered like ours is ours. A server that
  // leaves them unanswered is taken on trust, now and from then on.
  bool AnswersAgreeLocked(std::unique_lock<std::mutex>& lock, const TSettingCounts& asked,
                          const TRfc2217LineSettings& settings) {
    auto answeredAll = [&] {
      for (uint8_t code = rfc2217::SET_BAUDRATE; code <= rfc2217::SET_CONTROL; ++code)
        if (answers_[code] < asked[code]) return false;
      return true;
    };
    const auto deadline = Clock::now() + milliseconds(kRfc2217AnswerWaitMs);
    while (serverAnswers_ && !gone_ && !answeredAll()) {
      // The event thread may be busy handing an event over: read here too.
      FlushLocked();
      PumpLocked(false);
      if (answeredAll() || gone_) break;
      if (Clock::now() >= deadline) {
        serverAnswers_ = false;
        break;
      }
      answered_.wait_until(lock, std::min(deadline, Clock::now() + milliseconds(10)));
    }
    Wake();  // what was read here is the event thread's to report

    for (uint8_t code = rfc2217::SET_BAUDRATE; code <= rfc2217::SET_CONTROL; ++code)
      if (answers_[code] == asked[code] && lastAnswer_[code] != SettingValue(settings, code)) return false;
    return true;
  }

  bool Fail(int error) {
    lastError_ = error;
    return false;
  }
  int FailInt(int error) {
    lastError_ = error;
    return -1;
  }

  size_t InputLimitLocked() const { return std::max(inQueue_, kMinInputLimit); }

  void Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = write(wake_, &one, sizeof one);
  }

  void MarkGoneLocked(int error) {
    if (gone_) return;
    gone_ = true;
    goneError_ = error ? error : ECONNRESET;
    out_.clear();
    Wake();
  }

  // Sends what it can without blocking.
  void FlushLocked() {
    while (!out_.empty() && !gone_) {
      const ssize_t n = send(sock_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        out_.erase(0, static_cast<size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        break;
      } else {
        MarkGoneLocked(n < 0 ? errno : EIO);
      }
    }
    if (out_.empty() && dataQueued_ && !gone_) {
      dataQueued_ = false;
      pending_ |= EV_TXEMPTY;
    }
  }

  void QueueLocked(const std::string& bytes) {
    if (gone_ || bytes.empty()) return;
    out_ += bytes;
    FlushLocked();
    if (!out_.empty()) Wake();
  }

  // Reads and decodes what the socket has, up to the input limit (or all of
  // it after a hang-up, which no more data can follow).
  void PumpLocked(bool ignoreLimit) {
    char buf[kRecvChunk];
    for (int round = 0; round < 64 && !gone_; ++round) {
      size_t room = sizeof buf;
      if (!ignoreLimit) {
        const size_t limit = InputLimitLocked();
        if (in_.size() >= limit) return;
        room = std::min(room, limit - in_.size());
      }
      const ssize_t n = recv(sock_, buf, room, MSG_DONTWAIT);
      if (n > 0) {
        decoder_.Feed(buf, static_cast<size_t>(n), *this);
      } else if (n == 0) {
        MarkGoneLocked(ECONNRESET);
      } else if (errno == EINTR) {
        continue;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return;
      } else {
        MarkGoneLocked(errno);
      }
    }
  }

  // Opening only: pumps the socket until done() or the deadline.
  template <class Done>
  void PumpUntil(std::unique_lock<std::mutex>& lock, Clock::time_point deadline, Done done) {
    while (!gone_ && !done()) {
      const int left = MillisecondsLeft(deadline);
      if (left == 0) return;
      pollfd p{sock_, static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)), 0};
      lock.unlock();
      const int n = poll(&p, 1, left);
      lock.lock();
      if (n < 0 && errno != EINTR) {
        MarkGoneLocked(errno);
        return;
      }
      if (p.revents & POLLOUT) FlushLocked();
      if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
        const size_t before = in_.size();
        PumpLocked(false);
        if ((p.revents & (POLLHUP | POLLERR)) && !gone_ && in_.size() == before) MarkGoneLocked(ECONNRESET);
      }
    }
  }

  // ---- What the server sent (mu_ held) ----

  void OnTelnetData(const char* data, size_t count) override {
    in_.append(data, count);
    rxPending_ = true;
  }

  void OnTelnetNegotiation(uint8_t command, uint8_t option) override {
    QueueLocked(options_.Receive(command, option));
  }

  void OnTelnetSubnegotiation(std::string_view body) override {
    if (body.size() < 3 || static_cast<uint8_t>(body[0]) != telnet::OPT_COM_PORT) return;
    const auto code = static_cast<uint8_t>(body[1]);
    const auto value = static_cast<uint8_t>(body[2]);
    if (code == rfc2217::SERVER_OFFSET + rfc2217::NOTIFY_MODEMSTATE) {
      const TRfc2217Signals s = DecodeModemState(modemStatus_, value);
      modemStatus_ = s.status;
      pending_ |= s.events;
      modemStateSeen_ = true;
    } else if (code == rfc2217::SERVER_OFFSET + rfc2217::NOTIFY_LINESTATE) {
      const TRfc2217Signals s = DecodeLineState(value & kLineStateMask);
      errors_ |= s.errors;
      pending_ |= s.events;
    } else if (code >= rfc2217::SERVER_OFFSET + rfc2217::SET_BAUDRATE &&
               code <= rfc2217::SERVER_OFFSET + rfc2217::SET_CONTROL) {
      const uint8_t asked = code - rfc2217::SERVER_OFFSET;
      ++answers_[asked];
      lastAnswer_[asked] = std::string(body.substr(2));
      answered_.notify_all();
    }
  }

  const int sock_;
  const int wake_;  // eventfd: tells a waiting WaitCommEvent to look again

  std::mutex mu_;  // everything below; the socket's output stream
  TTelnetDecoder decoder_;
  TTelnetOptions options_;
  std::string in_;         // received data not yet read
  std::string out_;        // encoded bytes not yet sent
  bool dataQueued_ = false;
  uint32_t mask_ = 0;
  uint32_t pending_ = 0;   // EV_ bits not yet reported
  bool rxPending_ = false;  // data arrived since the last report
  uint32_t errors_ = 0;
  uint32_t modemStatus_ = 0;
  bool modemStateSeen_ = false;
  bool gone_ = false;
  bool goneReported_ = false;
  int goneError_ = 0;
  size_t inQueue_ = 4096;
  size_t outQueue_ = 2048;
  TDCB dcb_;
  TCommTimeouts timeouts_;
  TSettingCounts requests_{};
  TSettingCounts answers_{};
  std::array<std::string, rfc2217::SET_CONTROL + 1> lastAnswer_;
  bool serverAnswers_ = true;
  std::condition_variable answered_;
};

}  // namespace

std::unique_ptr<TSerialDevice> OpenRfc2217Device(const std::string& url, int& osError) {
  TRfc2217Address address;
  if (!ParseRfc2217Url(url, address)) {
    osError = EINVAL;
    return nullptr;
  }
  int sock = TakeConnectionMadeAhead(address.host, address.port);
  if (sock < 0)
    sock = ConnectTcp(address.host, address.port, Clock::now() + milliseconds(kRfc2217ConnectTimeoutMs), osError);
  if (sock < 0) return nullptr;
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    osError = errno;
    close(sock);
    return nullptr;
  }
  auto device = std::make_unique<TRfc2217Device>(sock, wake);
  if (const int error = device->Start()) {
    osError = error;
    return nullptr;
  }
  osError = 0;
  return device;
}
