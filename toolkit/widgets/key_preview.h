#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <set>

class QKeyEvent;
class QWidget;

// Key preview for a form: reports the key releases in the form's window, once
// per press and release that the window itself received.
//
// Not reported: a release whose press went elsewhere (e.g. the Enter that
// closed a message box), the same release again as it travels up to the
// parents, and auto-repeat. X11 repeats a held key as a release and a press
// with one time stamp, and Qt flags such a pair only when both halves have
// arrived by the time it looks; so a release that carries a time stamp is
// reported once RepeatGrace has passed without the press of its pair, after
// the focused control has had it. One without (synthetic events) is reported
// at once, before the control.
class TKeyPreview : public QObject {
 public:
  static constexpr std::chrono::milliseconds RepeatGrace{50};

  // Installs itself as an application-wide event filter; owned by the form.
  explicit TKeyPreview(QWidget* form);

  // Qt key code and the modifiers held at the release.
  std::function<void(int key, Qt::KeyboardModifiers shift)> OnKeyUp;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TRelease {
    int Key;
    Qt::KeyboardModifiers Shift;
    quint64 Time;
    std::chrono::steady_clock::time_point Due;
  };

  void Pressed(const QKeyEvent& event);
  void Released(const QKeyEvent& event);
  bool DropPairedRelease(int key, quint64 time);
  void ReportDue();
  void StartTimer();

  QWidget* form_;
  std::set<int> down_;            // pressed in the form's window, not yet released
  std::deque<TRelease> waiting_;  // releases that may still turn out to be a repeat
  int lastReleaseKey_ = 0;        // the last release with a time stamp, ours or not
  quint64 lastReleaseTime_ = 0;
  QTimer timer_;
};
