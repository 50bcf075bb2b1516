#include "toolkit/widgets/list_box.h"

#include "toolkit/widgets/font.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <utility>

namespace {

// Rows one font height high, whatever the style would pad them with.
class TRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(QFontMetrics(option.font).height());
    return size;
  }
};

}  // namespace

TListBox::TListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TRowDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  color_ = palette().color(QPalette::Base);
}

TListBox::~TListBox() = default;

QStringList TListBox::Items() const {
  QStringList out;
  out.reserve(count());
  for (int i = 0; i < count(); ++i) out.append(item(i)->text());
  return out;
}

void TListBox::SetItems(const QStringList& Items) {
  clear();
  addItems(Items);
  setCurrentRow(-1);
}

int TListBox::ItemIndex() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.first());
}

void TListBox::SetItemIndex(int Index) {
  if (Index < 0 || Index >= count()) {
    clearSelection();
    setCurrentRow(-1);
    return;
  }
  setCurrentRow(Index, QItemSelectionModel::ClearAndSelect);
  scrollToItem(item(Index));
}

int TListBox::RowHeight() const { return QFontMetrics(font()).height(); }

void TListBox::SetColor(const QColor& Value) {
  color_ = Value;
  QPalette pal = palette();
  pal.setColor(QPalette::Base, Value);  // every colour group
  setPalette(pal);
}

void TListBox::SetFont(const TFont& Font) { ApplyFont(*this, Font); }

int TListBox::TextWidth(const QString& Text) const { return QFontMetrics(font()).horizontalAdvance(Text); }

void TListBox::mouseReleaseEvent(QMouseEvent* event) {
  QMouseEvent* const outer = std::exchange(releaseEvent_, event);
  const QPoint p = event->position().toPoint();
  MouseUp(event->button(), event->modifiers(), p.x(), p.y());
  releaseEvent_ = outer;
}

void TListBox::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (releaseEvent_) QListWidget::mouseReleaseEvent(releaseEvent_);
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
