#pragma once

// TFont: a font description (name, height, style, character set, pitch) and
// a text colour. OnChange fires once after every real change of the
// description or the colour, whether through a setter or Assign; setting a
// value equal to the current one, or assigning an equal font, fires nothing.
//
// Height is the em size in pixels; Size is the same in points at 96 dpi
// (Size 8 = Height 11). New fonts take the toolkit's default description:
// the application's font family and size, colour clWindowText, no style,
// DEFAULT_CHARSET, fpDefault.
//
// The Qt font is built only when the description changes through a setter;
// the colour is not part of it, and Assign shares the source's Qt font, so
// copying fonts back and forth (as the cell painting does for every cell)
// creates none.

#include "toolkit/core/persistent.h"
#include "toolkit/widgets/colors.h"
#include "toolkit/core/flag_set.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TFlagSet<TFontStyle, std::uint8_t>;
enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
// Kept with the description; Qt picks glyphs by script, so it does not change the drawing.
using TFontCharset = std::uint8_t;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;

class QWidget;
class TFont;
using TFontChangeEvent = std::function<void(TFont* Sender)>;

class TFont : public TPersistent {
 public:
  TFont();

  QString Name() const { return name_; }
  void SetName(const QString& Value) { Set(name_, Value); }
  int Height() const { return height_; }
  void SetHeight(int Value) { Set(height_, Value); }
  int Size() const;
  void SetSize(int Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value) { Set(style_, Value); }
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset Value) { Set(charset_, Value); }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value) { Set(pitch_, Value); }
  TColor Color() const { return color_; }
  void SetColor(TColor Value);

  // The Qt font of this description (kept, rebuilt on change).
  const QFont& QtFont() const { return qfont_; }
  // Takes family, size, style and pitch from a Qt font; the colour stays.
  void AssignQFont(const QFont& Font);

  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TFont"); }
  // Same description and colour.
  bool Equals(const TFont& Other) const;

  TFontChangeEvent OnChange;

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();
  void RebuildQFont();

  QString name_;
  int height_ = 11;
  TFontStyles style_;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  TColor color_ = clWindowText;
  QFont qfont_;
};

// Gives a widget the font's face, size and style, and its colour as the
// widget's text colour (a system colour read from the widget's palette).
void ApplyFont(QWidget& Widget, const TFont& Font);
