#pragma once

// Unit CgColumn: the descriptors of the grid's columns and spanning headings.
//
// TcgHeading gives the look of a title cell and carries a name; TcgColumn
// adds the look of the data cells, visibility, editing aids, a spanning
// heading reference and display formatting. They hold data and report
// changes through their collection (TcgHeadings / TcgColumns):
//  * A setter of a property that repaints stores a different value and calls
//    Changed (OnItemChange with RepaintOnly true); an equal value does nothing.
//  * Owned objects (fonts, borders, ButtonPicture) are set by copying into the
//    owned one, then Changed, without comparing. Changes made inside an owned
//    object notify nothing, except that fonts follow FontChanged: a real change
//    of TitleFont (ColumnFont) sets TitleParentFont (ColumnParentFont) False by
//    a plain store.
//  * Visible notifies with RepaintOnly false; Name, Items and AutoSuggest are
//    stored without notification.
//  * Assign copies in a fixed order by plain stores; the ParentFont flags are
//    not copied (a font copy that differs clears them).
// No value is validated when it is set.

#include "grid/cg_global.h"
#include "toolkit/core/collection.h"
#include "toolkit/core/string_list.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/picture.h"

#include <QString>

#include <functional>

class TcgHeadings;

class TcgHeading : public TCollectionItem {
 public:
  TcgHeading();

  QString Caption() const { return caption_; }
  void SetCaption(const QString& Value) { SetCompared(caption_, Value); }
  QString Name() const { return name_; }
  void SetName(const QString& Value) { name_ = Value; }
  TAlignment TitleHAlignment() const { return titleHAlignment_; }
  void SetTitleHAlignment(TAlignment Value) { SetCompared(titleHAlignment_, Value); }
  TcgVAlignment TitleVAlignment() const { return titleVAlignment_; }
  void SetTitleVAlignment(TcgVAlignment Value) { SetCompared(titleVAlignment_, Value); }
  TColor TitleColor() const { return titleColor_; }
  void SetTitleColor(TColor Value) { SetCompared(titleColor_, Value); }
  const TFont& TitleFont() const { return titleFont_; }
  TFont& TitleFont() { return titleFont_; }
  void SetTitleFont(const TFont& Value);
  bool TitleParentFont() const { return titleParentFont_; }
  void SetTitleParentFont(bool Value) { SetCompared(titleParentFont_, Value); }
  TcgClipStyle TitleClipStyle() const { return titleClipStyle_; }
  void SetTitleClipStyle(TcgClipStyle Value) { SetCompared(titleClipStyle_, Value); }
  TPanelBevel TitleInnerBevel() const { return titleInnerBevel_; }
  void SetTitleInnerBevel(TPanelBevel Value) { SetCompared(titleInnerBevel_, Value); }
  TPanelBevel TitleOuterBevel() const { return titleOuterBevel_; }
  void SetTitleOuterBevel(TPanelBevel Value) { SetCompared(titleOuterBevel_, Value); }
  const TcgBorder& TopBorder() const { return topBorder_; }
  TcgBorder& TopBorder() { return topBorder_; }
  void SetTopBorder(const TcgBorder& Value) { SetOwned(topBorder_, Value); }
  const TcgBorder& BottomBorder() const { return bottomBorder_; }
  TcgBorder& BottomBorder() { return bottomBorder_; }
  void SetBottomBorder(const TcgBorder& Value) { SetOwned(bottomBorder_, Value); }
  const TcgBorder& LeftBorder() const { return leftBorder_; }
  TcgBorder& LeftBorder() { return leftBorder_; }
  void SetLeftBorder(const TcgBorder& Value) { SetOwned(leftBorder_, Value); }
  const TcgBorder& RightBorder() const { return rightBorder_; }
  TcgBorder& RightBorder() { return rightBorder_; }
  void SetRightBorder(const TcgBorder& Value) { SetOwned(rightBorder_, Value); }

  // From a TcgHeading or descendant: its heading part. Anything else fails.
  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TcgHeading"); }

  // The owning collection, nullptr outside one.
  TcgHeadings* Headings() const;

 protected:
  // Reports a change that needs a repaint to the collection's OnItemChange.
  void Changed();
  // One of the item's fonts changed (Sender is that font).
  virtual void FontChanged(TFont* Sender);

