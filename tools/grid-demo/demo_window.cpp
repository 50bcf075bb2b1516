#include "tools/grid-demo/demo_window.h"

#include "grid/cell_grid.h"
#include "toolkit/core/date_time.h"
#include "toolkit/widgets/inplace_edit.h"
#include "tools/grid-demo/demo_orders.h"
#include "tools/grid-demo/demo_pictures.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QVBoxLayout>

namespace {

struct TColumnSpec {
  const char* Name;
  const char* Caption;
  int Width;
};

constexpr TColumnSpec kColumns[dcCount] = {
    {"No", "#", 30},           {"Fruit", "Fruit", 96},       {"Quantity", "Qty", 62},
    {"Weight", "Weight", 78},  {"Price", "Price", 78},       {"Supplier", "Supplier", 122},
    {"Country", "Country", 104}, {"Delivered", "Delivered", 112}, {"Status", "Status", 92},
    {"Notes", "Notes", 150},
};

// Numbers as a user of this locale types them, without group separators.
QString Number(double value, int decimals) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'f', decimals);
}

QString FirstBeginningWith(const QStringList& choices, const QString& text) {
  const QString typed = text.trimmed();
  if (typed.isEmpty()) return {};
  for (const QString& c : choices)
    if (c.startsWith(typed, Qt::CaseInsensitive) && c != text) return c;
  return {};
}

}  // namespace

QString TGridDemoWindow::ColumnsKey() { return QStringLiteral("GridDemo\\Columns"); }

TGridDemoWindow::TGridDemoWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Grid showcase"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("F2, typing or a click on the current cell edits it. While editing, Alt+Down "
                                           "opens a list, Shift+Enter presses a cell's button. Click a title to sort."),
                            this));
  top->addStretch();
  notes_ = new QCheckBox(QStringLiteral("&Notes column"), this);
  notes_->setChecked(true);
  top->addWidget(notes_);
  layout->addLayout(top);
  grid_ = new TCellGrid(this);
  layout->addWidget(grid_, 1);
  status_ = new QLabel(this);
  layout->addWidget(status_);

  SetUpColumns();
  FillRows();
  BindEvents();
  grid_->LoadColumnWidths(ColumnsKey());
  grid_->SetColumnsRegistryKey(ColumnsKey());  // kept when the grid goes
  Say(QStringLiteral("%1 orders").arg(grid_->RowCount() - 1));
}

TGridDemoWindow::~TGridDemoWindow() = default;

void TGridDemoWindow::SetUpColumns() {
  using enum TGridOption;
  grid_->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing, goColSizing,
                                 goTabs, goDrawFocusSelected, goThumbTracking});
  grid_->SetColCount(dcCount);
  grid_->SetFixedCols(1);
  grid_->SetRowHeights(0, 38);  // room for a heading band above the titles

  TcgHeading* order = grid_->Headings().Add();
  order->SetCaption(QStringLiteral("Order"));
  TcgHeading* delivery = grid_->Headings().Add();
  delivery->SetCaption(QStringLiteral("Delivery"));
  delivery->SetTitleColor(ColorFromRgb(0xdc, 0xe8, 0xf5));

  using enum TcgControlType;
  for (int c = 0; c < dcCount; ++c) {
    TcgColumn* column = grid_->ColumnAt(c);
    column->SetName(kColumns[c].Name);
    column->SetCaption(kColumns[c].Caption);
    grid_->SetColWidths(c, kColumns[c].Width);
  }
  TcgColumn* no = grid_->ColumnAt(dcNo);
  no->SetReadOnly(true);
  no->SetTitleHAlignment(TAlignment::taCenter);

  TcgColumn* fruit = grid_->ColumnAt(dcFruit);
  fruit->SetControlType(TcgControlTypes{cgctlComboBox});
  fruit->Items().SetList(DemoFruits());
  fruit->SetHeadingIndex(0);

  for (int c : {dcQuantity, dcWeight, dcPrice}) {
    TcgColumn* column = grid_->ColumnAt(c);
    column->SetColumnHAlignment(TAlignment::taRightJustify);
    column->SetHeadingIndex(0);
  }
  TcgColumn* quantity = grid_->ColumnAt(dcQuantity);
  quantity->SetFormatType(TcgFormatType::cgfmtNumeric);
  quantity->SetDecimals(0);
  quantity->SetMaxTextLength(7);
  TcgColumn* weight = grid_->ColumnAt(dcWeight);
  weight->SetFormatType(TcgFormatType::cgfmtScientific);
  weight->SetDecimals(2);
  TcgColumn* price = grid_->ColumnAt(dcPrice);
  price->SetFormatType(TcgFormatType::cgfmtNumeric);
  price->SetPrefix(QStringLiteral("$"));
  price->SetNegativeParenthesis(true);

  TcgColumn* supplier = grid_->ColumnAt(dcSupplier);
  supplier->SetControlType(TcgControlTypes{cgctlButton});
  supplier->SetButtonStyle(TcgButtonStyle::cgbstEllipsis);

  TcgColumn* country = grid_->ColumnAt(dcCountry);
  country->SetControlType(TcgControlTypes{cgctlButton});
  country->SetButtonStyle(TcgButtonStyle::cgbstDropDown);
  country->SetHeadingIndex(1);

  TcgColumn* delivered = grid_->ColumnAt(dcDelivered);
  delivered->SetFormatType(TcgFormatType::cgfmtDateTime);
  delivered->SetDateFormat(4);  // d-mmm-yy
  delivered->SetTimeFormat(0);  // h:nn
  delivered->SetHeadingIndex(1);

  TcgColumn* status = grid_->ColumnAt(dcStatus);
  status->SetControlType(TcgControlTypes{cgctlComboBox});
  status->Items().SetList(DemoStatuses());
  status->SetComboMaxWidth(true);
  status->SetColumnColor(ColorFromRgb(0xfa, 0xfa, 0xf2));

  TcgColumn* notes = grid_->ColumnAt(dcNotes);
  notes->SetControlType(TcgControlTypes{cgctlButton});
  notes->SetButtonStyle(TcgButtonStyle::cgbstCustom);
  notes->SetButtonPicture(PencilPicture());
  notes->SetMaxTextLength(40);
  notes->SetColumnClipStyle(TcgClipStyle::cgclpEllipsis);
}

