#include "toolkit/widgets/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

using Clock = std::chrono::steady_clock;

TKeyPreview::TKeyPreview(QWidget* form) : QObject(form), form_(form) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { ReportDue(); });
  qApp->installEventFilter(this);
}

bool TKeyPreview::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::WindowDeactivate && watched == form_) {
    // A key held while another window took over is released there.
    down_.clear();
    return false;
  }
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  // Key events reach the platform window first, then the focused control and
  // its parents; only the controls belong to the form.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != form_) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if (type == QEvent::KeyPress)
    Pressed(key);
  else
    Released(key);
  return false;
}

void TKeyPreview::Pressed(const QKeyEvent& event) {
  const int key = event.key();
  const quint64 time = event.timestamp();
  if (time != 0 && key == lastReleaseKey_ && time == lastReleaseTime_) {
    // The second half of a repeat pair: the key is still held. It counts as
    // pressed here only if its first press did.
    if (DropPairedRelease(key, time)) down_.insert(key);
    return;
  }
  if (!event.isAutoRepeat()) down_.insert(key);
}

void TKeyPreview::Released(const QKeyEvent& event) {
  const int key = event.key();
  const quint64 time = event.timestamp();
  if (time != 0) {
    lastReleaseKey_ = key;
    lastReleaseTime_ = time;
  }
  // Seen again on its way to the parents, it finds the key released already.
  if (event.isAutoRepeat() || down_.erase(key) == 0) return;
  if (time == 0) {
    // Without a time stamp there is no pair to wait for.
    if (OnKeyUp) OnKeyUp(key, event.modifiers());
    return;
  }
  waiting_.push_back({key, event.modifiers(), time, Clock::now() + RepeatGrace});
  if (!timer_.isActive()) StartTimer();
}

bool TKeyPreview::DropPairedRelease(int key, quint64 time) {
  const auto it = std::find_if(waiting_.begin(), waiting_.end(),
                               [&](const TRelease& r) { return r.Key == key && r.Time == time; });
  if (it == waiting_.end()) return false;
  waiting_.erase(it);
  StartTimer();
  return true;
}

void TKeyPreview::ReportDue() {
  // OnKeyUp may run a modal loop in which more releases come and go.
  QPointer<TKeyPreview> alive(this);
  const auto now = Clock::now();
  while (alive && !waiting_.empty() && waiting_.front().Due <= now) {
    const TRelease release = waiting_.front();
    waiting_.pop_front();
    if (OnKeyUp) OnKeyUp(release.Key, release.Shift);
  }
  if (alive) StartTimer();
}

void TKeyPreview::StartTimer() {
  if (waiting_.empty()) {
    timer_.stop();
    return;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().Due - Clock::now());
  timer_.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count())));
}
