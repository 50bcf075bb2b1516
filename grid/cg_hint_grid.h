#pragma once

// Cell hints: after the mouse has rested on a cell (or, with HintFollowsMouse
// false, after the focused cell has stayed the same) for 60 ticks of a 10 ms
// timer, the grid asks OnShowCellHint for that cell's text and position and
// shows the text in a TcgHintWindow. Another cell, leaving the grid or the
// program losing activation hides it; each arming asks at most once.
//
// Nothing changes while the grid is loading or being destroyed. There is no
// form designer, so those are the only states in which the grid is not
// "running".

#include "toolkit/widgets/application.h"
#include "toolkit/widgets/hint_window.h"
#include "toolkit/widgets/string_grid.h"

#include <QPoint>
#include <QString>

#include <functional>

class QTimer;

// The popup of a cell hint (also the in-place editor's suggestion popup):
// tooltip colours, sized to its text, kept on the screen under its point.
class TcgHintWindow : public THintWindow {
  Q_OBJECT

 public:
  explicit TcgHintWindow(QWidget* Owner = nullptr);

  // Shows Text with the window's top-left at (Rect.Left, Rect.Top), sized to
  // the text and moved onto the screen; the rest of Rect is not used.
  virtual void ActivateHint(TRect Rect, const QString& Text);
  void HideHint();

 protected:
  void Paint() override;
  // Sizes the window to the new text and shows it.
  void TextChanged() override;

 private:
  bool activating_ = false;  // ActivateHint shows the window itself, in its place
};

// Hint is empty on entry; TopLeft holds the default position (screen).
using TcgOnShowCellHint =
    std::function<void(QObject* Sender, int Col, int Row, QString& Hint, QPoint& TopLeft)>;

class TCgHintGrid : public TStringGrid {
  Q_OBJECT

 public:
  static constexpr int HintTicks = 60;
  static constexpr int HintTickInterval = 10;  // ms

  explicit TCgHintGrid(QWidget* parent = nullptr);
  ~TCgHintGrid() override;

  // True: the hint follows the cell under the mouse; false: the current cell.
  // A plain setting, read when next needed.
  bool HintFollowsMouse() const { return hintFollowsMouse_; }
  void SetHintFollowsMouse(bool value) { hintFollowsMouse_ = value; }

  TcgOnShowCellHint OnShowCellHint;

  // The cell at a client point; (-1, -1) for negative coordinates too.
  TGridCoord MouseCell(int X, int Y) const;
  // Another cell restarts the hint; the same cell changes nothing.
  void SetHintCell(TGridCoord ACell);
  void RestartCellHint();
  // Show: arm the hint when CanShowCellHint (a shown one stays until the
  // countdown ends and it is asked for again); otherwise hide and disarm.
  void UpdateCellHint(bool Show);
  bool CanShowCellHint() const;

 protected:
  void HintTimerTick();

  void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DoEnter() override;
  void CancelMode(QObject* Sender) override;
  // A scroll ends a pending or shown hint and arms it again for the cell now
  // under the pointer (or the current cell, when the hint follows that).
  void TopLeftChanged() override;
  void WriteProperties(QJsonObject& properties) const override;
  void ReadProperties(const QJsonObject& properties) override;

  bool MouseInside = false;
  TGridCoord HintCell{-1, -1};
  bool HintShowing = false;
  TcgHintWindow* HintWindow = nullptr;  // a window of its own, deleted with the grid
  QTimer* HintTimer = nullptr;
  int HintCountdown = HintTicks;
  bool AppHooked = false;

 private:
  bool AppHook(TAppMessage Message);
  bool Running() const { return !Loading() && !Destroying(); }

  bool hintFollowsMouse_ = true;
  int hookId_ = 0;
};
