#pragma once

// The showcase window: a grid of fruit orders that uses everything the grid
// control offers. Cells are edited in place (F2, Enter, a click on the
// current cell or typing); while editing, Alt+Down opens a list and
// Shift+Enter presses a cell's button. What each column shows:
//   Fruit      drop-down list of fruits, typing suggestions from the list
//   Qty        whole number with thousands separators, at most 7 characters
//   Weight     number in scientific notation
//   Price      money with a prefix, negative amounts in parentheses
//   Supplier   "..." button choosing a supplier; suggestions from the program
//   Country    drop-down button face opening a menu; suggestions from the program
//   Delivered  date and time
//   Status     drop-down list with a coloured dot per state; a "Shipped"
//              order can no longer be changed, except for its status
//   Notes      a picture button for a longer text; the column can be hidden
// "Order" and "Delivery" are headings spanning their columns ("Order" with a
// picture). Resting the mouse on a cell shows a hint; clicking a column's
// title sorts the orders by it (again: the other way round). Column widths
// are kept for the next start.

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class TCellGrid;
class TcgColumn;

class TGridDemoWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TGridDemoWindow(QWidget* parent = nullptr);
  ~TGridDemoWindow() override;

  TCellGrid* Grid() const { return grid_; }
  // Where the column widths are kept in the per-user store.
  static QString ColumnsKey();

  // The grid column a named column is shown in, -1 when hidden.
  int GridColumn(const QString& Name) const;

 private:
  void SetUpColumns();
  void FillRows();
  void BindEvents();
  void Say(const QString& Text);
  QString NameAt(int ACol) const;
  bool RowShipped(int ARow) const;
  // The Fruit column is read-only while the order in ARow is shipped.
  void FollowShipping(int ARow);
  void ButtonClicked(int ACol, int ARow);
  void SortBy(int ACol);

  TCellGrid* grid_ = nullptr;
  QCheckBox* notes_ = nullptr;
  QLabel* status_ = nullptr;
  QString sortedBy_;
  bool descending_ = false;
};
