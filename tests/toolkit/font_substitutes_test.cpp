#include "toolkit/widgets/font_substitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

bool Installed(const QString& family) { return QFontDatabase::hasFamily(family); }

// Measured, since some monospaced fonts do not say so.
bool EvenlySpaced(const QString& family) {
  const QFontMetrics m{QFont(family)};
  return m.horizontalAdvance("iiii") == m.horizontalAdvance("MMMM");
}

}  // namespace

TEST(FontSubstitutes, WindowsFamiliesGetTheirMetricTwins) {
  ASSERT_TRUE(Installed("Liberation Sans")) << "fonts-liberation2 is missing (scripts/install-deps.sh)";
  ASSERT_FALSE(Installed("MS Sans Serif"));
  const std::pair<const char*, const char*> twins[] = {
      {"MS Sans Serif", "Liberation Sans"}, {"ms sans serif", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};
  for (const auto& [asked, twin] : twins) EXPECT_EQ(SubstituteFontFamily(asked), twin) << asked;

  // What the substitution is for: fontconfig's own fallback is much wider.
  QFont asked("MS Sans Serif"), chosen(SubstituteFontFamily("MS Sans Serif"));
  for (QFont* f : {&asked, &chosen}) { f->setPixelSize(11); f->setBold(true); }
  EXPECT_EQ(QFontInfo(chosen).family(), "Liberation Sans");
  const QString text = "Play welcome message (full memory)";
  EXPECT_LT(QFontMetrics(chosen).horizontalAdvance(text) * 10, QFontMetrics(asked).horizontalAdvance(text) * 9);
}

TEST(FontSubstitutes, InstalledAndUnknownFamiliesAreKeptWithoutLiberationTheDesktopsOwnStyleIsUsed) {
  EXPECT_EQ(SubstituteFontFamily("DejaVu Sans"), "DejaVu Sans");
  EXPECT_EQ(SubstituteFontFamily("No Such Family"), "No Such Family");
  // A real MS Sans Serif, where someone has one, is used as it is.
  EXPECT_EQ(SubstituteFontFamily("MS Sans Serif", [](const QString& f) { return f == "MS Sans Serif"; }),
            "MS Sans Serif");
  auto withoutLiberation = [](const QString& f) { return !f.startsWith("Liberation") && Installed(f); };
  const QString sans = SubstituteFontFamily("MS Sans Serif", withoutLiberation);
  EXPECT_NE(sans, "MS Sans Serif");
  EXPECT_NE(sans, "Liberation Sans");
  EXPECT_EQ(std::pair(Installed(sans), EvenlySpaced(sans)), std::pair(true, false)) << sans.toStdString();
  const QString mono = SubstituteFontFamily("Courier New", withoutLiberation);
  EXPECT_EQ(std::pair(Installed(mono), EvenlySpaced(mono)), std::pair(true, true)) << mono.toStdString();
}
