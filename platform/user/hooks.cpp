// Hooks: chains of procedures per hook type, newest first, behind handles that are refused
// once unhooked. The queue runs the message, keyboard and mouse hooks on each message it
// hands out with removal.
#include "user/hooks.h"

#include <array>
#include <vector>

#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {
namespace {

constexpr int kFirstType = WH_MSGFILTER;
constexpr int kLastType = 14;  // WH_MOUSE_LL
constexpr std::uint32_t kGenerationMask = 0x7FFF;

struct Hook {
  int type = 0;
  HOOKPROC procedure = nullptr;
  std::uint32_t generation = 0;  // zero while the slot is free
  std::uint32_t lastGeneration = 0;
};

struct Hooks {
  std::vector<Hook> slots{1};  // index 0 is never used
  std::vector<std::uint32_t> free;
  std::array<std::vector<HHOOK>, kLastType - kFirstType + 1> chains;  // newest first
  int installed = 0;
};

Hooks& TheHooks() {
  static auto* hooks = new Hooks();
  return *hooks;
}

Hook* Find(HHOOK handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  std::uint32_t index = value & 0xFFFF, generation = static_cast<std::uint32_t>(value >> 16);
  Hooks& hooks = TheHooks();
  if (value > 0xFFFFFFFFu || index == 0 || index >= hooks.slots.size()) return nullptr;
  Hook& hook = hooks.slots[index];
  return hook.generation != 0 && hook.generation == generation ? &hook : nullptr;
}

std::vector<HHOOK>& ChainOf(int type) { return TheHooks().chains[type - kFirstType]; }

// Calls the hooks of `type` from position `from` of its chain: the first live one answers.
LRESULT CallFrom(int type, std::size_t from, int code, WPARAM wParam, LPARAM lParam) {
  std::vector<HHOOK>& chain = ChainOf(type);
  if (from >= chain.size()) return 0;
  HHOOK handle = chain[from];
  Hook* hook = Find(handle);
  return hook ? hook->procedure(code, wParam, lParam) : 0;
}

bool IsKeyMessage(UINT m) {
  return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP;
}

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
         (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

}  // namespace

bool PassMessageHooks(MSG* msg) {
  if (TheHooks().installed == 0) return true;
  if (IsKeyMessage(msg->message) && !ChainOf(WH_KEYBOARD).empty() &&
      CallFrom(WH_KEYBOARD, 0, HC_ACTION, msg->wParam, msg->lParam))
    return false;
  if (IsMouseMessage(msg->message) && !ChainOf(WH_MOUSE).empty()) {
    bool client = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    MOUSEHOOKSTRUCT info{msg->pt, msg->hwnd,
                         client ? static_cast<UINT>(HTCLIENT) : static_cast<UINT>(msg->wParam), 0};
    if (CallFrom(WH_MOUSE, 0, HC_ACTION, msg->message, reinterpret_cast<LPARAM>(&info)))
      return false;
  }
  if (!ChainOf(WH_GETMESSAGE).empty())
    CallFrom(WH_GETMESSAGE, 0, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(msg));
  return true;
}

void ResetHooks() { *&TheHooks() = Hooks(); }

}  // namespace platform::user

using namespace platform::user;

HHOOK SetWindowsHookExA(int hookType, HOOKPROC procedure, HINSTANCE instance, DWORD threadId) {
  (void)instance;
  if (!procedure || hookType < kFirstType || hookType > kLastType) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Only this thread's messages pass through the queue that runs hooks.
  if (threadId != 0 && threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return nullptr;
  }
  Hooks& hooks = TheHooks();
  std::uint32_t index;
  if (!hooks.free.empty()) {
    index = hooks.free.back();
    hooks.free.pop_back();
  } else if (hooks.slots.size() < 0xFFFF) {
    index = static_cast<std::uint32_t>(hooks.slots.size());
    hooks.slots.emplace_back();
  } else {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Hook& hook = hooks.slots[index];
  hook.type = hookType;
  hook.procedure = procedure;
  hook.generation = (hook.lastGeneration % kGenerationMask) + 1;
  hook.lastGeneration = hook.generation;
  auto handle =
      reinterpret_cast<HHOOK>(static_cast<std::uintptr_t>((hook.generation << 16) | index));
  std::vector<HHOOK>& chain = ChainOf(hookType);
  chain.insert(chain.begin(), handle);
  hooks.installed++;
  return handle;
}

BOOL UnhookWindowsHookEx(HHOOK handle) {
  Hook* hook = Find(handle);
  if (!hook) {
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
  }
  std::erase(ChainOf(hook->type), handle);
  hook->generation = 0;
  hook->procedure = nullptr;
  Hooks& hooks = TheHooks();
  hooks.free.push_back(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF));
  hooks.installed--;
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK handle, int code, WPARAM wParam, LPARAM lParam) {
  Hook* hook = Find(handle);
  if (!hook) return 0;  // unhooked while it ran: the rest of its chain is not reachable
  std::vector<HHOOK>& chain = ChainOf(hook->type);
  for (std::size_t i = 0; i < chain.size(); ++i)
    if (chain[i] == handle) return CallFrom(hook->type, i + 1, code, wParam, lParam);
  return 0;
}
