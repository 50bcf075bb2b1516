#include "tests/common/pixels.h"
#include "tests/grid/cg_edit_fixture.h"

#include <QPainter>
#include <QStyle>

namespace {

using CgEditLayout = CgEditTest;

QRgb Sys(TColor c, const QWidget* w) { return Rgb(ResolveColor(c, w->palette())); }

TEST_F(CgEditLayout, BothAidsSitAtTheRightEdgeButtonOutermostWithTheirCursorAndDoubleClicks) {
  TProbeEdit* e = Edit(3, 1);
  const int bar = e->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(std::tuple(e->HasButton, e->HasDropDown, e->ArrowWidth, e->ButtonWidth), std::tuple(true, true, bar, bar));
  EXPECT_EQ(e->TextRect, (TRect{2, 2, e->width() - 2, e->height()}));
  EXPECT_EQ(e->ButtonRect, (TRect{e->width() - bar, 0, e->width(), e->height()}));
  EXPECT_EQ(e->ArrowRect, (TRect{e->width() - 2 * bar, 0, e->width() - bar, e->height()}));
  // The text ends where the aids begin (less the text area's own margin).
  EXPECT_EQ(e->FormattingRect(), (TRect{2, 2, e->width() - 2 - 2 * bar, e->height()}));

  // One aid: it takes the right edge.
  e = Edit(2, 1);
  EXPECT_EQ(std::pair(e->HasButton, e->HasDropDown), std::pair(true, false));
  EXPECT_EQ(e->ButtonRect, (TRect{e->width() - bar, 0, e->width(), e->height()}));
  e = Edit(1, 1);
  EXPECT_EQ(e->ArrowRect, (TRect{e->width() - bar, 0, e->width(), e->height()}));
  EXPECT_EQ(e->FormattingRect(), (TRect{2, 2, e->width() - 2 - bar, e->height()}));
  e = Edit(4, 1);
  EXPECT_FALSE(e->HasButton || e->HasDropDown);
  EXPECT_EQ(e->FormattingRect(), (TRect{2, 2, e->width() - 2, e->height()}));

  int clicks = 0;
  grid->OnButtonClick = [&](QObject*, int, int) { ++clicks; };
  e = Edit(3, 1);
  // The arrow over the aids, the text cursor over the text.
  for (const TRect& aid : {e->ButtonRect, e->ArrowRect}) EXPECT_EQ(e->childAt(e->Center(aid)), nullptr);
  EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor);
  QWidget* text = e->childAt(e->TextRect.Left + 3, e->height() / 2);
  ASSERT_EQ(text, e->viewport());
  EXPECT_EQ(text->cursor().shape(), Qt::IBeamCursor);

  // A double click on the button is one click; on the arrow it opens the list once and leaves it open.
  DoubleClick(e, e->Center(e->ButtonRect));
  EXPECT_EQ(clicks, 1);
  DoubleClick(e, e->Center(e->ArrowRect));
  EXPECT_TRUE(e->ListVisible);
  QTest::mouseClick(e, Qt::LeftButton, {}, e->Center(e->ArrowRect));
  EXPECT_FALSE(e->ListVisible);
}

TEST_F(CgEditLayout, ReadOnlyFromTheColumnOrTheHandlerAndTheLengthLimit) {
  std::vector<std::pair<int, int>> asked;
  bool answer = false;
  grid->OnGetReadOnly = [&](QObject* sender, int c, int r, bool& readOnly) {
    EXPECT_EQ(sender, grid);
    asked.emplace_back(c, r);
    EXPECT_EQ(readOnly, Column(c)->ReadOnly());  // starts at the column's
    readOnly = answer;
  };
  grid->SetCells(4, 2, "text");
  TProbeEdit* e = Edit(4, 2);
  EXPECT_FALSE(e->ReadOnly());
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), (std::pair<int, int>{4, 2}));

  answer = true;
  e = Edit(4, 1);
  EXPECT_TRUE(e->ReadOnly());
  QTest::keyClicks(e, "xyz");
  EXPECT_EQ(grid->Cells(4, 1), "");

  grid->OnGetReadOnly = nullptr;
  Column(4)->SetReadOnly(true);
  e = Edit(4, 2);
  EXPECT_TRUE(e->ReadOnly());
  Column(4)->SetReadOnly(false);
  Column(4)->SetMaxTextLength(3);
  e = Edit(4, 3);
  EXPECT_FALSE(e->ReadOnly());
  QTest::keyClicks(e, "abcdef");
  EXPECT_EQ(grid->Cells(4, 3), "abc");
}

