// Menu items: the tree and its failures, group indexes, command identifiers, and the
// platform menus built from the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "controls/menus.h"
#include "platform/testing.h"
#include "tests/support/messages.h"

namespace pt = platform::testing;

namespace {

class MenuItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::StartSession();
    owner = std::make_unique<TComponent>(nullptr);
  }
  void TearDown() override {
    owner.reset();
    pt::EndSession();
  }
  TMenuItem* Item(const std::string& caption, TShortCut shortCut = 0, std::uint8_t group = 0) {
    auto* item = new TMenuItem(owner.get());
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->SetGroupIndex(group);
    return item;
  }
  static std::string Text(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
    return text;
  }
  static UINT Type(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return info.fType;
  }

  std::unique_ptr<TComponent> owner;
};

TEST_F(MenuItemTest, StructuralErrorsCarryTheirTexts) {
  TMenuItem* parent = Item("File");
  TMenuItem* other = Item("Edit");
  TMenuItem* child = Item("Exit");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->ItemAt(0); }), "Menu index out of range");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->Delete(0); }), "Menu index out of range");
  parent->Add(child);
  EXPECT_EQ(MessageOf<EMenuError>([&] { other->Add(child); }), "Menu inserted twice");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->Add(child); }), "Menu inserted twice");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->Delete(1); }), "Menu index out of range");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->Delete(-1); }), "Menu index out of range");
  EXPECT_EQ(MessageOf<EMenuError>([&] { parent->Remove(other); }), "Sub-menu is not in menu");
  EXPECT_EQ(MessageOf<EListError>([&] { parent->ItemAt(1); }), "List index out of bounds");
  EXPECT_EQ(MessageOf<EListError>([&] { parent->Insert(3, other); }), "List index out of bounds");
  EXPECT_EQ(other->Parent(), nullptr);
  EXPECT_EQ(parent->Count(), 1);
  EXPECT_EQ(child->Parent(), parent);
  EXPECT_EQ(child->IndexInParent(), 0);
  parent->Remove(child);
  EXPECT_EQ(child->Parent(), nullptr);
  EXPECT_EQ(child->IndexInParent(), -1);
  other->Add(child);  // free to go elsewhere now
  EXPECT_EQ(child->Parent(), other);
}

TEST_F(MenuItemTest, GroupIndexesNeverDecreaseAlongTheChildren) {
  TMenuItem* parent = Item("Bar");
  parent->Add(Item("A", 0, 3));
  TMenuItem* after = Item("B", 0, 0);
  parent->Add(after);
  EXPECT_EQ(after->GroupIndex(), 3);  // takes its predecessor's

  TMenuItem* second = Item("Second");
  second->Add(Item("One", 0, 1));
  second->Add(Item("Other", 0, 1));
  second->Insert(0, Item("Two", 0, 2));
  EXPECT_EQ(second->ItemAt(1)->GroupIndex(), 2);  // later siblings are raised
  EXPECT_EQ(second->ItemAt(2)->GroupIndex(), 2);

  TMenuItem* third = Item("Third");
  third->Add(Item("x", 0, 1));
  third->Add(Item("y", 0, 5));
  third->Add(Item("z", 0, 5));
  EXPECT_EQ(MessageOf<EMenuError>([&] { third->ItemAt(1)->SetGroupIndex(0); }),
            "GroupIndex cannot be less than a previous menu item's GroupIndex");
  EXPECT_EQ(third->ItemAt(1)->GroupIndex(), 5);
  third->ItemAt(1)->SetGroupIndex(7);
  EXPECT_EQ(third->ItemAt(2)->GroupIndex(), 7);
}

TEST_F(MenuItemTest, IndexInParentMovesWithinTheBounds) {
  TMenuItem* parent = Item("P");
  TMenuItem* a = Item("a");
  TMenuItem* b = Item("b");
  TMenuItem* c = Item("c");
  parent->Add(a);
  parent->Add(b);
  parent->Add(c);
  a->SetIndexInParent(99);
  EXPECT_EQ(parent->ItemAt(2), a);
  a->SetIndexInParent(-4);
  EXPECT_EQ(parent->ItemAt(0), a);
  c->SetIndexInParent(1);
  EXPECT_EQ(parent->IndexOf(c), 1);
  Item("loose")->SetIndexInParent(3);  // without a parent nothing happens
}

TEST_F(MenuItemTest, CommandIdentifiersAreUniqueAndReusedLowestFirst) {
  TMenuItem* a = Item("a");
  TMenuItem* b = Item("b");
  TMenuItem* c = Item("c");
  EXPECT_NE(a->CommandId(), b->CommandId());
  EXPECT_NE(b->CommandId(), c->CommandId());
  WORD freedLow = std::min(a->CommandId(), c->CommandId());
  delete a;
  delete c;
  TMenuItem* again = Item("again");
  EXPECT_EQ(again->CommandId(), freedLow);
}

TEST_F(MenuItemTest, DestroyedItemsGiveTheirIdentifiersBack) {
  const int inUse = MenuCommandsInUse();
  const int poolSize = MenuCommandPoolSize();
  for (int i = 0; i < 100000; ++i) delete new TMenuItem(nullptr);
  EXPECT_EQ(MenuCommandsInUse(), inUse);
  EXPECT_LE(MenuCommandPoolSize(), poolSize + 1);

  // A tree frees its children's identifiers with them.
  TMenuItem* root = Item("root");
  for (int i = 0; i < 50; ++i) root->Add(new TMenuItem(nullptr));
  delete root;
  EXPECT_EQ(MenuCommandsInUse(), inUse);
}

