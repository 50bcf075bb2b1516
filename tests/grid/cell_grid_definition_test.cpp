// The grid's saved definition and the column widths it keeps per user.

#include "tests/common/message_of.h"
#include "tests/grid/cell_grid_probe.h"
#include "toolkit/core/user_store.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

using Names = std::vector<std::string>;
using Widths = std::vector<int>;

namespace {

const char* const kKey = "Software\\Orvix\\Message grid";

QJsonObject Column(const char* caption, const char* name, bool visible = true) {
  QJsonObject o{{"Caption", caption}, {"Name", name}};
  if (!visible) o.insert("Visible", false);
  return o;
}

// Four columns of the message list, Type hidden when asked, the last one named `last`.
QJsonObject Definition(const QString& key, bool typeHidden = false, int cols = 4, const char* last = "Receive Time") {
  const QJsonArray columns{Column("#", "Number"), Column("Type", "Type", !typeHidden),
                           Column("Duration", "Duration"), Column("Receive Time", last)};
  const QJsonArray widths = typeHidden ? QJsonArray{45, 80, 159} : QJsonArray{45, 80, 80, 159};
  return QJsonObject{
      {"Properties", QJsonObject{{"ColCount", cols}, {"FixedCols", 0}, {"Columns", columns},
                                 {"ColumnsRegistryKey", key}}},
      {"Defined", QJsonObject{{"AVisibleColumnCount", typeHidden ? 3 : 4}, {"ColWidths", widths}}}};
}

struct CellGridDefinition : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  }
  std::unique_ptr<TProbeCellGrid> Loaded(const QJsonObject& definition) {
    auto grid = std::make_unique<TProbeCellGrid>();
    grid->LoadDefinition(definition);
    return grid;
  }
  // The store as any QSettings user reads it.
  QSettings Store() const {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QCoreApplication::applicationName(),
                     QCoreApplication::applicationName());
  }

  QTemporaryDir dir;
};

TEST_F(CellGridDefinition, ARoundTripKeepsColumnsHeadingsAndSettings) {
  TProbeCellGrid grid;
  grid.SetColCount(4);
  grid.NameColumns({"A", "B", "C", "D"});
  grid.ColumnByName("C")->SetCaption("Sea");
  grid.ColumnByName("D")->SetHeadingIndex(0);
  grid.Headings().Add()->SetCaption("Over D");
  grid.SetWidths({40, 50, 60, 70});
  grid.ColumnByName("B")->SetVisible(false);
  grid.SetCellOptions({TcgOption::cgoptHighlightSelection});
  grid.SetCellHighlightColor(clRed);
  grid.SetCellHighlightFontColor(clYellow);
  grid.SetCellAdjustColWidth(true);
  grid.SetCellAdjustRowHeight(true);
  grid.SetCellColumnClick(false);
  grid.SetAutoAcceptSuggestion(false);
  grid.SetColumnsRegistryKey(kKey);
  const QJsonObject def = grid.SaveDefinition();
  EXPECT_EQ(def["Defined"]["AVisibleColumnCount"].toInt(), 3);
  EXPECT_EQ(def["Defined"]["ColWidths"].toArray(), (QJsonArray{40, 60, 70}));
  for (const char* key : {"Version", "Author"}) EXPECT_FALSE(def["Properties"].toObject().contains(key)) << key;

  TProbeCellGrid copy;
  copy.LoadDefinition(def);
  EXPECT_EQ(copy.ColumnNames(), (Names{"A", "B", "C", "D"}));
  EXPECT_EQ(std::tuple(copy.ColumnByName("B")->Visible(), copy.Widths()), std::tuple(false, Widths{40, 60, 70}));
  EXPECT_EQ(std::pair(copy.ColumnAt(1)->Caption(), copy.ColumnAt(2)->HeadingIndex()), std::pair(QString("Sea"), 0));
  ASSERT_EQ(copy.Headings().Count(), 1);
  EXPECT_EQ(copy.Headings().Items(0)->Caption(), "Over D");
  EXPECT_EQ(copy.CellOptions(), TcgOptions{TcgOption::cgoptHighlightSelection});
  EXPECT_EQ(std::pair(copy.CellHighlightColor(), copy.CellHighlightFontColor()), std::pair(clRed, clYellow));
  EXPECT_EQ(std::tuple(copy.CellAdjustColWidth(), copy.CellAdjustRowHeight(), copy.CellColumnClick(),
                       copy.AutoAcceptSuggestion()),
            std::tuple(true, true, false, false));
  EXPECT_EQ(copy.ColumnsRegistryKey(), kKey);
  EXPECT_EQ(copy.ColumnByName("B")->HiddenCells().Count(), copy.RowCount());
  EXPECT_EQ(copy.SaveDefinition(), def);
}

