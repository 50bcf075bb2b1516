#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "serial/posix/posix_serial_device.h"

namespace {
constexpr uint32_t kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;

uint32_t CounterErrors(const serial_icounter_struct& was, const serial_icounter_struct& now) {
  uint32_t e = 0;
  if (now.overrun != was.overrun) e |= CE_OVERRUN;
  if (now.buf_overrun != was.buf_overrun) e |= CE_RXOVER;
  if (now.parity != was.parity) e |= CE_RXPARITY;
  if (now.frame != was.frame) e |= CE_FRAME;
  if (now.brk != was.brk) e |= CE_BREAK;
  return e;
}
}  // namespace

bool TPosixSerialDevice::SetCommMask(uint32_t mask) {
  mask_ = mask;
  return true;
}

void TPosixSerialDevice::ProbeInputLocked(bool& spurious) {
  char byte;
  ssize_t n = read(fd_, &byte, 1);
  if (n == 1)
    probed_.push_back(byte);
  else if (n == 0 || (n < 0 && IsGoneErrno(errno)))
    gone_ = true;
  else
    spurious = true;
}

TWaitResult TPosixSerialDevice::WaitCommEvent(uint32_t& events, const TStopSignal& stop) {
  events = 0;
  if (goneReported_) return TWaitResult::Failed;
  bool spurious = false;  // input was signalled with nothing to read: wait a tick instead
  for (;;) {
    const uint32_t mask = mask_;
    const bool wantRx = mask & EV_RXCHAR;
    uint32_t queued = 0;
    if (wantRx) {
      std::lock_guard lock(rxLock_);
      queued = QueuedLocked();
      // Bytes taken by someone else (another descriptor, a flush) were never read here.
      if (queued < knownQueued_) knownQueued_ = queued;
      // Announced here and only here: an error clearing during another
      // event's hand-over counts bytes no OnRxChar has been told about yet.
      if (queued > knownQueued_) {
        knownQueued_ = queued;
        events |= EV_RXCHAR;
      }
    }

    const bool watchLines = (mask & kLineEvents) && hasModemLines_;
    const bool watchCounters = (mask & (EV_ERR | EV_BREAK)) && hasCounters_;
    const bool watchTx = (mask & EV_TXEMPTY) && txPending_;
    if (watchLines) {
      int bits = 0;
      if (ioctl(fd_, TIOCMGET, &bits) == 0) {
        uint32_t now = static_cast<uint32_t>(bits), changed = now ^ lastModem_;
        if (changed & TIOCM_CTS) events |= EV_CTS;
        if (changed & TIOCM_DSR) events |= EV_DSR;
        if (changed & TIOCM_CAR) events |= EV_RLSD;
        if ((changed & TIOCM_RNG) && (now & TIOCM_RNG)) events |= EV_RING;
        lastModem_ = now;
      } else if (IsGoneErrno(errno)) {
        gone_ = true;
      }
    }
    if (watchCounters) {
      serial_icounter_struct now{};
      if (ioctl(fd_, TIOCGICOUNT, &now) == 0) {
        uint32_t e = CounterErrors(waitCounters_, now);
        if (e & CE_BREAK) events |= EV_BREAK;
        if (e & ~CE_BREAK) events |= EV_ERR;
        waitCounters_ = now;
      }
    }
    if (watchTx) {
      int pending = 0;
      if (ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending == 0) {
        txPending_ = false;
        events |= EV_TXEMPTY;
      }
    }

    // Stop wins over anything found; a vanished device over ordinary events.
    pollfd p[2] = {{stop.Fd(), POLLIN, 0}, {fd_, 0, 0}};
    const bool blockOnInput = wantRx && queued == 0 && !spurious;
    if (blockOnInput) p[1].events = POLLIN;
    events &= mask;
    const bool tick = watchLines || watchCounters || watchTx || (wantRx && !blockOnInput);
    int r = poll(p, 2, events || gone_ ? 0 : (tick ? kTickMs : -1));
    if (r < 0 && errno != EINTR) return TWaitResult::Failed;
    if (r > 0 && p[0].revents) return TWaitResult::Stopped;
    spurious = false;
    if (r > 0 && (p[1].revents & (POLLHUP | POLLERR | POLLNVAL))) gone_ = true;
    if (r > 0 && !gone_ && (p[1].revents & POLLIN)) {
      std::lock_guard lock(rxLock_);
      if (QueuedLocked() == 0) ProbeInputLocked(spurious);
    }
    if (gone_) {
      goneReported_ = true;
      // Bytes already marked as announced must still be reported.
      events = EV_ERR | (events & EV_RXCHAR);
      return TWaitResult::Event;
    }
    if (events) return TWaitResult::Event;
  }
}

bool TPosixSerialDevice::ClearCommError(uint32_t& errors, TComStat& stat) {
  errors = 0;
  stat = TComStat{};
  if (hasCounters_) {
    serial_icounter_struct now{};
    if (ioctl(fd_, TIOCGICOUNT, &now) == 0) {
      errors |= CounterErrors(clearCounters_, now);
      clearCounters_ = now;
    }
  }
  if (gone_) errors |= CE_DEVICEGONE;  // a lasting condition, not a one-off error
  {
    std::lock_guard lock(rxLock_);
    stat.cbInQue = QueuedLocked();
  }
  int out = 0;
  if (ioctl(fd_, TIOCOUTQ, &out) == 0 && out > 0) stat.cbOutQue = static_cast<uint32_t>(out);
  return true;
}
