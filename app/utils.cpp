#include "app/utils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

#include "toolkit/core/str_to_int.h"

void Delay(int ms) {
  QElapsedTimer clock;
  clock.start();
  if (!QCoreApplication::instance()) {
    // No event loop to serve (plain tool or test without an application).
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // A coarse timer may fire a little early; loop until the full time is spent.
  for (;;) {
    const qint64 left = ms - clock.elapsed();
    if (left <= 0) return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(static_cast<int>(left));
    loop.exec();
  }
}

void ExtractToken(std::string& text, char delimiter, std::string& token) {
  const std::string::size_type p = text.find(delimiter);
  if (p == std::string::npos) {
    token = std::move(text);
    text.clear();
    return;
  }
  token = text.substr(0, p);
  text.erase(0, p + 1);
}

int NextNumber(std::string& text, char delimiter) {
  std::string token;
  ExtractToken(text, delimiter, token);
  return StrToInt(token);
}
