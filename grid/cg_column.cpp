#include "grid/cg_column.h"

// --- TcgHeading -------------------------------------------------------------

TcgHeading::TcgHeading() { FollowFont(titleFont_); }

void TcgHeading::FollowFont(TFont& Font) {
  Font.OnChange = [this](TFont* sender) { FontChanged(sender); };
}

TcgHeadings* TcgHeading::Headings() const { return dynamic_cast<TcgHeadings*>(Collection()); }

void TcgHeading::Changed() {
  TcgHeadings* headings = Headings();
  if (headings && headings->OnItemChange) headings->OnItemChange(this, true);
}

void TcgHeading::FontChanged(TFont* Sender) {
  if (Sender == &titleFont_) titleParentFont_ = false;
}

void TcgHeading::SetTitleFont(const TFont& Value) {
  titleFont_.Assign(Value);
  Changed();
}

void TcgHeading::AssignHeading(const TcgHeading& Source) {
  caption_ = Source.caption_;
  name_ = Source.name_;
  titleHAlignment_ = Source.titleHAlignment_;
  titleVAlignment_ = Source.titleVAlignment_;
  titleColor_ = Source.titleColor_;
  titleFont_.Assign(Source.titleFont_);
  titleClipStyle_ = Source.titleClipStyle_;
  titleInnerBevel_ = Source.titleInnerBevel_;
  titleOuterBevel_ = Source.titleOuterBevel_;
  topBorder_.Assign(Source.topBorder_);
  bottomBorder_.Assign(Source.bottomBorder_);
  leftBorder_.Assign(Source.leftBorder_);
  rightBorder_.Assign(Source.rightBorder_);
}

void TcgHeading::Assign(const TPersistent& Source) {
  if (const auto* source = dynamic_cast<const TcgHeading*>(&Source)) {
    AssignHeading(*source);
    return;
  }
  TCollectionItem::Assign(Source);
}

// --- TcgColumn --------------------------------------------------------------

TcgColumn::TcgColumn() { FollowFont(columnFont_); }

void TcgColumn::FontChanged(TFont* Sender) {
  TcgHeading::FontChanged(Sender);
  if (Sender == &columnFont_) columnParentFont_ = false;
}

void TcgColumn::SetColumnFont(const TFont& Value) {
  columnFont_.Assign(Value);
  Changed();
}

void TcgColumn::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  TcgHeadings* headings = Headings();
  if (headings && headings->OnItemChange) headings->OnItemChange(this, false);
}

void TcgColumn::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TcgColumn*>(&Source);
  if (!source) {
    TcgHeading::Assign(Source);
    return;
  }
  AssignHeading(*source);
  hiddenWidth_ = source->hiddenWidth_;
  columnHAlignment_ = source->columnHAlignment_;
  columnVAlignment_ = source->columnVAlignment_;
  columnColor_ = source->columnColor_;
  columnFont_.Assign(source->columnFont_);
  columnClipStyle_ = source->columnClipStyle_;
  columnInnerBevel_ = source->columnInnerBevel_;
  columnOuterBevel_ = source->columnOuterBevel_;
  controlType_ = source->controlType_;
  items_.Assign(source->items_);
  visible_ = source->visible_;
  hiddenCells_.Assign(source->hiddenCells_);
  readOnly_ = source->readOnly_;
  maxTextLength_ = source->maxTextLength_;
  autoSuggest_ = source->autoSuggest_;
  comboMaxWidth_ = source->comboMaxWidth_;
  dropDownCount_ = source->dropDownCount_;
  headingIndex_ = source->headingIndex_;
  buttonStyle_ = source->buttonStyle_;
  buttonPicture_.Assign(source->buttonPicture_);
  drawButtonface_ = source->drawButtonface_;
  buttonVAlignment_ = source->buttonVAlignment_;
  formatType_ = source->formatType_;
  decimals_ = source->decimals_;
  prefix_ = source->prefix_;
  thousandsSeparator_ = source->thousandsSeparator_;
  negativeParenthesis_ = source->negativeParenthesis_;
  dateFormat_ = source->dateFormat_;
  timeFormat_ = source->timeFormat_;
}

// --- TcgHeadings ------------------------------------------------------------

TcgHeading* TcgHeadings::Add() {
  auto* item = static_cast<TcgHeading*>(TCollection::Add());
  item->SetName(UniqueName());
  return item;
}

bool TcgHeadings::NameExists(const QString& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Name() == Name) return true;
  return false;
}

QString TcgHeadings::UniqueName() const {
  for (int n = 1;; ++n) {
    const QString name = QStringLiteral("Column %1").arg(n);
    if (!NameExists(name)) return name;
  }
}

void TcgHeadings::Assign(const TPersistent& Source) {
  TCollection::Assign(Source);
  if (OnChange) OnChange(this);
}
