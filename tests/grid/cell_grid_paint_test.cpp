// Cell painting in a grabbed grid's pixels: looks, highlight, focus, pressing, bands, images, events, failures.

#include "tests/common/image_canvas.h"
#include "tests/common/pixels.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/grid/cell_grid_probe.h"
#include "tests/toolkit/locales.h"
#include "toolkit/widgets/picture.h"

#include <QPointer>

#include <stdexcept>

using enum TGridOption;

namespace {

// Fusion's colours, which the tests run with.
const char *const kFace = "#efefef", *const kLight = "#ffffff", *const kShadow = "#9f9f9f", *const kWindow = "#ffffff";
const char *const kHighlight = "#308cc6", *const kBlack = "#000000", *const kSilver = "#c0c0c0";

// Five 60-pixel columns (c starts at 61 c), a title row, three 20-pixel rows (r at 21 r), no fixed column.
struct CellGridPaint : ::testing::Test {
  void SetUp() override {
    grid.SetSize(5, 4, 0);
    grid.SetDefaultColWidth(60);
    grid.SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine});
    grid.UseFont(11);
    grid.FillTexts();
    grid.ShowClient(400, 200);
    Focus(4, 3);  // out of the way unless a test moves it
  }
  void Focus(int c, int r) { grid.SetCol(c); grid.SetRow(r); grid.setFocus(); QApplication::processEvents(); }
  // The title row and the line below it.
  QImage Title(const QImage& img) { return img.copy(0, 0, img.width(), grid.RowHeights(0) + 1); }
  QImage Grab() { return grid.viewport()->grab().toImage(); }
  std::string At(const QImage& img, int x, int y) { return Hex(img.pixelColor(x, y)); }
  QPoint Middle(int c, int r) { return Center(grid.CellRect(c, r)); }
  // Failure boxes come after the paint.
  QImage GrabAndSettle() { QImage img = Grab(); QApplication::processEvents(); return img; }

  TProbeCellGrid grid;
};

TEST_F(CellGridPaint, TitleCellsAreRaisedButtonFacesWithTheirCaptionSunkenWhilePressed) {
  grid.ColumnAt(1)->SetCaption("Name");
  const QImage img = Grab();
  const int l = 61, r = 120;  // column 1
  ExpectPixels(img, {{l, 0, kLight}, {l, 10, kLight}, {90, 0, kLight},
                     {r, 0, kShadow, "the shadow owns the top-right corner"}, {r, 10, kShadow},
                     {l, 19, kShadow, "and the bottom-left one"}, {90, 19, kShadow}, {l + 1, 1, kFace},
                     {r + 1, 10, kBlack, "fixed line"}, {90, 20, kBlack}});
  // Centred both ways: the caption's ink sits in the middle of the cell.
  const QRect ink = InkIn(img, QRect(l + 1, 1, 58, 18), QColor(kFace));
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 90, 1.5);
  EXPECT_NEAR(ink.center().y(), 9, 2.5);

  // Top left, so the text moves as its rectangle does (centring would halve the move).
  grid.ColumnAt(1)->SetTitleHAlignment(TAlignment::taLeftJustify);
  grid.ColumnAt(1)->SetTitleVAlignment(TcgVAlignment::cgvaTop);
  const QImage normal = Title(Grab());
  const QRect area(62, 1, 57, 18);
  const QRect normalInk = InkIn(normal, area, QColor(kFace));

  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Middle(1, 0));
  ASSERT_TRUE(grid.PressedLook);
  const QImage pressed = Title(Grab());
  ExpectPixels(pressed, {{61, 0, kShadow}, {61, 10, kShadow}, {120, 10, kLight}, {90, 19, kLight},
                         {62, 1, kFace, "no inner bevel"}});
  EXPECT_EQ(InkIn(pressed, area, QColor(kFace)), normalInk.translated(2, 2));
  EXPECT_EQ(pressed.copy(0, 0, 61, 21), normal.copy(0, 0, 61, 21)) << "only the pressed cell";

  QTest::mouseMove(grid.viewport(), Middle(1, 2));  // dragged off
  EXPECT_EQ(Title(Grab()), normal);
  QTest::mouseMove(grid.viewport(), Middle(1, 0));
  EXPECT_EQ(Title(Grab()), pressed);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Middle(1, 0));
  EXPECT_EQ(Title(Grab()), normal);

  // A right press is tracked but never drawn sunken.
  QTest::mousePress(grid.viewport(), Qt::RightButton, {}, Middle(1, 0));
  EXPECT_TRUE(grid.Tracking);
  EXPECT_EQ(Title(Grab()), normal);
  QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, Middle(1, 0));
}

