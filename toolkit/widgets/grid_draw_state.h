#pragma once

#include "toolkit/core/flag_set.h"

// How a cell is to be drawn: gdFixed for cells in the fixed rows and columns,
// gdFocused for the current cell while the grid (or its editor) has the focus,
// gdSelected for cells inside the selection (the current cell included).
enum class TGridDrawStateFlag { gdSelected, gdFocused, gdFixed };

using TGridDrawState = TFlagSet<TGridDrawStateFlag>;
