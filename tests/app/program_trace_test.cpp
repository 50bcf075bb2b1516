// The real program run with an argument: its trace is off unless QT_LOGGING_RULES says, then the whole dialogue.

#include <QProcess>

#include <filesystem>

#include "tests/app/form_main_fixture.h"

namespace formmain_test {
namespace {

class ProgramTrace : public FormMainTest {
 protected:
  // The program's standard error, run with an argument on an empty modem (set up, nothing, set up, end).
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

// The first line that starts with `prefix` and holds `text` (at its end if `atEnd`); -1 if none.
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

  // In order: settings read, port opened with line and modem lines, dialogue, clock reset and written, released.
  const int order[] = {IndexOf(err, "orvix.settings: ", QString::fromStdString(ini_)),
                       IndexOf(err, "orvix.serial: ", QString::fromStdString("open " + sim_->Device())),
                       IndexOf(err, "orvix.serial: ", "9600 baud"), IndexOf(err, "orvix.serial: ", "DTR on"),
                       IndexOf(err, "orvix.serial: ", "DSR on"), IndexOf(err, "orvix.modem: ", "> AT+MCS=1"),
                       IndexOf(err, "orvix.modem: ", "> AT+MCC?", true),
                       IndexOf(err, "orvix.modem: ", "> AT+MCC", true),
                       IndexOf(err, "orvix.settings: ", "wrote"), IndexOf(err, "orvix.serial: ", "closed")};
  EXPECT_GE(order[0], 0);
  for (std::size_t i = 1; i < std::size(order); ++i) EXPECT_LT(order[i - 1], order[i]) << i;
}

TEST_F(ProgramTrace, OffByDefault) {
  const QStringList err = Run("");
  ASSERT_EQ(Dialogue(), Concat({kSetup, {"AT+MSR=0", "AT+MCC?", "AT+MCC"}, kSetup}));
  for (const QString& line : err) EXPECT_FALSE(line.startsWith("orvix.")) << line.toStdString();
}

}  // namespace
}  // namespace formmain_test
