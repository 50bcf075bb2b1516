#pragma once

// TCollection: an ordered list that owns items of one item class. It makes
// new items of that class at its end (Add), lets an item change its index
// (the items between shift by one place), frees items on Delete/Clear and on
// its own destruction, and copies another collection item by item (Assign).
// TCollectionItem: an object that belongs to at most one collection, knows it
// and has an index in it. Items never notify their collection by themselves;
// descendants add what they need.
//
// Indexes outside 0 .. Count() - 1 raise EListError "List index out of bounds (n)".

#include "toolkit/core/persistent.h"

#include <memory>
#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  TCollectionItem() = default;
  ~TCollectionItem() override = default;

  // The owning collection, nullptr for an item that belongs to none.
  TCollection* Collection() const { return collection_; }
  // Position in the collection, -1 outside one.
  int Index() const;
  // Moves the item to Value; EListError when Value is out of range.
  void SetIndex(int Value);

  QString ClassName() const override { return QStringLiteral("TCollectionItem"); }

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

// The class of a collection's items: a function that makes a new, free item.
using TCollectionItemClass = std::unique_ptr<TCollectionItem> (*)();

template <class T>
std::unique_ptr<TCollectionItem> NewCollectionItem() {
  return std::make_unique<T>();
}

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;

  TCollectionItemClass ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int Index) const;

  // A new item of the item class, appended.
  TCollectionItem* Add();
  // Frees the item at Index.
  void Delete(int Index);
  void Clear();

  // From another collection: the items are replaced by new items of this
  // collection's class, each assigned from the source item in order. If one
  // of those assignments fails, the collection keeps its old items.
  // Assigning a collection to itself changes nothing.
  void Assign(const TPersistent& Source) override;

  QString ClassName() const override { return QStringLiteral("TCollection"); }

 private:
  friend class TCollectionItem;
  void MoveItem(int CurIndex, int NewIndex);

  TCollectionItemClass itemClass_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
};
