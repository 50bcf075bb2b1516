#include "toolkit/core/str_to_int.h"
#include "tests/common/message_of.h"

#include <gtest/gtest.h>

#include <utility>

TEST(StrToInt, DecimalSignedOrHexadecimalOtherTextRaisesDefAndTryDoNotIntToStrWritesDecimal) {
  // $FFFFFFFF is a 32-bit pattern.
  const std::pair<const char*, int> cases[] = {
      {"0", 0}, {"005", 5}, {"  42", 42}, {"+7", 7}, {"-12", -12}, {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1}, {"$10", 16}, {"0x4B00", 19200}, {"0XfF", 255}, {"x1f", 31},
      {"-$10", -16}, {"$7FFFFFFF", 2147483647}, {"$FFFFFFFF", -1}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt(text), value) << text;
  for (const char* bad : {"", " ", "-", "+", "$", "0x", "12a", "12 ", "1.5", "2147483648",
                          "-2147483649", "$100000000", "0x-5", "a12", "1,2", "\t5"})
    EXPECT_EQ(MessageOf<EConvertError>([&] { StrToInt(bad); }),
              "'" + std::string(bad) + "' is not a valid integer value");
  EXPECT_EQ(std::tuple(StrToIntDef("abc", 9600), StrToIntDef("0x4B00", 9600)), std::tuple(9600, 19200));
  int v = 77;
  EXPECT_FALSE(TryStrToInt("", v));
  EXPECT_EQ(v, 77);
  EXPECT_TRUE(TryStrToInt("-3", v));
  EXPECT_EQ(v, -3);
  EXPECT_EQ(std::tuple(IntToStr(0), IntToStr(-45)), std::tuple("0", "-45"));
  EXPECT_EQ(std::tuple(IntToStr(1234567890123LL), IntToStr(StrToInt("005"))), std::tuple("1234567890123", "5"));
}
