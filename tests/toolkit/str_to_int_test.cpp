#include "toolkit/core/str_to_int.h"
#include "tests/common/message_of.h"

TEST(StrToInt, DecimalWithSignAndLeadingBlanks) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("005"), 5);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, Hexadecimal) {
  EXPECT_EQ(StrToInt("$10"), 16);
  EXPECT_EQ(StrToInt("0x4B00"), 19200);
  EXPECT_EQ(StrToInt("0XfF"), 255);
  EXPECT_EQ(StrToInt("x1f"), 31);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$7FFFFFFF"), 2147483647);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // a 32-bit pattern
}

TEST(StrToInt, InvalidTextRaisesWithTheText) {
  for (const char* bad : {"", " ", "-", "+", "$", "0x", "12a", "12 ", "1.5", "2147483648",
                          "-2147483649", "$100000000", "0x-5", "a12", "1,2", "\t5"})
    EXPECT_EQ(MessageOf<EConvertError>([&] { StrToInt(bad); }),
              "'" + std::string(bad) + "' is not a valid integer value");
}

TEST(StrToInt, DefAndTryDoNotRaise) {
  EXPECT_EQ(StrToIntDef("abc", 9600), 9600);
  EXPECT_EQ(StrToIntDef("0x4B00", 9600), 19200);
  int v = 77;
  EXPECT_FALSE(TryStrToInt("", v));
  EXPECT_EQ(v, 77);
  EXPECT_TRUE(TryStrToInt("-3", v));
  EXPECT_EQ(v, -3);
}

TEST(IntToStr, Decimal) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-45), "-45");
  EXPECT_EQ(IntToStr(1234567890123LL), "1234567890123");
  EXPECT_EQ(IntToStr(StrToInt("005")), "5");
}
