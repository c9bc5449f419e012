// Object window procedures: the platform calls a window procedure with four arguments
// and no object, so every windowed control (and the application) gets a small
// executable stub that supplies its object. Stubs are carved from executable blocks
// that are never released; freed stubs go back on one program-wide free list, so
// creating and destroying windows costs no allocation after the first block. The
// layout and the byte sequences are written down in docs/forms.md.
#pragma once
#include <cstddef>

#include "classes/rtti.h"
#include "platform/win32.h"

// What a stub calls: the bound object and the message record built from the platform's
// arguments (the window handle is not passed on). The record's result goes back to the
// platform.
using TObjectWndProcMethod = void (*)(TObject* object, TMessage& message);

// A window procedure that calls method(object, record). Raises EOutOfResources when no
// executable block can be had.
WNDPROC MakeObjectWndProc(TObjectWndProcMethod method, TObject* object);
// Returns a stub to the free list; nullptr is ignored.
void FreeObjectWndProc(WNDPROC procedure);

// A hidden top-level window of the framework's utility window class, "TPUtilWindow"
// (registered with the platform's default procedure on first use, and again when it is
// found registered with another procedure), whose messages go to method(object, record)
// through an object window procedure. It is never shown. The drag capture, timers and
// the pop-up menu list each own one. Raises EOutOfResources when the class or the window
// cannot be made.
struct TUtilityWindow {
  HWND Window = nullptr;
  WNDPROC Procedure = nullptr;
};
TUtilityWindow AllocateUtilityWindow(TObjectWndProcMethod method, TObject* object, DWORD style = 0,
                                     DWORD exStyle = 0);
// Destroys the window and frees its procedure; both fields become null.
void DeallocateUtilityWindow(TUtilityWindow& window);

// Counts for tests and benchmarks: blocks allocated so far, stubs per block, stubs in use.
struct TObjectWndProcStats {
  std::size_t Blocks;
  std::size_t StubsPerBlock;
  std::size_t InUse;
};
TObjectWndProcStats ObjectWndProcStats();
