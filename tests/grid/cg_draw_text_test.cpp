// Cell text: margins, alignment, clip styles and the size requests it posts.

#include "grid/cg_global.h"
#include "tests/common/image_canvas.h"
#include "toolkit/widgets/string_grid.h"
#include "toolkit/widgets/text_layout.h"

#include <QFrame>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

namespace {

void UseTestFont(TCanvas& c) {
  c.Font().SetName("DejaVu Sans");
  c.Font().SetHeight(11);  // 13 pixels from line to line
  c.Font().SetColor(clBlack);
}

struct TTextCanvas : TImageCanvas { TTextCanvas(int w, int h) : TImageCanvas(w, h) { UseTestFont(canvas); } };

TCgDrawInfo DataCell(TCanvas& canvas, const QString& text, TRect rect) {
  return {.Canvas = &canvas, .Text = text, .Rect = rect, .HMargin = 2, .VMargin = 1, .DrawState = {}};
}

// A one-line text whose measured width is exactly `width` in the canvas font.
QString TextOfWidth(TCanvas& c, int width) {
  const QString chars = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  auto measure = [&](const QString& s) {
    TRect r{0, 0, 1000, 0};
    DrawTextEx(c, s, r, DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    return r.Right;
  };
  for (QChar a : chars)
    for (QChar b : chars)
      for (int n = 1; n < 30; ++n)
        for (int m = 0; m < 4; ++m)
          if (const QString s = QString(n, a) + QString(m, b); measure(s) == width) return s;
  return {};
}

// A string grid answering size requests as the grid control does, drawing each cell's text with DrawCellText.
struct TSizingGrid : TStringGrid, TCgGridSizing {
  TSizingGrid() {
    setFrameShape(QFrame::NoFrame);
    SetScrollBars(TScrollStyle::ssNone);
    SetDefaultDrawing(false);
    setFont([] { QFont f("DejaVu Sans"); f.setPixelSize(11); return f; }());
    SetColCount(3);
    SetRowCount(3);
    SetFixedCols(0);
    SetFixedRows(0);
    SetDefaultRowHeight(20);
    SetColWidths(1, 50);
    resize(400, 200);
    show();
    QApplication::processEvents();
  }
  bool CellAdjustColWidth() const override { return adjustCols; }
  bool CellAdjustRowHeight() const override { return adjustRows; }
  QObject* SizeRequestTarget() override { return this; }

  void Paint() { QImage img(viewport()->size(), QImage::Format_RGB32); viewport()->render(&img); }
  // Paints afresh and delivers the size requests it posted.
  void PaintAndApply() { requests.clear(); Paint(); QApplication::processEvents(); }

  bool adjustCols = true, adjustRows = true;
  std::function<void(TCgDrawInfo&)> setUp;   // per cell, before drawing
  std::vector<TMessageEvent> requests;       // every size request received
  std::vector<int> widthsSeenWhileDrawing;   // ColWidths(1) right after each draw of column 1

  bool event(QEvent* e) override {
    if (e->type() == TMessageEvent::EventType()) {
      const auto& m = static_cast<const TMessageEvent&>(*e);
      requests.emplace_back(m.Msg, m.WParam, m.LParam);
      if (ApplySizeRequest(*this, m)) return true;
    }
    return TStringGrid::event(e);
  }
  void DrawCell(int c, int r, const TRect& rect, TGridDrawState state) override {
    TCanvas canvas(Canvas(), palette());
    canvas.Font().AssignQFont(font());
    TCgDrawInfo info = DataCell(canvas, Cells(c, r), rect);
    std::tie(info.Col, info.Row, info.Grid, info.DrawState) = std::tuple(c, r, this, state);
    if (setUp) setUp(info);
    DrawCellText(info);
    if (c == 1) widthsSeenWhileDrawing.push_back(ColWidths(1));
  }
};

int CountOf(const std::vector<TMessageEvent>& rq, unsigned m) { return std::ranges::count(rq, m, &TMessageEvent::Msg); }

}  // namespace

TEST(CgDrawText, AnEightyPixelTextInAFiftyPixelColumnAsksForEightyFiveUnlessTheUserSizesColumns) {
  TSizingGrid grid;
  TCanvas measuring;
  measuring.Font().AssignQFont(grid.font());
  const QString text = TextOfWidth(measuring, 80);
  ASSERT_FALSE(text.isEmpty()) << "no test text measures 80 pixels in this font";
  TRect area{2, 0, 48, 20};  // the text area of a 50-pixel column
  ASSERT_EQ(RectWidth(area), 47);
  DrawTextEx(measuring, text, area, DT_NOPREFIX | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_CALCRECT);
  ASSERT_EQ(RectWidth(area), 81);

  grid.SetCells(1, 1, text);
  grid.setUp = [](TCgDrawInfo& info) { info.ClipStyle = TcgClipStyle::cgclpEllipsis; };
  grid.requests.clear();
  grid.widthsSeenWhileDrawing.clear();
  grid.Paint();
  ASSERT_FALSE(grid.widthsSeenWhileDrawing.empty());
  EXPECT_EQ(grid.widthsSeenWhileDrawing.back(), 50);  // posted, not applied during the paint
  EXPECT_TRUE(grid.requests.empty());
  QApplication::processEvents();
  ASSERT_EQ(CountOf(grid.requests, CGM_ADJUSTCOLWIDTH), 1);
  EXPECT_EQ(grid.requests[0].WParam, 1);
  EXPECT_EQ(std::tuple(grid.requests[0].LParam, grid.ColWidths(1)), std::tuple(85, 85));

  // At 85 the text fits: painting again asks for nothing more.
  grid.PaintAndApply();
  EXPECT_EQ(std::pair(CountOf(grid.requests, CGM_ADJUSTCOLWIDTH), grid.ColWidths(1)), std::pair(0, 85));

  // Where the user sizes the columns the request is made but not applied.
  grid.SetOptions(grid.Options() + TGridOptions{TGridOption::goColSizing});
  grid.SetColWidths(1, 50);
  grid.PaintAndApply();
  EXPECT_GE(CountOf(grid.requests, CGM_ADJUSTCOLWIDTH), 1);
  EXPECT_EQ(grid.ColWidths(1), 50);
}

TEST(CgDrawText, AWrappedTextInAShortRowAsksForItsHeightPlusTheMargins) {
  TSizingGrid grid;
  grid.SetColWidths(1, 60);
  const QString text = "one two three four five six";
  grid.SetCells(1, 2, text);
  grid.setUp = [](TCgDrawInfo& info) { info.ClipStyle = TcgClipStyle::cgclpWrap; };

  TCanvas measuring;
  measuring.Font().AssignQFont(grid.font());
  TRect area{2, 0, 58, 0};
  const int wrapped = DrawTextEx(measuring, text, area, DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_CALCRECT);
  ASSERT_GT(wrapped, 20);

  grid.PaintAndApply();
  ASSERT_EQ(CountOf(grid.requests, CGM_ADJUSTROWHEIGHT), 1);
  EXPECT_EQ(std::tuple(grid.RowHeights(2), grid.RowHeights(1)), std::tuple(wrapped + 2, 20));

  grid.SetOptions(grid.Options() + TGridOptions{TGridOption::goRowSizing});
  grid.SetRowHeights(2, 20);
  grid.PaintAndApply();
  EXPECT_EQ(grid.RowHeights(2), 20);
}

TEST(CgDrawText, NoRequestsWhenTheGridDoesNotAdjustOrThereIsNoGrid) {
  TSizingGrid grid;
  grid.adjustCols = grid.adjustRows = false;
  grid.SetCells(1, 1, "A text far wider than fifty pixels\nand two lines high\nthree");
  grid.PaintAndApply();
  EXPECT_EQ(std::tuple(grid.requests.empty(), grid.ColWidths(1)), std::tuple(true, 50));

  TTextCanvas c(100, 30);
  DrawCellText(DataCell(c.canvas, "A text far wider than the cell", {0, 0, 40, 20}));  // Grid unset
  EXPECT_FALSE(c.Ink().isNull());
}

TEST(CgDrawText, CentringAThirteenPixelTextInEighteenPixelsMovesItDownByTwoAFixedCellsStartsOneHigher) {
  auto inkTop = [](TcgVAlignment v, TRect cell = {0, 0, 60, 18}, bool fixed = false) {
    TTextCanvas c(60, 40);
    TCgDrawInfo info = DataCell(c.canvas, "Hg", cell);  // 18 high: text area rows 0..17
    info.VAlign = v;
    if (fixed) info.DrawState.Include(TGridDrawStateFlag::gdFixed);
    DrawCellText(info);
    return c.Ink().top();
  };
  TCanvas c;
  UseTestFont(c);
  TRect probe{0, 0, 60, 0};
  ASSERT_EQ(DrawTextEx(c, "Hg", probe, DT_NOPREFIX | DT_CALCRECT), 13);
  using enum TcgVAlignment;
  const int top = inkTop(cgvaTop);
  EXPECT_EQ(std::tuple(inkTop(cgvaCenter) - top, inkTop(cgvaBottom) - top), std::tuple(2, 17 - 13));
  EXPECT_EQ(inkTop(cgvaCenter, {0, 0, 60, 19}) - inkTop(cgvaTop, {0, 0, 60, 19}), 3);  // (19 - 13) / 2
  EXPECT_EQ(inkTop(cgvaTop, {0, 10, 60, 30}) - inkTop(cgvaTop, {0, 10, 60, 30}, true), 1);
}

TEST(CgDrawText, AnAmpersandIsDrawnAsItselfAndNoLetterIsUnderlined) {
  TTextCanvas cell(120, 24);
  DrawCellText(DataCell(cell.canvas, "Fax&Data", {0, 0, 120, 20}));

  // The same rectangle as the cell's text area, "&&" being one plain '&'.
  TTextCanvas expected(120, 24);
  expected.canvas.Brush().SetStyle(TBrushStyle::bsClear);
  TRect area{2, 0, 118, 19};
  DrawTextEx(expected.canvas, "Fax&&Data", area, DT_EXPANDTABS);
  EXPECT_EQ(cell.End(), expected.End());

  TTextCanvas without(120, 24);
  DrawCellText(DataCell(without.canvas, "FaxData", {0, 0, 120, 20}));
  EXPECT_NE(cell.End(), without.End());
}

TEST(CgDrawText, ClipStylesAndAlignmentKeepTheTextInsideTheMargins) {
  const QString text = "Receive Time 12/03/2024 10:15:00";
  const TRect cell{10, 5, 90, 25};  // text area x 12..87
  auto drawn = [&](TcgClipStyle clip, TAlignment align, const QString& what) {
    auto c = std::make_unique<TTextCanvas>(120, 60);
    TCgDrawInfo info = DataCell(c->canvas, what, cell);
    info.ClipStyle = clip;
    info.HAlign = align;
    DrawCellText(info);
    return c;
  };
  auto clipped = drawn(TcgClipStyle::cgclpClip, TAlignment::taLeftJustify, text);
  auto ellipsis = drawn(TcgClipStyle::cgclpEllipsis, TAlignment::taLeftJustify, text);
  auto wrapped = drawn(TcgClipStyle::cgclpWrap, TAlignment::taLeftJustify, text);
  auto right = drawn(TcgClipStyle::cgclpClip, TAlignment::taRightJustify, text);
  for (auto* c : {clipped.get(), ellipsis.get(), wrapped.get(), right.get()}) {
    const QRect ink = c->Ink();
    EXPECT_GE(ink.left(), 12);
    EXPECT_LE(ink.right(), 87);
  }
  EXPECT_NE(clipped->End(), ellipsis->End());
  EXPECT_LE(wrapped->Ink().bottom(), 23);  // clipped one pixel above the cell's bottom
  EXPECT_GT(wrapped->Ink().height(), clipped->Ink().height());

  EXPECT_NE(right->End(), clipped->End());
  auto shortRight = drawn(TcgClipStyle::cgclpClip, TAlignment::taRightJustify, "Fax");
  EXPECT_GE(shortRight->Ink().right(), 85);
  EXPECT_LE(shortRight->Ink().right(), 87);
  EXPECT_EQ(shortRight->canvas.Brush().Style(), TBrushStyle::bsClear);
}
