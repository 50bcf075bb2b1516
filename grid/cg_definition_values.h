#pragma once

// The saved form of the values in a grid's definition (the JSON the string
// grid writes): enumerations by member name ("taCenter"), sets as lists of
// member names, colours as in ColorToString ("clBtnFace", "#rrggbb"), fonts
// as { "Name", "Height", "Color", "Style", "Charset", "Pitch" }, pictures as
// { "Kind": "Bitmap" | "Icon", "Width", "Height", "Data": PNG in base64 }
// ({} without a graphic), string lists as lists of strings.
//
// TDefinitionReader reads the keys of one saved object; a value of the wrong
// kind raises EInvalidGridDefinition naming the object and the key.

#include "grid/cg_global.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/picture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

// Member names of each saved enumeration, in member order.
template <class E>
struct TEnumNames;

#define ORVIX_ENUM_NAMES(E, ...)                                  \
  template <>                                                     \
  struct TEnumNames<E> {                                          \
    static constexpr const char* Names[] = {__VA_ARGS__};         \
  }
ORVIX_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter");
ORVIX_ENUM_NAMES(TPanelBevel, "bvNone", "bvLowered", "bvRaised");
ORVIX_ENUM_NAMES(TcgVAlignment, "cgvaTop", "cgvaCenter", "cgvaBottom");
ORVIX_ENUM_NAMES(TcgClipStyle, "cgclpClip", "cgclpEllipsis", "cgclpWrap");
ORVIX_ENUM_NAMES(TcgButtonStyle, "cgbstEllipsis", "cgbstDropDown", "cgbstCustom");
ORVIX_ENUM_NAMES(TcgFormatType, "cgfmtNone", "cgfmtNumeric", "cgfmtDateTime", "cgfmtScientific");
ORVIX_ENUM_NAMES(TcgBorderStyle, "cgbrdNone", "cgbrdSolid", "cgbrdDash", "cgbrdDot", "cgbrdDashDot",
                 "cgbrdDashDotDot", "cgbrdDouble");
ORVIX_ENUM_NAMES(TcgControlType, "cgctlComboBox", "cgctlButton");
ORVIX_ENUM_NAMES(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");
ORVIX_ENUM_NAMES(TFontPitch, "fpDefault", "fpVariable", "fpFixed");
#undef ORVIX_ENUM_NAMES

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

QJsonValue ColorToJson(TColor Color);
QJsonObject FontToJson(const TFont& Font);
QJsonObject PictureToJson(const TPicture& Picture);
QJsonArray StringsToJson(const QStringList& Strings);

class TDefinitionReader {
 public:
  // Where names the object in messages, e.g. "Columns[2]".
  TDefinitionReader(const QJsonObject& Object, QString Where) : object_(Object), where_(std::move(Where)) {}

  bool Has(const char* Key) const { return object_.contains(QLatin1String(Key)); }
  QString Where(const char* Key) const { return where_ + QLatin1Char('.') + QLatin1String(Key); }

  int Int(const char* Key) const;
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
    const auto e = EnumFromName<E>(object_.value(QLatin1String(Key)).toString());
    if (!e) Fail(Key, "is not one of its values");
    return *e;
  }
  template <class E, class S>
  TFlagSet<E, S> Set(const char* Key) const {
    const QJsonValue v = object_.value(QLatin1String(Key));
    if (!v.isArray()) Fail(Key, "must be a list");
    TFlagSet<E, S> set;
    for (const QJsonValue& name : v.toArray()) {
      const auto e = EnumFromName<E>(name.toString());
      if (!e) Fail(Key, "holds an unknown member");
      set.Include(*e);
    }
    return set;
  }

  [[noreturn]] void Fail(const char* Key, const char* Problem) const;

 private:
  const QJsonObject& object_;
  QString where_;
};
