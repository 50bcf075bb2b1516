#include "tests/common/wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace orvix::test {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, TEvents events) {
  const QDeadlineTimer deadline(timeout);
  // The loop sleeps until an event comes: the tick wakes it to see what other threads or processes changed.
  QTimer tick;
  if (events == TEvents::Handled) tick.start(5ms);
  while (!done()) {
    if (deadline.hasExpired()) return done();
    if (events == TEvents::Handled)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    else
      std::this_thread::sleep_for(1ms);
  }
  return true;
}

void HandleEventsFor(std::chrono::milliseconds span) { WaitUntil([] { return false; }, span); }

}  // namespace orvix::test
