#include <QCloseEvent>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

#include "toolkit/core/convert_error.h"
#include "toolkit/core/handler_failure.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/common/wait.h"
#include "toolkit/widgets/application.h"

namespace {

using orvix::test::WaitUntil;

struct Form : QWidget {
  static constexpr QEvent::Type FailingEvent = static_cast<QEvent::Type>(QEvent::User + 1);
  int CloseRefusals = 0;  // closes to refuse before accepting one
  int CloseRequests = 0;
  void closeEvent(QCloseEvent* e) override {
    ++CloseRequests;
    if (CloseRefusals > 0) { --CloseRefusals; e->ignore(); }
  }
  bool event(QEvent* e) override {
    if (e->type() == FailingEvent) throw EConvertError("Invalid argument to time encode");
    return QWidget::event(e);
  }
};

struct ApplicationObject : ::testing::Test {
  void TearDown() override {
    App().OnMinimize = App().OnRestore = App().OnActivate = App().OnDeactivate = nullptr;
    App().SetMainForm(nullptr);
    App().ShowMainForm = true;
  }
  static TApplication& App() { return *::Application(); }
};

}  // namespace

// Qt appends its display name to every window title not ending with it ("Error — <name>"), so the title
// must not become that name. A failed handler only the toolkit could catch is shown as one in a slot is.
TEST_F(ApplicationObject, TheTitleNamesTheBoxesOfFailedSlotsHandlersAndEventHandlersButNoOtherWindow) {
  ScriptedMessageBoxes boxes;
  const QString displayName = QGuiApplication::applicationDisplayName();
  App().SetTitle("Tarvelle Memnova Self-mode Manager");
  EXPECT_EQ(App().Title(), "Tarvelle Memnova Self-mode Manager");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), displayName);
  bool after = false;
  QTimer::singleShot(0, [] { throw EConvertError("'' is not a valid integer value"); });
  QTimer::singleShot(0, [&] { after = true; });
  ASSERT_TRUE(WaitUntil([&] { return after && !boxes.Requests.empty(); }));
  ReportHandlerFailure(std::make_exception_ptr(std::runtime_error("line handler failed")));
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"'' is not a valid integer value", "line handler failed"}));
  for (const TMessageBoxRequest& box : boxes.Requests) {
    EXPECT_EQ(box.Type, TMsgBoxType::mbtError);
    EXPECT_EQ(box.Title, "Tarvelle Memnova Self-mode Manager");
    EXPECT_EQ(box.Buttons, std::vector<std::string>{"OK"});
  }
  boxes.Requests.clear();
  // A custom event: unwinding through Qt's mouse dispatch would leak Qt's objects (see TSpeedButton).
  Form form;
  QCoreApplication::postEvent(&form, new QEvent(Form::FailingEvent));
  QCoreApplication::postEvent(&form, new QEvent(Form::FailingEvent));
  ASSERT_TRUE(WaitUntil([&] { return boxes.Requests.size() == 2; }));
  try { throw std::runtime_error("disk gone"); } catch (...) { App().HandleException(); ::HandleException(); }
  App().HandleException();  // nothing being handled: nothing shown
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Invalid argument to time encode",
                                                     "Invalid argument to time encode", "disk gone", "disk gone"}));
}

TEST_F(ApplicationObject, MinimiseAndRestoreOfTheMainFormAreNotifiedAFailureThereIsShown) {
  ScriptedMessageBoxes boxes;
  Form form, other;
  App().SetMainForm(&form);
  std::vector<std::string> seen;
  App().OnMinimize = [&](QObject* sender) { EXPECT_EQ(sender, &App()); seen.push_back("minimize"); };
  App().OnRestore = [&](QObject*) { seen.push_back("restore"); };
  form.show();
  other.show();
  form.setWindowState(Qt::WindowMinimized);
  other.setWindowState(Qt::WindowMinimized);
  other.setWindowState(Qt::WindowNoState);
  form.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);  // still minimised
  form.setWindowState(Qt::WindowNoState);
  form.setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(seen, (std::vector<std::string>{"minimize", "restore"}));
  EXPECT_TRUE(boxes.Requests.empty());

  App().OnMinimize = [](QObject*) { throw std::runtime_error("COM Port is used by another application"); };
  form.setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"COM Port is used by another application"});
}

