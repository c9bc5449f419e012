// The platform's settings: a few environment variables, read here and nowhere else, as a
// system's control panel would hold them (the program itself reads no settings). Each one
// is read when it is needed, so a test may change it between uses.
//
// Adding a setting: one enumerator below, one row in kSettings (settings.cpp), one row in
// the README's settings table.
#pragma once
#include <optional>
#include <string>

#include "private.h"

namespace platform::settings {

enum class Setting {
  kBackend,    // TD_BACKEND: "sdl" or "headless"
  kScreen,     // TD_SCREEN: the virtual screen's size, "WxH"
  kAudio,      // TD_AUDIO: "sdl", "null" or "wav:PATH"
  kSoundFont,  // TD_SOUNDFONT: the General MIDI SoundFont's path
  kDrives,     // TD_DRIVES: the drive table
  kFontDir,    // TD_FONT_DIR: a folder searched first for the font files
  kScript,     // TD_SCRIPT: an automation script to play into the program (script/)
  kDesktop,    // TD_DESKTOP: "native" (a host window per top-level window) or "virtual"
  kScale,      // TD_SCALE: how many host pixels show one of ours, 1 to 4
  kMixer,      // TD_MIXER: the file holding the volumes every process of the user shares
};

// The setting's text; nothing when the variable is missing or empty.
std::optional<std::string> Read(Setting setting);
// The environment variable behind a setting ("TD_SCREEN").
const char* VariableName(Setting setting);

// Whether the host has a display the sdl backend may open (DISPLAY or WAYLAND_DISPLAY).
bool DisplayReachable();

// The user's runtime folder (XDG_RUNTIME_DIR); nothing when the variable is missing or empty.
std::optional<std::string> RuntimeFolder();

}  // namespace platform::settings