  template <class T>
  void SetCompared(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  template <class T>
  void SetOwned(T& owned, const T& value) {
    owned.Assign(value);
    Changed();
  }
  void AssignHeading(const TcgHeading& Source);

  // Binds a font's change notification to FontChanged.
  void FollowFont(TFont& Font);

 private:
  QString caption_;
  QString name_;
  TcgVAlignment titleVAlignment_ = TcgVAlignment::cgvaCenter;
  TAlignment titleHAlignment_ = TAlignment::taCenter;
  TColor titleColor_ = clBtnFace;
  TFont titleFont_;
  bool titleParentFont_ = true;
  TcgClipStyle titleClipStyle_ = TcgClipStyle::cgclpWrap;
  TPanelBevel titleInnerBevel_ = TPanelBevel::bvNone;
  TPanelBevel titleOuterBevel_ = TPanelBevel::bvRaised;
  TcgBorder topBorder_;
  TcgBorder bottomBorder_;
  TcgBorder leftBorder_;
  TcgBorder rightBorder_;
};

class TcgColumn : public TcgHeading {
 public:
  TcgColumn();

  TcgControlTypes ControlType() const { return controlType_; }
  void SetControlType(TcgControlTypes Value) { SetCompared(controlType_, Value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value) { SetCompared(readOnly_, Value); }
  int MaxTextLength() const { return maxTextLength_; }
  void SetMaxTextLength(int Value) { SetCompared(maxTextLength_, Value); }
  TAlignment ColumnHAlignment() const { return columnHAlignment_; }
  void SetColumnHAlignment(TAlignment Value) { SetCompared(columnHAlignment_, Value); }
  TcgVAlignment ColumnVAlignment() const { return columnVAlignment_; }
  void SetColumnVAlignment(TcgVAlignment Value) { SetCompared(columnVAlignment_, Value); }
  TColor ColumnColor() const { return columnColor_; }
  void SetColumnColor(TColor Value) { SetCompared(columnColor_, Value); }
  const TFont& ColumnFont() const { return columnFont_; }
  TFont& ColumnFont() { return columnFont_; }
  void SetColumnFont(const TFont& Value);
  bool ColumnParentFont() const { return columnParentFont_; }
  void SetColumnParentFont(bool Value) { SetCompared(columnParentFont_, Value); }
  TcgClipStyle ColumnClipStyle() const { return columnClipStyle_; }
  void SetColumnClipStyle(TcgClipStyle Value) { SetCompared(columnClipStyle_, Value); }
  TPanelBevel ColumnInnerBevel() const { return columnInnerBevel_; }
  void SetColumnInnerBevel(TPanelBevel Value) { SetCompared(columnInnerBevel_, Value); }
  TPanelBevel ColumnOuterBevel() const { return columnOuterBevel_; }
  void SetColumnOuterBevel(TPanelBevel Value) { SetCompared(columnOuterBevel_, Value); }
  const TStringList& Items() const { return items_; }
  TStringList& Items() { return items_; }
  void SetItems(const TStringList& Value) { items_.Assign(Value); }
  bool AutoSuggest() const { return autoSuggest_; }
  void SetAutoSuggest(bool Value) { autoSuggest_ = Value; }
  bool ComboMaxWidth() const { return comboMaxWidth_; }
  void SetComboMaxWidth(bool Value) { SetCompared(comboMaxWidth_, Value); }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int Value) { SetCompared(dropDownCount_, Value); }
  TcgButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TcgButtonStyle Value) { SetCompared(buttonStyle_, Value); }
  const TPicture& ButtonPicture() const { return buttonPicture_; }
  TPicture& ButtonPicture() { return buttonPicture_; }
  void SetButtonPicture(const TPicture& Value) { SetOwned(buttonPicture_, Value); }
  bool DrawButtonface() const { return drawButtonface_; }
  void SetDrawButtonface(bool Value) { SetCompared(drawButtonface_, Value); }
  TcgVAlignment ButtonVAlignment() const { return buttonVAlignment_; }
  void SetButtonVAlignment(TcgVAlignment Value) { SetCompared(buttonVAlignment_, Value); }
  int HeadingIndex() const { return headingIndex_; }
  void SetHeadingIndex(int Value) { SetCompared(headingIndex_, Value); }
  TcgFormatType FormatType() const { return formatType_; }
  void SetFormatType(TcgFormatType Value) { SetCompared(formatType_, Value); }
  int Decimals() const { return decimals_; }
  void SetDecimals(int Value) { SetCompared(decimals_, Value); }
  QString Prefix() const { return prefix_; }
  void SetPrefix(const QString& Value) { SetCompared(prefix_, Value); }
  bool ThousandsSeparator() const { return thousandsSeparator_; }
  void SetThousandsSeparator(bool Value) { SetCompared(thousandsSeparator_, Value); }
  bool NegativeParenthesis() const { return negativeParenthesis_; }
  void SetNegativeParenthesis(bool Value) { SetCompared(negativeParenthesis_, Value); }
  int DateFormat() const { return dateFormat_; }
  void SetDateFormat(int Value) { SetCompared(dateFormat_, Value); }
  int TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(int Value) { SetCompared(timeFormat_, Value); }