TEST_F(CellGridPaint, ARowZeroCellWithoutCaptionAndFixedCellsBelowShowTheirOwnTextUnformatted) {
  grid.SetFixedCols(1);
  grid.SetCells(0, 2, "1234.5");
  grid.ColumnAt(0)->SetTitleColor(clAqua);
  const QImage plain = Grab();
  grid.ColumnAt(0)->SetFormatType(TcgFormatType::cgfmtNumeric);
  std::vector<std::pair<int, int>> formatted;
  grid.OnDisplayText = [&](QObject*, int c, int r, TcgColumn*, QString&, bool&) { formatted.emplace_back(c, r); };
  QImage img = Grab();
  for (const auto& [c, r] : formatted) EXPECT_FALSE(c == 0 || r == 0) << c << "," << r << " is fixed";
  EXPECT_FALSE(formatted.empty());
  EXPECT_EQ(img, plain) << "a fixed cell shows its number as stored";
  ExpectPixels(img, {{30, 50, "#00ffff", "the title colour in another row"}, {0, 45, kLight, "the title bevel"}});

  // Row 0's own text shows where the caption is empty.
  auto textInk = [&](const QImage& i, int c, int r, QColor bg) {
    return InkIn(i, grid.CellRect(c, r).ToQRect().adjusted(1, 1, -1, -1), bg);
  };
  EXPECT_FALSE(textInk(img, 2, 0, QColor(kFace)).isEmpty() || textInk(img, 0, 2, QColor("#00ffff")).isEmpty());
  grid.SetCells(2, 0, "");
  grid.SetCells(0, 2, "");
  img = Grab();
  EXPECT_TRUE(textInk(img, 2, 0, QColor(kFace)).isEmpty() && textInk(img, 0, 2, QColor("#00ffff")).isEmpty());
}

TEST_F(CellGridPaint, DataCellsTakeTheColumnColourAndTheSelectionTheHighlight) {
  grid.SetOptions(grid.Options() + TGridOptions{goRowSelect, goDrawFocusSelected});
  grid.ColumnAt(3)->SetColumnColor(clYellow);
  Focus(1, 2);
  QImage img = Grab();
  ExpectPixels(img, {{5, 25, kWindow}, {200, 25, "#ffff00"}, {30, 41, kSilver, "a normal line"}});
  for (int c = 0; c < 5; ++c) EXPECT_EQ(At(img, 61 * c + 50, 45), kHighlight) << c;
  // The text of a highlighted cell is in the highlight text colour.
  int light = 0;
  for (int x = 65; x < 115; ++x) for (int y = 43; y < 59; ++y) light += img.pixelColor(x, y).lightness() > 230;
  EXPECT_GT(light, 5);

  // Focus rectangle: every other edge pixel dotted in the ink that stands out (black on this blue).
  ASSERT_EQ(grid.Col(), 1);
  const TRect f = grid.CellRect(1, 2);
  ExpectPixels(img, {{f.Left, f.Top + 1, kBlack, "(61 + 43) even"}, {f.Left, f.Top + 2, kHighlight},
                     {f.Right - 1, f.Bottom - 2, kBlack, "(120 + 60) even"},
                     {61 * 2, f.Top, kHighlight, "no focus rectangle on the other cells"}});

  // Highlight off: selected cells keep their column colour.
  grid.SetCellOptions({TcgOption::cgoptDrawFocusRectangle});
  ExpectPixels(Grab(), {{233, 45, "#ffff00"}, {100, 45, kWindow},
                        {f.Left, f.Top + 1, kBlack, "the focus rectangle on white"}});

  // goDrawFocusSelected off: the focused cell keeps its colour, the rest of the row is highlighted.
  grid.SetCellOptions({TcgOption::cgoptHighlightSelection});
  grid.SetOptions(grid.Options() - TGridOptions{goDrawFocusSelected});
  ExpectPixels(Grab(), {{100, 45, kWindow}, {30, 45, kHighlight}, {233, 45, kHighlight},
                        {f.Left, f.Top + 1, kWindow, "no focus rectangle without its option"}});
}

