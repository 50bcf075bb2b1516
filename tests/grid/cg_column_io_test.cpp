// Columns and headings in the saved definition: save conditions, font and flag order, round trips, bad input.

#include "grid/cg_column_io.h"
#include "grid/cg_definition_values.h"
#include "tests/common/message_of.h"
#include "tests/grid/cg_column_properties.h"
#include "toolkit/widgets/string_grid.h"

#include <QJsonDocument>

#include <memory>
#include <set>

using enum TcgControlType;

namespace {

using namespace cg_column_test;

std::set<QString> KeysOf(const QJsonObject& o) { const QStringList keys = o.keys(); return {keys.begin(), keys.end()}; }

std::unique_ptr<TcgColumn> RoundTrip(const TcgColumn& from) {
  auto to = std::make_unique<TcgColumn>();
  ReadColumn(*to, QJsonDocument::fromJson(QJsonDocument(WriteColumn(from)).toJson()).object());
  return to;
}

}  // namespace

TEST(CgColumnIo, ANewColumnSavesOnlyCaptionAndName) {
  TcgColumns columns;
  TcgColumn* c = columns.Add();
  EXPECT_EQ(KeysOf(WriteColumn(*c)), (std::set<QString>{"Caption", "Name"}));
  EXPECT_EQ(WriteColumn(*c).value("Name").toString(), "Column 1");
  EXPECT_EQ(KeysOf(WriteHeading(TcgHeading())), (std::set<QString>{"Caption", "Name"}));
}

TEST(CgColumnIo, EveryPropertyOfAFullyUsedColumnComesBack) {
  TcgColumn c;
  SetOthers(c, kSaved);
  c.TitleFont().SetName("DejaVu Serif");
  c.TitleFont().SetStyle({TFontStyle::fsBold, TFontStyle::fsUnderline});
  c.ColumnFont().SetHeight(17);
  c.ColumnFont().SetPitch(TFontPitch::fpFixed);
  c.ColumnFont().SetColor(clRed);

  const auto back = RoundTrip(c);
  for (const TColumnProperty& p : Taking(kSaved)) EXPECT_TRUE(p.isOther(*back)) << p.name;
  EXPECT_EQ(std::tuple(back->TitleFont().Equals(c.TitleFont()), back->TitleParentFont()), std::tuple(true, false));
  EXPECT_EQ(std::tuple(back->ColumnFont().Equals(c.ColumnFont()), back->ColumnParentFont()), std::tuple(true, false));
  EXPECT_TRUE(back->RightBorder().Equals(TcgBorder()));
}

TEST(CgColumnIo, ItemsButtonSettingsAndFormatDetailsTravelOnlyWithWhatUsesThem) {
  TcgColumn c;
  c.SetButtonStyle(TcgButtonStyle::cgbstCustom);
  c.ButtonPicture().SetBitmap(Solid(4, 4, Qt::red));
  c.SetDrawButtonface(false);
  c.SetButtonVAlignment(TcgVAlignment::cgvaTop);
  c.SetControlType({cgctlComboBox});  // no button
  const auto back = RoundTrip(c);
  EXPECT_EQ(
      std::tuple(back->ButtonStyle(), back->ButtonPicture().Empty(), back->DrawButtonface(), back->ButtonVAlignment()),
      std::tuple(TcgButtonStyle::cgbstEllipsis, true, true, TcgVAlignment::cgvaCenter));

  c.Items().SetList({"Voice", "Fax"});
  c.SetAutoSuggest(false);
  c.SetDropDownCount(2);
  c.SetControlType({cgctlButton});  // no combo box
  c.SetButtonStyle(TcgButtonStyle::cgbstDropDown);  // a button, but not a custom one
  const auto dropDown = RoundTrip(c);
  EXPECT_EQ(std::tuple(dropDown->ButtonStyle(), dropDown->ButtonPicture().Empty(), dropDown->DrawButtonface()),
            std::tuple(TcgButtonStyle::cgbstDropDown, true, true));
  EXPECT_EQ(std::tuple(dropDown->Items().Count(), dropDown->AutoSuggest(), dropDown->DropDownCount()),
            std::tuple(0, true, 8));

  // A custom button saves its picture even when it is empty, and all of its settings.
  c.SetButtonStyle(TcgButtonStyle::cgbstCustom);
  c.ButtonPicture().Clear();
  EXPECT_TRUE(WriteColumn(c).contains("ButtonPicture"));
  EXPECT_TRUE(WriteColumn(c).contains("DrawButtonface"));

  c.SetDecimals(5);
  c.SetPrefix("$");
  c.SetDateFormat(7);
  const auto none = RoundTrip(c);
  EXPECT_EQ(std::tuple(none->Decimals(), none->Prefix(), none->DateFormat()), std::tuple(2, QString(""), 2));
  c.SetFormatType(TcgFormatType::cgfmtNumeric);
  const auto numeric = RoundTrip(c);
  // The date format travels only with cgfmtDateTime.
  EXPECT_EQ(std::tuple(numeric->Decimals(), numeric->Prefix(), numeric->DateFormat()), std::tuple(5, QString("$"), 2));
  // Saved whatever their values once the format asks for them.
  EXPECT_TRUE(WriteColumn(*numeric).contains("ThousandsSeparator"));
}

