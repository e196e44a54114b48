// The helpers every editor form shares: freeing list items and string objects, the update
// counter's floor, and finding a form's parts.
#include <gtest/gtest.h>

#include "editor/editor_helpers.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/strings.h"

namespace {

// Counts its own destruction.
class TCounted : public TObject {
 public:
  explicit TCounted(int& freed) : freed_(freed) {}
  ~TCounted() override { ++freed_; }

 private:
  int& freed_;
};

}  // namespace

TEST(EditorHelpers, FreeingListItemsAndStringObjectsFreesEachOnceAndEmpties) {
  int freed = 0;
  TList list;
  for (int i = 0; i < 3; ++i) list.Add(new TCounted(freed));
  list.Add(nullptr);
  FreeListItems(list);
  EXPECT_EQ(freed, 3);
  EXPECT_EQ(list.Count(), 0);

  freed = 0;
  TStringList strings;
  strings.AddObject("a", new TCounted(freed));
  strings.Add("no object");
  strings.AddObject("b", new TCounted(freed));
  FreeStringsObjects(strings);
  EXPECT_EQ(freed, 2);
  EXPECT_EQ(strings.Count(), 0);
}

TEST(EditorHelpers, TheUpdateCounterNeverGoesBelowZero) {
  Integer counter = 0;
  EndUpdateCount(counter);
  EXPECT_FALSE(IsUpdating(counter));
  BeginUpdateCount(counter);
  BeginUpdateCount(counter);
  EndUpdateCount(counter);
  EXPECT_TRUE(IsUpdating(counter)) << "nested: still updating after one end";
  EndUpdateCount(counter);
  EndUpdateCount(counter);
  BeginUpdateCount(counter);
  EXPECT_TRUE(IsUpdating(counter)) << "an extra end must not leave a debt";
}

TEST(EditorHelpers, AMissingFormPartRaisesNamingIt) {
  TComponent form(nullptr);
  auto* part = new TComponent(&form);
  part->SetName("Part");
  EXPECT_EQ(FindFormPart<TComponent>(&form, "Part"), part);
  try {
    FindFormPart<TComponent>(&form, "Gone");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_NE(std::string(e.Message()).find("Gone"), std::string::npos);
  }
  EXPECT_THROW(FindFormPart<TList>(&form, "Part"), EComponentError) << "a part of another class";
}
