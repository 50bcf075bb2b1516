#pragma once

#include <QRect>

// A pixel rectangle with the right and bottom edges exclusive:
// width = Right - Left, height = Bottom - Top. The empty rectangle is all zero.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
  static TRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// A cell address: X is the column, Y the row. (-1, -1) means "no cell".
struct TGridCoord {
  int X = -1;
  int Y = -1;
  friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, all four bounds inclusive (columns Left..Right, rows Top..Bottom).
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = -1;
  int Bottom = -1;

  constexpr bool Contains(int col, int row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
  friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
