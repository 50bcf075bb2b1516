#pragma once

// Unit CgGrid: TCellGrid, the message grid control.
//
// Its columns are described by Columns (TcgColumn items, visible and hidden,
// in display order) and may be grouped under spanning Headings. Grid column
// c shows the (c+1)-th visible column; a hidden column keeps its texts and
// width in HiddenCells / HiddenWidth and gets them back when shown again, at
// the place its position in Columns gives it. Outside the moments when
// InternalColChange is true, ColCount equals VisibleColumnCount (but never
// drops below the base grid's minimum of one column) and every hidden
// column holds a text for every row.
//
// Cell enter/exit: CurrentCell is the cell last entered. Moving the current
// cell asks OnExitCell first (it may refuse), then raises OnEnterCell;
// losing the focus asks OnExitCell, gaining it raises OnEnterCell.
//
// Fixed (title) cells and the bands of spanning headings can be pressed like
// buttons while CellColumnClick is true: see cell_grid_click.cpp.
//
// Saved definition: the string grid's, plus "Columns", "Headings" and the
// properties below, and the defined value "AVisibleColumnCount" ahead of
// ColWidths. Column widths can also be kept per user under
// ColumnsRegistryKey (see SaveColumnWidths).

#include "grid/cell_grid_events.h"
#include "grid/cg_column.h"
#include "grid/cg_hint_grid.h"
#include "grid/cg_size_request.h"
#include "toolkit/widgets/font.h"

#include <QImage>
#include <QString>

class TCellGrid : public TCgHintGrid, public TCgGridSizing {
  Q_OBJECT

 public:
  explicit TCellGrid(QWidget* parent = nullptr);
  ~TCellGrid() override;

  // --- columns ------------------------------------------------------------------
  TcgColumns& Columns() { return columns_; }
  const TcgColumns& Columns() const { return columns_; }
  // A copy; the grid's columns are laid out again for the copied ones.
  void SetColumns(const TcgColumns& Value);
  TcgHeadings& Headings() { return headings_; }
  const TcgHeadings& Headings() const { return headings_; }
  void SetHeadings(const TcgHeadings& Value) { headings_.Assign(Value); }

  // The column shown in grid column ACol; EcgColumnIndexOutOfRange when none.
  TcgColumn* ColumnAt(int ACol) const;
  // The first column, visible or hidden, whose Name equals Name ignoring the
  // case of A-Z; EcgInvalidColumnName when none.
  TcgColumn* ColumnByName(const QString& Name) const;
  // The grid column showing Column; -1 for nullptr, a hidden column or one
  // past ColCount.
  int GridIndexOf(const TcgColumn* Column) const;
  int VisibleColumnCount() const;
  // Bound to Columns' OnItemChange. RepaintOnly false: Item's Visible changed.
  void ColumnChanged(TcgHeading* Item, bool RepaintOnly);
  // ColCount with InternalColChange true: Columns stay as they are.
  void SetColCountInternal(int Count);

  // Column widths per user, under the key path Key (see docs/grid-control.md).
  // A key that is blank after trimming touches nothing.
  void SaveColumnWidths(const QString& Key);
  void LoadColumnWidths(const QString& Key);

  // --- published settings ---------------------------------------------------
  TcgOptions CellOptions() const { return cellOptions_; }
  void SetCellOptions(TcgOptions Value);
  TColor CellHighlightColor() const { return cellHighlightColor_; }
  void SetCellHighlightColor(TColor Value);
  TColor CellHighlightFontColor() const { return cellHighlightFontColor_; }
  void SetCellHighlightFontColor(TColor Value);
  // Plain settings, read when next needed.
  bool CellAdjustColWidth() const override { return cellAdjustColWidth_; }
  void SetCellAdjustColWidth(bool Value) { cellAdjustColWidth_ = Value; }
  bool CellAdjustRowHeight() const override { return cellAdjustRowHeight_; }
  void SetCellAdjustRowHeight(bool Value) { cellAdjustRowHeight_ = Value; }
  bool CellColumnClick() const { return cellColumnClick_; }
  void SetCellColumnClick(bool Value) { cellColumnClick_ = Value; }
  QString ColumnsRegistryKey() const { return columnsRegistryKey_; }
  void SetColumnsRegistryKey(const QString& Value) { columnsRegistryKey_ = Value; }
  bool AutoAcceptSuggestion() const { return autoAcceptSuggestion_; }
  void SetAutoAcceptSuggestion(bool Value) { autoAcceptSuggestion_ = Value; }

