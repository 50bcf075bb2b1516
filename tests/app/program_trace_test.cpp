// The real program started with an argument, as a script would: it sets the
// modem up, finds nothing, sets it up again and ends by itself. Its
// diagnostic trace is off unless QT_LOGGING_RULES switches it on, and then
// the whole start-up dialogue on standard error, in the order it happened.

#include <QProcess>

#include <filesystem>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

class ProgramTrace : public FormMainTest {
 protected:
  // Runs the program with an argument against an empty modem (it sets the
  // modem up, finds nothing, sets it up again and ends); its standard error.
  QStringList Run(const QString& rules) {
    const std::filesystem::path program =
        std::filesystem::path(ORVIX_MODEM_SIM).parent_path().parent_path().parent_path() / "app" / "OrvixManager";
    if (!std::filesystem::exists(program)) ADD_FAILURE() << "build the OrvixManager target first: " << program;
    StartModem("clock running\n");
    WriteSettings(sim_->Device(), "");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVIX_SETTINGS", QString::fromStdString(ini_));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QT_LOGGING_RULES");
    env.remove("QT_MESSAGE_PATTERN");
    if (!rules.isEmpty()) env.insert("QT_LOGGING_RULES", rules);
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString(program.string()), {"auto"});
    EXPECT_TRUE(process.waitForFinished(60000)) << "the program did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    return QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
  }
};

// The index of the first line that starts with `prefix` and holds `text`
// (at its end if `atEnd`); -1 if none.
int IndexOf(const QStringList& lines, const QString& prefix, const QString& text, bool atEnd = false) {
  for (int i = 0; i < lines.size(); ++i)
    if (lines[i].startsWith(prefix) && (atEnd ? lines[i].endsWith(text) : lines[i].contains(text))) return i;
  return -1;
}

TEST_F(ProgramTrace, SwitchedOnItShowsTheWholeStartUpDialogueInOrder) {
  const QStringList err = Run("orvix.*=true");
  const std::vector<std::string> expected = Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}, kSetup});
  ASSERT_EQ(Dialogue(), expected);

  // Each command line as sent, then its reply with the result recognised in it.
  std::vector<std::string> sent;
  QString pendingResult;
  for (const QString& line : err) {
    if (!line.startsWith("orvix.modem: ")) continue;
    const QStringList words = line.mid(13).split(' ');
    ASSERT_GE(words.size(), 3) << line.toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(words[0]).hasMatch())
        << "no time: " << line.toStdString();
    if (words[1] == ">") {
      EXPECT_TRUE(pendingResult.isEmpty()) << "no result for " << sent.back();
      sent.push_back(line.mid(13 + words[0].size() + 3).toStdString());
      pendingResult = "expected";
    } else if (words[1] == "=") {
      EXPECT_EQ(words[2], "OK") << line.toStdString();
      pendingResult.clear();
    }
  }
  EXPECT_EQ(sent, expected);
  EXPECT_TRUE(pendingResult.isEmpty());
  EXPECT_GE(IndexOf(err, "orvix.modem: ", "< "), 0) << "the bytes received are shown";

  // The settings read, the port opened with its line and modem lines, the
  // dialogue, the clock reference written, the port released.
  const int read = IndexOf(err, "orvix.settings: ", QString::fromStdString(ini_));
  const int open = IndexOf(err, "orvix.serial: ", QString::fromStdString("open " + sim_->Device()));
  const int line = IndexOf(err, "orvix.serial: ", "9600 baud");
  const int dtr = IndexOf(err, "orvix.serial: ", "DTR on");
  const int dsr = IndexOf(err, "orvix.serial: ", "DSR on");
  const int first = IndexOf(err, "orvix.modem: ", "> AT+MCS=1");
  const int written = IndexOf(err, "orvix.settings: ", "wrote");
  const int reset = IndexOf(err, "orvix.modem: ", "> AT+MCC", true);
  const int closed = IndexOf(err, "orvix.serial: ", "closed");
  EXPECT_GE(read, 0);
  EXPECT_LT(read, open);
  EXPECT_LT(open, line);
  EXPECT_LT(line, dtr);
  EXPECT_LT(dtr, dsr);
  EXPECT_LT(dsr, first);
  EXPECT_LT(IndexOf(err, "orvix.modem: ", "> AT+MCC?", true), reset);
  EXPECT_LT(reset, written);
  EXPECT_LT(written, closed);
}

TEST_F(ProgramTrace, OffByDefault) {
  const QStringList err = Run("");
  ASSERT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}, kSetup}));
  for (const QString& line : err) EXPECT_FALSE(line.startsWith("orvix.")) << line.toStdString();
}

}  // namespace
}  // namespace formmain_test
