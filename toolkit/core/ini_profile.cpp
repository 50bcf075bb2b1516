#include "toolkit/core/ini_profile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "toolkit/core/str_to_int.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s, std::size_t from = 0, std::size_t to = std::string::npos) {
  if (to > s.size()) to = s.size();
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

enum class TLineKind { lkOther, lkSection, lkKey };

struct TLine {
  std::string Text;  // without its line break
  std::string Eol;   // "\n", "\r\n" or "" (last line without a break)
  TLineKind Kind = TLineKind::lkOther;
  std::string Name;             // section or key name, trimmed
  std::size_t ValueStart = 0;   // key lines: first byte of the value in Text
};

void Classify(TLine& line, bool first) {
  std::size_t i = 0;
  if (first && line.Text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  while (i < line.Text.size() && IsBlank(line.Text[i])) ++i;
  if (i < line.Text.size() && line.Text[i] == '[') {
    const std::size_t close = line.Text.find(']', i + 1);
    if (close != std::string::npos) {
      line.Kind = TLineKind::lkSection;
      line.Name = Trim(line.Text, i + 1, close);
      return;
    }
  }
  const std::size_t eq = line.Text.find('=', i);
  if (eq == std::string::npos) return;
  line.Kind = TLineKind::lkKey;
  line.Name = Trim(line.Text, i, eq);
  std::size_t v = eq + 1;
  while (v < line.Text.size() && IsBlank(line.Text[v])) ++v;
  line.ValueStart = v;
}

std::vector<TLine> Parse(const std::string& content) {
  std::vector<TLine> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    TLine line;
    const std::size_t nl = content.find('\n', pos);
    if (nl == std::string::npos) {
      line.Text = content.substr(pos);
      pos = content.size();
    } else {
      line.Text = content.substr(pos, nl - pos);
      line.Eol = "\n";
      if (!line.Text.empty() && line.Text.back() == '\r') {
        line.Text.pop_back();
        line.Eol = "\r\n";
      }
      pos = nl + 1;
    }
    Classify(line, lines.empty());
    lines.push_back(std::move(line));
  }
  return lines;
}

// The first section of that name: [header index, end index).
bool FindSection(const std::vector<TLine>& lines, const std::string& section, std::size_t& begin,
                 std::size_t& end) {
  const std::string name = Trim(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].Kind != TLineKind::lkSection || !SameName(lines[i].Name, name)) continue;
    begin = i;
    end = i + 1;
    while (end < lines.size() && lines[end].Kind != TLineKind::lkSection) ++end;
    return true;
  }
  return false;
}

std::size_t FindKey(const std::vector<TLine>& lines, std::size_t begin, std::size_t end,
                    const std::string& key) {
  const std::string name = Trim(key);
  for (std::size_t i = begin + 1; i < end; ++i)
    if (lines[i].Kind == TLineKind::lkKey && SameName(lines[i].Name, name)) return i;
  return std::string::npos;
}

// Only a regular file is read, and only up to a size that no settings file
// comes near: a FIFO would block the reader, a device could be endless.
bool ReadFile(const std::string& fileName, std::string& content) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxProfileFileSize) return false;
  // Non-blocking, should the path have become a FIFO since the look.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxProfileFileSize;
  std::string data;
  if (ok) data.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    // A file that grows while it is read is held to the same limit.
    ok = data.size() + static_cast<std::size_t>(n) <= static_cast<std::size_t>(MaxProfileFileSize);
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (ok) content = std::move(data);
  return ok;
}

std::string Cut(std::string s, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  if (s.size() > bufferSize - 1) s.resize(bufferSize - 1);
  return s;
}

// A name or value that would not stay on its own line, or would turn its line
// into another kind, would change other keys of the file when written.
bool FitsOnItsLine(const std::string& section, const std::string& key, const std::string& value) {
  const auto breaksLine = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
  if (breaksLine(section) || breaksLine(key) || breaksLine(value)) return false;
  if (section.find(']') != std::string::npos || key.find('=') != std::string::npos) return false;
  const std::string name = Trim(key);
  return name.empty() || name[0] != '[';
}

[[noreturn]] void WriteFailed(const std::string& fileName) {
  throw EIniFileException("Unable to write to " + fileName);
}

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A file size limit must make the write fail (EFBIG), not kill the program.
void IgnoreFileSizeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
      current.sa_handler == SIG_DFL)
    ::signal(SIGXFSZ, SIG_IGN);
}

