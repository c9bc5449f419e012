#include "classes/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/classes/value_filer.h"
#include "tests/support/messages.h"

namespace {

// Records what it hears and keeps one reference it clears on removal.
class TProbe : public TComponent {
  TD_CLASS(TProbe, TComponent)

 public:
  TProbe(TComponent* owner, std::vector<std::string>* log, std::string label = {})
      : TComponent(owner), log_(log), label_(std::move(label)) {}
  explicit TProbe(TComponent* owner) : TComponent(owner) {}
  ~TProbe() override {
    // What every component whose owned components may reach into it does.
    BeginDestruction();
    if (log_ != nullptr) {
      log_->push_back("free " + label_ + (ComponentState().Contains(Destroying) ? "" : " (live)"));
    }
  }

  void ComponentNotice(TComponent* component, TOperation operation) override {
    if (operation == Removed && component == reference) reference = nullptr;
    if (log_ != nullptr && operation == Removed && component != this) {
      log_->push_back(label_ + " hears " + component->Name() +
                      (component->ComponentState().Contains(Destroying) ? " dying" : ""));
    }
    TComponent::ComponentNotice(component, operation);
  }

  void Refer(TComponent* other) {
    reference = other;
    WatchRemoval(other);
  }

  TComponent* reference = nullptr;

 private:
  std::vector<std::string>* log_ = nullptr;
  std::string label_;
};

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TProbe)

class TProbeForm : public TComponent {
  TD_CLASS(TProbeForm, TComponent)

 public:
  explicit TProbeForm(TComponent* owner) : TComponent(owner) {}
  TProbe* Button1 = nullptr;
  TProbe* Timer1 = nullptr;
};

TD_IMPLEMENT_CLASS(TProbeForm)
void TProbeForm::Describe(Describer& d) {
  d.Field("Button1", &TProbeForm::Button1);
  d.Field("Timer1", &TProbeForm::Timer1);
}

TEST(ComponentNaming, RenameBindsTheOwnerField) {
  TProbeForm form(nullptr);
  auto* button = new TProbe(&form);
  EXPECT_EQ(form.Button1, nullptr);
  button->SetName("button1");
  EXPECT_EQ(form.Button1, button);
  button->SetName("Other");
  EXPECT_EQ(form.Button1, nullptr);
  button->SetName("Timer1");
  EXPECT_EQ(form.Timer1, button);
  button->SetName("");
  EXPECT_EQ(form.Timer1, nullptr);
  EXPECT_EQ(button->Name(), "");
}

TEST(ComponentNaming, CaseOnlyRenameSucceedsButDuplicatesFail) {
  TProbeForm form(nullptr);
  auto* first = new TProbe(&form);
  first->SetName("Button1");
  first->SetName("button1");
  EXPECT_EQ(first->Name(), "button1");
  auto* second = new TProbe(&form);
  EXPECT_EQ(MessageOf<EComponentError>([&] { second->SetName("BUTTON1"); }),
            "A component named BUTTON1 already exists");
  EXPECT_EQ(second->Name(), "");
  EXPECT_EQ(form.FindOwned("BUTTON1"), first);
  EXPECT_EQ(form.Button1, first);
  EXPECT_EQ(form.FindOwned(""), nullptr);
}

TEST(ComponentNaming, InvalidIdentifiersAreRefusedAndChangeNothing) {
  TProbeForm form(nullptr);
  auto* button = new TProbe(&form);
  button->SetName("Button1");
  for (const char* bad : {"1abc", "a b", "a-b", "\xC3\xA9t\xC3\xA9"}) {
    EXPECT_EQ(MessageOf<EComponentError>([&] { button->SetName(bad); }),
              std::string("''") + bad + "'' is not a valid component name");
  }
  EXPECT_EQ(button->Name(), "Button1");
  EXPECT_EQ(form.Button1, button);
  EXPECT_TRUE(IsValidIdent("_x9"));
  EXPECT_FALSE(IsValidIdent(""));
}

TEST(ComponentNaming, AdoptingANamedComponentChecksTheName) {
  TProbeForm form(nullptr);
  (new TProbe(&form))->SetName("Button1");
  auto* stray = new TProbe(nullptr);
  stray->SetName("BUTTON1");
  EXPECT_THROW(form.AddOwned(stray), EComponentError);
  EXPECT_EQ(stray->Owner(), nullptr);
  EXPECT_EQ(form.OwnedCount(), 1);
  delete stray;
}

TEST(ComponentOwnership, OwnedListAndIndexInOwner) {
  TComponent owner(nullptr);
  EXPECT_EQ(MessageOf<EListError>([&] { owner.OwnedAt(0); }), "List index out of bounds");
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  auto* c = new TComponent(&owner);
  EXPECT_EQ(owner.OwnedCount(), 3);
  EXPECT_EQ(owner.OwnedAt(1), b);
  EXPECT_THROW(owner.OwnedAt(3), EListError);
  EXPECT_EQ(c->IndexInOwner(), 2);
  c->SetIndexInOwner(-5);  // clamped
  EXPECT_EQ(owner.OwnedAt(0), c);
  EXPECT_EQ(a->IndexInOwner(), 1);
  a->SetIndexInOwner(99);
  EXPECT_EQ(owner.OwnedAt(2), a);
  EXPECT_EQ(owner.IndexInOwner(), -1);
  owner.SetIndexInOwner(3);  // no owner: nothing
  delete b;
  EXPECT_EQ(owner.OwnedCount(), 2);
  EXPECT_EQ(owner.FindOwned(""), nullptr);
}

