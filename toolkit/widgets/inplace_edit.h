#pragma once

// TInplaceEdit: the text editor a TStringGrid places over its current cell.
// It belongs to one grid for its whole life and is a child of the grid's
// viewport. The grid calls LoadCell() when the editor is placed on another
// cell and UpdateLayout() every time it is placed or resized over a cell.
// Each change of the text is written to the cell; keys the editor does not
// use (vertical movement, paging, Tab, Enter, Escape, and horizontal movement
// at the ends of the text) are passed to the grid.

#include <QLineEdit>
#include <QString>

class TStringGrid;

class TInplaceEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TInplaceEdit(TStringGrid* grid);
  ~TInplaceEdit() override;

  TStringGrid* Grid() const { return grid_; }
  // The edit text; setting it also writes the cell while the editor is shown.
  QString EditText() const { return text(); }
  void SetEditText(const QString& value) { setText(value); }
  // Whether the grid lets the current cell be changed.
  bool CanModify() const;
  // Repaints the editor and the grid area under it.
  void Invalidate();

  // Contents hook: base loads the grid's edit text and length limit for the
  // grid's current cell and makes the editor read-only when the cell may not
  // be changed.
  virtual void LoadCell();
  // Layout hook: base does nothing.
  virtual void UpdateLayout();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TStringGrid* grid_;
};
