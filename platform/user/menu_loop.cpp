// The menu loop: a modal loop that tracks a menu bar, the system menu or a pop-up menu by
// mouse (press-drag-release or click-click) and keyboard (arrows, Enter, Esc, mnemonics),
// shows each open menu in a pop-up window of the class "#32768", and tells the owner
// window what happens: WM_ENTERMENULOOP, WM_INITMENU, WM_MENUSELECT, WM_INITMENUPOPUP,
// WM_MENUCHAR, then the closing WM_MENUSELECT (0xFFFF), WM_EXITMENULOOP and the chosen
// item's WM_COMMAND or WM_SYSCOMMAND, posted.
#include <algorithm>
#include <cctype>

#include "platform/kernel.h"
#include "platform/messagebox.h"
#include "user/menus.h"
#include "user/nonclient.h"

namespace platform::user {
namespace {

constexpr int kNone = -1;
constexpr int kPopupOverlap = 3;  // a cascading pop-up covers its parent's frame
const LPCSTR kMenuClass = MAKEINTATOM(32768);

LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void EnsureMenuClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = MenuWindowProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kMenuClass;
  registered = RegisterSystemClass(wc) != 0;
}

struct Level {
  HMENU menu;
  HWND window = nullptr;  // the pop-up window; none for a menu bar
  int selected = kNone;
};

enum class Kind { Bar, System, Popup };

class Tracker;
Tracker* current = nullptr;

class Tracker {
 public:
  Tracker(HWND owner, Kind kind, UINT flags) : owner_(owner), kind_(kind), flags_(flags) {
    notify_ = !(flags & TPM_NONOTIFY);
  }

  // How the loop starts.
  void StartWithBarItem(int index) { start_ = Start::BarItem, startIndex_ = index; }
  void StartWithFirstBarItem() { start_ = Start::FirstBarItem; }
  void StartWithMnemonic(char c) { start_ = Start::Mnemonic, startChar_ = c; }
  void StartPopupAt(HMENU menu, POINT at, UINT align, bool selectFirst) {
    start_ = Start::Popup;
    levels_ = {Level{menu}};
    popupAt_ = at;
    align_ = align;
    selectFirst_ = selectFirst;
  }
  void SetBar(HMENU bar) { levels_ = {Level{bar}}; }

  UINT Run();
  void End() { end_ = true; }
  void Nudge() const {
    if (captureWindow_) PostMessageA(captureWindow_, WM_NULL, 0, 0);
  }

 private:
  enum class Start { BarItem, FirstBarItem, Mnemonic, Popup };

  Menu* MenuAt(int level) const {
    return level >= 0 && level < Levels() ? LookupMenuQuiet(levels_[level].menu) : nullptr;
  }
  int Levels() const { return static_cast<int>(levels_.size()); }
  int Top() const { return Levels() - 1; }
  bool IsBar(int level) const { return kind_ == Kind::Bar && level == 0; }
  MenuItem* ItemAt(int level, int index) const {
    Menu* m = MenuAt(level);
    if (!m || index < 0 || index >= static_cast<int>(m->items.size())) return nullptr;
    return &m->items[static_cast<std::size_t>(index)];
  }
  MenuItem* Selected(int level) const {
    return level < Levels() ? ItemAt(level, levels_[level].selected) : nullptr;
  }

  LRESULT Tell(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = SendMessageA(owner_, message, wParam, lParam);
    Validate();
    return result;
  }

  void Validate();
  void RedrawItem(int level, int index);
  void Select(int level, int index);
  void AnnounceSelection(int level, int index);
  bool Open(int level);
  // `below`: the bar item a drop-down opens from; `beside`: the pop-up a cascade opens from.
  HWND ShowPopup(Menu* menu, POINT at, UINT align, const RECT* below, const RECT* beside);
  void CloseFrom(int level);
  void SelectFirst(int level);
  void Step(int level, int direction);
  void Execute(int level, int index);
  bool Locate(POINT screen, int* level, int* index);
  void MouseMove(POINT screen, bool buttonDown);
  void ButtonDown(POINT screen);
  void ButtonUp(POINT screen);
  bool KeyDown(UINT key);
  void Character(char c);
  void Finish();

