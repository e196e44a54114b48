#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/lists.h"

namespace {

void* P(std::intptr_t v) { return reinterpret_cast<void*>(v); }
std::intptr_t V(void* p) { return reinterpret_cast<std::intptr_t>(p); }

std::vector<std::intptr_t> Values(const TList& list) {
  std::vector<std::intptr_t> out;
  for (Integer i = 0; i < list.Count(); ++i) out.push_back(V(list.Items(i)));
  return out;
}

std::string ListErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const EListError& e) {
    return e.Message();
  }
  return "no EListError";
}

// Records every notification as "<value><a|x|d>".
class TRecordingList : public TList {
 public:
  ~TRecordingList() override { Clear(); }
  std::vector<std::string> log;

 protected:
  void Notify(void* ptr, TListNotification action) override {
    const char* code = action == lnAdded ? "a" : action == lnExtracted ? "x" : "d";
    log.push_back(std::to_string(V(ptr)) + code);
  }
};

class TCounted : public TObject {
 public:
  explicit TCounted(int& alive) : alive_(alive) { ++alive_; }
  ~TCounted() override { --alive_; }

 private:
  int& alive_;
};

}  // namespace

TEST(TList, EditingOperationsKeepOrder) {
  TList list;
  for (int v : {10, 20, 30}) list.Add(P(v));
  list.Insert(0, P(5));
  list.Insert(4, P(40));  // at Count: appends
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{5, 10, 20, 30, 40}));

  list.Delete(1);
  EXPECT_EQ(list.Remove(P(30)), 2);
  EXPECT_EQ(list.Remove(P(99)), -1);
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{5, 20, 40}));

  list.Exchange(0, 2);
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{40, 20, 5}));
  list.Move(0, 2);
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{20, 5, 40}));
  list.Move(2, 0);
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{40, 20, 5}));
  EXPECT_EQ(V(list.First()), 40);
  EXPECT_EQ(V(list.Last()), 5);
  EXPECT_EQ(list.IndexOf(P(5)), 2);

  EXPECT_EQ(V(list.Extract(P(20))), 20);
  EXPECT_EQ(list.Extract(P(20)), nullptr);
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{40, 5}));

  list.SetItems(1, P(7));
  EXPECT_EQ(V(list.Items(1)), 7);

  TList copy;
  copy.Add(P(1));
  copy.Assign(list);
  EXPECT_EQ(Values(copy), Values(list));
  copy.Assign(copy);
  EXPECT_EQ(Values(copy), Values(list));
}

TEST(TList, CountAndCapacityRules) {
  TList list;
  list.SetCount(3);  // grows with nil entries
  EXPECT_EQ(list.Count(), 3);
  EXPECT_GE(list.Capacity(), 3);
  EXPECT_EQ(list.Items(2), nullptr);
  list.SetItems(1, P(8));
  list.Pack();
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{8}));

  list.Add(P(9));
  EXPECT_EQ(ListErrorText([&] { list.SetCapacity(1); }), "List capacity out of bounds (1)");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(ListErrorText([&] { list.SetCount(-1); }), "List count out of bounds (-1)");

  // Expand grows only a full list.
  list.SetCapacity(2);
  list.Expand();
  EXPECT_GT(list.Capacity(), 2);
  Integer cap = list.Capacity();
  list.Expand();
  EXPECT_EQ(list.Capacity(), cap);

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(TList, IndexErrorsNameTheIndexAndChangeNothing) {
  TList list;
  list.Add(P(1));
  list.Add(P(2));
  EXPECT_EQ(ListErrorText([&] { list.Items(5); }), "List index out of bounds (5)");
  EXPECT_EQ(ListErrorText([&] { list.Items(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ListErrorText([&] { list.Delete(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorText([&] { list.Insert(3, P(3)); }), "List index out of bounds (3)");
  EXPECT_EQ(ListErrorText([&] { list.Exchange(0, 7); }), "List index out of bounds (7)");
  EXPECT_EQ(ListErrorText([&] { list.Move(0, 2); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorText([&] { list.Move(4, 0); }), "List index out of bounds (4)");
  EXPECT_EQ(ListErrorText([&] { list.SetItems(2, nullptr); }), "List index out of bounds (2)");
  EXPECT_EQ(Values(list), (std::vector<std::intptr_t>{1, 2}));

  TList empty;
  EXPECT_EQ(ListErrorText([&] { empty.First(); }), "List index out of bounds (0)");
  EXPECT_EQ(ListErrorText([&] { empty.Last(); }), "List index out of bounds (-1)");
}

TEST(TList, NotifiesEveryPointerThatJoinsOrLeaves) {
  TRecordingList list;
  list.Add(P(1));
  list.Add(nullptr);  // nil entries are not reported
  list.Insert(0, P(2));
  list.Add(P(3));
  list.Delete(0);
  list.Extract(P(3));
  list.SetItems(0, P(4));  // replaces 1
  list.SetItems(0, P(4));  // the same pointer: nothing
  list.Add(P(5));
  list.Add(P(6));
  list.SetCount(2);  // deletes from the end
  list.Add(P(7));
  list.Clear();  // last first
  EXPECT_EQ(list.log, (std::vector<std::string>{"1a", "2a", "3a", "2d", "3x", "1d", "4a", "5a", "6a", "6d", "5d",
                                                "7a", "7d", "4d"}));
}

TEST(TList, SortOrdersByCompare) {
  TList list;
  std::vector<std::intptr_t> values;
  std::uint32_t seed = 7;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 134775813u + 1u;
    values.push_back(static_cast<std::intptr_t>(seed >> 24));  // many duplicates
    list.Add(P(values.back()));
  }
  list.Sort([](void* a, void* b) -> Integer {
    return V(a) < V(b) ? -1 : V(a) > V(b) ? 1 : 0;
  });
  std::sort(values.begin(), values.end());
  EXPECT_EQ(Values(list), values);

  TList one;
  one.Add(P(1));
  one.Sort([](void*, void*) -> Integer { return 0; });
  EXPECT_EQ(V(one.First()), 1);
}

TEST(TObjectList, FreesWhatItOwnsAndNothingElse) {
  int alive = 0;
  {
    TObjectList list;
    auto* a = new TCounted(alive);
    auto* b = new TCounted(alive);
    auto* c = new TCounted(alive);
    auto* d = new TCounted(alive);
    list.Add(a);
    list.Add(b);
    list.Add(c);
    list.Add(d);
    EXPECT_EQ(alive, 4);
    list.Remove(a);  // freed
    EXPECT_EQ(alive, 3);
    TObject* kept = list.Extract(b);  // handed back, not freed
    EXPECT_EQ(kept, b);
    EXPECT_EQ(alive, 3);
    delete kept;
    EXPECT_EQ(alive, 2);
    list.SetItems(0, new TCounted(alive));  // replaces c, which is freed
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(alive, 0);  // the destructor frees the rest

  {
    TObjectList borrowing(false);
    TCounted x(alive);
    borrowing.Add(&x);
    borrowing.Delete(0);
    borrowing.Add(&x);
  }
  EXPECT_EQ(alive, 0);
}
