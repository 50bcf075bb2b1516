// Columns and headings: values at creation, notifications, fonts, copying,
// names and moves.

#include "grid/cg_column.h"
#include "tests/common/message_of.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/list_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using enum TcgVAlignment;
using enum TcgClipStyle;
using enum TAlignment;
using enum TPanelBevel;

namespace {

struct TNotice {
  TcgHeading* item;
  bool repaintOnly;
  bool operator==(const TNotice&) const = default;
};

// A column collection recording its item notifications.
struct TWatched {
  TcgColumns columns;
  std::vector<TNotice> notices;
  int changes = 0;
  TWatched() {
    columns.OnItemChange = [this](TcgHeading* item, bool repaintOnly) { notices.push_back({item, repaintOnly}); };
    columns.OnChange = [this](TcgHeadings* sender) {
      EXPECT_EQ(sender, &columns);
      ++changes;
    };
  }
};

QStringList NamesOf(const TcgHeadings& h) {
  QStringList out;
  for (int i = 0; i < h.Count(); ++i) out << h.Items(i)->Name();
  return out;
}

struct FontOfHeight : TFont {
  explicit FontOfHeight(int h) { SetHeight(h); }
};

}  // namespace

TEST(CgColumn, ValuesAtCreation) {
  const TcgColumn c;
  EXPECT_EQ(c.Caption(), "");
  EXPECT_EQ(c.Name(), "");
  EXPECT_EQ(c.TitleHAlignment(), taCenter);
  EXPECT_EQ(c.TitleVAlignment(), cgvaCenter);
  EXPECT_EQ(c.TitleColor(), clBtnFace);
  EXPECT_TRUE(c.TitleFont().Equals(TFont()));
  EXPECT_TRUE(c.TitleParentFont());
  EXPECT_EQ(c.TitleClipStyle(), cgclpWrap);
  EXPECT_EQ(c.TitleInnerBevel(), bvNone);
  EXPECT_EQ(c.TitleOuterBevel(), bvRaised);
  for (const TcgBorder* b : {&c.TopBorder(), &c.BottomBorder(), &c.LeftBorder(), &c.RightBorder()})
    EXPECT_TRUE(b->Equals(TcgBorder()));

  EXPECT_TRUE(c.ControlType().Empty());
  EXPECT_TRUE(c.Visible());
  EXPECT_FALSE(c.ReadOnly());
  EXPECT_EQ(c.MaxTextLength(), 0);
  EXPECT_EQ(c.ColumnHAlignment(), taLeftJustify);
  EXPECT_EQ(c.ColumnVAlignment(), cgvaTop);
  EXPECT_EQ(c.ColumnColor(), clWindow);
  EXPECT_TRUE(c.ColumnFont().Equals(TFont()));
  EXPECT_TRUE(c.ColumnParentFont());
  EXPECT_EQ(c.ColumnClipStyle(), cgclpEllipsis);
  EXPECT_EQ(c.ColumnInnerBevel(), bvNone);
  EXPECT_EQ(c.ColumnOuterBevel(), bvNone);
  EXPECT_EQ(c.Items().Count(), 0);
  EXPECT_TRUE(c.AutoSuggest());
  EXPECT_FALSE(c.ComboMaxWidth());
  EXPECT_EQ(c.DropDownCount(), 8);
  EXPECT_EQ(c.ButtonStyle(), TcgButtonStyle::cgbstEllipsis);
  EXPECT_TRUE(c.ButtonPicture().Empty());
  EXPECT_TRUE(c.DrawButtonface());
  EXPECT_EQ(c.ButtonVAlignment(), cgvaCenter);
  EXPECT_EQ(c.HeadingIndex(), -1);
  EXPECT_EQ(c.FormatType(), TcgFormatType::cgfmtNone);
  EXPECT_EQ(c.Decimals(), 2);
  EXPECT_EQ(c.Prefix(), "");
  EXPECT_TRUE(c.ThousandsSeparator());
  EXPECT_FALSE(c.NegativeParenthesis());
  EXPECT_EQ(c.DateFormat(), 2);
  EXPECT_EQ(c.TimeFormat(), -1);
  EXPECT_EQ(c.HiddenWidth(), 64);
  EXPECT_EQ(c.HiddenCells().Count(), 0);
}

TEST(CgColumns, AddNamesColumnsAndFillsTheFirstGap) {
  TcgColumns columns;
  columns.Add();
  columns.Add();
  columns.Add();
  EXPECT_EQ(NamesOf(columns), QStringList({"Column 1", "Column 2", "Column 3"}));
  columns.Items(1)->SetName("Duration");
  EXPECT_EQ(columns.Add()->Name(), "Column 2");
  columns.Delete(0);
  EXPECT_EQ(columns.Add()->Name(), "Column 1");
}

