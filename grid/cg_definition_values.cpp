#include "grid/cg_definition_values.h"

#include <QBuffer>

namespace {

QByteArray PngOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toBase64();
}

}  // namespace

QJsonValue ColorToJson(TColor Color) { return ColorToString(Color); }

QJsonObject FontToJson(const TFont& Font) {
  QJsonObject o;
  o.insert("Name", Font.Name());
  o.insert("Height", Font.Height());
  o.insert("Color", ColorToJson(Font.Color()));
  o.insert("Style", SetToJson(Font.Style()));
  o.insert("Charset", Font.Charset());
  o.insert("Pitch", EnumName(Font.Pitch()));
  return o;
}

QJsonObject PictureToJson(const TPicture& Picture) {
  QJsonObject o;
  switch (Picture.Kind()) {
    case TGraphicKind::gkBitmap:
      o.insert("Kind", "Bitmap");
      o.insert("Data", QString::fromLatin1(PngOf(Picture.Bitmap())));
      break;
    case TGraphicKind::gkIcon:
      o.insert("Kind", "Icon");
      o.insert("Width", Picture.Width());
      o.insert("Height", Picture.Height());
      o.insert("Data", QString::fromLatin1(
                           PngOf(Picture.Icon().pixmap(QSize(Picture.Width(), Picture.Height())).toImage())));
      break;
    default:
      break;
  }
  return o;
}

QJsonArray StringsToJson(const QStringList& Strings) { return QJsonArray::fromStringList(Strings); }
