#pragma once

// Reading a grid's saved definition (the JSON the string grid writes), for
// the string grid and every grid built on it: enumerations by member name
// ("taCenter"), sets as lists of member names, colours as in ColorToString
// ("clBtnFace", "#rrggbb"), fonts as { "Name", "Height", "Color", "Style",
// "Charset", "Pitch" }, pictures as { "Kind": "Bitmap" | "Icon", "Width",
// "Height", "Data": PNG in base64 } ({} without a graphic), string lists as
// lists of strings.
//
// TDefinitionReader reads the keys of one saved object; a value of the wrong
// kind raises EInvalidGridDefinition naming the object and the key.

#include "toolkit/core/flag_set.h"
#include "toolkit/widgets/colors.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/picture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <string>
#include <vector>

// Member names of each saved enumeration, in member order.
template <class E>
struct TEnumNames;

#define ORVIX_ENUM_NAMES(E, ...)                          \
  template <>                                             \
  struct TEnumNames<E> {                                  \
    static constexpr const char* Names[] = {__VA_ARGS__}; \
  }
ORVIX_ENUM_NAMES(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");
ORVIX_ENUM_NAMES(TFontPitch, "fpDefault", "fpVariable", "fpFixed");

template <class E>
QString EnumName(E Value) {
  return QLatin1String(TEnumNames<E>::Names[static_cast<int>(Value)]);
}

template <class E>
std::optional<E> EnumFromName(const QString& Name) {
  const std::span<const char* const> names(TEnumNames<E>::Names);
  for (size_t i = 0; i < names.size(); ++i)
    if (Name == QLatin1String(names[i])) return static_cast<E>(i);
  return std::nullopt;
}

template <class E, class S>
QJsonArray SetToJson(TFlagSet<E, S> Set) {
  QJsonArray a;
  const std::span<const char* const> names(TEnumNames<E>::Names);
  for (size_t i = 0; i < names.size(); ++i)
    if (Set.Contains(static_cast<E>(i))) a.append(QLatin1String(names[i]));
  return a;
}

class TDefinitionReader {
 public:
  // Integers are sizes, counts and positions that the grids add up in int:
  // beyond a thousand million a sum of two could overflow.
  static constexpr int MaxInt = 1000000000;

  // Where names the object in messages, e.g. "Columns[2]".
  TDefinitionReader(const QJsonObject& Object, QString Where) : object_(Object), where_(std::move(Where)) {}

  bool Has(const char* Key) const { return object_.contains(QLatin1String(Key)); }
  QString Where(const char* Key) const { return where_ + QLatin1Char('.') + QLatin1String(Key); }
  QJsonValue Value(const char* Key) const { return object_.value(QLatin1String(Key)); }

  // A whole number from -MaxInt to MaxInt.
  int Int(const char* Key) const;
  std::vector<int> Ints(const char* Key) const;
  bool Bool(const char* Key) const;
  QString String(const char* Key) const;
  TColor Color(const char* Key) const;
  QStringList Strings(const char* Key) const;
  QJsonObject Object(const char* Key) const;
  // Reads a saved font into Into (a full description; the font's own
  // notification fires when it differs).
  void Font(const char* Key, TFont& Into) const;
  void Picture(const char* Key, TPicture& Into) const;

  template <class E>
  E Enum(const char* Key) const {
    const auto e = EnumFromName<E>(Value(Key).toString());
    if (!e) Fail(Key, "is not one of its values");
    return *e;
  }
  template <class E, class S>
  TFlagSet<E, S> Set(const char* Key) const {
    const QJsonValue v = Value(Key);
    if (!v.isArray()) Fail(Key, "must be a list");
    TFlagSet<E, S> set;
    for (const QJsonValue& name : v.toArray()) {
      const auto e = EnumFromName<E>(name.toString());
      if (!e) Fail(Key, "holds an unknown member");
      set.Include(*e);
    }
    return set;
  }

  [[noreturn]] void Fail(const char* Key, const std::string& Problem) const;

 private:
  const QJsonObject& object_;
  QString where_;
};