TEST_F(CgEditLayout, TheCellsColourFontAndImageShapeTheEditor) {
  grid->OnChangeCellAttributes = [&](QObject*, int c, int r, TcgHeading*, TcgCellStates state, TColor& color,
                                     TFont& font, auto&&...) {
    if (c != 4 || r != 2) return;
    // The editor asks with an empty draw state.
    EXPECT_FALSE(state.Contains(TcgCellState::cgcsSelected) || state.Contains(TcgCellState::cgcsFocused) ||
                 state.Contains(TcgCellState::cgcsFixed));
    color = ColorFromRgb(250, 240, 200);
    font.SetStyle(TFontStyles{TFontStyle::fsBold});
    font.SetColor(clMaroon);
  };
  TPicture image;
  image.SetBitmap(Solid(16, 16, QColor(0, 128, 255)));
  grid->OnGetCellImage = [&](QObject*, int c, int r, int headingIndex, TPersistent*& object, int&,
                             TcgImagePosition& position, TAlignment&, TcgVAlignment&, int& margin) {
    if (c != 4 || r != 2 || headingIndex != -1) return;
    std::tie(object, position, margin) = std::tuple(&image, TcgImagePosition::cgipLeft, 2);
  };
  TProbeEdit* e = Edit(4, 2);
  EXPECT_EQ(std::tuple(e->Color(), e->font().bold(), e->palette().color(QPalette::Text)),
            std::tuple(QColor(250, 240, 200), true, QColor(128, 0, 0)));
  // The image takes 16 + 2 * 2 pixels off the text area's left.
  EXPECT_EQ(std::pair(e->TextRect.Left, e->FormattingRect().Left), std::pair(2 + 20, 22));

  // Painted: the image near the editor's left, the rest in the cell colour.
  const QImage shot = e->grab().toImage();
  EXPECT_EQ(Rgb(shot.pixelColor(2 + 8, e->height() / 2)), Rgb(QColor(0, 128, 255)));
  EXPECT_EQ(Rgb(shot.pixelColor(e->width() - 3, 1)), Rgb(QColor(250, 240, 200)));

  // Another cell and its list: the grid's own look again, not the one the last cell left in the palette.
  const QPalette own = grid->palette();
  e = Edit(4, 3);
  EXPECT_EQ(std::tuple(e->Color(), e->font().bold(), e->palette().color(QPalette::Text), e->TextRect.Left),
            std::tuple(own.color(QPalette::Base), false, own.color(QPalette::Text), 2));
  e = Edit(1, 3);
  QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(std::pair(e->PickList->palette().color(QPalette::Base), e->PickList->palette().color(QPalette::Text)),
            std::pair(own.color(QPalette::Base), own.color(QPalette::Text)));
}

TEST_F(CgEditLayout, TypingOnAReadOnlyCellOpensTheEditorButChangesNothing) {
  Column(4)->SetReadOnly(true);
  grid->OnGetReadOnly = [](QObject*, int c, int, bool& readOnly) { readOnly = readOnly || c == 2; };
  for (int c : {4, 2}) {
    grid->SetCells(c, 1, "kept");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(c, 1).ToQRect().topLeft() + QPoint(5, 5));
    ASSERT_EQ(grid->Col(), c);
    QTest::keyClick(grid, 'x');
    ASSERT_TRUE(grid->Editor()->isVisible());
    EXPECT_EQ(grid->Editor()->EditText(), "kept") << c;
    QTest::keyClick(grid->Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(c, 1), "kept") << c;
  }
}

QImage Shot(TProbeEdit* e) { return e->grab().toImage(); }

TEST_F(CgEditLayout, TheEllipsisButtonIsRaisedAndItsDotsMoveAPixelWhilePressed) {
  TProbeEdit* e = Edit(2, 1);
  const TRect b = e->ButtonRect;
  const int x = b.Left + RectWidth(b) / 2 - 1, y = b.Top + RectHeight(b) / 2 - 1;
  QImage up = Shot(e);
  ExpectPixels(up, {{b.Left, b.Top, Sys(cl3DLight, e)}, {b.Right - 1, b.Bottom - 1, Sys(cl3DDkShadow, e)},
                    {b.Left + 1, b.Top + 1, Sys(clBtnHighlight, e)}, {x + 2, y, Sys(clBtnFace, e)}});
  for (int dx : {-4, 0, 4}) ExpectPixels(up, {{x + dx, y, Qt::black, "dot"}, {x + dx + 1, y + 1, Qt::black, "dot"}});

  QTest::mousePress(e, Qt::LeftButton, {}, e->Center(b));
  ASSERT_TRUE(e->ButtonPressed);
  QImage down = Shot(e);
  ExpectPixels(down, {{b.Left, b.Top, Sys(clBtnShadow, e), "flat"}, {b.Right - 1, b.Bottom - 1, Sys(clBtnShadow, e)},
                      {x - 4, y, Sys(clBtnFace, e)}});
  for (int dx : {-4, 0, 4})
    ExpectPixels(down, {{x + dx + 1, y + 1, Qt::black, "dot"}, {x + dx + 2, y + 2, Qt::black, "dot"}});
  QTest::mouseRelease(e, Qt::LeftButton, {}, e->Center(b));
}