void TGridDemoWindow::FillRows() {
  const std::vector<TDemoOrder>& orders = DemoOrders();
  grid_->SetRowCount(static_cast<int>(orders.size()) + 1);
  const TDateTime today = static_cast<double>(static_cast<long long>(Now()));
  for (int i = 0; i < static_cast<int>(orders.size()); ++i) {
    const TDemoOrder& o = orders[i];
    const int r = i + 1;
    const TDateTime delivered = today + o.DeliveredInDays + EncodeTime(o.DeliveredAtHour, 30, 0, 0);
    const QStringList texts{QString::number(r),
                            o.Fruit,
                            QString::number(o.Quantity),
                            Number(o.Weight, 3),
                            Number(o.Price, 2),
                            o.Supplier,
                            o.Country,
                            QString::fromStdString(FormatDateTime("ddddd t", delivered)),
                            o.Status,
                            o.Notes};
    for (int c = 0; c < dcCount; ++c) grid_->SetCells(c, r, texts[c]);
  }
}

QString TGridDemoWindow::NameAt(int ACol) const {
  try {
    return grid_->ColumnAt(ACol)->Name();
  } catch (const EcgColumnIndexOutOfRange&) {
    return {};
  }
}

int TGridDemoWindow::GridColumn(const QString& Name) const {
  return grid_->GridIndexOf(grid_->ColumnByName(Name));
}

bool TGridDemoWindow::RowShipped(int ARow) const {
  const int status = GridColumn(QStringLiteral("Status"));
  return status >= 0 && grid_->Cells(status, ARow) == QStringLiteral("Shipped");
}

void TGridDemoWindow::FollowShipping(int ARow) {
  grid_->ColumnByName(QStringLiteral("Fruit"))->SetReadOnly(RowShipped(ARow));
}

void TGridDemoWindow::Say(const QString& Text) { status_->setText(Text); }

void TGridDemoWindow::BindEvents() {
  grid_->OnButtonClick = [this](QObject*, int ACol, int ARow) { ButtonClicked(ACol, ARow); };

  grid_->OnGetSuggestion = [this](QObject*, int ACol, int, const QString& CellText, QString& Suggestion) {
    const QString name = NameAt(ACol);
    if (name == QStringLiteral("Country")) Suggestion = FirstBeginningWith(DemoCountries(), CellText);
    if (name == QStringLiteral("Supplier")) Suggestion = FirstBeginningWith(DemoSuppliers(), CellText);
  };

  // A shipped order is done: only its status may still change.
  grid_->OnGetReadOnly = [this](QObject*, int ACol, int ARow, bool& ReadOnly) {
    if (RowShipped(ARow) && NameAt(ACol) != QStringLiteral("Status")) ReadOnly = true;
  };
  // A value chosen from a list is written unless its whole column is
  // read-only, so the Fruit column is made so while a shipped order is entered.
  grid_->OnEnterCell = [this](QObject*, int, int ARow) { FollowShipping(ARow); };

  grid_->OnGetCellImage = [this](QObject*, int ACol, int ARow, int HeadingIndex, TPersistent*& Picture, int&,
                                 TcgImagePosition& Position, TAlignment&, TcgVAlignment&, int&) {
    if (HeadingIndex == 0) {
      Picture = const_cast<TPicture*>(&CratePicture());
      Position = TcgImagePosition::cgipLeft;
    } else if (HeadingIndex < 0 && ARow > 0 && NameAt(ACol) == QStringLiteral("Status")) {
      Picture = const_cast<TPicture*>(&StatusDot(grid_->Cells(ACol, ARow)));
      Position = TcgImagePosition::cgipLeft;
    }
  };

  grid_->OnShowCellHint = [this](QObject*, int Col, int Row, QString& Hint, QPoint&) {
    const QString name = NameAt(Col);
    if (Row == 0 && Col > 0) {
      Hint = QStringLiteral("Click to sort by %1").arg(grid_->ColumnAt(Col)->Caption());
      return;
    }
    if (Row <= 0 || Col <= 0 || grid_->Cells(Col, Row).isEmpty()) return;
    const int fruit = GridColumn(QStringLiteral("Fruit"));
    Hint = QStringLiteral("%1, order %2: %3")
               .arg(grid_->Cells(fruit, Row), grid_->Cells(0, Row), grid_->Cells(Col, Row));
    if (RowShipped(Row)) Hint += QStringLiteral(" (shipped: read-only)");
  };

  grid_->OnFixedCellClick = [this](QObject*, int ACol, int ARow, int HeadingIndex, Qt::MouseButton Button,
                                   Qt::KeyboardModifiers, int, int) {
    if (Button != Qt::LeftButton) return;
    if (HeadingIndex >= 0) {
      Say(QStringLiteral("The \"%1\" heading was clicked").arg(grid_->Headings().Items(HeadingIndex)->Caption()));
      return;
    }
    if (ARow == 0 && ACol >= 0) SortBy(ACol);
  };

  connect(notes_, &QCheckBox::toggled, this, [this](bool on) {
    grid_->ColumnByName(QStringLiteral("Notes"))->SetVisible(on);
    Say(on ? QStringLiteral("Notes shown, with the texts they had") : QStringLiteral("Notes hidden"));
  });
}