TEST(CgColumnIo, AFontIsSavedOnlyWhileItsParentFlagIsOffAndAnOffFlagSurvivesAnUnchangedFont) {
  TcgColumn c;
  c.ColumnFont().SetHeight(30);
  c.SetColumnParentFont(true);  // the changed font is ignored, and not saved
  EXPECT_FALSE(WriteColumn(c).contains("ColumnFont"));
  const auto back = RoundTrip(c);
  EXPECT_TRUE(back->ColumnParentFont() && back->ColumnFont().Equals(TFont()));

  // The saved flag follows the font, so an off flag survives an unchanged font.
  TcgColumn unchanged;
  unchanged.SetTitleParentFont(false);
  unchanged.SetColumnParentFont(false);
  const auto flags = RoundTrip(unchanged);
  EXPECT_FALSE(flags->TitleParentFont() || flags->ColumnParentFont());
}

TEST(CgColumnIo, TheFontIsReadBeforeItsFlag) {
  QJsonObject saved = WriteColumn(TcgColumn());
  saved.insert("TitleFont", FontToJson(FontOfHeight(40)));
  saved.insert("TitleParentFont", true);
  saved.insert("ColumnFont", FontToJson(FontOfHeight(41)));
  TcgColumn c;
  ReadColumn(c, saved);
  // The font cleared its flag, then the saved flag set it again; without a saved flag the font leaves it cleared.
  EXPECT_EQ(std::tuple(c.TitleParentFont(), c.TitleFont().Height(), c.ColumnParentFont(), c.ColumnFont().Height()),
            std::tuple(true, 40, false, 41));
}

TEST(CgColumnIo, BordersAreSavedWholeWhenTheyDrawSomething) {
  TcgHeading h;
  h.BottomBorder().SetWidth(5);  // still cgbrdNone: not saved
  h.RightBorder().SetStyle(TcgBorderStyle::cgbrdSolid);
  const QJsonObject saved = WriteHeading(h);
  EXPECT_FALSE(saved.contains("BottomBorder"));
  EXPECT_EQ(KeysOf(saved.value("RightBorder").toObject()), (std::set<QString>{"Style", "Width", "Color"}));
}

TEST(CgColumnIo, AnIconPictureComesBackAsAnIconOfItsSize) {
  TcgColumn c;
  c.SetControlType({cgctlButton});
  c.SetButtonStyle(TcgButtonStyle::cgbstCustom);
  c.ButtonPicture().SetIcon(QIcon(QPixmap::fromImage(Solid(16, 16, Qt::blue))), QSize(16, 16));
  const auto back = RoundTrip(c);
  EXPECT_EQ(back->ButtonPicture().Kind(), TGraphicKind::gkIcon);
  EXPECT_TRUE(back->ButtonPicture().Equals(c.ButtonPicture()));
}

TEST(CgColumnIo, CollectionsComeBackWithTheirClassesAndSavedNames) {
  TcgColumns columns;
  for (const char* caption : {"#", "Type", "Duration", "Receive Time"}) {
    TcgColumn* col = columns.Add();
    col->SetCaption(caption);
    col->SetName(caption == QString("#") ? "Number" : caption);
    col->SetReadOnly(true);
    col->SetColumnHAlignment(TAlignment::taCenter);
  }
  columns.Items(2)->SetName("Column 9");
  const QJsonArray saved = WriteHeadings(columns);
  ASSERT_EQ(saved.size(), 4);

  TcgColumns loaded;
  loaded.Add()->SetCaption("replaced");
  ReadHeadings(loaded, saved, "Columns");
  ASSERT_EQ(loaded.Count(), 4);
  EXPECT_EQ(std::tuple(loaded.Items(0)->Name(), loaded.Items(2)->Name(), loaded.Items(3)->Caption()),
            std::tuple(QString("Number"), QString("Column 9"), QString("Receive Time")));
  EXPECT_EQ(std::pair(loaded.Items(1)->ReadOnly(), loaded.Items(1)->ColumnHAlignment()),
            std::pair(true, TAlignment::taCenter));
  EXPECT_EQ(loaded.Items(0)->Collection(), &loaded);

  TcgHeadings headings;
  headings.Add()->SetCaption("Messages");
  headings.Items(0)->SetTitleColor(clInfoBk);
  TcgHeadings headingsBack;
  ReadHeadings(headingsBack, WriteHeadings(headings), "Headings");
  EXPECT_FALSE(WriteHeadings(headings)[0].toObject().contains("Visible"));
  EXPECT_EQ(headingsBack.Items(0)->ClassName(), "TcgHeading");
  EXPECT_EQ(headingsBack.Items(0)->TitleColor(), clInfoBk);
}

