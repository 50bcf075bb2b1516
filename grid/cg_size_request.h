#pragma once

// The automatic size requests of the cell text drawing. DrawCellText asks
// the grid it draws for whether rows and columns grow to fit their text and,
// when one does not fit, posts a request to the grid's window; the grid
// applies it after the paint that posted it has finished, and the new size
// causes a new paint. Requests are posted, never sent.
//
// The grid control implements TCgGridSizing and passes each TMessageEvent it
// receives to ApplySizeRequest.

#include "toolkit/core/post_message.h"

class QObject;
class TStringGrid;

// WParam: the row (column), LParam: the height (width) in pixels.
inline constexpr unsigned CGM_ADJUSTROWHEIGHT = WM_USER + 3000;
inline constexpr unsigned CGM_ADJUSTCOLWIDTH = WM_USER + 3001;

class TCgGridSizing {
 public:
  virtual bool CellAdjustColWidth() const = 0;
  virtual bool CellAdjustRowHeight() const = 0;
  // The window the requests are posted to.
  virtual QObject* SizeRequestTarget() = 0;

 protected:
  ~TCgGridSizing() = default;
};

// The grid's answer to a request: the row height (column width) becomes the
// size asked for, unless the user sizes rows (goRowSizing) or columns
// (goColSizing) himself. Returns false when Message is not a size request.
bool ApplySizeRequest(TStringGrid& Grid, const TMessageEvent& Message);
