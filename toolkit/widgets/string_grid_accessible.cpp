#include "toolkit/widgets/string_grid_accessible.h"

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <map>
#include <mutex>
#include <utility>

namespace {

// Grid row of the header cells; the header row stands for all fixed rows.
constexpr int kHeaderRow = -1;

bool HasHeaderRow(const TStringGrid& g) { return g.FixedRows() > 0; }
int HeaderRows(const TStringGrid& g) { return HasHeaderRow(g) ? 1 : 0; }
bool HasFocusInside(const TStringGrid& g) {
  return g.hasFocus() || (g.InplaceEditor() && g.InplaceEditor()->hasFocus());
}

}  // namespace

class TStringGridCellAccessible;

class TStringGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TStringGridAccessible(TStringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~TStringGridAccessible() override {
    for (const auto& entry : cells_) QAccessible::deleteAccessibleInterface(entry.second);
  }

  TStringGrid* Grid() const { return static_cast<TStringGrid*>(widget()); }

  // The hooks are protected: cells read them through here.
  static QString HeaderText(const TStringGrid& g, int col) { return g.AccessibleColumnHeader(col); }
  static QString CellText(const TStringGrid& g, int col, int row) { return g.AccessibleCellText(col, row); }

  // The interface of a cell (row kHeaderRow: a column header); nullptr
  // outside the grid.
  QAccessibleInterface* Cell(int col, int row) const;
  int ChildIndex(int col, int row) const {
    const TStringGrid& g = *Grid();
    if (row == kHeaderRow) return col;
    return (HeaderRows(g) + row - g.FixedRows()) * g.ColCount() + col;
  }

  // --- QAccessibleInterface ---
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  int childCount() const override {
    const TStringGrid& g = *Grid();
    return (HeaderRows(g) + g.RowCount() - g.FixedRows()) * g.ColCount();
  }
  QAccessibleInterface* child(int index) const override {
    const TStringGrid& g = *Grid();
    if (index < 0 || index >= childCount()) return nullptr;
    const int headerChildren = HeaderRows(g) * g.ColCount();
    if (index < headerChildren) return Cell(index, kHeaderRow);
    index -= headerChildren;
    return Cell(index % g.ColCount(), g.FixedRows() + index / g.ColCount());
  }
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override {
    const TStringGrid& g = *Grid();
    const QPoint local = g.viewport()->mapFromGlobal(QPoint(x, y));
    const TGridCoord at = g.MouseToCell(local.x(), local.y());
    if (at.X < 0) return nullptr;
    return Cell(at.X, at.Y < g.FixedRows() ? kHeaderRow : at.Y);
  }
  QAccessibleInterface* focusChild() const override {
    const TStringGrid& g = *Grid();
    if (g.InplaceEditor() && g.InplaceEditor()->hasFocus())
      return QAccessible::queryAccessibleInterface(g.InplaceEditor());
    return HasFocusInside(g) ? Cell(g.Col(), g.Row()) : nullptr;
  }

  // --- QAccessibleTableInterface (table coordinates) ---
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    return Cell(column + Grid()->FixedCols(), row + Grid()->FixedRows());
  }
  int columnCount() const override { return Grid()->ColCount() - Grid()->FixedCols(); }
  int rowCount() const override { return Grid()->RowCount() - Grid()->FixedRows(); }
  QString columnDescription(int column) const override {
    if (column < 0 || column >= columnCount() || !HasHeaderRow(*Grid())) return QString();
    return HeaderText(*Grid(), column + Grid()->FixedCols());
  }
  QString rowDescription(int row) const override;
  int selectedCellCount() const override {
    const TGridRect s = SelectionInTable();
    return (s.Right - s.Left + 1) * (s.Bottom - s.Top + 1);
  }
  QList<QAccessibleInterface*> selectedCells() const override;
  int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
  int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
  QList<int> selectedColumns() const override;
  QList<int> selectedRows() const override;
  bool isColumnSelected(int column) const override { return selectedColumns().contains(column); }
  bool isRowSelected(int row) const override { return selectedRows().contains(row); }
  // Only whole-row grids can select a row; the grid always has a current cell,
  // so nothing can be unselected.
  bool selectRow(int row) override {
    TStringGrid& g = *Grid();
    if (!g.Options().Contains(TGridOption::goRowSelect) || row < 0 || row >= rowCount()) return false;
    g.SetRow(row + g.FixedRows());
    return g.Row() == row + g.FixedRows();
  }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { DropCellsOutside(); }

  void DropCellsOutside();

 private:
  // Selection() in table coordinates; an empty rectangle when nothing shows.
  TGridRect SelectionInTable() const {
    const TStringGrid& g = *Grid();
    const TGridRect s = g.Selection();
    const TGridRect t{s.Left - g.FixedCols(), s.Top - g.FixedRows(), s.Right - g.FixedCols(),
                      s.Bottom - g.FixedRows()};
    if (t.Left < 0 || t.Top < 0 || t.Right >= columnCount() || t.Bottom >= rowCount()) return TGridRect{};
    return t;
  }

  mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;  // (col, row) -> id
};

class TStringGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TStringGridCellAccessible(TStringGrid* grid, int col, int row) : grid_(grid), col_(col), row_(row) {}

  int Col() const { return col_; }
  int Row() const { return row_; }
  bool IsColumnHeader() const { return row_ == kHeaderRow; }
  bool IsRowHeader() const { return !IsColumnHeader() && grid_ && col_ < grid_->FixedCols(); }

  bool isValid() const override {
    if (!grid_ || col_ >= grid_->ColCount()) return false;
    return IsColumnHeader() ? HasHeaderRow(*grid_) : row_ >= grid_->FixedRows() && row_ < grid_->RowCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override {
    return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return QString();
    return IsColumnHeader() ? TStringGridAccessible::HeaderText(*grid_, col_)
                            : TStringGridAccessible::CellText(*grid_, col_, row_);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return QRect();
    const TRect r = grid_->CellRect(col_, IsColumnHeader() ? 0 : row_);
    if (r.IsEmpty()) return QRect();
    return QRect(grid_->viewport()->mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Width(), r.Height()));
  }
  QAccessible::Role role() const override {
    if (IsColumnHeader()) return QAccessible::ColumnHeader;
    return IsRowHeader() ? QAccessible::RowHeader : QAccessible::Cell;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.disabled = !grid_->isEnabled();
    s.invisible = rect().isEmpty();
    s.readOnly = !grid_->Options().Contains(TGridOption::goEditing);
    if (IsColumnHeader() || IsRowHeader()) return s;
    s.selectable = true;
    s.focusable = true;
    s.selected = isSelected();
    s.focused = HasFocusInside(*grid_) && col_ == grid_->Col() && row_ == grid_->Row();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableCellInterface && !IsColumnHeader() && !IsRowHeader())
      return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
  }

  // --- QAccessibleTableCellInterface ---
  bool isSelected() const override { return isValid() && grid_->Selection().Contains(col_, row_); }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QList<QAccessibleInterface*> out;
    if (TStringGridAccessible* t = Table(); t && HasHeaderRow(*grid_)) out.append(t->Cell(col_, kHeaderRow));
    return out;
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override {
    QList<QAccessibleInterface*> out;
    if (TStringGridAccessible* t = Table())
      for (int c = 0; c < grid_->FixedCols(); ++c) out.append(t->Cell(c, row_));
    return out;
  }
  int columnIndex() const override { return grid_ ? col_ - grid_->FixedCols() : -1; }
  int rowIndex() const override { return grid_ ? row_ - grid_->FixedRows() : -1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  TStringGridAccessible* Table() const {
    return grid_ ? dynamic_cast<TStringGridAccessible*>(parent()) : nullptr;
  }

  QPointer<TStringGrid> grid_;
  int col_;
  int row_;
};

