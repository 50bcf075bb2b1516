#include "toolkit/widgets/colors.h"

#include <array>
#include <utility>

namespace {

struct TSystemRole {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Index n of the system colours -> the palette role that plays its part in Qt.
// Windows has no counterpart of a palette's groups; the active group is used,
// the greyed texts read the disabled group.
constexpr std::array<std::pair<int, TSystemRole>, 30> kSystemRoles{{
    {0, {QPalette::Active, QPalette::Mid}},                // clScrollBar: the scroll track
    {1, {QPalette::Active, QPalette::Dark}},               // clBackground: the desktop
    {2, {QPalette::Active, QPalette::Highlight}},          // clActiveCaption
    {3, {QPalette::Active, QPalette::Mid}},                // clInactiveCaption
    {4, {QPalette::Active, QPalette::Window}},             // clMenu
    {5, {QPalette::Active, QPalette::Base}},               // clWindow: text-entry background
    {6, {QPalette::Active, QPalette::Shadow}},             // clWindowFrame
    {7, {QPalette::Active, QPalette::WindowText}},         // clMenuText
    {8, {QPalette::Active, QPalette::Text}},               // clWindowText: text on clWindow
    {9, {QPalette::Active, QPalette::HighlightedText}},    // clCaptionText
    {10, {QPalette::Active, QPalette::Window}},            // clActiveBorder
    {11, {QPalette::Active, QPalette::Window}},            // clInactiveBorder
    {12, {QPalette::Active, QPalette::Mid}},               // clAppWorkSpace
    {13, {QPalette::Active, QPalette::Highlight}},         // clHighlight
    {14, {QPalette::Active, QPalette::HighlightedText}},   // clHighlightText
    {15, {QPalette::Active, QPalette::Button}},            // clBtnFace
    {16, {QPalette::Active, QPalette::Dark}},              // clBtnShadow
    {17, {QPalette::Disabled, QPalette::Text}},            // clGrayText
    {18, {QPalette::Active, QPalette::ButtonText}},        // clBtnText
    {19, {QPalette::Disabled, QPalette::WindowText}},      // clInactiveCaptionText
    {20, {QPalette::Active, QPalette::Light}},             // clBtnHighlight
    {21, {QPalette::Active, QPalette::Shadow}},            // cl3DDkShadow
    {22, {QPalette::Active, QPalette::Midlight}},          // cl3DLight
    {23, {QPalette::Active, QPalette::ToolTipText}},       // clInfoText
    {24, {QPalette::Active, QPalette::ToolTipBase}},       // clInfoBk
    {26, {QPalette::Active, QPalette::Link}},              // clHotLight
    {27, {QPalette::Active, QPalette::Highlight}},         // clGradientActiveCaption
    {28, {QPalette::Active, QPalette::Mid}},               // clGradientInactiveCaption
    {29, {QPalette::Active, QPalette::Highlight}},         // clMenuHighlight
    {30, {QPalette::Active, QPalette::Window}},            // clMenuBar
}};

struct TColorName {
  TColor color;
  const char* name;
};

constexpr TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
};

}  // namespace

TColor ColorFromQColor(const QColor& c) { return ColorFromRgb(c.red(), c.green(), c.blue()); }

QColor ResolveColor(TColor c, const QPalette& palette) {
  if (c == clNone) return QColor(Qt::transparent);
  if (IsSystemColor(c)) {
    const int index = static_cast<int>(c & 0xFFu);
    for (const auto& [n, r] : kSystemRoles)
      if (n == index) return palette.color(r.group, r.role);
    return QColor(Qt::black);
  }
  return QColor(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu), static_cast<int>((c >> 16) & 0xFFu));
}

QString ColorToString(TColor c) {
  for (const auto& n : kColorNames)
    if (n.color == c) return QLatin1String(n.name);
  if ((c & 0xFF000000u) == 0) return ResolveColor(c, QPalette()).name();
  return QStringLiteral("$%1").arg(static_cast<std::uint32_t>(c), 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<TColor> StringToColor(const QString& s) {
  for (const auto& n : kColorNames)
    if (s == QLatin1String(n.name)) return n.color;
  if (s.size() == 7 && s.startsWith(QLatin1Char('#'))) {
    const QColor q = QColor::fromString(s);
    if (q.isValid()) return ColorFromQColor(q);
  }
  if (s.size() == 9 && s.startsWith(QLatin1Char('$'))) {
    bool ok = false;
    const uint v = s.mid(1).toUInt(&ok, 16);
    if (ok) return static_cast<TColor>(v);
  }
  return std::nullopt;
}
