// TMenuItem: the item tree, the command-identifier pool, and the platform menus built
// from the tree. Menus, the pop-up list and the seam to forms/ are in menus_menu.cpp,
// shortcut texts in menus_shortcut.cpp.
#include "controls/menus.h"

#include <vector>

#include "classes/lists.h"
#include "classes/reader.h"
#include "controls/menus_internal.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kOutOfResources = 61474;
constexpr int kMenuIndexError = 61493;
constexpr int kMenuReinserted = 61494;
constexpr int kMenuNotFound = 61495;
constexpr int kGroupIndexTooLow = 61502;
constexpr int kInvalidCast = 65427;

// Command identifiers are 16 bits; the pool hands out the lowest free one. 0 is no
// command (a WM_COMMAND of 0 names nothing), so it is never handed out.
constexpr int kLastCommand = 0xFFFF;

TBits& CommandPool() {
  static TBits* pool = [] {
    auto* bits = new TBits;
    bits->SetBits(0, true);
    return bits;
  }();
  return *pool;
}
int commandsInUse = 0;

WORD TakeCommand() {
  TBits& pool = CommandPool();
  int command = pool.FirstClear();
  // Past 16 bits two items would share an identifier and a command would click the wrong one.
  if (command > kLastCommand) throw EMenuError(LoadStr(kOutOfResources));
  pool.SetBits(command, true);
  ++commandsInUse;
  return static_cast<WORD>(command);
}

void ReleaseCommand(WORD command) {
  CommandPool().SetBits(command, false);
  --commandsInUse;
}

// The items that show another menu's root among their children; merges are few.
std::vector<TMenuItem*>& MergingItems() {
  static std::vector<TMenuItem*>* items = new std::vector<TMenuItem*>;
  return *items;
}

TMenuItem* ChildAt(TList* list, int index) { return static_cast<TMenuItem*>(list->Get(index)); }

const TTypeInfo& ShortCutType() {
  static const TTypeInfo type = MakeIntegerType("TShortCut", TOrdType::UWord);
  return type;
}

// The menu item classes may be named by any description.
struct StreamRegistration {
  StreamRegistration() { RegisterStreamClass(&TMenuItem::StaticClass()); }
} registration;

}  // namespace

int MenuCommandsInUse() { return commandsInUse; }
int MenuCommandPoolSize() { return CommandPool().Size(); }

namespace menus_detail {

namespace {
TItemGuard* itemGuards = nullptr;
}  // namespace

TItemGuard::TItemGuard(TMenuItem* item) : item_(item), next_(itemGuards) { itemGuards = this; }
// Guards are stack objects of one thread: they end in the reverse order of their start.
TItemGuard::~TItemGuard() { itemGuards = next_; }

void TItemGuard::Forget(TMenuItem* item) {
  for (TItemGuard* guard = itemGuards; guard != nullptr; guard = guard->next_)
    if (guard->item_ == item) guard->item_ = nullptr;
}

bool WalkMerged(TMenuItem* merged, TMenuItem* own, const std::function<bool(TMenuItem*)>& visit) {
  // An exhausted list counts as above every group, so items of group 255 still show.
  constexpr int kExhausted = 256;
  const int mergedCount = merged != nullptr ? merged->Count() : 0;
  const int ownCount = own != nullptr ? own->Count() : 0;
  int i = 0;
  int j = 0;
  auto groupAt = [](TMenuItem* parent, int index, int count) {
    return index < count ? static_cast<int>(parent->ItemAt(index)->GroupIndex()) : kExhausted;
  };
  while (i < mergedCount || j < ownCount) {
    const int mergedGroup = groupAt(merged, i, mergedCount);
    const int ownGroup = groupAt(own, j, ownCount);
    int group;
    if (mergedGroup <= ownGroup) {
      group = mergedGroup;
      for (; i < mergedCount && merged->ItemAt(i)->GroupIndex() <= group; ++i)
        if (visit(merged->ItemAt(i))) return true;
    } else {
      group = ownGroup;
      for (; j < ownCount && own->ItemAt(j)->GroupIndex() <= group; ++j)
        if (visit(own->ItemAt(j))) return true;
    }
    while (i < mergedCount && merged->ItemAt(i)->GroupIndex() <= group) ++i;
    while (j < ownCount && own->ItemAt(j)->GroupIndex() <= group) ++j;
  }
  return false;
}

}  // namespace menus_detail

