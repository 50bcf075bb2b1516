#pragma once

// Unit CgGlobal: what the grid's units share. The column model's
// enumerations, the grid's exceptions, the cell border TcgBorder, the cell
// text record TCgDrawInfo, and the drawing primitives a cell is painted with
// (border lines, 3-D bevels, text with margins, alignment, clipping and size
// requests), two rectangle measures and a prefix test; also the date and
// time pattern tables of the display formatting. Stateless.
//
// The primitives draw only on the canvas they are given and create no
// drawing objects.

#include "grid/cg_size_request.h"
#include "toolkit/core/exception.h"
#include "toolkit/core/persistent.h"
#include "toolkit/widgets/alignment.h"
#include "toolkit/widgets/canvas.h"
#include "toolkit/widgets/colors.h"
#include "toolkit/core/flag_set.h"
#include "toolkit/widgets/grid_draw_state.h"
#include "toolkit/widgets/grid_geometry.h"
#include "toolkit/widgets/panel_bevel.h"

#include <QPoint>
#include <QString>

#include <cstdint>

enum class TcgBorderStyle : std::uint8_t {
  cgbrdNone,
  cgbrdSolid,
  cgbrdDash,
  cgbrdDot,
  cgbrdDashDot,
  cgbrdDashDotDot,
  cgbrdDouble,
};
enum class TcgControlType : std::uint8_t { cgctlComboBox, cgctlButton };
// Bit 0 combo box, bit 1 button.
using TcgControlTypes = TFlagSet<TcgControlType, std::uint8_t>;
enum class TcgVAlignment : std::uint8_t { cgvaTop, cgvaCenter, cgvaBottom };
enum class TcgClipStyle : std::uint8_t { cgclpClip, cgclpEllipsis, cgclpWrap };
enum class TcgButtonStyle : std::uint8_t { cgbstEllipsis, cgbstDropDown, cgbstCustom };
enum class TcgFormatType : std::uint8_t { cgfmtNone, cgfmtNumeric, cgfmtDateTime, cgfmtScientific };

class EcgException : public Exception {
 public:
  using Exception::Exception;
};
class EcgColumnIndexOutOfRange : public EcgException {
 public:
  using EcgException::EcgException;
};
class EcgInvalidColumnName : public EcgException {
 public:
  using EcgException::EcgException;
};

// A cell border: Style (cgbrdNone draws nothing), Width (the number of
// one-pixel lines, or for cgbrdDouble the gap between its two lines) and
// Color. Plain fields: changing one repaints nothing by itself.
class TcgBorder : public TPersistent {
 public:
  TcgBorderStyle Style() const { return style_; }
  void SetStyle(TcgBorderStyle Value) { style_ = Value; }
  int Width() const { return width_; }
  void SetWidth(int Value) { width_ = Value; }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }

  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TcgBorder"); }
  bool Equals(const TcgBorder& o) const { return style_ == o.style_ && width_ == o.width_ && color_ == o.color_; }

 private:
  TcgBorderStyle style_ = TcgBorderStyle::cgbrdNone;
  int width_ = 1;
  TColor color_ = clBlack;
};

// One text to draw, filled by the cell painting.
struct TCgDrawInfo {
  TCanvas* Canvas = nullptr;  // not owned
  TcgVAlignment VAlign = TcgVAlignment::cgvaTop;
  TAlignment HAlign = TAlignment::taLeftJustify;
  QString Text;
  TRect Rect;       // the area available
  int HMargin = 0;  // left free at the left and at the right
  int VMargin = 0;
  TcgClipStyle ClipStyle = TcgClipStyle::cgclpClip;
  int Col = 0;
  int Row = 0;
  TCgGridSizing* Grid = nullptr;  // not owned; none: no size requests
  TGridDrawState DrawState;       // fixed cells get a different top margin
};

// Both count the end pixel: right - left + 1, bottom - top + 1.
constexpr int RectWidth(const TRect& R) { return R.Right - R.Left + 1; }
constexpr int RectHeight(const TRect& R) { return R.Bottom - R.Top + 1; }

