#pragma once

// CPU time of the whole test process (every thread) or of a child such as the emulator: how busy it was.

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
// CPU time (user and system) of another process, in seconds; negative when it is gone.
double ProcessCpuSeconds(pid_t pid);

// CPU seconds per wall second that this process (or pid) used while work ran.
double LoadWhile(const std::function<void()>& work, pid_t pid = 0);

// Samples this process's CPU time against wall time, to ask afterwards how busy any stretch of it was.
class CpuSampler {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CpuSampler(std::chrono::milliseconds period = std::chrono::milliseconds(20));
  ~CpuSampler();
  CpuSampler(const CpuSampler&) = delete;
  CpuSampler& operator=(const CpuSampler&) = delete;

  // CPU seconds per wall second from the samples in [from, to]; negative when fewer than two lie there.
  double Load(Clock::time_point from, Clock::time_point to) const;

 private:
  struct Sample { Clock::time_point wall; double cpu; };
  void Run();

  const std::chrono::milliseconds period_;
  mutable std::mutex mutex_;
  std::vector<Sample> samples_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace orvix::test