TEST_F(ApplicationObject, RunEndsWhenTheHiddenMainFormCloses) {
  Form form;
  form.CloseRefusals = 1;
  App().SetMainForm(&form);
  App().ShowMainForm = false;
  QWidget box;
  bool formShownDuringRun = true;
  bool secondCloseAsked = false;
  // Another window closing must not end the program, nor a refused close.
  QTimer::singleShot(0, [&] {
    formShownDuringRun = form.isVisible();
    box.show();
    QTimer::singleShot(50, [&] {
      box.close();
      QTimer::singleShot(50, [&] {
        form.close();
        QTimer::singleShot(0, [&] { secondCloseAsked = true; form.close(); });
      });
    });
  });
  EXPECT_EQ(App().Run(), 0);
  EXPECT_FALSE(formShownDuringRun);
  EXPECT_TRUE(secondCloseAsked);
  EXPECT_EQ(form.CloseRequests, 2);
}

TEST_F(ApplicationObject, RunShowsTheMainForm) {
  Form form;
  App().SetMainForm(&form);
  bool shown = false;
  QTimer::singleShot(0, [&] { shown = form.isVisible(); form.close(); });
  App().Run();
  EXPECT_TRUE(shown);
}

// Qt reports the state change; the hooks hear of it after that event.
void ChangeState(Qt::ApplicationState state) {
  emit ::Application()->applicationStateChanged(state);
  QCoreApplication::processEvents();
}

struct MainWindowHooks : ApplicationObject {
  void SetUp() override {
    // A known edge whatever the real state is (the hooks keep their own from the first hook on).
    ids.push_back(HookMainWindow([](TAppMessage) { return false; }));
    ChangeState(Qt::ApplicationActive);
    ChangeState(Qt::ApplicationInactive);
  }
  void TearDown() override {
    for (int id : ids) UnhookMainWindow(id);
    ChangeState(Qt::ApplicationActive);
    ApplicationObject::TearDown();
  }
  int Hook(std::string name, bool handles) {
    ids.push_back(HookMainWindow([this, name, handles](TAppMessage m) {
      seen.push_back(name + (m == TAppMessage::amActivate ? " activate" : " deactivate"));
      return handles;
    }));
    return ids.back();
  }
  std::vector<int> ids;
  std::vector<std::string> seen;
};

TEST_F(MainWindowHooks, HooksSeeTheChangeFirstInOrderThenTheApplication) {
  Hook("a", false);
  Hook("b", false);
  App().OnActivate = [&](QObject* sender) { EXPECT_EQ(sender, &App()); seen.push_back("app activate"); };
  App().OnDeactivate = [&](QObject*) { seen.push_back("app deactivate"); };
  emit App().applicationStateChanged(Qt::ApplicationActive);
  EXPECT_TRUE(seen.empty());  // not from inside Qt's own report
  QCoreApplication::processEvents();
  ChangeState(Qt::ApplicationInactive);
  EXPECT_EQ(seen, (std::vector<std::string>{"a activate", "b activate", "app activate", "a deactivate",
                                            "b deactivate", "app deactivate"}));
}

TEST_F(MainWindowHooks, AHandledChangeGoesNoFurther) {
  Hook("a", false);
  Hook("b", true);
  Hook("c", false);
  App().OnActivate = [&](QObject*) { seen.push_back("app activate"); };
  ChangeState(Qt::ApplicationActive);
  EXPECT_EQ(seen, (std::vector<std::string>{"a activate", "b activate"}));
}

TEST_F(MainWindowHooks, OnlyTheEdgeBetweenActiveAndInactiveCounts) {
  Hook("a", false);
  // Hidden and suspended are still inactive.
  for (auto s : {Qt::ApplicationHidden, Qt::ApplicationSuspended, Qt::ApplicationActive, Qt::ApplicationActive,
                 Qt::ApplicationHidden, Qt::ApplicationInactive})
    ChangeState(s);
  EXPECT_EQ(seen, (std::vector<std::string>{"a activate", "a deactivate"}));
}

TEST_F(MainWindowHooks, UnhookedHooksHearNothingAndHooksMayUnhookWhileRunning) {
  const int a = Hook("a", false);
  int b = 0;
  ids.push_back(HookMainWindow([&](TAppMessage) {
    seen.push_back("b");
    UnhookMainWindow(b);  // itself
    UnhookMainWindow(a);  // and one that already ran
    return false;
  }));
  b = ids.back();
  Hook("c", false);
  EXPECT_NE(a, 0);
  EXPECT_NE(a, b);
  ChangeState(Qt::ApplicationActive);
  ChangeState(Qt::ApplicationInactive);
  EXPECT_EQ(seen, (std::vector<std::string>{"a activate", "b", "c activate", "c deactivate"}));
  UnhookMainWindow(12345);  // unknown: nothing happens
  EXPECT_EQ(HookMainWindow(nullptr), 0);
}

// The application object itself must be the QApplication: this program brings its own main.
int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
