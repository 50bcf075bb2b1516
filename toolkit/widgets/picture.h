#pragma once

// TPicture: holds one graphic, a bitmap or an icon, or nothing. Width and
// Height are the graphic's (0 without one); an icon has the size it was
// given (32 x 32 unless said otherwise). Draw puts the graphic at its own
// size with its top-left corner at (X, Y): an icon is painted as an icon,
// a bitmap as its pixels (its alpha channel kept).

#include "toolkit/core/exception.h"
#include "toolkit/core/persistent.h"

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

class TCanvas;

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

enum class TGraphicKind : std::uint8_t { gkNone, gkBitmap, gkIcon };

class TPicture : public TPersistent {
 public:
  TGraphicKind Kind() const { return kind_; }
  // True without a graphic or with one that has no pixels.
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  int Width() const;
  int Height() const;

  const QImage& Bitmap() const { return bitmap_; }  // null unless Kind() is gkBitmap
  const QIcon& Icon() const { return icon_; }       // null unless Kind() is gkIcon
  void SetBitmap(const QImage& Image);
  void SetIcon(const QIcon& Icon, QSize Size = QSize(32, 32));
  void Clear();
  // A .ico file becomes an icon (at its first size), any other image a
  // bitmap. EInvalidGraphic when the file cannot be read as an image.
  void LoadFromFile(const QString& FileName);

  void Draw(TCanvas& Canvas, int X, int Y) const;

  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TPicture"); }
  // Same kind, size and pixels.
  bool Equals(const TPicture& Other) const;

 private:
  TGraphicKind kind_ = TGraphicKind::gkNone;
  QImage bitmap_;
  QIcon icon_;
  QSize iconSize_;
};
