#include "toolkit/core/str_to_int.h"

#include <cstdint>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(const std::string& text, int& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  bool hex = false;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;  // no digits at all

  if (hex) {
    // Up to 32 bits, taken as a two's complement pattern.
    std::uint32_t v = 0;
    for (; i < n; ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0 || v > 0x0FFFFFFFu) return false;
      v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    if (negative) v = 0u - v;
    value = static_cast<std::int32_t>(v);
    return true;
  }

  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t v = 0;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > limit) return false;
  }
  value = static_cast<int>(negative ? -v : v);
  return true;
}

int StrToInt(const std::string& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}

int StrToIntDef(const std::string& text, int def) {
  int value = 0;
  return TryStrToInt(text, value) ? value : def;
}

std::string IntToStr(long long value) { return std::to_string(value); }
