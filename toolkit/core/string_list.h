#pragma once

// TStringList: an ordered list of strings that can be assigned from another
// string list. Indexes outside 0 .. Count() - 1 raise EListError
// "List index out of bounds (n)"; Insert also accepts Count() (append).
// Text joins the strings with line feeds; SetText splits at CR LF, CR or LF.

#include "toolkit/core/persistent.h"

#include <QString>
#include <QStringList>

class TStringList : public TPersistent {
 public:
  TStringList() = default;
  explicit TStringList(const QStringList& strings) : list_(strings) {}

  int Count() const { return static_cast<int>(list_.size()); }
  QString Strings(int Index) const;
  void SetStrings(int Index, const QString& Value);
  int Add(const QString& S);  // returns the new string's index
  void Insert(int Index, const QString& S);
  void Delete(int Index);
  void Clear() { list_.clear(); }
  int IndexOf(const QString& S) const { return static_cast<int>(list_.indexOf(S)); }

  QString Text() const;
  void SetText(const QString& Value);
  const QStringList& List() const { return list_; }
  void SetList(const QStringList& Value) { list_ = Value; }

  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TStringList"); }

  friend bool operator==(const TStringList& a, const TStringList& b) { return a.list_ == b.list_; }

 private:
  void Check(int Index) const;
  QStringList list_;
};
