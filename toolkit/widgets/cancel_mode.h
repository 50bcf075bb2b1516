#pragma once

// Cancel mode: the classic toolkit tells the control that holds the keyboard
// focus when something else takes over, so it can drop what it tracks (a
// press, an open list, a hint). Qt has no such message; TCancelModeWatch
// raises it for one control. While the focus of the control's window is on
// the control or inside it:
//  * a user's mouse press lands on a widget of that window: the sender is
//    that widget;
//  * the focus moves from the control to another widget of the window: the
//    sender is the widget taking the focus;
//  * a popup or a modal window opens: the sender is that window.
// A widget inside the control stands for the nearest widget from it up to the
// control that takes the focus on a click, else for the control: a press on a
// grid's viewport or scroll bar comes from the grid, one on its editor from
// the editor. Receivers compare the sender with themselves and their parts.
// One user action can raise it twice (a click elsewhere presses and moves the
// focus), so handling must be idempotent.

#include <QObject>

#include <functional>

class QWidget;

class TCancelModeWatch : public QObject {
 public:
  using THandler = std::function<void(QObject* Sender)>;

  TCancelModeWatch(QWidget* control, THandler handler);
  ~TCancelModeWatch() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Inside(const QWidget* w) const;
  bool FocusInside() const;
  QObject* SenderFor(QWidget* w) const;
  void FocusChanged(QWidget* old, QWidget* now);

  QWidget* control_;
  THandler handler_;
};
