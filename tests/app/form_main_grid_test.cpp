// The message list as its definition sets it up and as a user meets it: captions, titles, cut texts, the demo.

#include <QPixmap>
#include <QToolTip>

#include "grid/cg_hint_grid.h"

#include "tests/app/form_main_fixture.h"
#include "tests/common/image_canvas.h"
#include "tests/common/message_of.h"
#include "tests/common/pixels.h"

namespace formmain_test {
namespace {

// Keeps the picture in the file the environment variable names, if it is set.
bool SavedIfAsked(const QImage& image, const char* variable) {
  const char* file = std::getenv(variable);
  return !file || image.save(file);
}

class FormMainGrid : public FormMainTest {
 protected:
  // Received on a Wednesday in September: too long for the column in the locales the tests run under.
  void CreateFormWithLongReceiveTimes() {
    StartModem(kThreeMessages, {"--speed", "0.01"});
    WriteSettings(sim_->Device(), "[ClockReset]\nDate=2025,9,17\nTime=9,5\n");
    CreateForm();
  }
};

TEST_F(FormMainGrid, TheGridIsSetUpByItsDefinitionAndItsTitleRowShowsTheCaptions) {
  CreateFormWithoutDevice();
  TCellGrid& g = *form_->GridMsgStore;
  ASSERT_EQ(g.Columns().Count(), 4);
  const char* captions[] = {"#", "Type", "Duration", "Receive Time"};
  const char* names[] = {"Number", "Type", "Duration", "Receive Time"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    const TcgColumn& c = *g.Columns().Items(i);
    EXPECT_EQ(c.Caption(), captions[i]);
    EXPECT_EQ(c.Name(), names[i]);
    EXPECT_TRUE(c.ReadOnly());
    EXPECT_TRUE(c.Visible());
    EXPECT_EQ(c.ColumnHAlignment(), TAlignment::taCenter);
    EXPECT_EQ(c.ColumnVAlignment(), TcgVAlignment::cgvaCenter);
    EXPECT_EQ(c.TitleHAlignment(), TAlignment::taCenter);
    EXPECT_EQ(c.HeadingIndex(), -1);
    EXPECT_EQ(g.ColumnAt(i), &c);
  }
  EXPECT_EQ(g.Headings().Count(), 0);
  EXPECT_EQ(g.ColCount(), 4);
  EXPECT_EQ(g.VisibleColumnCount(), 4);
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.FixedCols(), 0);
  EXPECT_EQ((std::vector<int>{g.ColWidths(0), g.ColWidths(1), g.ColWidths(2), g.ColWidths(3)}),
            (std::vector<int>{45, 80, 80, 159}));
  EXPECT_EQ(g.DefaultRowHeight(), 20);
  EXPECT_FALSE(g.DefaultDrawing());
  using enum TGridOption;
  EXPECT_EQ(g.Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected,
                                       goRowSelect, goThumbTracking}));
  EXPECT_EQ(g.ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_EQ(g.CellOptions(), (TcgOptions{TcgOption::cgoptDrawFocusRectangle, TcgOption::cgoptHighlightSelection}));
  EXPECT_FALSE(g.AutoAcceptSuggestion());
  EXPECT_TRUE(g.CellColumnClick());
  EXPECT_TRUE(g.ColumnsRegistryKey().isEmpty()) << "the program keeps no widths";
  EXPECT_EQ(g.Hint(), "Click the message to select");
  EXPECT_EQ(g.toolTip(), "Click the message to select");

  EXPECT_EQ(g.ColumnByName("receive time"), g.Columns().Items(3));
  EXPECT_THROW(g.ColumnAt(4), EcgColumnIndexOutOfRange);
  EXPECT_EQ(MessageOf([&] { g.ColumnAt(4); }), "TCellGrid: Column index out of range");

  HandleEventsFor(50ms);  // the layout's pending updates land first
  const QImage image = g.viewport()->grab().toImage();
  // Each title cell holds dark text pixels on the button face.
  for (int c = 0; c < 4; ++c) {
    const TRect r = g.CellRect(c, 0);
    int dark = 0;
    for (int x = r.Left; x < r.Right; ++x)
      for (int y = r.Top; y < r.Bottom; ++y) dark += image.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 5) << c;
  }
  EXPECT_TRUE(SavedIfAsked(image, "ORVIX_GRID_SCREENSHOT"));
}

std::string Hex(const QImage& img, int x, int y) { return img.pixelColor(x, y).name().toStdString(); }

