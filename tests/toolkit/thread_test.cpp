// The toolkit thread, and its blocking hand-over to the window thread.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "tests/common/wait.h"
#include "toolkit/core/thread.h"

namespace {

using namespace orvix::test;

struct TTestThread : TThread {
  explicit TTestThread(std::function<void(TTestThread&)> body) : body_(std::move(body)) {}
  ~TTestThread() override { Terminate(); WaitFor(); }
  using TThread::Synchronize;
  void Execute() override { body_(*this); }
  std::function<void(TTestThread&)> body_;
};

}  // namespace

TEST(Thread, StartsOnlyWhenStartedAndKeepsItsPriority) {
  std::atomic<bool> ran{false};
  TTestThread t([&](TTestThread&) { ran = true; });
  std::this_thread::sleep_for(50ms);  // time to run, had it started: nothing to wait for
  EXPECT_FALSE(ran);
  EXPECT_FALSE(t.Finished());
  EXPECT_EQ(t.Priority(), TThreadPriority::tpNormal);
  t.SetPriority(TThreadPriority::tpHighest);
  EXPECT_EQ(t.Priority(), TThreadPriority::tpHighest);
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(t.Finished());
}

TEST(Thread, NeverStartedThreadIsDestroyedWithoutWaitingAndHandsOverAtOnceOnTheWindowThread) {
  TTestThread t([](TTestThread&) { FAIL() << "must not run"; });
  t.WaitFor();  // nothing to wait for
  EXPECT_FALSE(t.Finished());
  int ran = 0;
  t.Synchronize([&] { ++ran; });
  EXPECT_EQ(ran, 1);
}

TEST(Thread, TerminateIsSeenByExecuteAnExceptionEscapingItIsKept) {
  std::atomic<int> loops{0};
  TTestThread t([&](TTestThread& self) { while (!self.Terminated()) { ++loops; std::this_thread::sleep_for(1ms); } });
  t.Start();
  ASSERT_TRUE(WaitUntil([&] { return loops > 0; }, 5s, TEvents::Left));
  t.Terminate();
  EXPECT_TRUE(t.Terminated());
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  TTestThread failing([](TTestThread&) { throw std::runtime_error("boom"); });
  failing.Start();
  failing.WaitFor();
  ASSERT_TRUE(failing.FatalException());
  EXPECT_THROW(std::rethrow_exception(failing.FatalException()), std::runtime_error);
}

TEST(Synchronize, RunsOnTheWindowThreadAndBlocksTheCaller) {
  const auto mainId = std::this_thread::get_id();
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  bool returnedBeforeProcRan = true;
  TTestThread t([&](TTestThread& self) {
    self.Synchronize([&] { ranOn = std::this_thread::get_id(); returnedBeforeProcRan = returned; });
    returned = true;
  });
  t.Start();
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() == 1; }, 5s, TEvents::Left));
  EXPECT_FALSE(returned);  // still blocked: nobody served it yet
  EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, 5s));  // served by the event loop
  EXPECT_EQ(std::tuple(ranOn, returnedBeforeProcRan), std::tuple(mainId, false));
  t.WaitFor();
}

TEST(Synchronize, ServedByANestedWaitForMoreEvents) {
  std::atomic<int> served{0};
  TTestThread t([&](TTestThread& self) { for (int i = 0; i < 3; ++i) self.Synchronize([&] { ++served; }); });
  // The window thread sleeps in processEvents with no timer: only the hand-over's wake-up gets it going.
  QTimer::singleShot(0, [&] {
    t.Start();
    while (served < 3) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  });
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_EQ(served, 3);
  t.WaitFor();
}

TEST(Synchronize, WaitForServesPendingHandOvers) {
  int served = 0;
  TTestThread t([&](TTestThread& self) { for (int i = 0; i < 2; ++i) self.Synchronize([&] { ++served; }); });
  t.Start();
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() == 1; }, 5s, TEvents::Left));
  t.WaitFor();  // no event loop: the wait itself must serve both
  EXPECT_EQ(std::tuple(served, t.Finished(), PendingHandOvers()), std::tuple(2, true, 0u));
}

TEST(Synchronize, ExceptionIsRaisedInTheCallingThread) {
  bool caught = false;
  TTestThread t([&](TTestThread& self) {
    try { self.Synchronize([] { throw std::runtime_error("handler failed"); }); }
    catch (const std::runtime_error&) { caught = true; }
  });
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(caught);
}

// Ending the thread from inside its hand-over must neither deadlock nor lose the rest of the procedure.
TEST(Synchronize, TerminateAndWaitFromInsideTheHandOver) {
  std::unique_ptr<TTestThread> t;
  bool after = false;
  t = std::make_unique<TTestThread>([&](TTestThread& self) {
    while (!self.Terminated()) self.Synchronize([&] { t->Terminate(); t->WaitFor(); after = true; });
  });
  t->Start();
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() == 1; }, 5s, TEvents::Left));
  CheckSynchronize();
  EXPECT_EQ(std::tuple(after, t->Finished()), std::tuple(true, true));
}
