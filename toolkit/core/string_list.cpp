#include "toolkit/core/string_list.h"

#include "toolkit/core/list_error.h"

#include <QRegularExpression>

void TStringList::Check(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError::IndexOutOfBounds(Index);
}

QString TStringList::Strings(int Index) const {
  Check(Index);
  return list_[Index];
}

void TStringList::SetStrings(int Index, const QString& Value) {
  Check(Index);
  list_[Index] = Value;
}

int TStringList::Add(const QString& S) {
  list_.append(S);
  return Count() - 1;
}

void TStringList::Insert(int Index, const QString& S) {
  if (Index < 0 || Index > Count()) throw EListError::IndexOutOfBounds(Index);
  list_.insert(Index, S);
}

void TStringList::Delete(int Index) {
  Check(Index);
  list_.removeAt(Index);
}

QString TStringList::Text() const { return list_.join(QLatin1Char('\n')); }

void TStringList::SetText(const QString& Value) {
  if (Value.isEmpty()) {
    list_.clear();
    return;
  }
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  list_ = Value.split(lineBreak);
  // A final line break ends the last line; it does not start an empty one.
  if (list_.size() > 1 && list_.last().isEmpty()) list_.removeLast();
}

void TStringList::Assign(const TPersistent& Source) {
  if (const auto* source = dynamic_cast<const TStringList*>(&Source)) {
    list_ = source->list_;
    return;
  }
  TPersistent::Assign(Source);
}
