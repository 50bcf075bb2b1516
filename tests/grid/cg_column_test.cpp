// Columns and headings: values at creation, notifications, fonts, copying, names and moves.

#include "tests/common/message_of.h"
#include "tests/grid/cg_column_properties.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/list_error.h"

namespace {

using namespace cg_column_test;

struct TNotice { TcgHeading* item; bool repaintOnly; bool operator==(const TNotice&) const = default; };

struct TWatched {
  TcgColumns columns;
  std::vector<TNotice> notices;
  int changes = 0;
  TWatched() {
    columns.OnItemChange = [this](TcgHeading* item, bool repaintOnly) { notices.push_back({item, repaintOnly}); };
    columns.OnChange = [this](TcgHeadings* sender) { EXPECT_EQ(sender, &columns); ++changes; };
  }
};

struct CgColumnWatched : ::testing::Test { TWatched w; TcgColumn* col = w.columns.Add(); };

QStringList NamesOf(const TcgHeadings& h) {
  QStringList out;
  for (int i = 0; i < h.Count(); ++i) out << h.Items(i)->Name();
  return out;
}

}  // namespace

TEST(CgColumn, ValuesAtCreation) {
  const TcgColumn c;
  for (const TColumnProperty& p : ColumnProperties()) EXPECT_TRUE(p.isInitial(c)) << p.name;
  EXPECT_TRUE(c.TitleFont().Equals(TFont()) && c.ColumnFont().Equals(TFont()));
}

TEST(CgColumns, AddNamesColumnsAndFillsTheFirstGapComparingNamesWithTheirCase) {
  TcgColumns columns;
  for (int i = 0; i < 3; ++i) columns.Add();
  EXPECT_EQ(NamesOf(columns), QStringList({"Column 1", "Column 2", "Column 3"}));
  columns.Items(1)->SetName("Duration");
  EXPECT_EQ(columns.Add()->Name(), "Column 2");
  columns.Delete(0);
  EXPECT_EQ(columns.Add()->Name(), "Column 1");
  TcgColumns lower;
  lower.Add()->SetName("column 1");
  EXPECT_EQ(std::tuple(lower.NameExists("Column 1"), lower.NameExists("column 1")), std::tuple(false, true));
  EXPECT_EQ(lower.Add()->Name(), "Column 1");
}

TEST(CgColumn, AComparedPropertySetToItsCurrentValueNotifiesNothingAndANewValueOnce) {
  for (const TColumnProperty& p : Taking(kNotifies)) {
    TWatched w;
    TcgColumn* col = w.columns.Add();
    p.setInitial(*col);
    EXPECT_TRUE(w.notices.empty()) << p.name;
    p.setOther(*col);
    EXPECT_EQ(w.notices, (std::vector<TNotice>{{col, true}})) << p.name;
    p.setOther(*col);
    EXPECT_EQ(w.notices.size(), 1u) << p.name;
  }
}

TEST_F(CgColumnWatched, NameItemsAutoSuggestAndChangesInsideOwnedObjectsStoreWithoutNotifying) {
  col->SetName("Receive Time");
  TStringList items({"Apple", "ABC"});
  col->SetItems(items);
  col->SetAutoSuggest(false);
  EXPECT_EQ(std::tuple(w.notices.empty(), col->Name()), std::tuple(true, "Receive Time"));
  EXPECT_EQ(std::tuple(col->Items().List(), col->AutoSuggest()), std::tuple(QStringList({"Apple", "ABC"}), false));
  items.Add("copied, not shared");
  EXPECT_EQ(col->Items().Count(), 2);
  col->TopBorder().SetStyle(TcgBorderStyle::cgbrdSolid);
  col->Items().Add("Fax");
  col->HiddenCells().Add("kept");
  col->ButtonPicture().SetBitmap(Solid(4, 4, Qt::red));
  EXPECT_TRUE(w.notices.empty());
}

TEST_F(CgColumnWatched, OwnedObjectsAreCopiedInAndNotifyWithoutComparing) {
  TcgBorder border;
  col->SetTopBorder(border);  // equal to the current one: notifies all the same
  border.SetWidth(3);
  col->SetLeftBorder(border);
  border.SetWidth(7);
  EXPECT_EQ(col->LeftBorder().Width(), 3);
  col->SetButtonPicture(TPicture());
  EXPECT_EQ(w.notices.size(), 3u);
}

TEST_F(CgColumnWatched, SettingAnEqualTitleFontNotifiesButKeepsTheParentFlag) {
  col->SetTitleFont(TFont());
  EXPECT_EQ(std::tuple(w.notices, col->TitleParentFont()), std::tuple(std::vector<TNotice>{{col, true}}, true));

  col->SetTitleFont(FontOfHeight(30));
  EXPECT_FALSE(col->TitleParentFont());
  EXPECT_EQ(std::tuple(col->TitleFont().Height(), w.notices.size()), std::tuple(30, 2u));
  EXPECT_TRUE(col->ColumnParentFont());  // the other font is not touched
}

TEST_F(CgColumnWatched, ChangingTheColumnFontDirectlyClearsItsParentFlagWithoutNotifying) {
  col->ColumnFont().SetSize(col->ColumnFont().Size() + 4);
  EXPECT_FALSE(col->ColumnParentFont());
  EXPECT_TRUE(col->TitleParentFont() && w.notices.empty());

  // Setting the flag back leaves the font as it is.
  col->SetColumnParentFont(true);
  EXPECT_EQ(col->ColumnFont().Size(), TFont().Size() + 4);
  col->TitleFont().SetColor(clRed);
  EXPECT_EQ(std::tuple(col->TitleParentFont(), col->ColumnParentFont()), std::tuple(false, true));
}

