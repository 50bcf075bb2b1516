#include "toolkit/widgets/cancel_mode.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

TCancelModeWatch::TCancelModeWatch(QWidget* control, THandler handler)
    : control_(control), handler_(std::move(handler)) {
  // Application-wide: a press on any widget of the window counts. The filter
  // only looks at the event type for everything else.
  qApp->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, &TCancelModeWatch::FocusChanged);
}

TCancelModeWatch::~TCancelModeWatch() {
  if (qApp) qApp->removeEventFilter(this);
}

bool TCancelModeWatch::Inside(const QWidget* w) const { return w && (w == control_ || control_->isAncestorOf(w)); }

bool TCancelModeWatch::FocusInside() const {
  // The window's focus widget, not the application's: a modal box opening
  // over the window has already taken the application's focus.
  return Inside(control_->window()->focusWidget());
}

QObject* TCancelModeWatch::SenderFor(QWidget* w) const {
  if (!Inside(w)) return w;
  for (QWidget* p = w; p && p != control_; p = p->parentWidget())
    if (p->focusPolicy() & Qt::ClickFocus) return p;
  return control_;
}

bool TCancelModeWatch::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // Qt hands a press on to the parents when a widget ignores it; only the
      // first, spontaneous delivery is the user's press.
      if (!event->spontaneous() || !watched->isWidgetType()) break;
      auto* w = static_cast<QWidget*>(watched);
      if (w->window() == control_->window() && FocusInside()) handler_(SenderFor(w));
      break;
    }
    case QEvent::Show: {
      if (!watched->isWidgetType()) break;
      auto* w = static_cast<QWidget*>(watched);
      if (w->isWindow() && w != control_->window() && (w->windowType() == Qt::Popup || w->isModal()) &&
          FocusInside())
        handler_(w);
      break;
    }
    default:
      break;
  }
  return false;
}

void TCancelModeWatch::FocusChanged(QWidget* old, QWidget* now) {
  if (Inside(old) && now && now != old && now->window() == control_->window()) handler_(SenderFor(now));
}
