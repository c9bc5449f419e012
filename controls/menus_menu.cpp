// TMenu, TMainMenu and TPopupMenu: finding items, commands, shortcuts, the menu bar's
// image, merging, the pop-up list with its window, and the menus' side of the seam to
// forms/.
#include <algorithm>
#include <vector>

#include "controls/menus.h"
#include "controls/menus_internal.h"
#include "forms/bridges.h"
#include "forms/wndproc.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

using menus_detail::TItemGuard;

namespace {

// Every live pop-up menu, and while there is one, the hidden window that owns their
// tracking and receives their commands.
struct TPopupList {
  std::vector<TPopupMenu*> menus;
  TUtilityWindow window;
};
TPopupList popupList;

void PopupListProc(TObject*, TMessage& message);

// The item a menu-select message names: the sub-menu at the position when the pop-up flag
// is set, else the item with that command.
TMenuItem* SelectedItem(TMenu* menu, WORD item, WORD flags, HMENU menuHandle) {
  if ((flags & MF_POPUP) != 0) {
    HMENU subMenu = GetSubMenu(menuHandle, item);
    return subMenu != nullptr ? menu->FindMenuItem(subMenu) : nullptr;
  }
  return menu->FindMenuItem(item, ByCommand);
}

void PopupListProc(TObject*, TMessage& message) {
  TPopupMenu* current = nullptr;
  try {
    // A handler may free menus: walk a copy and skip the ones gone meanwhile.
    std::vector<TPopupMenu*> menus = popupList.menus;
    auto alive = [](TPopupMenu* menu) {
      return std::find(popupList.menus.begin(), popupList.menus.end(), menu) !=
             popupList.menus.end();
    };
    switch (message.Msg) {
      case WM_COMMAND:
        for (TPopupMenu* menu : menus) {
          current = menu;
          if (alive(menu) && menu->ExecuteCommand(LOWORD(message.WParam))) return;
        }
        break;
      case WM_INITMENUPOPUP:
        for (TPopupMenu* menu : menus) {
          current = menu;
          if (alive(menu) && menu->PreparePopup(reinterpret_cast<HMENU>(message.WParam))) return;
        }
        break;
      case WM_MENUSELECT: {
        const WORD flags = HIWORD(message.WParam);
        TMenuItem* found = nullptr;
        if (flags != 0xFFFF || message.LParam != 0) {
          for (TPopupMenu* menu : menus) {
            found = SelectedItem(menu, LOWORD(message.WParam), flags,
                                 reinterpret_cast<HMENU>(message.LParam));
            if (found != nullptr) break;
          }
        }
        ApplicationBridge().SetHint(found != nullptr ? found->Hint() : std::string());
        return;
      }
      default:
        break;
    }
    message.Result =
        DefWindowProcA(popupList.window.Window, message.Msg, message.WParam, message.LParam);
  } catch (...) {
    ApplicationBridge().HandleException(current);
  }
}

// How the shortcut chain of one key press ended.
enum class TChainEnd { Completed, Stopped, Moved, Gone };

// Clicks the item's ancestors from the root down, then the item; every one must be
// enabled. Stops when the target's shortcut moved away from value (a handler changed it)
// or the target died.
TChainEnd ClickChain(TMenuItem* item, TMenuItem* target, TShortCut value, TItemGuard& targetGuard,
                     TMenu* menu) {
  TItemGuard guard(item);
  if (TMenuItem* parent = item->Parent(); parent != nullptr) {
    TChainEnd end = ClickChain(parent, target, value, targetGuard, menu);
    if (end != TChainEnd::Completed) return end;
    if (!guard.Alive()) return TChainEnd::Gone;
  }
  if (!item->Enabled()) return TChainEnd::Stopped;
  try {
    item->Click();
  } catch (...) {
    ApplicationBridge().HandleException(menu);
  }
  if (!targetGuard.Alive()) return TChainEnd::Gone;
  if (target->ShortCut() != value) return TChainEnd::Moved;
  return TChainEnd::Completed;
}

}  // namespace

HWND PopupListWindow() { return popupList.window.Window; }

// Menus.

TD_IMPLEMENT_CLASS(TMenu)
void TMenu::Describe(Describer& d) { d.Property("Items", &TMenu::Items); }

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
  items_ = new TMenuItem(this);
  items_->onChange_ = TMenuItem::TChangeHandler(this, &TMenu::RootChanged);
  items_->owningMenu_ = this;
}

TMenu::~TMenu() {
  // Removal notices go out first, so the window that shows the menu lets go of it before
  // the platform menu dies; the root item is owned by the menu and dies with its owned
  // components.
  items_->onChange_ = nullptr;
  TItemGuard root(items_);
  BeginDestruction();
  if (root.Alive()) delete items_;
}

