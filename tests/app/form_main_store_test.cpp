// Reading the message store: summary, clock reference, rows, merging, malformed replies, unwritable settings.

#include <signal.h>
#include <sys/resource.h>

#include <QDir>

#include <cstdio>

#include "tests/app/form_main_fixture.h"
#include "tests/common/message_of.h"
#include "toolkit/core/convert_error.h"

namespace formmain_test {
namespace {

const char* const kPortUsed = "COM Port is used by another application";

std::string VoiceReply(int n, int seconds, int days, int hours, int minutes) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%03d,002,%03d,000,000,%03d,%03d,%03d", n, seconds, days, hours, minutes);
  return buf;
}

// A modem store the test changes between readings.
struct Store {
  std::string summary;
  std::string clock = "005,000,000";
  std::vector<std::string> messages;
  // Voice messages 1..count, one minute apart.
  static Store Voices(int count, int seconds = 10) {
    Store s;
    s.summary = "0,0," + std::to_string(count) + ",0,0,0,0,0";
    for (int n = 1; n <= count; ++n) s.messages.push_back(VoiceReply(n, seconds, 1, 2, n));
    return s;
  }
  PtyModem::THandler Handler() const {
    return [s = *this](const std::string& c) -> std::optional<std::string> {
      if (c == "AT+MSR=0") return s.summary;
      if (c == "AT+MCC?") return s.clock;
      if (c == "AT+MCC") return std::string();
      if (c.rfind("AT+MSR=", 0) == 0) {
        const std::size_t n = std::stoul(c.substr(7));
        return n >= 1 && n <= s.messages.size() ? s.messages[n - 1] : "ERROR";
      }
      return std::string("ERROR");
    };
  }
};

class FormMainStore : public FormMainTest {
 protected:
  // A pty has no modem lines, so the start-up finds the modem off; the test opens the port itself.
  void CreateOnPty(const Store& store) {
    pty_ = std::make_unique<PtyModem>(store.Handler());
    WriteSettings(pty_->Device());
    CreateForm();
    ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{"Modem if OFF or not connected"});
    form_->CommPort->OpenPort();
  }
  // The commands a reading of `store` sent.
  std::vector<std::string> RefreshWith(const Store& store) {
    pty_->SetHandler(store.Handler());
    const std::size_t mark = pty_->Commands().size();
    form_->RefreshMessageStore();
    return From(pty_->Commands(), mark);
  }
  void TearDown() override { form_.reset(); pty_.reset(); FormMainTest::TearDown(); }
  std::unique_ptr<PtyModem> pty_;
};

TEST_F(FormMainStore, RowsOfTheSameMinuteAreMergedIntoTheLaterMessage) {
  CreateFormWithModem("clock running 5 0 0\nmessage fax 5 3 10 5\n"
                      "message voice 22 3 10 5\n"  // same minute: replaces the fax
                      "message voice 1 4 1 1\nmessage voice 2 4 1 1\nmessage voice 3 4 1 1\n"  // one row
                      "message voice 4 255 0 0\nmessage voice 5 255 0 0\n"  // clock off: never merged
                      "message data 0 4 1 1\n",  // same text as an earlier, not the previous row
                      {});
  EXPECT_TRUE(boxes_.Requests.empty());
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MSR=003",
                                         "AT+MSR=004", "AT+MSR=005", "AT+MSR=006", "AT+MSR=007", "AT+MSR=008"}}));
  EXPECT_EQ(form_->GridMsgStore->RowCount(), 6);
  EXPECT_EQ(Column(0), (std::vector<QString>{"2", "5", "6", "7", "8"}));
  EXPECT_EQ(Column(1), (std::vector<QString>{"Voice", "Voice", "Voice", "Voice", "Data"}));
  EXPECT_EQ(Column(2), (std::vector<QString>{"22 sec.", "3 sec.", "4 sec.", "5 sec.", ""}));
  EXPECT_EQ(Column(3), (std::vector<QString>{Stamp(3, 10, 5), Stamp(4, 1, 1), "Clock was OFF", "Clock was OFF",
                                             Stamp(4, 1, 1)}));
  EXPECT_EQ(Label(), "5 received messages");
  EXPECT_EQ(form_->Summary.MsgCount, 8);
}