// Columns 1-3 under heading 0, 4 under heading 1; a 40-pixel title row: bands of 19 rows, the last the line.
struct CellGridHeadings : CellGridPaint {
  void SetUp() override {
    CellGridPaint::SetUp();
    grid.Headings().Add()->SetCaption("One long heading");
    grid.Headings().Add()->SetCaption("Next");
    for (int c = 1; c <= 3; ++c) grid.ColumnAt(c)->SetHeadingIndex(0);
    grid.ColumnAt(4)->SetHeadingIndex(1);
    grid.ColumnAt(2)->SetCaption("Mid");
    grid.SetRowHeights(0, 40);
    grid.OnFixedCellClick = [this](QObject*, int c, int r, int h, auto&&...) { clicks.push_back({c, r, h}); };
  }
  struct TClick { int c, r, heading; bool operator==(const TClick&) const = default; };
  std::vector<TClick> clicks;
};

TEST_F(CellGridHeadings, ThreeColumnsShareOneBandThatCoversTheLinesBetweenThemOneCellRepaintsAlone) {
  const QImage img = Grab();
  // One raised band from x 61 to 242, rows 0 to 17, the line at row 18.
  ExpectPixels(img, {{61, 0, kLight}, {61, 16, kLight}, {241, 0, kLight}, {242, 0, kShadow}, {242, 10, kShadow},
                     {150, 17, kShadow}});
  for (int x : {61, 121, 150, 182, 242}) EXPECT_EQ(At(img, x, 18), kBlack) << x;
  // The lines between the span's columns are covered in the band, and only there.
  for (int x : {121, 182}) ExpectPixels(img, {{x, 0, kLight}, {x, 16, kFace}, {x, 30, kBlack, "below the band"}});
  ExpectPixels(img, {{243, 8, kBlack, "column 4 starts a new band: the line before it stays"}, {244, 0, kLight},
                     {243 + 60, 8, kShadow, "column 4's band ends at its own cell"},
                     {0, 30, kLight, "column 0 has no heading: one title cell over the whole row height"}});

  // The caption is laid out once across the span: centred on it, wider than one column.
  const QRect ink = InkIn(img, QRect(62, 1, 180, 16), QColor(kFace));
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GT(ink.width(), 60);
  EXPECT_NEAR(ink.center().x(), (61 + 242) / 2.0, 1.5);
  // Below the band each column shows its own caption.
  const QRect mid = InkIn(img, QRect(123, 20, 58, 19), QColor(kFace));
  ASSERT_FALSE(mid.isEmpty());
  EXPECT_NEAR(mid.center().x(), 152, 1.5);
  EXPECT_EQ(At(img, 122, 19), kLight) << "the caption's cell starts under the band";

  // Each cell copies its slice of the band, so one cell repaints alone.
  for (int c = 1; c <= 3; ++c) {
    const QRect cell = grid.CellRect(c, 0).ToQRect();
    EXPECT_EQ(grid.viewport()->grab(cell).toImage(), img.copy(cell)) << c;
  }
}

