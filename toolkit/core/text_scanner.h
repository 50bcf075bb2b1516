#pragma once

#include <QStringList>
#include <QStringView>

// A cursor over typed text for the locale-aware conversions. Blanks are white
// space and the invisible direction marks that some locales put into their
// formats (and so into text copied from their output).
class TextScanner {
 public:
  explicit TextScanner(QStringView text) : text_(text) {}

  qsizetype Pos() const { return pos_; }
  void SetPos(qsizetype pos) { pos_ = pos; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  QChar Peek() const { return AtEnd() ? QChar() : text_[pos_]; }
  // True when only blanks are left; they are skipped.
  bool AtEndAfterBlanks();

  // Skips blanks; true when there were any.
  bool SkipBlanks();
  // Digits of any script count; -1 (nothing taken) when the next one is none.
  int TakeDigit();
  // Takes a run of digits; `value` stops growing past nine digits so that it
  // cannot overflow, the returned count still says how many there were.
  int TakeNumber(int& value);
  // Takes `text` when the input continues with it, in any letter case.
  bool Take(QStringView text);
  // Takes the longest of `words` the input continues with ("March" rather
  // than "Mar"); its index, or -1.
  int TakeWord(const QStringList& words);
  // True when the input continues with one of `texts` (nothing is taken).
  bool LooksAt(const QStringList& texts) const;

  static bool IsBlank(QChar c);
  static bool IsDigit(QChar c) { return c.isDigit() && c.digitValue() >= 0; }

 private:
  bool StartsWith(QStringView text) const;

  QStringView text_;
  qsizetype pos_ = 0;
};
