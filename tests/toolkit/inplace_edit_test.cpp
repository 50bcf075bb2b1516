#include "tests/common/shown_window.h"
#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFrame>
#include <QInputMethodEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <string>
#include <vector>

namespace {

using enum TGridOption;

struct TRecordingEdit : TInplaceEdit {
  using TInplaceEdit::TInplaceEdit;
  std::vector<std::string> log;
  std::vector<std::string> order;  // cancel mode and the grid's focus exit
  std::vector<QObject*> cancelSenders;
  int systemCancels = 0;
  QColor aidColor = Qt::red;
  void PaintEditor(QPainter& DC) override {
    TInplaceEdit::PaintEditor(DC);
    const TRect f = FormattingRect();
    DC.fillRect(QRect(f.Right, 0, width() - f.Right, height()), aidColor);
  }
  static std::string XY(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  void MouseDown(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + XY(x, y));
    TInplaceEdit::MouseDown(b, s, x, y);
  }
  void MouseUp(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("up " + XY(x, y));
    TInplaceEdit::MouseUp(b, s, x, y);
  }
  void MouseDblClick(Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("dblclick " + XY(x, y));
    TInplaceEdit::MouseDblClick(s, x, y);
  }
  void CancelMode(QObject* Sender) override { cancelSenders.push_back(Sender); order.push_back("cancel"); }
  void SystemCancelMode() override { ++systemCancels; }
};

struct TEditGrid : TStringGrid {
  explicit TEditGrid(QWidget* parent = nullptr) : TStringGrid(parent) {
    setFrameShape(QFrame::NoFrame);
    SetScrollBars(TScrollStyle::ssNone);
    SetOptions(Options() + TGridOptions{goEditing});
  }
  int limit = 0;
  bool modify = true;
  TRecordingEdit* Editor() const { return static_cast<TRecordingEdit*>(InplaceEditor()); }
  std::unique_ptr<TInplaceEdit> CreateEditor() override { return std::make_unique<TRecordingEdit>(this); }
  int GetEditLimit() override { return limit; }
  bool CanEditModify() override { return modify && TStringGrid::CanEditModify(); }
  void DoExit() override { if (Editor()) Editor()->order.push_back("grid exit"); TStringGrid::DoExit(); }
};

// The grid in a window, with a line edit beside it, focused as a user's click leaves it.
struct InplaceEdit : orvix::test::ShownWindowTest {
  void SetUp() override {
    grid = new TEditGrid(&window);
    grid->setGeometry(0, 0, 330, 150);
    grid->SetCells(1, 1, "one");
    ASSERT_NO_FATAL_FAILURE(ShowWindow({420, 260}, {0, 200, 100, 24}));
    // A click on the current cell would start editing: click below, come back.
    const TRect cell = grid->CellRect(1, 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(cell.Left + 3, cell.Top + 3));
    QTest::keyClick(grid, Qt::Key_Up);
    ASSERT_TRUE(grid->hasFocus());
    ASSERT_EQ(grid->Row(), 1);
  }
  TRecordingEdit* Edit() {
    QTest::keyClick(grid, Qt::Key_F2);
    TRecordingEdit* e = grid->Editor();
    EXPECT_TRUE(e && e->isVisible() && e->hasFocus());
    return e;
  }
  TEditGrid* grid = nullptr;
};

TEST_F(InplaceEdit, CtrlEnterStartsALineAndTheTextScrollsWithTheCaret) {
  TRecordingEdit* e = Edit();
  QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClicks(e, "two");
  EXPECT_EQ(std::tuple(e->isVisible(), grid->Cells(1, 1)), std::tuple(true, "one\ntwo"));
  for (int i = 0; i < 4; ++i) QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClicks(e, "last");
  // The cell is one line high: the caret's line is scrolled into view.
  EXPECT_GT(e->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(e->viewport()->rect().contains(e->cursorRect().center()));

  // No word wrap: a long line stays one line and scrolls sideways.
  e->SetEditText(QString(60, QLatin1Char('w')));
  ASSERT_EQ(e->document()->blockCount(), 1);
  EXPECT_EQ(e->document()->firstBlock().layout()->lineCount(), 1);
  EXPECT_GT(e->horizontalScrollBar()->value(), 0);  // caret at the end
  QTest::keyClick(e, Qt::Key_Home);
  EXPECT_EQ(std::tuple(e->horizontalScrollBar()->value(), e->cursorPosition()), std::tuple(0, 0));
}

TEST_F(InplaceEdit, EnterIsTakenByTheEditorNotByADialogsDefaultButton) {
  QDialog dialog;
  auto* g = new TEditGrid(&dialog);
  g->setGeometry(0, 0, 300, 120);
  auto* ok = new QPushButton("OK", &dialog);
  ok->setGeometry(0, 130, 80, 24);
  ok->setDefault(true);
  int clicks = 0;
  QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
  ASSERT_TRUE(orvix::test::ShowActive(dialog));
  g->setFocus();
  QTest::keyClick(g, Qt::Key_F2);
  TInplaceEdit* e = g->InplaceEditor();
  ASSERT_TRUE(e && e->hasFocus());
  QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(e->isVisible());
  QTest::keyClick(e, Qt::Key_Return);  // the grid ends editing
  EXPECT_EQ(std::tuple(e->isVisible(), clicks, dialog.isVisible()), std::tuple(false, 0, true));
  EXPECT_EQ(g->Cells(1, 1), "\n");
}

TEST_F(InplaceEdit, LineBreaksAndSpecialSpacesComeBackAsTheyWereLoaded) {
  const QString crlf = QStringLiteral("a\r\nb");
  grid->SetCells(1, 1, crlf);
  grid->SetCells(2, 1, QStringLiteral("x\u00a0y"));
  TRecordingEdit* e = Edit();
  EXPECT_EQ(e->EditText(), crlf);
  QTest::keyClicks(e, "c");
  EXPECT_EQ(grid->Cells(1, 1), "a\r\nbc");
  QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);  // a new line takes the text's own break
  EXPECT_EQ(std::tuple(grid->Cells(1, 1), e->cursorPosition()), std::tuple("a\r\nbc\r\n", 7));
  e->setCursorPosition(3);  // after the CR LF
  QTest::keyClicks(e, "-");
  EXPECT_EQ(grid->Cells(1, 1), "a\r\n-bc\r\n");

  QTest::keyClick(e, Qt::Key_Return);
  QTest::keyClick(grid, Qt::Key_Right);
  QTest::keyClick(grid, Qt::Key_F2);
  QTest::keyClicks(e, "!");
  EXPECT_EQ(grid->Cells(2, 1), "x\u00a0y!");
}

TEST_F(InplaceEdit, TheLengthLimitHoldsWhatTheUserBringsInNotWhatIsLoaded) {
  grid->limit = 5;
  grid->SetCells(1, 1, "abc");
  TRecordingEdit* e = Edit();
  EXPECT_EQ(e->MaxLength(), 5);
  QTest::keyClicks(e, "defg");
  EXPECT_EQ(grid->Cells(1, 1), "abcde");

  QApplication::clipboard()->setText("XYZW");
  e->setCursorPosition(1);
  QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);  // "b" selected
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid->Cells(1, 1), "aXcde");
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid->Cells(1, 1), "aXcde");

  // An input method's commit is cut the same way ("aXcde" less "aX", then two of three).
  for (int i = 0; i < 2; ++i) QTest::keyClick(e, Qt::Key_Backspace);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("éèê"));
  QApplication::sendEvent(e, &commit);
  EXPECT_EQ(grid->Cells(1, 1), "éècde");

  QTest::keyClick(e, Qt::Key_Return);
  grid->SetCells(1, 1, "0123456789");
  QTest::keyClick(grid, Qt::Key_F2);
  EXPECT_EQ(e->EditText(), "0123456789");
  QTest::keyClicks(e, "x");
  EXPECT_EQ(grid->Cells(1, 1), "0123456789");
  QTest::keyClick(e, Qt::Key_Backspace);
  EXPECT_EQ(grid->Cells(1, 1), "012345678");

  grid->limit = 0;
  grid->SetCells(1, 1, "");
  QTest::keyClick(e, Qt::Key_Return);
  QTest::keyClick(grid, Qt::Key_F2);
  QTest::keyClicks(e, QString(40, QLatin1Char('q')));
  EXPECT_EQ(grid->Cells(1, 1).size(), 40);
}