void TGridDemoWindow::ButtonClicked(int ACol, int ARow) {
  const QString name = NameAt(ACol);
  const QString current = grid_->Cells(ACol, ARow);
  bool ok = false;
  QString chosen;
  if (name == QStringLiteral("Supplier")) {
    const int at = std::max(0, static_cast<int>(DemoSuppliers().indexOf(current)));
    chosen = QInputDialog::getItem(this, QStringLiteral("Supplier"), QStringLiteral("Supplier of this order:"),
                                   DemoSuppliers(), at, false, &ok);
  } else if (name == QStringLiteral("Country")) {
    QMenu menu(this);
    for (const QString& c : DemoCountries()) menu.addAction(c);
    const QWidget* editor = grid_->InplaceEditor();
    const QPoint below = editor ? editor->mapToGlobal(QPoint(0, editor->height()))
                                : grid_->viewport()->mapToGlobal(grid_->CellRect(ACol, ARow).ToQRect().bottomLeft());
    if (const QAction* a = menu.exec(below)) {
      chosen = a->text();
      ok = true;
    }
  } else if (name == QStringLiteral("Notes")) {
    chosen = QInputDialog::getText(this, QStringLiteral("Notes"), QStringLiteral("Notes (at most 40 characters):"),
                                   QLineEdit::Normal, current, &ok)
                 .left(40);
  }
  if (!ok) {
    Say(QStringLiteral("%1 button in row %2: nothing chosen").arg(name).arg(ARow));
    return;
  }
  grid_->SetCells(ACol, ARow, chosen);
  Say(QStringLiteral("%1 of order %2 set to \"%3\"").arg(name, grid_->Cells(0, ARow), chosen));
}

void TGridDemoWindow::SortBy(int ACol) {
  const QString name = NameAt(ACol);
  if (name.isEmpty()) return;
  descending_ = name == sortedBy_ ? !descending_ : false;
  sortedBy_ = name;
  TSortKind kind = TSortKind::skText;
  if (name == QStringLiteral("No") || name == QStringLiteral("Quantity") || name == QStringLiteral("Weight") ||
      name == QStringLiteral("Price"))
    kind = TSortKind::skNumber;
  else if (name == QStringLiteral("Delivered"))
    kind = TSortKind::skDateTime;
  grid_->HideEditor();
  const int first = grid_->FixedRows();
  QStringList keys;
  for (int r = first; r < grid_->RowCount(); ++r) keys << grid_->Cells(ACol, r);
  // Rows are moved, not rewritten, so a hidden column's texts move with them.
  const std::vector<int> order = SortedOrder(keys, kind, descending_);
  std::vector<int> at(order.size());  // current row of each original row
  for (int i = 0; i < static_cast<int>(at.size()); ++i) at[i] = i;
  for (int target = 0; target < static_cast<int>(order.size()); ++target) {
    const int from = at[order[target]];
    if (from != target) {
      grid_->MoveRow(first + from, first + target);
      for (int& a : at)
        if (a >= target && a < from) ++a;
      at[order[target]] = target;
    }
  }
  FollowShipping(grid_->Row());  // another order is under the current cell now
  Say(QStringLiteral("Sorted by %1, %2").arg(grid_->ColumnAt(ACol)->Caption(),
                                             descending_ ? QStringLiteral("descending") : QStringLiteral("ascending")));
}
