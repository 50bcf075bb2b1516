#pragma once

// TStringGrid: a scrolling grid of text cells with fixed (title) rows and
// columns, a current cell, an in-place editor and hooks for subclasses.
//
// Layout rules (everything in "client" coordinates = viewport() pixels; the
// frame and scroll bars are outside the client area, mouse events and
// painting happen on viewport()):
//
//  * Columns are laid out left to right, rows top to bottom. First come the
//    fixed columns 0..FixedCols-1 at x = 0, then the scrollable columns from
//    LeftCol on; columns FixedCols..LeftCol-1 are scrolled out and not in view.
//    Rows likewise with FixedRows and TopRow.
//  * Every column occupies ColWidths(c) pixels of cell followed by a vertical
//    line of LV pixels, LV = GridLineWidth when goFixedVertLine or goVertLine is
//    in Options, else 0 (for every column, fixed or not). Rows: RowHeights(r)
//    then LH, LH = GridLineWidth when goFixedHorzLine or goHorzLine is set.
//    So the cell after column c starts at left(c) + ColWidths(c) + LV.
//  * A line is drawn only where its own option asks: the lines right of and
//    below a fixed cell by goFixedVertLine/goFixedHorzLine (black), those of a
//    normal cell by goVertLine/goHorzLine (silver). Where the option is off, the
//    reserved line space shows Color(). The corner where lines cross belongs
//    to the vertical line.
//  * CellRect(c, r) is the cell without its lines, right and bottom exclusive:
//    (left, top, left + ColWidths(c), top + RowHeights(r)). A cell is in view when
//    it is fixed or at/after LeftCol/TopRow and starts inside the client area;
//    a partly visible cell gets its full, unclipped rectangle. Any other cell
//    (scrolled out, beyond the client area, out of range) gets TRect{} (empty).
//  * MouseToCell(x, y) is the cell whose CellRect contains (x, y); a point on a
//    grid line, past the last cell, or at negative coordinates gives (-1, -1).
//  * VisibleColCount/VisibleRowCount count the scrollable columns/rows from
//    LeftCol/TopRow whose cell area ends inside the client area (lines need not
//    fit). Scrolling is by whole columns/rows: the scroll bars' value is
//    LeftCol - FixedCols / TopRow - FixedRows and their maximum is reached when
//    the last column/row is fully in view.
//  * Outside the cells and their lines (right of the last column, below the
//    last row) the grid paints Color().
//
// Costs: painting, scrolling, CellRect and MouseToCell only walk the cells in
// view, so a grid of 100,000 rows paints as fast as one of 10. Structure
// changes (RowCount, MoveRow, DefaultRowHeight) are linear in the row count.
//
// Indexes out of range never fault: reads give "" / 0 / empty, writes
// (Cells, Cols, ColWidths, RowHeights) outside the grid are ignored, as are
// Col/Row/LeftCol/TopRow values outside the scrollable range and moves with an
// index outside the grid. Counts are clamped: ColCount and RowCount >= 1,
// FixedCols < ColCount, FixedRows < RowCount (lowering a count lowers the fixed
// count with it), sizes >= 0, GridLineWidth >= 0. When counts shrink, texts,
// widths and heights beyond them are dropped and the current cell is moved
// into range without a selection query.
//
// Current cell: Col/Row always lie in the scrollable part. Setting either to
// another value, an arrow/paging/Tab key and a mouse press on a normal cell
// all go through the virtual query SelectCell(c, r) (default: raise
// OnSelectCell); a refusal leaves the cell where it was. Setters and keys raise
// OnClick after the query whether or not the cell moved; the mouse raises it on
// release. The current cell is scrolled into view after a move.
//
// In-place editor: created once through CreateEditor() and kept. With
// goEditing (and not goRowSelect) it is shown by F2, Enter, typing a character
// (which replaces the text, unless the editor is read-only) or a press on the
// current cell; each change of its text is written to the cell at once; Enter
// hides it keeping the text, Escape hides it restoring the text the cell had
// when it was loaded; moving the current cell hides it. goAlwaysShowEditor
// keeps it shown and moves it along.
//
// Saved definition: a JSON object
//   { "Properties": { "ColCount": 4, "RowCount": 6, ..., "Options": ["goVertLine", ...], "Hint": "..." },
//     "Defined":    { "ColWidths": [45, 80, 80, 159], "RowHeights": [...] } }
// Properties are read in a fixed order through the virtual ReadProperties (a
// subclass reads its own after the base); then the defined values registered
// by DefineProperties are read in registration order (a subclass registers
// its own before calling the base, so they come ahead of ColWidths and
// RowHeights); then Loaded() runs. Keys missing from the object keep their
// current values. A ColCount or RowCount above 1,000,000 is refused like any
// malformed value (EInvalidGridDefinition).

