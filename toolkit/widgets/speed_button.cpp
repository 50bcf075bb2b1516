#include "toolkit/widgets/speed_button.h"

#include <QAccessible>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include "toolkit/widgets/application.h"
#include "toolkit/widgets/canvas.h"
#include "toolkit/widgets/device_pixels.h"
#include "toolkit/widgets/speed_button_accessible.h"

TSpeedButton::TSpeedButton(QWidget* parent) : QWidget(parent) {
  InstallSpeedButtonAccessible();
  // Reached by Tab; a click leaves the keyboard focus where it was, so the
  // message list keeps its arrow keys while the mouse works the buttons.
  setFocusPolicy(Qt::TabFocus);
  setMouseTracking(true);
}

void TSpeedButton::SetGlyph(const QIcon& normal, const QIcon& disabled) {
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
  SetDownState(value);
  if (FDown) PutOthersUp();
}

void TSpeedButton::SetDownState(bool value) {
  if (value == FDown) return;
  FDown = value;
  update();
  // A screen reader says "checked" or "not checked" as it changes.
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(this, changed);
  QAccessible::updateAccessibility(&event);
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

QSize TSpeedButton::GlyphSize() const {
  const QList<QSize> sizes = GlyphNormal.availableSizes();
  return sizes.isEmpty() ? QSize() : sizes.first();
}

QPixmap TSpeedButton::Glyph(qreal devicePixelRatio) const {
  return GlyphNormal.isNull() ? QPixmap() : GlyphNormal.pixmap(GlyphSize(), devicePixelRatio);
}

QPixmap TSpeedButton::DisabledGlyph(qreal devicePixelRatio) const {
  return GlyphDisabled.isNull() ? QPixmap() : GlyphDisabled.pixmap(GlyphSize(), devicePixelRatio);
}

QSize TSpeedButton::sizeHint() const {
  const QSize glyph = GlyphNormal.isNull() ? QSize(16, 16) : GlyphSize();
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
  ForGroup(this, [](TSpeedButton* other) { other->SetDownState(false); });
}

void TSpeedButton::SyncAllowAllUp() {
  // One group, one rule: every button of the group takes the same setting.
  const bool value = FAllowAllUp;
  ForGroup(this, [value](TSpeedButton* other) { other->FAllowAllUp = value; });
}

QPixmap TSpeedButton::CurrentGlyph(qreal devicePixelRatio) const {
  if (isEnabled()) return Glyph(devicePixelRatio);
  if (!GlyphDisabled.isNull()) return DisabledGlyph(devicePixelRatio);
  if ((GreyedCache.isNull() || GreyedCache.devicePixelRatio() != devicePixelRatio) && !GlyphNormal.isNull()) {
    const QPixmap normal = Glyph(devicePixelRatio);
    QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
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
    GreyedCache.setDevicePixelRatio(normal.devicePixelRatio());
  }
  return GreyedCache;
}

void TSpeedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool enabled = isEnabled();
  const bool pushed = (Pressing && PressInside) || SpaceHeld;
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

  // Drawn for the device pixels it lands on, not scaled up from 1:1.
  const QPixmap glyph = CurrentGlyph(DeviceScale(p));
  if (!glyph.isNull()) {
    const QSize size = glyph.deviceIndependentSize().toSize();
    QPoint at((r.width() - size.width()) / 2, (r.height() - size.height()) / 2);
    if (sunken) at += QPoint(1, 1);
    p.drawPixmap(at, glyph);
  }

  if (hasFocus()) {
    TCanvas canvas(&p, palette());
    canvas.Brush().SetColor(clBtnFace);
    canvas.DrawFocusRect({2, 2, r.width() - 2, r.height() - 2});
  }
}

void TSpeedButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) return QWidget::keyPressEvent(event);
  if (!event->isAutoRepeat() && isEnabled()) {
    SpaceHeld = true;
    update();
  }
}

void TSpeedButton::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space) return QWidget::keyReleaseEvent(event);
  // Pressed once, clicked once: a held Space repeats nothing.
  if (event->isAutoRepeat() || !SpaceHeld) return;
  SpaceHeld = false;
  update();
  Activate();
}

void TSpeedButton::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void TSpeedButton::focusOutEvent(QFocusEvent* event) {
  SpaceHeld = false;
  update();
  QWidget::focusOutEvent(event);
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
    SpaceHeld = false;
    update();
  }
  QWidget::changeEvent(event);
}
