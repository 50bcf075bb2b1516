#include "tests/common/cpu_sampler.h"

#include <time.h>
#include <unistd.h>

#include <sstream>

#include "tests/common/files.h"

namespace orvix::test {

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double ProcessCpuSeconds(pid_t pid) {
  const std::string all = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // After the command name (in parentheses, may hold blanks): the 14th and 15th are user and system ticks.
  const auto close = all.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(all.substr(close + 2));
  std::string f;
  unsigned long long ticks = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i)
    if (i >= 14) ticks += std::stoull(f);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double LoadWhile(const std::function<void()>& work, pid_t pid) {
  auto cpu = [pid] { return pid ? ProcessCpuSeconds(pid) : ProcessCpuSeconds(); };
  const double before = cpu();
  const auto start = CpuSampler::Clock::now();
  work();
  const double wall = std::chrono::duration<double>(CpuSampler::Clock::now() - start).count();
  return (cpu() - before) / wall;
}

CpuSampler::CpuSampler(std::chrono::milliseconds period) : period_(period) { thread_ = std::thread([this] { Run(); }); }

CpuSampler::~CpuSampler() { stop_ = true; thread_.join(); }

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
  const Sample *first = nullptr, *last = nullptr;
  for (const Sample& s : samples_) {
    if (s.wall < from || s.wall > to) continue;
    if (!first) first = &s;
    last = &s;
  }
  if (!first || first == last) return -1;
  return (last->cpu - first->cpu) / std::chrono::duration<double>(last->wall - first->wall).count();
}

}  // namespace orvix::test
