// The attributes a cell is drawn with, and the image a handler puts beside
// its text: what the cell painting and the in-place editor both rely on.

#include "tests/common/image_canvas.h"
#include "tests/grid/cell_grid_probe.h"
#include "toolkit/widgets/image_list.h"
#include "toolkit/widgets/picture.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using enum TGridDrawStateFlag;
using enum TcgCellState;

namespace {

struct TAttributes {
  TCgDrawInfo info;
  TColor color = clNone;
  TFont font;
  TPanelBevel outer = TPanelBevel::bvNone;
  TPanelBevel inner = TPanelBevel::bvNone;
  TcgCellStates state;
};

// Four columns, a fixed title row and a fixed first column, texts "c:r".
class CellGridAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(4);
    grid.SetRowCount(5);
    grid.SetFixedCols(1);
    grid.FillTexts();
    QFont f("DejaVu Sans");
    f.setPixelSize(13);
    grid.setFont(f);
  }
  // Fonts cannot be copied: each answer is kept here.
  const TAttributes& Get(int c, int r, TGridDrawState d, TcgHeading* h = nullptr) {
    TAttributes& got = results.emplace_back();
    got.info.Rect = {1, 2, 3, 4};
    grid.GetCellAttributes(c, r, d, h ? h : grid.ColumnAt(c), got.font, got.info, got.color, got.outer, got.inner,
                           got.state);
    return got;
  }
  TProbeCellGrid grid;
  std::deque<TAttributes> results;
};

TEST_F(CellGridAttributes, ADataCellTakesItsColumnsLook) {
  TcgColumn& col = *grid.ColumnAt(2);
  col.SetColumnHAlignment(TAlignment::taRightJustify);
  col.SetColumnVAlignment(TcgVAlignment::cgvaBottom);
  col.SetColumnClipStyle(TcgClipStyle::cgclpWrap);
  col.SetColumnColor(clYellow);
  col.SetColumnOuterBevel(TPanelBevel::bvRaised);
  col.SetColumnInnerBevel(TPanelBevel::bvLowered);
  col.SetCaption("Caption");  // a data cell never shows it

  const TAttributes* a = &Get(2, 3, {});
  EXPECT_EQ(a->info.Canvas, &grid.GridCanvas());
  EXPECT_EQ(a->info.Text, "2:3");
  EXPECT_EQ(a->info.HMargin, 2);
  EXPECT_EQ(a->info.VMargin, 1);
  EXPECT_EQ(a->info.HAlign, TAlignment::taRightJustify);
  EXPECT_EQ(a->info.VAlign, TcgVAlignment::cgvaBottom);
  EXPECT_EQ(a->info.ClipStyle, TcgClipStyle::cgclpWrap);
  EXPECT_EQ(a->info.Col, 2);
  EXPECT_EQ(a->info.Row, 3);
  EXPECT_EQ(a->info.Grid, static_cast<TCgGridSizing*>(&grid));
  EXPECT_EQ(a->info.DrawState, TGridDrawState{});
  EXPECT_EQ(a->info.Rect, (TRect{1, 2, 3, 4})) << "the rectangle is the caller's";
  EXPECT_EQ(a->color, clYellow);
  EXPECT_EQ(a->outer, TPanelBevel::bvRaised);
  EXPECT_EQ(a->inner, TPanelBevel::bvLowered);
  EXPECT_EQ(a->state, TcgCellStates{});
  EXPECT_EQ(a->font.Name(), "DejaVu Sans") << "the grid's font";
  EXPECT_EQ(a->font.Height(), 13);
  EXPECT_EQ(a->font.Color(), clWindowText);
}

