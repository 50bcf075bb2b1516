#pragma once

// The background thread of an open port: waits for line events and hands
// each completed wait to the window thread, blocking until the handlers there
// have returned.

#include <cstdint>
#include <functional>

#include "serial/async_comm.h"
#include "serial/os_serial.h"
#include "toolkit/core/thread.h"

class TCommEventThread : public TThread {
 public:
  using TCommSignalEvent = std::function<void(TCommEventThread* sender, uint32_t eventMask)>;

  // Selects the events on the device and starts waiting at once.
  TCommEventThread(TSerialDevice* handle, TCommEventType events);
  // Stops and waits for the thread if the owner has not.
  ~TCommEventThread() override;

  // Signals the stop and marks the thread terminated; window thread.
  void Stop();
  // On the window thread: calls OnSignal(this, EventMask) if assigned; a
  // failure of it is shown with ReportHandlerFailure.
  void DoSignal();

  // The OS mask selected on the device.
  uint32_t OsMask() const { return osMask_; }

  TSerialDevice* CommHandle;  // not owned
  uint32_t EventMask = 0;     // events of the last completed wait
  TCommSignalEvent OnSignal;
  TStopSignal StopEvent;      // exists before the thread runs, so an early Stop still ends it

 protected:
  void Execute() override;

 private:
  uint32_t osMask_ = 0;
};
