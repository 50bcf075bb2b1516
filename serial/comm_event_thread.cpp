#include "serial/comm_event_thread.h"

#include "toolkit/core/handler_failure.h"

TCommEventThread::TCommEventThread(TSerialDevice* handle, TCommEventType events) : CommHandle(handle) {
  SetPriority(TThreadPriority::tpHighest);
  osMask_ = CommEventMask(events);
  CommHandle->SetCommMask(osMask_);
  Start();
}

TCommEventThread::~TCommEventThread() {
  Stop();
  WaitFor();
}

void TCommEventThread::Stop() {
  StopEvent.Set();
  Terminate();
}

void TCommEventThread::DoSignal() {
  // Copies: the handler may close the port, which frees this thread object.
  TCommSignalEvent handler = OnSignal;
  uint32_t mask = EventMask;
  if (!handler) return;
  // No code of the program called the handler, so none can catch its
  // failure: it is shown here, outside the catch, and the line is served on.
  std::exception_ptr failure;
  try {
    handler(this, mask);
  } catch (...) {
    failure = std::current_exception();
  }
  ReportHandlerFailure(failure);
}

void TCommEventThread::Execute() {
  bool stopped = false;
  do {
    uint32_t events = 0;
    TWaitResult r = CommHandle->WaitCommEvent(events, StopEvent);
    if (r == TWaitResult::Stopped) {
      stopped = true;
      break;
    }
    if (r == TWaitResult::Failed) break;
    EventMask = events;
    Synchronize([this] { DoSignal(); });
    stopped = Terminated();
  } while (!stopped);
  // Purge only on a stop: after a failed wait (a vanished device) the queued
  // bytes are all the caller may still get.
  if (stopped) CommHandle->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
}
