#pragma once

// An attack in a child process: a hang, runaway read or fatal signal fails the test, not the test program.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/common/wait.h"

namespace faults_test {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct TChildEnd {
  bool Finished = false;  // ended by itself before the deadline
  int Status = 0;         // wait status
  std::string Report;     // what the body returned: empty when all was well
  Clock::duration Took{};
};

// Address space the process uses now, in bytes (0 when unknown).
inline rlim_t AddressSpaceNow() {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    if (key == "VmSize:") {
      unsigned long long kb = 0;
      in >> kb;
      return static_cast<rlim_t>(kb) * 1024;
    }
    in.ignore(1 << 20, '\n');
  }
  return 0;
}

// The child runs `body`, sends back the text it returns and ends; it is killed after `deadline`.
// `extraMemory` bounds what it may allocate beyond what it inherits (0: none; the address sanitizer
// reserves too much address space for such a bound).
inline TChildEnd RunBounded(const std::function<std::string()>& body, Clock::duration deadline,
                            rlim_t extraMemory = 0) {
  TChildEnd end;
  int fds[2];
  if (pipe(fds) != 0) return {.Report = "pipe failed"};
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
#if !defined(__SANITIZE_ADDRESS__)
    if (extraMemory > 0) {
      const rlimit limit{AddressSpaceNow() + extraMemory, RLIM_INFINITY};
      setrlimit(RLIMIT_AS, &limit);
    }
#else
    (void)extraMemory;
#endif
    std::string report;
    try {
      report = body();
    } catch (const std::exception& e) {
      report = std::string("exception: ") + e.what();
    } catch (...) {
      report = "unknown exception";
    }
    if (!report.empty() && write(fds[1], report.data(), report.size()) < 0) _exit(3);
    _exit(0);
  }
  close(fds[1]);
  if (pid < 0) { close(fds[0]); return {.Report = "fork failed"}; }
  end.Finished = orvix::test::WaitUntil([&] { return waitpid(pid, &end.Status, WNOHANG) == pid; },
                                       std::chrono::duration_cast<std::chrono::milliseconds>(deadline),
                                       orvix::test::TEvents::Left);
  if (!end.Finished) {
    kill(pid, SIGKILL);
    waitpid(pid, &end.Status, 0);
  }
  end.Took = Clock::now() - start;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) end.Report.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  return end;
}

// Passes when the child ended by itself, normally, within the deadline, and its body reported nothing.
inline ::testing::AssertionResult EndedWell(const TChildEnd& end) {
  const double ms = std::chrono::duration<double, std::milli>(end.Took).count();
  if (!end.Finished) return ::testing::AssertionFailure() << "still running after " << ms << " ms: killed";
  if (WIFSIGNALED(end.Status))
    return ::testing::AssertionFailure() << "killed by signal " << WTERMSIG(end.Status) << " after " << ms << " ms";
  if (!WIFEXITED(end.Status) || WEXITSTATUS(end.Status) != 0)
    return ::testing::AssertionFailure() << "exit status " << end.Status;
  if (!end.Report.empty()) return ::testing::AssertionFailure() << end.Report;
  return ::testing::AssertionSuccess() << ms << " ms";
}

inline ::testing::AssertionResult RunsWell(const std::function<std::string()>& body, Clock::duration deadline = 3s,
                                           rlim_t extraMemory = 0) {
  return EndedWell(RunBounded(body, deadline, extraMemory));
}

}  // namespace faults_test
