#include "grid/cg_definition_values.h"

#include "toolkit/widgets/string_grid.h"

#include <QBuffer>

#include <cmath>

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

void TDefinitionReader::Fail(const char* Key, const char* Problem) const {
  throw EInvalidGridDefinition("Grid definition: " + Where(Key).toStdString() + " " + Problem);
}

int TDefinitionReader::Int(const char* Key) const {
  const QJsonValue v = object_.value(QLatin1String(Key));
  const double d = v.toDouble(std::nan(""));
  if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 2147483647.0) Fail(Key, "must be an integer");
  return static_cast<int>(d);
}

bool TDefinitionReader::Bool(const char* Key) const {
  const QJsonValue v = object_.value(QLatin1String(Key));
  if (!v.isBool()) Fail(Key, "must be true or false");
  return v.toBool();
}

QString TDefinitionReader::String(const char* Key) const {
  const QJsonValue v = object_.value(QLatin1String(Key));
  if (!v.isString()) Fail(Key, "must be a text");
  return v.toString();
}

TColor TDefinitionReader::Color(const char* Key) const {
  const auto c = StringToColor(object_.value(QLatin1String(Key)).toString());
  if (!c) Fail(Key, "must be a colour");
  return *c;
}

QStringList TDefinitionReader::Strings(const char* Key) const {
  const QJsonValue v = object_.value(QLatin1String(Key));
  if (!v.isArray()) Fail(Key, "must be a list of texts");
  QStringList out;
  for (const QJsonValue& s : v.toArray()) {
    if (!s.isString()) Fail(Key, "must be a list of texts");
    out.append(s.toString());
  }
  return out;
}

QJsonObject TDefinitionReader::Object(const char* Key) const {
  const QJsonValue v = object_.value(QLatin1String(Key));
  if (!v.isObject()) Fail(Key, "must be an object");
  return v.toObject();
}

namespace {

// A font read in full before it is copied in, so the target reports one change.
struct TReadFont : TFont {
  TReadFont(const TDefinitionReader& r) {
    if (r.Has("Name")) SetName(r.String("Name"));
    if (r.Has("Height")) SetHeight(r.Int("Height"));
    if (r.Has("Color")) SetColor(r.Color("Color"));
    if (r.Has("Style")) SetStyle(r.Set<TFontStyle, std::uint8_t>("Style"));
    if (r.Has("Charset")) SetCharset(static_cast<TFontCharset>(r.Int("Charset")));
    if (r.Has("Pitch")) SetPitch(r.Enum<TFontPitch>("Pitch"));
  }
};

}  // namespace

void TDefinitionReader::Font(const char* Key, TFont& Into) const {
  const QJsonObject o = Object(Key);
  Into.Assign(TReadFont(TDefinitionReader(o, Where(Key))));
}

void TDefinitionReader::Picture(const char* Key, TPicture& Into) const {
  const QJsonObject o = Object(Key);
  const TDefinitionReader r(o, Where(Key));
  if (!r.Has("Kind")) {
    Into.Clear();
    return;
  }
  const QString kind = r.String("Kind");
  QImage image;
  if (!image.loadFromData(QByteArray::fromBase64(r.String("Data").toLatin1()), "PNG"))
    r.Fail("Data", "is not a PNG image in base64");
  if (kind == QLatin1String("Bitmap"))
    Into.SetBitmap(image);
  else if (kind == QLatin1String("Icon"))
    Into.SetIcon(QIcon(QPixmap::fromImage(image)), QSize(r.Int("Width"), r.Int("Height")));
  else
    r.Fail("Kind", "must be Bitmap or Icon");
}