TD_IMPLEMENT_CLASS(TMenuItem)
void TMenuItem::Describe(Describer& d) {
  d.Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak).Default(mbNone);
  d.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  d.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
  d.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  d.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
  d.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  d.Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0);
  d.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  d.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  // No default: descriptions always carry the shortcut, 0 included.
  d.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Type(ShortCutType());
  d.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
  d.Property("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(TakeCommand()) {}

TMenuItem::~TMenuItem() {
  menus_detail::TItemGuard::Forget(this);
  for (std::size_t i = 0; i < MergingItems().size();) {
    TMenuItem* host = MergingItems()[i];
    if (host->merged_ == this)
      host->MergeItems(nullptr);
    else
      ++i;
  }
  if (parent_ != nullptr) parent_->Remove(this);
  // The merged menu's sub-menus are not this menu's to destroy.
  MergeItems(nullptr);
  if (handle_ != nullptr) {
    DestroyMenu(handle_);
    ClearMenuHandles();
  }
  while (Count() > 0) delete ItemAt(0);
  items_.reset();
  ReleaseCommand(command_);
}

// Properties.

void TMenuItem::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetChecked(bool value) {
  if (value == checked_) return;
  if (radioItem_ && groupIndex_ != 0 && parent_ != nullptr) {
    for (int i = 0; i < parent_->Count(); ++i) {
      TMenuItem* sibling = parent_->ItemAt(i);
      if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
        sibling->SetChecked(false);
    }
  }
  checked_ = value;
  if (parent_ != nullptr)
    CheckMenuItem(parent_->MenuHandle(), command_, MF_BYCOMMAND | (value ? MF_CHECKED : 0));
}

void TMenuItem::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  // A sub-menu's entry is rebuilt as a whole; the platform keeps a pop-up entry's state
  // apart from its command.
  if (Count() > 0) {
    NotifyChanged(true);
  } else if (parent_ != nullptr) {
    EnableMenuItem(parent_->MenuHandle(), command_,
                   MF_BYCOMMAND | (value ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
    NotifyChanged(false);
  }
}

void TMenuItem::SetDefault(bool value) {
  if (value == default_) return;
  if (value && parent_ != nullptr)
    for (int i = 0; i < parent_->Count(); ++i) parent_->ItemAt(i)->default_ = false;
  default_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetRadioItem(bool value) {
  if (value == radioItem_) return;
  radioItem_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetVisible(bool value) {
  visible_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak value) {
  if (value == break_) return;
  break_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetShortCut(TShortCut value) {
  shortCut_ = value;
  NotifyChanged(true);
}

void TMenuItem::SetGroupIndex(std::uint8_t value) {
  if (value == groupIndex_) return;
  if (parent_ != nullptr) parent_->CheckGroupIndex(IndexInParent(), value);
  groupIndex_ = value;
}

void TMenuItem::CheckGroupIndex(int position, std::uint8_t value) {
  for (int i = 0; i < Count(); ++i) {
    TMenuItem* child = ItemAt(i);
    if (i < position && child->groupIndex_ > value) throw EMenuError(LoadStr(kGroupIndexTooLow));
    if (i >= position && child->groupIndex_ < value) child->groupIndex_ = value;
  }
}

// Children.

int TMenuItem::Count() const { return items_ ? items_->Count() : 0; }

TMenuItem* TMenuItem::ItemAt(int index) const {
  if (!items_) throw EMenuError(LoadStr(kMenuIndexError));
  return ChildAt(items_.get(), index);
}

int TMenuItem::IndexOf(TMenuItem* item) const { return items_ ? items_->IndexOf(item) : -1; }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->parent_ != nullptr) throw EMenuError(LoadStr(kMenuReinserted));
  if (!items_) items_ = std::make_unique<TList>();
  if (index - 1 >= 0 && index - 1 < items_->Count()) {
    TMenuItem* before = ChildAt(items_.get(), index - 1);
    if (item->groupIndex_ < before->groupIndex_) item->groupIndex_ = before->groupIndex_;
  }
  CheckGroupIndex(index, item->groupIndex_);
  items_->Insert(index, item);
  item->parent_ = this;
  item->onChange_ = TChangeHandler(this, &TMenuItem::ChildChanged);
  if (handle_ != nullptr) RebuildMenuHandle();
  NotifyChanged(true);
}

void TMenuItem::Delete(int index) {
  if (index < 0 || !items_ || index >= items_->Count()) throw EMenuError(LoadStr(kMenuIndexError));
  DetachChild(index);
  if (handle_ != nullptr) RebuildMenuHandle();
  NotifyChanged(true);
}

void TMenuItem::DetachChild(int index) {
  TMenuItem* item = ChildAt(items_.get(), index);
  items_->Delete(index);
  item->parent_ = nullptr;
  item->onChange_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index == -1) throw EMenuError(LoadStr(kMenuNotFound));
  Delete(index);
}

int TMenuItem::IndexInParent() const {
  return parent_ != nullptr ? parent_->IndexOf(const_cast<TMenuItem*>(this)) : -1;
}

void TMenuItem::SetIndexInParent(int value) {
  if (parent_ == nullptr) return;
  TMenuItem* parent = parent_;
  if (value < 0) value = 0;
  if (value > parent->Count() - 1) value = parent->Count() - 1;
  if (value == IndexInParent()) return;
  parent->Remove(this);
  parent->Insert(value, this);
}

void TMenuItem::MergeItems(TMenuItem* menu) {
  if (menu == merged_) return;
  if (merged_ == nullptr) MergingItems().push_back(this);
  merged_ = menu;
  if (menu == nullptr) std::erase(MergingItems(), this);
  if (handle_ != nullptr) RebuildMenuHandle();
}

// Changes.

void TMenuItem::Click() {
  if (enabled_) OnClick(this);
}

void TMenuItem::NotifyChanged(bool rebuild) { onChange_(this, rebuild); }

void TMenuItem::ChildChanged(TMenuItem*, bool rebuild) {
  if (rebuild && handle_ != nullptr) RebuildMenuHandle();
  if (parent_ != nullptr) {
    parent_->ChildChanged(this, false);
  } else if (auto* menu = dynamic_cast<TMainMenu*>(Owner()); menu != nullptr) {
    menu->BarChanged();
  }
}

// Platform menus.

HMENU TMenuItem::MenuHandle() {
  if (handle_ == nullptr) {
    handle_ = dynamic_cast<TPopupMenu*>(Owner()) != nullptr ? CreatePopupMenu() : CreateMenu();
    if (handle_ == nullptr) throw EMenuError(LoadStr(kOutOfResources));
    FillMenuHandle();
  }
  return handle_;
}

void TMenuItem::FillMenuHandle() {
  menus_detail::WalkMerged(merged_, this, [this](TMenuItem* item) {
    item->AppendToMenu(handle_);
    return false;
  });
}

void TMenuItem::RebuildMenuHandle() {
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  FillMenuHandle();
  NotifyChanged(false);
}

void TMenuItem::ClearMenuHandles() {
  handle_ = nullptr;
  for (int i = 0; i < Count(); ++i) ItemAt(i)->ClearMenuHandles();
}

void TMenuItem::AppendToMenu(HMENU menu) {
  if (!visible_) return;
  std::string text = caption_;
  HMENU subMenu = nullptr;
  if (Count() > 0) {
    subMenu = MenuHandle();
  } else if (shortCut_ != 0) {
    // Entries of a menu bar never show their shortcut.
    bool onBar = parent_ != nullptr && parent_->parent_ == nullptr &&
                 dynamic_cast<TMainMenu*>(parent_->Owner()) != nullptr;
    if (!onBar) text += '\t' + FormatShortCut(shortCut_);
  }
  // The platform presents itself as version 4: every entry goes in with a full item
  // description.
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
  info.fType = (radioItem_ ? MFT_RADIOCHECK : 0) | (break_ == mbBreak ? MFT_MENUBREAK : 0) |
               (break_ == mbBarBreak ? MFT_MENUBARBREAK : 0) |
               (caption_ == "-" ? MFT_SEPARATOR : 0);
  info.fState =
      (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED) | (default_ ? MFS_DEFAULT : 0);
  info.wID = command_;
  info.hSubMenu = subMenu;
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

// Descriptions.

void TMenuItem::DeclareStoredData(TFiler& filer) {
  TComponent::DeclareStoredData(filer);
  filer.DeclareEntry(
      "ShortCutText", [this](TFiler& reader) { ReadShortCutText(reader); }, nullptr, false);
}

void TMenuItem::ReadShortCutText(TFiler& reader) { SetShortCut(ParseShortCut(reader.ReadText())); }

void TMenuItem::EnumChildren(const std::function<void(TComponent*)>& visitor) {
  for (int i = 0; i < Count(); ++i) visitor(ItemAt(i));
}

void TMenuItem::SetChildPosition(TComponent* child, int order) {
  auto* item = dynamic_cast<TMenuItem*>(child);
  if (item == nullptr) throw EInvalidCast(LoadStr(kInvalidCast));
  item->SetIndexInParent(order);
}

void TMenuItem::AttachToParent(TComponent* parent) {
  if (parent_ != nullptr) parent_->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(parent); menu != nullptr)
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent); item != nullptr)
    item->Add(this);
}

TComponent* TMenuItem::StoredParent() {
  if (parent_ != nullptr && parent_->owningMenu_ != nullptr) return parent_->owningMenu_;
  return parent_;
}