TEST_F(CellGridDefinition, TheVisibleColumnCountComesBeforeTheWidthsAColumnSavedHiddenIsLaidOutOnceLoaded) {
  auto grid = Loaded(Definition("", false, 2));  // a column count stale by the time the widths arrive
  EXPECT_EQ(grid->Widths(), (Widths{45, 80, 80, 159}));
  EXPECT_EQ(grid->ColumnNames(), (Names{"Number", "Type", "Duration", "Receive Time"}));
  EXPECT_FALSE(grid->InternalColChange);

  grid = Loaded(Definition("", true));
  EXPECT_EQ(grid->ColumnNames(), (Names{"Number", "Type", "Duration", "Receive Time"}));
  EXPECT_EQ(std::tuple(grid->Widths(), grid->ColumnAt(1)->Name()), std::tuple(Widths{45, 80, 159}, "Duration"));
  grid->ColumnByName("Type")->SetVisible(true);
  EXPECT_EQ(std::tuple(grid->ColumnAt(1)->Name(), grid->Widths()), std::tuple("Type", Widths{45, 64, 80, 159}));
}

TEST_F(CellGridDefinition, ValuesOfTheWrongKindAreNamed) {
  TProbeCellGrid grid;
  auto load = [&](const QJsonObject& def) { return MessageOf([&] { grid.LoadDefinition(def); }); };
  EXPECT_EQ(load(QJsonObject{{"Properties", QJsonObject{{"CellOptions", QJsonArray{"cgoptNope"}}}}}),
            "Grid definition: Properties.CellOptions holds an unknown member");
  EXPECT_EQ(load(QJsonObject{{"Defined", QJsonObject{{"AVisibleColumnCount", "four"}}}}),
            "Grid definition: Defined.AVisibleColumnCount must be an integer");
  EXPECT_THROW(grid.LoadDefinition(QJsonObject{{"Properties", QJsonObject{{"CellHighlightColor", true}}}}),
               EInvalidGridDefinition);
  EXPECT_FALSE(grid.Loading());
}

TEST_F(CellGridDefinition, ABlankKeyOrReadingAKeyThatIsNotThereNeverTouchesTheStore) {
  const QString file = TUserStore::FileName();
  auto nobody = Loaded(Definition("Software\\Nobody"));
  nobody->LoadColumnWidths("Software\\Nobody\\Else");
  EXPECT_EQ(std::tuple(QFile::exists(file), nobody->Widths()), std::tuple(false, Widths{45, 80, 80, 159}));

  for (const char* key : {"", "   ", " \t "}) {
    auto grid = Loaded(Definition(key));
    grid->SetColWidths(0, 99);
    grid->SaveColumnWidths(key);
    grid->LoadColumnWidths(key);
  }
  EXPECT_FALSE(QFile::exists(file)) << file.toStdString();

  // Nor does it read what is there.
  QSettings store = Store();
  store.setValue("Number", 11);
  store.sync();
  auto contents = [&] { QFile f(file); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); };
  const QByteArray before = contents();
  ASSERT_FALSE(before.isEmpty());
  {
    auto grid = Loaded(Definition(" "));
    EXPECT_EQ(grid->ColWidths(0), 45);
    grid->SetColWidths(0, 77);
  }
  EXPECT_EQ(contents(), before);  // still there, unchanged
}

TEST_F(CellGridDefinition, WidthsSurviveTheGridThroughTheStore) {
  {
    auto grid = Loaded(Definition(kKey));
    grid->SetWidths({50, 60, 70, 80});
    grid->ColumnByName("Type")->SetVisible(false);
  }
  // Where it went: one group per key path, one value per visible column.
  EXPECT_TRUE(TUserStore::FileName().startsWith(dir.path()));
  QSettings store = Store();
  store.beginGroup("Software/Orvix/Message grid");
  QStringList keys = store.childKeys();
  keys.sort();
  EXPECT_EQ(keys, (QStringList{"Duration", "Number", "Receive Time"}));
  EXPECT_EQ(store.value("Receive Time").toInt(), 80);
  store.endGroup();

  auto again = Loaded(Definition(kKey));
  EXPECT_EQ(again->Widths(), (Widths{50, 80, 70, 80})) << "Type was not kept: it was hidden";
}

TEST_F(CellGridDefinition, NamesOfNoShownColumnAndUnreadableValuesAreSkipped) {
  QSettings store = Store();
  // Type is hidden in the grid below.
  const std::pair<const char*, const char*> values[] = {{"Number", "33"}, {"Nope", "99"}, {"Type", "77"},
      {"Duration", "wide"}, {"Receive Time", "55"}, {"receive time", "1e3"}};
  for (auto [name, value] : values) store.setValue(QString("Grid/") + name, value);
  store.sync();
  auto grid = Loaded(Definition("Grid", true));
  EXPECT_EQ(std::tuple(grid->Widths(), grid->ColumnByName("Type")->HiddenWidth()), std::tuple(Widths{33, 80, 55}, 64));
}

TEST_F(CellGridDefinition, NamesWithSlashesKeepTheirWidths) {
  {
    auto grid = Loaded(Definition(kKey));
    grid->ColumnAt(3)->SetName("Date/Time \\ 100%");
    grid->SetColWidths(3, 123);
  }
  TUserStore store;
  ASSERT_TRUE(store.OpenKey(kKey, false));
  EXPECT_TRUE(store.GetValueNames().contains("Date/Time \\ 100%"));
  EXPECT_EQ(store.ReadInteger("Date/Time \\ 100%"), 123);
  store.CloseKey();
  EXPECT_EQ(Loaded(Definition(kKey, false, 4, "Date/Time \\ 100%"))->ColWidths(3), 123);
}

}  // namespace
