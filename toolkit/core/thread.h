#pragma once

// The toolkit's thread object: created suspended, with a priority level, a
// terminated flag, a wait for its end, and a blocking hand-over of a
// procedure to the window (Qt main) thread.
//
// Hand-overs go through one locked queue. The window thread serves it from
// its event loop (a queued call wakes any loop it sits in, nested ones
// included) and from inside WaitFor, so a thread that is handing over while
// the window thread waits for its end cannot deadlock.

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <thread>

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
 public:
  TThread();  // suspended until Start
  // A derived class must end its thread (Terminate, WaitFor) in its own
  // destructor: Execute must not outlive the derived object. The base only
  // waits as a last guard.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();  // once
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }

  TThreadPriority Priority() const { return priority_.load(); }
  // Best effort: Linux maps the levels to nice values; raising needs privilege
  // and is silently kept at the current level without it.
  void SetPriority(TThreadPriority value);

  // Blocks until Execute has returned. On the window thread it keeps running
  // hand-overs meanwhile.
  void WaitFor();

  // The exception that escaped Execute, if any.
  std::exception_ptr FatalException() const { return fatal_; }

 protected:
  virtual void Execute() = 0;

  // Runs proc on the window thread and blocks until it has returned; an
  // exception it raises is raised here. Called on the window thread it simply
  // runs proc. If the window thread, from inside proc, waits for this
  // thread's end, the hand-over returns without waiting for proc.
  void Synchronize(std::function<void()> proc);

 private:
  void Run();
  void ApplyPriority();

  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<TThreadPriority> priority_{TThreadPriority::tpNormal};
  std::atomic<int> tid_{0};
  std::exception_ptr fatal_;
};

// True on the window thread (the thread that started the program).
bool IsMainThread();

// Runs every pending hand-over; window thread only (elsewhere it does
// nothing). Returns whether any ran.
bool CheckSynchronize();

// Hand-overs queued and not yet started.
size_t PendingHandOvers();
