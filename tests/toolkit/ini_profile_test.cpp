#include "toolkit/core/ini_profile.h"
#include "tests/common/message_of.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

namespace {

struct IniProfile : ::testing::Test {
  void SetUp() override {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Dir = fs::temp_directory_path() / ("ini-test-" + std::to_string(::getpid()) + "-" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    File = (Dir / "OrvixManager.ini").string();
  }
  void TearDown() override { fs::remove_all(Dir); }

  void Put(const std::string& content) { std::ofstream(File, std::ios::binary) << content; }
  std::string Content() const {
    return {std::istreambuf_iterator<char>(std::ifstream(File, std::ios::binary).rdbuf()), {}};
  }
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& def = "dflt", std::size_t size = 1024) {
    return GetPrivateProfileString(section, key, def, size, File);
  }
  std::vector<std::string> DirEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Dir)) names.push_back(e.path().filename().string());
    return names;
  }

  fs::path Dir;
  std::string File;
};

std::string WriteError(const std::function<void()>& f) { return MessageOf<EIniFileException>(f); }

}  // namespace

TEST_F(IniProfile, NamesWithoutCaseAndBlanksOnlyTheFirstSectionOfANameEightBitBytesAsTheyAreQuotesRemoved) {
  Put("[General]\n  deviceNAME =  /dev/ttyS1  \n[ clockreset ]\r\nDate=2026,12,7\r\n");
  EXPECT_EQ((std::vector{Get("General", "DeviceName"), Get("GENERAL", " devicename ")}),
            (std::vector<std::string>{"/dev/ttyS1", "/dev/ttyS1"}));
  EXPECT_EQ((std::vector{Get("ClockReset", "Date"), Get("clockRESET", "DATE")}),
            (std::vector<std::string>{"2026,12,7", "2026,12,7"}));
  Put("[A]\nk=1\n[B]\nk=2\n[a]\nk=3\nj=4\n");
  EXPECT_EQ(std::tuple(Get("A", "k"), Get("A", "j")), std::tuple("1", "dflt"));
  Put("[S]\nk=caf\xe9 \xff\n");
  EXPECT_EQ(Get("S", "k"), "caf\xe9 \xff");
  WritePrivateProfileString("S", "j", "\xe4\xf6", File);
  EXPECT_EQ(Content(), "[S]\nk=caf\xe9 \xff\nj=\xe4\xf6\n");
  Put("[S]\na=\"quoted value\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf=  \" padded \"  \ng=in\"side\"\n");
  std::vector<std::string> values;
  for (const char* key : {"a", "b", "c", "d", "e", "f", "g"}) values.push_back(Get("S", key));
  EXPECT_EQ(values, (std::vector<std::string>{"quoted value", "single", "\"mixed'", "\"", "", " padded ",
                                              "in\"side\""}));
}

TEST_F(IniProfile, MissingFileSectionOrKeyGivesTheDefaultValuesAreCutToTheBuffer) {
  EXPECT_EQ(Get("General", "DeviceName", "com1"), "com1");
  Put("[General]\nBaudRate=9600\n[Other]\nDeviceName=x\n");
  EXPECT_EQ(Get("Missing", "DeviceName", "com1"), "com1");
  EXPECT_EQ(Get("General", "DeviceName", "com1"), "com1");  // only in another section
  EXPECT_EQ(Get("General", "DeviceName", "none  "), "none");  // trailing blanks dropped
  Put("[General]\nDeviceName=\n");
  EXPECT_EQ(Get("General", "DeviceName", "com1"), "") << "an empty value is a value";
  const std::string longValue(2000, 'v');
  Put("[S]\nk=" + longValue + "\n");
  EXPECT_EQ(Get("S", "k").size(), 1023u);
  EXPECT_EQ((std::vector{Get("S", "k", "", 5), Get("S", "missing", "default", 4), Get("S", "k", "", 0)}),
            (std::vector<std::string>{"vvvv", "def", ""}));
  Put("[S]\nk=" + std::string(1023, 'w') + "\n");
  EXPECT_EQ(Get("S", "k"), std::string(1023, 'w'));
}

