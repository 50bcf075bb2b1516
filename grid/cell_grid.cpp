#include "grid/cell_grid.h"

#include "grid/cg_edit.h"
#include "toolkit/core/post_message.h"

#include <QEvent>

// --- construction -------------------------------------------------------------------

TCellGrid::TCellGrid(QWidget* parent) : TCgHintGrid(parent) {
  columns_.OnItemChange = [this](TcgHeading* Item, bool RepaintOnly) { ColumnChanged(Item, RepaintOnly); };
  SetDefaultDrawing(false);
  SetDefaultRowHeight(20);
  // A grid made in code starts with one column object per grid column; a
  // loaded definition replaces them with its own.
  for (int c = 0; c < ColCount(); ++c) columns_.Add();
  HeadingBitmap = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
  currentCell_ = TGridCoord{FixedCols(), FixedRows()};
}

TCellGrid::~TCellGrid() {
  MarkDestroying();
  SaveColumnWidths(columnsRegistryKey_);
}

QString TCellGrid::Version() { return QStringLiteral("%1.%2").arg(1).arg(35); }

QString TCellGrid::Author() { return QStringLiteral("The OrvixManager developers"); }

// --- settings ------------------------------------------------------------------------

void TCellGrid::SetCellOptions(TcgOptions Value) {
  if (Value == cellOptions_) return;
  cellOptions_ = Value;
  Invalidate();
}

void TCellGrid::SetCellHighlightColor(TColor Value) {
  if (Value == cellHighlightColor_) return;
  cellHighlightColor_ = Value;
  Invalidate();
}

void TCellGrid::SetCellHighlightFontColor(TColor Value) {
  if (Value == cellHighlightFontColor_) return;
  cellHighlightFontColor_ = Value;
  Invalidate();
}

// --- columns by position and name -------------------------------------------------------

TcgColumn* TCellGrid::ColumnAt(int ACol) const {
  int i = ACol;
  const int count = columns_.Count();
  // Hidden columns before the wanted one push the index along.
  for (int k = 0; k <= i && i < count; ++k)
    if (!columns_.Items(k)->Visible()) ++i;
  if (ACol < 0 || i >= count) throw EcgColumnIndexOutOfRange("TCellGrid: Column index out of range");
  return columns_.Items(i);
}

namespace {

// Equal when only the case of A-Z differs, as the classic comparison does;
// other letters must match exactly.
bool SameNameIgnoringCase(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char16_t x = a[i].unicode(), y = b[i].unicode();
    if (x >= u'a' && x <= u'z') x -= u'a' - u'A';
    if (y >= u'a' && y <= u'z') y -= u'a' - u'A';
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TcgColumn* TCellGrid::ColumnByName(const QString& Name) const {
  for (int i = 0; i < columns_.Count(); ++i)
    if (SameNameIgnoringCase(columns_.Items(i)->Name(), Name)) return columns_.Items(i);
  throw EcgInvalidColumnName(("Invalid column name \"" + Name + "\"").toStdString());
}

int TCellGrid::VisibleBefore(const TcgColumn* Column) const {
  int n = 0;
  for (int i = 0; i < columns_.Count() && columns_.Items(i) != Column; ++i)
    if (columns_.Items(i)->Visible()) ++n;
  return n;
}

int TCellGrid::GridIndexOf(const TcgColumn* Column) const {
  if (!Column || !Column->Visible() || Column->Collection() != &columns_) return -1;
  const int n = VisibleBefore(Column);
  return n < ColCount() ? n : -1;
}

int TCellGrid::VisibleColumnCount() const {
  int n = 0;
  for (int i = 0; i < columns_.Count(); ++i)
    if (columns_.Items(i)->Visible()) ++n;
  return n;
}

// --- current cell, enter and exit --------------------------------------------------------

bool TCellGrid::SelectCell(int ACol, int ARow) {
  bool result = TCgHintGrid::SelectCell(ACol, ARow);
  if (result && !(TGridCoord{ACol, ARow} == currentCell_)) {
    result = DoExitCell();
    if (result) {
      currentCell_ = TGridCoord{ACol, ARow};
      DoEnterCell();
    }
  }
  return result;
}

bool TCellGrid::DoExitCell() {
  bool canExit = true;
  if (auto* editor = dynamic_cast<TCgInplaceEdit*>(InplaceEditor()); editor && AutoAcceptSuggestion())
    editor->AcceptSuggestion();
  if (OnExitCell) OnExitCell(this, currentCell_.X, currentCell_.Y, canExit);
  if (!HintFollowsMouse()) UpdateCellHint(false);
  return canExit;
}

void TCellGrid::DoEnterCell() {
  if (OnEnterCell) OnEnterCell(this, currentCell_.X, currentCell_.Y);
  if (!HintFollowsMouse()) SetHintCell(currentCell_);
}

void TCellGrid::DoEnter() {
  TCgHintGrid::DoEnter();
  currentCell_ = TGridCoord{Col(), Row()};
  DoEnterCell();
}

void TCellGrid::DoExit() {
  DoExitCell();  // leaving the control cannot be refused
  TCgHintGrid::DoExit();
}

// --- the in-place editor -----------------------------------------------------------------

std::unique_ptr<TInplaceEdit> TCellGrid::CreateEditor() { return std::make_unique<TCgInplaceEdit>(this); }

bool TCellGrid::CanEditShow() {
  // With every column hidden there is no column to edit by.
  return TCgHintGrid::CanEditShow() && Col() < VisibleColumnCount();
}

void TCellGrid::EditorTextChanged() {
  TCgHintGrid::EditorTextChanged();
  if (auto* editor = dynamic_cast<TCgInplaceEdit*>(InplaceEditor())) editor->UpdateSuggestion();
}

void TCellGrid::TopLeftChanged() {
  if (auto* editor = dynamic_cast<TCgInplaceEdit*>(InplaceEditor())) editor->CloseList(false);
  TCgHintGrid::TopLeftChanged();
}

// --- posted size requests ----------------------------------------------------------------

bool TCellGrid::event(QEvent* e) {
  if (e->type() == TMessageEvent::EventType()) {
    // No design time here, so only the sizing options can stop a request.
    if (ApplySizeRequest(*this, static_cast<const TMessageEvent&>(*e))) return true;
  }
  return TCgHintGrid::event(e);
}

// --- accessibility ---------------------------------------------------------------------

QString TCellGrid::AccessibleColumnHeader(int ACol) const {
  try {
    const QString caption = ColumnAt(ACol)->Caption();
    if (!caption.isEmpty()) return caption;
  } catch (const EcgColumnIndexOutOfRange&) {
  }
  return TCgHintGrid::AccessibleColumnHeader(ACol);
}
