#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/exception.h"

// Raised when a settings file cannot be written: "Unable to write to <file>".
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

// Larger than any real settings file (a 10 MB one still works).
constexpr long long MaxProfileFileSize = 16LL << 20;

// Private profile (INI) files, read and written with the semantics of the
// classic system functions: section and key names are compared without case
// (ASCII), blanks around names and values are ignored, one pair of matching
// surrounding quotes ('...' or "...") is removed, and the value is cut to
// bufferSize - 1 bytes. A missing file, section or key gives `def` (its
// trailing blanks removed, also cut to bufferSize - 1). Only the first section
// of a given name is used. Bytes are taken as they are (8-bit text). Only a
// regular file of at most MaxProfileFileSize bytes is read: anything else (a
// FIFO, a device, a folder, a larger file) reads as missing.
//
// Each call reads the file; TProfileSections reads it once for many keys.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, std::size_t bufferSize,
                                    const std::string& fileName);

// Some sections of a settings file, read in one pass: every key asked for
// afterwards comes from this one reading. Only the sections named here are
// kept (every section of each name, in file order); the rest of the file,
// blank and comment lines and other sections, costs a scan and no memory.
class TProfileSections {
 public:
  TProfileSections(const std::string& fileName, const std::vector<std::string>& sections);

  // As GetPrivateProfileString, from the first section of the name. A section
  // that was not asked for reads as missing.
  std::string String(const std::string& section, const std::string& key, const std::string& def,
                     std::size_t bufferSize) const;
  // As ReadProfileInteger.
  int Integer(const std::string& section, const std::string& key, int def) const;
  // As String, but a key missing from the first section of the name is looked
  // for in the later ones, in file order.
  std::string StringInAnySection(const std::string& section, const std::string& key, const std::string& def,
                                 std::size_t bufferSize) const;

 private:
  struct TSection {
    std::string Name;  // trimmed, as written
    std::string Body;  // the lines after the heading that could set a key
  };
  std::vector<TSection> sections_;
};

// Sets key=value in the first section of that name. Every other line of the
// file stays byte for byte; an existing key is updated in place, a new one
// goes after the last non-blank line of its section, a missing section is
// added at the end. A later section of the same name loses its lines of the
// keys written (they could only contradict them), and goes altogether when
// nothing but blank lines would be left of it. The file is replaced
// atomically (temporary file in the same folder, flushed and synced, then
// renamed over it), so it is never left half written. Raises
// EIniFileException "Unable to write to <fileName>" and leaves the old file as
// it was when anything fails.
//
// What reads as missing but exists is never written, nor is a file without
// write permission for this process or with no write bit at all (read-only
// on purpose, even for root). A replaced file keeps its
// permission bits (and its owner where the process may set it). Temporary
// files left by writers that were killed are removed before each write.
// Refused the same way: what could not be read back without changing other
// keys (a line break anywhere, "]" in the section, "=" in the key or a key
// beginning with "[").
//
// A symbolic link is written through, never replaced: the file it points to
// is replaced, or created in its folder when it does not exist yet.
void WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName);

// Several keys of one section in one replacement, in order: a reader, or a
// writer killed halfway, sees all of them old or all of them new.
void WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& values,
                                const std::string& fileName);

// Replaces the whole file by `content`, the way the writers above replace it
// (atomically, through links, never what reads as missing but exists).
// Raises EIniFileException "Unable to write to <fileName>".
void WriteProfileFile(const std::string& fileName, const std::string& content);

// The text read for an integer setting (1024-byte buffer): a value of more than
// two characters beginning with 0x or 0X is hexadecimal; a missing value or one
// that is no valid integer (StrToInt rules) gives `def`.
int ReadProfileInteger(const std::string& section, const std::string& key, int def,
                       const std::string& fileName);
