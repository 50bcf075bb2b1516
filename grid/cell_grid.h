#pragma once

#include "grid/cg_hint_grid.h"

// The message grid control. It adds its columns, painting and editing on top
// of the hint grid; for now the hint grid is all it is.
class TCellGrid : public TCgHintGrid {
 public:
  using TCgHintGrid::TCgHintGrid;
};