TEST(CgColumns, NamesAreComparedWithTheirCase) {
  TcgColumns columns;
  columns.Add()->SetName("column 1");
  EXPECT_FALSE(columns.NameExists("Column 1"));
  EXPECT_TRUE(columns.NameExists("column 1"));
  EXPECT_EQ(columns.Add()->Name(), "Column 1");
}

TEST(CgColumn, AComparedPropertySetToItsCurrentValueNotifiesNothingAndANewValueOnce) {
  // (setter to the current value, setter to another value)
  using TSet = std::function<void(TcgColumn&)>;
  const std::vector<std::pair<TSet, TSet>> setters = {
      {[](TcgColumn& c) { c.SetCaption(""); }, [](TcgColumn& c) { c.SetCaption("Type"); }},
      {[](TcgColumn& c) { c.SetTitleHAlignment(taCenter); }, [](TcgColumn& c) { c.SetTitleHAlignment(taRightJustify); }},
      {[](TcgColumn& c) { c.SetTitleVAlignment(cgvaCenter); }, [](TcgColumn& c) { c.SetTitleVAlignment(cgvaBottom); }},
      {[](TcgColumn& c) { c.SetTitleColor(clBtnFace); }, [](TcgColumn& c) { c.SetTitleColor(clRed); }},
      {[](TcgColumn& c) { c.SetTitleParentFont(true); }, [](TcgColumn& c) { c.SetTitleParentFont(false); }},
      {[](TcgColumn& c) { c.SetTitleClipStyle(cgclpWrap); }, [](TcgColumn& c) { c.SetTitleClipStyle(cgclpClip); }},
      {[](TcgColumn& c) { c.SetTitleInnerBevel(bvNone); }, [](TcgColumn& c) { c.SetTitleInnerBevel(bvLowered); }},
      {[](TcgColumn& c) { c.SetTitleOuterBevel(bvRaised); }, [](TcgColumn& c) { c.SetTitleOuterBevel(bvNone); }},
      {[](TcgColumn& c) { c.SetControlType({}); },
       [](TcgColumn& c) { c.SetControlType({TcgControlType::cgctlButton}); }},
      {[](TcgColumn& c) { c.SetReadOnly(false); }, [](TcgColumn& c) { c.SetReadOnly(true); }},
      {[](TcgColumn& c) { c.SetMaxTextLength(0); }, [](TcgColumn& c) { c.SetMaxTextLength(-5); }},
      {[](TcgColumn& c) { c.SetColumnHAlignment(taLeftJustify); }, [](TcgColumn& c) { c.SetColumnHAlignment(taCenter); }},
      {[](TcgColumn& c) { c.SetColumnVAlignment(cgvaTop); }, [](TcgColumn& c) { c.SetColumnVAlignment(cgvaCenter); }},
      {[](TcgColumn& c) { c.SetColumnColor(clWindow); }, [](TcgColumn& c) { c.SetColumnColor(clYellow); }},
      {[](TcgColumn& c) { c.SetColumnParentFont(true); }, [](TcgColumn& c) { c.SetColumnParentFont(false); }},
      {[](TcgColumn& c) { c.SetColumnClipStyle(cgclpEllipsis); }, [](TcgColumn& c) { c.SetColumnClipStyle(cgclpWrap); }},
      {[](TcgColumn& c) { c.SetColumnInnerBevel(bvNone); }, [](TcgColumn& c) { c.SetColumnInnerBevel(bvRaised); }},
      {[](TcgColumn& c) { c.SetColumnOuterBevel(bvNone); }, [](TcgColumn& c) { c.SetColumnOuterBevel(bvRaised); }},
      {[](TcgColumn& c) { c.SetComboMaxWidth(false); }, [](TcgColumn& c) { c.SetComboMaxWidth(true); }},
      {[](TcgColumn& c) { c.SetDropDownCount(8); }, [](TcgColumn& c) { c.SetDropDownCount(12); }},
      {[](TcgColumn& c) { c.SetButtonStyle(TcgButtonStyle::cgbstEllipsis); },
       [](TcgColumn& c) { c.SetButtonStyle(TcgButtonStyle::cgbstCustom); }},
      {[](TcgColumn& c) { c.SetDrawButtonface(true); }, [](TcgColumn& c) { c.SetDrawButtonface(false); }},
      {[](TcgColumn& c) { c.SetButtonVAlignment(cgvaCenter); }, [](TcgColumn& c) { c.SetButtonVAlignment(cgvaTop); }},
      {[](TcgColumn& c) { c.SetHeadingIndex(-1); }, [](TcgColumn& c) { c.SetHeadingIndex(40); }},
      {[](TcgColumn& c) { c.SetFormatType(TcgFormatType::cgfmtNone); },
       [](TcgColumn& c) { c.SetFormatType(TcgFormatType::cgfmtNumeric); }},
      {[](TcgColumn& c) { c.SetDecimals(2); }, [](TcgColumn& c) { c.SetDecimals(0); }},
      {[](TcgColumn& c) { c.SetPrefix(""); }, [](TcgColumn& c) { c.SetPrefix("$"); }},
      {[](TcgColumn& c) { c.SetThousandsSeparator(true); }, [](TcgColumn& c) { c.SetThousandsSeparator(false); }},
      {[](TcgColumn& c) { c.SetNegativeParenthesis(false); }, [](TcgColumn& c) { c.SetNegativeParenthesis(true); }},
      {[](TcgColumn& c) { c.SetDateFormat(2); }, [](TcgColumn& c) { c.SetDateFormat(99); }},
      {[](TcgColumn& c) { c.SetTimeFormat(-1); }, [](TcgColumn& c) { c.SetTimeFormat(3); }},
  };
  for (size_t i = 0; i < setters.size(); ++i) {
    TWatched w;
    TcgColumn* col = w.columns.Add();
    setters[i].first(*col);
    EXPECT_TRUE(w.notices.empty()) << "setter " << i;
    setters[i].second(*col);
    EXPECT_EQ(w.notices, (std::vector<TNotice>{{col, true}})) << "setter " << i;
    setters[i].second(*col);
    EXPECT_EQ(w.notices.size(), 1u) << "setter " << i;
  }
}