TEST_F(InplaceEdit, ReadOnlyKeepsTheTextButMovesTheCaret) {
  grid->modify = false;
  TRecordingEdit* e = Edit();
  EXPECT_EQ(std::tuple(e->ReadOnly(), e->CanModify()), std::tuple(true, false));
  QTest::keyClicks(e, "zz");
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(std::tuple(e->EditText(), grid->Cells(1, 1)), std::tuple("one", "one"));
  QTest::keyClick(e, Qt::Key_Left);
  EXPECT_EQ(std::tuple(e->cursorPosition(), grid->Col()), std::tuple(2, 1));

  e->SetReadOnly(false);
  QTest::keyClicks(e, "+");
  EXPECT_EQ(e->EditText(), "on+e");
}

TEST_F(InplaceEdit, TheFormattingRectangleShowsTheTextMouseEventsComeInEditorCoordinates) {
  TRecordingEdit* e = Edit();
  EXPECT_EQ(e->FormattingRect(), (TRect{0, 0, e->width(), e->height()}));
  e->SetEditText("alpha beta");
  const TRect f{2, 2, e->width() - 18, e->height()};
  e->SetFormattingRect(f);
  EXPECT_EQ(std::tuple(e->FormattingRect(), TRect::FromQRect(e->viewport()->geometry())), std::tuple(f, f));

  e->log.clear();
  const QPoint aid(e->width() - 6, 6);
  QTest::mouseClick(e, Qt::LeftButton, {}, aid);
  EXPECT_EQ(e->log, (std::vector<std::string>{"down 1 " + std::to_string(aid.x()) + ",6",
                                              "up " + std::to_string(aid.x()) + ",6"}));
  EXPECT_TRUE(e->isVisible());  // the press did not reach the grid under the editor
  EXPECT_TRUE(e->hasFocus());

  // Over the text the coordinates are the editor's too, and the caret follows.
  e->log.clear();
  QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, QPoint(1, 5));
  EXPECT_EQ(e->log, (std::vector<std::string>{"down 1 3,7", "up 3,7"}));
  EXPECT_EQ(e->cursorPosition(), 0);

  // A double click is a press of its own; over the text it selects a word.
  e->log.clear();
  const int x = e->fontMetrics().horizontalAdvance("alpha be");
  QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
  ASSERT_FALSE(e->log.empty());
  EXPECT_NE(std::find(e->log.begin(), e->log.end(), "dblclick " + std::to_string(x + 2) + ",7"), e->log.end());
  EXPECT_EQ(e->textCursor().selectedText(), "beta");

  e->SetColor(QColor(0, 0, 255));
  e->SetEditText("");
  const QImage shot = e->grab().toImage();
  EXPECT_EQ(shot.pixelColor(f.Left + 4, e->height() / 2), QColor(0, 0, 255));
  EXPECT_EQ(shot.pixelColor(e->width() - 3, e->height() / 2), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(0, 0, 255));

  QWidget* overText = e->childAt(f.Left + 3, 5);
  ASSERT_EQ(overText, e->viewport());
  EXPECT_EQ(overText->cursor().shape(), Qt::IBeamCursor);
  EXPECT_EQ(std::tuple(e->childAt(e->width() - 5, 5), e->cursor().shape()), std::tuple(nullptr, Qt::ArrowCursor));

  e->resize(e->width() - 30, e->height());
  EXPECT_TRUE(e->rect().contains(e->viewport()->geometry()));
}