TEST_F(IniProfile, IntegerHexRuleAndFallbacks) {
  Put("[General]\nBaudRate=0x4B00\nA=0X10\nB=0x\nC=2400\nD=abc\nE=\nF=-5\nG=$20\nH=0xZZ\n"
      "I=  19200  \nJ=\"38400\"\nK=99999999999\n");
  // B is two characters only: not hexadecimal, not a number.
  const std::pair<const char*, int> cases[] = {{"BaudRate", 19200}, {"A", 16},    {"B", 9600},  {"C", 2400},
                                               {"D", 9600},         {"E", 9600},  {"F", -5},    {"G", 32},
                                               {"H", 9600},         {"I", 19200}, {"J", 38400}, {"K", 9600},
                                               {"Missing", 9600}};
  for (const auto& [key, value] : cases) EXPECT_EQ(ReadProfileInteger("General", key, 9600, File), value) << key;
  EXPECT_EQ(ReadProfileInteger("General", "x", 10, (Dir / "none.ini").string()), 10);
}

TEST_F(IniProfile, WriteUpdatesInPlaceKeepsEveryOtherLineAppendsToItsSectionOrAddsIt) {
  const std::string before = "; settings\r\n[General]\r\nDeviceName = /dev/ttyUSB0   ; kept\r\n\r\n"
      "[ClockReset]\r\nDATE = 2020,1,1  \r\n# comment\r\nTime=1,2\r\n\r\n[Tail]\r\nx=1";
  Put(before);
  WritePrivateProfileString("clockreset", "Date", "2026,12,7", File);
  EXPECT_EQ(Content(), "; settings\r\n[General]\r\nDeviceName = /dev/ttyUSB0   ; kept\r\n\r\n"
            "[ClockReset]\r\nDATE = 2026,12,7\r\n# comment\r\nTime=1,2\r\n\r\n[Tail]\r\nx=1");
  EXPECT_EQ(Get("ClockReset", "Date"), "2026,12,7");
  Put("[General]\nBaudRate=9600\n\n[ClockReset]\nDate=1,1,1\n\n\n[Last]\nk=v");
  WritePrivateProfileString("ClockReset", "Time", "9,5", File);
  EXPECT_EQ(Content(), "[General]\nBaudRate=9600\n\n[ClockReset]\nDate=1,1,1\nTime=9,5\n\n\n[Last]\nk=v");
  WritePrivateProfileString("Last", "j", "w", File);
  EXPECT_EQ(Content(), "[General]\nBaudRate=9600\n\n[ClockReset]\nDate=1,1,1\nTime=9,5\n\n\n[Last]\nk=v\nj=w\n");
  WritePrivateProfileString("New", "a", "b", File);
  EXPECT_EQ(Content(),
            "[General]\nBaudRate=9600\n\n[ClockReset]\nDate=1,1,1\nTime=9,5\n\n\n[Last]\nk=v\nj=w\n\n[New]\na=b\n");
}

