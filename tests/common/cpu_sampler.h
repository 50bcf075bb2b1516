#pragma once

// What a process costs in CPU time: the whole test process (every thread:
// the window thread, the serial event thread, Qt's own) or a child such as
// the emulator. A test asks how busy it was while it waited, e.g. for a
// modem that did not answer; a benchmark reports it.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvix::test {

// CPU time of this process (every thread), in seconds.
double ProcessCpuSeconds();
// CPU time (user and system) of another process, in seconds; negative when
// it is gone.
double ProcessCpuSeconds(pid_t pid);

// CPU seconds per wall second that this process (or pid) used while work ran.
double LoadWhile(const std::function<void()>& work, pid_t pid = 0);

// Samples this process's CPU time against wall time, so a test can ask how
// busy it was over any stretch of time afterwards.
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