  // Fixed texts; writing them changes nothing.
  static QString Version();
  void SetVersion(const QString&) {}
  static QString Author();
  void SetAuthor(const QString&) {}

  TGridCoord CurrentCell() const { return currentCell_; }

  // The heading band under a client point (index in Headings), or -1.
  int HeadingAt(int X, int Y) const;

  QObject* SizeRequestTarget() override { return this; }

  // --- events (empty = unassigned) ------------------------------------------------
  TcgOnButtonClick OnButtonClick;
  TcgOnConversionError OnConversionError;
  TcgOnGetDisplayText OnDisplayText;
  TcgOnChangeCellBorders OnChangeCellBorders;
  TcgOnChangeCellAttributes OnChangeCellAttributes;
  TcgOnFixedCellClick OnFixedCellClick;
  TcgOnGetSuggestion OnGetSuggestion;
  TcgOnGetReadOnly OnGetReadOnly;
  TcgOnGetCellImage OnGetCellImage;
  TcgOnExitCell OnExitCell;
  TcgOnEnterCell OnEnterCell;

 protected:
  // Raise OnEnterCell for CurrentCell / ask OnExitCell (false keeps the cell).
  virtual void DoEnterCell();
  virtual bool DoExitCell();

  bool SelectCell(int ACol, int ARow) override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;
  void CancelMode(QObject* Sender) override;
  void WriteProperties(QJsonObject& properties) const override;
  void ReadProperties(const QJsonObject& properties) override;
  void DefineProperties(TGridDefinitionFiler& Filer) override;
  void Loaded() override;
  QString AccessibleColumnHeader(int ACol) const override;
  bool event(QEvent* e) override;
  // The editor is a TCgInplaceEdit (grid/cg_edit.h); each change of its text
  // updates its typing suggestion.
  std::unique_ptr<TInplaceEdit> CreateEditor() override;
  void EditorTextChanged() override;

  // Scratch objects of the cell drawing, reused for every cell.
  QImage HeadingBitmap;
  TcgBorder CellTopBorder;
  TcgBorder CellLeftBorder;
  TcgBorder CellRightBorder;
  TcgBorder CellBottomBorder;
  TFont CellFont;

  bool InternalColChange = false;

  // The press on a fixed cell or heading band being tracked.
  bool Tracking = false;
  int PressedCol = -1;
  int PressedRow = -1;
  bool PressedLook = false;  // drawn sunken now
  int PressedHeading = -1;   // index in Headings, -1 for a plain fixed cell
  Qt::MouseButton PressedButton = Qt::NoButton;
  bool OverPressed = false;  // a release now is a click

 private:
  void HideColumn(TcgColumn* Column);
  void ShowColumn(TcgColumn* Column);
  int VisibleBefore(const TcgColumn* Column) const;
  void PadHiddenCells();
  void UpdatePressedState(int X, int Y);
  void InvalidatePressedHeading();
  void EndTracking();

  TcgColumns columns_;
  TcgOptions cellOptions_{TcgOption::cgoptDrawFocusRectangle, TcgOption::cgoptHighlightSelection};
  TColor cellHighlightColor_ = clHighlight;
  TColor cellHighlightFontColor_ = clHighlightText;
  bool cellAdjustColWidth_ = false;
  bool cellAdjustRowHeight_ = false;
  bool cellColumnClick_ = true;
  QString columnsRegistryKey_;
  bool autoAcceptSuggestion_ = true;
  TcgHeadings headings_;
  TGridCoord currentCell_;
};
