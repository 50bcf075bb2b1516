#pragma once

// The termios/ioctl/poll device behind OpenPosixDevice (see posix_device.h
// for the mapping decisions).
//
// Threads: WaitCommEvent runs on the event thread, everything else on the
// window thread. They share only the descriptor, atomics, and what rxLock_
// guards; WaitCommEvent never touches lastError_.

#include <linux/serial.h>

#include <atomic>
#include <mutex>
#include <string>

#include "serial/os_serial.h"

class TPosixSerialDevice final : public TSerialDevice {
 public:
  // Takes the descriptor; isChar from fstat, isTty from isatty.
  TPosixSerialDevice(int fd, bool isChar, bool isTty);
  ~TPosixSerialDevice() override;

  // Raw mode, HUPCL off, probes of modem lines and counters. False with
  // errno on failure.
  bool Prepare();

  int GetFileType() override;
  bool GetCommState(TDCB& dcb) override;
  bool SetCommState(const TDCB& dcb) override;
  bool SetupComm(int inQueue, int outQueue) override;
  bool SetCommTimeouts(const TCommTimeouts& timeouts) override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  bool PurgeComm(uint32_t flags) override;
  bool GetCommModemStatus(uint32_t& status) override;
  bool EscapeCommFunction(uint32_t function) override;
  bool SetCommMask(uint32_t mask) override;
  TWaitResult WaitCommEvent(uint32_t& events, const TStopSignal& stop) override;
  bool ClearCommError(uint32_t& errors, TComStat& stat) override;

 private:
  static constexpr int kTickMs = 50;

  bool Fail(int error);
  bool ApplyModemLine(uint32_t oldControl, uint32_t newControl, int line);
  // Bytes waiting to be read (device queue plus the probe byte); 0 on error.
  uint32_t QueuedLocked();
  // A read that found POLLIN but nothing counted: tells a hang-up from a
  // spurious wake-up, keeping any byte it gets.
  void ProbeInputLocked(bool& spurious);
  static bool IsGoneErrno(int error);

  const int fd_;
  const bool isChar_;
  const bool isTty_;
  bool hasModemLines_ = false;
  bool hasCounters_ = false;

  // Window thread.
  TDCB dcb_;
  TCommTimeouts timeouts_;
  serial_icounter_struct clearCounters_{};

  // Event thread (set before it starts).
  uint32_t lastModem_ = 0;
  serial_icounter_struct waitCounters_{};

  std::atomic<uint32_t> mask_{0};
  std::atomic<bool> gone_{false};
  std::atomic<bool> goneReported_{false};
  std::atomic<bool> txPending_{false};

  std::mutex rxLock_;
  std::string probed_;        // bytes taken by ProbeInputLocked, read first
  uint32_t knownQueued_ = 0;  // queued bytes already announced, less those read since
};
