// The window classes of the built-in controls: registered once, kept across sessions, found
// from any module and copied by programs that superclass them (GetClassInfoA).
#include "controls/classes.h"

#include "controls/common.h"

namespace platform::controls {
namespace {

void Register(const char* name, WNDPROC procedure, UINT style, LPCSTR cursor) {
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.cbWndExtra = sizeof(void*);
  wc.hCursor = LoadCursorA(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterSystemClass(wc);
}

}  // namespace

void RegisterBuiltInClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  Register(WC_BUTTONA, ButtonProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW,
           IDC_ARROW);
  Register(WC_STATICA, StaticProcedure, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW);
  Register(WC_EDITA, EditProcedure, CS_DBLCLKS | CS_PARENTDC, IDC_IBEAM);
  Register(WC_LISTBOXA, ListBoxProcedure, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW);
  Register(WC_COMBOBOXA, ComboBoxProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW,
           IDC_ARROW);
  Register("ComboLBox", ListBoxProcedure, CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW);
  Register(WC_SCROLLBARA, ScrollBarProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW,
           IDC_ARROW);
}

void RegisterCommonControlClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  Register(TRACKBAR_CLASSA, TrackBarProcedure, 0, IDC_ARROW);
}

}  // namespace platform::controls

using namespace platform::controls;

void InitCommonControls() { RegisterCommonControlClasses(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RegisterCommonControlClasses();
  return TRUE;
}
