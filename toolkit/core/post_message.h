#pragma once

// Posting a message to a control: the message waits in the event queue and
// reaches the target's event() as a TMessageEvent after the event being
// handled now has finished (a paint in progress ends first). It is never
// delivered synchronously, so a handler cannot re-enter the code that posted.
// Messages for a target destroyed before delivery are dropped.

#include <QEvent>

class QObject;

// First message number free for a control's own messages.
inline constexpr unsigned WM_USER = 0x0400;

class TMessageEvent : public QEvent {
 public:
  TMessageEvent(unsigned Msg, qintptr WParam, qintptr LParam)
      : QEvent(EventType()), Msg(Msg), WParam(WParam), LParam(LParam) {}

  // The one event type every posted message travels as.
  static QEvent::Type EventType();

  unsigned Msg;
  qintptr WParam;
  qintptr LParam;
};

void PostMessage(QObject* Target, unsigned Msg, qintptr WParam, qintptr LParam);
