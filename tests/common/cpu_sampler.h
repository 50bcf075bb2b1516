#pragma once

// Samples the CPU time of the whole test process (every thread: the window
// thread, the serial event thread, Qt's own) against wall time, so a test can
// ask how busy the process was over any stretch of time afterwards, e.g.
// while the program waited for a modem that did not answer.

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace orvix::test {

// CPU time of the whole process (every thread), in seconds.
double ProcessCpuSeconds();

class CpuSampler {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CpuSampler(std::chrono::milliseconds period = std::chrono::milliseconds(20));
  ~CpuSampler();
  CpuSampler(const CpuSampler&) = delete;
  CpuSampler& operator=(const CpuSampler&) = delete;

  // CPU seconds per wall second between two moments, from the samples that
  // lie inside [from, to]; negative when fewer than two samples lie there.
  double Load(Clock::time_point from, Clock::time_point to) const;

 private:
  struct Sample {
    Clock::time_point wall;
    double cpu;
  };
  void Run();

  const std::chrono::milliseconds period_;
  mutable std::mutex mutex_;
  std::vector<Sample> samples_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace orvix::test
