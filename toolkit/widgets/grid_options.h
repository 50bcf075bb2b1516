#pragma once

#include "toolkit/core/flag_set.h"

#include <QString>

#include <optional>

// Behaviour switches of a string grid. The four line options decide where grid
// lines are drawn; see TStringGrid for how they also reserve layout space.
enum class TGridOption {
  goFixedVertLine,     // vertical lines in the fixed area
  goFixedHorzLine,     // horizontal lines in the fixed area
  goVertLine,          // vertical lines between normal cells
  goHorzLine,          // horizontal lines between normal cells
  goRangeSelect,       // Shift+keys and mouse drags select a range of cells
  goDrawFocusSelected, // the focused cell is drawn in the selection colours too
  goRowSizing,         // drag a horizontal line in the fixed columns to size a row
  goColSizing,         // drag a vertical line in the fixed rows to size a column
  goRowMoving,         // drag a fixed-column cell to move its row
  goColMoving,         // drag a fixed-row cell to move its column
  goEditing,           // the in-place editor may be shown
  goTabs,              // Tab and Shift+Tab move between cells
  goRowSelect,         // the whole current row is selected
  goAlwaysShowEditor,  // with goEditing, the editor stays shown on the current cell
  goThumbTracking,     // the grid scrolls while a scroll bar thumb is dragged
};

using TGridOptions = TFlagSet<TGridOption>;

inline constexpr TGridOption kAllGridOptions[] = {
    TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine,     TGridOption::goVertLine,
    TGridOption::goHorzLine,      TGridOption::goRangeSelect,       TGridOption::goDrawFocusSelected,
    TGridOption::goRowSizing,     TGridOption::goColSizing,         TGridOption::goRowMoving,
    TGridOption::goColMoving,     TGridOption::goEditing,           TGridOption::goTabs,
    TGridOption::goRowSelect,     TGridOption::goAlwaysShowEditor,  TGridOption::goThumbTracking,
};

// Member names as written in a saved grid definition ("goRowSelect" ...).
QString GridOptionName(TGridOption option);
std::optional<TGridOption> GridOptionFromName(const QString& name);
