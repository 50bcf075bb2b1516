#include "toolkit/core/post_message.h"

#include <QCoreApplication>

QEvent::Type TMessageEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostMessage(QObject* Target, unsigned Msg, qintptr WParam, qintptr LParam) {
  if (!Target) return;
  QCoreApplication::postEvent(Target, new TMessageEvent(Msg, WParam, LParam));
}
