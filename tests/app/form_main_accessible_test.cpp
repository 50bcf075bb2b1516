// The main window as a screen reader presents it: the list a table, the buttons named by their hints.

#include "tests/app/form_main_fixture.h"
#include "tests/common/accessibility_bridge.h"

namespace formmain_test {
namespace {

struct TFocusSeen { QObject* Object; int Child; };
std::vector<TFocusSeen>* g_focus = nullptr;
void RecordFocus(QAccessibleEvent* e) {
  if (g_focus && e->type() == QAccessible::Focus) g_focus->push_back({e->object(), e->child()});
}

class FormMainAccessible : public FormMainTest {
 protected:
  void SetUp() override {
    FormMainTest::SetUp();
    ASSERT_TRUE(AccessibilityBridgeActive());
    previous_ = QAccessible::installUpdateHandler(RecordFocus);
    g_focus = &focus;
  }
  void TearDown() override {
    g_focus = nullptr;
    QAccessible::installUpdateHandler(previous_);
    FormMainTest::TearDown();
  }
  void Start() {
    CreateFormWithModem(kThreeMessages);
    ASSERT_TRUE(form_->isVisible());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  static QAccessibleInterface* Of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

  std::vector<TFocusSeen> focus;

 private:
  QAccessible::UpdateHandler previous_ = nullptr;
};

TEST_F(FormMainAccessible, TheMessageListIsATableWhoseCurrentRowIsSelected) {
  Start();
  TCellGrid* grid = form_->GridMsgStore;
  QAccessibleInterface* iface = Of(grid);
  ASSERT_EQ(iface->role(), QAccessible::Table);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->columnCount(), 4);
  ASSERT_EQ(table->rowCount(), grid->RowCount() - 1);
  EXPECT_EQ(iface->text(QAccessible::Name), "Message list");
  EXPECT_EQ(iface->text(QAccessible::Description), "Click the message to select");
  for (int r = 0; r < table->rowCount(); ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(table->cellAt(r, c)->text(QAccessible::Name), grid->Cells(c, r + 1)) << r << "," << c;
  EXPECT_EQ(table->cellAt(1, 1)->text(QAccessible::Name), grid->Cells(1, 2));
  EXPECT_FALSE(grid->Cells(1, 2).isEmpty());
  EXPECT_EQ(table->selectedRows(), QList<int>{0});

  // A click on the third message selects its row and takes the focus there; Up goes back to the second.
  const TRect third = grid->CellRect(2, 3);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(third.Left + 4, third.Top + 4));
  ASSERT_EQ(grid->Row(), 3);
  EXPECT_EQ(table->selectedRows(), QList<int>{2});
  ASSERT_FALSE(focus.empty());
  EXPECT_EQ(focus.back().Object, grid);
  ASSERT_EQ(grid->Col(), 2);
  EXPECT_EQ(focus.back().Child, iface->indexOfChild(table->cellAt(2, 2)));
  QTest::keyClick(grid, Qt::Key_Up);
  ASSERT_EQ(grid->Row(), 2);
  EXPECT_EQ(focus.back().Child, iface->indexOfChild(table->cellAt(1, 2)));
  EXPECT_TRUE(table->cellAt(1, 2)->state().focused);
  EXPECT_FALSE(table->cellAt(2, 2)->state().focused);
}

TEST_F(FormMainAccessible, ButtonsAreNamedByTheirHintsAndCanBePressed) {
  Start();
  const std::pair<TSpeedButton*, const char*> buttons[] = {
      {form_->BtnSelfControl, "Connect and set up modem"}, {form_->BtnPlay, "Play selected message"},
      {form_->BtnPlayWelcome, "Play welcome message"}, {form_->BtnPlayFull, "Play welcome message (full memory)"},
      {form_->BtnErase, "Delete all messages"}};
  for (const auto& [button, hint] : buttons) {
    QAccessibleInterface* iface = Of(button);
    EXPECT_EQ(iface->role(), button == form_->BtnSelfControl ? QAccessible::CheckBox : QAccessible::Button) << hint;
    EXPECT_EQ(iface->text(QAccessible::Name), hint);
    EXPECT_TRUE(iface->state().focusable) << hint;
  }
  // A toggle button is a check box to a screen reader, which says whether it is down.
  QAccessibleInterface* connect = Of(form_->BtnSelfControl);
  EXPECT_TRUE(connect->state().checkable);
  EXPECT_TRUE(connect->state().checked) << "connected";

  std::size_t mark = DialogueSize();
  Of(form_->BtnPlay)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(Dialogue(mark), std::vector<std::string>{"AT+MVP=1"});
  connect->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_FALSE(form_->BtnSelfControl->Down());
  EXPECT_FALSE(connect->state().checked);
  EXPECT_TRUE(Of(form_->BtnPlay)->actionInterface()->actionNames().isEmpty()) << "Play is off when disconnected";
  EXPECT_TRUE(boxes_.Requests.empty());
}

}  // namespace
}  // namespace formmain_test
