#include "toolkit/widgets/image_list.h"

#include "toolkit/core/list_error.h"
#include "toolkit/widgets/canvas.h"

#include <QPainter>

void TImageList::SetSize(int Width, int Height) {
  if (Width == width_ && Height == height_) return;
  width_ = Width;
  height_ = Height;
  images_.clear();
}

int TImageList::Add(const QImage& Image) {
  if (Image.width() == width_ && Image.height() == height_)
    images_.push_back(Image);
  else
    images_.push_back(Image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  return Count() - 1;
}

const QImage& TImageList::Image(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError::IndexOutOfBounds(Index);
  return images_[static_cast<size_t>(Index)];
}

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index) const {
  if (Index < 0 || Index >= Count()) return;
  QPainter* p = Canvas.Painter();
  if (!p) throw EInvalidOperation("Canvas does not allow drawing");
  p->drawImage(QPoint(X, Y), images_[static_cast<size_t>(Index)]);
}

void TImageList::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TImageList*>(&Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  width_ = source->width_;
  height_ = source->height_;
  images_ = source->images_;
}
