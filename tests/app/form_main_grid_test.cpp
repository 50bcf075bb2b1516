// The message list as the window's definition sets it up, and what a user
// meets in it: the captions, and title cells that press but select nothing.

#include <QImage>
#include <QPixmap>

#include "tests/app/form_main_fixture.h"
#include "tests/common/message_of.h"

namespace formmain_test {
namespace {

const std::string kNoDevice = "/nonexistent/orvix-tty";

// Rows 1 and 3 are voice messages.
const char* const kThreeMessages =
    "clock running 5 0 0\n"
    "message voice 14 0 9 12\n"
    "message fax 2 0 14 3\n"
    "message voice 7 1 8 45\n";

class FormMainGrid : public FormMainTest {};

TEST_F(FormMainGrid, TheGridIsSetUpByItsDefinition) {
  WriteSettings(kNoDevice);
  CreateForm();
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
}

TEST_F(FormMainGrid, TheTitleRowShowsTheCaptions) {
  WriteSettings(kNoDevice);
  CreateForm();
  ProcessFor(50ms);
  TCellGrid& g = *form_->GridMsgStore;
  const QImage image = g.viewport()->grab().toImage();
  // Each title cell holds dark text pixels on the button face.
  for (int c = 0; c < 4; ++c) {
    const TRect r = g.CellRect(c, 0);
    int dark = 0;
    for (int x = r.Left; x < r.Right; ++x)
      for (int y = r.Top; y < r.Bottom; ++y) dark += image.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 5) << c;
  }
  if (const char* file = std::getenv("ORVIX_GRID_SCREENSHOT")) {
    EXPECT_TRUE(image.save(file));
  }
}

TEST_F(FormMainGrid, ClickingATitleCellSelectsNothing) {
  CreateFormWithFastModem(kThreeMessages);
  ASSERT_TRUE(boxes_.Requests.empty());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  TCellGrid& g = *form_->GridMsgStore;
  int clicks = 0;
  g.OnClick = [&, windowHandler = g.OnClick](QObject* sender) {
    ++clicks;
    windowHandler(sender);
  };
  const auto middle = [&](int c, int r) {
    const TRect cell = g.CellRect(c, r);
    return QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  };
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, middle(1, 2));
  ASSERT_EQ(g.Row(), 2);
  ASSERT_EQ(clicks, 1);
  const std::size_t said = DialogueSize();

  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, middle(1, 0));
  QTest::mouseClick(g.viewport(), Qt::RightButton, {}, middle(3, 0));
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(clicks, 1);
  QTest::keyClick(&g, Qt::Key_Up);  // the keys still work
  EXPECT_EQ(g.Row(), 1);
  EXPECT_TRUE(form_->BtnPlay->Enabled()) << "row 1 is a voice message";
  ProcessFor(200ms);
  EXPECT_EQ(DialogueSize(), said) << "nothing was said to the modem";
}

}  // namespace
}  // namespace formmain_test
