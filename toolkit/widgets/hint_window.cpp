#include "toolkit/widgets/hint_window.h"

#include <QPainter>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>

THintWindow::THintWindow(QWidget* Owner)
    : QWidget(Owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setFont(QToolTip::font());
}

THintWindow::~THintWindow() = default;

void THintWindow::SetCaption(const QString& value) {
  if (value == caption_) return;
  caption_ = value;
  TextChanged();
}

TRect THintWindow::ClientRect() const {
  return TRect{0, 0, std::max(0, width() - 2 * BorderWidth), std::max(0, height() - 2 * BorderWidth)};
}

void THintWindow::TextChanged() { update(); }

void THintWindow::Paint() {}

void THintWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(backgroundRole()));
  qDrawShadePanel(&p, rect(), palette(), false, BorderWidth);
  p.translate(BorderWidth, BorderWidth);
  p.setClipRect(ClientRect().ToQRect());
  struct TCanvasScope {
    QPainter*& canvas;
    ~TCanvasScope() { canvas = nullptr; }
  } scope{canvas_};
  canvas_ = &p;
  Paint();
}