TEST(ComponentOwnership, MovingToAnotherOwnerLeavesTheFirst) {
  TComponent first(nullptr);
  TComponent second(nullptr);
  auto* c = new TComponent(&first);
  second.AddOwned(c);
  EXPECT_EQ(c->Owner(), &second);
  EXPECT_EQ(first.OwnedCount(), 0);
  EXPECT_EQ(second.OwnedCount(), 1);
}

TEST(ComponentDestruction, OwnedDieLastAdoptedFirstAlreadyMarked) {
  std::vector<std::string> log;
  auto* form = new TProbe(nullptr, &log, "form");
  auto* a = new TProbe(form, &log, "a");
  new TProbe(form, &log, "b");
  new TProbe(a, &log, "a1");
  delete form;
  log.erase(std::remove_if(log.begin(), log.end(),
                           [](const std::string& line) { return line.rfind("free ", 0) != 0; }),
            log.end());
  EXPECT_EQ(log, (std::vector<std::string>{"free b", "free a1", "free a", "free form"}));
}

TEST(ComponentDestruction, DestroyingOneComponentNotifiesItsOwnersTree) {
  std::vector<std::string> log;
  TProbe form(nullptr, &log, "form");
  auto* a = new TProbe(&form, &log, "a");
  auto* b = new TProbe(&form, &log, "b");
  a->SetName("A");
  b->Refer(a);  // same owner: no registration needed
  delete a;
  EXPECT_EQ(b->reference, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"free a", "form hears A dying", "b hears A dying"}));
}

TEST(ComponentDestruction, AnOwnerDyingTellsEachComponentsSiblingsBeforeItGoes) {
  std::vector<std::string> log;
  auto* form = new TProbe(nullptr, &log, "form");
  auto* list = new TProbe(form, &log, "list");
  auto* label = new TProbe(form, &log, "label");
  list->SetName("List");
  label->SetName("Label");
  list->Refer(label);  // same owner: no registration, the owner's notice reaches it
  delete form;
  EXPECT_EQ(log, (std::vector<std::string>{"form hears Label dying", "list hears Label dying",
                                           "free label", "form hears List dying", "free list",
                                           "free form"}));
}

TEST(ComponentRemovalNotices, MutualRegistrationAcrossOwnersIsMadeOnce) {
  std::vector<std::string> log;
  auto* left = new TProbe(nullptr, &log, "left");
  auto* right = new TProbe(nullptr, &log, "right");
  auto* x = new TProbe(left, &log, "x");
  auto* y = new TProbe(right, &log, "y");
  x->SetName("X");
  y->SetName("Y");
  x->Refer(y);
  y->Refer(x);
  x->WatchRemoval(y);
  delete right;  // y goes: x clears its reference
  EXPECT_EQ(x->reference, nullptr);
  EXPECT_EQ(std::count(log.begin(), log.end(), "x hears Y dying"), 1);
  // Deleting left afterwards must not reach the dead y (AddressSanitizer watches).
  delete left;
}

TEST(ComponentRemovalNotices, TreesWithReferencesBothWaysDieCleanly) {
  auto* left = new TProbe(nullptr);
  auto* right = new TProbe(nullptr);
  std::vector<TProbe*> lefts;
  std::vector<TProbe*> rights;
  for (int i = 0; i < 5; ++i) {
    lefts.push_back(new TProbe(left));
    rights.push_back(new TProbe(i % 2 == 0 ? static_cast<TComponent*>(right) : lefts.back()));
  }
  for (int i = 0; i < 5; ++i) {
    lefts[i]->Refer(rights[4 - i]);
    rights[i]->Refer(lefts[i]);
  }
  delete left;
  for (int i = 0; i < 5; i += 2) EXPECT_EQ(rights[i]->reference, nullptr);
  delete right;
}

TEST(ComponentPersistence, CopyErrorsNameBothClasses) {
  TComponent a(nullptr);
  TProbe b(nullptr);
  EXPECT_EQ(MessageOf<EConvertError>([&] { a.CopyFrom(nullptr); }),
            "Cannot assign a nil to a TComponent");
  EXPECT_EQ(MessageOf<EConvertError>([&] { a.CopyFrom(&b); }),
            "Cannot assign a TProbe to a TComponent");
}

TEST(ComponentPersistence, DesignPositionFromLeftAndTop) {
  TComponent c(nullptr);
  ValueFiler left("Left", {0x12345});
  c.DeclareStoredData(left);
  ValueFiler top("Top", {-2});
  c.DeclareStoredData(top);
  EXPECT_EQ(c.DesignPosition(), 0xFFFE2345u);
  ASSERT_EQ(top.declared.size(), 2u);
  EXPECT_EQ(top.declared[0].first, "Left");
  EXPECT_TRUE(top.declared[0].second);  // differs from 0

  TComponent ancestor(nullptr);
  ancestor.SetDesignPosition(0xFFFE0000u);
  ValueFiler compare("None", {});
  compare.SetAncestor(&ancestor);
  c.DeclareStoredData(compare);
  EXPECT_TRUE(compare.declared[0].second);
  EXPECT_FALSE(compare.declared[1].second);
}

TEST(ComponentState, FlagsStyleAndLoading) {
  TComponent owner(nullptr);
  auto* c = new TComponent(&owner);
  EXPECT_TRUE(c->ComponentStyle().Contains(Inheritable));
  c->IncludeState(Loading);
  c->MarkUpdating();
  EXPECT_TRUE(c->ComponentState().Contains(Updating));
  c->AfterLoad();
  c->MarkUpdated();
  EXPECT_TRUE(c->ComponentState().Empty());
  const TPropInfo* name = TComponent::StaticClass().FindProperty("Name");
  EXPECT_FALSE(name->IsStored(c));
  name->SetString(c, "Named");
  EXPECT_EQ(owner.FindOwned("named"), c);
}

}  // namespace
