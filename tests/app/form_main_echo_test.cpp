// A modem echoing every command line, as real ones do by default: the dialogue must read as without echo.

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

const char* const kStore = "clock off\nwelcome 3\nfull-welcome 2\nmessage voice 5 0 1 2\nmessage fax 3 0 2 40\n";

class FormMainEcho : public FormMainTest {};

TEST_F(FormMainEcho, EveryCommandOfTheDialogueReadsAsWithoutEcho) {
  CreateFormWithModem(kStore, {"--echo", "--speed", "0.01"});
  // The clock was off: reset, with the warning; no other box.
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Modem clock had to be resetted"});
  EXPECT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC", "AT+MSR=001", "AT+MSR=002"}}));
  EXPECT_EQ(Column(0), (std::vector<QString>{"1", "2", "", "", ""}));
  EXPECT_EQ(Column(1), (std::vector<QString>{"Voice", "Fax", "", "", ""}));
  EXPECT_EQ(Column(2), (std::vector<QString>{"5 sec.", "3 pag.", "", "", ""}));
  EXPECT_EQ(Column(3), (std::vector<QString>{"Clock was OFF", "Clock was OFF", "", "", ""}));
  EXPECT_EQ(Label(), "2 received messages");
  EXPECT_EQ(form_->Summary, (TStoreSummary{2, false, true, true}));

  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnPlay), Click(form_->BtnPlayWelcome), Click(form_->BtnPlayFull); }),
            (std::vector<std::string>{"AT+MVP=1", "AT+MVP=0", "AT+MVP=255"}));

  // Minimise and restore: AT+MCS? must read the self-mode answer, not the echo.
  form_->AppMinimize(nullptr);
  EXPECT_EQ(SaidDuring([&] { form_->AppRestore(nullptr); }), (std::vector<std::string>{"AT+MCS?", "AT+MSR=0", "AT+MCC?"}));
  EXPECT_TRUE(form_->BtnSelfControl->Down());

  EXPECT_EQ(SaidDuring([&] { Click(form_->BtnErase); }), std::vector<std::string>{"AT+MEM"});
  EXPECT_EQ(Label(), "No messages");

  EXPECT_EQ(SaidDuring([&] { form_->close(); }), kSetup);
  EXPECT_TRUE(form_->Closed());
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Modem clock had to be resetted"});

  // The emulator did echo: every reply it sent starts with its command line.
  const auto tx = sim_->LogEvents("TX");
  const auto rx = Dialogue();
  ASSERT_EQ(tx.size(), rx.size());
  for (std::size_t i = 0; i < tx.size(); ++i)
    EXPECT_NE(tx[i].find(" TX " + rx[i] + "\\r"), std::string::npos) << tx[i];
}

}  // namespace
}  // namespace formmain_test