#include "toolkit/core/exception.h"
#include "toolkit/widgets/cancel_mode.h"
#include "toolkit/widgets/grid_draw_state.h"
#include "toolkit/widgets/grid_geometry.h"
#include "toolkit/widgets/grid_options.h"
#include "toolkit/widgets/notify_event.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPainter;
class TInplaceEdit;
class TStringGrid;

// Raised when a saved grid definition cannot be read.
class EInvalidGridDefinition : public Exception {
 public:
  using Exception::Exception;
};

// The named values a grid writes beside its properties. DefineProperties
// registers each with its reader and writer; the grid calls them in
// registration order.
class TGridDefinitionFiler {
 public:
  using TReader = std::function<void(const QJsonValue& value)>;
  using TWriter = std::function<QJsonValue()>;

  // HasData false: the value is not written (it would restore nothing).
  void DefineProperty(const QString& Name, TReader ReadData, TWriter WriteData, bool HasData);

  struct TEntry {
    QString Name;
    TReader Read;
    TWriter Write;
    bool HasData = false;
  };
  const std::vector<TEntry>& Entries() const { return entries_; }

 private:
  std::vector<TEntry> entries_;
};

using TDrawCellEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TMovedEvent = std::function<void(QObject* Sender, int FromIndex, int ToIndex)>;

class TStringGrid : public QAbstractScrollArea {
  Q_OBJECT
  friend class TInplaceEdit;
  friend class TStringGridAccessible;

 public:
  explicit TStringGrid(QWidget* parent = nullptr);
  ~TStringGrid() override;

