#include "tests/common/cpu_sampler.h"

#include <time.h>

namespace orvix::test {

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

CpuSampler::CpuSampler(std::chrono::milliseconds period) : period_(period) {
  thread_ = std::thread([this] { Run(); });
}

CpuSampler::~CpuSampler() {
  stop_ = true;
  thread_.join();
}

void CpuSampler::Run() {
  while (!stop_) {
    {
      std::lock_guard lock(mutex_);
      samples_.push_back({Clock::now(), ProcessCpuSeconds()});
    }
    std::this_thread::sleep_for(period_);
  }
}

double CpuSampler::Load(Clock::time_point from, Clock::time_point to) const {
  std::lock_guard lock(mutex_);
  const Sample* first = nullptr;
  const Sample* last = nullptr;
  for (const Sample& s : samples_) {
    if (s.wall < from || s.wall > to) continue;
    if (!first) first = &s;
    last = &s;
  }
  if (!first || first == last) return -1;
  return (last->cpu - first->cpu) / std::chrono::duration<double>(last->wall - first->wall).count();
}

}  // namespace orvix::test
