#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/inplace_edit.h"

// --- in-place editor -----------------------------------------------------------------

void TStringGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TStringGrid::ShowEditor() {
  if (!CanEditShow()) return;
  if (!editor_) {
    editor_ = CreateEditor();
    if (!editor_) return;
    editor_->setParent(viewport());
    editor_->hide();
    connect(editor_.get(), &TInplaceEdit::Changed, this, &TStringGrid::EditorTextEdited);
  }
  editorMode_ = true;
  UpdateEditor();
  if (editor_->isVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

void TStringGrid::ShowEditorChar(const QString& ch) {
  ShowEditor();
  if (!editorMode_ || !editor_ || !editor_->isVisible()) return;
  // A read-only cell opens its editor but keeps its text.
  if (editor_->ReadOnly()) return;
  editor_->SetEditText(ch);
  editor_->setCursorPosition(ch.size());
}

void TStringGrid::HideEditor() {
  if (!editorMode_ && !(editor_ && editor_->isVisible())) return;
  editorMode_ = false;
  if (!editor_) return;
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  editCell_ = TGridCoord{};
  if (hadFocus) setFocus(Qt::OtherFocusReason);
  Invalidate();
}

void TStringGrid::CancelEdit() {
  if (!editor_ || editCell_.X < 0) {
    HideEditor();
    return;
  }
  if (CanEditModify()) SetEditText(editCell_.X, editCell_.Y, editOriginal_);
  loadingEditor_ = true;
  editor_->SetEditText(editOriginal_);
  loadingEditor_ = false;
  if (!options_.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
}

// Places the editor over the current cell, loading it when the cell changed.
void TStringGrid::UpdateEditor() {
  if (!editor_) return;
  if (!editorMode_) {
    if (editor_->isVisible()) editor_->hide();
    return;
  }
  const TRect rect = CellRect(col_, row_);
  if (rect.IsEmpty()) {
    // Scrolled out of view: stays in editing mode, shows again when back.
    editor_->hide();
    return;
  }
  bool placed = false;
  if (!(editCell_ == TGridCoord{col_, row_})) {
    editCell_ = TGridCoord{col_, row_};
    editOriginal_ = GetEditText(col_, row_);
    loadingEditor_ = true;
    editor_->LoadCell();
    loadingEditor_ = false;
    placed = true;
  }
  if (editor_->geometry() != rect.ToQRect() || !editor_->isVisible()) {
    editor_->setGeometry(rect.ToQRect());
    placed = true;
  }
  editor_->show();
  if (placed) editor_->UpdateLayout();
}

void TStringGrid::EditorTextEdited(const QString& text) {
  if (!loadingEditor_ && editorMode_ && editCell_.X >= 0 && CanEditModify()) {
    writingFromEditor_ = true;
    SetEditText(editCell_.X, editCell_.Y, text);
    writingFromEditor_ = false;
  }
  EditorTextChanged();
}

// --- editor hooks ---------------------------------------------------------------

std::unique_ptr<TInplaceEdit> TStringGrid::CreateEditor() { return std::make_unique<TInplaceEdit>(this); }

QString TStringGrid::GetEditText(int ACol, int ARow) { return Cells(ACol, ARow); }

void TStringGrid::SetEditText(int ACol, int ARow, const QString& value) { SetCells(ACol, ARow, value); }

int TStringGrid::GetEditLimit() { return 0; }

bool TStringGrid::CanEditShow() {
  using enum TGridOption;
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && col_ >= fixedCols_ &&
         row_ >= fixedRows_;
}

bool TStringGrid::CanEditModify() { return options_.Contains(TGridOption::goEditing); }

void TStringGrid::EditorTextChanged() {}
