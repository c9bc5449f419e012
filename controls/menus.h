// Menus: a tree of TMenuItem components under a TMenu (the menu bar of a form,
// TMainMenu, or a pop-up menu, TPopupMenu). The tree is the model; the platform's menu
// objects are built from it when first needed and rebuilt in place when an item changes.
// Every item has a command identifier from a program-wide pool, so that the platform's
// command messages find it. Also here: the keyboard shortcut value, its text, and the
// matching of a key press against a menu's shortcuts.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "classes/component.h"
#include "classes/events.h"
#include "controls/forward.h"
#include "forms/control.h"

class TList;

// A key with its modifiers: the virtual-key code in the low byte, Shift 0x2000, Ctrl
// 0x4000, Alt 0x8000; 0 means none.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

// The text of a shortcut ("F2", "Ctrl+S", "Shift+Alt+Del"); empty when the key has no name.
std::string FormatShortCut(TShortCut value);
// The value of a shortcut text, ignoring case; 0 when the text names no key. Of codes
// with the same text the lowest wins (keypad digits read as the digit keys).
TShortCut ParseShortCut(const std::string& text);
// The shortcut of a key with the shift state's Shift, Ctrl and Alt.
TShortCut ShortCut(WORD key, TShiftState shift);

enum TMenuBreak : std::uint8_t { mbNone, mbBreak, mbBarBreak };
TD_ENUM_TYPE(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak");
enum TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };
TD_ENUM_TYPE(TPopupAlignment, "paLeft", "paRight", "paCenter");
// What FindMenuItem compares.
enum TFindItemKind { ByCommand, ByHandle, ByShortCut };