  HWND owner_;
  Kind kind_;
  UINT flags_;
  bool notify_ = true;
  std::vector<Level> levels_;
  HWND captureWindow_ = nullptr;
  Start start_ = Start::Popup;
  int startIndex_ = kNone;
  char startChar_ = 0;
  POINT popupAt_{0, 0};
  UINT align_ = 0;
  bool selectFirst_ = false;
  bool byMouse_ = false;
  bool selectSent_ = false;
  bool looped_ = false;
  bool end_ = false;
  bool executed_ = false;
  UINT command_ = 0;
  LPARAM commandPoint_ = 0;
};

void Tracker::Validate() {
  if (!IsWindow(owner_) || (captureWindow_ && GetCapture() != captureWindow_)) end_ = true;
  if (!levels_.empty() && IsBar(0) && GetMenu(owner_) != levels_[0].menu) end_ = true;
  for (int level = 0; level < Levels(); ++level) {
    Menu* m = MenuAt(level);
    if (!m || (levels_[level].window && !IsWindow(levels_[level].window))) {
      if (level == 0) {
        end_ = true;
        levels_.clear();
      } else {
        CloseFrom(level);
      }
      return;
    }
    Level& l = levels_[level];
    if (l.selected >= static_cast<int>(m->items.size())) l.selected = kNone;
    if (MenuItem* item = ItemAt(level, l.selected)) item->state |= MFS_HILITE;
    if (level + 1 < Levels() &&
        (!Selected(level) || Selected(level)->subMenu != levels_[level + 1].menu)) {
      CloseFrom(level + 1);
      return;
    }
  }
}

void Tracker::RedrawItem(int level, int index) {
  if (IsBar(level)) {
    RedrawMenuBar(owner_);
  } else if (MenuItem* item = ItemAt(level, index)) {
    InvalidateRect(levels_[level].window, &item->rect, TRUE);
  }
}

void Tracker::AnnounceSelection(int level, int index) {
  MenuItem* item = ItemAt(level, index);
  Menu* m = MenuAt(level);
  if (!item || !m || !notify_) return;
  UINT flags = item->type | item->state | (item->subMenu ? MF_POPUP : 0) |
               (kind_ == Kind::System && level == 0 ? MF_SYSMENU : 0) |
               (byMouse_ ? MF_MOUSESELECT : 0);
  UINT low = item->subMenu ? static_cast<UINT>(index) : item->id;
  selectSent_ = true;
  Tell(WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(low), static_cast<WORD>(flags)),
       reinterpret_cast<LPARAM>(m->handle));
}

void Tracker::Select(int level, int index) {
  if (level >= Levels()) return;
  Level& l = levels_[level];
  if (l.selected == index) return;
  CloseFrom(level + 1);
  if (MenuItem* old = ItemAt(level, l.selected)) {
    old->state &= ~MFS_HILITE;
    RedrawItem(level, l.selected);
  }
  l.selected = ItemAt(level, index) ? index : kNone;
  if (MenuItem* item = ItemAt(level, l.selected)) {
    item->state |= MFS_HILITE;
    RedrawItem(level, l.selected);
    AnnounceSelection(level, l.selected);
  } else if (level > 0 && levels_[level - 1].selected != kNone) {
    // Nothing highlighted here any more: the item that opened this pop-up is current.
    AnnounceSelection(level - 1, levels_[level - 1].selected);
  }
}

bool Tracker::Open(int level) {
  if (level >= Levels()) return false;
  int index = levels_[level].selected;
  MenuItem* item = ItemAt(level, index);
  if (!item || !item->subMenu || item->Inactive()) return false;
  HMENU sub = item->subMenu;
  if (level + 1 < Levels() && levels_[level + 1].menu == sub) return true;
  CloseFrom(level + 1);
  if (notify_) {
    bool system = kind_ == Kind::System && level == 0;
    Tell(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
         MAKELPARAM(static_cast<WORD>(index), system ? TRUE : FALSE));
    if (end_ || level >= Levels() || levels_[level].selected != index) return false;
  }
  Menu* subMenu = LookupMenuQuiet(sub);
  item = ItemAt(level, index);
  if (!subMenu || !item || item->subMenu != sub || subMenu->shownIn) return false;
  HWND window;
  if (IsBar(level)) {
    RECT below;
    GetMenuItemRect(owner_, levels_[level].menu, static_cast<UINT>(index), &below);
    window = ShowPopup(subMenu, POINT{below.left, below.bottom}, 0, &below, nullptr);
  } else {
    RECT beside;
    GetWindowRect(levels_[level].window, &beside);
    POINT at{beside.left + item->rect.right, beside.top + item->rect.top - kPopupOverlap};
    window = ShowPopup(subMenu, at, 0, nullptr, &beside);
  }
  if (!window) return false;
  levels_.push_back(Level{sub, window});
  return true;
}

