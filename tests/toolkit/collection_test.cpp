#include "tests/common/message_of.h"
#include "toolkit/core/collection.h"
#include "toolkit/core/convert_error.h"
#include "toolkit/core/list_error.h"
#include "toolkit/core/string_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct TNamedItem : TCollectionItem {
  QString name;
  void Assign(const TPersistent& Source) override {
    if (const auto* s = dynamic_cast<const TNamedItem*>(&Source)) {
      if (s->name == "poison") throw std::runtime_error("cannot copy");
      name = s->name;
      return;
    }
    TCollectionItem::Assign(Source);
  }
  QString ClassName() const override { return "TNamedItem"; }
};

struct TNamedItems : TCollection {
  TNamedItems() : TCollection(&NewCollectionItem<TNamedItem>) {}
  TNamedItem* Item(int i) const { return static_cast<TNamedItem*>(Items(i)); }
  TNamedItem* AddNamed(const QString& n) {
    auto* item = static_cast<TNamedItem*>(Add());
    item->name = n;
    return item;
  }
  QStringList Names() const {
    QStringList out;
    for (int i = 0; i < Count(); ++i) out << Item(i)->name;
    return out;
  }
};

}  // namespace

TEST(Collection, AddAppendsItemsThatKnowTheirPlaceIndexesOutOfRangeRaiseSetIndexMovesDeleteAndClearFree) {
  TNamedItems items;
  TNamedItem* a = items.AddNamed("a");
  TNamedItem* b = items.AddNamed("b");
  EXPECT_EQ(std::tuple(items.Count(), a->Collection()), std::tuple(2, &items));
  EXPECT_EQ(std::tuple(a->Index(), b->Index(), TNamedItem().Index()), std::tuple(0, 1, -1));

  EXPECT_EQ((std::vector{MessageOf([&] { items.Items(2); }), MessageOf([&] { items.Items(-1); }),
                         MessageOf([&] { items.Item(0)->SetIndex(5); }), MessageOf([&] { items.Delete(7); })}),
            (std::vector<std::string>{"List index out of bounds (2)", "List index out of bounds (-1)",
                                      "List index out of bounds (5)", "List index out of bounds (7)"}));
  EXPECT_THROW(items.Items(2), EListError);
  EXPECT_EQ(items.Names(), QStringList({"a", "b"}));

  // SetIndex moves the item and shifts those between; Delete and Clear free items.
  for (const char* n : {"c", "d"}) items.AddNamed(n);
  items.Item(0)->SetIndex(2);
  EXPECT_EQ(items.Names(), QStringList({"b", "c", "a", "d"}));
  items.Item(3)->SetIndex(0);
  EXPECT_EQ(items.Names(), QStringList({"d", "b", "c", "a"}));
  items.Item(1)->SetIndex(1);
  EXPECT_EQ(items.Names(), QStringList({"d", "b", "c", "a"}));
  items.Delete(1);
  EXPECT_EQ(std::tuple(items.Names(), items.Item(1)->Index()), std::tuple(QStringList({"d", "c", "a"}), 1));
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
}


TEST(Collection, AssignReplacesTheItemsByCopiesInOrderOrFailingChangesNothingAnUnknownClassFailsWithBothNames) {
  TNamedItems from, to;
  for (const char* n : {"x", "y"}) from.AddNamed(n);
  to.AddNamed("old");
  to.Assign(from);
  EXPECT_EQ(to.Names(), QStringList({"x", "y"}));
  EXPECT_NE(to.Item(0), from.Item(0));
  EXPECT_EQ(std::tuple(to.Item(0)->Collection(), to.Item(1)->Index()), std::tuple(&to, 1));
  to.Assign(to);  // copying onto itself loses nothing
  EXPECT_EQ(to.Names(), QStringList({"x", "y"}));
  from.AddNamed("poison");
  EXPECT_THROW(to.Assign(from), std::runtime_error);
  EXPECT_EQ(to.Names(), QStringList({"x", "y"}));
  TNamedItems items;
  TStringList list;
  list.Add("keep");
  EXPECT_EQ(MessageOf([&] { items.Assign(list); }), "Cannot assign a TStringList to a TCollection");
  EXPECT_EQ(MessageOf([&] { list.Assign(items); }), "Cannot assign a TCollection to a TStringList");
  EXPECT_THROW(list.Assign(items), EConvertError);
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringList, IndexedAccessAddInsertDeleteAssignAndTextSplitsAtEveryKindOfLineBreak) {
  TStringList l;
  EXPECT_EQ(l.Add("b"), 0);
  l.Insert(0, "a");
  l.Insert(2, "c");  // at the end
  EXPECT_EQ(l.List(), QStringList({"a", "b", "c"}));
  l.SetStrings(1, "B");
  l.Delete(0);
  EXPECT_EQ(std::tuple(l.Strings(0), l.IndexOf("c")), std::tuple("B", 1));
  EXPECT_EQ(MessageOf([&] { l.Strings(2); }), "List index out of bounds (2)");
  EXPECT_EQ(MessageOf([&] { l.Insert(3, "x"); }), "List index out of bounds (3)");
  TStringList copy;
  copy.Assign(l);
  EXPECT_TRUE(copy == l);
  l.SetText("one\r\ntwo\rthree\nfour\n");
  EXPECT_EQ(l.List(), QStringList({"one", "two", "three", "four"}));
  EXPECT_EQ(l.Text(), "one\ntwo\nthree\nfour");
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  l.SetText("\n");
  EXPECT_EQ(l.List(), QStringList({""}));
}
