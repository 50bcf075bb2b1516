#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/common/scripted_message_boxes.h"
#include "toolkit/widgets/qt_message_boxes.h"

namespace {

TMessageBoxRequest CancelIgnore() {
  return {.Type = TMsgBoxType::mbtError, .Title = "Error", .Text = "Modem if OFF or not connected", .Detail = "",
          .Buttons = {"Cancel", "&Ignore"}, .DefaultButton = -1, .EscapeButton = 0};
}

// Acts on the modal box once it is up (polls; no time limit of its own).
void WhenBoxIsUp(std::function<void(QMessageBox*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      // Keys reach accelerators only in the active window.
      box->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(box));
      act(box);
    }
  });
  timer->start(10);
}

}  // namespace

TEST(MessageBoxes, DefaultAnswersEscapeAndWritesTheBoxToStderr) {
  SetMessageBoxes(nullptr);
  ::testing::internal::CaptureStderr();
  const int answer = ShowMessageBox(TMsgBoxType::mbtError, "Error", "Modem if OFF or not connected",
                                    {"Cancel", "&Ignore"}, -1, 0, "DSR is off");
  const std::string out = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, 0);
  for (const char* part : {"Modem if OFF or not connected", "DSR is off", "\"Error\"", "&Ignore"})
    EXPECT_NE(out.find(part), std::string::npos) << part << " in " << out;
  EXPECT_EQ(ShowMessageBox(TMsgBoxType::mbtWarning, "W", "t", {"A", "B", "C"}, 0, 2), 2);
}

TEST(ScriptedMessageBoxes, RecordsEveryBoxAsRequestedOnShowSeesItBeforeItIsAnswered) {
  ScriptedMessageBoxes boxes;
  std::vector<std::string> shown;
  std::vector<std::size_t> answersWhenShown;
  boxes.OnShow = [&](const TMessageBoxRequest& r) {
    shown.push_back(r.Text);
    answersWhenShown.push_back(boxes.Answers.size());
  };
  ShowErrorBox("Error on COM Port", "The modem answered ERROR to AT+MVP=3.");
  ShowMessageBox(TMsgBoxType::mbtWarning, "Warning", "Modem clock had to be resetted", {"OK"}, 0, 0);
  ASSERT_EQ(boxes.Requests.size(), 2u);
  const auto& e = boxes.Requests[0];
  EXPECT_EQ(std::tuple(e.Type, e.Title, e.Text, e.Detail),
            std::tuple(TMsgBoxType::mbtError, "Error", "Error on COM Port", "The modem answered ERROR to AT+MVP=3."));
  EXPECT_EQ(std::tuple(e.Buttons, e.DefaultButton, e.EscapeButton), std::tuple(std::vector<std::string>{"OK"}, 0, 0));
  EXPECT_EQ(std::tuple(boxes.Requests[1].Type, boxes.Requests[1].Detail), std::tuple(TMsgBoxType::mbtWarning, ""));
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error on COM Port", "Modem clock had to be resetted"}));
  EXPECT_EQ(std::tuple(shown, answersWhenShown), std::tuple(boxes.Texts(), (std::vector<std::size_t>{0, 1})));
}

TEST(ScriptedMessageBoxes, AnswersFromTheQueueThenEscape) {
  ScriptedMessageBoxes boxes;
  boxes.Answer("&Ignore");
  boxes.Answer(0);
  boxes.Answer("Retry");  // not a button of the box
  boxes.Answer(5);        // neither
  EXPECT_EQ(boxes.PendingAnswers(), 4u);
  for (int answer : {1, 0, 0, 0}) EXPECT_EQ(MessageBoxes().Show(CancelIgnore()), answer);
  auto escapeIsIgnore = CancelIgnore();
  escapeIsIgnore.EscapeButton = 1;
  EXPECT_EQ(MessageBoxes().Show(escapeIsIgnore), 1);  // queue empty
  EXPECT_EQ(boxes.Answers, (std::vector<int>{1, 0, 0, 0, 1}));
  ASSERT_EQ(boxes.Mismatches.size(), 2u);
  EXPECT_NE(boxes.Mismatches[0].find("Retry"), std::string::npos);
}