// One entry of a menu and the sub-menu of its children.
class TMenuItem : public TComponent {
  TD_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  // "-" alone makes a separator; "&" marks the accelerator letter.
  void SetCaption(const std::string& value);
  bool Checked() const { return checked_; }
  // Unchecks the other radio items of the group first; updates the platform menu in
  // place.
  void SetChecked(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  std::uint8_t GroupIndex() const { return groupIndex_; }
  // EMenuError when lower than an earlier sibling's; later siblings are raised to it.
  void SetGroupIndex(std::uint8_t value);
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  std::int32_t HelpContext() const { return helpContext_; }
  void SetHelpContext(std::int32_t value) { helpContext_ = value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  WORD CommandId() const { return command_; }

  // Children.
  int Count() const;
  // EMenuError "Menu index out of range" without children; the list's error for a bad
  // index.
  TMenuItem* ItemAt(int index) const;
  int IndexOf(TMenuItem* item) const;
  // EMenuError "Menu inserted twice" for an item that has a parent.
  void Insert(int index, TMenuItem* item);
  void Add(TMenuItem* item) { Insert(Count(), item); }
  // EMenuError "Menu index out of range".
  void Delete(int index);
  // EMenuError "Sub-menu is not in menu".
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  // Position in the parent; -1 without one.
  int IndexInParent() const;
  void SetIndexInParent(int value);
  // The root item of another menu whose items show among this item's children. A merged
  // root that dies takes its items out first.
  TMenuItem* Merged() const { return merged_; }
  void MergeItems(TMenuItem* menu);
  // The menu whose root this item is; nullptr for other items.
  TMenu* OwningMenu() const { return owningMenu_; }

  // The platform menu of the children, made (and filled) on first use. EMenuError "Out of
  // system resources" when the platform refuses.
  HMENU MenuHandle();
  bool HasMenuHandle() const { return handle_ != nullptr; }

  // Raises OnClick when enabled.
  virtual void Click();
  // Tells whoever holds the item that it changed; rebuild asks for the platform menu
  // that shows it to be filled again.
  virtual void NotifyChanged(bool rebuild);

  // Reading descriptions.
  void DeclareStoredData(TFiler& filer) override;
  void EnumChildren(const std::function<void(TComponent*)>& visitor) override;
  void SetChildPosition(TComponent* child, int order) override;
  void AttachToParent(TComponent* parent) override;
  TComponent* StoredParent() override;
  bool IsStoredInParent() override { return true; }

  TNotifyEvent OnClick;

 private:
  friend class TMenu;
  using TChangeHandler = TEvent<TMenuItem*, bool>;

  void ChildChanged(TMenuItem* sender, bool rebuild);
  void AppendToMenu(HMENU menu);
  void FillMenuHandle();
  void RebuildMenuHandle();
  void ClearMenuHandles();
  void CheckGroupIndex(int position, std::uint8_t value);
  void ReadShortCutText(TFiler& reader);
  void DetachChild(int index);

  std::string caption_;
  HMENU handle_ = nullptr;
  bool checked_ = false;
  bool enabled_ = true;
  bool default_ = false;
  bool radioItem_ = false;
  bool visible_ = true;
  std::uint8_t groupIndex_ = 0;
  TMenuBreak break_ = mbNone;
  WORD command_ = 0;
  std::int32_t helpContext_ = 0;
  std::string hint_;
  std::unique_ptr<TList> items_;
  TShortCut shortCut_ = 0;
  TMenuItem* parent_ = nullptr;
  TMenuItem* merged_ = nullptr;
  TMenu* owningMenu_ = nullptr;
  TChangeHandler onChange_;
};

// A menu: the root item and the window it is attached to.
class TMenu : public TComponent {
  TD_CLASS(TMenu, TComponent)

 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  TMenuItem* Items() const { return items_; }
  // The root item's platform menu, made on first use.
  virtual HMENU MenuHandle();
  HWND WindowHandle() const { return window_; }
  // Records the window that shows the menu (0 detaches) and refreshes the menu image.
  void AttachWindow(HWND window);

  // The first item of the menu (merged items first, by group, each depth first) whose
  // command identifier, sub-menu handle or shortcut is value.
  TMenuItem* FindMenuItem(UINT_PTR value, TFindItemKind kind);
  // A sub-menu handle as the value.
  template <class H>
  requires std::is_pointer_v<H> TMenuItem* FindMenuItem(H menu, TFindItemKind kind = ByHandle) {
    return FindMenuItem(reinterpret_cast<UINT_PTR>(menu), kind);
  }
  // Clicks the item with the command identifier; false when there is none.
  bool ExecuteCommand(WORD command);
  // Clicks the item whose sub-menu is about to open; false when there is none.
  bool PreparePopup(HMENU menu);
  // Is the key-down record (key code, key data) one of the menu's shortcuts? Clicks the
  // item through its parents when they are enabled; true when an item was found even if
  // disabled, so that the key is taken.
  bool HandleShortCutKey(TMessage& keyMessage);
  // The help context of the item found by command (or by sub-menu handle), from the item
  // up through its parents; 0 when none has one.
  std::int32_t HelpContextOf(UINT_PTR value, bool byCommand);
  template <class H>
  requires std::is_pointer_v<H> std::int32_t HelpContextOf(H menu, bool byCommand) {
    return HelpContextOf(reinterpret_cast<UINT_PTR>(menu), byCommand);
  }

  void EnumChildren(const std::function<void(TComponent*)>& visitor) override;
  void SetChildPosition(TComponent* child, int order) override;

 protected:
  // Hears every change of the root item's children; nothing here.
  virtual void ItemsChanged(TMenuItem* sender, bool rebuild);
  const std::string& MenuImage() const { return image_; }
  // Records the window without refreshing the image.
  void SetOwnerWindow(HWND window) { window_ = window; }
  // Rebuilds the text image of the top-level entries; true when it differs from the
  // stored one (which it then replaces).
  bool RefreshImage();

 private:
  void RootChanged(TMenuItem* sender, bool rebuild);

  TMenuItem* items_;
  HWND window_ = nullptr;
  std::string image_;
  bool hasImage_ = false;
};

// The menu bar of a form.
class TMainMenu : public TMenu {
  TD_CLASS(TMainMenu, TMenu)

 public:
  explicit TMainMenu(TComponent* owner);

  bool AutoMerge() const { return autoMerge_; }
  void SetAutoMerge(bool value);
  // Shows menu's items in this menu's bar (nullptr takes them out).
  void Merge(TMainMenu* menu);
  // Takes menu's items out when menu is the one merged.
  void Unmerge(TMainMenu* menu);
  // The bar changed: refreshes the image and asks the window to redraw its bar.
  void BarChanged();

 protected:
  void ItemsChanged(TMenuItem* sender, bool rebuild) override;

 private:
  bool autoMerge_ = false;
};

// A menu shown at a point of the screen, by a control's right click or by the program.
class TPopupMenu : public TMenu {
  TD_CLASS(TPopupMenu, TMenu)

 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  std::int32_t HelpContext() const { return Items()->HelpContext(); }
  void SetHelpContext(std::int32_t value) { Items()->SetHelpContext(value); }
  // The component the menu was last shown for.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* component);
  // Raises OnPopup, then shows the menu with its top-left (or its Alignment's) corner at
  // the screen point and tracks it until the user chooses or cancels.
  virtual void ShowAt(int x, int y);

  void ComponentNotice(TComponent* component, TOperation operation) override;

  TNotifyEvent OnPopup;

 private:
  void RootClick(TObject* sender);

  TPopupAlignment alignment_ = paLeft;
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};

// The window that receives the commands of the pop-up menus while they show; nullptr
// while no pop-up menu exists.
HWND PopupListWindow();

// Command identifiers in use and the size of the pool's bit set (for tests).
int MenuCommandsInUse();
int MenuCommandPoolSize();
