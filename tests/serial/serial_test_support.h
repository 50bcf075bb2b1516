#pragma once

#include <sys/ioctl.h>
#include <sys/resource.h>
#include <dirent.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "serial/async_comm.h"

// Runs the window thread's event loop until cond holds; false after timeout.
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // keeps WaitForMoreEvents from sleeping past the deadline
  wake.start(10);
  while (!cond()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Runs the event loop for a while (for checks that nothing more happens).
inline void PumpFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Waits, without the event loop, until cond holds; false after timeout.
inline bool SpinUntil(const std::function<bool()>& cond, int timeoutMs = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

inline int QueuedOn(int fd) {
  int n = -1;
  ioctl(fd, FIONREAD, &n);
  return n;
}

inline int OpenDescriptorCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

// Process CPU time (all threads) in milliseconds.
inline double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Runs f and returns the ECommError it raised; fails the test if none.
template <typename F>
ECommError CatchCommError(F f) {
  try {
    f();
  } catch (const ECommError& e) {
    return e;
  }
  ADD_FAILURE() << "no ECommError raised";
  return ECommError("", 0);
}