TEST_F(CgColumnWatched, VisibleChangesTheLayoutOnlyWhenItChangesCopyingItCallsNothing) {
  col->SetVisible(true);
  EXPECT_TRUE(w.notices.empty());
  col->SetVisible(false);
  EXPECT_EQ(w.notices, (std::vector<TNotice>{{col, false}}));
  TcgColumn* target = w.columns.Add();
  w.notices.clear();
  w.changes = 0;
  TcgColumn hidden;
  hidden.SetVisible(false);
  target->Assign(hidden);
  EXPECT_EQ(std::tuple(target->Visible(), w.notices.empty(), w.changes), std::tuple(false, true, 0));
}

TEST(CgHeadings, HeadingsWithoutAHandlerAndFreeItemsNotifyNobody) {
  TcgHeadings headings;  // the grid binds nothing to its Headings
  TcgHeading* h = headings.Add();
  h->SetCaption("Messages");
  h->SetTitleColor(clRed);
  TcgColumn free;
  free.SetVisible(false);
  free.SetCaption("x");
  EXPECT_EQ(h->Caption(), "Messages");
  EXPECT_EQ(free.Headings(), nullptr);
}

TEST(CgColumn, AssignCopiesEveryPropertyButTheParentFlagsWhichADifferentFontClears) {
  TcgColumn source;
  SetOthers(source, kCopied);
  source.SetTitleParentFont(false);  // fonts equal: the flags do not travel
  source.SetColumnParentFont(false);
  TcgColumn c;
  c.Assign(source);
  for (const TColumnProperty& p : Taking(kCopied)) EXPECT_TRUE(p.isOther(c)) << p.name;
  EXPECT_TRUE(c.TitleParentFont() && c.ColumnParentFont());

  source.ColumnFont().SetHeight(25);
  source.SetColumnParentFont(true);  // the font is kept but ignored
  c.Assign(source);
  EXPECT_EQ(std::tuple(c.ColumnParentFont(), c.ColumnFont().Height()), std::tuple(false, 25));
}

TEST(CgColumn, BetweenHeadingsAndColumnsOnlyTheHeadingPartTravelsAnythingElseFails) {
  TcgHeading heading;
  heading.SetCaption("Messages");
  heading.SetTitleColor(clRed);
  TcgColumn column;
  column.SetColumnColor(clLime);
  column.Assign(heading);
  EXPECT_EQ(std::tuple(column.Caption(), column.TitleColor()), std::tuple("Messages", clRed));
  EXPECT_EQ(column.ColumnColor(), clLime);

  TcgColumn other;
  other.SetCaption("Type");
  heading.Assign(other);
  EXPECT_EQ(std::tuple(heading.Caption(), heading.TitleColor()), std::tuple("Type", clBtnFace));

  // Anything else fails with the class names and changes nothing.
  TcgColumn c;
  c.SetCaption("kept");
  EXPECT_EQ(MessageOf([&] { c.Assign(TFont()); }), "Cannot assign a TFont to a TcgColumn");
  TcgHeading h;
  EXPECT_EQ(MessageOf([&] { h.Assign(TcgBorder()); }), "Cannot assign a TcgBorder to a TcgHeading");
  EXPECT_THROW(c.Assign(TStringList()), EConvertError);
  EXPECT_EQ(c.Caption(), "kept");

  TcgColumns columns;
  columns.Add();
  EXPECT_EQ(MessageOf([&] { columns.Assign(c); }), "Cannot assign a TcgColumn to a TcgColumns");
  EXPECT_EQ(columns.Count(), 1);
}

TEST(CgHeadings, AssignCopiesItemsWithTheirNamesThenReportsOnce) {
  TcgColumns source;
  source.Add()->SetCaption("#");
  source.Add()->SetName("Type");
  source.Items(0)->SetName("Number");
  TWatched w;
  for (int i = 0; i < 3; ++i) w.columns.Add();
  w.columns.Assign(source);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Number", "Type"}));
  EXPECT_EQ(std::tuple(w.columns.Items(0)->Caption(), w.changes, w.notices.empty()), std::tuple("#", 1, true));

  TcgHeadings headings;  // column items become heading items, and back
  headings.Assign(source);
  EXPECT_EQ(std::tuple(headings.Items(1)->ClassName(), headings.Items(1)->Name()), std::tuple("TcgHeading", "Type"));
  TcgColumns back;
  back.Assign(headings);
  EXPECT_EQ(std::tuple(back.Items(0)->ClassName(), back.Items(0)->Caption()), std::tuple("TcgColumn", "#"));
}

TEST(CgHeadings, MoveReordersWithoutNotifyingAndIndexesAreChecked) {
  TWatched w;
  for (int i = 0; i < 4; ++i) w.columns.Add();
  w.columns.Move(0, 2);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Column 2", "Column 3", "Column 1", "Column 4"}));
  EXPECT_EQ(std::tuple(w.columns.Items(2)->Index(), w.notices.empty()), std::tuple(2, true));
  EXPECT_EQ(MessageOf([&] { w.columns.Move(4, 0); }), "List index out of bounds (4)");
  EXPECT_EQ(MessageOf([&] { w.columns.Move(1, -1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf([&] { w.columns.Items(9); }), "List index out of bounds (9)");
  EXPECT_THROW(w.columns.Items(4), EListError);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Column 2", "Column 3", "Column 1", "Column 4"}));
}
