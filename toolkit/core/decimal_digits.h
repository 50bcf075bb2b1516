#pragma once

#include <string>

// A finite double as the shortest decimal digits that read back as it, so that
// rounding works on the number a reader sees: 2.675 to two places is 2.68,
// although the double nearest to 2.675 lies a hair below it.
struct DecimalDigits {
  // No leading or trailing zeros; empty for zero.
  std::string Digits;
  // The value is 0.Digits × 10^PointPos.
  int PointPos = 0;

  // The sign of `value` is dropped.
  static DecimalDigits Of(double value);

  bool IsZero() const { return Digits.empty(); }
  // Keeps the first `count` digits (none when count ≤ 0), rounding half away
  // from zero; a carry may add a digit in front.
  void RoundToDigits(int count);
  void RoundToDecimals(int decimals) { RoundToDigits(PointPos + decimals); }
  // The digit at `index` counted from the first one; '0' outside them.
  char At(int index) const;
};
