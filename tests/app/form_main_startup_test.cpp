// Start-up and the auto-close rule (the program run with an argument: program_trace_test, x11_startup_flow.sh).

#include <sys/inotify.h>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const std::string kWithWelcome = kThreeMessages + "welcome 5\n";

// How often `run` opens the file (closes are watched too: identical events in a row would be merged).
int OpensDuring(const std::string& file, const std::function<void()>& run) {
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  inotify_add_watch(fd, file.c_str(), IN_OPEN | IN_CLOSE);
  run();
  int opens = 0;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
      opens += (reinterpret_cast<inotify_event*>(p)->mask & IN_OPEN) != 0;
  close(fd);
  return opens;
}

class FormMainStartup : public FormMainTest {};

// Without an argument the window shows at once, all disabled, before the port opens; the cursor is busy while
// the start-up talks to the modem; the settings are read once for the port and once for the clock; the list.
TEST_F(FormMainStartup, WithMessagesTheWindowShowsFirstThenTheList) {
  StartModem(kWithWelcome);
  const std::string ini = ReadFile(ini_);
  bool connectedAtShow = true;
  std::vector<bool> enabledAtShow;
  ShowWatch shows([&](TFormMain& f) {
    connectedAtShow = sim_->WaitForLog("CONNECT", 0ms).has_value();
    enabledAtShow = EnabledOf(f);
  });
  std::vector<Qt::CursorShape> during;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, [&] {
    if (TFormMain* f = MainWindow(); f && f->InExchange()) during.push_back(f->cursor().shape());
  });
  sample.start(20);
  EXPECT_EQ(OpensDuring(ini_, [&] { CreateForm(); }), 2);
  sample.stop();

  EXPECT_EQ(shows.Shows, 1);
  EXPECT_FALSE(connectedAtShow) << "the port was opened before the window showed";
  EXPECT_EQ(enabledAtShow, std::vector<bool>(6, false));
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during, std::vector<Qt::CursorShape>(during.size(), Qt::BusyCursor));
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);

  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(boxes_.Requests.empty()) << boxes_.Texts()[0];
  EXPECT_TRUE(form_->BtnSelfControl->Down());
  EXPECT_TRUE(form_->CommPort->PortOpen());
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MSR=003"}}));
  EXPECT_EQ(Column(0), (std::vector<QString>{"1", "2", "3", "", ""}));
  EXPECT_EQ(Column(1), (std::vector<QString>{"Voice", "Fax", "Voice", "", ""}));
  EXPECT_EQ(Column(2), (std::vector<QString>{"14 sec.", "2 pag.", "7 sec.", "", ""}));
  EXPECT_EQ(Column(3), (std::vector<QString>{Stamp(0, 9, 12), Stamp(0, 14, 3), Stamp(1, 8, 45), "", ""}));
  EXPECT_EQ(Label(), "3 received messages");
  EXPECT_EQ(form_->GridMsgStore->Row(), 1);
  EXPECT_EQ(form_->Summary, (TStoreSummary{3, false, true, false}));
  EXPECT_TRUE(form_->ClockValid);
  EXPECT_DOUBLE_EQ(form_->ClockRef, EncodeDate(2025, 3, 14) + EncodeTime(9, 5, 0, 0));
  // connect, play (row 1 is a voice message), welcome, no full welcome, erase, grid
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, false, true, true}));
  EXPECT_EQ(ReadFile(ini_), ini) << "a running clock with a stored reference writes nothing";
}

TEST_F(FormMainStartup, WithAnArgumentAndMessagesTheWindowShowsAsUsual) {
  StartModem(kWithWelcome);
  CreateForm({"/auto"});
  HandleEventsFor(300ms);  // an /auto close would come meanwhile
  EXPECT_TRUE(form_->isVisible());
  EXPECT_FALSE(form_->Closed());
  EXPECT_EQ(Label(), "3 received messages");
}

