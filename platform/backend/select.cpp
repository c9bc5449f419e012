// Choosing the backend (a script when TD_SCRIPT names one, else the TD_BACKEND setting, else
// sdl when a display is reachable) and its desktop (TD_DESKTOP: the sdl backend shows native
// windows unless it says virtual), and the sink that receives host input.
#include <mutex>
#include <optional>
#include <string>

#include "backend/backend.h"
#include "gdi/screen.h"
#include "settings/settings.h"

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

class DroppingSink final : public InputSink {
 public:
  void MouseMove(POINT) override {}
  void MouseButton(backend::MouseButton, bool, POINT) override {}
  void MouseWheel(int) override {}
  void Key(UINT, bool, std::string_view) override {}
  void Text(std::string_view) override {}
  void Exposed() override {}
  void CloseRequested() override {}
  void HostRestored() override {}
  HostHit HitTest(std::uintptr_t, POINT) override { return HostHit::Client; }
  void HostMoved(std::uintptr_t, RECT) override {}
  void HostFocus(std::uintptr_t) override {}
  void HostMinimized(std::uintptr_t, bool) override {}
  void HostClose(std::uintptr_t) override {}
};

InputSink* installedSink = nullptr;

std::unique_ptr<Backend> Choose() {
  if (std::optional<std::string> script = settings::Read(settings::Setting::kScript))
    return CreateScripted(*script);
  std::optional<std::string> setting = settings::Read(settings::Setting::kBackend);
  bool wantSdl = setting ? *setting == "sdl" : settings::DisplayReachable();
  if (wantSdl) {
    std::optional<std::string> desktop = settings::Read(settings::Setting::kDesktop);
    Desktop shown = desktop && *desktop == "virtual" ? Desktop::Virtual : Desktop::Native;
    const Surface& screen = gdi::Screen();
    if (auto sdl = CreateSdl(screen.width, screen.height, shown)) return sdl;
  }
  return CreateHeadless();
}

}  // namespace

void SetInputSink(InputSink* sink) { installedSink = sink; }

InputSink& Sink() {
  static DroppingSink dropping;
  return installedSink ? *installedSink : dropping;
}

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
