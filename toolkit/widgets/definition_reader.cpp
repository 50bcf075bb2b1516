#include "toolkit/widgets/definition_reader.h"

#include "toolkit/widgets/string_grid.h"

#include <cmath>

void TDefinitionReader::Fail(const char* Key, const std::string& Problem) const {
  throw EInvalidGridDefinition("Grid definition: " + Where(Key).toStdString() + " " + Problem);
}

namespace {

bool IsInt(const QJsonValue& v) {
  const double d = v.toDouble(std::nan(""));
  return v.isDouble() && d == std::floor(d) && std::abs(d) <= TDefinitionReader::MaxInt;
}

}  // namespace

int TDefinitionReader::Int(const char* Key) const {
  const QJsonValue v = Value(Key);
  if (!IsInt(v)) Fail(Key, "must be an integer");
  return static_cast<int>(v.toDouble());
}

std::vector<int> TDefinitionReader::Ints(const char* Key) const {
  const QJsonValue v = Value(Key);
  if (!v.isArray()) Fail(Key, "must be a list");
  std::vector<int> out;
  for (const QJsonValue& item : v.toArray()) {
    if (!IsInt(item)) Fail(Key, "must hold integers");
    out.push_back(static_cast<int>(item.toDouble()));
  }
  return out;
}

bool TDefinitionReader::Bool(const char* Key) const {
  const QJsonValue v = Value(Key);
  if (!v.isBool()) Fail(Key, "must be true or false");
  return v.toBool();
}

QString TDefinitionReader::String(const char* Key) const {
  const QJsonValue v = Value(Key);
  if (!v.isString()) Fail(Key, "must be a text");
  return v.toString();
}

TColor TDefinitionReader::Color(const char* Key) const {
  const auto c = StringToColor(Value(Key).toString());
  if (!c) Fail(Key, "must be a colour");
  return *c;
}

QStringList TDefinitionReader::Strings(const char* Key) const {
  const QJsonValue v = Value(Key);
  if (!v.isArray()) Fail(Key, "must be a list of texts");
  QStringList out;
  for (const QJsonValue& s : v.toArray()) {
    if (!s.isString()) Fail(Key, "must be a list of texts");
    out.append(s.toString());
  }
  return out;
}

QJsonObject TDefinitionReader::Object(const char* Key) const {
  const QJsonValue v = Value(Key);
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
