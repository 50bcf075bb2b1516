#include "toolkit/widgets/picture.h"

#include "toolkit/widgets/canvas.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

int TPicture::Width() const {
  switch (kind_) {
    case TGraphicKind::gkBitmap: return bitmap_.width();
    case TGraphicKind::gkIcon: return iconSize_.width();
    default: return 0;
  }
}

int TPicture::Height() const {
  switch (kind_) {
    case TGraphicKind::gkBitmap: return bitmap_.height();
    case TGraphicKind::gkIcon: return iconSize_.height();
    default: return 0;
  }
}

void TPicture::SetBitmap(const QImage& Image) {
  Clear();
  kind_ = TGraphicKind::gkBitmap;
  bitmap_ = Image;
}

void TPicture::SetIcon(const QIcon& Icon, QSize Size) {
  Clear();
  kind_ = TGraphicKind::gkIcon;
  icon_ = Icon;
  iconSize_ = Size;
}

void TPicture::Clear() {
  kind_ = TGraphicKind::gkNone;
  bitmap_ = QImage();
  icon_ = QIcon();
  iconSize_ = QSize();
}

void TPicture::LoadFromFile(const QString& FileName) {
  QImageReader reader(FileName);
  const QImage image = reader.read();
  if (image.isNull())
    throw EInvalidGraphic("Cannot load picture " + FileName.toStdString() + ": " +
                          reader.errorString().toStdString());
  if (QFileInfo(FileName).suffix().compare(QLatin1String("ico"), Qt::CaseInsensitive) == 0)
    SetIcon(QIcon(FileName), image.size());
  else
    SetBitmap(image);
}

void TPicture::Draw(TCanvas& Canvas, int X, int Y) const {
  if (Empty()) return;
  QPainter* p = Canvas.Painter();
  if (!p) throw EInvalidOperation("Canvas does not allow drawing");
  if (kind_ == TGraphicKind::gkIcon)
    icon_.paint(p, QRect(QPoint(X, Y), iconSize_));
  else
    p->drawImage(QPoint(X, Y), bitmap_);
}

void TPicture::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TPicture*>(&Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  kind_ = source->kind_;
  bitmap_ = source->bitmap_;
  icon_ = source->icon_;
  iconSize_ = source->iconSize_;
}

namespace {

// Pixels alike whatever format each image happens to be kept in.
bool SamePixels(const QImage& a, const QImage& b) {
  return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

bool TPicture::Equals(const TPicture& o) const {
  if (kind_ != o.kind_) return false;
  switch (kind_) {
    case TGraphicKind::gkBitmap: return SamePixels(bitmap_, o.bitmap_);
    case TGraphicKind::gkIcon:
      return iconSize_ == o.iconSize_ &&
             SamePixels(icon_.pixmap(iconSize_).toImage(), o.icon_.pixmap(o.iconSize_).toImage());
    default: return true;
  }
}
