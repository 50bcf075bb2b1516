#pragma once

// Command channel tests' helpers: a channel on a real pty, bytes fed from the other end, steps run in a wait.

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QTimer>

#include <type_traits>
#include <utility>

#include "app/comm_port.h"
#include "tests/common/cpu_sampler.h"
#include "tests/common/pty_pair.h"
#include "tests/common/wait.h"

namespace commport_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

using orvix::test::LoadWhile;
using orvix::test::TEvents;
using orvix::test::WaitUntil;

// Runs steps in whatever wait runs, one per 1 ms turn: an action, or a condition (bool) tried until it holds.
class Steps {
 public:
  struct TStep {
    template <class F>
    TStep(F f) {  // NOLINT: a lambda is a step
      if constexpr (std::is_void_v<std::invoke_result_t<F&>>) run = [f]() mutable { return f(), true; };
      else run = std::move(f);
    }
    std::function<bool()> run;
  };

  explicit Steps(std::vector<TStep> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      if (next_ < steps_.size() && steps_[next_].run()) ++next_;
      if (Done()) timer_.stop();
    });
    timer_.start(1);
  }
  bool Done() const { return next_ == steps_.size(); }

 private:
  std::vector<TStep> steps_;
  std::size_t next_ = 0;
  QTimer timer_;
};

// A one-shot timer that dies with the test, so its callback never runs after what it captures is gone.
class After {
 public:
  After(int ms, std::function<void()> callback) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(callback));
    timer_.start(ms);
  }

 private:
  QTimer timer_;
};

inline int Queued(const PtyPair& pty) {
  int n = 0;
  if (ioctl(pty.Slave(), FIONREAD, &n) != 0) return -1;
  return n;
}

// The line delivers asynchronously; wait briefly until `count` bytes are in.
inline bool WaitQueued(const PtyPair& pty, int count) {
  return WaitUntil([&] { return Queued(pty) >= count; }, TEvents::Left);
}

// Puts bytes on the line and hands them to the recogniser as one receive event.
inline void Feed(PtyPair& pty, TCommPort& port, const std::string& bytes) {
  ASSERT_TRUE(pty.WriteMaster(bytes));
  ASSERT_TRUE(WaitQueued(pty, static_cast<int>(bytes.size()))) << "bytes did not reach the slave";
  port.HandleRxChar(&port, static_cast<int>(bytes.size()));
}

// A channel on a pty's slave end; with manual delivery the recogniser sees exactly the chunks a test feeds.
struct PtyChannel {
  enum Delivery { Manual, Events };

  explicit PtyChannel(Delivery delivery) {
    port.SetDeviceName(pty.SlaveName());
    if (delivery == Manual) port.SetMonitorEvents({TCommEventState::evError});
    port.OpenPort();
  }

  PtyPair pty;
  TCommPort port;
};

// Feeds each chunk as one receive event, one per turn of the wait that runs.
class Feeds : public Steps {
 public:
  Feeds(PtyChannel& ch, const std::vector<std::string>& chunks) : Steps(Each(ch, chunks)) {}

 private:
  static std::vector<TStep> Each(PtyChannel& ch, const std::vector<std::string>& chunks) {
    std::vector<TStep> steps;
    for (const std::string& chunk : chunks) steps.emplace_back([&ch, chunk] { Feed(ch.pty, ch.port, chunk); });
    return steps;
  }
};

}  // namespace commport_test
