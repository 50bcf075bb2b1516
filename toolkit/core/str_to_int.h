#pragma once

#include <string>

#include "toolkit/core/convert_error.h"

// The toolkit's integer conversion. Accepts leading blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Hexadecimal values up to FFFFFFFF are taken as 32-bit patterns ("$FFFFFFFF"
// is -1), as the classic toolkit does. Anything else, the empty text included,
// raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const std::string& text);
// Same rules; gives `def` where StrToInt would raise.
int StrToIntDef(const std::string& text, int def);
// Same rules without raising; false (and `value` untouched) on invalid text.
bool TryStrToInt(const std::string& text, int& value);

std::string IntToStr(long long value);
