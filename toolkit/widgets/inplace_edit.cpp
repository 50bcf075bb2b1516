#include "toolkit/widgets/inplace_edit.h"

#include "toolkit/widgets/string_grid.h"

#include <QFocusEvent>
#include <QKeyEvent>

TInplaceEdit::TInplaceEdit(TStringGrid* grid) : QLineEdit(grid ? grid->viewport() : nullptr), grid_(grid) {
  setFrame(false);
  hide();
}

TInplaceEdit::~TInplaceEdit() = default;

bool TInplaceEdit::CanModify() const { return grid_ && grid_->CanEditModify(); }

void TInplaceEdit::Invalidate() {
  update();
  if (grid_) grid_->InvalidateRect(TRect::FromQRect(geometry()));
}

void TInplaceEdit::LoadCell() {
  if (!grid_) return;
  const int limit = grid_->GetEditLimit();
  setMaxLength(limit > 0 ? limit : 32767);
  setText(grid_->GetEditText(grid_->Col(), grid_->Row()));
  setReadOnly(!CanModify());
  setModified(false);
}

void TInplaceEdit::UpdateLayout() {}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
  auto toGrid = [&] {
    return grid_ && grid_->KeyDown(event->key(), event->modifiers(), event->text());
  };
  const bool atStart = cursorPosition() == 0 && !hasSelectedText();
  const bool atEnd = cursorPosition() == text().size() && !hasSelectedText();
  bool used = false;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      used = toGrid();
      break;
    case Qt::Key_Left:
    case Qt::Key_Home:
      if (atStart) used = toGrid();
      break;
    case Qt::Key_Right:
    case Qt::Key_End:
      if (atEnd) used = toGrid();
      break;
    default:
      break;
  }
  if (used)
    event->accept();
  else
    QLineEdit::keyPressEvent(event);
}

void TInplaceEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (grid_) grid_->FocusEnteredEditor(event->reason());
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (grid_) grid_->FocusLeft(event->reason());
}
