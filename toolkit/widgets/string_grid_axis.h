#pragma once

// Layout helpers shared by the string grid's source files (not part of its
// interface): one axis of the grid as laid out in the client area, and the
// index shuffles of a column or row move.

#include <algorithm>
#include <vector>

namespace string_grid_detail {

// One axis of the grid (columns or rows) as laid out in the client area.
// Every walk stops at the client edge, so the cost follows what is in view.
struct TAxis {
  const std::vector<int>& sizes;
  int fixed;
  int first;   // first scrollable index in view
  int line;    // effective line width
  int extent;  // client width or height

  int Count() const { return static_cast<int>(sizes.size()); }

  int FixedExtent() const {
    int x = 0;
    for (int i = 0; i < fixed && i < Count(); ++i) x += sizes[i] + line;
    return x;
  }

  // Start of cell i, or -1 when it is not in view.
  int Start(int i) const {
    if (i < 0 || i >= Count()) return -1;
    int x = 0;
    if (i < fixed) {
      for (int k = 0; k < i; ++k) x += sizes[k] + line;
      return x < extent ? x : -1;
    }
    if (i < first) return -1;
    x = FixedExtent();
    for (int k = first; k < i; ++k) {
      if (x >= extent) return -1;
      x += sizes[k] + line;
    }
    return x < extent ? x : -1;
  }

  // Index of the cell covering pos, -1 on a line or outside the cells.
  int Hit(int pos) const {
    if (pos < 0 || pos >= extent) return -1;
    int x = 0;
    auto probe = [&](int i) -> int {  // 1 hit, 0 line, -1 go on
      if (pos < x + sizes[i]) return 1;
      if (pos < x + sizes[i] + line) return 0;
      x += sizes[i] + line;
      return -1;
    };
    for (int i = 0; i < fixed && i < Count(); ++i) {
      int r = probe(i);
      if (r == 1) return i;
      if (r == 0) return -1;
    }
    for (int i = first; i < Count() && x < extent; ++i) {
      int r = probe(i);
      if (r == 1) return i;
      if (r == 0) return -1;
    }
    return -1;
  }

  // Scrollable cells from `first` whose cell area ends inside the client area.
  int FullCount() const {
    int x = FixedExtent(), n = 0;
    for (int i = first; i < Count(); ++i) {
      if (x + sizes[i] > extent) break;
      ++n;
      x += sizes[i] + line;
    }
    return n;
  }

  // The smallest first index that still shows cell `last` completely.
  int FirstShowing(int last) const {
    const int avail = extent - FixedExtent();
    int i = last;
    int used = sizes[last];
    while (i - 1 >= fixed && used + sizes[i - 1] + line <= avail) {
      used += sizes[i - 1] + line;
      --i;
    }
    return i;
  }
};

template <typename T>
void MoveItem(std::vector<T>& v, int from, int to) {
  if (from < to)
    std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
  else if (from > to)
    std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

inline int MovedIndex(int i, int from, int to) {
  if (i == from) return to;
  if (from < to && i > from && i <= to) return i - 1;
  if (from > to && i >= to && i < from) return i + 1;
  return i;
}

}  // namespace string_grid_detail
