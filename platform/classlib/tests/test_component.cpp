// Ownership, notification order, free notifications, names and component states.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"

namespace {

using Log = std::vector<std::string>;

// Records every Notification it receives and its own destruction.
class TRec : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TRec>("TRec", TComponent::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  TRec(TComponent* owner, Log* log, const std::string& name = {}) : TComponent(nullptr), log_(log) {
    if (!name.empty()) SetName(name);
    if (owner) owner->InsertComponent(this);
  }
  ~TRec() override { log_->push_back("~" + Name()); }

  void Notification(TComponent* c, TOperation op) override {
    std::string who = c ? c->Name() : "nil";
    if (c && c->ComponentState().Contains(csDestroying)) who += "*";
    log_->push_back(Name() + (op == opInsert ? ":ins " : ":rem ") + who);
    TComponent::Notification(c, op);
  }
  void Loaded() override {
    TComponent::Loaded();
    log_->push_back(Name() + ":loaded");
  }

 private:
  Log* log_;
};

class TRefuser : public TComponent {
 public:
  using TComponent::TComponent;
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opInsert) throw EComponentError("refused");
  }
};

// ---- ownership -------------------------------------------------------------------

TEST(ComponentOwnership, OwnerFreesOwnedLastFirst) {
  Log log;
  auto* form = new TRec(nullptr, &log, "Form");
  new TRec(form, &log, "A");
  new TRec(form, &log, "B");
  new TRec(form, &log, "C");
  ASSERT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->Components(0)->Name(), "A");
  EXPECT_EQ(form->Components(2)->ComponentIndex(), 2);
  log.clear();
  delete form;
  // Nobody asked to watch them: they go quietly with their owner.
  EXPECT_EQ(log, (Log{"~Form", "~C", "~B", "~A"}));
}

TEST(ComponentOwnership, WatchedComponentsAreRemovedWithNotificationWhenTheOwnerGoes) {
  Log log;
  auto* form = new TRec(nullptr, &log, "Form");
  auto* a = new TRec(form, &log, "A");
  auto* b = new TRec(form, &log, "B");
  new TRec(form, &log, "C");
  b->FreeNotification(a);  // same owner: only marks B
  EXPECT_TRUE(b->ComponentState().Contains(csFreeNotification));
  log.clear();
  delete form;
  EXPECT_EQ(log, (Log{"~Form", "~C", "B:rem B*", "A:rem B*", "~B", "~A"}));
}

