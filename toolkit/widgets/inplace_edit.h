#pragma once

// TInplaceEdit: the text editor a TStringGrid places over its current cell.
// It belongs to one grid for its whole life and is a child of the grid's
// viewport. The grid calls LoadCell() when the editor is placed on another
// cell and UpdateLayout() every time it is placed or resized over a cell.
// Each change of the text is written to the cell; keys the editor does not
// use (vertical movement, paging, Tab, Enter, Escape, and horizontal movement
// at the ends of the text) are passed to the grid.
//
// It is a multi-line edit control without word wrap: the text scrolls
// horizontally and vertically to keep the caret in view (no scroll bars).
// Enter is always taken by the editor (never by a dialog's default button):
// without Ctrl it goes to the grid, which ends or starts editing; Ctrl+Enter
// starts a new line in the text.
//
// Geometry, all in the editor's own coordinates:
//  * the formatting rectangle is the part of the editor in which the text is
//    laid out, scrolled and shown with the text cursor (the I-beam). It is the
//    whole editor until SetFormattingRect narrows it, so that a subclass can
//    keep room for aids of its own (buttons, pictures) around the text;
//  * the rest of the editor is drawn by PaintEditor and shows the arrow
//    cursor.
// Mouse events anywhere on the editor reach MouseDown/MouseMove/MouseUp and
// MouseDblClick in editor coordinates; the base passes those over the text on
// to the edit control (caret, selection) and takes the focus on a press
// elsewhere.
//
// Line breaks: the text is read back with the line breaks it was loaded with
// (CR LF, CR or LF; LF for a text that had none), so a cell is written back
// as it was apart from what the user changed.
//
// Cancel mode: while the focus is on the editor, CancelMode(Sender) runs when
// another widget of the window takes over (a press on it, the focus moving to
// it) and SystemCancelMode() when a popup or a modal window opens; the mapping
// is TCancelModeWatch's (toolkit/widgets/cancel_mode.h). A press that takes
// the focus away reports its widget before the editor loses the focus, as
// the classic toolkit did (Qt would move the focus first).

#include "toolkit/widgets/cancel_mode.h"
#include "toolkit/widgets/grid_geometry.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QString>

class QMouseEvent;
class QPainter;
class TStringGrid;

class TInplaceEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TInplaceEdit(TStringGrid* grid);
  ~TInplaceEdit() override;

  TStringGrid* Grid() const { return grid_; }

  // The edit text. Setting it is not held to MaxLength (as with the classic
  // edit control, the limit is on what the user brings in) and starts a new
  // undo history.
  QString EditText() const;
  void SetEditText(const QString& value);
  // The most characters the user can have in the text by typing, pasting or
  // dropping; 0: no limit. A text loaded longer stays as it is.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value) { maxLength_ = value < 0 ? 0 : value; }
  // Read-only: the caret still moves and text can be selected and copied.
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool value);
  // Whether the grid lets the current cell be changed.
  bool CanModify() const;

  // Background of the whole editor, text area included.
  QColor Color() const { return color_; }
  void SetColor(const QColor& value);

  // See the header comment. Right and bottom exclusive; the rectangle is kept
  // inside the editor. Nothing is repainted by setting it.
  TRect FormattingRect() const;
  void SetFormattingRect(const TRect& rect);
  // Scrolls the text so that the caret is in view.
  void ScrollCaret() { ensureCursorVisible(); }

  // The caret as a character index in EditText(), as a line edit had it.
  int cursorPosition() const;
  void setCursorPosition(int position);
  bool hasSelectedText() const;

  // Repaints the editor and the grid area under it.
  void Invalidate();

  // Contents hook: base loads the grid's edit text and length limit for the
  // grid's current cell and makes the editor read-only when the cell may not
  // be changed.
  virtual void LoadCell();
  // Layout hook: base does nothing.
  virtual void UpdateLayout();

 signals:
  // Every change of the edit text, typed or set.
  void Changed(const QString& text);

 protected:
  // Paint step: paints the editor outside the text (the text area paints
  // itself on the same colour). Base: fills the editor with Color().
  virtual void PaintEditor(QPainter& DC);

  // Mouse in editor coordinates. The base handling is the edit control's over
  // the text (caret, selection, word selection on a double click) and taking
  // the focus on a press elsewhere. A double click stands for a second press:
  // the base MouseDblClick runs MouseDown.
  virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseDblClick(Qt::KeyboardModifiers Shift, int X, int Y);

  // Another widget of the window takes over while the editor has the focus.
  // Sender: that widget. Base: nothing.
  virtual void CancelMode(QObject* Sender);
  // A popup or a modal window opens while the editor has the focus: whatever
  // follows the mouse stops. Base: nothing.
  virtual void SystemCancelMode();

  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void resizeEvent(QResizeEvent* event) override;
  // The text area's mouse events (viewport coordinates).
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // How many of `wanted` characters fit under MaxLength in place of the selection.
  int Room(int wanted) const;
  void InsertLimited(const QString& text);
  void ApplyFormattingRect();
  void DispatchMouse(QMouseEvent* event, bool overText);
  void TextEdited();

  TStringGrid* grid_;
  int maxLength_ = 0;
  QColor color_;
  QString lineBreak_ = QStringLiteral("\n");
  QString lastText_;
  TRect formatting_;
  bool formattingSet_ = false;  // else the whole editor
  // The mouse event being handled, for the base handling.
  QMouseEvent* mouseEvent_ = nullptr;
  bool mouseOverText_ = false;
  TCancelModeWatch cancelModeWatch_;
};
