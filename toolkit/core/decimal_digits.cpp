#include "toolkit/core/decimal_digits.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

void TrimTrailingZeros(DecimalDigits& d) {
  const std::size_t last = d.Digits.find_last_not_of('0');
  d.Digits.erase(last == std::string::npos ? 0 : last + 1);
  if (d.Digits.empty()) d.PointPos = 0;
}

}  // namespace

DecimalDigits DecimalDigits::Of(double value) {
  DecimalDigits d;
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  const std::string text(buf, result.ptr);
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.Digits += text[i];
  d.PointPos = std::atoi(text.c_str() + e + 1) + 1;
  TrimTrailingZeros(d);
  return d;
}

void DecimalDigits::RoundToDigits(int count) {
  if (count >= static_cast<int>(Digits.size())) return;
  const bool up = count >= 0 && Digits[count] >= '5';
  Digits.resize(count < 0 ? 0 : count);
  if (up) {
    int i = count - 1;
    while (i >= 0 && Digits[i] == '9') Digits[i--] = '0';
    if (i < 0) {
      Digits.insert(Digits.begin(), '1');
      ++PointPos;
    } else {
      ++Digits[i];
    }
  }
  TrimTrailingZeros(*this);
}

char DecimalDigits::At(int index) const {
  return index >= 0 && index < static_cast<int>(Digits.size()) ? Digits[index] : '0';
}
