// The window handle table and the window manager's start-up.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <deque>

#include "backend/backend.h"
#include "controls/classes.h"
#include "gdi/objects.h"
#include "gdi/screen.h"
#include "platform/kernel.h"
#include "user/input.h"
#include "user/native.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

// A handle is (generation << 16) | index. Index 0 is never used, and generations start at
// 1, so no handle collides with null, HWND_BOTTOM or the small negative pseudo-handles.
constexpr std::uint32_t kSlots = 0x10000;
constexpr std::uint32_t kGenerationMask = 0x7FFF;

struct Slot {
  std::atomic<std::uint32_t> generation{0};  // zero while free
  Window* window = nullptr;
  std::uint32_t lastGeneration = 0;
};

struct Table {
  Slot slots[kSlots];
  std::deque<std::uint32_t> freeIndices;  // reused oldest first, so stale handles stay stale long
  std::uint32_t nextIndex = 1;
};

Table& Handles() {
  static auto* table = new Table();  // lives to the end of the process
  return *table;
}

std::uint32_t Encode(std::uint32_t index, std::uint32_t generation) {
  return (generation << 16) | index;
}

Slot* SlotOf(HWND handle, std::uint32_t* generationOut) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value > 0xFFFFFFFFu) return nullptr;
  std::uint32_t index = value & 0xFFFF;
  std::uint32_t generation = static_cast<std::uint32_t>(value >> 16);
  if (index == 0 || generation == 0) return nullptr;
  *generationOut = generation;
  return &Handles().slots[index];
}

}  // namespace

std::atomic<bool>& StartedFlag() {
  static std::atomic<bool> started{false};
  return started;
}

State& Global() {
  static auto* state = new State();
  return *state;
}

HWND AllocateHandle(Window* window) {
  Table& table = Handles();
  std::uint32_t index;
  if (!table.freeIndices.empty() && (table.nextIndex >= kSlots || table.freeIndices.size() > 256)) {
    index = table.freeIndices.front();
    table.freeIndices.pop_front();
  } else if (table.nextIndex < kSlots) {
    index = table.nextIndex++;
  } else {
    return nullptr;
  }
  Slot& slot = table.slots[index];
  std::uint32_t generation = (slot.lastGeneration % kGenerationMask) + 1;
  slot.lastGeneration = generation;
  slot.window = window;
  slot.generation.store(generation, std::memory_order_release);
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(Encode(index, generation)));
}

void FreeHandle(HWND handle) {
  std::uint32_t generation = 0;
  Slot* slot = SlotOf(handle, &generation);
  if (!slot || slot->generation.load(std::memory_order_acquire) != generation) return;
  slot->generation.store(0, std::memory_order_release);
  slot->window = nullptr;
  Handles().freeIndices.push_back(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF));
}

Window* LookupQuiet(HWND handle) {
  std::uint32_t generation = 0;
  Slot* slot = SlotOf(handle, &generation);
  if (!slot || slot->generation.load(std::memory_order_relaxed) != generation) return nullptr;
  return slot->window;
}

Window* Lookup(HWND handle) {
  Window* w = LookupQuiet(handle);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

bool HandleIsLive(HWND handle) {
  std::uint32_t generation = 0;
  Slot* slot = SlotOf(handle, &generation);
  return slot && slot->generation.load(std::memory_order_acquire) == generation;
}

DWORD CurrentThreadId() {
  // Zero-initialised, so reading it needs no per-thread initialiser on the hot path.
  thread_local DWORD id = 0;
  if (!id) id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}

namespace {

COLORREF SystemColour(int index) { return GetSysColor(index); }

}  // namespace

void EnsureStarted() {
  State& state = Global();
  if (state.desktop) return;
  state.guiThread = CurrentThreadId();
  state.screenSize = gdi::ScreenSetting();
  gdi::SetSystemColourSource(SystemColour);
  gdi::SetWindowTargetSource(FollowWindow);
  gdi::SetScreenPreparer(ComposeScreen);
  RegisterDesktopClass();
  auto* desktop = new Window();
  desktop->handle = AllocateHandle(desktop);
  desktop->windowClass = FindClass(MAKEINTATOM(32769), nullptr);
  desktop->windowClass->windows++;
  desktop->procedure = desktop->windowClass->procedure;
  desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  desktop->rect = RECT{0, 0, state.screenSize.x, state.screenSize.y};
  desktop->client = desktop->rect;
  desktop->threadId = state.guiThread;
  state.desktop = desktop;
  InstallHostInput();
  StartedFlag().store(true);
  controls::RegisterBuiltInClasses();
  // The backend is chosen now, before the program sets a timer or stamps a message: a
  // scripted run switches to its virtual clock here, and anything timed earlier would
  // stand on real time.
  backend::Current();
  // The native desktop is the host's work area.
  AdoptDesktopSize();
}

bool Started() { return StartedFlag().load(); }

}  // namespace platform::user

using namespace platform::user;

// Here, beside the handle table, so that the lookup is inlined into the hottest call.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == HWND_BROADCAST) {
    EnsureStarted();
    std::vector<HWND> targets;
    for (Window* w : Global().desktop->children) targets.push_back(w->handle);
    for (HWND h : targets)
      if (Window* w = LookupQuiet(h)) Send(w, message, wParam, lParam);
    return 0;
  }
  Window* w = Lookup(window);
  if (!w) return 0;
  if (w->threadId != CurrentThreadId()) {
    // Windows belong to the GUI thread; other threads post.
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return w->procedure(window, message, wParam, lParam);
}
