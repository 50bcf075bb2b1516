#pragma once

// THintWindow: a small window that shows a text (its Caption) above all
// others, without taking the focus and without catching the mouse: a press or
// move over it goes to whatever lies below. It has a thin raised border; the
// client area inside it is filled with the colour of the window's background
// role and drawn by Paint. The font is the system's tooltip font.
//
// The window belongs to its owner widget (deleted with it) but is a window of
// its own: its geometry is in screen coordinates.

#include "toolkit/widgets/grid_geometry.h"

#include <QString>
#include <QWidget>

class QPainter;

class THintWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THintWindow(QWidget* Owner = nullptr);
  ~THintWindow() override;

  QString Caption() const { return caption_; }
  // A different text runs TextChanged; the same text does nothing.
  void SetCaption(const QString& value);

  // Inside the border, in client coordinates (origin at its top-left).
  TRect ClientRect() const;
  static constexpr int BorderWidth = 1;

 protected:
  // After every change of the caption. Base: repaints.
  virtual void TextChanged();
  // Draws the client area on Canvas() (clipped to it, origin at its top-left);
  // the background is filled before. Base: nothing more.
  virtual void Paint();
  // The painter of the paint in progress; nullptr outside a paint.
  QPainter* Canvas() const { return canvas_; }

  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  QPainter* canvas_ = nullptr;
};