TEST(ScriptedMessageBoxes, InstallsForItsLifetimeAndNests) {
  IMessageBoxes* before = &MessageBoxes();
  {
    ScriptedMessageBoxes outer;
    EXPECT_EQ(&MessageBoxes(), &outer);
    {
      ScriptedMessageBoxes inner;
      ShowErrorBox("inner");
      EXPECT_EQ(inner.Texts(), std::vector<std::string>{"inner"});
    }
    ShowErrorBox("outer");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer"});
  }
  EXPECT_EQ(&MessageBoxes(), before);
}

TEST(QtMessageBoxes, BuildsTheBoxAsRequestedTheDetailUnderTheTextAsWritten) {
  auto box = TQtMessageBoxes::CreateBox(CancelIgnore());
  EXPECT_EQ(std::tuple(box->icon(), box->windowTitle()), std::tuple(QMessageBox::Critical, "Error"));
  EXPECT_EQ(box->text(), "Modem if OFF or not connected");
  QStringList captions;
  QList<QPushButton*> buttons;
  for (QAbstractButton* b : box->buttons()) {
    buttons.append(qobject_cast<QPushButton*>(b));
    captions << b->text();
  }
  EXPECT_EQ(std::tuple(captions, box->defaultButton()), std::tuple((QStringList{"Cancel", "&Ignore"}), nullptr));
  for (QPushButton* b : buttons) EXPECT_FALSE(b->autoDefault()) << b->text().toStdString();
  EXPECT_EQ(box->escapeButton(), buttons[0]);

  auto warning = CancelIgnore();
  warning.Type = TMsgBoxType::mbtWarning;
  warning.Buttons = {"OK"};
  warning.DefaultButton = 0;
  auto w = TQtMessageBoxes::CreateBox(warning);
  EXPECT_EQ(std::tuple(w->icon(), w->defaultButton()->text()), std::tuple(QMessageBox::Warning, "OK"));
  warning.Type = TMsgBoxType::mbtInformation;
  EXPECT_EQ(TQtMessageBoxes::CreateBox(warning)->icon(), QMessageBox::Information);
  warning.Type = TMsgBoxType::mbtConfirmation;
  EXPECT_EQ(TQtMessageBoxes::CreateBox(warning)->icon(), QMessageBox::Question);

  // The detail is shown under the text as written.
  auto request = CancelIgnore();
  request.Detail = "Error accessing specified device (Error: 2)\n/dev/<ttyUSB3>: No such file or directory.";
  auto detailed = TQtMessageBoxes::CreateBox(request);
  EXPECT_EQ(detailed->text(), "Modem if OFF or not connected");
  EXPECT_EQ(QTextDocumentFragment::fromHtml(detailed->informativeText()).toPlainText().toStdString(), request.Detail);
  EXPECT_EQ(detailed->detailedText(), "") << "nothing hides behind a button";
  EXPECT_EQ(detailed->buttons().size(), 2);
  request.Detail.clear();
  EXPECT_EQ(TQtMessageBoxes::CreateBox(request)->informativeText(), "");
}

TEST(QtMessageBoxes, EscapeAClickOrAnAcceleratorAnswersItsButtonEnterWithoutADefaultButtonDoesNot) {
  TQtMessageBoxes boxes;
  auto escapeIsIgnore = CancelIgnore();
  escapeIsIgnore.Buttons = {"&Ignore", "Cancel"};
  escapeIsIgnore.EscapeButton = 1;
  const std::pair<TMessageBoxRequest, std::function<void(QMessageBox*)>> cases[] = {
      {escapeIsIgnore, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }},
      {CancelIgnore(), [](QMessageBox* m) { for (auto* b : m->buttons()) if (b->text() == "&Ignore") b->click(); }},
      {CancelIgnore(), [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_I, Qt::AltModifier); }}};
  for (const auto& [request, act] : cases) {
    WhenBoxIsUp(act);
    EXPECT_EQ(boxes.Show(request), 1) << request.Buttons[0];
  }
  // Enter without a default button does not answer.
  bool enterAnswered = false;
  WhenBoxIsUp([&](QMessageBox* box) {
    QTest::keyClick(box, Qt::Key_Return);
    enterAnswered = box->clickedButton() != nullptr;
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_EQ(boxes.Show(CancelIgnore()), 0);
  EXPECT_FALSE(enterAnswered);
}
