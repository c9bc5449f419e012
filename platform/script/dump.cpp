// The state of the program as one JSON document, for scripts to check: the clock, the
// current directory, every window in creation order (with its menu bar and, for list boxes,
// combo boxes and track bars, what they show) and every open MCI device. The controls are
// read through their own messages, and recognised by the state their procedure keeps with
// the window, so that a window of a class that reaches a built-in control's procedure
// (a superclass, as the framework's controls are) is read as that control.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "controls/button.h"
#include "controls/common.h"
#include "mci/driver.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/win32.h"
#include "script/script.h"
#include "user/state.h"

namespace platform::script {
namespace {

// JSON strings hold UTF-8; bytes that are not are shown as U+FFFD.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      const char* named = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : nullptr;
      if (named) {
        out += named;
      } else {
        char escaped[8];
        std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
        out += escaped;
      }
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      int length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
      bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
      for (int k = 1; valid && k < length; ++k)
        valid = (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
      if (valid && length == 3) {
        unsigned second = static_cast<unsigned char>(text[i + 1]);
        valid = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second >= 0xA0);
      }
      if (valid && length == 4) {
        unsigned second = static_cast<unsigned char>(text[i + 1]);
        valid = !(c == 0xF0 && second < 0x90) && !(c == 0xF4 && second >= 0x90);
      }
      if (valid) {
        out.append(text, i, static_cast<std::size_t>(length));
        i += static_cast<std::size_t>(length);
      } else {
        out += "\xEF\xBF\xBD";
        ++i;
      }
    }
  }
  return out + "\"";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Number(long long value) { return std::to_string(value); }

std::string Handle(HWND window) {
  return Number(static_cast<long long>(reinterpret_cast<std::uintptr_t>(window)));
}

std::string Rect(const RECT& r) {
  return "[" + Number(r.left) + ", " + Number(r.top) + ", " + Number(r.right) + ", " +
         Number(r.bottom) + "]";
}

template <class F>
std::string List(int count, F item) {
  std::string out = "[";
  for (int i = 0; i < count; ++i) out += (i ? ", " : "") + item(i);
  return out + "]";
}

std::string MenuItems(HMENU menu, int depth) {
  int count = GetMenuItemCount(menu);
  if (count <= 0 || depth > 16) return "[]";
  return List(count, [menu, depth](int i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);  // the text's length
    std::string text(info.cch + 1, '\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    text.resize(info.cch);
    std::size_t tab = text.find('\t');
    std::string caption = (info.fType & MFT_SEPARATOR) ? "-" : text.substr(0, tab);
    std::string shortcut = tab == std::string::npos ? "" : text.substr(tab + 1);
    return "{\"text\": " + Quote(caption) + ", \"id\": " + Number(info.wID) +
           ", \"checked\": " + Bool(info.fState & MFS_CHECKED) +
           ", \"enabled\": " + Bool(!(info.fState & (MF_GRAYED | MF_DISABLED))) +
           ", \"shortcut text\": " + Quote(shortcut) +
           ", \"items\": " + (info.hSubMenu ? MenuItems(info.hSubMenu, depth + 1) : "[]") + "}";
  });
}

std::string Text(HWND window, UINT lengthMessage, UINT textMessage, int index) {
  LRESULT length = SendMessageA(window, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(window, textMessage, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

// The built-in control the window is, if any.
std::optional<controls::Kind> ControlKind(HWND w) {
  std::shared_ptr<controls::Extension>* slot = controls::ControlSlot(w);
  if (!slot || !*slot) return std::nullopt;
  return static_cast<controls::Control*>(slot->get())->kind;
}

std::string ControlFields(HWND w) {
  std::optional<controls::Kind> kind = ControlKind(w);
  if (!kind) return "";
  auto call = [w](UINT message, WPARAM wParam = 0) {
    return static_cast<long long>(SendMessageA(w, message, wParam, 0));
  };
  // Owner-drawn items without strings have no text to show.
  auto style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
  if (*kind == controls::Kind::ListBox) {
    bool texts =
        !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
    int count = static_cast<int>(std::max<long long>(0, call(LB_GETCOUNT)));
    std::string selected = "[";
    for (int i = 0, n = 0; i < count; ++i)
      if (call(LB_GETSEL, static_cast<WPARAM>(i)) > 0) selected += (n++ ? ", " : "") + Number(i);
    return ", \"items\": " +
           List(count,
                [w, texts](int i) {
                  return Quote(texts ? Text(w, LB_GETTEXTLEN, LB_GETTEXT, i) : "");
                }) +
           ", \"selected\": " + selected + "], \"top\": " + Number(call(LB_GETTOPINDEX));
  }
  if (*kind == controls::Kind::ComboBox) {
    bool texts =
        !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
    int count = static_cast<int>(std::max<long long>(0, call(CB_GETCOUNT)));
    return ", \"items\": " +
           List(count,
                [w, texts](int i) {
                  return Quote(texts ? Text(w, CB_GETLBTEXTLEN, CB_GETLBTEXT, i) : "");
                }) +
           ", \"selected\": " + Number(call(CB_GETCURSEL)) +
           ", \"dropped\": " + Bool(call(CB_GETDROPPEDSTATE) != 0);
  }
  if (*kind == controls::Kind::Button) {
    controls::ButtonType type = controls::TypeOfButton(style);
    if (type != controls::ButtonType::CheckBox && type != controls::ButtonType::Radio) return "";
    return ", \"check\": " + Number(call(BM_GETCHECK));
  }
  if (*kind == controls::Kind::TrackBar) {
    return ", \"min\": " + Number(call(TBM_GETRANGEMIN)) +
           ", \"max\": " + Number(call(TBM_GETRANGEMAX)) +
           ", \"pos\": " + Number(call(TBM_GETPOS)) +
           ", \"selStart\": " + Number(call(TBM_GETSELSTART)) +
           ", \"selEnd\": " + Number(call(TBM_GETSELEND));
  }
  return "";
}

// A scroll bar the window shows: [min, max, page, pos].
std::string ScrollFields(HWND w) {
  auto style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
  std::string out;
  for (auto [bar, flag, name] :
       {std::tuple{SB_VERT, WS_VSCROLL, "vscroll"}, std::tuple{SB_HORZ, WS_HSCROLL, "hscroll"}}) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!(style & static_cast<DWORD>(flag)) || !GetScrollInfo(w, bar, &info)) continue;
    out += std::string(", \"") + name + "\": [" + Number(info.nMin) + ", " + Number(info.nMax) +
           ", " + Number(info.nPage) + ", " + Number(info.nPos) + "]";
  }
  return out;
}

std::string WindowEntry(HWND w) {
  char className[256] = {};
  GetClassNameA(w, className, sizeof(className));
  std::string text(static_cast<std::size_t>(std::max(0, GetWindowTextLengthA(w))) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      std::max(0, GetWindowTextA(w, text.data(), static_cast<int>(text.size())))));
  RECT rect{}, client{};
  GetWindowRect(w, &rect);
  GetClientRect(w, &client);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  client = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  bool child = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) != 0;
  HMENU menu = child ? nullptr : GetMenu(w);
  return "{\"handle\": " + Handle(w) + ", \"parent\": " + Handle(child ? GetParent(w) : nullptr) +
         ", \"owner\": " + Handle(GetWindow(w, GW_OWNER)) + ", \"class\": " + Quote(className) +
         ", \"text\": " + Quote(text) + ", \"rect\": " + Rect(rect) +
         ", \"client\": " + Rect(client) + ", \"visible\": " + Bool(IsWindowVisible(w)) +
         ", \"enabled\": " + Bool(IsWindowEnabled(w)) + ", \"focused\": " + Bool(GetFocus() == w) +
         ", \"active\": " + Bool(GetActiveWindow() == w) +
         ", \"menu\": " + (menu ? MenuItems(menu, 0) : "[]") + ControlFields(w) + ScrollFields(w) +
         "}";
}

