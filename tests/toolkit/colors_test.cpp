#include "toolkit/widgets/colors.h"

#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

TEST(Colors, SystemColoursAreHighBitPlusTheirIndexPlainOnesKeepRedInTheLowByteTheSavedFormRoundTrips) {
  EXPECT_EQ((std::vector<std::uint32_t>{clBtnFace, clWindow, clInfoText, clInfoBk}),
            (std::vector<std::uint32_t>{0x8000000Fu, 0x80000005u, 0x80000017u, 0x80000018u}));
  EXPECT_EQ((std::vector{IsSystemColor(clHighlight), IsSystemColor(clWhite), IsSystemColor(clNone)}),
            (std::vector{true, false, false}));
  const QPalette any;
  EXPECT_EQ(
      (std::vector{ResolveColor(clRed, any), ResolveColor(clNavy, any), ResolveColor(ColorFromRgb(1, 2, 3), any)}),
            (std::vector{QColor(255, 0, 0), QColor(0, 0, 128), QColor(1, 2, 3)}));
  EXPECT_EQ(ColorFromQColor(QColor(10, 20, 30)), ColorFromRgb(10, 20, 30));
  EXPECT_EQ(ResolveColor(clNone, any).alpha(), 0);
  for (TColor c : {clBtnFace, clBlack, clWhite, clNone, ColorFromRgb(18, 52, 86), static_cast<TColor>(0x02123456)})
    EXPECT_EQ(StringToColor(ColorToString(c)), c) << ColorToString(c).toStdString();
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(ColorFromRgb(18, 52, 86)), "#123456");
  EXPECT_EQ(StringToColor("#ff0000"), clRed);
  for (const char* nonsense : {"clBtnFacade", "#12345", ""}) EXPECT_FALSE(StringToColor(nonsense)) << nonsense;
}

TEST(Colors, EachSystemColourReadsItsPaletteRoleFusionsAreTheFamiliarOnes) {
  // A palette in which every role of every group has a colour of its own.
  QPalette p;
  int n = 1;
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    for (int role = 0; role < QPalette::NColorRoles; ++role)
      p.setColor(group, static_cast<QPalette::ColorRole>(role), QColor(n % 256, (n * 7) % 256, n / 256 + 1)), ++n;
  struct TCase { TColor color; QPalette::ColorGroup group; QPalette::ColorRole role; };
  const TCase cases[] = {
      {clBtnFace, QPalette::Active, QPalette::Button}, {clBtnHighlight, QPalette::Active, QPalette::Light},
      {clBtnShadow, QPalette::Active, QPalette::Dark}, {clWindow, QPalette::Active, QPalette::Base},
      {clWindowText, QPalette::Active, QPalette::Text}, {clHighlight, QPalette::Active, QPalette::Highlight},
      {clHighlightText, QPalette::Active, QPalette::HighlightedText},
      {clInfoBk, QPalette::Active, QPalette::ToolTipBase},
      {clInfoText, QPalette::Active, QPalette::ToolTipText}, {clBtnText, QPalette::Active, QPalette::ButtonText},
      {clGrayText, QPalette::Disabled, QPalette::Text}, {cl3DDkShadow, QPalette::Active, QPalette::Shadow},
      {cl3DLight, QPalette::Active, QPalette::Midlight}, {clMenuText, QPalette::Active, QPalette::WindowText}};
  for (const TCase& k : cases)
    EXPECT_EQ(ResolveColor(k.color, p), p.color(k.group, k.role)) << ColorToString(k.color).toStdString();
  EXPECT_EQ(ResolveColor(static_cast<TColor>(0x80000019), p), QColor(Qt::black));  // index without a role
  const QPalette fusion = std::unique_ptr<QStyle>(QStyleFactory::create("Fusion"))->standardPalette();
  const std::pair<TColor, const char*> familiar[] = {
      {clBtnFace, "#efefef"}, {clBtnHighlight, "#ffffff"}, {clBtnShadow, "#9f9f9f"}, {clWindow, "#ffffff"},
      {clInfoBk, "#ffffdc"}};
  for (const auto& [color, name] : familiar) EXPECT_EQ(ResolveColor(color, fusion).name(), name) << name;
}
