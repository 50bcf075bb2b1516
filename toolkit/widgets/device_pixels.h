#pragma once

// Drawing that keeps to whole device pixels when a logical pixel covers a
// fraction more than one (125, 150, 175 % scaling): a one-pixel line filled
// at a fractional position comes out one device pixel thick in one place and
// two in the next.

#include <QColor>
#include <QRect>

class QPainter;

// Device pixels per logical pixel in the paint in progress: the screen's
// device pixel ratio on screen, the target's when a widget is rendered.
qreal DeviceScale(const QPainter& painter);

// Which edge of a line stays where the logical line has it.
enum class TLineAnchor { laStart, laEnd };

// Fills `line` (logical pixels; vertical when taller than wide, a dot when
// square) so that it is
// as thick as its logical thickness times the scale, rounded, and at least
// one device pixel, wherever it lies. laStart keeps its left or top edge
// where the logical line starts, laEnd its right or bottom edge where it
// ends; along its length it covers the device pixels the logical line
// covers. At whole scales it is exactly the logical line.
void FillLine(QPainter& painter, const QRect& line, const QColor& colour, TLineAnchor anchor);
