#include "toolkit/widgets/string_grid.h"
#include "toolkit/widgets/string_grid_accessible.h"

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid_axis.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <utility>

using namespace string_grid_detail;

// --- mouse ---------------------------------------------------------------------

int TStringGrid::SizingLineAt(int X, int Y, bool& isColumn) const {
  using enum TGridOption;
  constexpr int kSlack = 3;  // pixels either side of a line that still grab it
  const TAxis horz{colWidths_, fixedCols_, leftCol_, LineV(), ClientWidth()};
  const TAxis vert{rowHeights_, fixedRows_, topRow_, LineH(), ClientHeight()};
  auto lineNear = [&](const TAxis& axis, int pos) {
    int found = -1;
    auto check = [&](int i, int start) {
      const int end = start + axis.sizes[i];
      if (found < 0 && pos >= end - kSlack && pos < end + axis.line + kSlack) found = i;
    };
    int x = 0;
    for (int i = 0; i < axis.fixed && i < axis.Count() && x < axis.extent; ++i) {
      check(i, x);
      x += axis.sizes[i] + axis.line;
    }
    for (int i = axis.first; i < axis.Count() && x < axis.extent; ++i) {
      check(i, x);
      x += axis.sizes[i] + axis.line;
    }
    return found;
  };
  if (options_.Contains(goColSizing) && fixedRows_ > 0 && Y >= 0 && Y < vert.FixedExtent()) {
    isColumn = true;
    return lineNear(horz, X);
  }
  if (options_.Contains(goRowSizing) && fixedCols_ > 0 && X >= 0 && X < horz.FixedExtent()) {
    isColumn = false;
    return lineNear(vert, Y);
  }
  return -1;
}

void TStringGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  using enum TGridOption;
  if (Button != Qt::LeftButton) return;
  bool isColumn = false;
  const int line = SizingLineAt(X, Y, isColumn);
  if (line >= 0) {
    HideEditor();
    gridState_ = isColumn ? TGridState::gsColSizing : TGridState::gsRowSizing;
    sizingIndex_ = line;
    // Keep the offset of the grab so the line does not jump to the pointer.
    sizingOrigin_ = isColumn ? X - colWidths_[line] : Y - rowHeights_[line];
    return;
  }
  const TGridCoord cell = MouseToCell(X, Y);
  if (cell.X < 0) return;
  if (IsFixed(cell.X, cell.Y)) {
    if (options_.Contains(goColMoving) && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
      gridState_ = TGridState::gsColMoving;
      moveFrom_ = cell.X;
    } else if (options_.Contains(goRowMoving) && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
      gridState_ = TGridState::gsRowMoving;
      moveFrom_ = cell.Y;
    }
    return;
  }
  gridState_ = TGridState::gsSelecting;
  const bool wasCurrent = cell.X == col_ && cell.Y == row_;
  if (wasCurrent) {
    if (CanEditShow()) ShowEditor();
    return;
  }
  const bool extend = Shift.testFlag(Qt::ShiftModifier) && options_.Contains(goRangeSelect) &&
                      !options_.Contains(goRowSelect);
  if (SelectCell(cell.X, cell.Y)) MoveCurrent(cell.X, cell.Y, extend);
}

void TStringGrid::MouseMove(Qt::KeyboardModifiers, int X, int Y) {
  using enum TGridOption;
  switch (gridState_) {
    case TGridState::gsColSizing:
      SetColWidths(sizingIndex_, X - sizingOrigin_);
      return;
    case TGridState::gsRowSizing:
      SetRowHeights(sizingIndex_, Y - sizingOrigin_);
      return;
    case TGridState::gsSelecting: {
      if (!options_.Contains(goRangeSelect) || options_.Contains(goRowSelect)) return;
      const TGridCoord cell = MouseToCell(X, Y);
      if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == anchor_)) {
        anchor_ = cell;
        Invalidate();
      }
      return;
    }
    case TGridState::gsNormal: {
      bool isColumn = false;
      const int line = SizingLineAt(X, Y, isColumn);
      const Qt::CursorShape shape = line < 0 ? Qt::ArrowCursor : isColumn ? Qt::SplitHCursor : Qt::SplitVCursor;
      if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
      return;
    }
    default:
      return;
  }
}

void TStringGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button != Qt::LeftButton) return;
  const TGridState state = std::exchange(gridState_, TGridState::gsNormal);
  switch (state) {
    case TGridState::gsColMoving: {
      const int to = MouseToCell(X, Y).X;
      if (to >= fixedCols_ && to != moveFrom_) MoveColumn(moveFrom_, to);
      break;
    }
    case TGridState::gsRowMoving: {
      const int to = MouseToCell(X, Y).Y;
      if (to >= fixedRows_ && to != moveFrom_) MoveRow(moveFrom_, to);
      break;
    }
    case TGridState::gsSelecting:
      Click();
      break;
    default:
      break;
  }
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt sends press, release, double-click, release: the double-click stands
  // for the second press so that every release has its press.
  mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseMove(event->modifiers(), pos.x(), pos.y());
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

