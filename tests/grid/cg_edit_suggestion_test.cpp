#include "tests/grid/cg_edit_fixture.h"

#include <QDialog>
#include <QFontMetrics>
#include <QTimer>

#include <string>
#include <vector>

namespace {

using CgEditSuggestion = CgEditTest;

QString Shown(TProbeEdit* e) { return e->SuggestionVisible() ? e->SuggestionHint->Caption() : QString(); }

TEST_F(CgEditSuggestion, ItemsSuggestByCapitalsAToZ) {
  Column(1)->Items().SetList({"Apple", "ABC"});
  TProbeEdit* e = Edit(1, 1, "ab");
  EXPECT_EQ(Shown(e), "ABC");
  // Above the cell, at the text area's left + 4.
  const int t = QFontMetrics(e->SuggestionHint->font()).height();
  EXPECT_EQ(e->SuggestionHint->pos(), e->mapToGlobal(QPoint(e->TextRect.Left + 4, e->TextRect.Top - (t + 8))));

  // Nothing to offer where the suggestion is the text; "a" takes the first item in order.
  const std::pair<const char*, const char*> cases[] = {{"  ab  ", "ABC"}, {"ABC", ""}, {"abc", "ABC"},
                                                       {"a", "Apple"},    {"ax", ""},   {"   ", ""}};
  for (auto [text, shown] : cases) { e->SetEditText(text); EXPECT_EQ(Shown(e), shown) << text; }
}

TEST_F(CgEditSuggestion, ASuggestionRaisedWhileACellLoadsSitsAboveThatCell) {
  grid->OnGetSuggestion = [](QObject*, int, int, const QString& text, QString& suggestion) {
    if (!text.isEmpty()) suggestion = "north";
  };
  grid->SetCells(4, 3, "n");
  Edit(4, 1);
  TProbeEdit* e = Edit(4, 3);
  ASSERT_EQ(Shown(e), "north");
  const int t = QFontMetrics(e->SuggestionHint->font()).height();
  EXPECT_EQ(e->SuggestionHint->pos(), e->mapToGlobal(QPoint(e->TextRect.Left + 4, e->TextRect.Top - (t + 8))));
}

TEST_F(CgEditSuggestion, OtherLettersAreComparedExactly) {
  Column(1)->Items().SetList({"Éclair", "eclipse"});
  TProbeEdit* e = Edit(1, 1);
  QTest::sendKeyEvent(QTest::Click, e, Qt::Key_Eacute, QStringLiteral("é"), Qt::NoModifier);
  ASSERT_EQ(e->EditText(), QStringLiteral("é"));
  EXPECT_EQ(Shown(e), "");
  e->SetEditText(QStringLiteral("É"));
  EXPECT_EQ(Shown(e), QStringLiteral("Éclair"));
  e->SetEditText(QStringLiteral("ECL"));
  EXPECT_EQ(Shown(e), QStringLiteral("eclipse"));
}

TEST_F(CgEditSuggestion, EnterTakesTheSuggestionCtrlEnterDoesNotAReadOnlyCellKeepsItsText) {
  TProbeEdit* e = Edit(1, 1, "ab");
  ASSERT_EQ(Shown(e), "ABC");
  QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_NE(grid->Cells(1, 1), "ABC");
  EXPECT_TRUE(grid->Cells(1, 1).startsWith("ab") && e->isVisible());

  e = Edit(1, 2, "ab");
  ASSERT_EQ(Shown(e), "ABC");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(std::tuple(grid->Cells(1, 2), e->SuggestionVisible()), std::tuple("ABC", false));
  EXPECT_FALSE(e->isVisible());  // and Enter ended editing as ever

  grid->OnGetSuggestion = [](QObject*, int, int, const QString&, QString& suggestion) { suggestion = "other"; };
  grid->SetCells(4, 1, "mine");
  Column(4)->SetReadOnly(true);
  e = Edit(4, 1);
  e->UpdateSuggestion();
  ASSERT_EQ(Shown(e), "other");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(grid->Cells(4, 1), "mine");
}

TEST_F(CgEditSuggestion, OnGetSuggestionOutsideAutoSuggestingComboColumns) {
  std::vector<std::string> asked;
  grid->OnGetSuggestion = [&](QObject* sender, int c, int r, const QString& text, QString& suggestion) {
    EXPECT_EQ(std::tuple(sender, suggestion.isEmpty()), std::tuple(grid, true));
    asked.push_back(std::to_string(c) + "," + std::to_string(r) + ":" + text.toStdString());
    if (text.startsWith("n")) suggestion = "north";
  };
  TProbeEdit* e = Edit(4, 1);
  asked.clear();
  QTest::keyClicks(e, "no");
  EXPECT_EQ(asked, (std::vector<std::string>{"4,1:n", "4,1:no"}));
  EXPECT_EQ(Shown(e), "north");
  Keys(e, {Qt::Key_Backspace, Qt::Key_Backspace});
  EXPECT_EQ(Shown(e), "");

  // A combo column with AutoSuggest uses its Items and does not ask.
  asked.clear();
  e = Edit(1, 1, "n");
  EXPECT_TRUE(asked.empty());
  // Without AutoSuggest it asks.
  Column(1)->SetAutoSuggest(false);
  e = Edit(1, 2, "n");
  EXPECT_EQ(Shown(e), "north");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(grid->Cells(1, 2), "north");
}

TEST_F(CgEditSuggestion, LeavingTheCellTakesTheSuggestionWithAutoAcceptAnotherWidgetTakingOverAlways) {
  ASSERT_TRUE(grid->AutoAcceptSuggestion());
  TProbeEdit* e = Edit(1, 1, "ba");
  ASSERT_EQ(Shown(e), "Banana");
  QTest::keyClick(e, Qt::Key_Down);  // to the grid: the next row
  EXPECT_EQ(std::tuple(grid->Row(), grid->Cells(1, 1), e->SuggestionVisible()), std::tuple(2, "Banana", false));

  grid->SetAutoAcceptSuggestion(false);
  e = Edit(1, 2, "ba");
  QTest::keyClick(e, Qt::Key_Down);
  EXPECT_EQ(grid->Cells(1, 2), "ba");

  // Another widget taking over takes the suggestion all the same.
  e = Edit(1, 3, "ap");
  ASSERT_EQ(Shown(e), "Apple");
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(std::tuple(grid->Cells(1, 3), e->SuggestionVisible(), other->hasFocus()), std::tuple("Apple", false, true));
}

TEST_F(CgEditSuggestion, ShiftEnterIsTheButtonsKeyInACellWithAButtonWhichClicksOnAReleaseOverIt) {
  std::vector<std::pair<int, int>> clicks;
  grid->OnButtonClick = [&](QObject* sender, int c, int r) { EXPECT_EQ(sender, grid); clicks.emplace_back(c, r); };
  grid->SetCells(2, 1, "text");
  TProbeEdit* e = Edit(2, 1);
  QTest::keyClick(e, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 1}}));
  EXPECT_EQ(std::tuple(grid->Cells(2, 1), e->EditText(), e->isVisible()), std::tuple("text", "text", true));
  // Another modifier with it: not the button's key.
  QTest::keyClick(e, Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(clicks.size(), 1u);

  // Without a button Shift+Enter is Enter.
  e = Edit(4, 1);
  QTest::keyClick(e, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(std::tuple(clicks.size(), e->isVisible()), std::tuple(1u, false));

  e = Edit(2, 1);
  const QPoint button = e->Center(e->ButtonRect);
  QTest::mousePress(e, Qt::LeftButton, {}, button);
  EXPECT_TRUE(e->ButtonPressed);
  QTest::mouseMove(e, QPoint(4, 4));  // dragged off: drawn up
  EXPECT_FALSE(e->ButtonPressed);
  QTest::mouseRelease(e, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(std::tuple(clicks.size(), e->Tracking), std::tuple(1u, false));

  QTest::mousePress(e, Qt::LeftButton, {}, button);
  QTest::mouseMove(e, QPoint(4, 4));
  QTest::mouseMove(e, button);  // back over it
  EXPECT_TRUE(e->ButtonPressed);
  QTest::mouseRelease(e, Qt::LeftButton, {}, button);
  EXPECT_EQ(std::tuple(clicks.size(), e->ButtonPressed), std::tuple(2u, false));

  // A modal box opening stops the press being followed.
  QTest::mousePress(e, Qt::LeftButton, {}, button);
  ASSERT_TRUE(e->Tracking);
  QDialog box(&window);
  box.setModal(true);
  QTimer::singleShot(0, &box, [&] { box.reject(); });
  box.exec();
  EXPECT_FALSE(e->Tracking || e->ButtonPressed);
  QTest::mouseRelease(e, Qt::LeftButton, {}, button);
  EXPECT_EQ(clicks.size(), 2u);
}

}  // namespace
