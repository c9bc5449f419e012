#include "settings/settings.h"

#include <cstdlib>

namespace platform::settings {
namespace {

struct Entry {
  Setting setting;
  const char* variable;
};

constexpr Entry kSettings[] = {
    {Setting::kBackend, "TD_BACKEND"}, {Setting::kScreen, "TD_SCREEN"},
    {Setting::kAudio, "TD_AUDIO"},     {Setting::kSoundFont, "TD_SOUNDFONT"},
    {Setting::kDrives, "TD_DRIVES"},   {Setting::kFontDir, "TD_FONT_DIR"},
    {Setting::kScript, "TD_SCRIPT"},   {Setting::kDesktop, "TD_DESKTOP"},
    {Setting::kScale, "TD_SCALE"},     {Setting::kMixer, "TD_MIXER"},
};

bool Present(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

const char* VariableName(Setting setting) {
  for (const Entry& e : kSettings)
    if (e.setting == setting) return e.variable;
  return "";
}

std::optional<std::string> Read(Setting setting) {
  const char* value = std::getenv(VariableName(setting));
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

bool DisplayReachable() { return Present("DISPLAY") || Present("WAYLAND_DISPLAY"); }

std::optional<std::string> RuntimeFolder() {
  if (!Present("XDG_RUNTIME_DIR")) return std::nullopt;
  return std::string(std::getenv("XDG_RUNTIME_DIR"));
}

}  // namespace platform::settings