void Collect(const user::Window* parent, std::vector<const user::Window*>& out) {
  for (const user::Window* c : parent->children) {
    out.push_back(c);
    Collect(c, out);
  }
}

const char* ModeName(DWORD_PTR mode) {
  switch (mode) {
    case MCI_MODE_NOT_READY:
      return "not ready";
    case MCI_MODE_STOP:
      return "stopped";
    case MCI_MODE_PLAY:
      return "playing";
    case MCI_MODE_RECORD:
      return "recording";
    case MCI_MODE_SEEK:
      return "seeking";
    case MCI_MODE_PAUSE:
      return "paused";
    case MCI_MODE_OPEN:
      return "open";
    default:
      return "unknown";
  }
}

DWORD_PTR Status(MCIDEVICEID id, DWORD item) {
  MCI_STATUS_PARMS status{};
  status.dwItem = item;
  return mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status))
             ? 0
             : status.dwReturn;
}

std::string DeviceEntry(const mci::OpenDeviceSummary& device) {
  // Position and length in milliseconds, whatever time format the program chose.
  DWORD_PTR format = Status(device.id, MCI_STATUS_TIME_FORMAT);
  auto setFormat = [&device](DWORD_PTR to) {
    MCI_SET_PARMS set{};
    set.dwTimeFormat = static_cast<DWORD>(to);
    mciSendCommandA(device.id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
  };
  if (format != MCI_FORMAT_MILLISECONDS) setFormat(MCI_FORMAT_MILLISECONDS);
  DWORD_PTR position = Status(device.id, MCI_STATUS_POSITION);
  DWORD_PTR length = Status(device.id, MCI_STATUS_LENGTH);
  if (format != MCI_FORMAT_MILLISECONDS) setFormat(format);
  return "{\"id\": " + Number(device.id) + ", \"type\": " + Quote(device.type) +
         ", \"element\": " + Quote(device.element) +
         ", \"mode\": " + Quote(ModeName(Status(device.id, MCI_STATUS_MODE))) +
         ", \"position\": " + Number(static_cast<long long>(position)) +
         ", \"length\": " + Number(static_cast<long long>(length)) + "}";
}

}  // namespace

std::string Dump() {
  char directory[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof(directory), directory);
  std::vector<const user::Window*> windows;
  if (user::Global().desktop) Collect(user::Global().desktop, windows);
  std::sort(windows.begin(), windows.end(), [](const user::Window* a, const user::Window* b) {
    return a->creationOrder < b->creationOrder;
  });
  std::vector<HWND> handles;
  for (const user::Window* w : windows) handles.push_back(w->handle);
  std::string out = "{\"clock\": " + Number(static_cast<long long>(ClockMilliseconds())) +
                    ", \"cwd\": " + Quote(directory) + ", \"windows\": [";
  bool first = true;
  for (HWND h : handles) {
    if (!IsWindow(h)) continue;  // reading one window may have closed another
    out += std::string(first ? "\n" : ",\n") + "  " + WindowEntry(h);
    first = false;
  }
  out += first ? "], \"mci\": [" : "\n], \"mci\": [";
  std::vector<mci::OpenDeviceSummary> devices = mci::OpenDevices();
  for (std::size_t i = 0; i < devices.size(); ++i)
    out += std::string(i ? ",\n" : "\n") + "  " + DeviceEntry(devices[i]);
  out += devices.empty() ? "]}\n" : "\n]}\n";
  return out;
}

}  // namespace platform::script