bool TStringGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Enter) MouseEnter();
  if (event->type() == QEvent::Leave) MouseLeave();
  return QAbstractScrollArea::viewportEvent(event);
}

void TStringGrid::SetMouseCapture(bool value) {
  if (value == mouseCapture_) return;
  mouseCapture_ = value;
  if (value) {
    if (viewport()->isVisible()) viewport()->grabMouse();
  } else {
    viewport()->releaseMouse();
  }
}

void TStringGrid::PostCall(std::function<void()> fn) {
  QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

// --- focus ------------------------------------------------------------------------

namespace {
bool WindowSwitch(Qt::FocusReason reason) {
  return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
}  // namespace

void TStringGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  Invalidate();
  AnnounceCurrentCell(this);
  if (!focusInside_ && !WindowSwitch(event->reason())) {
    focusInside_ = true;
    DoEnter();
  }
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  Invalidate();
  FocusLeft(event->reason());
}

void TStringGrid::FocusLeft(Qt::FocusReason reason) {
  if (destroying_ || WindowSwitch(reason)) return;
  QWidget* now = QApplication::focusWidget();
  if (now && (now == this || isAncestorOf(now))) return;
  if (focusInside_) {
    focusInside_ = false;
    DoExit();
  }
}

void TStringGrid::FocusEnteredEditor(Qt::FocusReason reason) {
  Invalidate();
  if (!focusInside_ && !WindowSwitch(reason)) {
    focusInside_ = true;
    DoEnter();
  }
}

bool TStringGrid::focusNextPrevChild(bool next) {
  // With goTabs, Tab moves between cells instead of leaving the grid.
  if (options_.Contains(TGridOption::goTabs)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

// --- keyboard ---------------------------------------------------------------------

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (KeyDown(event->key(), event->modifiers(), event->text()))
    event->accept();
  else
    event->ignore();
}

bool TStringGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift, const QString& Text) {
  using enum TGridOption;
  const bool ctrl = Shift.testFlag(Qt::ControlModifier);
  const bool alt = Shift.testFlag(Qt::AltModifier);
  const bool shift = Shift.testFlag(Qt::ShiftModifier);
  const bool rowSelect = options_.Contains(goRowSelect);
  int c = col_, r = row_;
  const int page = std::max(1, VisibleRowCount());
  switch (Key) {
    case Qt::Key_Up: r -= 1; break;
    case Qt::Key_Down: r += 1; break;
    case Qt::Key_Left:
      if (rowSelect) {
        SetTopLeft(leftCol_ - 1, topRow_);
        return true;
      }
      c -= 1;
      break;
    case Qt::Key_Right:
      if (rowSelect) {
        SetTopLeft(leftCol_ + 1, topRow_);
        return true;
      }
      c += 1;
      break;
    case Qt::Key_PageUp: r -= page; break;
    case Qt::Key_PageDown: r += page; break;
    case Qt::Key_Home:
      c = fixedCols_;
      if (ctrl || rowSelect) r = fixedRows_;
      break;
    case Qt::Key_End:
      c = ColCount() - 1;
      if (ctrl || rowSelect) r = RowCount() - 1;
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      if (!options_.Contains(goTabs) || alt || ctrl) return false;
      const bool back = Key == Qt::Key_Backtab || shift;
      if (rowSelect) {
        r += back ? -1 : 1;
      } else if (back) {
        if (--c < fixedCols_) {
          c = ColCount() - 1;
          --r;
        }
      } else if (++c >= ColCount()) {
        c = fixedCols_;
        ++r;
      }
      if (r < fixedRows_ || r >= RowCount()) return true;  // no wrap past the ends
      break;
    }
    case Qt::Key_F2:
      if (!CanEditShow()) return false;
      ShowEditor();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!CanEditShow()) return false;
      if (!editorMode_)
        ShowEditor();
      else if (!options_.Contains(goAlwaysShowEditor))
        HideEditor();
      return true;
    case Qt::Key_Escape:
      if (!editorMode_) return false;
      CancelEdit();
      return true;
    default:
      if (!ctrl && !alt && !editorMode_ && !Text.isEmpty() && Text.at(0).isPrint() && CanEditShow()) {
        ShowEditorChar(Text);
        return true;
      }
      return false;
  }
  c = std::clamp(c, fixedCols_, ColCount() - 1);
  r = std::clamp(r, fixedRows_, RowCount() - 1);
  if (c != col_ || r != row_) {
    const bool tabbing = Key == Qt::Key_Tab || Key == Qt::Key_Backtab;
    FocusCell(c, r, shift && !tabbing && options_.Contains(goRangeSelect) && !rowSelect);
  }
  return true;
}
