#pragma once

// TUserStore: the per-user settings store, in place of the registry's
// HKEY_CURRENT_USER. It is the program's QSettings in the native format: on
// Linux the INI file $XDG_CONFIG_HOME/<organization>/<application>.conf
// (~/.config when XDG_CONFIG_HOME is unset), where the organization is the
// application's organization name, or its application name when none is set.
//
// A key path is a chain of keys separated by backslashes, as in the
// registry, or slashes, e.g. "Software\Orvix\Columns"; it becomes a group of
// that file. Value names may hold any character: '/', '\' and '%' are kept
// escaped (%2F, %5C, %25) because QSettings would read the first two as
// separators. Integers are written as decimal text; reading accepts only
// what is an integer of 32 bits.
//
// What is written reaches the file when the key is closed (or the store
// destroyed); QSettings writes a temporary file and renames it.

#include "toolkit/core/exception.h"

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

class EUserStoreError : public Exception {
 public:
  using Exception::Exception;
};

class TUserStore {
 public:
  TUserStore();
  ~TUserStore();
  TUserStore(const TUserStore&) = delete;
  TUserStore& operator=(const TUserStore&) = delete;

  // Opens Key; a key that does not exist yet is made when CanCreate and
  // reported as not opened otherwise. False also for a blank key path.
  bool OpenKey(const QString& Key, bool CanCreate);
  void CloseKey();

  // Names of the values directly under the open key, in the store's order.
  QStringList GetValueNames() const;
  void WriteInteger(const QString& Name, int Value);
  // EUserStoreError when the value is missing or is not an integer.
  int ReadInteger(const QString& Name) const;

  // The file the store lives in.
  static QString FileName();

 private:
  std::unique_ptr<QSettings> settings_;
  bool open_ = false;
};
