#pragma once

// TColor: a 32-bit colour value as the Windows toolkit stores it.
//  * 0x00BBGGRR: a plain colour (red in the low byte).
//  * 0x80000000 + n: the system colour with index n (clBtnFace = 0x8000000F,
//    clWindow = 0x80000005, clInfoBk = 0x80000018). It is resolved when it is
//    used, from the palette of the widget drawn on, so a dark or high-contrast
//    theme is followed. The role each index reads is listed in colors.cpp and
//    in docs/grid-toolkit.md; an index without a role reads black.
//  * clNone: no colour (resolves to transparent).
// Other high bytes are ignored: the low 24 bits are the colour.

#include <QColor>
#include <QPalette>
#include <QString>

#include <cstdint>
#include <optional>

enum TColor : std::uint32_t {
  clBlack = 0x000000,
  clMaroon = 0x000080,
  clGreen = 0x008000,
  clOlive = 0x008080,
  clNavy = 0x800000,
  clPurple = 0x800080,
  clTeal = 0x808000,
  clGray = 0x808080,
  clSilver = 0xC0C0C0,
  clRed = 0x0000FF,
  clLime = 0x00FF00,
  clYellow = 0x00FFFF,
  clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF,
  clAqua = 0xFFFF00,
  clWhite = 0xFFFFFF,
  clNone = 0x1FFFFFFF,

  clScrollBar = 0x80000000,
  clBackground = 0x80000001,
  clActiveCaption = 0x80000002,
  clInactiveCaption = 0x80000003,
  clMenu = 0x80000004,
  clWindow = 0x80000005,
  clWindowFrame = 0x80000006,
  clMenuText = 0x80000007,
  clWindowText = 0x80000008,
  clCaptionText = 0x80000009,
  clActiveBorder = 0x8000000A,
  clInactiveBorder = 0x8000000B,
  clAppWorkSpace = 0x8000000C,
  clHighlight = 0x8000000D,
  clHighlightText = 0x8000000E,
  clBtnFace = 0x8000000F,
  clBtnShadow = 0x80000010,
  clGrayText = 0x80000011,
  clBtnText = 0x80000012,
  clInactiveCaptionText = 0x80000013,
  clBtnHighlight = 0x80000014,
  cl3DDkShadow = 0x80000015,
  cl3DLight = 0x80000016,
  clInfoText = 0x80000017,
  clInfoBk = 0x80000018,
  clHotLight = 0x8000001A,
  clGradientActiveCaption = 0x8000001B,
  clGradientInactiveCaption = 0x8000001C,
  clMenuHighlight = 0x8000001D,
  clMenuBar = 0x8000001E,
};

inline constexpr std::uint32_t kSystemColorBase = 0x80000000u;

constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == kSystemColorBase; }
constexpr TColor ColorFromRgb(int r, int g, int b) {
  return static_cast<TColor>((static_cast<std::uint32_t>(b & 0xFF) << 16) |
                             (static_cast<std::uint32_t>(g & 0xFF) << 8) | static_cast<std::uint32_t>(r & 0xFF));
}
TColor ColorFromQColor(const QColor& c);

// The colour to draw with: system colours read from `palette` (active group).
QColor ResolveColor(TColor c, const QPalette& palette);

// Saved form: the member name ("clBtnFace", "clRed") when the value has one,
// else "#rrggbb". Parsing also takes any "#rrggbb" and "$HHHHHHHH" (the raw
// 32-bit value in hex); nullopt for anything else.
QString ColorToString(TColor c);
std::optional<TColor> StringToColor(const QString& s);