TEST_F(CellGridAttributes, AColumnsOwnFontIsUsedOnlyWhenItIsNotTheParents) {
  TcgColumn& col = *grid.ColumnAt(1);
  col.ColumnFont().SetName("Liberation Serif");
  col.ColumnFont().SetHeight(20);
  col.ColumnFont().SetColor(clRed);
  ASSERT_FALSE(col.ColumnParentFont());
  const TAttributes* a = &Get(1, 2, {});
  EXPECT_EQ(a->font.Name(), "Liberation Serif");
  EXPECT_EQ(a->font.Height(), 20);
  EXPECT_EQ(a->font.Color(), clRed);
  EXPECT_TRUE(a->font.QtFont().isCopyOf(col.ColumnFont().QtFont())) << "the copy shares the Qt font";

  col.SetColumnParentFont(true);
  a = &Get(1, 2, {});
  EXPECT_EQ(a->font.Name(), "DejaVu Sans");
  EXPECT_EQ(a->font.Color(), clWindowText);

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
  col.SetTitleHAlignment(TAlignment::taLeftJustify);
  col.SetTitleVAlignment(TcgVAlignment::cgvaTop);
  col.SetTitleClipStyle(TcgClipStyle::cgclpEllipsis);
  col.SetTitleColor(clAqua);
  col.SetTitleOuterBevel(TPanelBevel::bvLowered);
  col.SetTitleInnerBevel(TPanelBevel::bvRaised);
  col.SetColumnColor(clYellow);

  const TAttributes* a = &Get(0, 0, {gdFixed});
  EXPECT_EQ(a->info.Text, "Title");
  EXPECT_EQ(a->info.HAlign, TAlignment::taLeftJustify);
  EXPECT_EQ(a->info.VAlign, TcgVAlignment::cgvaTop);
  EXPECT_EQ(a->info.ClipStyle, TcgClipStyle::cgclpEllipsis);
  EXPECT_EQ(a->color, clAqua);
  EXPECT_EQ(a->outer, TPanelBevel::bvLowered);
  EXPECT_EQ(a->inner, TPanelBevel::bvRaised);
  EXPECT_EQ(a->state, TcgCellStates{cgcsFixed});
  EXPECT_EQ(a->info.DrawState, TGridDrawState{gdFixed});

  // A fixed cell of another row: its own text, the title look.
  a = &Get(0, 3, {gdFixed});
  EXPECT_EQ(a->info.Text, "0:3");
  EXPECT_EQ(a->color, clAqua);
  EXPECT_EQ(a->outer, TPanelBevel::bvLowered);

  // An empty caption leaves the title cell its own text; the look at
  // creation is centred, wrapped and raised on the button face.
  a = &Get(2, 0, {gdFixed});
  EXPECT_EQ(a->info.Text, "2:0");
  EXPECT_EQ(a->info.HAlign, TAlignment::taCenter);
  EXPECT_EQ(a->info.VAlign, TcgVAlignment::cgvaCenter);
  EXPECT_EQ(a->info.ClipStyle, TcgClipStyle::cgclpWrap);
  EXPECT_EQ(a->color, clBtnFace);
  EXPECT_EQ(a->outer, TPanelBevel::bvRaised);
  EXPECT_EQ(a->inner, TPanelBevel::bvNone);
}

TEST_F(CellGridAttributes, SelectedCellsTakeTheHighlightColours) {
  grid.ColumnAt(1)->SetColumnColor(clYellow);
  grid.SetCellHighlightColor(clNavy);
  grid.SetCellHighlightFontColor(clLime);
  using enum TGridOption;
  const struct {
    TGridOptions options;
    TcgOptions cellOptions;
    TGridDrawState state;
    bool highlighted;
  } cases[] = {
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
  h.SetTitleHAlignment(TAlignment::taRightJustify);
  grid.ColumnAt(2)->SetCaption("Own");
  const TAttributes* a = &Get(2, 0, {gdFixed}, &h);
  EXPECT_EQ(a->info.Text, "Band");
  EXPECT_EQ(a->color, clTeal);
  EXPECT_EQ(a->info.HAlign, TAlignment::taRightJustify);
  EXPECT_EQ(a->state, (TcgCellStates{cgcsFixed, cgcsHeading}));
  EXPECT_EQ(a->info.Col, 2);
  EXPECT_EQ(a->info.Row, 0);
}

TEST_F(CellGridAttributes, TheHandlerMayChangeTheLookButNotTheMarginsOrClipping) {
  struct TSeen {
    QObject* sender;
    int c, r;
    TcgHeading* column;
    TcgCellStates state;
    TColor color;
  };
  std::vector<TSeen> seen;
  grid.SetCellHighlightColor(clNavy);
  grid.OnChangeCellAttributes = [&](QObject* sender, int c, int r, TcgHeading* column, TcgCellStates state,
                                    TColor& color, TFont& font, TAlignment& h, TcgVAlignment& v, TPanelBevel& outer,
                                    TPanelBevel& inner) {
    seen.push_back({sender, c, r, column, state, color});
    color = clFuchsia;
    font.SetStyle({TFontStyle::fsBold});
    font.SetColor(clMaroon);
    h = TAlignment::taRightJustify;
    v = TcgVAlignment::cgvaBottom;
    outer = TPanelBevel::bvLowered;
    inner = TPanelBevel::bvRaised;
  };
  const TAttributes* a = &Get(3, 1, {gdSelected});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].sender, &grid);
  EXPECT_EQ(seen[0].c, 3);
  EXPECT_EQ(seen[0].r, 1);
  EXPECT_EQ(seen[0].column, grid.ColumnAt(3));
  EXPECT_EQ(seen[0].state, TcgCellStates{cgcsSelected});
  EXPECT_EQ(seen[0].color, clNavy) << "the handler sees the highlight";
  EXPECT_EQ(a->color, clFuchsia);
  EXPECT_TRUE(a->font.Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(a->font.Color(), clMaroon);
  EXPECT_EQ(a->info.HAlign, TAlignment::taRightJustify);
  EXPECT_EQ(a->info.VAlign, TcgVAlignment::cgvaBottom);
  EXPECT_EQ(a->outer, TPanelBevel::bvLowered);
  EXPECT_EQ(a->inner, TPanelBevel::bvRaised);
  EXPECT_EQ(a->info.HMargin, 2);
  EXPECT_EQ(a->info.VMargin, 1);
  EXPECT_EQ(a->info.ClipStyle, TcgClipStyle::cgclpEllipsis);
}