// Draws Border from From towards To, one line per step of Width steps in
// Direction (0 down, 1 up, 2 right, 3 left), each line leaving out its end
// point; cgbrdDouble draws two lines Width + 1 steps apart. Returns the
// thickness taken (0 for cgbrdNone or a Width of 0). The pen's mode, colour
// and style are restored; its width is left at 1. A negative Width is taken
// as 0.
int DrawBorderLine(TCanvas& Canvas, QPoint From, QPoint To, const TcgBorder& Border, int Direction);

// The room a border takes: Width lines, Width + 2 for cgbrdDouble, none for
// cgbrdNone (a negative Width counts as 0).
int BorderThickness(const TcgBorder& Border);

// Draws the four borders along the sides of R (right and bottom exclusive),
// all from R's corners at entry, in the order top, right, bottom, left, so a
// later border owns the corner it shares with an earlier one. R shrinks by
// each border's thickness to the area inside the borders.
void DrawCellBorders(TCanvas& Canvas, TRect& R, const TcgBorder& Top, const TcgBorder& Right,
                     const TcgBorder& Bottom, const TcgBorder& Left);

// R shrunk as DrawCellBorders and DrawCellBevels would shrink it, drawing nothing.
void InsetCellBorders(TRect& R, const TcgBorder& Top, const TcgBorder& Right, const TcgBorder& Bottom,
                      const TcgBorder& Left);
void InsetCellBevels(TRect& R, TPanelBevel Outer, TPanelBevel Inner);

struct TcgBevelColors {
  TColor TopLeft;
  TColor BottomRight;
};
TcgBevelColors BevelColors(TPanelBevel Bevel);

// An outer bevel is one 3-D frame; an inner bevel is a button-face frame and
// then its own 3-D frame. R shrinks by 1 for an outer and by 2 for an inner one.
void DrawCellBevels(TCanvas& Canvas, TRect& R, TPanelBevel Outer, TPanelBevel Inner);

// Draws Info.Text in Info.Rect less the margins (a fixed cell's text area
// starts a margin higher), aligned, clipped or with an ellipsis or wrapped by
// Info.ClipStyle, an '&' shown as itself and tabs expanded. When the text
// does not fit and Info.Grid grows rows (columns), a request for the size
// it needs plus the margins is posted to the grid. Leaves the canvas brush clear.
void DrawCellText(const TCgDrawInfo& Info);

// Whether DrawCellText would show Info.Text whole: no line wider than the
// text area (which would end in an ellipsis or be cut) and no line below it.
// Measured with the same layout the drawing uses.
bool CellTextFits(const TCgDrawInfo& Info);

// S starts with Prefix, letter case counting; an empty prefix starts every text.
bool BeginsWith(const QString& Prefix, const QString& S);

// Date patterns of the display formatting by date order (0 month first,
// 1 day first, 2 year first) and DateFormat; time patterns by TimeFormat.
inline constexpr const char* kCgDatePatterns[3][11] = {
    {"m/d", "m/d/yy", "mm/dd/yy", "d-mmm", "d-mmm-yy", "dd-mmm-yy", "mmm-yy", "mmmm-yy", "mmmm d, yyyy",
     "ddd mmmm d, yyyy", "dddd mmmm d, yyyy"},
    {"d/m", "d/m/yy", "dd/mm/yy", "d-mmm", "d-mmm-yy", "dd-mmm-yy", "mmm-yy", "mmmm-yy", "mmmm d, yyyy",
     "ddd mmmm d, yyyy", "dddd mmmm d, yyyy"},
    {"m/d", "yy/m/d", "yy/mm/dd", "d-mmm", "d-mmm-yy", "dd-mmm-yy", "mmm-yy", "mmmm-yy", "mmmm d, yyyy",
     "ddd mmmm d, yyyy", "dddd mmmm d, yyyy"},
};
inline constexpr const char* kCgTimePatterns[4] = {"h:nn", "h:nn ampm", "h:nn:ss", "h:nn:ss ampm"};