TEST_F(CgEditLayout, ACustomButtonIsAsWideAsItsPicturePlusFourPlacedByItsAlignmentShiftedWhilePressed) {
  Column(2)->SetButtonStyle(TcgButtonStyle::cgbstCustom);
  TProbeEdit* e = Edit(2, 1);
  EXPECT_EQ(e->ButtonWidth, e->ArrowWidth);  // an empty picture: as wide as the arrow
  TPicture picture;
  picture.SetBitmap(Solid(12, 6, QColor(200, 0, 200)));
  Column(2)->SetButtonPicture(picture);
  Column(2)->SetDrawButtonface(false);
  Column(2)->SetButtonVAlignment(TcgVAlignment::cgvaTop);
  e = Edit(2, 2);
  TRect b = e->ButtonRect;
  EXPECT_EQ(std::tuple(e->ButtonWidth, RectWidth(b) - 1), std::tuple(16, 16));
  // No face: the cell's background around the picture at (left + 2, top + 2).
  ExpectPixels(Shot(e), {{b.Left, b.Top, e->Color()}, {b.Left + 2, b.Top + 2, QColor(200, 0, 200)},
                         {b.Left + 1, b.Top + 2, e->Color()}});

  Column(2)->SetButtonVAlignment(TcgVAlignment::cgvaBottom);
  e = Edit(2, 3);
  b = e->ButtonRect;
  ExpectPixels(Shot(e),
               {{b.Left + 2, b.Bottom - 2 - 6, QColor(200, 0, 200)}, {b.Left + 2, b.Bottom - 2 - 7, e->Color()}});

  Column(2)->SetButtonVAlignment(TcgVAlignment::cgvaCenter);
  Column(2)->SetDrawButtonface(true);
  e = Edit(2, 4);
  b = e->ButtonRect;
  const int top = b.Top + 2 + (RectHeight(b) - 6) / 2;
  ExpectPixels(Shot(e), {{b.Left + 2, top, QColor(200, 0, 200)}, {b.Left + 2, top - 1, Sys(clBtnFace, e)},
                         {b.Left, b.Top, Sys(cl3DLight, e), "a raised face"}});
  QTest::mousePress(e, Qt::LeftButton, {}, e->Center(b));
  ExpectPixels(Shot(e), {{b.Left + 3, top + 1, QColor(200, 0, 200)}, {b.Left + 2, top + 1, Sys(clBtnFace, e)}});
  QTest::mouseRelease(e, Qt::LeftButton, {}, e->Center(b));
  Column(2)->SetButtonStyle(TcgButtonStyle::cgbstEllipsis);  // another style ignores the picture
  e = Edit(2, 1);
  EXPECT_EQ(e->ButtonWidth, e->ArrowWidth);
}

TEST_F(CgEditLayout, TheMouseOverTheEditorPutsTheHintOnItsCellTheArrowIsGreyedWithoutAList) {
  TProbeEdit* e = Edit(2, 3);
  QTest::mouseMove(grid->viewport(), grid->CellRect(4, 1).ToQRect().topLeft() + QPoint(3, 3));
  ASSERT_EQ(grid->HintCell, (TGridCoord{4, 1}));
  QTest::mouseMove(e, QPoint(e->TextRect.Left + 5, 5));
  EXPECT_EQ(grid->HintCell, (TGridCoord{2, 3}));

  // Following the focused cell instead, the editor leaves the hint alone.
  grid->SetHintFollowsMouse(false);
  grid->SetHintCell(TGridCoord{4, 1});
  QTest::mouseMove(e, e->Center(e->ButtonRect));
  EXPECT_EQ(grid->HintCell, (TGridCoord{4, 1}));

  e = Edit(1, 1);
  e->SetEditText(QString(40, QLatin1Char('M')));  // text that would run under the arrow
  QApplication::processEvents();
  const TRect a = e->ArrowRect;
  auto arrowInk = [&](const QImage& img) {
    QColor darkest = Qt::white;
    for (int y = a.Top + 2; y < a.Bottom - 2; ++y)
      for (int x = a.Left + 2; x < a.Right - 2; ++x)
        if (img.pixelColor(x, y).lightness() < darkest.lightness()) darkest = img.pixelColor(x, y);
    return darkest;
  };
  QImage shot = Shot(e);
  EXPECT_EQ(Rgb(arrowInk(shot)), Sys(clBtnText, e));
  // The text area ends before the arrow: its face is not written over.
  EXPECT_EQ(Rgb(shot.pixelColor(a.Left, a.Top + 2)), Sys(cl3DLight, e));
  EXPECT_LE(e->viewport()->geometry().right(), a.Left - 1);

  e->ActiveList = nullptr;  // a drop-down without a list
  EXPECT_EQ(Rgb(arrowInk(Shot(e))), Sys(clBtnShadow, e));
  QTest::mouseClick(e, Qt::LeftButton, {}, e->Center(a));
  EXPECT_FALSE(e->ListVisible);
}

}  // namespace