HWND Tracker::ShowPopup(Menu* menu, POINT at, UINT align, const RECT* below, const RECT* beside) {
  EnsureMenuClass();
  LayoutPopup(menu);
  int width = menu->popupSize.cx, height = menu->popupSize.cy;
  POINT screen = Global().screenSize;
  int x = at.x, y = at.y;
  if (align & TPM_CENTERALIGN) x -= width / 2;
  if (align & TPM_RIGHTALIGN) x -= width;
  if (align & TPM_VCENTERALIGN) y -= height / 2;
  if (align & TPM_BOTTOMALIGN) y -= height;
  // What does not fit opens on the other side: left of the parent pop-up, above the bar.
  if (x + width > screen.x) x = beside ? beside->left - width + kPopupOverlap : screen.x - width;
  if (y + height > screen.y)
    y = below && below->top - height >= 0 ? below->top - height : screen.y - height;
  x = std::max(0, x);
  y = std::max(0, y);
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMenuClass, "",
                                WS_POPUP | WS_CLIPSIBLINGS, x, y, width, height, owner_, nullptr,
                                nullptr, nullptr);
  if (!window) return nullptr;
  SetWindowLongA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(menu->handle));
  menu->shownIn = window;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

void Tracker::CloseFrom(int level) {
  level = std::max(level, 0);
  while (Levels() > level) {
    Level l = levels_.back();
    levels_.pop_back();
    if (Menu* m = LookupMenuQuiet(l.menu)) {
      if (MenuItem* item = l.selected >= 0 && l.selected < static_cast<int>(m->items.size())
                               ? &m->items[static_cast<std::size_t>(l.selected)]
                               : nullptr)
        item->state &= ~MFS_HILITE;
      if (m->shownIn == l.window) m->shownIn = nullptr;
    }
    if (l.window)
      DestroyWindow(l.window);
    else if (kind_ == Kind::Bar)
      RedrawMenuBar(owner_);
  }
}

void Tracker::SelectFirst(int level) {
  if (level < Levels() && levels_[level].selected == kNone) Step(level, 1);
}

void Tracker::Step(int level, int direction) {
  Menu* m = MenuAt(level);
  if (!m || m->items.empty()) return;
  int count = static_cast<int>(m->items.size());
  int at = levels_[level].selected;
  if (at == kNone) at = direction > 0 ? -1 : count;
  for (int tries = 0; tries < count; ++tries) {
    at = ((at + direction) % count + count) % count;
    if (m->items[static_cast<std::size_t>(at)].Selectable()) {
      byMouse_ = false;
      Select(level, at);
      return;
    }
  }
}

void Tracker::Execute(int level, int index) {
  MenuItem* item = ItemAt(level, index);
  if (!item || item->subMenu || item->Separator() || item->Inactive()) return;
  executed_ = true;
  command_ = item->id;
  if (byMouse_) {
    POINT p;
    GetCursorPos(&p);
    commandPoint_ = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
  }
  end_ = true;
}

bool Tracker::Locate(POINT screen, int* level, int* index) {
  for (int l = Top(); l >= 0; --l) {
    HWND window = levels_[l].window;
    if (!window) continue;
    RECT r;
    if (!GetWindowRect(window, &r) || !Contains(r, screen)) continue;
    *level = l;
    *index = kNone;
    Menu* m = MenuAt(l);
    POINT p{screen.x - r.left, screen.y - r.top};
    for (std::size_t i = 0; m && i < m->items.size(); ++i)
      if (Contains(m->items[i].rect, p)) *index = static_cast<int>(i);
    return true;
  }
  if (kind_ == Kind::Bar) {
    if (Window* w = LookupQuiet(owner_)) {
      int item = BarItemAt(w, screen);
      if (item != kNone) {
        *level = 0;
        *index = item;
        return true;
      }
    }
  }
  return false;
}

