// kill -9 while the settings are written: the file is old or new, whole; ORVIX_FAULT_KILLS kills (100).

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "app/clock_reference.h"
#include "tests/common/files.h"
#include "tests/faults/bounded_child.h"

namespace faults_test {
namespace {

namespace fs = std::filesystem;

int KillCount() {
  const char* text = std::getenv("ORVIX_FAULT_KILLS");
  return text && std::atoi(text) > 0 ? std::atoi(text) : 100;
}

std::string Settings(const std::string& date, const std::string& time) {
  return "; written by hand\n[General]\nDeviceName=rfc2217://127.0.0.1:1\nBaudRate=9600\n\n[ClockReset]\nDate=" + date +
         "\nTime=" + time + "\n";
}

using orvix::test::ReadFile;

std::vector<std::string> Temporaries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".OrvixManager.ini.tmp", 0) == 0) names.push_back(name);
  }
  return names;
}

TEST(SettingsKill, AKilledWriteLeavesTheOldOrTheNewFileWhole) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string file = dir.filePath("OrvixManager.ini").toStdString();
  const std::string textA = Settings("2001,1,1", "1,1");
  const std::string textB = Settings("2002,2,2", "2,2");
  const std::string mixedAB = Settings("2001,1,1", "2,2");
  const std::string mixedBA = Settings("2002,2,2", "1,1");
  const TDateTime a = EncodeDate(2001, 1, 1) + EncodeTime(1, 1, 0, 0);
  const TDateTime b = EncodeDate(2002, 2, 2) + EncodeTime(2, 2, 0, 0);
  orvix::test::WriteFile(file, textA);

  const int kills = KillCount();
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  // Writes take a few milliseconds (two syncs); kills spread over several.
  std::uniform_int_distribution<int> delayUs(0, 12000);
  int mixed = 0, broken = 0;
  std::string firstBroken;
  for (int i = 0; i < kills; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // The writer: the two references in turn, until it is killed.
      try {
        for (unsigned n = 0;; ++n) WriteClockReference(n % 2 == 0 ? b : a, file);
      } catch (...) {
        _exit(2);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own: " << status;

    const std::string now = ReadFile(file);
    if (now == mixedAB || now == mixedBA) ++mixed;
    else if (now != textA && now != textB && broken++ == 0) firstBroken = now;
  }
  const std::size_t stale = Temporaries(dir.path().toStdString()).size();
  std::cout << "[ kills ] " << kills << " kills (seed " << seed << "): " << mixed << " mixed Date/Time, " << broken
            << " neither old nor new, " << stale << " temporary files left\n";
  EXPECT_EQ(mixed, 0) << "Date and Time must be replaced together";
  EXPECT_EQ(broken, 0) << "first:\n" << firstBroken;

  // Stale temporaries of dead writers go with the next write.
  WriteClockReference(a, file);
  EXPECT_EQ(ReadFile(file), textA);
  EXPECT_EQ(Temporaries(dir.path().toStdString()), std::vector<std::string>{});
}

}  // namespace
}  // namespace faults_test
