#pragma once

// A string grid as assistive technology sees it: a table.
//
// The table's rows and columns are the grid's scrollable ones (table row 0 is
// grid row FixedRows). When the grid has fixed rows they show as one row of
// column headers, read through AccessibleColumnHeader; fixed columns are row
// headers. Children run row by row over every grid column: the header row
// first (when there is one), then the scrollable rows. A cell's name is its
// AccessibleCellText. The cells of Selection() are selected, so with
// goRowSelect the current row is.
//
// Cell interfaces are made on demand and kept, keyed by their grid address;
// they read the grid live, so a structure change never leaves one showing
// stale text.

class TStringGrid;

// Registers the interface factory with Qt; once per process, any thread that
// makes widgets may call it.
void InstallStringGridAccessible();

// Tells assistive technology that the current cell moved or the grid took the
// focus: the focus goes to the current cell (when the grid or its editor has
// the focus) and the selection changed.
void AnnounceCurrentCell(TStringGrid* grid);

// Rows, columns or fixed counts changed.
void AnnounceStructureChanged(TStringGrid* grid);
