#pragma once

#include <sys/ioctl.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>

#include <gtest/gtest.h>

#include "serial/async_comm.h"
#include "serial/os_serial.h"
#include "tests/common/cpu_sampler.h"
#include "tests/common/pty_pair.h"
#include "tests/common/wait.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace orvix::test;

inline int QueuedOn(int fd) {
  int n = -1;
  ioctl(fd, FIONREAD, &n);
  return n;
}

// Writes to the line and waits (without the event loop) until the bytes are queued.
inline void ArriveOn(PtyPair& pty, const std::string& data) {
  const int after = QueuedOn(pty.Slave()) + static_cast<int>(data.size());
  ASSERT_TRUE(pty.WriteMaster(data));
  ASSERT_TRUE(WaitUntil([&] { return QueuedOn(pty.Slave()) >= after; }, TEvents::Left));
}

// An OnRxChar handler that appends what is announced to `to`.
inline auto ReadInto(std::string& to) {
  return [&to](TCustomComm* s, int count) {
    std::string buf(static_cast<size_t>(count), '\0');
    const int n = s->Read(buf.data(), count);
    if (n > 0) to.append(buf.data(), static_cast<size_t>(n));
  };
}

// Compared only with itself: the iterator's own descriptor is in every count.
inline int OpenDescriptorCount() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Reads until count bytes arrived (a network device needs a waiter to keep its socket pumped).
inline std::string ReadExactly(TSerialDevice& device, size_t count) {
  std::string got;
  char buf[4096];
  WaitUntil([&] {
    const int n = device.Read(buf, static_cast<int>(std::min(sizeof buf, count - got.size())));
    if (n > 0) got.append(buf, static_cast<size_t>(n));
    return got.size() >= count;
  }, TEvents::Left);
  return got;
}

inline void SetLine(TDCB& d, uint32_t rate, uint8_t size, uint8_t parity, uint8_t stop) {
  d.BaudRate = rate, d.ByteSize = size, d.Parity = parity, d.StopBits = stop;
}

// The control block the device holds now; the test fails when it cannot be read.
inline TDCB StateOf(TSerialDevice& device) {
  TDCB dcb;
  EXPECT_TRUE(device.GetCommState(dcb)) << device.LastError();
  return dcb;
}

inline uint32_t StatusOf(TSerialDevice& device) {
  uint32_t status = 0xFFFF;
  EXPECT_TRUE(device.GetCommModemStatus(status));
  return status;
}

// What ClearCommError reports; the test fails when the call does.
struct TCleared { uint32_t errors = 0xFFFF; TComStat stat; };
inline TCleared Cleared(TSerialDevice& device) {
  TCleared c;
  EXPECT_TRUE(device.ClearCommError(c.errors, c.stat)) << device.LastError();
  return c;
}

// Runs f and returns the ECommError it raised; fails the test if none.
template <typename F> ECommError CatchCommError(F f) {
  try { f(); } catch (const ECommError& e) { return e; }
  ADD_FAILURE() << "no ECommError raised";
  return ECommError("", 0);
}

// What the component handed to its device and got back, kept past the device (a closed port's stays readable).
struct TDeviceRecord {
  TDCB Dcb;                // the last block given to SetCommState
  TCommTimeouts Timeouts;  // the last record given to SetCommTimeouts
  uint32_t Mask = 0;       // the last SetCommMask
  uint32_t Errors = 0;     // the last ClearCommError's error bits
  TComStat Stat;           // and its queue counts
};

// The real device of a name, with every call passed through and recorded.
class TRecordingDevice : public TSerialDevice {
 public:
  TRecordingDevice(std::unique_ptr<TSerialDevice> device, TDeviceRecord& record)
      : device_(std::move(device)), record_(record) {}

