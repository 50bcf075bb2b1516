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
// Every cell is painted by the grid itself (cell_grid_paint.cpp,
// cell_grid_heading.cpp) from its column's look; data cells show their
// display text (cell_grid_display.cpp). Painting creates no drawing object:
// the heading bitmap, the four scratch borders and the scratch font are
// reused for every cell.
//
// Saved definition: the string grid's, plus "Columns", "Headings" and the
// properties below, and the defined value "AVisibleColumnCount" ahead of
// ColWidths. Column widths can also be kept per user under
// ColumnsRegistryKey (see SaveColumnWidths).

#include "grid/cell_grid_events.h"
#include "grid/cg_column.h"
#include "grid/cg_hint_grid.h"
#include "grid/cg_size_request.h"
#include "toolkit/widgets/canvas.h"
#include "toolkit/widgets/font.h"

#include <QImage>
#include <QPainter>
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

  // --- cell painting ----------------------------------------------------------------
  // The canvas cells are drawn on. Bound to the painter only while a cell is
  // painted; outside that it can measure text but not draw.
  TCanvas& GridCanvas() { return gridCanvas_; }

  // The attributes a cell is drawn with, from Column (the cell's column, or
  // a heading for a heading band) and the draw state: Info gets the canvas,
  // margins 2 and 1, the text (a caption in the title row), alignments,
  // clip style, cell, grid and draw state (its Rect is left alone); AColor,
  // AFont, the bevels and CellState are set; the highlight colours apply to
  // selected cells; then OnChangeCellAttributes may change them. The
  // in-place editor asks for the current cell with an empty draw state and
  // its own font.
  void GetCellAttributes(int ACol, int ARow, TGridDrawState AState, TcgHeading* Column, TFont& AFont,
                         TCgDrawInfo& Info, TColor& AColor, TPanelBevel& OuterBevel, TPanelBevel& InnerBevel,
                         TcgCellStates& CellState);
  // The image of a cell (HeadingIndex -1) or of a heading band, as
  // OnGetCellImage gives it: a TPicture or a TImageList. Takes the image's
  // strip (its size plus a margin each side) off ARect at the side it sits
  // on and, when Draw, draws it in that strip on Canvas. Without a handler
  // or an image nothing changes.
  void PlaceCellImage(int ACol, int ARow, int HeadingIndex, TRect& ARect, bool Draw, TCanvas& Canvas);

  // Whether the text cell (ACol, ARow) shows is cut (ends in an ellipsis, is
  // clipped at a side or below), measured with the layout its painting uses;
  // Text gets the cell's whole text (a data cell's display text, a title's
  // caption). A cell out of view, or with no column to show (every column
  // hidden), is not cut. Raises the events its painting raises on the way to
  // its text (attributes, borders, image, display text).
  bool CellTextCut(int ACol, int ARow, QString& Text);

  // The display text of data cell (ACol, ARow): the stored text, changed by
  // OnDisplayText, then converted by its column's format. A text that is not
  // a number, date or time raises OnConversionError and shows as it is.
  QString GetDisplayText(int ACol, int ARow);
  // The date order the patterns follow: 0 month, 1 day, 2 year first, from
  // the locale's short date format.
  static int DateOrder();

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
  // Also closes an open drop-down list, writing nothing: it would float over
  // other rows.
  void TopLeftChanged() override;
  void WriteProperties(QJsonObject& properties) const override;
  void ReadProperties(const QJsonObject& properties) override;
  void DefineProperties(TGridDefinitionFiler& Filer) override;
  void Loaded() override;
  QString AccessibleColumnHeader(int ACol) const override;
  // What the cell shows: a data cell's display text, a title's caption.
  QString AccessibleCellText(int ACol, int ARow) const override;
  // A cell whose painting failed: the "Caught exception in drawCell" box,
  // after the paint.
  void CellPaintFailed(int ACol, int ARow, const QString& message) override;
  bool event(QEvent* e) override;
  // The editor is a TCgInplaceEdit (grid/cg_edit.h); each change of its text
  // updates its typing suggestion.
  std::unique_ptr<TInplaceEdit> CreateEditor() override;
  bool CanEditShow() override;
  void EditorTextChanged() override;

  // Scratch objects of the cell drawing, reused for every cell. The bitmap
  // only grows: a heading span is drawn into its top-left part.
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
  const TFont& GridFont();

  // A cell laid out up to its text: the text record (its Rect the text's
  // room), the cell colour, the area inside the borders (where the focus
  // rectangle goes) and the cell state.
  struct TCellLayout {
    TCgDrawInfo Info;
    TColor Color = clNone;
    TRect Frame;
    TcgCellStates State;
  };
  // The painting's steps before the text. Without Draw nothing is drawn and
  // the rectangles shrink as drawing would shrink them.
  void LayOutCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, bool Draw, TCellLayout& Cell);
  // The band of the heading over title cell (ACol, ARow): the whole span is
  // drawn into HeadingBitmap, this cell's slice copied into the cell.
  void DrawHeadingBand(int ACol, int ARow, const TcgColumn& Column);
  bool InHeadingSpan(int ACol, int HeadingIndex) const;

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
  TCanvas gridCanvas_;
  TFont gridFont_;  // the grid's own font as a TFont, followed on every use
  QPainter headingPainter_;  // on HeadingBitmap while a band is drawn
  TCanvas headingCanvas_;
};
