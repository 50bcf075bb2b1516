#pragma once

// TImageList: numbered images of one size (16 x 16 unless given). Add scales
// an image of another size to the list's size. Changing the size empties
// the list. Draw with an index outside the list draws nothing.

#include "toolkit/core/persistent.h"

#include <QImage>

#include <vector>

class TCanvas;

class TImageList : public TPersistent {
 public:
  explicit TImageList(int Width = 16, int Height = 16) : width_(Width), height_(Height) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int Width, int Height);
  int Count() const { return static_cast<int>(images_.size()); }

  int Add(const QImage& Image);  // returns the new image's index
  // The image at Index; EListError outside the list.
  const QImage& Image(int Index) const;
  void Clear() { images_.clear(); }
  void Draw(TCanvas& Canvas, int X, int Y, int Index) const;

  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TImageList"); }

 private:
  int width_;
  int height_;
  std::vector<QImage> images_;
};