  // Kept by the grid while the column is hidden: its width and its cell
  // texts, one per row from row 0.
  int HiddenWidth() const { return hiddenWidth_; }
  void SetHiddenWidth(int Value) { hiddenWidth_ = Value; }
  const TStringList& HiddenCells() const { return hiddenCells_; }
  TStringList& HiddenCells() { return hiddenCells_; }

  // From a TcgColumn: heading part, then the column part. From any other
  // TcgHeading: the heading part only. Anything else fails.
  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TcgColumn"); }

 protected:
  void FontChanged(TFont* Sender) override;

 private:
  int hiddenWidth_ = 64;
  bool visible_ = true;
  TStringList hiddenCells_;
  bool readOnly_ = false;
  int maxTextLength_ = 0;
  TcgVAlignment columnVAlignment_ = TcgVAlignment::cgvaTop;
  TAlignment columnHAlignment_ = TAlignment::taLeftJustify;
  TColor columnColor_ = clWindow;
  TFont columnFont_;
  bool columnParentFont_ = true;
  TcgClipStyle columnClipStyle_ = TcgClipStyle::cgclpEllipsis;
  TPanelBevel columnInnerBevel_ = TPanelBevel::bvNone;
  TPanelBevel columnOuterBevel_ = TPanelBevel::bvNone;
  TcgControlTypes controlType_;
  TStringList items_;
  bool autoSuggest_ = true;
  bool comboMaxWidth_ = false;
  int dropDownCount_ = 8;
  TcgButtonStyle buttonStyle_ = TcgButtonStyle::cgbstEllipsis;
  TPicture buttonPicture_;
  bool drawButtonface_ = true;
  TcgVAlignment buttonVAlignment_ = TcgVAlignment::cgvaCenter;
  int headingIndex_ = -1;
  TcgFormatType formatType_ = TcgFormatType::cgfmtNone;
  int decimals_ = 2;
  QString prefix_;
  bool thousandsSeparator_ = true;
  bool negativeParenthesis_ = false;
  int dateFormat_ = 2;
  int timeFormat_ = -1;
};

using TcgItemChangeEvent = std::function<void(TcgHeading* Item, bool RepaintOnly)>;
using TcgHeadingsChangeEvent = std::function<void(TcgHeadings* Sender)>;

// The grid's Headings (items TcgHeading) and, as TcgColumns, its Columns.
class TcgHeadings : public TCollection {
 public:
  explicit TcgHeadings(TCollectionItemClass ItemClass = &NewCollectionItem<TcgHeading>) : TCollection(ItemClass) {}

  // A new item at the end, named by UniqueName.
  TcgHeading* Add();
  // EListError "List index out of bounds (n)" outside 0 .. Count() - 1.
  TcgHeading* Items(int Index) const { return static_cast<TcgHeading*>(TCollection::Items(Index)); }
  // Gives the item at CurIndex the index NewIndex; no OnItemChange.
  void Move(int CurIndex, int NewIndex) { Items(CurIndex)->SetIndex(NewIndex); }
  // Some item's Name equals Name exactly (letter case counts).
  bool NameExists(const QString& Name) const;
  // "Column N" for the smallest N >= 1 no item is named.
  QString UniqueName() const;

  // The collection copy (items of this collection's class, names from the
  // source items), then OnChange.
  void Assign(const TPersistent& Source) override;
  QString ClassName() const override { return QStringLiteral("TcgHeadings"); }

  TcgHeadingsChangeEvent OnChange;
  TcgItemChangeEvent OnItemChange;
};

class TcgColumns : public TcgHeadings {
 public:
  TcgColumns() : TcgHeadings(&NewCollectionItem<TcgColumn>) {}

  TcgColumn* Add() { return static_cast<TcgColumn*>(TcgHeadings::Add()); }
  TcgColumn* Items(int Index) const { return static_cast<TcgColumn*>(TcgHeadings::Items(Index)); }

  QString ClassName() const override { return QStringLiteral("TcgColumns"); }
};