TEST(ComponentOwnership, NestedOwnersAndIndexChecks) {
  Log log;
  auto* root = new TRec(nullptr, &log, "Root");
  auto* mid = new TRec(root, &log, "Mid");
  new TRec(mid, &log, "Leaf1");
  new TRec(mid, &log, "Leaf2");
  try {
    root->Components(5);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(root->Components(-1), EListError);
  log.clear();
  delete root;
  EXPECT_EQ(log, (Log{"~Root", "~Mid", "~Leaf2", "~Leaf1"}));
}

TEST(ComponentOwnership, ComponentIndexMovesWithinTheOwnerAndClamps) {
  Log log;
  TRec form(nullptr, &log, "Form");
  auto* a = new TRec(&form, &log, "A");
  new TRec(&form, &log, "B");
  auto* c = new TRec(&form, &log, "C");
  c->SetComponentIndex(0);
  EXPECT_EQ(form.Components(0), c);
  EXPECT_EQ(a->ComponentIndex(), 1);
  a->SetComponentIndex(99);
  EXPECT_EQ(form.Components(2), a);
  TComponent loose(nullptr);
  EXPECT_EQ(loose.ComponentIndex(), -1);
}

TEST(ComponentOwnership, InsertMovesFromTheOldOwnerAndRefusesCycles) {
  Log log;
  TRec one(nullptr, &log, "One");
  TRec two(nullptr, &log, "Two");
  auto* x = new TRec(&one, &log, "X");
  log.clear();
  two.InsertComponent(x);
  EXPECT_EQ(one.ComponentCount(), 0);
  EXPECT_EQ(x->Owner(), &two);
  EXPECT_EQ(log, (Log{"One:rem X", "X:rem X", "Two:ins X", "X:ins X"}));

  auto* inner = new TRec(x, &log, "Inner");
  EXPECT_THROW(inner->InsertComponent(&two), EComponentError);
  EXPECT_THROW(x->InsertComponent(x), EComponentError);
  EXPECT_EQ(x->Owner(), &two);
  EXPECT_EQ(inner->Owner(), x);
}

TEST(ComponentOwnership, AFailedInsertLeavesNothingBehind) {
  TRefuser owner(nullptr);
  EXPECT_THROW(new TComponent(&owner), EComponentError);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

// ---- notification order ---------------------------------------------------------

TEST(ComponentNotification, InsertAndRemoveReachOwnerThenOwnedLastFirst) {
  Log log;
  TRec form(nullptr, &log, "Form");
  new TRec(&form, &log, "A");
  auto* b = new TRec(&form, &log, "B");
  log.clear();
  TRec* c = new TRec(nullptr, &log, "C");
  form.InsertComponent(c);
  EXPECT_EQ(log, (Log{"Form:ins C", "C:ins C", "B:ins C", "A:ins C"}));

  log.clear();
  form.RemoveComponent(b);
  EXPECT_EQ(log, (Log{"Form:rem B", "C:rem B", "B:rem B", "A:rem B"}));
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_EQ(form.ComponentCount(), 2);
  form.RemoveComponent(b);  // not owned: nothing happens
  delete b;
}

TEST(ComponentNotification, FreeingTellsWatchersThenOwnerAndSiblingsThenFreesOwned) {
  Log log;
  auto* form1 = new TRec(nullptr, &log, "Form1");
  auto* form2 = new TRec(nullptr, &log, "Form2");
  auto* a = new TRec(form1, &log, "A");
  new TRec(form1, &log, "B");
  new TRec(a, &log, "A1");
  auto* x = new TRec(form2, &log, "X");
  a->FreeNotification(x);  // X hears when A goes (and A when X goes)
  log.clear();

  delete a;
  // "~A" first: the derived destructor body runs before the component machinery.
  // Form1's notification reaches A's own list too (A1) before A1 is freed.
  EXPECT_EQ(log, (Log{"~A", "X:rem A*", "Form1:rem A*", "B:rem A*", "A1:rem A*", "~A1"}));

  // Both directions were cleaned up: freeing X tells nobody outside Form2.
  log.clear();
  delete x;
  EXPECT_EQ(log, (Log{"~X", "Form2:rem X*"}));
  delete form2;
  delete form1;
}

TEST(ComponentNotification, FreeNotificationWorksBothWaysAndCanBeWithdrawn) {
  Log log;
  auto* p = new TRec(nullptr, &log, "P");
  auto* q = new TRec(nullptr, &log, "Q");
  auto* r = new TRec(nullptr, &log, "R");
  p->FreeNotification(q);
  p->FreeNotification(q);  // once only
  p->FreeNotification(r);
  log.clear();
  delete q;  // P is told, by the back link
  EXPECT_EQ(log, (Log{"~Q", "P:rem Q*"}));

  p->RemoveFreeNotification(r);
  log.clear();
  delete p;
  EXPECT_EQ(log, (Log{"~P"}));
  log.clear();
  delete r;
  EXPECT_EQ(log, (Log{"~R"}));
}

TEST(ComponentNotification, LoadedAndStates) {
  Log log;
  TRec form(nullptr, &log, "Form");
  form.IncludeState(csLoading);
  form.IncludeState(csReading);
  form.ExcludeState(csReading);
  form.Loaded();
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
  EXPECT_EQ(log.back(), "Form:loaded");

  form.SetDesigning(true);
  auto* child = new TComponent(&form);
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));  // inherited on insert
  form.SetDesigning(false);
  EXPECT_FALSE(child->ComponentState().Contains(csDesigning));

  form.SetAncestor(true);
  EXPECT_TRUE(child->ComponentState().Contains(csAncestor));

  form.Updating();
  EXPECT_TRUE(form.ComponentState().Contains(csUpdating));
  form.Updated();
  EXPECT_FALSE(form.ComponentState().Contains(csUpdating));

  form.Destroying();
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
}

// ---- names -----------------------------------------------------------------------

TEST(ComponentNames, DuplicateSiblingNamesAreRefusedWhateverTheCase) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  auto* b = new TComponent(&form);
  a->SetName("Button1");
  try {
    b->SetName("BUTTON1");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("BUTTON1");  // its own name in another case is fine
  EXPECT_EQ(a->Name(), "BUTTON1");
  b->SetName("Button2");
  EXPECT_EQ(form.FindComponent("button2"), b);
  EXPECT_EQ(form.FindComponent("Button1"), a);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  EXPECT_EQ(form.FindComponent("Nope"), nullptr);

  // Components of other owners may share a name.
  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  c->SetName("Button1");
  // ... but cannot be moved in beside their namesake, and stay where they were.
  try {
    form.InsertComponent(c);
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named Button1 already exists");
  }
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_EQ(other.ComponentCount(), 1);
}

TEST(ComponentNames, OnlyIdentifiersAreNames) {
  TComponent c(nullptr);
  for (const char* bad : {"1abc", "a b", "a-b", "é", " x"}) {
    EXPECT_THROW(c.SetName(bad), EComponentError) << bad;
  }
  try {
    c.SetName("9lives");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "'9lives' is not a valid component name");
  }
  c.SetName("_ok9");
  EXPECT_EQ(c.Name(), "_ok9");
  c.SetName("");
  EXPECT_EQ(c.Name(), "");
  EXPECT_TRUE(IsValidIdent("Form1"));
  EXPECT_FALSE(IsValidIdent(""));
}

}  // namespace
