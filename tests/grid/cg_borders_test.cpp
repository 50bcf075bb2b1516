// Cell borders, bevels, the border object and the prefix test.

#include "grid/cg_global.h"
#include "tests/common/image_canvas.h"
#include "tests/common/message_of.h"
#include "tests/common/pixels.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/widgets/font.h"

#include <type_traits>

namespace {

const QColor kWhite(Qt::white), kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 128, 0), kNavy(0, 0, 128);

struct Border : TcgBorder {
  Border(TcgBorderStyle style, int width, TColor color) { SetStyle(style); SetWidth(width); SetColor(color); }
};

// Rows of column x that are not white, as a string of '#' and '.', from y0 for n rows.
std::string Column(TImageCanvas& c, int x, int y0, int n) {
  std::string s;
  for (int y = y0; y < y0 + n; ++y) s += c.At(x, y) == kWhite ? '.' : '#';
  return s;
}

// A palette in which the three button colours differ from each other and from white.
QPalette ButtonPalette() {
  QPalette p;
  p.setColor(QPalette::Active, QPalette::Button, QColor(0xee, 0xdd, 0xcc));
  p.setColor(QPalette::Active, QPalette::Light, QColor(0xff, 0xff, 0x00));
  p.setColor(QPalette::Active, QPalette::Dark, QColor(0x40, 0x40, 0x40));
  return p;
}

const TcgBorder kNone;

}  // namespace

TEST(CgBorders, ASolidTopBorderOfWidthThreeDrawsThreeLinesAndMovesTheTopDownByThree) {
  TImageCanvas c(20, 20);
  TRect r{0, 0, 20, 20};
  const Border top(TcgBorderStyle::cgbrdSolid, 3, clRed);
  DrawCellBorders(c.canvas, r, top, kNone, kNone, kNone);
  EXPECT_EQ(r, (TRect{0, 3, 20, 20}));
  for (int x : {0, 19}) EXPECT_EQ(Column(c, x, 0, 5), "###..") << x;
  EXPECT_EQ(std::tuple(c.At(10, 1), c.InkCount()), std::tuple(kRed, 3 * 20));
}

TEST(CgBorders, ADoubleBorderOfWidthThreeIsLineGapOfThreeLineAndTakesFive) {
  TImageCanvas c(20, 20);
  TRect r{0, 0, 20, 20};
  DrawCellBorders(c.canvas, r, Border(TcgBorderStyle::cgbrdDouble, 3, clRed), kNone, kNone, kNone);
  EXPECT_EQ(std::tuple(r.Top, Column(c, 7, 0, 7), c.InkCount()), std::tuple(5, "#...#..", 2 * 20));
}

TEST(CgBorders, EachSideGrowsInwardsAndLaterBordersOwnTheCorners) {
  TImageCanvas c(12, 10);
  TRect r{1, 1, 11, 9};  // cell pixels x 1..10, y 1..8
  DrawCellBorders(c.canvas, r, Border(TcgBorderStyle::cgbrdSolid, 1, clBlue),
                  Border(TcgBorderStyle::cgbrdSolid, 2, clGreen), Border(TcgBorderStyle::cgbrdSolid, 1, clNavy),
                  Border(TcgBorderStyle::cgbrdSolid, 1, clRed));
  EXPECT_EQ(r, (TRect{2, 2, 9, 8}));
  ExpectPixels(c.End(), {{1, 1, kRed, "top-left: the left border's colour"}, {2, 1, kBlue, "top"},
                         {10, 1, kGreen, "top-right: right over top"}, {9, 4, kGreen, "right border, second line"},
                         {10, 8, kNavy, "bottom-right: bottom over right"},
                         {1, 8, kRed, "bottom-left: left over bottom"},
                         {5, 8, kNavy}, {5, 5, kWhite}, {0, 0, kWhite, "nothing outside the cell"}, {11, 9, kWhite}});
}