// What a user meets in the list: its look, and title cells that press but select nothing.
TEST_F(FormMainGrid, TheMessageListLooksAsItsDefinitionSaysAndTitlesSelectNothing) {
  CreateFormWithLongReceiveTimes();
  ASSERT_TRUE(boxes_.Requests.empty());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  TCellGrid& g = *form_->GridMsgStore;
  ASSERT_EQ(g.Row(), 1);
  int clicks = 0;
  g.OnClick = [&, windowHandler = g.OnClick](QObject* sender) { ++clicks; windowHandler(sender); };
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, Middle(g, 1, 2));
  ASSERT_EQ(g.Row(), 2);
  ASSERT_EQ(clicks, 1);
  ASSERT_TRUE(g.hasFocus());
  const QImage img = g.viewport()->grab().toImage();

  // Title row: button face, raised bevel, black lines, captions centred.
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    const TRect t = g.CellRect(c, 0);
    ExpectPixels(img, {{t.Left, t.Top, "#ffffff"}, {t.Left, t.Top + 10, "#ffffff"},
                       {t.Right - 1, t.Top + 10, "#9f9f9f"}, {t.Left + 5, t.Bottom - 1, "#9f9f9f"},
                       {t.Left + 1, t.Top + 1, "#efefef"}, {t.Right, t.Top + 10, "#000000"},
                       {t.Left + 2, t.Bottom, "#000000"}});
    const QRect ink = InkIn(img, QRect(t.Left + 1, t.Top + 1, t.Width() - 2, t.Height() - 2), QColor("#efefef"));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), (t.Left + t.Right - 1) / 2.0, 1.5);
    EXPECT_NEAR(ink.center().y(), (t.Top + t.Bottom - 1) / 2.0, 2.5);
  }
  // Data rows: window colour, texts centred; the current row highlighted; the focus around the clicked cell.
  for (int c = 0; c < 3; ++c) {
    SCOPED_TRACE(c);
    const TRect d = g.CellRect(c, 1);
    EXPECT_EQ(Hex(img, d.Left + 1, d.Top + 1), "#ffffff");
    const QRect ink = InkIn(img, QRect(d.Left, d.Top, d.Width(), d.Height()), QColor("#ffffff"));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), (d.Left + d.Right - 1) / 2.0, 1.5);
    EXPECT_NEAR(ink.center().y(), (d.Top + d.Bottom - 1) / 2.0, 2.5);
    const TRect h = g.CellRect(c, 2);
    EXPECT_EQ(Hex(img, h.Left + 3, h.Top + 2), "#308cc6");
    int light = 0;
    for (int x = h.Left; x < h.Right; ++x)
      for (int y = h.Top; y < h.Bottom; ++y) light += img.pixelColor(x, y).lightness() > 230;
    EXPECT_GT(light, 3) << "text in the highlight text colour";
  }
  EXPECT_EQ(Hex(img, g.CellRect(0, 1).Right, 30), "#c0c0c0") << "a normal line";
  const TRect f = g.CellRect(1, 2);
  const int even = (f.Left + f.Top) % 2 == 0 ? 0 : 1;  // the first dot of the top edge
  EXPECT_EQ(Hex(img, f.Left + even, f.Top), "#000000") << "black stands out from the highlight";
  EXPECT_EQ(Hex(img, f.Left + even + 1, f.Top), "#308cc6");
  EXPECT_EQ(Hex(img, g.CellRect(2, 2).Left + even, f.Top), "#308cc6") << "only around the focused cell";

  // The receive time does not fit its 159 pixels: it ends in an ellipsis, which has no ink in the upper half.
  const TRect rt = g.CellRect(3, 1);
  QString whole;
  ASSERT_TRUE(g.CellTextCut(3, 1, whole));
  EXPECT_EQ(whole, g.Cells(3, 1));
  const QRect ink = InkIn(img, QRect(rt.Left, rt.Top, rt.Width(), rt.Height()), QColor("#ffffff"));
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_LE(ink.right(), rt.Right - 3) << "inside the cell's margin";
  EXPECT_LE(ink.left(), rt.Left + 5) << "the cut text fills the cell";
  const QRect end = InkIn(img, QRect(ink.right() - 8, ink.top(), 9, ink.height() / 2), QColor("#ffffff"));
  EXPECT_TRUE(end.isEmpty()) << "ink at the top of the last glyph: " << end.x() << "," << end.y();
  EXPECT_TRUE(SavedIfAsked(img, "ORVIX_GRID_CLOSEUP"));

  const std::size_t said = DialogueSize();
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, Middle(g, 1, 0));
  QTest::mouseClick(g.viewport(), Qt::RightButton, {}, Middle(g, 3, 0));
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(clicks, 1);
  QTest::keyClick(&g, Qt::Key_Up);  // the keys still work
  EXPECT_EQ(g.Row(), 1);
  EXPECT_TRUE(form_->BtnPlay->Enabled()) << "row 1 is a voice message";
  HandleEventsFor(200ms);  // a command would go out meanwhile
  EXPECT_EQ(DialogueSize(), said) << "nothing was said to the modem";
}