QAccessibleInterface* TStringGridAccessible::Cell(int col, int row) const {
  const TStringGrid& g = *Grid();
  if (col < 0 || col >= g.ColCount()) return nullptr;
  if (row == kHeaderRow ? !HasHeaderRow(g) : (row < g.FixedRows() || row >= g.RowCount())) return nullptr;
  const auto key = std::make_pair(col, row);
  auto found = cells_.find(key);
  if (found != cells_.end()) return QAccessible::accessibleInterface(found->second);
  auto* cell = new TStringGridCellAccessible(Grid(), col, row);  // Qt's registry owns it
  cells_.emplace(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

int TStringGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* cell = dynamic_cast<const TStringGridCellAccessible*>(child);
  if (!cell || !cell->isValid() || cell->parent() != this) return -1;
  return ChildIndex(cell->Col(), cell->Row());
}

QString TStringGridAccessible::rowDescription(int row) const {
  const TStringGrid& g = *Grid();
  if (row < 0 || row >= rowCount()) return QString();
  QStringList texts;
  for (int c = 0; c < g.FixedCols(); ++c) texts.append(CellText(g, c, row + g.FixedRows()));
  return texts.join(' ');
}

QList<QAccessibleInterface*> TStringGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> out;
  const TGridRect s = SelectionInTable();
  for (int r = s.Top; r <= s.Bottom; ++r)
    for (int c = s.Left; c <= s.Right; ++c) out.append(cellAt(r, c));
  return out;
}

QList<int> TStringGridAccessible::selectedColumns() const {
  QList<int> out;
  const TGridRect s = SelectionInTable();
  if (s.Top != 0 || s.Bottom != rowCount() - 1) return out;
  for (int c = s.Left; c <= s.Right; ++c) out.append(c);
  return out;
}

QList<int> TStringGridAccessible::selectedRows() const {
  QList<int> out;
  const TGridRect s = SelectionInTable();
  if (s.Left != 0 || s.Right != columnCount() - 1) return out;
  for (int r = s.Top; r <= s.Bottom; ++r) out.append(r);
  return out;
}

void TStringGridAccessible::DropCellsOutside() {
  for (auto it = cells_.begin(); it != cells_.end();) {
    QAccessibleInterface* cell = QAccessible::accessibleInterface(it->second);
    if (cell && cell->isValid()) {
      ++it;
      continue;
    }
    if (cell) QAccessible::deleteAccessibleInterface(it->second);
    it = cells_.erase(it);
  }
}

namespace {

QAccessibleInterface* StringGridFactory(const QString&, QObject* object) {
  // Asked once per class up the hierarchy; answering at the first keeps
  // subclasses of the grid tables too.
  if (auto* grid = qobject_cast<TStringGrid*>(object)) return new TStringGridAccessible(grid);
  return nullptr;
}

// Nothing is announced for a grid nobody can see yet; that also keeps the
// interface from being made while a subclass is still being constructed.
TStringGridAccessible* TableOf(TStringGrid* grid) {
  if (!grid->isVisible()) return nullptr;
  return dynamic_cast<TStringGridAccessible*>(QAccessible::queryAccessibleInterface(grid));
}

}  // namespace

void InstallStringGridAccessible() {
  static std::once_flag once;
  std::call_once(once, [] { QAccessible::installFactory(StringGridFactory); });
}

// Sent whether or not a screen reader listens: Qt hands the event to an
// installed update handler either way, and the cost is a lookup.
void AnnounceCurrentCell(TStringGrid* grid) {
  TStringGridAccessible* table = TableOf(grid);
  if (!table) return;
  const int child = table->ChildIndex(grid->Col(), grid->Row());
  if (HasFocusInside(*grid)) {
    QAccessibleEvent focus(grid, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
  }
  QAccessibleEvent selection(grid, QAccessible::Selection);
  selection.setChild(child);
  QAccessible::updateAccessibility(&selection);
}

void AnnounceStructureChanged(TStringGrid* grid) {
  TStringGridAccessible* table = TableOf(grid);
  if (!table) return;
  // Qt forwards the change to the table only while a bridge is active.
  table->DropCellsOutside();
  QAccessibleTableModelChangeEvent change(grid, QAccessibleTableModelChangeEvent::ModelReset);
  QAccessible::updateAccessibility(&change);
}
