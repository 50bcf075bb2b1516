#include "tests/common/message_of.h"
#include "tests/toolkit/string_grid_probe.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using Pairs = std::vector<std::pair<int, int>>;

namespace {

QStringList RowTexts(const TStringGrid& grid, int r) {
  QStringList out;
  for (int c = 0; c < grid.ColCount(); ++c) out << grid.Cells(c, r);
  return out;
}

TEST(GridStructure, SizeChangedReportsTheOldCounts) {
  TProbeGrid grid;
  grid.SetColCount(4);
  grid.SetRowCount(6);
  grid.SetRowCount(6);  // unchanged: no call
  grid.SetColCount(0);  // clamped to 1
  EXPECT_EQ(std::tuple(grid.sizeChanges, grid.ColCount()), std::tuple((Pairs{{5, 5}, {4, 5}, {4, 6}}), 1));
  EXPECT_EQ(grid.FixedCols(), 0);  // lowered with the count
}

TEST(GridStructure, ShrinkingDropsTextsAndMovesTheCurrentCell) {
  TProbeGrid grid;
  grid.SetRowCount(10);
  grid.SetCells(2, 8, "x");
  grid.SetRow(8);
  grid.SetRowCount(5);
  EXPECT_EQ(grid.Row(), 4);
  grid.SetRowCount(10);
  EXPECT_EQ(std::tuple(grid.Cells(2, 8), grid.RowHeights(8)), std::tuple("", grid.DefaultRowHeight()));
}

TEST(GridStructure, MovingAColumnTakesTextsAndWidthAlong) {
  TProbeGrid grid;
  grid.FillTexts();
  grid.SetColWidths(1, 11);
  grid.SetCol(1);
  grid.MoveColumn(1, 3);
  EXPECT_EQ(grid.columnMoves, (Pairs{{1, 3}}));
  EXPECT_EQ(RowTexts(grid, 2), (QStringList{"0:2", "2:2", "3:2", "1:2", "4:2"}));
  EXPECT_EQ(std::tuple(grid.ColWidths(3), grid.ColWidths(1)), std::tuple(11, 64));
  EXPECT_EQ(grid.Col(), 3);  // the current cell follows its column

  grid.MoveColumn(4, 0);
  EXPECT_EQ(RowTexts(grid, 1), (QStringList{"4:1", "0:1", "2:1", "3:1", "1:1"}));
  EXPECT_EQ(grid.columnMoves, (Pairs{{1, 3}, {4, 0}}));
}

TEST(GridStructure, MovingARowTakesTextsAndHeightAlong) {
  TProbeGrid grid;
  grid.FillTexts();
  grid.SetRowHeights(4, 40);
  int raised = 0;
  grid.OnRowMoved = [&](QObject*, int from, int to) { EXPECT_EQ(std::pair(from, to), std::pair(4, 1)); ++raised; };
  grid.MoveRow(4, 1);
  EXPECT_EQ(std::tuple(raised, grid.rowMoves), std::tuple(1, (Pairs{{4, 1}})));
  EXPECT_EQ(grid.Cols(2), (QStringList{"2:0", "2:4", "2:1", "2:2", "2:3"}));
  EXPECT_EQ(grid.RowHeights(1), 40);
  EXPECT_EQ(grid.Row(), 2);  // row 1 moved down by one
}

TEST(GridStructure, MovingRowsOfASparseColumn) {
  TProbeGrid grid;
  grid.SetRowCount(100000);
  grid.SetCells(1, 3, "only");
  grid.MoveRow(3, 99999);
  EXPECT_EQ(std::tuple(grid.Cells(1, 99999), grid.Cells(1, 3)), std::tuple("only", ""));
  grid.MoveRow(99999, 50000);
  EXPECT_EQ(grid.Cells(1, 50000), "only");
}

TEST(GridStructure, DeletingAColumnOrARowAndColsIsAnAssignableListPerColumn) {
  TProbeGrid grid;
  grid.FillTexts();
  grid.DeleteColumn(1);
  EXPECT_EQ(RowTexts(grid, 1), (QStringList{"0:1", "2:1", "3:1", "4:1"}));
  EXPECT_EQ(std::tuple(grid.columnMoves, grid.sizeChanges), std::tuple((Pairs{{1, 4}}), (Pairs{{5, 5}})));
  grid.DeleteRow(2);
  EXPECT_EQ(grid.Cols(1), (QStringList{"2:0", "2:1", "2:3", "2:4"}));
  grid.SetCols(2, {"a", "b", "c", "d", "ignored"});
  EXPECT_EQ(std::tuple(grid.Cells(2, 3), grid.Cols(2)), std::tuple("d", (QStringList{"a", "b", "c", "d"})));
  grid.SetCols(2, {"z"});
  EXPECT_EQ(grid.Cols(2), (QStringList{"z", "", "", ""}));
}

TEST(GridStructure, OutOfRangeIndexesAreHarmlessAndDefaultSizesApplyToAllColumnsAndNewOnes) {
  TProbeGrid grid;
  for (auto [c, r] : Pairs{{-1, 0}, {0, 5}, {INT_MAX, INT_MIN}}) EXPECT_EQ(grid.Cells(c, r), "") << c << "," << r;
  grid.SetCells(5, 0, "x");
  grid.SetCells(0, -1, "x");
  grid.SetColCount(6);
  EXPECT_EQ(grid.Cells(5, 0), "");  // the ignored write did not linger
  EXPECT_EQ(std::pair(grid.ColWidths(-1), grid.RowHeights(99)), std::pair(0, 0));
  grid.SetColWidths(99, 5);
  grid.SetRowHeights(-2, 5);
  EXPECT_TRUE(grid.Cols(-1).isEmpty());
  grid.SetCols(17, {"a"});
  grid.MoveColumn(-1, 2);
  grid.MoveColumn(2, 6);
  grid.MoveRow(0, 5);
  grid.DeleteColumn(6);
  grid.DeleteRow(-1);
  EXPECT_EQ(std::tuple(grid.columnMoves.empty() && grid.rowMoves.empty(), grid.ColCount()), std::tuple(true, 6));
  grid.SetFixedRows(10);  // clamped below RowCount
  EXPECT_EQ(std::pair(grid.FixedRows(), grid.Row()), std::pair(4, 4));
  grid.SetGridLineWidth(-4);
  grid.SetDefaultRowHeight(-1);
  EXPECT_EQ(std::pair(grid.GridLineWidth(), grid.RowHeights(0)), std::pair(0, 0));

  grid.SetColWidths(2, 5);
  grid.SetDefaultColWidth(30);
  EXPECT_EQ(grid.ColWidths(2), 30);
  grid.SetDefaultRowHeight(20);
  grid.SetRowCount(8);
  EXPECT_EQ(grid.RowHeights(7), 20);
}

// --- saved definition ------------------------------------------------------

// Its own defined value must be read before the base's ColWidths, and Loaded come last.
struct TDefiningGrid : TProbeGrid {
  int extra = 0;
  std::vector<std::string> order;
  void DefineProperties(TGridDefinitionFiler& filer) override {
    filer.DefineProperty("AExtra", [this](const QJsonValue& v) {
      order.push_back("AExtra cols=" + std::to_string(ColCount()) + " w0=" + std::to_string(ColWidths(0)));
      extra = v.toInt();
    }, [this] { return QJsonValue(extra); }, true);
    TStringGrid::DefineProperties(filer);
  }
  void Loaded() override {
    order.push_back("Loaded w0=" + std::to_string(ColWidths(0)) + " loading=" + (Loading() ? "1" : "0"));
  }
};

TEST(GridDefinition, RoundTripOfTheMessageGridSettings) {
  TStringGrid grid;
  SetMessageGridLayout(grid);
  grid.SetScrollBars(TScrollStyle::ssVertical);
  const int widths[] = {45, 80, 80, 159};

  TStringGrid copy;
  copy.LoadDefinitionText(grid.SaveDefinitionText());
  EXPECT_EQ(std::tuple(copy.ColCount(), copy.RowCount(), copy.FixedCols(), copy.FixedRows(), copy.DefaultRowHeight(),
                       copy.RowHeights(5), copy.DefaultDrawing()), std::tuple(4, 6, 0, 1, 20, 20, false));
  EXPECT_EQ(std::tuple(copy.Options(), copy.ScrollBars()), std::tuple(grid.Options(), TScrollStyle::ssVertical));
  for (int c = 0; c < 4; ++c) EXPECT_EQ(copy.ColWidths(c), widths[c]);
  EXPECT_EQ(copy.SaveDefinition(), grid.SaveDefinition());

  const QJsonObject def = grid.SaveDefinition();
  EXPECT_EQ(def["Defined"].toObject()["ColWidths"].toArray(), (QJsonArray{45, 80, 80, 159}));
  EXPECT_FALSE(def["Defined"].toObject().contains("RowHeights"));  // all default
}

TEST(GridDefinition, SubclassValuesComeBeforeTheBaseOnesAndLoadedLast) {
  TDefiningGrid source;
  source.SetColCount(3);
  source.SetColWidths(0, 33);
  source.extra = 7;
  const QJsonObject def = source.SaveDefinition();
  EXPECT_EQ(def["Defined"].toObject()["AExtra"].toInt(), 7);

  TDefiningGrid target;
  target.LoadDefinition(def);
  EXPECT_EQ(target.extra, 7);
  EXPECT_EQ(target.order, (std::vector<std::string>{"AExtra cols=3 w0=64", "Loaded w0=33 loading=0"}));
  EXPECT_FALSE(target.Loading());
}

TEST(GridDefinition, BadDefinitionsAndCountsNoRealGridComesNearRaise) {
  TStringGrid grid;
  for (const char* bad : {"{not json", "[1, 2]", R"({"Properties": {"Options": ["goNoSuch"]}})",
                          R"({"Properties": {"ColCount": "four"}})", R"({"Defined": {"ColWidths": [1, "x"]}})"})
    EXPECT_THROW(grid.LoadDefinitionText(bad), EInvalidGridDefinition) << bad;
  EXPECT_NE(MessageOf<Exception>([&] { grid.LoadDefinitionText(R"({"Properties": {"ScrollBars": "ssDiagonal"}})"); })
                .find("ssDiagonal"), std::string::npos);
  EXPECT_FALSE(grid.Loading());
  grid.LoadDefinitionText(R"({"Properties": {"RowCount": 9}})");  // missing keys keep their values
  EXPECT_EQ(std::pair(grid.RowCount(), grid.ColCount()), std::pair(9, 5));

  // A count of a thousand million made the grid allocate some 28 GB: counts just past the bound make a
  // missing bound fail the test instead of exhausting the machine.
  EXPECT_THROW(grid.LoadDefinitionText(R"({"Properties": {"ColCount": 2000000}})"), EInvalidGridDefinition);
  EXPECT_THROW(grid.LoadDefinitionText(R"({"Properties": {"RowCount": 1000001}})"), EInvalidGridDefinition);
  EXPECT_EQ(std::pair(grid.RowCount(), grid.ColCount()), std::pair(9, 5));
  EXPECT_FALSE(grid.Loading());
  grid.LoadDefinitionText(R"({"Properties": {"RowCount": 1000000, "ColCount": 1000}})");
  EXPECT_EQ(std::pair(grid.RowCount(), grid.ColCount()), std::pair(1000000, 1000));
}

}  // namespace
