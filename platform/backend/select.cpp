// Choosing the backend: the TD_BACKEND setting, else sdl when a display is reachable.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "backend/backend.h"
#include "user/state.h"

namespace platform::backend {
namespace {

std::unique_ptr<Backend>& Slot() {
  static auto* slot = new std::unique_ptr<Backend>();
  return *slot;
}

std::once_flag& Once() {
  static std::once_flag once;
  return once;
}

std::unique_ptr<Backend> Choose() {
  const char* setting = std::getenv("TD_BACKEND");
  bool displayReachable = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  bool wantSdl = setting ? std::strcmp(setting, "sdl") == 0 : displayReachable;
  if (wantSdl) {
    POINT size = user::Global().screenSize;
    if (auto sdl = CreateSdl(size.x, size.y)) return sdl;
  }
  return CreateHeadless();
}

}  // namespace

Backend& Current() {
  std::call_once(Once(), [] {
    if (!Slot()) Slot() = Choose();
  });
  return *Slot();
}

void Use(std::unique_ptr<Backend> backend) {
  std::call_once(Once(), [] {});
  Slot() = std::move(backend);
}

}  // namespace platform::backend