// Replacing needs only the folder's permission, so the file's own is asked
// for. Root may write anything, but a file without any write bit is
// read-only on purpose.
bool MayWrite(const std::string& path, const struct stat& st) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

std::string TemporaryPrefix(const std::string& base) { return "." + base + ".tmp"; }

// Temporary files of writers that were killed before their rename: named by
// TemporaryPrefix, the writer's process id, '-' and a counter. Those of
// processes that still exist are left alone.
void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return;
  const std::string prefix = TemporaryPrefix(base);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    std::size_t i = prefix.size();
    long pid = 0;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < 100000000) pid = pid * 10 + (name[i++] - '0');
    if (i == prefix.size() || i >= name.size() || name[i] != '-' || pid <= 0) continue;
    if (pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(folder), name.c_str(), 0);
  }
  ::closedir(folder);
}

// Writes a new file beside the old one and renames it over it, so readers and
// a crash or a full disk see either the old or the new file, never a part.
void ReplaceFile(const std::string& fileName, const std::string& content) {
  // Through a symbolic link the file it points to is replaced, not the link.
  std::string target = fileName;
  if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && (!S_ISREG(old.st_mode) || !MayWrite(target, old))) WriteFailed(fileName);

  IgnoreFileSizeSignal();
  RemoveStaleTemporaries(dir, base);
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dir + "/" + TemporaryPrefix(base) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) WriteFailed(fileName);

  bool ok = true;
  if (exists) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    // Best effort: keep the owner when run with the rights to do so.
    if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
  }
  ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    WriteFailed(fileName);
  }
  // Make the rename itself durable; the new file is in place either way.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, std::size_t bufferSize,
                                    const std::string& fileName) {
  std::string fallback = def;
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.pop_back();
  fallback = Cut(fallback, bufferSize);

  std::string content;
  if (!ReadFile(fileName, content)) return fallback;
  const auto lines = Parse(content);
  std::size_t begin = 0, end = 0;
  if (!FindSection(lines, section, begin, end)) return fallback;
  const std::size_t k = FindKey(lines, begin, end, key);
  if (k == std::string::npos) return fallback;

  std::string value = Trim(lines[k].Text, lines[k].ValueStart);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return Cut(std::move(value), bufferSize);
}

void WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& values,
                                const std::string& fileName) {
  for (const auto& [key, value] : values)
    if (!FitsOnItsLine(section, key, value)) WriteFailed(fileName);
  std::string content;
  if (!ReadFile(fileName, content)) {
    struct stat st {};
    // Only a missing file starts empty; one that exists but cannot be read
    // must not be replaced by a file holding just these keys.
    if (::stat(fileName.c_str(), &st) == 0 || errno != ENOENT) WriteFailed(fileName);
  }
  auto lines = Parse(content);

  std::string eol = "\n";
  for (const auto& line : lines)
    if (!line.Eol.empty()) {
      eol = line.Eol;
      break;
    }
  auto makeLine = [&](std::string text) {
    TLine line;
    line.Text = std::move(text);
    line.Eol = eol;
    return line;
  };
  const std::string sectionName = Trim(section);

  for (const auto& [key, value] : values) {
    const std::string keyName = Trim(key);
    std::size_t begin = 0, end = 0;
    if (FindSection(lines, section, begin, end)) {
      const std::size_t k = FindKey(lines, begin, end, key);
      if (k != std::string::npos) {
        lines[k].Text = lines[k].Text.substr(0, lines[k].ValueStart) + value;
      } else {
        std::size_t after = end - 1;
        while (after > begin && Trim(lines[after].Text).empty()) --after;
        if (lines[after].Eol.empty()) lines[after].Eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), makeLine(keyName + "=" + value));
      }
    } else {
      if (!lines.empty() && lines.back().Eol.empty()) lines.back().Eol = eol;
      if (!lines.empty() && !Trim(lines.back().Text).empty()) lines.push_back(makeLine(""));
      lines.push_back(makeLine("[" + sectionName + "]"));
      lines.push_back(makeLine(keyName + "=" + value));
    }
  }

  std::string out;
  for (const auto& line : lines) out += line.Text + line.Eol;
  ReplaceFile(fileName, out);
}

void WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName) {
  WritePrivateProfileStrings(section, {{key, value}}, fileName);
}

int ReadProfileInteger(const std::string& section, const std::string& key, int def,
                       const std::string& fileName) {
  std::string text = GetPrivateProfileString(section, key, "", 1024, fileName);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text = "$" + text.substr(2);
  return StrToIntDef(text, def);
}
