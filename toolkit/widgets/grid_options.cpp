#include "toolkit/widgets/grid_options.h"

namespace {

const char* const kNames[] = {
    "goFixedVertLine", "goFixedHorzLine", "goVertLine",  "goHorzLine",        "goRangeSelect",
    "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving",       "goColMoving",
    "goEditing",       "goTabs",          "goRowSelect", "goAlwaysShowEditor", "goThumbTracking",
};
static_assert(std::size(kNames) == std::size(kAllGridOptions));

}  // namespace

QString GridOptionName(TGridOption option) {
  return QString::fromLatin1(kNames[static_cast<int>(option)]);
}

std::optional<TGridOption> GridOptionFromName(const QString& name) {
  for (TGridOption o : kAllGridOptions)
    if (name == QLatin1String(kNames[static_cast<int>(o)])) return o;
  return std::nullopt;
}