TEST(CgColumn, NameItemsAndAutoSuggestStoreWithoutNotifying) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  col->SetName("Receive Time");
  TStringList items({"Apple", "ABC"});
  col->SetItems(items);
  col->SetAutoSuggest(false);
  EXPECT_TRUE(w.notices.empty());
  EXPECT_EQ(col->Name(), "Receive Time");
  EXPECT_EQ(col->Items().List(), QStringList({"Apple", "ABC"}));
  EXPECT_FALSE(col->AutoSuggest());
  items.Add("copied, not shared");
  EXPECT_EQ(col->Items().Count(), 2);
}

TEST(CgColumn, ChangesInsideOwnedObjectsNotifyNothing) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  col->TopBorder().SetStyle(TcgBorderStyle::cgbrdSolid);
  col->Items().Add("Fax");
  col->HiddenCells().Add("kept");
  QImage img(4, 4, QImage::Format_RGB32);
  img.fill(Qt::red);
  col->ButtonPicture().SetBitmap(img);
  EXPECT_TRUE(w.notices.empty());
}

TEST(CgColumn, OwnedObjectsAreCopiedInAndNotifyWithoutComparing) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  TcgBorder border;
  col->SetTopBorder(border);  // equal to the current one: notifies all the same
  border.SetWidth(3);
  col->SetLeftBorder(border);
  border.SetWidth(7);
  EXPECT_EQ(col->LeftBorder().Width(), 3);
  col->SetButtonPicture(TPicture());
  EXPECT_EQ(w.notices.size(), 3u);
}

TEST(CgColumn, SettingAnEqualTitleFontNotifiesButKeepsTheParentFlag) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  col->SetTitleFont(TFont());
  EXPECT_EQ(w.notices, (std::vector<TNotice>{{col, true}}));
  EXPECT_TRUE(col->TitleParentFont());

  col->SetTitleFont(FontOfHeight(30));
  EXPECT_FALSE(col->TitleParentFont());
  EXPECT_EQ(col->TitleFont().Height(), 30);
  EXPECT_EQ(w.notices.size(), 2u);
  EXPECT_TRUE(col->ColumnParentFont());  // the other font is not touched
}

TEST(CgColumn, ChangingTheColumnFontDirectlyClearsItsParentFlagWithoutNotifying) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  col->ColumnFont().SetSize(col->ColumnFont().Size() + 4);
  EXPECT_FALSE(col->ColumnParentFont());
  EXPECT_TRUE(col->TitleParentFont());
  EXPECT_TRUE(w.notices.empty());

  // Setting the flag back leaves the font as it is.
  col->SetColumnParentFont(true);
  EXPECT_EQ(col->ColumnFont().Size(), TFont().Size() + 4);
  col->TitleFont().SetColor(clRed);
  EXPECT_FALSE(col->TitleParentFont());
  EXPECT_TRUE(col->ColumnParentFont());
}

