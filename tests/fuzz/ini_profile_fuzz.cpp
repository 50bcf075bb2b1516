// The settings-file reader and writer on any file: writing one key leaves every other line as it was and
// every other key reading as before, and the key written reads back.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <set>
#include <iterator>

#include "tests/fuzz/fuzz_input.h"
#include "toolkit/core/ini_profile.h"

using fuzz::Check;

namespace {

std::string FileName;   // the file written
std::string Untouched;  // the same bytes, never written: how the file read before

void WriteBytes(const std::string& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadBytes() {
  std::ifstream in(FileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0, nl = 0; pos < text.size(); pos = nl + 1) {
    nl = std::min(text.find('\n', pos), text.size());
    lines.push_back(text.substr(pos, nl - pos));
  }
  return lines;
}

std::string Trimmed(const std::string& s) {
  const char* blanks = " \t\r\n\v\f";
  const std::size_t b = s.find_first_not_of(blanks);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

// A name as the reader compares it: blanks around it dropped, ASCII case folded.
std::string Key(const std::string& name) {
  std::string s = Trimmed(name);
  for (char& c : s) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Names worth asking for: anything a line could be taken as; which are sections and keys is the reader's say.
void CollectNames(const std::string& text, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  auto add = [](std::vector<std::string>& to, const std::string& name) {
    for (const auto& n : to) if (Key(n) == Key(name)) return;
    if (to.size() < 12) to.push_back(name);
  };
  for (const std::string& line : Lines(text)) {
    const std::string t = Trimmed(line);
    const std::size_t close = t.find(']');
    if (!t.empty() && t[0] == '[' && close != std::string::npos) add(sections, t.substr(1, close - 1));
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) add(keys, line.substr(0, eq));
  }
}

// Lines the writer may drop: in a section of the written name after the first, the key's own lines, blank
// lines and the heading, and the blank lines just before such a heading.
std::vector<bool> Removable(const std::vector<std::string>& lines, const std::string& section,
                            const std::string& key) {
  std::vector<bool> removable(lines.size(), false);
  int seen = 0;
  bool inLater = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string t = Trimmed(lines[i]);
    const std::size_t close = t.find(']');
    if (!t.empty() && t[0] == '[' && close != std::string::npos) {
      inLater = Key(t.substr(1, close - 1)) == Key(section) && ++seen > 1;
      if (inLater) for (std::size_t j = i; j-- > 0 && Trimmed(lines[j]).empty();) removable[j] = true;
      removable[i] = inLater;
      continue;
    }
    const std::size_t eq = lines[i].find('=');
    removable[i] = inLater && (t.empty() || (eq != std::string::npos && Key(lines[i].substr(0, eq)) == Key(key)));
  }
  return removable;
}

const char* const kMissing = "\x01missing";
std::string Folder;

void RemoveFolder() {
  ::unlink(FileName.c_str());
  ::unlink(Untouched.c_str());
  ::rmdir(Folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory file system where there is one: the writer syncs every file.
  char dir[] = "/dev/shm/orvix-ini-fuzz-XXXXXX";
  char fallback[] = "/tmp/orvix-ini-fuzz-XXXXXX";
  const char* made = ::mkdtemp(dir);
  if (!made) made = ::mkdtemp(fallback);
  if (!made) fuzz::Fail("no temporary folder");
  Folder = made;
  FileName = Folder + "/OrvixManager.ini";
  Untouched = Folder + "/before.ini";
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // One declaration: its strings are taken from the input in this order.
  const std::string section = in.ConsumeRandomLengthString(24), key = in.ConsumeRandomLengthString(24),
                    value = in.ConsumeRandomLengthString(48);
  const std::string before = in.ConsumeRemainingBytesAsString();
  WriteBytes(FileName, before);
  WriteBytes(Untouched, before);

  try {
    WritePrivateProfileString(section, key, value, FileName);
  } catch (const EIniFileException&) {
    Check(ReadBytes() == before, "a refused write changed the file");
    const char* ordinary = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ,.:/_-";
    const auto plain = [&](const std::string& t) { return t.find_first_not_of(ordinary) == std::string::npos; };
    Check(!plain(section) || !plain(key) || !plain(value), "an ordinary setting refused");
    return 0;
  }
  const std::string after = ReadBytes();

  // Line by line: one key line changed in place, or up to three lines (a blank, the heading, the key) inserted
  // in one place; the last line may only gain its line break. Later sections of the name written may lose
  // lines of the key written, their heading and blank lines with them; nothing else goes.
  const std::vector<std::string> a = Lines(before), b = Lines(after);
  const bool lastOpen = !before.empty() && before.back() != '\n';
  auto same = [&](std::size_t i, std::size_t j) {
    return a[i] == b[j] || (lastOpen && i + 1 == a.size() && b[j] == a[i] + "\r");  // gained CR LF
  };
  const std::vector<bool> removable = Removable(a, section, key);
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && same(head, head)) ++head;
  std::set<std::pair<std::size_t, std::size_t>> tried;
  // The rest of a, less removable lines, is the rest of b.
  std::function<bool(std::size_t, std::size_t)> rest = [&](std::size_t i, std::size_t j) {
    if (!tried.insert({i, j}).second) return false;
    if (i == a.size()) return j == b.size();
    if (j < b.size() && same(i, j) && rest(i + 1, j + 1)) return true;
    return removable[i] && rest(i + 1, j);
  };
  bool fits = false;
  for (std::size_t added = 0; added <= 3 && !fits; ++added)
    fits = head + added <= b.size() && rest(head, head + added);
  if (!fits && head < a.size() && head < b.size()) fits = rest(head + 1, head + 1);  // changed in place
  Check(fits, "other lines of the file changed");

  // Every other name reads as before, names only the new file has included; the key written reads back as
  // written, less what reading drops (blanks around it, one pair of quotes).
  std::vector<std::string> sections{section}, keys{key};
  CollectNames(before, sections, keys);
  CollectNames(after, sections, keys);
  for (const auto& s : sections)
    for (const auto& k : keys) {
      const std::string now = GetPrivateProfileString(s, k, kMissing, 4096, FileName);
      if (Key(s) != Key(section) || Key(k) != Key(key))
        Check(now == GetPrivateProfileString(s, k, kMissing, 4096, Untouched), "another key changed");
    }
  const std::string plain = Trimmed(value);
  const bool quoted = plain.size() >= 2 && (plain[0] == '"' || plain[0] == '\'') && plain.back() == plain[0];
  if (!quoted) Check(GetPrivateProfileString(section, key, kMissing, 4096, FileName) == plain, "key not read back");
  return 0;
}