TEST(CgColumnIo, ABadValueIsNamedAndLeavesTheCollectionAsItWas) {
  TcgColumns columns;
  columns.Add()->SetCaption("kept");
  QJsonArray saved = WriteHeadings(columns);
  QJsonObject bad = saved[0].toObject();
  bad.insert("TitleColor", "purple-ish");
  saved.append(bad);
  EXPECT_EQ(MessageOf([&] { ReadHeadings(columns, saved, "Columns"); }),
            "Grid definition: Columns[1].TitleColor must be a colour");
  EXPECT_THROW(ReadHeadings(columns, saved, "Columns"), EInvalidGridDefinition);
  ASSERT_EQ(columns.Count(), 1);
  EXPECT_EQ(columns.Items(0)->Caption(), "kept");

  QJsonObject badBorder = WriteColumn(TcgColumn());
  badBorder.insert("TopBorder", QJsonObject{{"Style", "cgbrdWavy"}});
  TcgColumn c;
  EXPECT_EQ(MessageOf([&] { ReadColumn(c, badBorder, "Columns[0]"); }),
            "Grid definition: Columns[0].TopBorder.Style is not one of its values");
  // Sizes are added up in int: the string grid's bound holds here too.
  badBorder.insert("TopBorder", QJsonObject{{"Width", 2000000000}});
  EXPECT_EQ(MessageOf([&] { ReadColumn(c, badBorder, "Columns[0]"); }),
            "Grid definition: Columns[0].TopBorder.Width must be an integer");
  EXPECT_EQ(MessageOf([&] { ReadHeadings(columns, QJsonValue(3), "Headings"); }),
            "Grid definition: Headings must be a list");
  QJsonObject badSet = WriteColumn(TcgColumn());
  badSet.insert("ControlType", QJsonArray{"cgctlComboBox", "cgctlSlider"});
  EXPECT_THROW(ReadColumn(c, badSet), EInvalidGridDefinition);
}

namespace {

// How the grid control carries its columns and headings in its definition.
struct TDefinedGrid : TStringGrid {
  TcgColumns Columns;
  TcgHeadings Headings;

  void WriteProperties(QJsonObject& properties) const override {
    TStringGrid::WriteProperties(properties);
    properties.insert("Columns", WriteHeadings(Columns));
    properties.insert("Headings", WriteHeadings(Headings));
  }
  void ReadProperties(const QJsonObject& properties) override {
    TStringGrid::ReadProperties(properties);
    if (properties.contains("Columns")) ReadHeadings(Columns, properties.value("Columns"), "Columns");
    if (properties.contains("Headings")) ReadHeadings(Headings, properties.value("Headings"), "Headings");
  }
};

}  // namespace

TEST(CgColumnIo, ColumnsAndHeadingsTravelInsideAGridDefinition) {
  TDefinedGrid grid;
  TcgColumn* col = grid.Columns.Add();
  col->SetCaption("Receive Time");
  col->SetColumnVAlignment(TcgVAlignment::cgvaCenter);
  col->SetHeadingIndex(0);
  grid.Headings.Add()->SetCaption("When");
  const QByteArray text = grid.SaveDefinitionText();

  TDefinedGrid other;
  other.LoadDefinitionText(text);
  ASSERT_EQ(other.Columns.Count(), 1);
  const TcgColumn& back = *other.Columns.Items(0);
  EXPECT_EQ(std::tuple(back.Caption(), back.ColumnVAlignment(), back.HeadingIndex()),
            std::tuple(QString("Receive Time"), TcgVAlignment::cgvaCenter, 0));
  ASSERT_EQ(other.Headings.Count(), 1);
  EXPECT_EQ(other.Headings.Items(0)->Caption(), "When");
}