// What shows over the grid at a moment: the cell hint, the tooltip, or both.
struct TShown { bool cellHint, tooltip; bool operator==(const TShown&) const = default; };
void PrintTo(const TShown& s, std::ostream* out) { *out << "cell hint " << s.cellHint << ", tooltip " << s.tooltip; }

TEST_F(FormMainGrid, ACutReceiveTimeShowsWholeAsAHintAndTheTooltipShowsElsewhere) {
  CreateFormWithLongReceiveTimes();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  TCellGrid& g = *form_->GridMsgStore;
  auto* hint = g.findChild<TcgHintWindow*>();
  ASSERT_NE(hint, nullptr);
  QString whole, fits;
  ASSERT_TRUE(g.CellTextCut(3, 1, whole));
  ASSERT_FALSE(g.CellTextCut(1, 1, fits)) << "\"" << fits.toStdString() << "\" fits";
  ASSERT_FALSE(g.CellTextCut(3, 0, fits)) << "the caption fits";

  // Rests the mouse at a point and watches a while: both must never show at once.
  bool both = false;
  auto restAt = [&](QPoint at) {
    QTest::mouseMove(g.viewport(), at);
    WaitUntil([&] { return (both = both || (hint->isVisible() && QToolTip::isVisible()), false); }, 1500ms);
    return TShown{hint->isVisible(), QToolTip::isVisible()};
  };
  auto restOn = [&](int c, int r) { return restAt(Middle(g, c, r)); };

  EXPECT_EQ(restOn(3, 1), (TShown{true, false})) << "no tooltip over a cut cell";
  EXPECT_EQ(hint->Caption(), whole);
  const TRect cell = g.CellRect(3, 1);
  EXPECT_EQ(hint->pos(), g.viewport()->mapToGlobal(QPoint(cell.Left, cell.Top))) << "over the cell";
  EXPECT_EQ(restAt(Middle(g, 3, 1) + QPoint(3, 2)), (TShown{true, false})) << "moving within the cell";

  EXPECT_EQ(restOn(1, 1), (TShown{false, true})) << "the type fits: no cell hint";
  EXPECT_EQ(QToolTip::text(), "Click the message to select");

  // Along the row: the tooltip hangs below the pointer, and a move onto it would be a move off the grid.
  EXPECT_EQ(restOn(2, 1), (TShown{false, true}));

  ASSERT_TRUE(g.CellTextCut(3, 3, whole));
  EXPECT_EQ(restOn(3, 3), (TShown{true, false})) << "from a shown tooltip into a cut cell";
  EXPECT_EQ(hint->Caption(), g.Cells(3, 3));
  EXPECT_FALSE(both) << "the cell hint and the tooltip showed at once";
}

// The window on the emulator's demo modem; ORVIX_SCREENSHOT names a file to keep the picture in.
TEST_F(FormMainGrid, TheDemoModemRendersItsList) {
  StartModem(ReadFile(ORVIX_SOURCE_DIR "/tools/modem-sim/scenarios/demo.scn"));
  WriteSettings(sim_->Device(), "[ClockReset]\nDate=2025,3,14\nTime=8,0\n");
  CreateForm();
  ASSERT_TRUE(boxes_.Requests.empty()) << boxes_.Texts()[0];
  EXPECT_EQ(Label(), "6 received messages") << "the fax and the voice message of one minute share a row";
  EXPECT_EQ(Column(0).at(5), "7");
  HandleEventsFor(100ms);  // the layout's pending updates land first

  const QImage image = form_->grab().toImage();
  ASSERT_EQ(image.size(), QSize(390, 172) * image.devicePixelRatio());
  // The list's text is drawn: the message rows are not one flat colour.
  const QRect rows(0, 44 + 21, 390, 20);
  QColor first = image.pixelColor(rows.topLeft());
  bool varied = false;
  for (int x = rows.left(); x <= rows.right() && !varied; ++x)
    for (int y = rows.top(); y <= rows.bottom() && !varied; ++y) varied = image.pixelColor(x, y) != first;
  EXPECT_TRUE(varied);
  EXPECT_TRUE(SavedIfAsked(image, "ORVIX_SCREENSHOT"));
}

}  // namespace
}  // namespace formmain_test