void TMenu::RootChanged(TMenuItem* sender, bool rebuild) { ItemsChanged(sender, rebuild); }
void TMenu::ItemsChanged(TMenuItem*, bool) {}

HMENU TMenu::MenuHandle() { return items_->MenuHandle(); }

void TMenu::AttachWindow(HWND window) {
  window_ = window;
  if (window != nullptr) RefreshImage();
}

bool TMenu::RefreshImage() {
  if (window_ == nullptr) return false;
  // The text and state flags of each top-level entry, as long as they fit in 512 bytes.
  constexpr std::size_t kImageSize = 512;
  HMENU menu = MenuHandle();
  std::string image;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && kImageSize - image.size() > 5; ++i) {
    const std::size_t room = kImageSize - image.size();
    char text[kImageSize];
    int length =
        GetMenuStringA(menu, static_cast<UINT>(i), text, static_cast<int>(room - 4), MF_BYPOSITION);
    image.append(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if ((state & MF_DISABLED) != 0) image += '$';
    if ((state & MF_MENUBREAK) != 0) image += '@';
    if ((state & MF_GRAYED) != 0) image += '#';
    image += ';';
  }
  if (hasImage_ && image == image_) return false;
  image_ = std::move(image);
  hasImage_ = true;
  return true;
}

TMenuItem* TMenu::FindMenuItem(UINT_PTR value, TFindItemKind kind) {
  TMenuItem* found = nullptr;
  std::function<bool(TMenuItem*)> search = [&](TMenuItem* item) {
    bool match = false;
    switch (kind) {
      case ByCommand:
        match = item->CommandId() == value;
        break;
      case ByHandle:
        match = item->HasMenuHandle() && reinterpret_cast<UINT_PTR>(item->handle_) == value;
        break;
      case ByShortCut:
        match = item->ShortCut() == value;
        break;
    }
    if (match) {
      found = item;
      return true;
    }
    for (int i = 0; i < item->Count(); ++i)
      if (search(item->ItemAt(i))) return true;
    return false;
  };
  menus_detail::WalkMerged(items_->Merged(), items_, search);
  return found;
}

bool TMenu::ExecuteCommand(WORD command) {
  TMenuItem* item = FindMenuItem(command, ByCommand);
  if (item == nullptr) return false;
  item->Click();
  return true;
}

bool TMenu::PreparePopup(HMENU menu) {
  TMenuItem* item = FindMenuItem(menu);
  if (item == nullptr) return false;
  item->Click();
  return true;
}

bool TMenu::HandleShortCutKey(TMessage& keyMessage) {
  if (window_ == nullptr) return false;
  TShortCut value = static_cast<TShortCut>(keyMessage.WParam & 0xFF);
  if (GetKeyState(VK_SHIFT) < 0) value |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) value |= scCtrl;
  if ((keyMessage.LParam & 0x20000000) != 0) value |= scAlt;
  TMenuItem* item = FindMenuItem(value, ByShortCut);
  if (item == nullptr) return false;
  TItemGuard root(items_);
  while (item != nullptr) {
    TItemGuard target(item);
    if (ClickChain(item, item, value, target, this) != TChainEnd::Moved || !root.Alive()) break;
    // A handler gave the shortcut to another item: that one gets the key.
    item = FindMenuItem(value, ByShortCut);
  }
  return true;
}

std::int32_t TMenu::HelpContextOf(UINT_PTR value, bool byCommand) {
  for (TMenuItem* item = FindMenuItem(value, byCommand ? ByCommand : ByHandle); item != nullptr;
       item = item->Parent())
    if (item->HelpContext() != 0) return item->HelpContext();
  return 0;
}

void TMenu::EnumChildren(const std::function<void(TComponent*)>& visitor) {
  items_->EnumChildren(visitor);
}

void TMenu::SetChildPosition(TComponent* child, int order) {
  items_->SetChildPosition(child, order);
}

// The menu bar.

TD_IMPLEMENT_CLASS(TMainMenu)
void TMainMenu::Describe(Describer& d) {
  d.Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge).Default(false);
}

// The owner heard of this component while only its TComponent part existed; it hears again
// now that it is a main menu, so a form without a menu takes it as its own.
TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {
  if (owner != nullptr) owner->ComponentNotice(this, Inserted);
}

void TMainMenu::SetAutoMerge(bool value) {
  if (value == autoMerge_) return;
  autoMerge_ = value;
  if (WindowHandle() != nullptr) SendMessageA(WindowHandle(), FM_MENU_CHANGED, 0, 0);
}

