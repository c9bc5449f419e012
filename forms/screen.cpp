// TScreen: the forms, the active form and control, the cursors, the fonts and the
// screen's density; the global component lookup the form reader uses.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "classes/lists.h"
#include "classes/reader.h"
#include "forms/form.h"
#include "runtime/text.h"

TScreen* Screen = nullptr;

namespace {

// The cursor table by id, from -20 up to -2: system cursor ids, or the program's own
// cursor resources (marked kProgram).
constexpr int kProgram = 0x10000;
constexpr int kCursorIds[19] = {32651,
                                32650,
                                32648,
                                32762 | kProgram,
                                32763 | kProgram,
                                32764 | kProgram,
                                32765 | kProgram,
                                32767 | kProgram,
                                32766 | kProgram,
                                32514,
                                32516,
                                32644,
                                32642,
                                32645,
                                32643,
                                32512,
                                32513,
                                32515,
                                32512};

TComponent* FindGlobalComponent(const std::string& name) {
  if (Screen == nullptr) return nullptr;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (SameAsciiNoCase(Screen->Forms(i)->Name(), name)) return Screen->Forms(i);
  for (int i = 0; i < Screen->DataModuleCount(); ++i)
    if (SameAsciiNoCase(Screen->DataModules(i)->Name(), name)) return Screen->DataModules(i);
  return nullptr;
}

int CALLBACK_CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
  reinterpret_cast<TStringList*>(data)->Add(font->lfFaceName);
  return 1;
}

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TScreen)

TScreen::TScreen(TComponent* owner) : TComponent(owner) {
  defaultCursor_ = LoadCursorA(nullptr, IDC_ARROW);
  LoadCursors();
  LoadKeyboardLayouts();
  HDC dc = GetDC(nullptr);
  pixelsPerInch_ = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  if (pixelsPerInch_ <= 0) pixelsPerInch_ = 96;
}

TScreen::~TScreen() {
  for (auto& [id, cursor] : cursors_)
    if ((id < -11 || id > 0) && cursor != nullptr) DestroyCursor(cursor);
}

void TScreen::LoadCursors() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  for (int i = 0; i < 19; ++i) {
    int id = kCursorIds[i];
    HCURSOR cursor = (id & kProgram) != 0 ? LoadCursorA(module, MAKEINTRESOURCEA(id & 0xFFFF))
                                          : LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
    cursors_.insert(cursors_.begin(), {-20 + i, cursor});
  }
}

namespace {

// The name the registry gives a keyboard layout by its eight hex digits; empty when it has
// none.
std::string LayoutName(const char* id) {
  char key[80];
  std::snprintf(key, sizeof key, "System\\CurrentControlSet\\Control\\Keyboard Layouts\\%.8s", id);
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return {};
  char name[256] = {};
  DWORD size = sizeof name;
  const bool read = RegQueryValueExA(handle, "layout text", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return read ? std::string(name, strnlen(name, sizeof name)) : std::string();
}

}  // namespace

// The input methods among the installed layouts, sorted by name, and the name of the
// current layout.
void TScreen::LoadKeyboardLayouts() {
  HKL layouts[64] = {};
  const int count = GetKeyboardLayoutList(64, layouts);
  imeNames_.clear();
  for (int i = 0; i < count && i < 64; ++i) {
    if (!ImmIsIME(layouts[i])) continue;
    char id[16];
    std::snprintf(id, sizeof id, "%.8x",
                  static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(layouts[i])));
    imeNames_.push_back(LayoutName(id));
  }
  std::sort(imeNames_.begin(), imeNames_.end(), [](const std::string& a, const std::string& b) {
    return CompareLocaleNoCase(a, b) < 0;
  });
  // The active layout by the name the platform gives it ("00000409").
  char active[KL_NAMELENGTH] = {};
  defaultIme_ = GetKeyboardLayoutNameA(active) ? LayoutName(active) : std::string();
}

HCURSOR TScreen::Cursors(int id) const {
  if (id == crNone) return nullptr;
  for (const auto& [key, cursor] : cursors_)
    if (key == id) return cursor;
  return defaultCursor_;
}

void TScreen::SetCursors(int id, HCURSOR cursor) {
  if (id == crDefault) {
    defaultCursor_ = cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    return;
  }
  for (auto it = cursors_.begin(); it != cursors_.end(); ++it) {
    if (it->first == id) {
      if ((id < -11 || id > 0) && it->second != nullptr) DestroyCursor(it->second);
      cursors_.erase(it);
      break;
    }
  }
  if (cursor != nullptr) cursors_.insert(cursors_.begin(), {id, cursor});
}

void TScreen::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  if (value == crDefault) {
    POINT point{};
    GetCursorPos(&point);
    HWND window = WindowFromPoint(point);
    if (window != nullptr && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
      SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
    }
  } else {
    ::SetCursor(Cursors(value));
  }
}

TStringList* TScreen::Fonts() {
  if (!fonts_) {
    fonts_ = std::make_unique<TStringList>();
    fonts_->SetSorted(true);
    fonts_->SetDuplicates(IgnoreDuplicates);
    HDC dc = GetDC(nullptr);
    LOGFONTA filter{};
    filter.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &filter, &CALLBACK_CollectFont, reinterpret_cast<LPARAM>(fonts_.get()),
                        0);
    ReleaseDC(nullptr, dc);
  }
  return fonts_.get();
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (activeForm_ == form) {
    activeForm_ = nullptr;
    activeControl_ = nullptr;
  }
  if (focusedForm_ == form) focusedForm_ = nullptr;
}

void TScreen::AddDataModule(TComponent* module) { dataModules_.push_back(module); }

void TScreen::RemoveDataModule(TComponent* module) {
  dataModules_.erase(std::remove(dataModules_.begin(), dataModules_.end(), module),
                     dataModules_.end());
}

void TScreen::SetActive(TForm* form, TWinControl* control) {
  activeControl_ = control;
  activeForm_ = form;
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it != forms_.end() && it != forms_.begin()) {
    forms_.erase(it);
    forms_.insert(forms_.begin(), form);
  }
  if (focusedForm_ != form) {
    TForm* previous = focusedForm_;
    focusedForm_ = form;
    ::Deliver(previous, FM_DEACTIVATE);
    ::Deliver(form, FM_ACTIVATE);
  }
}

void forms_detail::ForgetScreenControl(TControl* control) {
  if (Screen == nullptr) return;
  if (Screen->activeControl_ == control) Screen->activeControl_ = nullptr;
  if (Screen->activeForm_ == control) Screen->activeForm_ = nullptr;
  if (Screen->focusedForm_ == control) Screen->focusedForm_ = nullptr;
  for (TForm* form : Screen->forms_) {
    if (form->activeControl_ == control) form->activeControl_ = nullptr;
    if (form->focusedControl_ == control) form->focusedControl_ = nullptr;
  }
}

void InitializeScreen() {
  if (Screen != nullptr) return;
  Screen = new TScreen(nullptr);
  SetFindGlobalComponent(&FindGlobalComponent);
}

void FinalizeScreen() {
  delete Screen;
  Screen = nullptr;
  SetFindGlobalComponent(nullptr);
}