TEST_F(FormMainStartup, WithoutMessagesTheClockIsResetSilentlyAndTheWindowShows) {
  StartModem("clock running 10 4 2\nwelcome 5\n");
  WriteSettings(sim_->Device(), "");
  const TDateTime start = Now();
  CreateForm();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}}));
  EXPECT_EQ(Label(), "No received message");
  EXPECT_FALSE(form_->ClockValid);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, false, false, false}));

  EXPECT_GE(form_->ClockRef, start) << "the reference is now";
  EXPECT_LE(form_->ClockRef, Now());
  EXPECT_NE(ReadFile(ini_).find(ClockSection(form_->ClockRef)), std::string::npos) << ReadFile(ini_);
}

TEST_F(FormMainStartup, WithAnArgumentAndNoMessageTheWindowNeverShowsAndShutsDownOnce) {
  StartModem("clock running\n");
  ShowWatch shows;
  CreateForm({"x"});
  EXPECT_FALSE(form_->isVisible());
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }, 20s));
  HandleEventsFor(500ms);  // a late show would come meanwhile
  EXPECT_EQ(shows.Shows, 0);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}, kSetup}));
  EXPECT_FALSE(form_->CommPort->PortOpen());
  EXPECT_TRUE(sim_->WaitForLog("DISCONNECT")) << "the port is released after the shutdown";
}

// Cancel at the auto-close shutdown keeps the program: its window shows, to be used and closed as any other.
TEST_F(FormMainStartup, WithTheModemOffCancelShowsTheWindow) {
  StartModem("powered off\n");
  ShowWatch shows;
  boxes_.Answer("OK");
  boxes_.Answer("Cancel");
  CreateForm({"--quiet"});
  ASSERT_TRUE(WaitUntil([&] { return boxes_.Requests.size() == 2; }, 20s));
  ASSERT_TRUE(WaitUntil([&] { return form_->isVisible(); }, 20s));

  EXPECT_EQ(boxes_.Requests[0].Text, "Modem if OFF or not connected");
  EXPECT_EQ(boxes_.Requests[0].Buttons, std::vector<std::string>{"OK"});
  ExpectCloseQuestion(boxes_.Requests[1], "Modem if OFF or not connected");
  EXPECT_TRUE(boxes_.Mismatches.empty());

  EXPECT_FALSE(form_->Closed());
  EXPECT_EQ(shows.Shows, 1);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false}))
      << "a refused close enables the controls again";
  EXPECT_TRUE(Dialogue().empty()) << "nothing is sent to a modem that is off";

  // The auto-close rule is over: a later close asks again and nothing else.
  boxes_.Answer("Cancel");
  form_->close();
  EXPECT_EQ(boxes_.Requests.size(), 3u);
  EXPECT_TRUE(form_->isVisible());
  boxes_.Answer("&Ignore");
  form_->close();
  EXPECT_TRUE(form_->Closed());
  EXPECT_EQ(boxes_.Requests.size(), 4u);
  EXPECT_EQ(shows.Shows, 1);
}

// Boxes of the start-up show over the window without an argument (form_main_window_test), alone with one.
TEST_F(FormMainStartup, WithAnArgumentBoxesOfTheStartUpShowWithoutTheWindow) {
  WriteSettings(kNoDevice);
  std::vector<bool> visibleAtBox;
  boxes_.OnShow = [&](const TMessageBoxRequest&) { visibleAtBox.push_back(MainWindow()->isVisible()); };
  boxes_.Answer("OK");
  boxes_.Answer("&Ignore");
  CreateForm({"x"});
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(2, "COM Port is used by another application"));
  EXPECT_EQ(visibleAtBox, (std::vector<bool>{false, false}));
  EXPECT_TRUE(boxes_.Mismatches.empty());
}

// The window is in sight during the start-up's exchange, so a close can come in it: it waits for the reading.
TEST_F(FormMainStartup, ACloseDuringTheStartUpRunsAfterTheReading) {
  StartModem(kThreeMessages);
  QTimer::singleShot(0, [] { MainWindow()->close(); });
  CreateForm();
  EXPECT_FALSE(form_->Closed());
  ASSERT_TRUE(WaitUntil([&] { return form_->Closed(); }));
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MSR=003"}, kSetup}));
  EXPECT_TRUE(boxes_.Requests.empty());
}

}  // namespace
}  // namespace formmain_test
