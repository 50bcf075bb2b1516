#include "toolkit/core/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

const std::thread::id g_mainThread = std::this_thread::get_id();

struct THandOver {
  enum class TState { Queued, Running, Done };
  std::function<void()> Proc;
  const TThread* Owner = nullptr;
  TState State = TState::Queued;
  bool Abandoned = false;  // the window thread waits, from inside Proc, for Owner's end
  std::exception_ptr Error;
};

// One lock and one condition for the queue, the finished flags and the
// terminated flags, so the window thread's wait can watch all of them.
struct TSyncState {
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<std::shared_ptr<THandOver>> Queue;
  std::deque<THandOver*> Running;  // innermost last; procs nest through event loops
};

TSyncState& Sync() {
  static TSyncState state;
  return state;
}

int NiceOf(TThreadPriority p) {
  switch (p) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -15;
  }
  return 0;
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == g_mainThread; }

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  auto& s = Sync();
  bool ran = false;
  for (;;) {
    std::shared_ptr<THandOver> h;
    {
      std::lock_guard lock(s.Lock);
      if (s.Queue.empty()) break;
      h = std::move(s.Queue.front());
      s.Queue.pop_front();
      h->State = THandOver::TState::Running;
      s.Running.push_back(h.get());
    }
    std::exception_ptr error;
    try {
      h->Proc();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(s.Lock);
      h->Error = error;
      h->State = THandOver::TState::Done;
      std::erase(s.Running, h.get());
    }
    s.Changed.notify_all();
    ran = true;
  }
  return ran;
}

size_t PendingHandOvers() {
  auto& s = Sync();
  std::lock_guard lock(s.Lock);
  return s.Queue.size();
}

TThread::TThread() = default;

TThread::~TThread() {
  if (thread_.joinable()) {
    Terminate();
    WaitFor();
  }
}

void TThread::Start() {
  if (thread_.joinable() || finished_) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  tid_ = static_cast<int>(syscall(SYS_gettid));
  ApplyPriority();
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  auto& s = Sync();
  {
    std::lock_guard lock(s.Lock);
    finished_ = true;
  }
  s.Changed.notify_all();
}

void TThread::Terminate() {
  auto& s = Sync();
  {
    std::lock_guard lock(s.Lock);
    terminated_ = true;
  }
  s.Changed.notify_all();
}

void TThread::SetPriority(TThreadPriority value) {
  priority_ = value;
  ApplyPriority();
}

void TThread::ApplyPriority() {
  int tid = tid_;
  if (tid != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOf(priority_));
}

void TThread::WaitFor() {
  if (!thread_.joinable()) return;
  auto& s = Sync();
  if (IsMainThread()) {
    {
      // Waiting from inside this thread's own hand-over: it cannot be done
      // before the wait ends, so let the thread go on without it.
      std::lock_guard lock(s.Lock);
      for (THandOver* running : s.Running)
        if (running->Owner == this) running->Abandoned = true;
    }
    s.Changed.notify_all();
    for (;;) {
      CheckSynchronize();
      std::unique_lock lock(s.Lock);
      s.Changed.wait(lock, [&] { return finished_.load() || !s.Queue.empty(); });
      if (finished_ && s.Queue.empty()) break;
    }
  } else {
    std::unique_lock lock(s.Lock);
    s.Changed.wait(lock, [&] { return finished_.load(); });
  }
  thread_.join();
}

void TThread::Synchronize(std::function<void()> proc) {
  if (IsMainThread()) {
    proc();
    return;
  }
  auto& s = Sync();
  auto h = std::make_shared<THandOver>();
  h->Proc = std::move(proc);
  h->Owner = this;
  {
    std::lock_guard lock(s.Lock);
    s.Queue.push_back(h);
  }
  s.Changed.notify_all();
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, [] { CheckSynchronize(); }, Qt::QueuedConnection);

  std::unique_lock lock(s.Lock);
  s.Changed.wait(lock, [&] { return h->State == THandOver::TState::Done || h->Abandoned; });
  if (h->State == THandOver::TState::Done && h->Error) std::rethrow_exception(h->Error);
}