  int GetFileType() override { return Pass(device_->GetFileType()); }
  bool GetCommState(TDCB& dcb) override { return Pass(device_->GetCommState(dcb)); }
  bool SetCommState(const TDCB& dcb) override { record_.Dcb = dcb; return Pass(device_->SetCommState(dcb)); }
  bool SetupComm(int in, int out) override { return Pass(device_->SetupComm(in, out)); }
  bool SetCommTimeouts(const TCommTimeouts& t) override {
    record_.Timeouts = t;
    return Pass(device_->SetCommTimeouts(t));
  }
  int Read(void* buffer, int count) override { return Pass(device_->Read(buffer, count)); }
  int Write(const void* buffer, int count) override { return Pass(device_->Write(buffer, count)); }
  bool GetCommModemStatus(uint32_t& status) override { return Pass(device_->GetCommModemStatus(status)); }
  bool EscapeCommFunction(uint32_t function) override { return Pass(device_->EscapeCommFunction(function)); }
  bool SetCommMask(uint32_t mask) override { record_.Mask = mask; return Pass(device_->SetCommMask(mask)); }
  // The event thread's calls (its wait, its purge) record nothing: nothing here is shared with the window thread.
  TWaitResult WaitCommEvent(uint32_t& e, const TStopSignal& stop) override { return device_->WaitCommEvent(e, stop); }
  bool PurgeComm(uint32_t flags) override { return device_->PurgeComm(flags); }
  bool ClearCommError(uint32_t& errors, TComStat& stat) override {
    const bool ok = Pass(device_->ClearCommError(errors, stat));
    record_.Errors = errors;
    record_.Stat = stat;
    return ok;
  }

 private:
  template <typename T> T Pass(T result) { lastError_ = device_->LastError(); return result; }

  std::unique_ptr<TSerialDevice> device_;
  TDeviceRecord& record_;
};

// A component whose devices are recorded in Record.
class TRecordingComm : public TComm {
 public:
  TDeviceRecord Record;

  void CreateHandle() override {
    int error = 0;
    std::unique_ptr<TSerialDevice> device = OpenSerialDevice(DeviceName(), error);
    if (!device) RaiseCommError("Error accessing specified device", error);
    SetHandle(std::make_unique<TRecordingDevice>(std::move(device), Record));
  }
};

// Runs WaitCommEvent on its own thread, as the event thread does; keeps the events and how the waiting ended.
class TWaiter {
 public:
  explicit TWaiter(TSerialDevice& device) : device_(device), thread_([this] { Run(); }) {}
  ~TWaiter() { stop_.Set(), thread_.join(); }

  template <class Pred> bool WaitUntil(Pred pred, std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return pred(events_); });
  }
  bool WaitForEvent(uint32_t bit) {
    return WaitUntil([bit](const auto& e) { return std::ranges::any_of(e, [bit](uint32_t m) { return m & bit; }); });
  }
  bool WaitForEnd(std::chrono::milliseconds timeout = 10s) { return WaitUntil([&](auto&) { return ended_; }, timeout); }
  std::vector<uint32_t> Events() { std::lock_guard lock(mu_); return events_; }
  TWaitResult EndResult() { std::lock_guard lock(mu_); return result_; }

 private:
  void Run() {
    for (;;) {
      uint32_t ev = 0;
      const TWaitResult r = device_.WaitCommEvent(ev, stop_);
      std::lock_guard lock(mu_);
      if (r == TWaitResult::Event) events_.push_back(ev);
      else result_ = r, ended_ = true;
      cv_.notify_all();
      if (ended_) return;
    }
  }

  TSerialDevice& device_;
  TStopSignal stop_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<uint32_t> events_;
  bool ended_ = false;
  TWaitResult result_ = TWaitResult::Event;
  std::thread thread_;
};

// A component on a pty, monitoring errors and received characters.
class PtyComm : public ::testing::Test {
 protected:
  void SetUp() override {
    comm.SetDeviceName(pty.SlaveName());
    comm.SetMonitorEvents({TCommEventState::evError, TCommEventState::evRxChar});
  }
  void Arrive(const std::string& data) { ArriveOn(pty, data); }
  PtyPair pty;
  TRecordingComm comm;
};
