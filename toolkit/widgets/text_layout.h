#pragma once

// DrawTextEx: text in a rectangle, laid out and drawn in the canvas's font
// and font colour, as the Windows call of that name does for these flags:
//
//  DT_LEFT / DT_CENTER / DT_RIGHT  each line aligned in the rectangle
//                                  (centring drops a fraction).
//  DT_WORDBREAK     lines break between words where the next word would pass
//                   the right edge; a word longer than a line is not broken.
//  DT_EXPANDTABS    tabs advance to stops every 8 average character widths;
//                   without it a tab is shown as one space.
//  DT_NOPREFIX      '&' is drawn as itself; without it "&x" draws x
//                   underlined and "&&" draws one '&'.
//  DT_END_ELLIPSIS  a line wider than the rectangle is cut at a character
//                   boundary and ends in "…" inside the rectangle. It acts on
//                   each line after line breaks and word wrap (so with
//                   DT_WORDBREAK only an overlong word is cut); it never
//                   changes the number of lines or their height.
//  DT_CALCRECT      draws nothing: Rect.Right becomes Left + the width of the
//                   widest line and Rect.Bottom Top + the height. The width is
//                   the text's own (before any ellipsis), so it may exceed the
//                   rectangle it was laid out in.
//
// Every line break (CR LF, CR or LF) starts a new line; a break at the very
// end starts none, and an empty text has no lines (height 0). Lines are one
// font height apart (ascent + descent, no external leading) from Rect.Top.
// Drawing is clipped to Rect (right and bottom exclusive). With a solid
// brush each drawn line's box is first filled with the brush colour; with a
// clear brush the background stays as it is. Returns the text's height.
//
// Measuring and drawing go through one layout: a drawing call with the same
// text, font, width and flags as the measuring call before it reuses that
// call's layout, so what was measured is what is drawn.
// Other flag bits are ignored. Measuring needs no painter; drawing does.

#include "toolkit/widgets/canvas.h"

#include <QString>

inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

int DrawTextEx(TCanvas& Canvas, const QString& Text, TRect& Rect, unsigned Format);
