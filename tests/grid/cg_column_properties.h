#pragma once

// Every property of a grid column with its value at creation, another value and where it takes part.
// Fonts and their parent flags work together and are each test's own.

#include "grid/cg_column.h"
#include "tests/common/pixels.h"

#include <functional>
#include <string>
#include <vector>

namespace cg_column_test {

enum TTakesPart : unsigned {
  kNotifies = 1,  // its setter compares, and a new value asks once for a repaint
  kCopied = 2,    // Assign copies it
  kSaved = 4,     // it comes back from the saved definition (of a column using all)
};

struct FontOfHeight : TFont { explicit FontOfHeight(int h) { SetHeight(h); } };

struct TColumnProperty {
  std::string name;
  unsigned takesPart;
  std::function<bool(const TcgColumn&)> isInitial, isOther;
  std::function<void(TcgColumn&)> setInitial, setOther;
};

template <class TGet, class TSet, class TValue>
TColumnProperty Property(const char* name, TGet get, TSet set, TValue initial, TValue other,
                         unsigned takesPart = kNotifies | kCopied | kSaved) {
  return {name, takesPart, [=](const TcgColumn& c) { return (c.*get)() == initial; },
          [=](const TcgColumn& c) { return (c.*get)() == other; }, [=](TcgColumn& c) { (c.*set)(initial); },
          [=](TcgColumn& c) { (c.*set)(other); }};
}
#define CG_PROPERTY(P, ...) Property(#P, &TcgColumn::P, &TcgColumn::Set##P, __VA_ARGS__)

// A property held in an object of its own (a border, a list, a picture).
inline TColumnProperty Owned(const char* name, unsigned takesPart, std::function<bool(const TcgColumn&)> isInitial,
                             std::function<void(TcgColumn&)> setOther, std::function<bool(const TcgColumn&)> isOther) {
  return {name, takesPart, std::move(isInitial), std::move(isOther), nullptr, std::move(setOther)};
}

struct TBorderLook {
  TcgBorderStyle style;
  int width;
  TColor color;
  bool Of(const TcgBorder& b) const { return b.Style() == style && b.Width() == width && b.Color() == color; }
  void To(TcgBorder& b) const { b.SetStyle(style); b.SetWidth(width); b.SetColor(color); }
};

inline const std::vector<TColumnProperty>& ColumnProperties() {
  using enum TAlignment;
  using enum TcgVAlignment;
  using enum TcgClipStyle;
  using enum TPanelBevel;
  using enum TcgBorderStyle;
  auto border = [](const char* name, unsigned takesPart, TcgBorder& (TcgHeading::*of)(),
                   const TcgBorder& (TcgHeading::*read)() const, TBorderLook other) {
    return Owned(
        name, takesPart, [read](const TcgColumn& c) { return (c.*read)().Equals(TcgBorder()); },
        [of, other](TcgColumn& c) { other.To((c.*of)()); },
        [read, other](const TcgColumn& c) { return other.Of((c.*read)()); });
  };
  auto list = [](const char* name, unsigned takesPart, const TStringList& (TcgColumn::*read)() const,
                 TStringList& (TcgColumn::*of)(), QStringList other) {
    return Owned(
        name, takesPart, [read](const TcgColumn& c) { return (c.*read)().Count() == 0; },
        [of, other](TcgColumn& c) { (c.*of)().SetList(other); },
        [read, other](const TcgColumn& c) { return (c.*read)().List() == other; });
  };
  const unsigned copiedAndSaved = kCopied | kSaved;
  static const std::vector<TColumnProperty> properties = {
      CG_PROPERTY(Caption, QString(""), QString("Receive Time")),
      CG_PROPERTY(Name, QString(""), QString("Receive Time"), copiedAndSaved),
      CG_PROPERTY(TitleHAlignment, taCenter, taRightJustify), CG_PROPERTY(TitleVAlignment, cgvaCenter, cgvaBottom),
      CG_PROPERTY(TitleColor, clBtnFace, ColorFromRgb(1, 2, 3)), CG_PROPERTY(TitleParentFont, true, false, kNotifies),
      CG_PROPERTY(TitleClipStyle, cgclpWrap, cgclpEllipsis), CG_PROPERTY(TitleInnerBevel, bvNone, bvLowered),
      CG_PROPERTY(TitleOuterBevel, bvRaised, bvNone),
      border("TopBorder", copiedAndSaved, &TcgHeading::TopBorder, &TcgHeading::TopBorder, {cgbrdDouble, 3, clBlack}),
      border("LeftBorder", copiedAndSaved, &TcgHeading::LeftBorder, &TcgHeading::LeftBorder,
             {cgbrdDashDotDot, 1, clInfoBk}),
      border("RightBorder", kCopied, &TcgHeading::RightBorder, &TcgHeading::RightBorder, {cgbrdDot, 1, clBlack}),
      border("BottomBorder", kCopied, &TcgHeading::BottomBorder, &TcgHeading::BottomBorder,
             {cgbrdSolid, 2, clRed}),
      CG_PROPERTY(ControlType, TcgControlTypes{},
                  TcgControlTypes{TcgControlType::cgctlComboBox, TcgControlType::cgctlButton}),
      CG_PROPERTY(Visible, true, false, copiedAndSaved), CG_PROPERTY(ReadOnly, false, true),
      CG_PROPERTY(MaxTextLength, 0, 20), CG_PROPERTY(ColumnHAlignment, taLeftJustify, taCenter),
      CG_PROPERTY(ColumnVAlignment, cgvaTop, cgvaCenter), CG_PROPERTY(ColumnColor, clWindow, clHighlight),
      CG_PROPERTY(ColumnParentFont, true, false, kNotifies), CG_PROPERTY(ColumnClipStyle, cgclpEllipsis, cgclpWrap),
      CG_PROPERTY(ColumnInnerBevel, bvNone, bvRaised), CG_PROPERTY(ColumnOuterBevel, bvNone, bvLowered),
      list("Items", copiedAndSaved, &TcgColumn::Items, &TcgColumn::Items, {"Voice", "Fax", "Data"}),
      CG_PROPERTY(AutoSuggest, true, false, copiedAndSaved), CG_PROPERTY(ComboMaxWidth, false, true),
      CG_PROPERTY(DropDownCount, 8, 3),
      CG_PROPERTY(ButtonStyle, TcgButtonStyle::cgbstEllipsis, TcgButtonStyle::cgbstCustom),
      Owned(
          "ButtonPicture", copiedAndSaved, [](const TcgColumn& c) { return c.ButtonPicture().Empty(); },
          [](TcgColumn& c) { c.ButtonPicture().SetBitmap(Solid(16, 8, Qt::green)); },
          [](const TcgColumn& c) {
            TPicture green;
            green.SetBitmap(Solid(16, 8, Qt::green));
            return c.ButtonPicture().Equals(green);
          }),
      CG_PROPERTY(DrawButtonface, true, false), CG_PROPERTY(ButtonVAlignment, cgvaCenter, cgvaBottom),
      CG_PROPERTY(HeadingIndex, -1, 2), CG_PROPERTY(FormatType, TcgFormatType::cgfmtNone, TcgFormatType::cgfmtDateTime),
      CG_PROPERTY(Decimals, 2, 0), CG_PROPERTY(Prefix, QString(""), QString("at ")),
      CG_PROPERTY(ThousandsSeparator, true, false), CG_PROPERTY(NegativeParenthesis, false, true),
      CG_PROPERTY(DateFormat, 2, 9), CG_PROPERTY(TimeFormat, -1, 3), CG_PROPERTY(HiddenWidth, 64, 99, kCopied),
      list("HiddenCells", kCopied, &TcgColumn::HiddenCells, &TcgColumn::HiddenCells, {"#", "1"}),
  };
  return properties;
}

inline std::vector<TColumnProperty> Taking(TTakesPart part) {
  std::vector<TColumnProperty> out;
  for (const TColumnProperty& p : ColumnProperties()) if (p.takesPart & part) out.push_back(p);
  return out;
}

// A column with every property that takes part in `part` at its other value.
inline void SetOthers(TcgColumn& c, TTakesPart part) { for (const TColumnProperty& p : Taking(part)) p.setOther(c); }

}  // namespace cg_column_test
