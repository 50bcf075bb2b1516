#pragma once

#include "toolkit/widgets/string_grid.h"

// The message grid control. It adds its columns, painting and editing on top
// of the string grid; for now the string grid is all it is.
class TCellGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
};
