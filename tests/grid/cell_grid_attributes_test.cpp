// The attributes a cell is drawn with and the image beside its text: what painting and the editor rely on.

#include "tests/common/image_canvas.h"
#include "tests/common/pixels.h"
#include "tests/grid/cell_grid_probe.h"
#include "toolkit/widgets/image_list.h"
#include "toolkit/widgets/picture.h"

#include <deque>
#include <tuple>

using enum TGridDrawStateFlag;
using enum TcgCellState;
using enum TAlignment;
using enum TcgVAlignment;
using enum TcgClipStyle;
using enum TPanelBevel;

namespace {

struct TAttributes {
  TCgDrawInfo info;
  TColor color = clNone;
  TFont font;
  TPanelBevel outer = TPanelBevel::bvNone;
  TPanelBevel inner = TPanelBevel::bvNone;
  TcgCellStates state;
};

auto Look(const TAttributes& a) {
  return std::tuple(a.info.Text, a.info.HAlign, a.info.VAlign, a.info.ClipStyle, a.color, a.outer, a.inner);
}
auto Font(const TAttributes& a) { return std::tuple(a.font.Name(), a.font.Height(), a.font.Color()); }

// Four columns, a fixed title row and a fixed first column, texts "c:r".
struct CellGridAttributes : ::testing::Test {
  void SetUp() override { grid.SetSize(4, 5, 1); grid.FillTexts(); grid.UseFont(13); }
  // Fonts cannot be copied: each answer is kept here.
  const TAttributes& Get(int c, int r, TGridDrawState d, TcgHeading* h = nullptr) {
    TAttributes& a = results.emplace_back();
    a.info.Rect = {1, 2, 3, 4};
    grid.GetCellAttributes(c, r, d, h ? h : grid.ColumnAt(c), a.font, a.info, a.color, a.outer, a.inner, a.state);
    return a;
  }
  TProbeCellGrid grid;
  std::deque<TAttributes> results;
};

TEST_F(CellGridAttributes, ADataCellTakesItsColumnsLook) {
  TcgColumn& col = *grid.ColumnAt(2);
  col.SetColumnHAlignment(taRightJustify);
  col.SetColumnVAlignment(cgvaBottom);
  col.SetColumnClipStyle(cgclpWrap);
  col.SetColumnColor(clYellow);
  col.SetColumnOuterBevel(bvRaised);
  col.SetColumnInnerBevel(bvLowered);
  col.SetCaption("Caption");  // a data cell never shows it

  const TAttributes* a = &Get(2, 3, {});
  EXPECT_EQ(Look(*a), std::tuple(QString("2:3"), taRightJustify, cgvaBottom, cgclpWrap, clYellow, bvRaised, bvLowered));
  EXPECT_EQ(a->info.Canvas, &grid.GridCanvas());
  EXPECT_EQ(std::tuple(a->info.HMargin, a->info.VMargin, a->info.Col, a->info.Row), std::tuple(2, 1, 2, 3));
  EXPECT_EQ(a->info.Grid, static_cast<TCgGridSizing*>(&grid));
  EXPECT_EQ(a->info.DrawState, TGridDrawState{});
  EXPECT_EQ(a->info.Rect, (TRect{1, 2, 3, 4})) << "the rectangle is the caller's";
  EXPECT_EQ(a->state, TcgCellStates{});
  EXPECT_EQ(Font(*a), std::tuple(QString("DejaVu Sans"), 13, clWindowText)) << "the grid's font";
}

TEST_F(CellGridAttributes, AColumnsOwnFontIsUsedOnlyWhenItIsNotTheParents) {
  TcgColumn& col = *grid.ColumnAt(1);
  col.ColumnFont().SetName("Liberation Serif");
  col.ColumnFont().SetHeight(20);
  col.ColumnFont().SetColor(clRed);
  ASSERT_FALSE(col.ColumnParentFont());
  const TAttributes* a = &Get(1, 2, {});
  EXPECT_EQ(Font(*a), std::tuple(QString("Liberation Serif"), 20, clRed));
  EXPECT_TRUE(a->font.QtFont().isCopyOf(col.ColumnFont().QtFont())) << "the copy shares the Qt font";

  col.SetColumnParentFont(true);
  a = &Get(1, 2, {});
  EXPECT_EQ(Font(*a), std::tuple(QString("DejaVu Sans"), 13, clWindowText));

  // The title cell follows TitleParentFont / TitleFont, not the column's.
  col.SetColumnParentFont(false);
  a = &Get(1, 0, {gdFixed});
  EXPECT_EQ(a->font.Name(), "DejaVu Sans");
  col.TitleFont().SetName("Liberation Mono");
  a = &Get(1, 0, {gdFixed});
  EXPECT_EQ(a->font.Name(), "Liberation Mono");
}

TEST_F(CellGridAttributes, FixedCellsShowTheCaptionOnlyInTheTitleRow) {
  TcgColumn& col = *grid.ColumnAt(0);
  col.SetCaption("Title");
  col.SetTitleHAlignment(taLeftJustify);
  col.SetTitleVAlignment(cgvaTop);
  col.SetTitleClipStyle(cgclpEllipsis);
  col.SetTitleColor(clAqua);
  col.SetTitleOuterBevel(bvLowered);
  col.SetTitleInnerBevel(bvRaised);
  col.SetColumnColor(clYellow);

  const TAttributes* a = &Get(0, 0, {gdFixed});
  EXPECT_EQ(Look(*a), std::tuple(QString("Title"), taLeftJustify, cgvaTop, cgclpEllipsis, clAqua, bvLowered, bvRaised));
  EXPECT_EQ(std::tuple(a->state, a->info.DrawState), std::tuple(TcgCellStates{cgcsFixed}, TGridDrawState{gdFixed}));
  // A fixed cell of another row: its own text, the title look.
  a = &Get(0, 3, {gdFixed});
  EXPECT_EQ(Look(*a), std::tuple(QString("0:3"), taLeftJustify, cgvaTop, cgclpEllipsis, clAqua, bvLowered, bvRaised));
  // An empty caption leaves the title cell its own text; at creation: centred, wrapped, raised, button face.
  a = &Get(2, 0, {gdFixed});
  EXPECT_EQ(Look(*a), std::tuple(QString("2:0"), taCenter, cgvaCenter, cgclpWrap, clBtnFace, bvRaised, bvNone));
}

TEST_F(CellGridAttributes, SelectedCellsTakeTheHighlightColours) {
  grid.ColumnAt(1)->SetColumnColor(clYellow);
  grid.SetCellHighlightColor(clNavy);
  grid.SetCellHighlightFontColor(clLime);
  using enum TGridOption;
  const struct { TGridOptions options; TcgOptions cellOptions; TGridDrawState state; bool highlighted; } cases[] = {
      {{}, {TcgOption::cgoptHighlightSelection}, {gdSelected}, true},
      {{}, {TcgOption::cgoptHighlightSelection}, {gdSelected, gdFocused}, false},
      {{goDrawFocusSelected}, {TcgOption::cgoptHighlightSelection}, {gdSelected, gdFocused}, true},
      {{goDrawFocusSelected}, {TcgOption::cgoptHighlightSelection}, {gdFocused}, true},
      {{goDrawFocusSelected}, {TcgOption::cgoptDrawFocusRectangle}, {gdSelected, gdFocused}, false},
      {{goDrawFocusSelected}, {}, {gdSelected}, false},
      {{goDrawFocusSelected}, {TcgOption::cgoptHighlightSelection}, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "options " << c.options.Bits() << " cell options " << c.cellOptions.Bits()
                                    << " state " << c.state.Bits());
    grid.SetOptions(c.options);
    grid.SetCellOptions(c.cellOptions);
    const TAttributes* a = &Get(1, 2, c.state);
    EXPECT_EQ(a->color, c.highlighted ? clNavy : clYellow);
    EXPECT_EQ(a->font.Color(), c.highlighted ? clLime : clWindowText);
    TcgCellStates expected;
    if (c.state.Contains(gdSelected)) expected.Include(cgcsSelected);
    if (c.state.Contains(gdFocused)) expected.Include(cgcsFocused);
    EXPECT_EQ(a->state, expected);
  }
}

TEST_F(CellGridAttributes, AHeadingIsDrawnWithItsTitleLookAndMarked) {
  TcgHeading& h = *grid.Headings().Add();
  h.SetCaption("Band");
  h.SetTitleColor(clTeal);
  h.SetTitleHAlignment(taRightJustify);
  grid.ColumnAt(2)->SetCaption("Own");
  const TAttributes* a = &Get(2, 0, {gdFixed}, &h);
  EXPECT_EQ(Look(*a), std::tuple(QString("Band"), taRightJustify, cgvaCenter, cgclpWrap, clTeal, bvRaised, bvNone));
  EXPECT_EQ(std::tuple(a->state, a->info.Col, a->info.Row), std::tuple(TcgCellStates{cgcsFixed, cgcsHeading}, 2, 0));
}

TEST_F(CellGridAttributes, TheHandlerMayChangeTheLookButNotTheMarginsOrClipping) {
  struct TSeen { QObject* sender; int c, r; TcgHeading* column; TcgCellStates state; TColor color; };
  std::vector<TSeen> seen;
  grid.SetCellHighlightColor(clNavy);
  grid.OnChangeCellAttributes = [&](QObject* sender, int c, int r, TcgHeading* column, TcgCellStates state,
                                    TColor& color, TFont& font, TAlignment& h, TcgVAlignment& v, TPanelBevel& outer,
                                    TPanelBevel& inner) {
    seen.push_back({sender, c, r, column, state, color});
    std::tie(color, h, v, outer, inner) = std::tuple(clFuchsia, taRightJustify, cgvaBottom, bvLowered, bvRaised);
    font.SetStyle({TFontStyle::fsBold});
    font.SetColor(clMaroon);
  };
  const TAttributes* a = &Get(3, 1, {gdSelected});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(std::tuple(seen[0].sender, seen[0].c, seen[0].r, seen[0].column),
            (std::tuple<QObject*, int, int, TcgHeading*>(&grid, 3, 1, grid.ColumnAt(3))));
  EXPECT_EQ(seen[0].state, TcgCellStates{cgcsSelected});
  EXPECT_EQ(seen[0].color, clNavy) << "the handler sees the highlight";
  EXPECT_EQ(Look(*a),
            std::tuple(QString("3:1"), taRightJustify, cgvaBottom, cgclpEllipsis, clFuchsia, bvLowered, bvRaised));
  EXPECT_TRUE(a->font.Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(std::tuple(a->font.Color(), a->info.HMargin, a->info.VMargin), std::tuple(clMaroon, 2, 1));
}

struct CellGridImage : CellGridAttributes {
  struct TAsked { int c, r, heading; };
  void Answer(TPersistent* object, TcgImagePosition position, TAlignment h = taCenter,
              TcgVAlignment v = cgvaCenter, int margin = 2, int index = -1) {
    grid.OnGetCellImage = [=, this](QObject*, int c, int r, int heading, TPersistent*& obj, int& imageIndex,
                                    TcgImagePosition& pos, TAlignment& ha, TcgVAlignment& va, int& m) {
      asked.push_back({c, r, heading});
      starts.push_back(obj == nullptr && imageIndex == -1 && pos == TcgImagePosition::cgipLeft &&
                       ha == taCenter && va == cgvaCenter && m == 2);
      std::tie(obj, imageIndex, pos, ha, va, m) = std::tuple(object, index, position, h, v, margin);
    };
  }
  // What is left for the text of {10, 5, 110, 35} once the image of cell (c, r) is placed, and the ink drawn.
  struct TPlaced {
    TRect text;
    QRect ink;
    bool operator==(const TPlaced&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const TPlaced& p) {
      return os << p.text << " ink " << p.ink.x() << "," << p.ink.y() << " " << p.ink.width() << "x" << p.ink.height();
    }
  };
  TPlaced Place(int c, int r, int heading = -1, bool draw = true) {
    TImageCanvas ic(120, 40);
    TPlaced placed{{10, 5, 110, 35}, {}};
    grid.PlaceCellImage(c, r, heading, placed.text, draw, ic.canvas);
    placed.ink = ic.Ink();
    return placed;
  }
  TPicture picture;
  std::vector<TAsked> asked;
  std::vector<bool> starts;
};

TEST_F(CellGridImage, WithoutAnImageTheRectangleStays) {
  const TPlaced nothing{{10, 5, 110, 35}, {}};
  EXPECT_EQ(Place(1, 1), nothing) << "no handler";
  Answer(nullptr, TcgImagePosition::cgipLeft);
  EXPECT_EQ(Place(1, 1), nothing);
  TcgBorder notAnImage;
  Answer(&notAnImage, TcgImagePosition::cgipLeft);
  EXPECT_EQ(Place(1, 1), nothing);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(starts, (std::vector<bool>{true, true})) << "the handler starts from the defaults";
}

TEST_F(CellGridImage, EachSideTakesItsStripAndTheImageIsPlacedInIt) {
  using enum TcgImagePosition;
  const struct {
    int height;  // of the picture, 16 wide
    TcgImagePosition side; TAlignment h; TcgVAlignment v; int margin;
    QRect drawn;
    TRect text;  // what is left for the text; empty: not checked
  } cases[] = {
      {16, cgipLeft, taCenter, cgvaCenter, 2, {12, 12, 16, 16}, {30, 5, 110, 35}},  // 20 pixels further right
      {16, cgipLeft, taCenter, cgvaTop, 2, {12, 7, 16, 16}, {}},
      {16, cgipLeft, taCenter, cgvaBottom, 3, {13, 16, 16, 16}, {32, 5, 110, 35}},
      {12, cgipRight, taCenter, cgvaCenter, 2, {93, 14, 16, 12}, {10, 5, 90, 35}},
      {12, cgipTop, taLeftJustify, cgvaCenter, 2, {12, 7, 16, 12}, {10, 21, 110, 35}},
      {12, cgipTop, taRightJustify, cgvaCenter, 2, {92, 7, 16, 12}, {}},
      {12, cgipTop, taCenter, cgvaCenter, 2, {52, 7, 16, 12}, {}},
      {12, cgipBottom, taCenter, cgvaCenter, 2, {52, 22, 16, 12}, {10, 5, 110, 19}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << int(c.side) << " drawn at " << c.drawn.x() << "," << c.drawn.y());
    picture.SetBitmap(Solid(16, c.height, Qt::red));
    Answer(&picture, c.side, c.h, c.v, c.margin);
    const TPlaced placed = Place(2, 3);
    EXPECT_EQ(placed.ink, c.drawn);
    if (!(c.text == TRect{})) { EXPECT_EQ(placed.text, c.text); }
  }
  ASSERT_EQ(asked.size(), 8u);
  for (const TAsked& a : asked) EXPECT_EQ(std::tuple(a.c, a.r, a.heading), std::tuple(2, 3, -1));
}

TEST_F(CellGridImage, WithoutTheDrawFlagOnlyTheRectangleChanges) {
  picture.SetBitmap(Solid(16, 16, Qt::red));
  Answer(&picture, TcgImagePosition::cgipRight, taCenter, cgvaCenter, 1);
  EXPECT_EQ(Place(2, 3, -1, false), (TPlaced{{10, 5, 92, 35}, {}}));
}

TEST_F(CellGridImage, AnImageListGivesItsImageSizeAndDrawsTheImageAsked) {
  TImageList list(10, 8);
  list.Add(Solid(10, 8, Qt::red));
  list.Add(Solid(10, 8, Qt::blue));
  Answer(&list, TcgImagePosition::cgipLeft, taCenter, cgvaCenter, 2, 1);
  TImageCanvas ic(120, 40);
  TRect r{10, 5, 110, 35};
  grid.PlaceCellImage(0, 0, 4, r, true, ic.canvas);
  EXPECT_EQ(std::tuple(r, ic.Ink()), std::tuple(TRect{24, 5, 110, 35}, QRect(12, 16, 10, 8)));
  EXPECT_EQ(Hex(ic.At(15, 18)), "#0000ff") << "image 1";
  EXPECT_EQ(asked.back().heading, 4) << "a heading band asks with its heading";

  // An index outside the list takes the room but draws nothing.
  Answer(&list, TcgImagePosition::cgipLeft, taCenter, cgvaCenter, 2, 7);
  EXPECT_EQ(Place(0, 0), (TPlaced{{24, 5, 110, 35}, {}}));
}

}  // namespace
