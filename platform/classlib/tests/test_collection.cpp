// Collections: adding, inserting, deleting, moving, IDs, change reports under
// BeginUpdate, notifications, moving items between collections, Assign, name paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/collection.h"
#include "platform/classlib/component.h"
#include "platform/classlib/properties.h"

namespace {

using Log = std::vector<std::string>;

class TTestItem : public TCollectionItem {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TTestItem>("TTestItem", TCollectionItem::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TTestItem(TCollection* collection)
      : TCollectionItem(collection), collectionSeenInConstructor(collection), value(100 + Index()) {}

  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TTestItem*>(source)) {
      value = other->value;
      return;
    }
    TCollectionItem::Assign(source);
  }
  std::string DisplayName() const override { return "Item" + std::to_string(value); }
  void Touch() { Changed(false); }

  TCollection* collectionSeenInConstructor;
  int value;
};

class TOtherItem : public TCollectionItem {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TOtherItem>("TOtherItem", TCollectionItem::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  using TCollectionItem::TCollectionItem;
};

// Records Update and Notify calls; Notify reads the item's own field when the item is
// whole (an item being deleted directly is down to its base part when it leaves).
class TLoggedCollection : public TCollection {
 public:
  explicit TLoggedCollection(Log* log) : TCollection(TTestItem::StaticClass()), log_(log) {}
  ~TLoggedCollection() override { log_ = nullptr; }

  TTestItem* Item(int i) const { return static_cast<TTestItem*>(Items(i)); }

 protected:
  void Update(TCollectionItem* item) override {
    if (log_) log_->push_back(item ? "update " + std::to_string(item->ID()) : "update all");
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    auto* whole = dynamic_cast<TTestItem*>(item);
    if (log_)
      log_->push_back(std::string(names[action]) + " " + std::to_string(item->ID()) + " value " +
                      (whole ? std::to_string(whole->value) : std::string("?")));
  }

