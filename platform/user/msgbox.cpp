// Message boxes and the beep.
#include "platform/messagebox.h"

// The platform has no sound of its own for alerts; the beep is accepted and silent.
BOOL MessageBeep(UINT type) {
  (void)type;
  return TRUE;
}