TEST_F(CellGridHeadings, APressedBandIsSunkenAcrossTheSpanAndItsClickCarriesTheHeading) {
  grid.Headings().Items(0)->SetTitleHAlignment(TAlignment::taLeftJustify);
  grid.Headings().Items(0)->SetTitleVAlignment(TcgVAlignment::cgvaTop);
  const QImage normal = Title(Grab());
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(150, 9));
  ASSERT_EQ(grid.PressedHeading, 0);
  QImage img = Title(Grab());
  ExpectPixels(img, {{61, 0, kShadow}, {241, 0, kShadow}, {242, 10, kLight}, {150, 17, kLight},
                     {244, 0, kLight, "the other band stays raised"},
                     {122, 19, kLight, "the column's own caption stays raised"}});
  const QRect area(62, 1, 180, 16);
  EXPECT_EQ(InkIn(img, area, QColor(kFace)), InkIn(normal, area, QColor(kFace)).translated(2, 2));

  QTest::mouseMove(grid.viewport(), QPoint(210, 9));  // along the band into column 3
  EXPECT_EQ(Title(Grab()), img);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(210, 9));
  EXPECT_EQ(clicks, (std::vector<TClick>{{3, 0, 0}}));
  EXPECT_EQ(Title(Grab()), normal);
}

TEST_F(CellGridPaint, AnImageOnTheLeftMovesTheTextByItsWidthAndTwoMargins) {
  TPicture picture;
  picture.SetBitmap(Solid(16, 16, Qt::red));
  const QRect area(123, 43, 58, 18);  // cell (2, 2) inside its edges
  const QRect before = InkIn(Grab(), area, QColor(kWindow));
  ASSERT_FALSE(before.isEmpty());
  grid.OnGetCellImage = [&](QObject*, int c, int r, int, TPersistent*& object, auto&&...) {
    if (c == 2 && r == 2) object = &picture;
  };
  const QImage img = Grab();
  EXPECT_EQ(InkIn(img, QRect(122, 42, 20, 20), QColor(kWindow)), QRect(124, 44, 16, 16)) << "centred in its strip";
  EXPECT_EQ(InkIn(img, QRect(142, 42, 40, 20), QColor(kWindow)), before.translated(20, 0));
}

TEST_F(CellGridPaint, TheEventsComeInTheirOrderAndTheBandsFirst) {
  grid.Headings().Add()->SetCaption("Band");
  grid.ColumnAt(1)->SetHeadingIndex(0);
  grid.ColumnAt(2)->SetFormatType(TcgFormatType::cgfmtNumeric);
  grid.SetCells(2, 1, "abc");
  std::vector<std::string> events;
  auto want = [](int c, int r) { return (c == 1 && r == 0) || (c == 2 && r == 1); };
  auto note = [&](const char* what, int c, int r) {
    if (want(c, r) || c < 0) events.push_back(std::string(what) + " " + std::to_string(c) + "," + std::to_string(r));
  };
  grid.OnChangeCellAttributes = [&](QObject*, int c, int r, TcgHeading* h, auto&&...) {
    note(dynamic_cast<TcgColumn*>(h) ? "attributes" : "band attributes", c, r);
  };
  grid.OnChangeCellBorders = [&](QObject*, int c, int r, auto&&...) { note("borders", c, r); };
  grid.OnGetCellImage = [&](QObject*, int c, int r, int h, auto&&...) { note(h >= 0 ? "band image" : "image", c, r); };
  grid.OnDisplayText = [&](QObject*, int c, int r, TcgColumn*, QString&, bool&) { note("display", c, r); };
  grid.OnConversionError = [&](QObject*, int c, int r, TcgColumn*, QString&) { note("conversion", c, r); };
  grid.OnDrawCell = [&](QObject*, int c, int r, const TRect& rect, TGridDrawState) {
    note("draw", c, r);
    EXPECT_EQ(rect, grid.CellRect(c, r)) << "the whole cell";
  };
  grid.invalidated.clear();
  grid.viewport()->grab(QRect(61, 0, 121, 41));  // cells (1, 0) and (2, 1) and their neighbours
  EXPECT_EQ(events, (std::vector<std::string>{
                        "band attributes 1,0", "borders -1,-1", "band image 1,0",  // the band first
                        "attributes 1,0", "borders 1,0", "image 1,0", "draw 1,0",  // a title: no display text
                        "attributes 2,1", "borders 2,1", "image 2,1", "display 2,1", "conversion 2,1", "draw 2,1"}));
}

