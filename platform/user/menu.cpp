// Menu handles and their items: creating, changing, querying and destroying them.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/kernel.h"
#include "user/menus.h"

namespace platform::user {
namespace {

// A handle is (generation << 16) | index, as for windows; a destroyed menu's slot gets a
// new generation, so its old handle is refused.
constexpr std::uint32_t kGenerationMask = 0x7FFF;
// Sub-menus nest at most this deep; deeper chains are refused when they are built.
constexpr int kMaxDepth = 64;

struct Slot {
  std::uint32_t generation = 0;  // zero while free
  std::uint32_t lastGeneration = 0;
  std::unique_ptr<Menu> menu;
};

struct Table {
  std::vector<Slot> slots{1};  // index 0 is never used
  std::vector<std::uint32_t> free;
};

Table& Menus() {
  static auto* table = new Table();
  return *table;
}

HMENU Allocate() {
  Table& table = Menus();
  std::uint32_t index;
  if (!table.free.empty() && (table.free.size() > 64 || table.slots.size() >= 0xFFFF)) {
    index = table.free.front();
    table.free.erase(table.free.begin());
  } else if (table.slots.size() < 0xFFFF) {
    index = static_cast<std::uint32_t>(table.slots.size());
    table.slots.emplace_back();
  } else {
    return nullptr;
  }
  Slot& slot = table.slots[index];
  slot.generation = (slot.lastGeneration % kGenerationMask) + 1;
  slot.lastGeneration = slot.generation;
  slot.menu = std::make_unique<Menu>();
  auto handle =
      reinterpret_cast<HMENU>(static_cast<std::uintptr_t>((slot.generation << 16) | index));
  slot.menu->handle = handle;
  return handle;
}

Slot* SlotOf(HMENU handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value == 0 || value > 0xFFFFFFFFu) return nullptr;
  std::uint32_t index = value & 0xFFFF, generation = static_cast<std::uint32_t>(value >> 16);
  Table& table = Menus();
  if (index == 0 || index >= table.slots.size()) return nullptr;
  Slot& slot = table.slots[index];
  return slot.generation == generation && generation != 0 ? &slot : nullptr;
}

HMENU Create(bool popup) {
  HMENU handle = Allocate();
  if (!handle) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  LookupMenuQuiet(handle)->popup = popup;
  return handle;
}

bool FindByCommand(HMENU menu, UINT id, int depth, Menu** owner, int* index) {
  Menu* m = LookupMenuQuiet(menu);
  if (!m || depth > kMaxDepth) return false;
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    if (item.subMenu) {
      if (FindByCommand(item.subMenu, id, depth + 1, owner, index)) return true;
    } else if (item.id == id) {
      *owner = m;
      *index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

// Whether `target` is `from` or one of its sub-menus: attaching `from` below `target`
// would make a cycle, which every walk over the tree would follow for ever.
bool Reaches(HMENU from, HMENU target, int depth) {
  if (from == target) return true;
  Menu* m = LookupMenuQuiet(from);
  if (!m || depth > kMaxDepth) return depth > kMaxDepth;
  for (const MenuItem& item : m->items)
    if (item.subMenu && Reaches(item.subMenu, target, depth + 1)) return true;
  return false;
}

bool AcceptableSubMenu(Menu* parent, HMENU sub) {
  if (!sub) return true;
  if (!LookupMenuQuiet(sub) || Reaches(sub, parent->handle, 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// The item the flag-style calls (AppendMenuA, InsertMenuA, ModifyMenuA) describe.
bool ItemFromFlags(Menu* parent, UINT flags, UINT_PTR idNewItem, LPCSTR newItem, MenuItem* out) {
  MenuItem item;
  item.type = flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK |
                       MF_RIGHTJUSTIFY);
  item.state = flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_HILITE);
  if (flags & MF_POPUP) {
    item.subMenu = reinterpret_cast<HMENU>(idNewItem);
    if (!item.subMenu || !AcceptableSubMenu(parent, item.subMenu)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  item.id = static_cast<UINT>(idNewItem);
  if (item.type & MF_BITMAP)
    item.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(newItem));
  else if (item.type & MF_OWNERDRAW)
    item.data = reinterpret_cast<ULONG_PTR>(newItem);
  else if (!(item.type & MF_SEPARATOR) && newItem)
    item.text = newItem;
  *out = std::move(item);
  return true;
}

bool OldLayout(UINT size) { return size == 44 || size == 72; }

bool ValidInfoSize(UINT size) {
  return OldLayout(size) || size == 48 || size == sizeof(MENUITEMINFOA);
}

// The menu exists and the item record is there with a size we know (the error is set
// when not).
template <class Info>
bool UsableInfo(HMENU menu, const Info* info) {
  if (!LookupMenu(menu)) return false;
  if (!info || !ValidInfoSize(info->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Applies the fields of a MENUITEMINFOA that its mask names.
bool ApplyInfo(Menu* parent, MenuItem& item, const MENUITEMINFOA& info) {
  UINT mask = info.fMask;
  if ((mask & MIIM_SUBMENU) && info.hSubMenu != item.subMenu &&
      !AcceptableSubMenu(parent, info.hSubMenu))
    return false;
  if (mask & MIIM_TYPE) {
    item.type = info.fType;
    item.bitmap = nullptr;
    item.text.clear();
    if (info.fType & MFT_BITMAP)
      item.bitmap = reinterpret_cast<HBITMAP>(info.dwTypeData);
    else if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) && info.dwTypeData)
      item.text = info.dwTypeData;
  }
  if (mask & MIIM_FTYPE) item.type = (info.fType & ~MFT_BITMAP) | (item.type & MFT_BITMAP);
  if (mask & MIIM_STRING) item.text = info.dwTypeData ? info.dwTypeData : "";
  if ((mask & MIIM_BITMAP) && !OldLayout(info.cbSize)) item.bitmap = info.hbmpItem;
  if (mask & MIIM_STATE)
    item.state = info.fState & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (mask & MIIM_ID) item.id = info.wID;
  if (mask & MIIM_SUBMENU) item.subMenu = info.hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    item.checkedBitmap = info.hbmpChecked;
    item.uncheckedBitmap = info.hbmpUnchecked;
  }
  if (mask & MIIM_DATA) item.data = info.dwItemData;
  return true;
}

// Where a new item goes: by position (past the end appends), or before the item with
// that command (searching sub-menus).
bool InsertionPoint(HMENU menu, UINT position, bool byPosition, Menu** owner, int* index) {
  if (byPosition) {
    Menu* m = LookupMenu(menu);
    if (!m) return false;
    *owner = m;
    *index = position >= m->items.size() ? static_cast<int>(m->items.size())
                                         : static_cast<int>(position);
    return true;
  }
  return FindMenuItem(menu, position, false, owner, index);
}

void DestroyTree(HMENU handle, int depth) {
  Slot* slot = SlotOf(handle);
  if (!slot || depth > kMaxDepth) return;
  std::unique_ptr<Menu> menu = std::move(slot->menu);
  slot->generation = 0;
  Menus().free.push_back(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF));
  if (Window* w = LookupQuiet(menu->shownIn)) DestroyWindow(w->handle);
  for (const MenuItem& item : menu->items)
    if (item.subMenu) DestroyTree(item.subMenu, depth + 1);
  if (depth == 0) NudgeMenuLoop();
}

// Runs `change` on the item and tells whoever shows the menu. Returns the state before.
template <class F>
DWORD ChangeItem(HMENU menu, UINT item, UINT flags, F change) {
  Menu* owner;
  int index;
  if (!LookupMenu(menu) || !FindMenuItem(menu, item, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return static_cast<DWORD>(-1);
  DWORD before = change(owner->items[static_cast<std::size_t>(index)]);
  MenuContentChanged(owner);
  return before;
}

}  // namespace

Menu* LookupMenuQuiet(HMENU menu) {
  Slot* slot = SlotOf(menu);
  return slot ? slot->menu.get() : nullptr;
}

Menu* LookupMenu(HMENU menu) {
  Menu* m = LookupMenuQuiet(menu);
  if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

bool FindMenuItem(HMENU menu, UINT item, bool byPosition, Menu** owner, int* index) {
  Menu* m = LookupMenu(menu);
  if (!m) return false;
  if (byPosition) {
    if (item < m->items.size()) {
      *owner = m;
      *index = static_cast<int>(item);
      return true;
    }
  } else if (FindByCommand(menu, item, 0, owner, index)) {
    return true;
  }
  SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return false;
}

void MenuContentChanged(Menu* menu) {
  Window* w = LookupQuiet(menu->shownIn);
  if (!w) return;
  HWND h = w->handle;
  LayoutPopup(menu);
  SetWindowPos(h, nullptr, 0, 0, menu->popupSize.cx, menu->popupSize.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(h, nullptr, TRUE);
}

void DestroyMenusOf(Window* w) {
  if (w->systemMenu) DestroyTree(w->systemMenu, 0);
  w->systemMenu = nullptr;
  if (!w->IsChild() && w->id) {
    auto bar = reinterpret_cast<HMENU>(w->id);
    if (Menu* m = LookupMenuQuiet(bar); m && m->barOf == w->handle) DestroyTree(bar, 0);
  }
}

}  // namespace platform::user

using namespace platform::user;

HMENU CreateMenu() { return Create(false); }

HMENU CreatePopupMenu() { return Create(true); }

BOOL DestroyMenu(HMENU menu) {
  if (!LookupMenu(menu)) return FALSE;
  DestroyTree(menu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return LookupMenuQuiet(menu) ? TRUE : FALSE; }

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  Menu* parent = LookupMenu(menu);
  Menu* owner;
  int index;
  if (!parent || !InsertionPoint(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return FALSE;
  MenuItem item;
  if (!ItemFromFlags(owner, flags, idNewItem, newItem, &item)) return FALSE;
  owner->items.insert(owner->items.begin() + index, std::move(item));
  MenuContentChanged(owner);
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  return InsertMenuA(menu, static_cast<UINT>(-1), (flags & ~MF_BYCOMMAND) | MF_BYPOSITION,
                     idNewItem, newItem);
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  Menu* owner;
  int index;
  if (!UsableInfo(menu, info)) return FALSE;
  if (!InsertionPoint(menu, item, byPosition != FALSE, &owner, &index)) return FALSE;
  MenuItem made;
  if (!ApplyInfo(owner, made, *info)) return FALSE;
  owner->items.insert(owner->items.begin() + index, std::move(made));
  MenuContentChanged(owner);
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  Menu* owner;
  int index;
  if (!LookupMenu(menu) ||
      !FindMenuItem(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return FALSE;
  MenuItem item;
  if (!ItemFromFlags(owner, flags, idNewItem, newItem, &item)) return FALSE;
  MenuItem& old = owner->items[static_cast<std::size_t>(index)];
  HMENU oldSub = old.subMenu;
  item.rect = old.rect;
  old = std::move(item);
  // The sub-menu an item no longer opens goes with the old item.
  if (oldSub && oldSub != old.subMenu) DestroyTree(oldSub, 0);
  if (LookupMenuQuiet(owner->handle) == owner) MenuContentChanged(owner);
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  Menu* owner;
  int index;
  if (!UsableInfo(menu, info)) return FALSE;
  if (!FindMenuItem(menu, item, byPosition != FALSE, &owner, &index)) return FALSE;
  MenuItem changed = owner->items[static_cast<std::size_t>(index)];
  if (!ApplyInfo(owner, changed, *info)) return FALSE;
  owner->items[static_cast<std::size_t>(index)] = std::move(changed);
  MenuContentChanged(owner);
  return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
  Menu* owner;
  int index;
  if (!UsableInfo(menu, info)) return FALSE;
  if (!FindMenuItem(menu, item, byPosition != FALSE, &owner, &index)) return FALSE;
  const MenuItem& it = owner->items[static_cast<std::size_t>(index)];
  UINT mask = info->fMask;
  bool textWanted =
      (mask & MIIM_STRING) ||
      ((mask & MIIM_TYPE) && !(it.type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)));
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
  if ((mask & MIIM_TYPE) && (it.type & MFT_BITMAP))
    info->dwTypeData = reinterpret_cast<LPSTR>(it.bitmap);
  if (textWanted) {
    if (info->dwTypeData && info->cch > 0) {
      std::size_t n = std::min<std::size_t>(it.text.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, it.text.data(), n);
      info->dwTypeData[n] = '\0';
      info->cch = static_cast<UINT>(n);
    } else {
      info->cch = static_cast<UINT>(it.text.size());
    }
  }
  if ((mask & MIIM_BITMAP) && !OldLayout(info->cbSize)) info->hbmpItem = it.bitmap;
  if (mask & MIIM_STATE) info->fState = it.state;
  if (mask & MIIM_ID) info->wID = it.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = it.subMenu;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = it.checkedBitmap;
    info->hbmpUnchecked = it.uncheckedBitmap;
  }
  if (mask & MIIM_DATA) info->dwItemData = it.data;
  return TRUE;
}

namespace {

BOOL Take(HMENU menu, UINT position, UINT flags, bool destroySubMenu) {
  Menu* owner;
  int index;
  if (!LookupMenu(menu) ||
      !FindMenuItem(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return FALSE;
  HMENU sub = owner->items[static_cast<std::size_t>(index)].subMenu;
  owner->items.erase(owner->items.begin() + index);
  if (destroySubMenu && sub) DestroyTree(sub, 0);
  if (LookupMenuQuiet(owner->handle) == owner) MenuContentChanged(owner);
  return TRUE;
}

}  // namespace

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Take(menu, position, flags, true); }

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  return Take(menu, position, flags, false);
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = LookupMenu(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = LookupMenu(menu);
  if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size())
    return static_cast<UINT>(-1);
  const MenuItem& item = m->items[static_cast<std::size_t>(position)];
  return item.subMenu ? static_cast<UINT>(-1) : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = LookupMenu(menu);
  if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size()) return nullptr;
  return m->items[static_cast<std::size_t>(position)].subMenu;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  Menu* owner;
  int index;
  if (!LookupMenu(menu) || !FindMenuItem(menu, id, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return static_cast<UINT>(-1);
  const MenuItem& item = owner->items[static_cast<std::size_t>(index)];
  if (Menu* sub = LookupMenuQuiet(item.subMenu))
    return (static_cast<UINT>(sub->items.size()) << 8) | ((item.type | item.state) & 0xFF) |
           MF_POPUP;
  return item.type | item.state;
}

int GetMenuStringA(HMENU menu, UINT id, LPSTR buffer, int maxCount, UINT flags) {
  Menu* owner;
  int index;
  if (!LookupMenu(menu) || !FindMenuItem(menu, id, (flags & MF_BYPOSITION) != 0, &owner, &index))
    return 0;
  const MenuItem& item = owner->items[static_cast<std::size_t>(index)];
  const std::string& text = item.text;
  if (!buffer || maxCount <= 0) return static_cast<int>(text.size());
  std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(maxCount) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
  return ChangeItem(menu, id, check, [check](MenuItem& item) -> DWORD {
    DWORD before = item.state & MF_CHECKED;
    item.state = (item.state & ~MF_CHECKED) | (check & MF_CHECKED);
    return before;
  });
}

BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable) {
  DWORD before = ChangeItem(menu, id, enable, [enable](MenuItem& item) -> DWORD {
    DWORD old = item.state & (MF_GRAYED | MF_DISABLED);
    item.state = (item.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return old;
  });
  // The bar shows the change at once, as a pop-up does.
  if (before != static_cast<DWORD>(-1))
    if (Menu* m = LookupMenuQuiet(menu); m && m->barOf) RedrawMenuBar(m->barOf);
  return static_cast<BOOL>(before);
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  bool byPosition = (flags & MF_BYPOSITION) != 0;
  Menu* owner;
  int firstIndex, lastIndex, checkIndex;
  if (!LookupMenu(menu) || !FindMenuItem(menu, first, byPosition, &owner, &firstIndex))
    return FALSE;
  Menu* sameOwner;
  if (!FindMenuItem(menu, last, byPosition, &sameOwner, &lastIndex) || sameOwner != owner ||
      !FindMenuItem(menu, check, byPosition, &sameOwner, &checkIndex) || sameOwner != owner) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  if (firstIndex > lastIndex) std::swap(firstIndex, lastIndex);
  for (int i = firstIndex; i <= lastIndex; ++i) {
    MenuItem& item = owner->items[static_cast<std::size_t>(i)];
    if (i == checkIndex) {
      item.state |= MF_CHECKED;
      item.type |= MFT_RADIOCHECK;
    } else {
      item.state &= ~MF_CHECKED;
    }
  }
  MenuContentChanged(owner);
  return TRUE;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
  Menu* m = LookupMenu(menu);
  if (!m) return FALSE;
  int chosen = -1;
  if (item != static_cast<UINT>(-1)) {
    for (std::size_t i = 0; i < m->items.size(); ++i)
      if (byPosition ? i == item : (!m->items[i].subMenu && m->items[i].id == item))
        chosen = static_cast<int>(i);
    if (chosen < 0) {
      SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
  }
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    it.state = static_cast<int>(i) == chosen ? (it.state | MFS_DEFAULT) : (it.state & ~MFS_DEFAULT);
  }
  MenuContentChanged(m);
  return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags) {
  (void)flags;
  Menu* m = LookupMenu(menu);
  if (!m) return static_cast<UINT>(-1);
  for (std::size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].state & MFS_DEFAULT) return byPosition ? static_cast<UINT>(i) : m->items[i].id;
  return static_cast<UINT>(-1);
}

BOOL HiliteMenuItem(HWND window, HMENU menu, UINT item, UINT hilite) {
  if (!Lookup(window)) return FALSE;
  DWORD before = ChangeItem(menu, item, hilite, [hilite](MenuItem& it) -> DWORD {
    it.state = (hilite & MF_HILITE) ? (it.state | MFS_HILITE) : (it.state & ~MFS_HILITE);
    return 0;
  });
  if (before == static_cast<DWORD>(-1)) return FALSE;
  if (GetMenu(window) == menu) RedrawMenuBar(window);
  return TRUE;
}

LONG GetMenuCheckMarkDimensions() {
  return MAKELONG(static_cast<WORD>(GetSystemMetrics(SM_CXMENUCHECK)),
                  static_cast<WORD>(GetSystemMetrics(SM_CYMENUCHECK)));
}