void TMainMenu::ItemsChanged(TMenuItem*, bool) {
  if (WindowHandle() != nullptr && RefreshImage()) DrawMenuBar(WindowHandle());
}

void TMainMenu::BarChanged() {
  ItemsChanged(nullptr, false);
  if (WindowHandle() != nullptr) SendMessageA(WindowHandle(), FM_MENU_CHANGED, 0, 0);
}

void TMainMenu::Merge(TMainMenu* menu) {
  if (menu == nullptr) {
    Items()->MergeItems(nullptr);
    return;
  }
  Items()->MergeItems(menu->Items());
}

void TMainMenu::Unmerge(TMainMenu* menu) {
  if (menu != nullptr && Items()->Merged() == menu->Items()) Items()->MergeItems(nullptr);
}

// Pop-up menus.

TD_IMPLEMENT_CLASS(TPopupMenu)
void TPopupMenu::Describe(Describer& d) {
  d.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  d.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  d.Property("HelpContext", &TPopupMenu::HelpContext, &TPopupMenu::SetHelpContext).Default(0);
  d.Property("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
  Items()->OnClick = TNotifyEvent(this, &TPopupMenu::RootClick);
  if (popupList.menus.empty())
    popupList.window = AllocateUtilityWindow(&PopupListProc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW);
  popupList.menus.push_back(this);
  // Shortcuts of pop-up menus work while the application's window exists; without an
  // application the pop-up list's window stands in.
  HWND window = ApplicationBridge().Handle();
  SetOwnerWindow(window != nullptr ? window : popupList.window.Window);
}

TPopupMenu::~TPopupMenu() {
  std::erase(popupList.menus, this);
  if (popupList.menus.empty()) DeallocateUtilityWindow(popupList.window);
}

void TPopupMenu::RootClick(TObject* sender) { OnPopup(sender); }

void TPopupMenu::SetPopupComponent(TComponent* component) {
  popupComponent_ = component;
  if (component != nullptr) WatchRemoval(component);
}

void TPopupMenu::ComponentNotice(TComponent* component, TOperation operation) {
  TMenu::ComponentNotice(component, operation);
  if (operation == Removed && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::ShowAt(int x, int y) {
  static constexpr UINT kAlignment[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  TItemGuard root(Items());
  OnPopup(this);
  if (!root.Alive()) return;
  TrackPopupMenu(Items()->MenuHandle(), TPM_RIGHTBUTTON | kAlignment[alignment_], x, y, 0,
                 popupList.window.Window, nullptr);
}

// The menus' side of the seam to forms/.

namespace {

class TMenus : public TMenuBridge {
 public:
  bool IsShortCut(TComponent* menu, TMessage& keyMessage) override {
    auto* typed = dynamic_cast<TMenu*>(menu);
    return typed != nullptr && typed->HandleShortCutKey(keyMessage);
  }
  bool AutoPopup(TComponent* popupMenu) override {
    auto* typed = dynamic_cast<TPopupMenu*>(popupMenu);
    return typed != nullptr && typed->AutoPopup();
  }
  void Popup(TComponent* popupMenu, TControl* popupComponent, int x, int y) override {
    auto* typed = dynamic_cast<TPopupMenu*>(popupMenu);
    if (typed == nullptr) return;
    typed->SetPopupComponent(popupComponent);
    typed->ShowAt(x, y);
  }
  bool IsMainMenu(TComponent* component) override {
    return dynamic_cast<TMainMenu*>(component) != nullptr;
  }
  HMENU MenuHandle(TComponent* mainMenu) override { return Typed(mainMenu)->MenuHandle(); }
  void SetWindowHandle(TComponent* mainMenu, HWND window) override {
    Typed(mainMenu)->AttachWindow(window);
  }
  HWND WindowHandle(TComponent* mainMenu) override { return Typed(mainMenu)->WindowHandle(); }
  bool DispatchCommand(TComponent* mainMenu, WORD command) override {
    return Typed(mainMenu)->ExecuteCommand(command);
  }
  bool DispatchPopup(TComponent* mainMenu, HMENU menu) override {
    return Typed(mainMenu)->PreparePopup(menu);
  }
  bool SelectedItemHint(TComponent* mainMenu, WORD item, WORD flags, HMENU menu,
                        std::string& hint) override {
    TMenuItem* found = SelectedItem(Typed(mainMenu), item, flags, menu);
    if (found == nullptr) return false;
    hint = found->Hint();
    return true;
  }

 private:
  static TMenu* Typed(TComponent* menu) { return static_cast<TMenu*>(menu); }
};

TMenus menus;

struct BridgeRegistration {
  BridgeRegistration() { SetMenuBridge(&menus); }
} registration;

}  // namespace