TEST_F(CellGridPaint, BordersAreDrawnInsideTheCellAndTheRestFilled) {
  TcgColumn& col = *grid.ColumnAt(1);
  col.TopBorder().SetStyle(TcgBorderStyle::cgbrdSolid);
  col.TopBorder().SetWidth(2);
  col.TopBorder().SetColor(clRed);
  col.SetColumnColor(clYellow);
  std::vector<int> sawRows;
  grid.OnChangeCellBorders = [&](QObject*, int c, int r, TcgHeading*, TcgCellStates, TcgBorder&, TcgBorder&,
                                 TcgBorder&, TcgBorder& left) {
    if (c == 1 && r == 2) { left.SetStyle(TcgBorderStyle::cgbrdSolid); left.SetColor(clBlue); }
    if (c == 1) sawRows.push_back(r);
  };
  ExpectPixels(Grab(), {{90, 21, "#ff0000"}, {90, 22, "#ff0000"}, {90, 23, "#ffff00"},
                        {61, 30, "#ffff00", "no left border in row 1"},
                        {61, 50, "#0000ff", "the handler's left border in row 2"},
                        {61, 42, "#0000ff", "the left border owns the top-left corner"}, {62, 50, "#ffff00"},
                        {90, 0, "#ff0000", "the title cell has the border too"},
                        {90, 2, kLight, "and its bevel inside it"}});
  EXPECT_EQ(sawRows, (std::vector<int>{0, 1, 2, 3}));
  grid.OnChangeCellBorders = nullptr;
  EXPECT_EQ(At(Grab(), 61, 50), "#ffff00") << "the scratch border is the column's again";
}

TEST_F(CellGridPaint, AFailingCellShowsOneBoxAfterThePaintAndTheOthersStillPaint) {
  ScriptedMessageBoxes boxes;
  std::vector<std::size_t> boxesWhilePainting;
  grid.OnChangeCellAttributes = [&](QObject*, int c, int r, TcgHeading*, TcgCellStates, TColor& color, auto&&...) {
    boxesWhilePainting.push_back(boxes.Requests.size());
    if (c == 2 && r == 2) throw std::runtime_error("attributes failed");
    if (c == 3 && r == 2) color = clLime;
  };
  const QImage img = Grab();
  EXPECT_TRUE(boxes.Requests.empty()) << "no box inside the paint";
  QApplication::processEvents();
  ASSERT_EQ(boxes.Requests.size(), 1u);
  EXPECT_EQ(boxes.Requests[0].Text, "Caught exception in drawCell");
  EXPECT_EQ(boxes.Requests[0].Detail, "attributes failed");
  EXPECT_EQ(boxes.Requests[0].Type, TMsgBoxType::mbtError);
  EXPECT_EQ(At(img, 61 * 3 + 30, 50), "#00ff00") << "the cell after it painted";
  EXPECT_EQ(At(img, 61 * 2 + 30, 30), kWindow);
  for (std::size_t n : boxesWhilePainting) EXPECT_EQ(n, 0u);

  // Every cell failing: one box per cell painted.
  grid.OnChangeCellAttributes = [](auto&&...) { throw EcgException("no"); };
  boxes.Requests.clear();
  GrabAndSettle();
  EXPECT_EQ(boxes.Requests.size(), 20u);
  for (const auto& b : boxes.Requests) EXPECT_EQ(b.Text, "Caught exception in drawCell");

  // Closing a box repaints the cells under it: the same failure again is not reported, or boxes never end.
  boxes.Requests.clear();
  GrabAndSettle();
  EXPECT_TRUE(boxes.Requests.empty());
  // Once a cell has painted, a new failure of it is reported again.
  grid.OnChangeCellAttributes = nullptr;
  Grab();
  grid.OnChangeCellAttributes = [](auto&&...) { throw EcgException("no"); };
  GrabAndSettle();
  EXPECT_EQ(boxes.Requests.size(), 20u);
}