// Run in a process of its own, where this item is the first one made.
TEST(MenuCommandDeathTest, TheFirstItemOfAProcessHasACommandAndGivesItBack) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const int before = MenuCommandsInUse();
        auto* first = new TMenuItem(nullptr);
        const int id = first->CommandId();
        delete first;
        std::exit(id != 0 && MenuCommandsInUse() == before ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(MenuItemTest, SubMenuShowsCaptionsSeparatorsAndShortcutText) {
  TMenuItem* root = Item("");
  TMenuItem* file = Item("File", scCtrl | 'F');
  root->Add(file);
  file->Add(Item("E&xit", scAlt | VK_F4));
  file->Add(Item("-"));
  TMenuItem* hidden = Item("Hidden");
  hidden->SetVisible(false);
  file->Add(hidden);
  file->Add(Item("Refresh List", VK_F5));

  HMENU bar = root->MenuHandle();
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(Text(bar, 0), "File");  // an entry with a sub-menu shows no shortcut
  HMENU sub = GetSubMenu(bar, 0);
  ASSERT_EQ(sub, file->MenuHandle());
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  EXPECT_EQ(Text(sub, 0), "E&xit\tAlt+F4");
  EXPECT_NE(Type(sub, 1) & MFT_SEPARATOR, 0u);
  EXPECT_EQ(Text(sub, 2), "Refresh List\tF5");
  EXPECT_EQ(GetMenuItemID(sub, 2), file->ItemAt(3)->CommandId());

  hidden->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(sub), 4);
  EXPECT_EQ(Text(sub, 2), "Hidden");
}

TEST_F(MenuItemTest, ItemFlagsReachThePlatformMenu) {
  TMenuItem* root = Item("");
  TMenuItem* radio = Item("Radio");
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  TMenuItem* grey = Item("Grey");
  grey->SetEnabled(false);
  TMenuItem* column = Item("Column");
  column->SetBreak(mbBarBreak);
  TMenuItem* chosen = Item("Chosen");
  chosen->SetDefault(true);
  for (TMenuItem* item : {radio, grey, column, chosen}) root->Add(item);
  HMENU menu = root->MenuHandle();
  EXPECT_NE(Type(menu, 0) & MFT_RADIOCHECK, 0u);
  EXPECT_NE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_NE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
  EXPECT_NE(Type(menu, 2) & MFT_MENUBARBREAK, 0u);
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 3u);

  TMenuItem* other = Item("Other");
  root->Add(other);
  other->SetDefault(true);
  EXPECT_FALSE(chosen->Default());
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 4u);
}

TEST_F(MenuItemTest, CheckingChangesOnlyThatEntry) {
  TMenuItem* root = Item("");
  TMenuItem* repeat = Item("Repeat", VK_F2);
  TMenuItem* sequence = Item("Sequence", VK_F3);
  root->Add(repeat);
  root->Add(sequence);
  HMENU menu = root->MenuHandle();
  // An entry changed behind the model's back stays as it is unless the menu is rebuilt.
  ModifyMenuA(menu, 1, MF_BYPOSITION | MF_STRING, sequence->CommandId(), "untouched");
  repeat->SetChecked(true);
  EXPECT_NE(GetMenuState(menu, repeat->CommandId(), MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(Text(menu, 1), "untouched");
  repeat->SetChecked(false);
  EXPECT_EQ(GetMenuState(menu, repeat->CommandId(), MF_BYCOMMAND) & MF_CHECKED, 0u);
  sequence->SetEnabled(false);
  EXPECT_NE(GetMenuState(menu, sequence->CommandId(), MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_EQ(Text(menu, 1), "untouched");
  // A caption change rebuilds.
  repeat->SetCaption("Again");
  EXPECT_EQ(Text(menu, 1), "Sequence\tF3");
}

TEST_F(MenuItemTest, RadioItemsOfOneGroupExcludeEachOther) {
  TMenuItem* parent = Item("Playing");
  TMenuItem* a = Item("A", 0, 1);
  TMenuItem* b = Item("B", 0, 1);
  TMenuItem* plain = Item("plain", 0, 1);
  a->SetRadioItem(true);
  b->SetRadioItem(true);
  for (TMenuItem* item : {a, b, plain}) parent->Add(item);
  plain->SetChecked(true);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(plain->Checked());  // not a radio item

  TMenuItem* ungrouped = Item("Ungrouped");
  TMenuItem* c = Item("C");
  TMenuItem* d = Item("D");
  c->SetRadioItem(true);
  d->SetRadioItem(true);
  ungrouped->Add(c);
  ungrouped->Add(d);
  c->SetChecked(true);
  d->SetChecked(true);
  EXPECT_TRUE(c->Checked());  // group 0 is no radio group
}

TEST_F(MenuItemTest, ClickRaisesOnClickOnlyWhenEnabled) {
  struct Counter : TObject {
    int clicks = 0;
    void Clicked(TObject*) { ++clicks; }
  } counter;
  TMenuItem* item = Item("Go");
  item->OnClick = TNotifyEvent(&counter, &Counter::Clicked);
  item->Click();
  item->SetEnabled(false);
  item->Click();
  EXPECT_EQ(counter.clicks, 1);
}

TEST_F(MenuItemTest, DestroyingAChildTakesItsEntryOutOfTheParentMenu) {
  TMenuItem* root = Item("");
  TMenuItem* file = Item("File");
  TMenuItem* exit = Item("Exit");
  root->Add(file);
  root->Add(Item("Help"));
  file->Add(exit);
  HMENU menu = root->MenuHandle();
  HMENU sub = file->MenuHandle();
  delete exit;
  EXPECT_EQ(GetMenuItemCount(sub), 0);
  delete file;
  EXPECT_FALSE(IsMenu(sub));
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(Text(menu, 0), "Help");
}

}  // namespace
