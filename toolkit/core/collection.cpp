#include "toolkit/core/collection.h"

#include "toolkit/core/list_error.h"

#include <algorithm>

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  const auto it = std::find_if(items.begin(), items.end(), [this](const auto& p) { return p.get() == this; });
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  const int current = Index();
  if (current >= 0 && current != Value) collection_->MoveItem(current, Value);
}

TCollection::TCollection(TCollectionItemClass ItemClass) : itemClass_(ItemClass) {}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError::IndexOutOfBounds(Index);
  return items_[static_cast<size_t>(Index)].get();
}

TCollectionItem* TCollection::Add() {
  std::unique_ptr<TCollectionItem> item = itemClass_();
  item->collection_ = this;
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TCollection::Delete(int Index) {
  Items(Index);  // range check
  items_.erase(items_.begin() + Index);
}

void TCollection::Clear() {
  // Items go last to first, and each is out of the list before it is freed.
  while (!items_.empty()) {
    std::unique_ptr<TCollectionItem> last = std::move(items_.back());
    items_.pop_back();
  }
}

void TCollection::MoveItem(int CurIndex, int NewIndex) {
  if (NewIndex < 0 || NewIndex >= Count()) throw EListError::IndexOutOfBounds(NewIndex);
  const auto first = items_.begin();
  if (CurIndex < NewIndex)
    std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
  else
    std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void TCollection::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TCollection*>(&Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  std::vector<std::unique_ptr<TCollectionItem>> copies;
  copies.reserve(source->items_.size());
  for (const auto& from : source->items_) {
    std::unique_ptr<TCollectionItem> item = itemClass_();
    item->collection_ = this;
    item->Assign(*from);
    copies.push_back(std::move(item));
  }
  Clear();
  items_ = std::move(copies);
}