// --- the image step ------------------------------------------------------------------

QImage Filled(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return img;
}

class CellGridImage : public CellGridAttributes {
 protected:
  struct TAsked {
    int c, r, heading;
  };
  // Answers every cell with `object` placed as given.
  void Answer(TPersistent* object, TcgImagePosition position, TAlignment h = TAlignment::taCenter,
              TcgVAlignment v = TcgVAlignment::cgvaCenter, int margin = 2, int index = -1) {
    grid.OnGetCellImage = [=, this](QObject*, int c, int r, int heading, TPersistent*& obj, int& imageIndex,
                                    TcgImagePosition& pos, TAlignment& ha, TcgVAlignment& va, int& m) {
      asked.push_back({c, r, heading});
      starts.push_back(obj == nullptr && imageIndex == -1 && pos == TcgImagePosition::cgipLeft &&
                       ha == TAlignment::taCenter && va == TcgVAlignment::cgvaCenter && m == 2);
      obj = object;
      imageIndex = index;
      pos = position;
      ha = h;
      va = v;
      m = margin;
    };
  }
  // Places the image on R = {10, 5, 110, 35} and returns where it was drawn.
  QRect PlaceAndDraw(TRect& r) {
    TImageCanvas ic(120, 40);
    r = {10, 5, 110, 35};
    grid.PlaceCellImage(2, 3, -1, r, true, ic.canvas);
    return ic.Ink();
  }
  TPicture picture;
  std::vector<TAsked> asked;
  std::vector<bool> starts;
};

TEST_F(CellGridImage, WithoutAnImageTheRectangleStays) {
  TImageCanvas ic(120, 40);
  TRect r{10, 5, 110, 35};
  grid.PlaceCellImage(1, 1, -1, r, true, ic.canvas);  // no handler
  EXPECT_EQ(r, (TRect{10, 5, 110, 35}));

  Answer(nullptr, TcgImagePosition::cgipLeft);
  grid.PlaceCellImage(1, 1, -1, r, true, ic.canvas);
  EXPECT_EQ(r, (TRect{10, 5, 110, 35}));

  TcgBorder notAnImage;
  Answer(&notAnImage, TcgImagePosition::cgipLeft);
  grid.PlaceCellImage(1, 1, -1, r, true, ic.canvas);
  EXPECT_EQ(r, (TRect{10, 5, 110, 35}));
  EXPECT_EQ(ic.InkCount(), 0);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(starts, (std::vector<bool>{true, true})) << "the handler starts from the defaults";
}

