#include "grid/cg_edit.h"

#include "grid/cell_grid.h"
#include "grid/cg_hint_grid.h"
#include "toolkit/core/tick_count.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

// --- TPopupListbox -----------------------------------------------------------------------

TPopupListbox::TPopupListbox(TCgInplaceEdit* Owner) : TListBox(Owner), TickCount(GetTickCount), owner_(Owner) {
  // A window of its own above all others, with a thin border and no task-bar
  // entry, that never takes the keyboard focus from the editor.
  setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Whole rows at the top when it scrolls.
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // Its selection looks focused although the focus stays with the editor.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(pal);
  hide();
  // The window exists from now on, so rows are measured as laid out.
  create();
}

TPopupListbox::~TPopupListbox() = default;

void TPopupListbox::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Escape) {
    SearchText.clear();
  } else if (text.size() == 1 && text.at(0).isPrint()) {
    const std::uint32_t now = TickCount();
    if (now - SearchTime > SearchPause) SearchText.clear();
    SearchTime = now;
    if (SearchText.size() < SearchLength) SearchText += text;
    for (int i = 0; i < count(); ++i) {
      if (item(i)->text().startsWith(SearchText, Qt::CaseInsensitive)) {
        SetItemIndex(i);
        break;
      }
    }
    event->accept();
    return;
  }
  TListBox::keyPressEvent(event);
}

void TPopupListbox::TakeOverPress(QPoint Global, Qt::KeyboardModifiers Shift) {
  PassMouse(QEvent::MouseButtonPress, Global, Qt::LeftButton, Qt::LeftButton, Shift);
}

void TPopupListbox::PassMouse(QEvent::Type Type, QPoint Global, Qt::MouseButton Button, Qt::MouseButtons Buttons,
                              Qt::KeyboardModifiers Shift) {
  const QPoint pos = viewport()->mapFromGlobal(Global);
  QMouseEvent event(Type, pos, Global, Button, Buttons, Shift);
  QCoreApplication::sendEvent(viewport(), &event);
}

void TPopupListbox::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  TListBox::MouseUp(Button, Shift, X, Y);
  // Already closed by the editor's handler: nothing more happens.
  owner_->CloseList(X >= 0 && X < width() && Y >= 0 && Y < height());
}

// --- the editor's list --------------------------------------------------------------------

int TCgInplaceEdit::ListWidth(const TcgColumn& Column) const {
  int w = RectWidth(TextRect);
  if (HasButton) w -= ButtonWidth;
  if (Column.ComboMaxWidth()) {
    for (const QString& item : Column.Items().List()) w = std::max(w, ActiveList->TextWidth(item));
  }
  return w;
}

void TCgInplaceEdit::ShowList() {
  SuggestionHint->HideHint();
  if (ListVisible || !ActiveList) return;
  TCellGrid* grid = CellGrid();
  const TcgColumn* column = CurrentColumn();
  const QString value = grid->Cells(grid->Col(), grid->Row()).trimmed();

  ActiveList->SetColor(Color());
  ActiveList->SetFont(EditorFont);
  ActiveList->SetItems(column->Items().List());

  int w = ListWidth(*column);
  const int n = ActiveList->count();
  const int h = ActiveList->RowHeight();
  int listHeight = 0;
  if (n < column->DropDownCount()) {
    listHeight = n * h + 4;
  } else {
    listHeight = column->DropDownCount() * h + 4;
    if (column->ComboMaxWidth()) w += 16;  // room for the scroll bar
  }
  if (column->ComboMaxWidth() && w > width()) w += 4;
  ActiveList->resize(w, listHeight);

  int selected = -1;
  for (int i = 0; i < n && selected < 0; ++i)
    if (ActiveList->item(i)->text().compare(value, Qt::CaseInsensitive) == 0) selected = i;
  ActiveList->SetItemIndex(selected);
  if (selected < 0) ActiveList->scrollToTop();

  const QPoint p = mapToGlobal(QPoint(TextRect.Left, TextRect.Top));
  int y = p.y() + RectHeight(TextRect);
  const QScreen* screen = QGuiApplication::screenAt(p);
  if (!screen) screen = this->screen();
  if (screen && screen->geometry().bottom() + 1 < y + listHeight) y = p.y() - listHeight;
  ActiveList->move(p.x(), y);
  ActiveList->show();  // a tooltip-type window: on top of all
  ListVisible = true;
  Invalidate();
  setFocus(Qt::OtherFocusReason);
}

void TCgInplaceEdit::CloseList(bool Accept) {
  SuggestionHint->HideHint();
  if (!ListVisible) return;
  // Whatever follows the mouse stops following it.
  StopTracking();
  listHasPress_ = false;
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  const int index = ActiveList ? ActiveList->ItemIndex() : -1;
  const QString value = index >= 0 ? ActiveList->item(index)->text() : QString();
  if (ActiveList) ActiveList->hide();
  ListVisible = false;
  Invalidate();
  if (!Accept || !CanModify()) return;
  // The column decides; a cell made read-only by OnGetReadOnly still takes a
  // value chosen from the list.
  TCellGrid* grid = CellGrid();
  if (CurrentColumn()->ReadOnly()) return;
  grid->SetCells(grid->Col(), grid->Row(), value);
}

void TCgInplaceEdit::ListMouseUp(QObject*, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button != Qt::LeftButton || !ActiveList) return;
  CloseList(ActiveList->ClientRect().Contains(X, Y));
}