 private:
  Log* log_;
};

std::vector<int> IDs(const TCollection& c) {
  std::vector<int> ids;
  for (int i = 0; i < c.Count(); ++i) ids.push_back(c.Items(i)->ID());
  return ids;
}

TEST(Collection, AddInsertDeleteReportInOrder) {
  Log log;
  TLoggedCollection c(&log);
  TCollectionItem* first = c.Add();
  EXPECT_EQ(&first->ClassType(), &TTestItem::StaticClass());
  EXPECT_EQ(static_cast<TTestItem*>(first)->collectionSeenInConstructor, &c);
  EXPECT_EQ(log, (Log{"added 0 value 100", "update all"}));

  c.Add();
  log.clear();
  TCollectionItem* inserted = c.Insert(0);
  EXPECT_EQ(inserted->Index(), 0);
  EXPECT_EQ(IDs(c), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(log, (Log{"added 2 value 102", "update all", "update all"}));

  log.clear();
  c.Delete(1);
  EXPECT_EQ(IDs(c), (std::vector<int>{2, 1}));
  EXPECT_EQ(log, (Log{"deleting 0 value 100", "extracting 0 value 100", "update all"}));

  // Freeing an item takes it out as well.
  log.clear();
  delete c.Items(0);
  EXPECT_EQ(IDs(c), (std::vector<int>{1}));
  EXPECT_EQ(log, (Log{"extracting 2 value ?", "update all"}));
}

TEST(Collection, IdsIncreaseAndAreNeverReused) {
  Log log;
  TLoggedCollection c(&log);
  for (int i = 0; i < 3; ++i) c.Add();
  c.Delete(2);
  c.Delete(0);
  EXPECT_EQ(c.Add()->ID(), 3);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Add()->ID(), 4);
  EXPECT_EQ(c.FindItemID(4), c.Items(0));
  EXPECT_EQ(c.FindItemID(1), nullptr);
}

TEST(Collection, IndexMovesItemsAndBadIndexesRaise) {
  Log log;
  TLoggedCollection c(&log);
  for (int i = 0; i < 4; ++i) c.Add();
  log.clear();
  c.Items(0)->SetIndex(3);
  EXPECT_EQ(IDs(c), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(log, (Log{"update all"}));
  c.Items(3)->SetIndex(1);
  EXPECT_EQ(IDs(c), (std::vector<int>{1, 0, 2, 3}));
  log.clear();
  c.Items(2)->SetIndex(2);  // no move, no report
  EXPECT_TRUE(log.empty());

  try {
    c.Items(0)->SetIndex(4);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (4)");
  }
  try {
    c.Items(7);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (7)");
  }
  EXPECT_THROW(c.Delete(-1), EListError);
  // A bad insert position adds nothing.
  EXPECT_THROW(c.Insert(5), EListError);
  EXPECT_EQ(c.Count(), 4);
  c.Insert(4);  // at the end is allowed
  EXPECT_EQ(c.Count(), 5);
  EXPECT_EQ(IDs(c), (std::vector<int>{1, 0, 2, 3, 4}));
}

TEST(Collection, UpdatesUnderBeginUpdateAreReportedOnceAtTheOuterEnd) {
  Log log;
  TLoggedCollection c(&log);
  c.Add();
  log.clear();
  c.BeginUpdate();
  c.BeginUpdate();
  c.Add();
  c.Item(0)->Touch();
  c.Delete(0);
  c.EndUpdate();
  EXPECT_EQ(log, (Log{"added 1 value 101", "deleting 0 value 100", "extracting 0 value 100"}));
  c.EndUpdate();
  EXPECT_EQ(log.back(), "update all");
  EXPECT_EQ(log.size(), 4u);

  // Outside an update a single item's change names the item.
  log.clear();
  c.Item(0)->Touch();
  c.Item(0)->SetDisplayName("x");
  EXPECT_EQ(log, (Log{"update 1", "update 1"}));

  // An unmatched EndUpdate does not wrap the counter.
  c.EndUpdate();
  EXPECT_EQ(c.UpdateCount(), 0);
}

TEST(Collection, ClearReportsOnce) {
  Log log;
  TLoggedCollection c(&log);
  c.Add();
  c.Add();
  log.clear();
  c.Clear();
  EXPECT_EQ(log, (Log{"extracting 1 value 101", "extracting 0 value 100", "update all"}));
}

TEST(Collection, SettingCollectionMovesTheItem) {
  Log logA, logB;
  TLoggedCollection a(&logA);
  TLoggedCollection b(&logB);
  a.Add();
  TCollectionItem* moving = a.Add();
  b.Add();
  logA.clear();
  logB.clear();
  moving->SetCollection(&b);
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(b.Count(), 2);
  EXPECT_EQ(moving->Collection(), &b);
  EXPECT_EQ(moving->ID(), 1);  // b's next ID
  EXPECT_EQ(logA, (Log{"extracting 1 value 101", "update all"}));
  EXPECT_EQ(logB, (Log{"added 1 value 101", "update all"}));

  moving->SetCollection(nullptr);
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(moving->Index(), -1);
  EXPECT_EQ(moving->GetNamePath(), "TTestItem");
  delete moving;

  // An item of another class cannot join.
  TOtherItem stranger(nullptr);
  EXPECT_THROW(stranger.SetCollection(&a), EListError);
  EXPECT_EQ(a.Count(), 1);
  EXPECT_THROW({ TCollection bad(TComponent::StaticClass()); }, EInvalidOperation);
}

TEST(Collection, AssignCopiesItemsByAssign) {
  Log log;
  TLoggedCollection src(&log);
  for (int i = 0; i < 3; ++i) src.Add();
  src.Item(1)->value = 77;
  Log dlog;
  TLoggedCollection dst(&dlog);
  dst.Add();
  dlog.clear();
  dst.Assign(&src);
  ASSERT_EQ(dst.Count(), 3);
  EXPECT_EQ(dst.Item(0)->value, 100);
  EXPECT_EQ(dst.Item(1)->value, 77);
  EXPECT_EQ(dst.Item(2)->value, 102);
  EXPECT_EQ(IDs(dst), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(dlog.back(), "update all");
  EXPECT_EQ(std::count(dlog.begin(), dlog.end(), "update all"), 1);

  TComponent notACollection(nullptr);
  EXPECT_THROW(dst.Assign(&notACollection), EConvertError);
  EXPECT_EQ(dst.Count(), 3);
}

// A component publishing an owned collection, for name paths.
class TPanelWithItems : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls =
        TClass::Of<TPanelWithItems>("TPanelWithItems", TComponent::StaticClass(), &TPanelWithItems::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    published.For<TPanelWithItems>().Collection("Panels", &TPanelWithItems::Panels);
  }
  explicit TPanelWithItems(TComponent* owner) : TComponent(owner), panels_(this, TTestItem::StaticClass()) {}
  TOwnedCollection* Panels() { return &panels_; }

 private:
  TOwnedCollection panels_;
};

TEST(Collection, NamePathsUseTheOwnersPublishedProperty) {
  TPanelWithItems bar(nullptr);
  bar.SetName("StatusBar1");
  bar.Panels()->Add();
  TCollectionItem* second = bar.Panels()->Add();
  EXPECT_EQ(bar.Panels()->GetOwner(), &bar);
  EXPECT_EQ(bar.Panels()->GetNamePath(), "StatusBar1.Panels");
  EXPECT_EQ(second->GetNamePath(), "StatusBar1.Panels[1]");
  EXPECT_EQ(second->GetOwner(), bar.Panels());
  EXPECT_EQ(GetObjectProp(&bar, "Panels"), bar.Panels());
  EXPECT_EQ(FindPropInfo(&bar, "Panels").Kind, pkCollection);

  TCollection loose(TTestItem::StaticClass());
  EXPECT_EQ(loose.GetNamePath(), "TCollection");
}

}  // namespace
