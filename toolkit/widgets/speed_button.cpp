#include "toolkit/widgets/speed_button.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include "toolkit/widgets/application.h"
#include "toolkit/widgets/speed_button_accessible.h"

TSpeedButton::TSpeedButton(QWidget* parent) : QWidget(parent) {
  InstallSpeedButtonAccessible();
  // A tool button never takes the keyboard focus away from the window.
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
}

void TSpeedButton::SetGlyph(const QPixmap& normal, const QPixmap& disabled) {
  GlyphNormal = normal;
  GlyphDisabled = disabled;
  GreyedCache = QPixmap();
  update();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (FGroupIndex == 0) FDown = false;
  if (FDown) PutOthersUp();
  update();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  SyncAllowAllUp();
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  if (FDown) PutOthersUp();
  update();
}

void TSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  update();
}

std::string TSpeedButton::Hint() const { return toolTip().toStdString(); }

void TSpeedButton::SetHint(const std::string& value) { setToolTip(QString::fromStdString(value)); }

void TSpeedButton::Click() {
  if (OnClick) OnClick(this);
}

QSize TSpeedButton::sizeHint() const {
  const QSize glyph = GlyphNormal.isNull() ? QSize(16, 16) : GlyphNormal.deviceIndependentSize().toSize();
  return glyph + QSize(8, 8);
}

template <typename F>
static void ForGroup(TSpeedButton* self, F f) {
  if (!self->parentWidget() || self->GroupIndex() == 0) return;
  for (TSpeedButton* other :
       self->parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly))
    if (other != self && other->GroupIndex() == self->GroupIndex()) f(other);
}

void TSpeedButton::PutOthersUp() {
  ForGroup(this, [](TSpeedButton* other) {
    if (!other->FDown) return;
    other->FDown = false;
    other->update();
  });
}

void TSpeedButton::SyncAllowAllUp() {
  // One group, one rule: every button of the group takes the same setting.
  const bool value = FAllowAllUp;
  ForGroup(this, [value](TSpeedButton* other) { other->FAllowAllUp = value; });
}

QPixmap TSpeedButton::CurrentGlyph() const {
  if (isEnabled()) return GlyphNormal;
  if (!GlyphDisabled.isNull()) return GlyphDisabled;
  if (GreyedCache.isNull() && !GlyphNormal.isNull()) {
    QImage image = GlyphNormal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = line[x];
        // Grey, lightened towards the button face, a little see-through.
        const int v = 110 + qGray(p) * 130 / 255;
        line[x] = qRgba(v, v, v, qAlpha(p) * 3 / 4);
      }
    }
    GreyedCache = QPixmap::fromImage(image);
    GreyedCache.setDevicePixelRatio(GlyphNormal.devicePixelRatio());
  }
  return GreyedCache;
}

void TSpeedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool enabled = isEnabled();
  const bool pushed = Pressing && PressInside;
  const bool sunken = pushed || FDown;

  if (FDown && !pushed) {
    // A stuck-down button shows the classic checkered face.
    p.fillRect(r, palette().button());
    p.fillRect(r.adjusted(1, 1, -1, -1), QBrush(palette().light().color(), Qt::Dense4Pattern));
  } else if (!FFlat) {
    p.fillRect(r, palette().button());
  }

  if (sunken)
    qDrawShadePanel(&p, r, palette(), true, 1);
  else if (!FFlat)
    qDrawWinButton(&p, r, palette(), false);
  else if (Hovered && enabled)
    qDrawShadePanel(&p, r, palette(), false, 1);

  const QPixmap glyph = CurrentGlyph();
  if (!glyph.isNull()) {
    const QSize size = glyph.deviceIndependentSize().toSize();
    QPoint at((r.width() - size.width()) / 2, (r.height() - size.height()) / 2);
    if (sunken) at += QPoint(1, 1);
    p.drawPixmap(at, glyph);
  }
}

void TSpeedButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
  Pressing = true;
  PressInside = true;
  update();
}

void TSpeedButton::mouseMoveEvent(QMouseEvent* event) {
  if (!Pressing) return QWidget::mouseMoveEvent(event);
  const bool inside = rect().contains(event->position().toPoint());
  if (inside != PressInside) {
    PressInside = inside;
    update();
  }
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !Pressing) return QWidget::mouseReleaseEvent(event);
  Pressing = false;
  update();
  if (rect().contains(event->position().toPoint())) Activate();
}

void TSpeedButton::Activate() {
  if (!isEnabled()) return;
  if (FGroupIndex != 0) SetDown(!FDown);
  update();
  try {
    Click();
  } catch (...) {
    // Caught here, inside our own handler, rather than unwinding through Qt.
    ::HandleException();
  }
}

void TSpeedButton::enterEvent(QEnterEvent* event) {
  Hovered = true;
  update();
  QWidget::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event) {
  Hovered = false;
  update();
  QWidget::leaveEvent(event);
}

void TSpeedButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    Pressing = false;
    Hovered = false;
    update();
  }
  QWidget::changeEvent(event);
}