TEST(CgColumn, VisibleChangesTheLayoutOnlyWhenItChanges) {
  TWatched w;
  TcgColumn* col = w.columns.Add();
  col->SetVisible(true);
  EXPECT_TRUE(w.notices.empty());
  col->SetVisible(false);
  EXPECT_EQ(w.notices, (std::vector<TNotice>{{col, false}}));
}

TEST(CgColumn, CopyingAColumnWhoseVisibleDiffersCallsNothing) {
  TWatched w;
  TcgColumn* target = w.columns.Add();
  TcgColumn hidden;
  hidden.SetVisible(false);
  target->Assign(hidden);
  EXPECT_FALSE(target->Visible());
  EXPECT_TRUE(w.notices.empty());
  EXPECT_EQ(w.changes, 0);
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

TEST(CgColumn, AssignCopiesEveryPropertyButTheParentFlags) {
  TcgColumn source;
  source.SetCaption("Duration");
  source.SetName("Duration");
  source.SetTitleHAlignment(taLeftJustify);
  source.SetTitleVAlignment(cgvaBottom);
  source.SetTitleColor(clAqua);
  source.SetTitleClipStyle(cgclpClip);
  source.SetTitleInnerBevel(bvLowered);
  source.SetTitleOuterBevel(bvNone);
  source.RightBorder().SetStyle(TcgBorderStyle::cgbrdDot);
  source.SetHiddenWidth(99);
  source.SetColumnHAlignment(taRightJustify);
  source.SetColumnVAlignment(cgvaBottom);
  source.SetColumnColor(clInfoBk);
  source.SetColumnClipStyle(cgclpClip);
  source.SetColumnInnerBevel(bvRaised);
  source.SetColumnOuterBevel(bvLowered);
  source.SetControlType({TcgControlType::cgctlComboBox, TcgControlType::cgctlButton});
  source.Items().SetList({"a", "b"});
  source.SetVisible(false);
  source.HiddenCells().SetList({"#", "1"});
  source.SetReadOnly(true);
  source.SetMaxTextLength(12);
  source.SetAutoSuggest(false);
  source.SetComboMaxWidth(true);
  source.SetDropDownCount(3);
  source.SetHeadingIndex(1);
  source.SetButtonStyle(TcgButtonStyle::cgbstDropDown);
  QImage img(3, 3, QImage::Format_RGB32);
  img.fill(Qt::blue);
  source.ButtonPicture().SetBitmap(img);
  source.SetDrawButtonface(false);
  source.SetButtonVAlignment(cgvaBottom);
  source.SetFormatType(TcgFormatType::cgfmtDateTime);
  source.SetDecimals(4);
  source.SetPrefix("P");
  source.SetThousandsSeparator(false);
  source.SetNegativeParenthesis(true);
  source.SetDateFormat(8);
  source.SetTimeFormat(1);
  source.SetTitleParentFont(false);  // fonts equal: the flags do not travel
  source.SetColumnParentFont(false);

  TcgColumn c;
  c.Assign(source);
  EXPECT_EQ(c.Caption(), "Duration");
  EXPECT_EQ(c.Name(), "Duration");
  EXPECT_EQ(c.TitleHAlignment(), taLeftJustify);
  EXPECT_EQ(c.TitleVAlignment(), cgvaBottom);
  EXPECT_EQ(c.TitleColor(), clAqua);
  EXPECT_EQ(c.TitleClipStyle(), cgclpClip);
  EXPECT_EQ(c.TitleInnerBevel(), bvLowered);
  EXPECT_EQ(c.TitleOuterBevel(), bvNone);
  EXPECT_EQ(c.RightBorder().Style(), TcgBorderStyle::cgbrdDot);
  EXPECT_EQ(c.HiddenWidth(), 99);
  EXPECT_EQ(c.ColumnHAlignment(), taRightJustify);
  EXPECT_EQ(c.ColumnVAlignment(), cgvaBottom);
  EXPECT_EQ(c.ColumnColor(), clInfoBk);
  EXPECT_EQ(c.ColumnClipStyle(), cgclpClip);
  EXPECT_EQ(c.ColumnInnerBevel(), bvRaised);
  EXPECT_EQ(c.ColumnOuterBevel(), bvLowered);
  EXPECT_EQ(c.ControlType(), source.ControlType());
  EXPECT_EQ(c.Items().List(), QStringList({"a", "b"}));
  EXPECT_FALSE(c.Visible());
  EXPECT_EQ(c.HiddenCells().List(), QStringList({"#", "1"}));
  EXPECT_TRUE(c.ReadOnly());
  EXPECT_EQ(c.MaxTextLength(), 12);
  EXPECT_FALSE(c.AutoSuggest());
  EXPECT_TRUE(c.ComboMaxWidth());
  EXPECT_EQ(c.DropDownCount(), 3);
  EXPECT_EQ(c.HeadingIndex(), 1);
  EXPECT_EQ(c.ButtonStyle(), TcgButtonStyle::cgbstDropDown);
  EXPECT_TRUE(c.ButtonPicture().Equals(source.ButtonPicture()));
  EXPECT_FALSE(c.DrawButtonface());
  EXPECT_EQ(c.ButtonVAlignment(), cgvaBottom);
  EXPECT_EQ(c.FormatType(), TcgFormatType::cgfmtDateTime);
  EXPECT_EQ(c.Decimals(), 4);
  EXPECT_EQ(c.Prefix(), "P");
  EXPECT_FALSE(c.ThousandsSeparator());
  EXPECT_TRUE(c.NegativeParenthesis());
  EXPECT_EQ(c.DateFormat(), 8);
  EXPECT_EQ(c.TimeFormat(), 1);
  EXPECT_TRUE(c.TitleParentFont());
  EXPECT_TRUE(c.ColumnParentFont());
}

TEST(CgColumn, AssigningADifferentFontClearsTheTargetsParentFlag) {
  TcgColumn source;
  source.ColumnFont().SetHeight(25);
  source.SetColumnParentFont(true);  // the font is kept but ignored
  TcgColumn target;
  target.Assign(source);
  EXPECT_FALSE(target.ColumnParentFont());
  EXPECT_EQ(target.ColumnFont().Height(), 25);
}

TEST(CgColumn, BetweenHeadingsAndColumnsOnlyTheHeadingPartTravels) {
  TcgHeading heading;
  heading.SetCaption("Messages");
  heading.SetTitleColor(clRed);
  TcgColumn column;
  column.SetColumnColor(clLime);
  column.Assign(heading);
  EXPECT_EQ(column.Caption(), "Messages");
  EXPECT_EQ(column.TitleColor(), clRed);
  EXPECT_EQ(column.ColumnColor(), clLime);

  TcgColumn other;
  other.SetCaption("Type");
  heading.Assign(other);
  EXPECT_EQ(heading.Caption(), "Type");
  EXPECT_EQ(heading.TitleColor(), clBtnFace);
}

TEST(CgColumn, AssigningSomethingElseFailsWithTheClassNamesAndChangesNothing) {
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
  w.columns.Add();
  w.columns.Add();
  w.columns.Add();
  w.columns.Assign(source);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Number", "Type"}));
  EXPECT_EQ(w.columns.Items(0)->Caption(), "#");
  EXPECT_EQ(w.changes, 1);
  EXPECT_TRUE(w.notices.empty());

  TcgHeadings headings;  // column items become heading items, and back
  headings.Assign(source);
  EXPECT_EQ(headings.Items(1)->ClassName(), "TcgHeading");
  EXPECT_EQ(headings.Items(1)->Name(), "Type");
  TcgColumns back;
  back.Assign(headings);
  EXPECT_EQ(back.Items(0)->ClassName(), "TcgColumn");
  EXPECT_EQ(back.Items(0)->Caption(), "#");
}

TEST(CgHeadings, MoveReordersWithoutNotifyingAndIndexesAreChecked) {
  TWatched w;
  for (int i = 0; i < 4; ++i) w.columns.Add();
  w.columns.Move(0, 2);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Column 2", "Column 3", "Column 1", "Column 4"}));
  EXPECT_EQ(w.columns.Items(2)->Index(), 2);
  EXPECT_TRUE(w.notices.empty());
  EXPECT_EQ(MessageOf([&] { w.columns.Move(4, 0); }), "List index out of bounds (4)");
  EXPECT_EQ(MessageOf([&] { w.columns.Move(1, -1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf([&] { w.columns.Items(9); }), "List index out of bounds (9)");
  EXPECT_THROW(w.columns.Items(4), EListError);
  EXPECT_EQ(NamesOf(w.columns), QStringList({"Column 2", "Column 3", "Column 1", "Column 4"}));
}