TEST_F(IniProfile, SeveralKeysGoIntoOneSectionWhateverTheFileLookedLike) {
  const std::string keys = "Date=2026,12,8\nTime=9,5\n";
  struct Case {
    const char* shape;
    const char* before;  // nullptr: no file
    std::string after;
  } cases[] = {
      {"no file", nullptr, "[ClockReset]\n" + keys}, {"empty file", "", "[ClockReset]\n" + keys},
      {"no section", "[General]\nDeviceName=com1\n", "[General]\nDeviceName=com1\n\n[ClockReset]\n" + keys},
      {"section without the keys", "[ClockReset]\n; kept\n\n[General]\nk=v\n",
       "[ClockReset]\n; kept\n" + keys + "\n[General]\nk=v\n"},
      {"section with one key", "[ClockReset]\nTime=1,2\n[General]\nk=v\n",
       "[ClockReset]\nTime=9,5\nDate=2026,12,8\n[General]\nk=v\n"},
      {"section last, no final line break", "[General]\nk=v\n[ClockReset]\nDate=1,1,1",
       "[General]\nk=v\n[ClockReset]\n" + keys},
      {"duplicate sections", "[General]\nk=v\n\n[ClockReset]\nDate=1,1,1\n\n[ClockReset]\nTime=1,2\n",
       "[General]\nk=v\n\n[ClockReset]\n" + keys},
      {"duplicate in the middle", "[ClockReset]\nDate=1,1,1\n\n[clockreset]\nTime=1,2\n\n[General]\nk=v\n",
       "[ClockReset]\n" + keys + "\n[General]\nk=v\n"},
      {"duplicate with a line of its own", "[ClockReset]\nTime=1,2\n[ClockReset]\n; mine\nDate=1,1,1\n",
       "[ClockReset]\nTime=9,5\nDate=2026,12,8\n[ClockReset]\n; mine\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    fs::remove(File);
    if (c.before) Put(c.before);
    WritePrivateProfileStrings("ClockReset", {{"Date", "2026,12,8"}, {"Time", "9,5"}}, File);
    EXPECT_EQ(Content(), c.after);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"OrvixManager.ini"});
  }
}

TEST_F(IniProfile, WriteRefusesWhatWouldChangeOtherKeys) {
  // Each would turn its line into another kind of line or several, and another key would read differently.
  const std::string before = "[General]\nDeviceName=com1\nParity=none\n\n[ClockReset]\nDate=2026,12,7\n";
  struct Case { const char *section, *key, *value; } cases[] = {
      {"ClockReset", "Time", "9,5\n[General]\nDeviceName=/dev/evil"}, {"ClockReset", "Time", "9,5\r"},
      {"General", "Parity", "even\nBaudRate=1"}, {"Clock\nReset", "Time", "9,5"}, {"General]\nx", "k", "v"},
      {"Clock]Reset", "Time", "9,5"}, {"General", "Stop=Bits", "1"}, {"General", " [ClockReset]", "x"},
      {"General", "[Gen", "x]"}, {"ClockReset", "Ti\rme", "9,5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key + "/" + c.value);
    Put(before);
    EXPECT_EQ(WriteError([&] { WritePrivateProfileString(c.section, c.key, c.value, File); }),
              "Unable to write to " + File);
    EXPECT_EQ(Content(), before);
  }
  Put(before);
  WritePrivateProfileString(" ClockReset ", " Time ", " a=b [c] ", File);
  EXPECT_EQ(Get("ClockReset", "Time"), "a=b [c]");
  WritePrivateProfileString("[Nested", "k]", "v", File);
  EXPECT_EQ(std::tuple(Get("[Nested", "k]"), Get("General", "DeviceName")), std::tuple("v", "com1"));
  EXPECT_EQ(Get("ClockReset", "Date"), "2026,12,7");
}

TEST_F(IniProfile, WriteCreatesAMissingFileReplacesAnExistingOneAndKeepsItsMode) {
  WritePrivateProfileString("ClockReset", "Date", "2026,12,7", File);
  WritePrivateProfileString("ClockReset", "Time", "9,5", File);
  EXPECT_EQ(Content(), "[ClockReset]\nDate=2026,12,7\nTime=9,5\n");
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"OrvixManager.ini"});

  Put("[S]\nk=1\n");
  ::chmod(File.c_str(), 0640);
  struct stat before {}, after {};
  ::stat(File.c_str(), &before);
  WritePrivateProfileString("S", "k", "2", File);
  ::stat(File.c_str(), &after);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new inode: the old file was never opened for writing
  EXPECT_EQ(std::tuple(after.st_mode & 07777, Content()), std::tuple(0640u, "[S]\nk=2\n"));
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"OrvixManager.ini"});
}

