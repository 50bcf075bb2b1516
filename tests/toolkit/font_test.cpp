#include "tests/common/message_of.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/string_list.h"
#include "toolkit/widgets/font.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

struct TCounted {
  TFont font;
  int changes = 0;
  TCounted() { font.OnChange = [this](TFont* sender) { EXPECT_EQ(sender, &font); ++changes; }; }
};

}  // namespace

TEST(Font, EachRealChangeNotifiesOnceEqualValuesNothingAQtFontGivesItsDescriptionAndKeepsTheColour) {
  TCounted f;
  f.font.SetName(f.font.Name());
  f.font.SetHeight(f.font.Height());
  f.font.SetStyle(f.font.Style());
  f.font.SetCharset(f.font.Charset());
  f.font.SetPitch(f.font.Pitch());
  f.font.SetColor(f.font.Color());
  EXPECT_EQ(f.changes, 0);

  f.font.SetName("DejaVu Serif");
  f.font.SetHeight(f.font.Height() + 3);
  f.font.SetStyle({TFontStyle::fsBold});
  f.font.SetCharset(0);
  f.font.SetPitch(TFontPitch::fpFixed);
  f.font.SetColor(clRed);
  EXPECT_EQ(f.changes, 6);
  f.font.SetColor(clRed);
  f.changes = 0;
  QFont q("DejaVu Serif");
  q.setPointSize(12);
  q.setBold(true);
  f.font.AssignQFont(q);
  EXPECT_EQ(f.changes, 1);
  EXPECT_EQ(std::tuple(f.font.Name(), f.font.Height(), f.font.Style().Contains(TFontStyle::fsBold), f.font.Color()),
            std::tuple(QString("DejaVu Serif"), 16, true, clRed));
  f.font.AssignQFont(q);
  EXPECT_EQ(f.changes, 1);
}

TEST(Font, AssignNotifiesOnceWhenTheCopyDiffersNotAtAllWhenEqualAndFailsForSomethingElse) {
  TCounted f;
  const QString before = f.font.Name();
  EXPECT_EQ(MessageOf<EConvertError>([&] { f.font.Assign(TStringList{}); }), "Cannot assign a TStringList to a TFont");
  EXPECT_EQ(std::tuple(f.font.Name(), f.changes), std::tuple(before, 0));

  TFont other;
  f.font.Assign(other);  // both have the default description
  EXPECT_EQ(f.changes, 0);
  other.SetName("DejaVu Serif");
  other.SetSize(14);
  other.SetColor(clBlue);
  f.font.Assign(other);
  EXPECT_EQ(std::tuple(f.changes, f.font.Equals(other)), std::tuple(1, true));
  f.font.Assign(other);
  EXPECT_EQ(f.changes, 1);
}

TEST(Font, TheDefaultIsTheApplicationsFontSizeIsPointsAtNinetySixDpiTheQtFontFollows) {
  TFont f;
  EXPECT_EQ(std::tuple(f.Name(), f.Color(), f.Style().Empty(), f.Charset(), f.Pitch()),
            std::tuple(QGuiApplication::font().family(), clWindowText, true, DEFAULT_CHARSET, TFontPitch::fpDefault));

  f.SetSize(8);
  EXPECT_EQ(std::pair(f.Height(), f.Size()), std::pair(11, 8));
  f.SetName("DejaVu Sans");
  f.SetHeight(20);
  f.SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline, TFontStyle::fsStrikeOut});
  const QFont q = f.QtFont();
  EXPECT_EQ(std::tuple(q.family(), q.pixelSize()), std::tuple(QString("DejaVu Sans"), 20));
  EXPECT_TRUE(q.bold() && q.italic() && q.underline() && q.strikeOut());
  EXPECT_EQ(f.Size(), 15);
}

