#include "toolkit/widgets/font.h"

#include <QGuiApplication>
#include <QWidget>

#include <cmath>

namespace {

constexpr int kPixelsPerInch = 96;

int PixelHeightOf(const QFont& f) {
  if (f.pixelSize() > 0) return f.pixelSize();
  return std::max(1, static_cast<int>(std::lround(f.pointSizeF() * kPixelsPerInch / 72.0)));
}

}  // namespace

TFont::TFont() {
  const QFont app = qGuiApp ? QGuiApplication::font() : QFont();
  name_ = app.family();
  height_ = PixelHeightOf(app);
  RebuildQFont();
}

int TFont::Size() const { return (height_ * 72 + kPixelsPerInch / 2) / kPixelsPerInch; }

void TFont::SetSize(int Value) { SetHeight((Value * kPixelsPerInch + 36) / 72); }

bool TFont::Equals(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && charset_ == o.charset_ &&
         pitch_ == o.pitch_ && color_ == o.color_;
}

void TFont::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  if (OnChange) OnChange(this);
}

void TFont::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TFont*>(&Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (Equals(*source)) return;
  name_ = source->name_;
  height_ = source->height_;
  style_ = source->style_;
  charset_ = source->charset_;
  pitch_ = source->pitch_;
  color_ = source->color_;
  qfont_ = source->qfont_;
  if (OnChange) OnChange(this);
}

void TFont::AssignQFont(const QFont& Font) {
  TFontStyles style;
  if (Font.bold()) style.Include(TFontStyle::fsBold);
  if (Font.italic()) style.Include(TFontStyle::fsItalic);
  if (Font.underline()) style.Include(TFontStyle::fsUnderline);
  if (Font.strikeOut()) style.Include(TFontStyle::fsStrikeOut);
  const TFontPitch pitch = Font.fixedPitch() ? TFontPitch::fpFixed : TFontPitch::fpDefault;
  const int height = PixelHeightOf(Font);
  if (name_ == Font.family() && height_ == height && style_ == style && pitch_ == pitch) return;
  name_ = Font.family();
  height_ = height;
  style_ = style;
  pitch_ = pitch;
  Changed();
}

void TFont::Changed() {
  RebuildQFont();
  if (OnChange) OnChange(this);
}

void TFont::RebuildQFont() {
  QFont f(name_);
  f.setPixelSize(std::max(1, height_));
  f.setBold(style_.Contains(TFontStyle::fsBold));
  f.setItalic(style_.Contains(TFontStyle::fsItalic));
  f.setUnderline(style_.Contains(TFontStyle::fsUnderline));
  f.setStrikeOut(style_.Contains(TFontStyle::fsStrikeOut));
  if (pitch_ == TFontPitch::fpFixed) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::TypeWriter);
  } else if (pitch_ == TFontPitch::fpVariable) {
    f.setFixedPitch(false);
  }
  qfont_ = f;
}

void ApplyFont(QWidget& Widget, const TFont& Font) {
  Widget.setFont(Font.QtFont());
  QPalette palette = Widget.palette();
  const QColor text = ResolveColor(Font.Color(), palette);
  for (auto group : {QPalette::Active, QPalette::Inactive}) palette.setColor(group, QPalette::Text, text);
  Widget.setPalette(palette);
}
