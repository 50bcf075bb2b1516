#include "toolkit/widgets/font_substitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace {

struct TSubstitute {
  const char* Windows;
  const char* Metric;   // same advance widths
  const char* Generic;  // the desktop's choice of that style
  QFont::StyleHint Hint;
};

const TSubstitute kSubstitutes[] = {
    {"MS Sans Serif", "Liberation Sans", "sans-serif", QFont::SansSerif},
    {"Microsoft Sans Serif", "Liberation Sans", "sans-serif", QFont::SansSerif},
    {"Arial", "Liberation Sans", "sans-serif", QFont::SansSerif},
    {"Tahoma", "Liberation Sans", "sans-serif", QFont::SansSerif},
    {"MS Serif", "Liberation Serif", "serif", QFont::Serif},
    {"Times New Roman", "Liberation Serif", "serif", QFont::Serif},
    {"Courier New", "Liberation Mono", "monospace", QFont::Monospace},
    {"Courier", "Liberation Mono", "monospace", QFont::Monospace},
};

}  // namespace

QString SubstituteFontFamily(const QString& family, const TFamilyInstalled& installed) {
  if (installed(family)) return family;
  for (const TSubstitute& s : kSubstitutes) {
    if (family.compare(QLatin1String(s.Windows), Qt::CaseInsensitive) != 0) continue;
    const QString metric = QLatin1String(s.Metric);
    if (installed(metric)) return metric;
    QFont generic(QLatin1String(s.Generic));
    generic.setStyleHint(s.Hint);
    return QFontInfo(generic).family();
  }
  return family;
}

QString SubstituteFontFamily(const QString& family) {
  return SubstituteFontFamily(family, [](const QString& f) { return QFontDatabase::hasFamily(f); });
}
