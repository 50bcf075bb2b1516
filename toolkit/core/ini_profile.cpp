#include "toolkit/core/ini_profile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include <QLoggingCategory>

#include "toolkit/core/str_to_int.h"

namespace {

// The settings files read and written, in the diagnostic trace (off unless
// switched on, e.g. QT_LOGGING_RULES="orvix.settings=true").
Q_LOGGING_CATEGORY(lcSettings, "orvix.settings", QtWarningMsg)

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One line of the file: its text [Begin, End) without the line break (a CR
// before LF belongs to the break), and Next, where the following line begins.
struct TLine {
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::size_t Next = 0;
  bool HasBreak() const { return Next > End; }
};

// Lines one at a time, without copying; blank lines are passed over at the
// speed of a byte scan, so a file of millions of them costs next to nothing.
class TLineScanner {
 public:
  explicit TLineScanner(std::string_view text) : text_(text) {}
  // The next line holding more than blanks; `first` gets its first byte that
  // is not blank.
  bool Next(TLine& line, std::size_t& first) {
    std::size_t i = pos_, start = pos_;
    for (; i < text_.size() && IsBlank(text_[i]); ++i)
      if (text_[i] == '\n') start = i + 1;
    if (i >= text_.size()) {
      pos_ = i;
      return false;
    }
    line.Begin = start;
    const void* nl = std::memchr(text_.data() + i, '\n', text_.size() - i);
    if (!nl) {
      line.End = line.Next = text_.size();
    } else {
      line.End = static_cast<std::size_t>(static_cast<const char*>(nl) - text_.data());
      line.Next = line.End + 1;
      if (text_[line.End - 1] == '\r') --line.End;
    }
    pos_ = line.Next;
    first = i;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

enum class TLineKind { lkBlank, lkOther, lkSection, lkKey };

struct TLineInfo {
  TLineKind Kind = TLineKind::lkOther;
  std::string_view Name;       // section or key name, trimmed
  std::size_t ValueStart = 0;  // key lines: offset of the value in the line's text
};

std::string_view TrimView(std::string_view s) {
  std::size_t from = 0, to = s.size();
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

// `first`: the file's first line, which may begin with a UTF-8 byte order mark.
TLineInfo Classify(std::string_view text, bool first) {
  TLineInfo info;
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size()) {
    info.Kind = TLineKind::lkBlank;
    return info;
  }
  if (first && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    i = 3;
    while (i < text.size() && IsBlank(text[i])) ++i;
  }
  if (i < text.size() && text[i] == '[') {
    const std::size_t close = text.find(']', i + 1);
    if (close != std::string_view::npos) {
      info.Kind = TLineKind::lkSection;
      info.Name = TrimView(text.substr(i + 1, close - i - 1));
      return info;
    }
  }
  const std::size_t eq = text.find('=', i);
  if (eq == std::string_view::npos) return info;
  info.Kind = TLineKind::lkKey;
  info.Name = TrimView(text.substr(i, eq - i));
  std::size_t v = eq + 1;
  while (v < text.size() && IsBlank(text[v])) ++v;
  info.ValueStart = v;
  return info;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The value of the first line of `body` that sets `key`, as the reader gives it.
std::optional<std::string> FindValue(std::string_view body, std::string_view key) {
  TLineScanner lines(body);
  TLine line;
  std::size_t first = 0;
  while (lines.Next(line, first)) {
    const std::string_view text = body.substr(line.Begin, line.End - line.Begin);
    const TLineInfo info = Classify(text, false);
    if (info.Kind != TLineKind::lkKey || !SameName(info.Name, key)) continue;
    std::string_view value = TrimView(text.substr(info.ValueStart));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return std::nullopt;
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
  const std::string_view name = TrimView(key);
  return name.empty() || name[0] != '[';
}

[[noreturn]] void WriteFailed(const std::string& fileName) {
  qCDebug(lcSettings, "cannot write %s", fileName.c_str());
  throw EIniFileException("Unable to write to " + fileName);
}

bool WriteAll(int fd, std::string_view data) {
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

// The file a settings path stands for: through symbolic links, also one that
// points to a file not yet made (which is then created where it points).
// Empty for a chain of links that does not end.
std::string LinkTarget(const std::string& fileName) {
  if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
    std::string target = resolved;
    std::free(resolved);
    return target;
  }
  std::string path = fileName;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return {};
    link.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
  }
  return {};
}

// Writes a new file beside the old one and renames it over it, so readers and
// a crash or a full disk see either the old or the new file, never a part.
void ReplaceFile(const std::string& fileName, const std::vector<std::string_view>& pieces) {
  // Through a symbolic link the file it points to is replaced, not the link.
  const std::string target = LinkTarget(fileName);
  if (target.empty()) WriteFailed(fileName);
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
  for (const std::string_view piece : pieces) ok = ok && WriteAll(fd, piece);
  ok = ok && ::fsync(fd) == 0;
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

std::string Fallback(const std::string& def, std::size_t bufferSize) {
  std::string fallback = def;
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.pop_back();
  return Cut(std::move(fallback), bufferSize);
}

int IntegerSetting(std::string text, int def) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);
  return StrToIntDef(text, def);
}

// Where the section to write stands in the file: one record per section of
// its name, in file order.
struct TSectionPlace {
  std::size_t BlankRunBegin = 0;    // start of the blank lines just before the heading
  TLine LastNonBlank;               // the heading or the section's last non-blank line
  std::vector<std::optional<TLine>> Keys;  // per key written: its first line here
  std::vector<TLine> KeyLines;      // every line here of a key written
  bool HasOtherLines = false;       // a non-blank line that sets no key written
};

// A piece of the old file replaced by new text (an insertion when Begin == End).
struct TEdit {
  std::size_t Begin;
  std::size_t End;
  std::string Text;
};

std::vector<TSectionPlace> FindSectionPlaces(std::string_view content, std::string_view section,
                                             const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<TSectionPlace> places;
  TSectionPlace* current = nullptr;
  std::size_t afterNonBlank = 0;
  TLineScanner lines(content);
  TLine line;
  std::size_t first = 0;
  while (lines.Next(line, first)) {
    // Outside the section only a heading can matter.
    if (current || content[first] == '[' || line.Begin == 0) {
      const TLineInfo info = Classify(content.substr(line.Begin, line.End - line.Begin), line.Begin == 0);
      if (info.Kind == TLineKind::lkSection) {
        current = nullptr;
        if (SameName(info.Name, section)) {
          current = &places.emplace_back();
          current->BlankRunBegin = afterNonBlank;
          current->Keys.resize(values.size());
        }
      } else if (current) {
        bool written = false;
        for (std::size_t k = 0; k < values.size() && info.Kind == TLineKind::lkKey; ++k) {
          if (!SameName(info.Name, TrimView(values[k].first))) continue;
          if (!current->Keys[k]) current->Keys[k] = line;
          written = true;
        }
        if (written)
          current->KeyLines.push_back(line);
        else
          current->HasOtherLines = true;
      }
      if (current) current->LastNonBlank = line;
    }
    afterNonBlank = line.Next;
  }
  return places;
}

// Whether the file's last line holds more than blanks.
bool LastLineHasText(std::string_view content) {
  std::size_t end = content.size();
  if (end > 0 && content[end - 1] == '\n') --end;
  const std::size_t begin = end == 0 ? 0 : content.rfind('\n', end - 1) + 1;
  return Classify(content.substr(begin, end - begin), begin == 0).Kind != TLineKind::lkBlank;
}

}  // namespace

TProfileSections::TProfileSections(const std::string& fileName, const std::vector<std::string>& sections) {
  std::string content;
  if (!ReadFile(fileName, content)) {
    qCDebug(lcSettings, "read %s: missing or unreadable, defaults used", fileName.c_str());
    return;
  }
  qCDebug(lcSettings, "read %s: %zu bytes", fileName.c_str(), content.size());
  const std::string_view text = content;
  TLineScanner lines(text);
  TLine line;
  std::size_t first = 0;
  bool inWanted = false;
  while (lines.Next(line, first)) {
    const std::string_view lineText = text.substr(line.Begin, line.End - line.Begin);
    // Only a line beginning with '[' can be a heading (after a byte order
    // mark on the first), and only one holding '=' can set a key: a section
    // keeps just those, not its blank and comment lines.
    if (text[first] != '[' && line.Begin != 0) {
      if (inWanted && lineText.find('=') != std::string_view::npos) sections_.back().Body.append(lineText) += '\n';
      continue;
    }
    const TLineInfo info = Classify(lineText, line.Begin == 0);
    if (info.Kind != TLineKind::lkSection) {
      if (inWanted && info.Kind == TLineKind::lkKey) sections_.back().Body.append(lineText) += '\n';
      continue;
    }
    inWanted = std::any_of(sections.begin(), sections.end(),
                           [&](const std::string& s) { return SameName(info.Name, TrimView(s)); });
    if (inWanted) sections_.push_back({std::string(info.Name), {}});
  }
}

std::string TProfileSections::String(const std::string& section, const std::string& key, const std::string& def,
                                     std::size_t bufferSize) const {
  for (const TSection& s : sections_) {
    if (!SameName(s.Name, TrimView(section))) continue;
    const std::optional<std::string> value = FindValue(s.Body, TrimView(key));
    return value ? Cut(*value, bufferSize) : Fallback(def, bufferSize);
  }
  return Fallback(def, bufferSize);
}

int TProfileSections::Integer(const std::string& section, const std::string& key, int def) const {
  return IntegerSetting(String(section, key, "", 1024), def);
}

std::string TProfileSections::StringInAnySection(const std::string& section, const std::string& key,
                                                 const std::string& def, std::size_t bufferSize) const {
  for (const TSection& s : sections_) {
    if (!SameName(s.Name, TrimView(section))) continue;
    if (const std::optional<std::string> value = FindValue(s.Body, TrimView(key))) return Cut(*value, bufferSize);
  }
  return Fallback(def, bufferSize);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, std::size_t bufferSize,
                                    const std::string& fileName) {
  return TProfileSections(fileName, {section}).String(section, key, def, bufferSize);
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
    // must not be replaced by a file holding just these keys. A link to a
    // file not yet made is missing too.
    if (::stat(fileName.c_str(), &st) == 0 || errno != ENOENT) WriteFailed(fileName);
  }
  const std::string_view text = content;
  const std::size_t firstBreak = text.find('\n');
  const std::string eol = firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r'
                              ? "\r\n"
                              : "\n";
  const std::string_view sectionName = TrimView(section);

  const std::vector<TSectionPlace> places = FindSectionPlaces(text, sectionName, values);
  std::vector<TEdit> edits;
  std::string added;
  if (places.empty()) {
    if (!text.empty() && text.back() != '\n') added += eol;
    if (!text.empty() && LastLineHasText(text)) added += eol;
    added += "[" + std::string(sectionName) + "]" + eol;
    for (const auto& [key, value] : values) added += std::string(TrimView(key)) + "=" + value + eol;
    edits.push_back({text.size(), text.size(), std::move(added)});
  } else {
    const TSectionPlace& first = places.front();
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (const auto& line = first.Keys[k]) {
        const TLineInfo info = Classify(text.substr(line->Begin, line->End - line->Begin), line->Begin == 0);
        edits.push_back({line->Begin + info.ValueStart, line->End, values[k].second});
      } else {
        added += std::string(TrimView(values[k].first)) + "=" + values[k].second + eol;
      }
    }
    if (!added.empty()) {
      if (!first.LastNonBlank.HasBreak()) added.insert(0, eol);
      edits.push_back({first.LastNonBlank.Next, first.LastNonBlank.Next, std::move(added)});
    }
    // Sections of the same name written by others, or by an earlier version
    // of this program that wrote each key into a section of its own.
    for (std::size_t i = 1; i < places.size(); ++i) {
      const TSectionPlace& later = places[i];
      if (!later.HasOtherLines) {
        edits.push_back({later.BlankRunBegin, later.LastNonBlank.Next, {}});
        continue;
      }
      for (const TLine& line : later.KeyLines) edits.push_back({line.Begin, line.Next, {}});
    }
  }

  // Into file order; an insertion stays before a removal that begins where it goes.
  std::stable_sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) { return a.Begin < b.Begin; });
  std::vector<std::string_view> pieces;
  std::size_t pos = 0;
  for (const TEdit& edit : edits) {
    pieces.push_back(text.substr(pos, edit.Begin - pos));
    pieces.push_back(edit.Text);
    pos = edit.End;
  }
  pieces.push_back(text.substr(pos));
  ReplaceFile(fileName, pieces);
  if (lcSettings().isDebugEnabled()) {
    std::string keys;
    for (const auto& [key, value] : values) keys += " " + std::string(TrimView(key)) + "=" + value;
    qCDebug(lcSettings, "wrote %s: [%s]%s", fileName.c_str(), std::string(sectionName).c_str(), keys.c_str());
  }
}

void WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName) {
  WritePrivateProfileStrings(section, {{key, value}}, fileName);
}

void WriteProfileFile(const std::string& fileName, const std::string& content) {
  ReplaceFile(fileName, {content});
}

int ReadProfileInteger(const std::string& section, const std::string& key, int def,
                       const std::string& fileName) {
  return IntegerSetting(GetPrivateProfileString(section, key, "", 1024, fileName), def);
}
