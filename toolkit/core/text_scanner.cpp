#include "toolkit/core/text_scanner.h"

bool TextScanner::IsBlank(QChar c) { return c.isSpace() || c.category() == QChar::Other_Format; }

bool TextScanner::SkipBlanks() {
  const qsizetype start = pos_;
  while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  return pos_ != start;
}

bool TextScanner::AtEndAfterBlanks() {
  SkipBlanks();
  return AtEnd();
}

int TextScanner::TakeDigit() {
  if (AtEnd() || !IsDigit(text_[pos_])) return -1;
  return text_[pos_++].digitValue();
}

int TextScanner::TakeNumber(int& value) {
  value = 0;
  int count = 0;
  for (int d = TakeDigit(); d >= 0; d = TakeDigit()) {
    if (count < 9) value = value * 10 + d;
    ++count;
  }
  return count;
}

bool TextScanner::StartsWith(QStringView text) const {
  return !text.isEmpty() && text_.size() - pos_ >= text.size() &&
         text_.mid(pos_, text.size()).compare(text, Qt::CaseInsensitive) == 0;
}

bool TextScanner::Take(QStringView text) {
  if (!StartsWith(text)) return false;
  pos_ += text.size();
  return true;
}

int TextScanner::TakeWord(const QStringList& words) {
  int best = -1;
  for (int i = 0; i < words.size(); ++i) {
    const QString& w = words[i];
    if (StartsWith(w) && (best < 0 || w.size() > words[best].size())) best = i;
  }
  if (best >= 0) pos_ += words[best].size();
  return best;
}

bool TextScanner::LooksAt(const QStringList& texts) const {
  for (const QString& t : texts)
    if (StartsWith(t)) return true;
  return false;
}
