// Runs the real player executable under an automation script, the way outside acceptance
// tests do: a drive C: over a scratch folder with the songs a test writes, the player started
// in C:\songs, the virtual clock, the null audio sink, and the dumps read back as JSON.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/json.h"
#include "tests/platform/mci/midi_builder.h"

namespace e2e {

namespace fs = std::filesystem;
using testmedia::Bytes;

struct Outcome {
  int status = -1;
  std::string err;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A format-0 song of `milliseconds` at 120 beats a minute: one held note.
inline Bytes Song(int milliseconds, int key = 60) {
  testmedia::Track track;
  auto ticks = static_cast<std::uint32_t>(milliseconds * 960 / 1000);
  track.NoteOn(0, 0, key).NoteOff(ticks, 0, key).End(0);
  return testmedia::Smf(0, 480, {track});
}

// A short PCM wave file (22,050 Hz, 16-bit mono) of `milliseconds` of silence.
inline Bytes Wave(int milliseconds) {
  std::uint32_t data = static_cast<std::uint32_t>(22050 * milliseconds / 1000 * 2);
  Bytes out = {'R', 'I', 'F', 'F'};
  auto le = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  le(36 + data, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  le(16, 4), le(1, 2), le(1, 2), le(22050, 4), le(44100, 4), le(2, 2), le(16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  le(data, 4);
  out.resize(out.size() + data, 0);
  return out;
}

class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() {
    static int counter = 0;
    root_ = fs::temp_directory_path() /
            ("tunedeck-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(Songs());
    fs::create_directories(Out());
  }
  ~PlayerTest() override {
    std::error_code error;
    fs::remove_all(root_, error);
  }

  // C:\ on the host; the player starts in C:\songs.
  fs::path Drive() const { return root_ / "drive"; }
  fs::path Songs() const { return Drive() / "songs"; }
  // Scripts, dumps and pictures, outside the drive.
  fs::path Out() const { return root_ / "out"; }
  std::string OutPath(const std::string& name) const { return (Out() / name).string(); }

  void Write(const fs::path& path, const Bytes& bytes) const {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  void WriteText(const fs::path& path, const std::string& text, bool executable = false) const {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    if (executable)
      fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  }

  // Runs the player with the script; `dump NAME` and `shot NAME` lines name files of Out().
  // The arguments follow the program's name on the shell's command line as they stand.
  Outcome Run(const std::string& script, const std::string& settings = "",
              const std::string& arguments = "") {
    return RunIn(Songs(), script,
                 "TD_DRIVES='C=" + Drive().string() + ":label=MUSIC' " + settings + " '" +
                     TD_PLAYER + "' " + arguments);
  }

  // Runs a shell command line that starts the player, in `folder`, with the script.
  Outcome RunIn(const fs::path& folder, const std::string& script, const std::string& command) {
    std::string text;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("dump ", 0) == 0 || line.rfind("shot ", 0) == 0)
        line = line.substr(0, 5) + OutPath(line.substr(5));
      text += line + "\n";
    }
    WriteText(Out() / "script.txt", text);
    std::string shell = "cd '" + folder.string() + "' && TD_SCRIPT='" + OutPath("script.txt") +
                        "' TD_AUDIO=null TD_SOUNDFONT=" + kSmallSoundFont + " TD_MIXER='" +
                        OutPath("mixer") + "' " + command + " > '" + OutPath("stdout.txt") +
                        "' 2> '" + OutPath("stderr.txt") + "'";
    int raw = std::system(shell.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = ReadFile(Out() / "stderr.txt");
    return outcome;
  }

  Json Dump(const std::string& name) const { return Json::Parse(ReadFile(Out() / name)); }

  static constexpr const char* kSmallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

 private:
  fs::path root_;
};

// The n-th (from 1) window of a class in a dump, visible or not; null when there is none.
inline const Json& WindowOf(const Json& dump, const std::string& className, int n = 1) {
  static const Json none;
  for (const Json& window : dump["windows"].Items())
    if (window["class"].String() == className && --n == 0) return window;
  return none;
}

// The one open MCI device of a dump; null when none is open.
inline const Json& DeviceOf(const Json& dump) {
  static const Json none;
  return dump["mci"].Size() == 1 ? dump["mci"][0] : none;
}

// A menu item by its path of texts ("Option", "Playing", "Repeat") in a window's menu bar.
inline const Json& MenuItemOf(const Json& window, std::vector<std::string> path) {
  static const Json none;
  const Json* items = &window["menu"];
  const Json* found = &none;
  for (const std::string& text : path) {
    found = &none;
    for (const Json& item : items->Items())
      if (item["text"].String() == text) found = &item;
    if (found->IsNull()) return none;
    items = &(*found)["items"];
  }
  return *found;
}

// The texts of the selected entries of a list box.
inline std::vector<std::string> SelectedTexts(const Json& listBox) {
  std::vector<std::string> texts;
  for (std::int64_t index : listBox["selected"].Ints())
    texts.push_back(listBox["items"][static_cast<std::size_t>(index)].String());
  return texts;
}

}  // namespace e2e