TEST(CgBorders, StyledBordersFollowThePenPatterns) {
  TImageCanvas c(40, 6);
  c.canvas.Brush().SetStyle(TBrushStyle::bsClear);
  TRect r{0, 0, 40, 6};
  DrawCellBorders(c.canvas, r, Border(TcgBorderStyle::cgbrdDash, 1, clRed), kNone,
                  Border(TcgBorderStyle::cgbrdDot, 1, clRed), kNone);
  std::string top, bottom;
  for (int x = 0; x < 30; ++x) top += c.At(x, 0) == kRed ? '#' : '.';
  for (int x = 39; x > 30; --x) bottom += c.At(x, 5) == kRed ? '#' : '.';  // drawn right to left
  EXPECT_EQ(top, std::string(18, '#') + std::string(6, '.') + std::string(6, '#'));
  EXPECT_EQ(bottom, "###...###");
}

TEST(CgBorders, NoneOrWidthZeroTakesNoRoomAndLeavesThePenAlone) {
  TImageCanvas c(10, 10);
  TPen& pen = c.canvas.Pen();
  pen.SetColor(clLime);
  pen.SetStyle(TPenStyle::psDashDot);
  pen.SetMode(TPenMode::pmXor);
  pen.SetWidth(4);
  EXPECT_EQ(DrawBorderLine(c.canvas, {0, 0}, {10, 0}, Border(TcgBorderStyle::cgbrdNone, 3, clRed), 0), 0);
  EXPECT_EQ(pen.Width(), 4);
  EXPECT_EQ(DrawBorderLine(c.canvas, {0, 0}, {10, 0}, Border(TcgBorderStyle::cgbrdSolid, 0, clRed), 0), 0);
  EXPECT_EQ(DrawBorderLine(c.canvas, {0, 0}, {10, 0}, Border(TcgBorderStyle::cgbrdSolid, -2, clRed), 0), 0);
  EXPECT_TRUE(c.Ink().isNull());
  // A drawn border restores mode, colour and style; the width stays 1.
  c.Resume();
  EXPECT_EQ(DrawBorderLine(c.canvas, {0, 9}, {10, 9}, Border(TcgBorderStyle::cgbrdDot, 2, clRed), 1), 2);
  EXPECT_EQ(std::tuple(pen.Color(), pen.Style(), pen.Mode(), pen.Width()),
            std::tuple(clLime, TPenStyle::psDashDot, TPenMode::pmXor, 1));
  ExpectPixels(c.End(), {{0, 9, kRed, "copied, not xor-ed"}, {0, 8, kRed, "second line one step up"}});
}

TEST(CgBevels, RaisedOutsideLoweredInsideGivesThreeFramesAndShrinksByThree) {
  const QPalette p = ButtonPalette();
  const QColor light = p.color(QPalette::Light), dark = p.color(QPalette::Dark), face = p.color(QPalette::Button);
  TImageCanvas c(20, 20, Qt::white, p);
  TRect r{0, 0, 20, 20};
  DrawCellBevels(c.canvas, r, TPanelBevel::bvRaised, TPanelBevel::bvLowered);
  EXPECT_EQ(r, (TRect{3, 3, 17, 17}));
  // Outside in along top-left and bottom-right; the bottom-right colour owns the other two corners.
  ExpectPixels(c.End(), {{5, 0, light}, {5, 1, face}, {5, 2, dark}, {19, 5, dark}, {18, 5, face}, {17, 5, light},
                         {0, 5, light}, {2, 5, dark}, {5, 19, dark}, {5, 17, light}, {19, 0, dark, "corner"},
                         {0, 19, dark, "corner"}, {2, 2, dark}, {17, 2, light}, {10, 10, kWhite}});
}