TEST_F(IniProfile, AWriteFailingAtOnceOrHalfwayRaisesAndKeepsTheOldFileWhole) {
  // A full disk, as seen by write(): the file size limit cuts the new file.
  const std::string before = "[S]\nk=1\n; " + std::string(100, 'x') + "\n";
  Put(before);
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = WriteError([&] { WritePrivateProfileString("S", "big", std::string(10000, 'b'), File); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(std::tuple(error, Content()), std::tuple("Unable to write to " + File, before));
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"OrvixManager.ini"});  // no temporary left
  const std::string inFile = File + "/OrvixManager.ini";
  EXPECT_EQ(WriteError([&] { WritePrivateProfileString("S", "k", "2", inFile); }), "Unable to write to " + inFile);
  const std::string dirAsFile = (Dir / "sub").string();
  fs::create_directory(dirAsFile);
  EXPECT_EQ(WriteError([&] { WritePrivateProfileString("S", "k", "2", dirAsFile); }),
            "Unable to write to " + dirAsFile);
  EXPECT_EQ(std::tuple(fs::is_directory(dirAsFile), Content()), std::tuple(true, before));
}

TEST_F(IniProfile, WritingThroughALinkReplacesItsTargetOrMakesAMissingOneNeverTheLink) {
  Put("[S]\nk=1\n");
  const std::string toFile = (Dir / "to-file.ini").string();
  fs::create_symlink(File, toFile);
  WritePrivateProfileString("S", "k", "2", toFile);
  EXPECT_EQ(std::tuple(fs::is_symlink(toFile), Content()), std::tuple(true, "[S]\nk=2\n"));

  fs::create_directory(Dir / "real");
  const std::string link = (Dir / "link.ini").string();
  fs::create_symlink("real/OrvixManager.ini", link);  // relative, dangling
  WritePrivateProfileString("S", "k", "1", link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", 1024, (Dir / "real/OrvixManager.ini").string()), "1");

  // Where the target cannot be made, the write fails and the link stays.
  const std::string nowhere = (Dir / "nowhere.ini").string();
  fs::create_symlink(Dir / "missing-folder/OrvixManager.ini", nowhere);
  EXPECT_EQ(WriteError([&] { WritePrivateProfileString("S", "k", "1", nowhere); }), "Unable to write to " + nowhere);
  EXPECT_TRUE(fs::is_symlink(nowhere));
  const std::string loop = (Dir / "loop.ini").string();
  fs::create_symlink("loop.ini", loop);
  EXPECT_EQ(WriteError([&] { WritePrivateProfileString("S", "k", "1", loop); }), "Unable to write to " + loop);
  EXPECT_TRUE(fs::is_symlink(loop));
}

TEST_F(IniProfile, OneReadingServesEveryKeyOfTheSectionsAskedFor) {
  Put("[General]\nDeviceName=/dev/ttyUSB0\nBaudRate=0x4B00\n[Other]\nk=v\n"
      "[ClockReset]\nDate=2026,12,8\n\n[ClockReset]\nTime=9,5\nDate=1,1,1\n");
  const TProfileSections read(File, {"general", "ClockReset"});
  fs::remove(File);
  EXPECT_EQ(read.String("General", "DeviceName", "com1", 1024), "/dev/ttyUSB0");
  EXPECT_EQ(read.Integer("General", "BaudRate", 9600), 19200);
  EXPECT_EQ(read.String("Other", "k", "none", 1024), "none") << "a section not asked for";
  // Only a caller that asks looks beyond the first section of a name.
  EXPECT_EQ(read.String("ClockReset", "Time", "", 1024), "");
  EXPECT_EQ(read.StringInAnySection("ClockReset", "Time", "", 1024), "9,5");
  EXPECT_EQ(read.StringInAnySection("ClockReset", "Date", "", 1024), "2026,12,8");
}