  // --- structure -----------------------------------------------------------
  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  void SetColCount(int value);
  int RowCount() const { return static_cast<int>(rowHeights_.size()); }
  void SetRowCount(int value);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int value);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int value);

  // Setting a default size gives every column/row that size.
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int value);
  int ColWidths(int ACol) const;
  void SetColWidths(int ACol, int value);
  int RowHeights(int ARow) const;
  void SetRowHeights(int ARow, int value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int value);

  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions value);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value);
  // Shown as the grid's tooltip and read out as its description.
  QString Hint() const { return toolTip(); }
  void SetHint(const QString& value) { setToolTip(value); }

  // Colours: normal cells and the client background, and fixed cells. The
  // lines keep theirs (see the layout rules).
  QColor Color() const { return color_; }
  void SetColor(const QColor& value);
  QColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(const QColor& value);

  // --- texts -----------------------------------------------------------------
  QString Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const QString& value);
  // The texts of one column, one per row (RowCount items). Setting assigns row
  // i the i-th text; rows beyond the list become empty, extra texts are ignored.
  QStringList Cols(int ACol) const;
  void SetCols(int ACol, const QStringList& value);

  // --- current cell, selection, scrolling ----------------------------------
  int Col() const { return col_; }
  void SetCol(int value);
  int Row() const { return row_; }
  void SetRow(int value);
  // The selected block: the current row with goRowSelect, the range built with
  // goRangeSelect, else the current cell.
  TGridRect Selection() const;
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int value);
  int TopRow() const { return topRow_; }
  void SetTopRow(int value);
  int VisibleColCount() const;
  int VisibleRowCount() const;

  TRect CellRect(int ACol, int ARow) const;
  TGridCoord MouseToCell(int X, int Y) const;

  // --- structure operations -------------------------------------------------
  // Texts and widths (heights) go with the column (row); the current cell
  // follows its column (row). Then ColumnMoved/RowMoved run.
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);
  // Moves the column/row to the end, then lowers the count by one.
  void DeleteColumn(int ACol);
  void DeleteRow(int ARow);

  // --- in-place editor ------------------------------------------------------
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool value);
  void ShowEditor();
  void HideEditor();
  TInplaceEdit* InplaceEditor() const { return editor_.get(); }

  // --- painting ---------------------------------------------------------------
  // The painter of the paint in progress; nullptr outside a paint.
  QPainter* Canvas() const { return canvas_; }
  // Repaints the area; nothing is erased first.
  virtual void InvalidateRect(const TRect& rect);
  void InvalidateCell(int ACol, int ARow);
  void Invalidate();                       // repaints the whole client area

  // --- mouse capture and queued calls ----------------------------------------
  bool MouseCapture() const { return mouseCapture_; }
  void SetMouseCapture(bool value);
  // Runs fn later on the grid's thread, after the current event; dropped if
  // the grid is destroyed first.
  void PostCall(std::function<void()> fn);

  // --- saved definition ----------------------------------------------------------
  QJsonObject SaveDefinition() const;
  void LoadDefinition(const QJsonObject& definition);
  QByteArray SaveDefinitionText() const;
  void LoadDefinitionText(const QByteArray& text);  // EInvalidGridDefinition on bad JSON
  bool Loading() const { return loading_; }

  // --- events (empty = unassigned) --------------------------------------------
  TNotifyEvent OnClick;
  TSelectCellEvent OnSelectCell;
  TDrawCellEvent OnDrawCell;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TNotifyEvent OnTopLeftChanged;

 protected:
  // --- hooks for subclasses -------------------------------------------------
  // Asked before the current cell moves to (ACol, ARow); false keeps it.
  virtual bool SelectCell(int ACol, int ARow);
  // Raises OnClick.
  virtual void Click();
  // Draws one cell in view. Base: with DefaultDrawing the text (the
  // background was filled before), then OnDrawCell. The painter is Canvas(),
  // saved before and restored after each cell, not clipped to the cell.
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  // After ColCount or RowCount changed.
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  // After MoveColumn/MoveRow moved widths/heights. The base moves the texts
  // and raises OnColumnMoved/OnRowMoved: overrides must call it.
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void TopLeftChanged();
  // Makes the in-place editor (once per grid). Base: a plain TInplaceEdit.
  virtual std::unique_ptr<TInplaceEdit> CreateEditor();
  // Editor data: text loaded into / written from the editor, length limit
  // (0 = none), whether the editor may show and may change the cell.
  virtual QString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const QString& value);
  virtual int GetEditLimit();
  virtual bool CanEditShow();
  virtual bool CanEditModify();
  // Every change of the editor's text, also when it is loaded.
  virtual void EditorTextChanged();
  // Mouse in client coordinates. The base does selection, sizing and moving.
  virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Focus entering/leaving the grid together with its editor (moving between
  // the two is neither).
  virtual void DoEnter();
  virtual void DoExit();
  // Keys given to the grid, also those the editor passes on. Returns whether
  // the key was used.
  virtual bool KeyDown(int Key, Qt::KeyboardModifiers Shift, const QString& Text);
  // Saved definition: published properties, defined values, end of loading.
  virtual void WriteProperties(QJsonObject& properties) const;
  virtual void ReadProperties(const QJsonObject& properties);
  virtual void DefineProperties(TGridDefinitionFiler& Filer);
  virtual void Loaded();
  // A DrawCell that threw: painting goes on with the next cell; this runs
  // after the paint, once for a failure, not again while the same cell keeps
  // failing the same way. Base: a warning on the debug output.
  virtual void CellPaintFailed(int ACol, int ARow, const QString& message);
  // What a screen reader reads for a column's header and for a cell.
  virtual QString AccessibleColumnHeader(int ACol) const { return FixedRows() > 0 ? Cells(ACol, 0) : QString(); }
  virtual QString AccessibleCellText(int ACol, int ARow) const { return Cells(ACol, ARow); }

  // Qt plumbing.
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;

 private:
  enum class TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

  // Geometry helpers (see layout rules).
  int LineV() const;
  int LineH() const;
  int ClientWidth() const;
  int ClientHeight() const;
  int ColLeft(int ACol) const;  // -1 when not in view
  int RowTop(int ARow) const;
  int MaxLeftCol() const;
  int MaxTopRow() const;
  bool FocusInside() const;
  bool IsFixed(int ACol, int ARow) const { return ACol < fixedCols_ || ARow < fixedRows_; }

  void MoveCurrent(int ACol, int ARow, bool extendSelection);
  void FocusCell(int ACol, int ARow, bool extendSelection);  // query + Click
  void ClampCurrent();
  void ScrollInView(int ACol, int ARow);
  void SetTopLeft(int leftCol, int topRow);
  void UpdateScrollBars();
  void StructureChanged();
  void UpdateEditor();
  void EditorTextEdited(const QString& text);
  void CancelEdit();
  void ShowEditorChar(const QString& ch);
  void FocusLeft(Qt::FocusReason reason);
  void FocusEnteredEditor(Qt::FocusReason reason);
  void DrawLines(QPainter& p, int ACol, int ARow, const TRect& cell);
  void DefaultCellBackground(QPainter& p, const TRect& rect, TGridDrawState state);
  int SizingLineAt(int X, int Y, bool& isColumn) const;

  std::vector<int> colWidths_;
  std::vector<int> rowHeights_;
  std::vector<std::vector<QString>> cells_;  // per column, only as long as its last written row
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  int gridLineWidth_ = 1;
  TGridOptions options_;
  bool defaultDrawing_ = true;
  TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
  QColor color_;
  QColor fixedColor_;
  QColor gridLineColor_{192, 192, 192};
  QColor fixedLineColor_{0, 0, 0};

  int col_ = 1;
  int row_ = 1;
  TGridCoord anchor_{1, 1};
  int leftCol_ = 1;
  int topRow_ = 1;

  TGridState gridState_ = TGridState::gsNormal;
  int sizingIndex_ = -1;
  int sizingOrigin_ = 0;  // pointer position minus the size at the grab
  int moveFrom_ = -1;
  bool mouseCapture_ = false;
  bool syncingScrollBars_ = false;
  bool focusInside_ = false;  // the grid or its editor has the focus
  bool destroying_ = false;

  std::unique_ptr<TInplaceEdit> editor_;
  bool editorMode_ = false;
  TGridCoord editCell_;
  QString editOriginal_;
  bool loadingEditor_ = false;     // editor text set by the grid, not typed
  bool writingFromEditor_ = false;

  QPainter* canvas_ = nullptr;
  bool loading_ = false;
  // Failures already reported, by cell, until that cell paints again: a
  // cell that fails on every paint is reported once, not once per repaint
  // (closing the report's box repaints the cells under it).
  std::map<std::pair<int, int>, QString> reportedFailures_;

  // ===== cancel mode and destruction state ======================================
 public:
  // True once destruction has begun (see MarkDestroying).
  bool Destroying() const { return destroying_; }

 protected:
  // Something else took over while the focus is on the grid or its editor:
  // see toolkit/widgets/cancel_mode.h for what raises it. Sender is the widget
  // that did; the grid itself or its editor for presses on them. Base: nothing.
  virtual void CancelMode(QObject* /*Sender*/) {}
  // A subclass whose destructor does work calls this first, so that hooks,
  // timers and notifications arriving meanwhile see the grid going away.
  void MarkDestroying() { destroying_ = true; }

 private:
  TCancelModeWatch cancelModeWatch_{this, [this](QObject* Sender) { CancelMode(Sender); }};
  // ===== end of cancel mode and destruction state ===============================
};
