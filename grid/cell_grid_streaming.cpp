// The grid's saved definition and the column widths kept per user.

#include "grid/cell_grid.h"

#include "grid/cg_column_io.h"
#include "grid/cg_definition_values.h"
#include "toolkit/core/user_store.h"

#include <QJsonObject>

template <>
struct TEnumNames<TcgOption> {
  static constexpr const char* Names[] = {"cgoptDrawFocusRectangle", "cgoptHighlightSelection"};
};

namespace {

const QString kVisibleColumnCount = QStringLiteral("AVisibleColumnCount");

}  // namespace

// --- saved definition ---------------------------------------------------------------

void TCellGrid::WriteProperties(QJsonObject& properties) const {
  TCgHintGrid::WriteProperties(properties);
  properties.insert("Columns", WriteHeadings(columns_));
  properties.insert("Headings", WriteHeadings(headings_));
  properties.insert("CellOptions", SetToJson(cellOptions_));
  properties.insert("CellHighlightColor", ColorToJson(cellHighlightColor_));
  properties.insert("CellHighlightFontColor", ColorToJson(cellHighlightFontColor_));
  properties.insert("CellAdjustColWidth", cellAdjustColWidth_);
  properties.insert("CellAdjustRowHeight", cellAdjustRowHeight_);
  properties.insert("CellColumnClick", cellColumnClick_);
  properties.insert("ColumnsRegistryKey", columnsRegistryKey_);
  properties.insert("AutoAcceptSuggestion", autoAcceptSuggestion_);
}

void TCellGrid::ReadProperties(const QJsonObject& properties) {
  // The base's first: ColCount may add or free column objects, which the
  // saved Columns then replace.
  TCgHintGrid::ReadProperties(properties);
  if (properties.contains("Columns")) ReadHeadings(columns_, properties.value("Columns"), "Columns");
  if (properties.contains("Headings")) ReadHeadings(headings_, properties.value("Headings"), "Headings");
  const TDefinitionReader r(properties, QStringLiteral("Properties"));
  if (r.Has("CellOptions")) SetCellOptions(r.Set<TcgOption, std::uint8_t>("CellOptions"));
  if (r.Has("CellHighlightColor")) SetCellHighlightColor(r.Color("CellHighlightColor"));
  if (r.Has("CellHighlightFontColor")) SetCellHighlightFontColor(r.Color("CellHighlightFontColor"));
  if (r.Has("CellAdjustColWidth")) SetCellAdjustColWidth(r.Bool("CellAdjustColWidth"));
  if (r.Has("CellAdjustRowHeight")) SetCellAdjustRowHeight(r.Bool("CellAdjustRowHeight"));
  if (r.Has("CellColumnClick")) SetCellColumnClick(r.Bool("CellColumnClick"));
  if (r.Has("ColumnsRegistryKey")) SetColumnsRegistryKey(r.String("ColumnsRegistryKey"));
  if (r.Has("AutoAcceptSuggestion")) SetAutoAcceptSuggestion(r.Bool("AutoAcceptSuggestion"));
}

void TCellGrid::DefineProperties(TGridDefinitionFiler& Filer) {
  // Ahead of the base's ColWidths, so that the widths find their columns.
  Filer.DefineProperty(
      kVisibleColumnCount,
      [this](const QJsonValue& v) {
        const QJsonObject holder{{kVisibleColumnCount, v}};
        SetColCountInternal(TDefinitionReader(holder, QStringLiteral("Defined")).Int("AVisibleColumnCount"));
      },
      [this] { return QJsonValue(VisibleColumnCount()); }, true);
  TCgHintGrid::DefineProperties(Filer);
}

void TCellGrid::Loaded() {
  TCgHintGrid::Loaded();
  SetColCountInternal(VisibleColumnCount());
  PadHiddenCells();
  LoadColumnWidths(columnsRegistryKey_);
}

// --- widths per user ----------------------------------------------------------------

void TCellGrid::SaveColumnWidths(const QString& Key) {
  if (Key.trimmed().isEmpty()) return;
  TUserStore store;
  if (!store.OpenKey(Key, true)) return;
  for (int c = 0; c < ColCount(); ++c) {
    try {
      store.WriteInteger(ColumnAt(c)->Name(), ColWidths(c));
    } catch (const Exception&) {
      // One width that cannot be kept does not cost the others.
    }
  }
}

void TCellGrid::LoadColumnWidths(const QString& Key) {
  if (Key.trimmed().isEmpty()) return;
  TUserStore store;
  if (!store.OpenKey(Key, false)) return;
  for (const QString& name : store.GetValueNames()) {
    try {
      TcgColumn* column = ColumnByName(name);
      const int width = store.ReadInteger(name);
      const int c = GridIndexOf(column);
      if (c >= 0) SetColWidths(c, width);
    } catch (const Exception&) {
      // Names of no column, hidden columns and unreadable values are skipped.
    }
  }
}