TEST_F(CellGridImage, APictureOnTheLeftTakesItsWidthAndTwoMarginsAndIsCentredInItsStrip) {
  picture.SetBitmap(Filled(16, 16, Qt::red));
  Answer(&picture, TcgImagePosition::cgipLeft);
  TRect r;
  EXPECT_EQ(PlaceAndDraw(r), QRect(12, 12, 16, 16));
  EXPECT_EQ(r, (TRect{30, 5, 110, 35})) << "the text starts 20 pixels further right";
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].c, 2);
  EXPECT_EQ(asked[0].r, 3);
  EXPECT_EQ(asked[0].heading, -1);

  Answer(&picture, TcgImagePosition::cgipLeft, TAlignment::taCenter, TcgVAlignment::cgvaTop);
  EXPECT_EQ(PlaceAndDraw(r), QRect(12, 7, 16, 16));
  Answer(&picture, TcgImagePosition::cgipLeft, TAlignment::taCenter, TcgVAlignment::cgvaBottom, 3);
  EXPECT_EQ(PlaceAndDraw(r), QRect(13, 16, 16, 16));
  EXPECT_EQ(r, (TRect{32, 5, 110, 35}));
}

TEST_F(CellGridImage, TheOtherSidesTakeTheirStrips) {
  picture.SetBitmap(Filled(16, 12, Qt::red));
  TRect r;
  Answer(&picture, TcgImagePosition::cgipRight);
  EXPECT_EQ(PlaceAndDraw(r), QRect(93, 14, 16, 12));
  EXPECT_EQ(r, (TRect{10, 5, 90, 35}));

  Answer(&picture, TcgImagePosition::cgipTop, TAlignment::taLeftJustify);
  EXPECT_EQ(PlaceAndDraw(r), QRect(12, 7, 16, 12));
  EXPECT_EQ(r, (TRect{10, 21, 110, 35}));
  Answer(&picture, TcgImagePosition::cgipTop, TAlignment::taRightJustify);
  EXPECT_EQ(PlaceAndDraw(r), QRect(92, 7, 16, 12));
  Answer(&picture, TcgImagePosition::cgipTop, TAlignment::taCenter);
  EXPECT_EQ(PlaceAndDraw(r), QRect(52, 7, 16, 12));

  Answer(&picture, TcgImagePosition::cgipBottom, TAlignment::taCenter);
  EXPECT_EQ(PlaceAndDraw(r), QRect(52, 22, 16, 12));
  EXPECT_EQ(r, (TRect{10, 5, 110, 19}));
}

TEST_F(CellGridImage, WithoutTheDrawFlagOnlyTheRectangleChanges) {
  picture.SetBitmap(Filled(16, 16, Qt::red));
  Answer(&picture, TcgImagePosition::cgipRight, TAlignment::taCenter, TcgVAlignment::cgvaCenter, 1);
  TImageCanvas ic(120, 40);
  TRect r{10, 5, 110, 35};
  grid.PlaceCellImage(2, 3, -1, r, false, ic.canvas);
  EXPECT_EQ(r, (TRect{10, 5, 92, 35}));
  EXPECT_EQ(ic.InkCount(), 0);
}

TEST_F(CellGridImage, AnImageListGivesItsImageSizeAndDrawsTheImageAsked) {
  TImageList list(10, 8);
  list.Add(Filled(10, 8, Qt::red));
  list.Add(Filled(10, 8, Qt::blue));
  Answer(&list, TcgImagePosition::cgipLeft, TAlignment::taCenter, TcgVAlignment::cgvaCenter, 2, 1);
  TImageCanvas ic(120, 40);
  TRect r{10, 5, 110, 35};
  grid.PlaceCellImage(0, 0, 4, r, true, ic.canvas);
  EXPECT_EQ(r, (TRect{24, 5, 110, 35}));
  EXPECT_EQ(ic.Ink(), QRect(12, 16, 10, 8));
  EXPECT_EQ(Hex(ic.At(15, 18)), "#0000ff") << "image 1";
  EXPECT_EQ(asked.back().heading, 4) << "a heading band asks with its heading";

  // An index outside the list takes the room but draws nothing.
  Answer(&list, TcgImagePosition::cgipLeft, TAlignment::taCenter, TcgVAlignment::cgvaCenter, 2, 7);
  TImageCanvas empty(120, 40);
  r = {10, 5, 110, 35};
  grid.PlaceCellImage(0, 0, -1, r, true, empty.canvas);
  EXPECT_EQ(r.Left, 24);
  EXPECT_EQ(empty.InkCount(), 0);
}

}  // namespace
