// "COMBOBOX".
#include "controls/listbox.h"

namespace platform::controls {

void ComboListNotify(HWND, WORD) {}
void ComboPopupPressOutside(HWND, POINT) {}

}  // namespace platform::controls
