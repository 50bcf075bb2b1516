#pragma once

// TListBox: a list of texts of which at most one is selected (ItemIndex,
// -1 for none). Rows are one font height high, as the classic list box lays
// them out.
//
// Client coordinates are those of the area inside the border (the
// viewport): mouse positions given to MouseUp and OnMouseUp are in them.

#include "toolkit/widgets/colors.h"
#include "toolkit/widgets/grid_geometry.h"

#include <QColor>
#include <QListWidget>
#include <QStringList>

#include <functional>

class TFont;

using TMouseEvent =
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

class TListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TListBox(QWidget* parent = nullptr);
  ~TListBox() override;

  QStringList Items() const;
  // The selection is cleared.
  void SetItems(const QStringList& Items);
  int ItemIndex() const;
  void SetItemIndex(int Index);  // out of range: none selected

  // The height of a row as laid out.
  int RowHeight() const;

  QColor Color() const { return color_; }
  void SetColor(const QColor& Value);
  // Face, size, style and text colour; system colours from this list's palette.
  void SetFont(const TFont& Font);

  TRect ClientRect() const { return TRect::FromQRect(viewport()->rect()); }
  // The width of Text drawn in the list's font.
  int TextWidth(const QString& Text) const;

  // Raised by the base MouseUp.
  TMouseEvent OnMouseUp;

 protected:
  // A mouse button released over the list (client coordinates). Base: the
  // list's own handling, then OnMouseUp.
  virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QColor color_;
  QMouseEvent* releaseEvent_ = nullptr;  // being handled, for the base MouseUp
};