TEST_F(FormMainStore, TheGridGrowsOneRowAtATimeAndKeepsRowsBeyondAShorterList) {
  CreateOnPty(Store::Voices(7));
  form_->RefreshMessageStore();
  EXPECT_EQ(form_->GridMsgStore->RowCount(), 8);
  EXPECT_EQ(Column(0), (std::vector<QString>{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(Column(3).back(), Stamp(1, 2, 7));
  EXPECT_EQ(Label(), "7 received messages");

  RefreshWith(Store::Voices(8, 20));
  EXPECT_EQ(form_->GridMsgStore->RowCount(), 9);
  EXPECT_EQ(Column(2), std::vector<QString>(8, "20 sec."));
  EXPECT_EQ(Label(), "8 received messages");

  // Fewer messages (not by an erase): rows 1 and 2 are rewritten, the rest stay.
  RefreshWith(Store::Voices(2, 30));
  EXPECT_EQ(form_->GridMsgStore->RowCount(), 9);
  EXPECT_EQ(Column(2), (std::vector<QString>{"30 sec.", "30 sec.", "20 sec.", "20 sec.", "20 sec.", "20 sec.",
                                             "20 sec.", "20 sec."}));
  EXPECT_EQ(Label(), "2 received messages");

  // No message: the label says so, the grid keeps its rows, the clock is reset.
  const auto rows = Column(0);
  EXPECT_EQ(RefreshWith(Store::Voices(0)), (std::vector<std::string>{"AT+MSR=0", "AT+MCC?", "AT+MCC"}));
  EXPECT_EQ(Label(), "No received message");
  EXPECT_EQ(Column(0), rows);
  EXPECT_FALSE(form_->ClockValid);

  // The same empty summary again: nothing changes but the clock is reset again.
  form_->LabelMsgStoreCnt->setText("marker");
  EXPECT_EQ(RefreshWith(Store::Voices(0)), (std::vector<std::string>{"AT+MSR=0", "AT+MCC?", "AT+MCC"}));
  EXPECT_EQ(Label(), "marker");
}

TEST_F(FormMainStore, AnUnchangedSummaryLeavesGridAndLabelAsTheyWere) {
  CreateOnPty(Store::Voices(3));
  form_->RefreshMessageStore();
  const auto texts = Column(2);
  ASSERT_EQ(texts[0], "10 sec.");
  // Other lengths, same summary.
  EXPECT_EQ(RefreshWith(Store::Voices(3, 55)), (std::vector<std::string>{"AT+MSR=0", "AT+MCC?"}));
  EXPECT_EQ(Column(2), texts);
  EXPECT_EQ(Label(), "3 received messages");
}

TEST_F(FormMainStore, AMalformedCountEndsTheReadingBeforeAnyRow) {
  for (const char* summary : {"0,0,1500,0,0,0,0,0", "0,0,600,0,600,0,0,0", "0,0,-1,0,0,0,0,0"}) {
    SCOPED_TRACE(summary);
    Store s = Store::Voices(3);
    s.summary = summary;
    CreateOnPty(s);
    EXPECT_THROW(form_->RefreshMessageStore(), EConvertError);
    EXPECT_EQ(pty_->Commands(), std::vector<std::string>{"AT+MSR=0"});
    EXPECT_EQ(form_->GridMsgStore->RowCount(), 6);
    EXPECT_EQ(form_->Summary, TStoreSummary{});
    EXPECT_FALSE(form_->InExchange());
    form_.reset();
    pty_.reset();
    boxes_.Requests.clear();
  }
}

TEST_F(FormMainStore, UnknownTypeCodesAndImpossibleStamps) {
  Store s = Store::Voices(3);
  s.messages[0] = "001,009,777,000,000,001,002,003";  // no known type
  s.messages[2] = "003,002,005,000,000,001,024,000";  // hour 24
  CreateOnPty(s);
  EXPECT_EQ(MessageOf<EConvertError>([&] { form_->RefreshMessageStore(); }), "Invalid argument to time encode");
  EXPECT_EQ(Column(1)[0], "Undef");
  EXPECT_EQ(Column(2)[0], "");
  EXPECT_EQ(Column(3)[0], Stamp(1, 2, 3)) << "the stamp is read from the usual fields";
  EXPECT_EQ(Column(1)[1], "Voice");
  EXPECT_EQ(Column(0)[2], "3") << "rows written before the error stay";
  EXPECT_EQ(form_->Summary.MsgCount, 3) << "the summary was already taken";
}

TEST_F(FormMainStore, AResetClockWarnsAndStoresANewReference) {
  StartModem("clock off\nmessage voice 3 0 1 2\nmessage fax 1 255 0 0\n");
  const TDateTime start = Now();
  CreateForm();
  ASSERT_EQ(boxes_.Requests.size(), 1u);
  EXPECT_EQ(boxes_.Requests[0].Type, TMsgBoxType::mbtWarning);
  EXPECT_EQ(boxes_.Requests[0].Title, "Warning");
  EXPECT_EQ(boxes_.Requests[0].Text, "Modem clock had to be resetted");
  EXPECT_EQ(boxes_.Requests[0].Buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC", "AT+MSR=001", "AT+MSR=002"}}));
  EXPECT_EQ(Column(3), (std::vector<QString>{"Clock was OFF", "Clock was OFF", "", "", ""}));
  EXPECT_FALSE(form_->ClockValid);
  const std::string ini = ReadFile(ini_);
  EXPECT_EQ(ini.find("Date=2025,3,14"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[General]\nDeviceName=" + sim_->Device() + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find(ClockSection(form_->ClockRef)), std::string::npos) << ini;
  EXPECT_GE(form_->ClockRef, start) << "the reference is now";
  EXPECT_LE(form_->ClockRef, Now());
}

// No usable reference must not lock the user out: listed and played without times, clock and file untouched.
TEST_F(FormMainStore, NoUsableReferenceWhileTheClockRunsListsTheMessagesWithoutTimes) {
  StartModem("clock running 2 0 0\nmessage voice 3 0 1 2\nmessage fax 1 0 2 0\n", {"--speed", "0.01"});
  for (const char* clock : {"", "[ClockReset]\nDate=2026,12\nTime=9,5\n", "[ClockReset]\nDate=2026,13,1\nTime=9,5\n",
                            "[ClockReset]\nDate=9999,12,31\nTime=23,59\n"}) {
    SCOPED_TRACE(clock);
    WriteSettings(sim_->Device(), clock);
    const std::string ini = ReadFile(ini_);
    const std::size_t from = DialogueSize();
    CreateForm();
    EXPECT_TRUE(boxes_.Requests.empty()) << boxes_.Texts()[0];
    EXPECT_EQ(Column(1), (std::vector<QString>{"Voice", "Fax", "", "", ""}));
    EXPECT_EQ(Column(3), (std::vector<QString>{"Clock was OFF", "Clock was OFF", "", "", ""}));
    EXPECT_TRUE(form_->BtnSelfControl->Down());
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, false, false, true, true}));
    Click(form_->BtnPlay);
    EXPECT_EQ(Dialogue(from), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MSR=001", "AT+MSR=002", "AT+MVP=1"}}))
        << "the modem's clock is not reset";
    EXPECT_EQ(ReadFile(ini_), ini);
    form_.reset();
  }
}

// Refuses every file write beyond `bytes` in this process while it lives.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) : oldHandler(signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limit{bytes, old.rlim_max};
    Ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old), signal(SIGXFSZ, oldHandler); }
  sighandler_t oldHandler;
  rlimit old{};
  bool Ok = false;
};

TEST_F(FormMainStore, AFailedSettingsWriteKeepsTheFileIntact) {
  StartModem("clock off\nmessage voice 3 0 1 2\n");
  const std::string ini = ReadFile(ini_);
  {
    FileSizeLimit limit(16);
    ASSERT_TRUE(limit.Ok);
    CreateForm();
  }
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"Modem clock had to be resetted", kPortUsed}));
  EXPECT_EQ(ReadFile(ini_), ini);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"OrvixManager.ini"}) << "no temporary file left";
  EXPECT_FALSE(form_->BtnSelfControl->Down());
}

TEST_F(FormMainStore, AnAnswerThatCannotBeReadNamesTheCommandAndTheAnswer) {
  CreateFormWithModem("message voice 3 0 1 2\nfault AT+MSR=0 garbage z\n");
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{kPortUsed});
  EXPECT_EQ(boxes_.Requests[0].Detail, "The modem's answer to AT+MSR=0 could not be read: \"z0,0,1,0,0,0,0,0\" "
                                       "('z0' is not a valid integer value).");
}

TEST_F(FormMainStore, ASettingsFileThatCannotBeWrittenIsNamed) {
  ini_ = dir_.filePath(QString(247, 'o') + ".ini").toStdString();  // too long for the temporary file's name
  CreateFormWithModem("clock off\nmessage voice 3 0 1 2\n");
  ASSERT_EQ(boxes_.Texts(), (std::vector<std::string>{"Modem clock had to be resetted", kPortUsed}));
  EXPECT_EQ(Details(), (std::vector<std::string>{"", "Unable to write to " + ini_}));
}

}  // namespace
}  // namespace formmain_test