TEST(CgBevels, AnOuterBevelTakesOnePixelAnInnerOneTwoAndNoneNothing) {
  TImageCanvas c(20, 20, Qt::white, ButtonPalette());
  TRect r{0, 0, 20, 20};
  DrawCellBevels(c.canvas, r, TPanelBevel::bvNone, TPanelBevel::bvNone);
  EXPECT_EQ(std::tuple(r, c.Ink().isNull()), std::tuple(TRect{0, 0, 20, 20}, true));
  c.Resume();
  DrawCellBevels(c.canvas, r, TPanelBevel::bvLowered, TPanelBevel::bvNone);
  EXPECT_EQ(std::tuple(r, c.At(5, 0)), std::tuple(TRect{1, 1, 19, 19}, ButtonPalette().color(QPalette::Dark)));
  c.Resume();
  DrawCellBevels(c.canvas, r, TPanelBevel::bvNone, TPanelBevel::bvRaised);
  EXPECT_EQ(r, (TRect{3, 3, 17, 17}));
  ExpectPixels(c.End(),
               {{5, 1, ButtonPalette().color(QPalette::Button)}, {5, 2, ButtonPalette().color(QPalette::Light)}});
}

TEST(CgBorder, StartsAsNoLineOfWidthOneInBlackAndCopiesOnlyFromABorder) {
  const TcgBorder fresh;
  EXPECT_EQ(std::tuple(fresh.Style(), fresh.Width(), fresh.Color()), std::tuple(TcgBorderStyle::cgbrdNone, 1, clBlack));
  TcgBorder b;
  b.Assign(Border(TcgBorderStyle::cgbrdDashDot, 4, clTeal));
  EXPECT_TRUE(b.Equals(Border(TcgBorderStyle::cgbrdDashDot, 4, clTeal)));
  EXPECT_EQ(MessageOf<EConvertError>([&] { b.Assign(TFont()); }), "Cannot assign a TFont to a TcgBorder");
  EXPECT_EQ(b.Width(), 4);
}

TEST(CgGlobal, BeginsWithComparesTheFirstCharactersExactlyAndRectangleMeasuresCountTheEndPixel) {
  const struct { const char *prefix, *text; bool begins; } cases[] = {
      {"Fa", "Fax", true}, {"fa", "Fax", false}, {"Faxes", "Fax", false}, {"Fax", "Fax", true}, {"", "Fax", true},
      {"", "", true}};
  for (const auto& c : cases) EXPECT_EQ(BeginsWith(c.prefix, c.text), c.begins) << c.prefix << " " << c.text;
  EXPECT_EQ(std::pair(RectWidth(TRect{2, 0, 48, 0}), RectHeight(TRect{0, 5, 0, 5})), std::pair(47, 1));
}

TEST(CgGlobal, DatePatternsDifferOnlyInTheirFirstThreeEntries) {
  for (int o = 0; const char* ord : {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"}) EXPECT_STREQ(kCgDatePatterns[o++][2], ord);
  EXPECT_STREQ(kCgDatePatterns[2][0], "m/d");
  for (int d = 3; d < 11; ++d)
    for (int o : {1, 2}) EXPECT_STREQ(kCgDatePatterns[o][d], kCgDatePatterns[0][d]) << o << " " << d;
  EXPECT_STREQ(kCgDatePatterns[0][10], "dddd mmmm d, yyyy");
  EXPECT_STREQ(kCgTimePatterns[3], "h:nn:ss ampm");
}

TEST(CgGlobal, EnumerationsAndTheControlSetAreOneByte) {
  static_assert(sizeof(TcgBorderStyle) == 1 && sizeof(TcgVAlignment) == 1 && sizeof(TcgClipStyle) == 1 &&
                sizeof(TcgButtonStyle) == 1 && sizeof(TcgFormatType) == 1 && sizeof(TcgControlType) == 1);
  static_assert(sizeof(TcgControlTypes) == 1);
  static_assert(std::is_base_of_v<EcgException, EcgColumnIndexOutOfRange> &&
                std::is_base_of_v<EcgException, EcgInvalidColumnName> && std::is_base_of_v<Exception, EcgException>);
  EXPECT_EQ(TcgControlTypes({TcgControlType::cgctlComboBox}).Bits(), 1u);
  EXPECT_EQ(TcgControlTypes({TcgControlType::cgctlButton}).Bits(), 2u);
  EXPECT_EQ(static_cast<int>(TcgBorderStyle::cgbrdDouble), 6);
  EXPECT_EQ(static_cast<int>(TcgFormatType::cgfmtScientific), 3);
}