TEST_F(CellGridPaint, WithEveryColumnHiddenTheCellsPaintEmptyWithoutABox) {
  ScriptedMessageBoxes boxes;
  grid.SetOptions(grid.Options() + TGridOptions{goEditing});
  for (int i = 0; i < grid.Columns().Count(); ++i) grid.Columns().Items(i)->SetVisible(false);
  ASSERT_EQ(grid.ColCount(), 1);
  const QImage img = GrabAndSettle();
  EXPECT_EQ(std::tuple(boxes.Requests.empty(), At(img, 30, 50)), std::tuple(true, kWindow));
  QString text;
  EXPECT_FALSE(grid.CellTextCut(0, 2, text));  // nothing shown, nothing cut
  QTest::keyClick(&grid, Qt::Key_F2);  // no column: nothing to edit
  EXPECT_FALSE(grid.EditorMode());
}

TEST_F(CellGridPaint, AHeadingIndexPastTheHeadingsFailsThatTitleCellOnly) {
  ScriptedMessageBoxes boxes;
  grid.ColumnAt(2)->SetHeadingIndex(3);
  const QImage img = GrabAndSettle();
  ASSERT_EQ(boxes.Requests.size(), 1u);
  EXPECT_EQ(boxes.Requests[0].Detail, "List index out of bounds (3)");
  EXPECT_EQ(At(img, 61 * 2 + 30, 30), kWindow);
}

TEST_F(CellGridPaint, AGridGoneWhileAFailureBoxIsUpGetsNoMoreBoxes) {
  ScriptedMessageBoxes boxes;
  auto* doomed = new TProbeCellGrid;
  doomed->ShowClient(200, 100);
  QApplication::processEvents();
  doomed->OnChangeCellAttributes = [](auto&&...) { throw EcgException("no"); };
  QPointer<TProbeCellGrid> alive(doomed);
  boxes.OnShow = [&](const TMessageBoxRequest&) { delete alive.data(); };
  doomed->viewport()->grab();
  QApplication::processEvents();
  EXPECT_EQ(std::tuple(alive.isNull(), boxes.Requests.size()), std::tuple(true, 1u));
}

struct TReadableGrid : TProbeCellGrid { using TCellGrid::AccessibleCellText; };

TEST(CellGridAccessible, CellsAreReadAsShown) {
  TReadableGrid grid;
  grid.SetSize(2, grid.RowCount(), 0);
  grid.ColumnAt(0)->SetCaption("Amount");
  grid.ColumnAt(0)->SetFormatType(TcgFormatType::cgfmtScientific);
  const struct { int c, r; const char *stored, *read; } cells[] = {
      {0, 0, "own", "Amount"}, {1, 0, "title text", "title text"}, {0, 1, "1234.5", "1.23E+03"}, {0, 2, "abc", "abc"}};
  for (const auto& c : cells) grid.SetCells(c.c, c.r, c.stored);
  DefaultLocale english(English());
  for (const auto& c : cells) EXPECT_EQ(grid.AccessibleCellText(c.c, c.r), c.read) << c.stored;
  grid.OnDisplayText = [](QObject*, int, int, TcgColumn*, QString&, bool&) { throw std::runtime_error("x"); };
  EXPECT_EQ(grid.AccessibleCellText(0, 1), "1234.5") << "reading does not fail";
}

}  // namespace