void Tracker::MouseMove(POINT screen, bool buttonDown) {
  int level, index;
  if (!Locate(screen, &level, &index)) {
    // Off every menu: the innermost pop-up keeps no highlight.
    if (Levels() > 0 && levels_[Top()].window) Select(Top(), kNone);
    return;
  }
  MenuItem* item = ItemAt(level, index);
  if (IsBar(level)) {
    if (!item || !item->Selectable() || index == levels_[0].selected) return;
    if (Levels() > 1 || buttonDown) {
      byMouse_ = true;
      Select(0, index);
      Open(0);
    }
    return;
  }
  if (!item || !item->Selectable()) {
    if (level == Top()) Select(level, kNone);
    return;
  }
  byMouse_ = true;
  Select(level, index);
  if (item->subMenu) Open(level);
}

void Tracker::ButtonDown(POINT screen) {
  int level, index;
  if (!Locate(screen, &level, &index)) {
    end_ = true;  // a press outside every menu closes them
    return;
  }
  MenuItem* item = ItemAt(level, index);
  if (!item || !item->Selectable()) return;
  byMouse_ = true;
  if (IsBar(level) && index == levels_[0].selected && Levels() > 1) {
    end_ = true;  // a press on the open bar item closes its menu again
    return;
  }
  Select(level, index);
  if (item->subMenu) Open(level);
}

void Tracker::ButtonUp(POINT screen) {
  int level, index;
  if (!Locate(screen, &level, &index)) return;
  MenuItem* item = ItemAt(level, index);
  if (!item || item->subMenu || index != levels_[level].selected) return;
  byMouse_ = true;
  Execute(level, index);  // a disabled item does nothing, and the menu stays open
}

bool Tracker::KeyDown(UINT key) {
  int top = Top();
  if (top < 0) return true;
  MenuItem* selected = Selected(top);
  byMouse_ = false;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
      if (IsBar(top)) {
        if (Open(0)) SelectFirst(1);
      } else {
        Step(top, key == VK_DOWN ? 1 : -1);
      }
      return true;
    case VK_LEFT:
    case VK_RIGHT: {
      bool right = key == VK_RIGHT;
      if (right && selected && selected->subMenu && !IsBar(top)) {
        if (Open(top)) SelectFirst(top + 1);
        return true;
      }
      if (!right && top >= 1 && !(top == 1 && kind_ == Kind::Bar)) {
        CloseFrom(top);
        return true;
      }
      if (kind_ == Kind::Bar) {
        bool open = Levels() > 1;
        Step(0, right ? 1 : -1);
        if (open && Open(0)) SelectFirst(1);
      }
      return true;
    }
    case VK_RETURN:
      if (!selected) return true;
      if (selected->subMenu) {
        if (Open(top)) SelectFirst(top + 1);
      } else {
        Execute(top, levels_[top].selected);
      }
      return true;
    case VK_ESCAPE:
      if (Levels() > 1)
        CloseFrom(top);
      else
        end_ = true;
      return true;
    case VK_MENU:
    case VK_F10:
      end_ = true;
      return true;
    default:
      return false;
  }
}

// The mnemonic of a caption: the character after a single '&', in lower case.
char Mnemonic(const std::string& text) {
  std::string caption = CaptionPart(text);
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&')
      return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
    ++i;
  }
  return 0;
}