TEST_F(InplaceEdit, CancelModeNamesWhatTookOver) {
  TRecordingEdit* e = Edit();
  QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
  ASSERT_FALSE(e->cancelSenders.empty());
  for (QObject* s : e->cancelSenders) EXPECT_EQ(s, e);  // its own press
  e->cancelSenders.clear();
  e->order.clear();

  // A press taking the focus: reported before the focus is seen leaving.
  QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_FALSE(e->cancelSenders.empty());
  for (QObject* s : e->cancelSenders) EXPECT_EQ(s, other);
  ASSERT_GE(e->order.size(), 2u);
  EXPECT_EQ(e->order[0], "cancel");
  EXPECT_NE(std::find(e->order.begin(), e->order.end(), "grid exit"), e->order.end());
  EXPECT_EQ(std::tuple(other->hasFocus(), e->systemCancels), std::tuple(true, 0));

  // Back in the editor, a modal box opening is the system's cancel mode.
  e->setFocus();
  e->cancelSenders.clear();
  QDialog box(&window);  // exec() makes it modal
  QTimer::singleShot(0, &box, [&] { box.reject(); });
  box.exec();
  EXPECT_EQ(std::tuple(e->systemCancels, e->cancelSenders.empty()), std::tuple(1, true));
}

TEST_F(InplaceEdit, ChangedReportsTextChangesOnlyTabWithGoTabsMovesToTheNextCell) {
  TRecordingEdit* e = Edit();
  std::vector<QString> changes;
  QObject::connect(e, &TInplaceEdit::Changed, [&](const QString& t) { changes.push_back(t); });
  e->SetColor(Qt::yellow);
  e->setFont(QFont(e->font().family(), e->font().pointSize() + 3));
  e->SetEditText("one");
  EXPECT_TRUE(changes.empty());
  QTest::keyClicks(e, "s");
  e->SetEditText("two");
  EXPECT_EQ(changes, (std::vector<QString>{"ones", "two"}));
  grid->SetOptions(grid->Options() + TGridOptions{goTabs});
  QTest::keyClick(e, Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(e->EditText(), "two");  // no tab typed into the text
  EXPECT_EQ(grid->Cells(1, 1), "two");
}

}  // namespace
