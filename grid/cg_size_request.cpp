#include "grid/cg_size_request.h"

#include "toolkit/widgets/string_grid.h"

bool ApplySizeRequest(TStringGrid& Grid, const TMessageEvent& Message) {
  const int index = static_cast<int>(Message.WParam);
  const int size = static_cast<int>(Message.LParam);
  switch (Message.Msg) {
    case CGM_ADJUSTROWHEIGHT:
      if (!Grid.Options().Contains(TGridOption::goRowSizing)) Grid.SetRowHeights(index, size);
      return true;
    case CGM_ADJUSTCOLWIDTH:
      if (!Grid.Options().Contains(TGridOption::goColSizing)) Grid.SetColWidths(index, size);
      return true;
    default:
      return false;
  }
}