void Tracker::Character(char c) {
  int level = Top();
  Menu* m = MenuAt(level);
  if (!m || static_cast<unsigned char>(c) < ' ') return;
  char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::vector<int> matches;
  for (std::size_t i = 0; i < m->items.size(); ++i)
    if (!m->items[i].Separator() && Mnemonic(m->items[i].text) == wanted)
      matches.push_back(static_cast<int>(i));
  byMouse_ = false;
  if (matches.empty()) {
    LRESULT answer = 0;
    if (notify_) {
      WORD flags = static_cast<WORD>((IsBar(level) ? 0 : MF_POPUP) |
                                     (kind_ == Kind::System && level == 0 ? MF_SYSMENU : 0));
      answer = Tell(WM_MENUCHAR, MAKEWPARAM(static_cast<BYTE>(c), flags),
                    reinterpret_cast<LPARAM>(m->handle));
    }
    int index = LOWORD(static_cast<ULONG_PTR>(answer));
    switch (HIWORD(static_cast<ULONG_PTR>(answer))) {
      case MNC_CLOSE:
        end_ = true;
        break;
      case MNC_EXECUTE:
        Select(level, index);
        Execute(level, index);
        break;
      case MNC_SELECT:
        Select(level, index);
        break;
      default:
        MessageBeep(0);
        break;
    }
    return;
  }
  if (matches.size() > 1) {
    // Several items share the letter: each press moves to the next of them.
    auto next = std::upper_bound(matches.begin(), matches.end(), levels_[level].selected);
    Select(level, next == matches.end() ? matches.front() : *next);
    return;
  }
  Select(level, matches.front());
  MenuItem* item = ItemAt(level, matches.front());
  if (item && item->subMenu) {
    if (Open(level)) SelectFirst(level + 1);
  } else {
    Execute(level, matches.front());
  }
}

UINT Tracker::Run() {
  Tracker* outer = current;
  current = this;
  BeginModalLoop();
  if (notify_) Tell(WM_ENTERMENULOOP, kind_ == Kind::Popup ? TRUE : FALSE, 0);
  EnsureMenuClass();
  captureWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kMenuClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, nullptr, nullptr);
  if (captureWindow_) SetCapture(captureWindow_);
  if (notify_ && !end_ && !levels_.empty())
    Tell(WM_INITMENU, reinterpret_cast<WPARAM>(levels_[0].menu), 0);
  if (!end_ && !levels_.empty()) {
    switch (start_) {
      case Start::BarItem:
        byMouse_ = true;
        Select(0, startIndex_);
        Open(0);
        break;
      case Start::FirstBarItem:
        SelectFirst(0);
        break;
      case Start::Mnemonic:
        Character(startChar_);
        if (!selectSent_) end_ = true;  // no item has that letter
        break;
      case Start::Popup: {
        Menu* m = MenuAt(0);
        if (notify_ && m)
          Tell(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(levels_[0].menu),
               MAKELPARAM(0, kind_ == Kind::System ? TRUE : FALSE));
        if (!end_ && (m = MenuAt(0)) &&
            (levels_[0].window = ShowPopup(m, popupAt_, align_, nullptr, nullptr))) {
          if (selectFirst_) SelectFirst(0);
        } else {
          end_ = true;
        }
        break;
      }
    }
  }
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (!end_) {
    Validate();
    if (end_) break;
    looped_ = true;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    UINT m = msg.message;
    if ((m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) ||
        (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK)) {
      if (m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE)
        MouseMove(msg.pt, GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0);
      else if (m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_NCLBUTTONUP || m == WM_NCRBUTTONUP)
        ButtonUp(msg.pt);
      else if (m != WM_MBUTTONDOWN && m != WM_MBUTTONUP && m != WM_MBUTTONDBLCLK)
        ButtonDown(msg.pt);
      continue;
    }
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      if (!KeyDown(static_cast<UINT>(msg.wParam))) TranslateMessage(&msg);
      continue;
    }
    if (m == WM_CHAR || m == WM_SYSCHAR) {
      Character(static_cast<char>(msg.wParam));
      continue;
    }
    if (m == WM_KEYUP || m == WM_SYSKEYUP) continue;
    DispatchMessageA(&msg);
  }
  Finish();
  current = outer;
  if (quit) PostQuitMessage(quitCode);
  return executed_ ? command_ : 0;
}

void Tracker::Finish() {
  if (Levels() > 0) {
    if (IsBar(0)) {
      CloseFrom(1);
      Select(0, kNone);
    } else {
      CloseFrom(0);
    }
  }
  levels_.clear();
  if (notify_ && IsWindow(owner_) && (looped_ || selectSent_))
    SendMessageA(owner_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  HWND capture = captureWindow_;
  captureWindow_ = nullptr;
  if (GetCapture() == capture) ReleaseCapture();
  if (capture) DestroyWindow(capture);
  if (notify_ && IsWindow(owner_)) SendMessageA(owner_, WM_EXITMENULOOP, kind_ == Kind::Popup, 0);
  if (executed_ && !(flags_ & TPM_RETURNCMD) && IsWindow(owner_)) {
    if (kind_ == Kind::System)
      PostMessageA(owner_, WM_SYSCOMMAND, command_, commandPoint_);
    else
      PostMessageA(owner_, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command_), 0), 0);
  }
}

LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      Menu* menu = LookupMenuQuiet(reinterpret_cast<HMENU>(GetWindowLongA(window, GWLP_USERDATA)));
      if (dc && menu) {
        RECT client;
        GetClientRect(window, &client);
        DrawPopup(menu, dc, client);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CANCELMODE:
      if (current) current->End();
      return 0;
    case 0x01E1:  // MN_GETHMENU
      return GetWindowLongA(window, GWLP_USERDATA);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

Window* OwnerWithMenus(HWND window) {
  Window* w = LookupQuiet(window);
  return w ? TopLevelOf(w) : nullptr;
}

}  // namespace

bool MenuLoopActive() { return current != nullptr; }

void NudgeMenuLoop() {
  if (current) current->Nudge();
}

void TrackMenuBarByMouse(HWND window, POINT screen) {
  Window* w = OwnerWithMenus(window);
  if (!w || !HasMenuBar(w)) return;
  int index = BarItemAt(w, screen);
  HMENU bar = GetMenu(w->handle);
  Menu* m = LookupMenuQuiet(bar);
  if (index == kNone || !m || !m->items[static_cast<std::size_t>(index)].Selectable()) return;
  Tracker tracker(w->handle, Kind::Bar, 0);
  tracker.SetBar(bar);
  tracker.StartWithBarItem(index);
  tracker.Run();
}

void TrackMenuBarByKey(HWND window, char character) {
  Window* w = OwnerWithMenus(window);
  if (!w) return;
  if (character == ' ') {
    TrackSystemMenu(w->handle, POINT{0, 0}, true);
    return;
  }
  HMENU bar = HasMenuBar(w) ? GetMenu(w->handle) : nullptr;
  if (!bar || GetMenuItemCount(bar) <= 0) {
    if (character) MessageBeep(0);
    return;
  }
  Tracker tracker(w->handle, Kind::Bar, 0);
  tracker.SetBar(bar);
  if (character)
    tracker.StartWithMnemonic(character);
  else
    tracker.StartWithFirstBarItem();
  tracker.Run();
}

void TrackSystemMenu(HWND window, POINT screen, bool byKey) {
  Window* w = OwnerWithMenus(window);
  if (!w) return;
  HWND handle = w->handle;
  HMENU menu = GetSystemMenu(handle, FALSE);
  if (!menu) return;
  UpdateSystemMenu(w, menu);
  if (byKey) {
    // Below the caption's icon, as a press on the icon opens it.
    RECT in = NonClientInsets(w->style, w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false,
                              false);
    POINT origin = WindowOriginOnScreen(w);
    screen = POINT{origin.x + in.left, origin.y + in.top};
  }
  Tracker tracker(handle, Kind::System, 0);
  tracker.StartPopupAt(menu, screen, 0, byKey);
  tracker.Run();
}

}  // namespace platform::user

using namespace platform::user;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window, LPTPMPARAMS params) {
  (void)params;
  if (!LookupMenu(menu) || !Lookup(window)) return FALSE;
  if (current && !(flags & TPM_RECURSE)) {
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  Menu* m = LookupMenuQuiet(menu);
  if (m->shownIn) {
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  Tracker tracker(window, Kind::Popup, flags);
  tracker.StartPopupAt(
      menu, POINT{x, y},
      flags & (TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN), false);
  UINT chosen = tracker.Run();
  return (flags & TPM_RETURNCMD) ? static_cast<BOOL>(chosen) : TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND window,
                    const RECT* rect) {
  (void)reserved;
  (void)rect;
  return TrackPopupMenuEx(menu, flags, x, y, window, nullptr);
}

BOOL EndMenu() {
  if (current) {
    current->End();
    current->Nudge();
  }
  return TRUE;
}
