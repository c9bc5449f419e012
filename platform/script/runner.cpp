// Playing a script into the program: the scripted backend is the headless one whose idle
// hook runs the next line whenever the program would wait for input with nothing left to
// do, in its own loop or in any modal loop. Nothing of the program changes; it simply finds
// input in its queue and time moving on the virtual clock.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "audio/engine.h"
#include "backend/backend.h"
#include "kernel/names.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "script/script.h"
#include "settings/settings.h"
#include "user/state.h"

namespace platform::script {
namespace {

namespace pt = platform::testing;

void Collect(const user::Window* parent, std::vector<const user::Window*>& out) {
  for (const user::Window* c : parent->children) {
    out.push_back(c);
    Collect(c, out);
  }
}

class Runner {
 public:
  Runner(std::string name, std::vector<Line> lines, std::filesystem::path folder)
      : name_(std::move(name)), lines_(std::move(lines)), folder_(std::move(folder)) {}

  // The program waits with nothing to do: the next line runs (or the wait goes on).
  bool Step() {
    if (busy_) return false;
    busy_ = true;
    if (!(waiting_ && ContinueWait())) {
      if (next_ >= lines_.size()) {
        std::fprintf(stderr, "%s: the script ended while the program still runs\n", name_.c_str());
        std::exit(4);
      }
      Run(lines_[next_++]);
    }
    busy_ = false;
    return true;
  }

 private:
  [[noreturn]] void Fail(const Line& line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s\n", name_.c_str(), line.number, message.c_str());
    std::exit(3);
  }

  // Time moves to the next timer that falls due, or to the end of the wait; the program
  // handles what is due before the next step.
  bool ContinueWait() {
    std::uint64_t now = ClockMilliseconds();
    if (now >= waitUntil_) {
      waiting_ = false;
      return false;
    }
    std::uint64_t step = waitUntil_, due = 0;
    if (user::NextTimerDue(&due) && due > now && due < step) step = due;
    AdvanceVirtualClock(step - now);
    if (step >= waitUntil_) waiting_ = false;
    return true;
  }

  HWND Find(const Line& line) {
    std::vector<const user::Window*> windows;
    Collect(user::Global().desktop, windows);
    std::sort(windows.begin(), windows.end(), [](const user::Window* a, const user::Window* b) {
      return a->creationOrder < b->creationOrder;
    });
    int seen = 0;
    for (const user::Window* w : windows) {
      if (!user::ReallyVisible(w)) continue;
      char name[256] = {};
      GetClassNameA(w->handle, name, sizeof(name));
      if (kernel::SameNoCase(line.target.className, name) && ++seen == line.target.index)
        return w->handle;
    }
    std::string which = line.target.index > 1 ? " number " + std::to_string(line.target.index) : "";
    Fail(line, "no visible window of the class \"" + line.target.className + "\"" + which);
  }

  POINT Point(const Line& line) {
    POINT p{line.x, line.y};
    if (!line.target.screen) ClientToScreen(Find(line), &p);
    return p;
  }

  std::string PathOf(const std::string& path) const {
    std::filesystem::path p(path);
    return (p.is_absolute() ? p : folder_ / p).string();
  }

  void Run(const Line& line) {
    pt::Button button = line.rightButton ? pt::Button::Right : pt::Button::Left;
    switch (line.command) {
      case Command::Wait:
        waitUntil_ = ClockMilliseconds() + line.milliseconds;
        waiting_ = true;
        ContinueWait();
        break;
      case Command::Move: {
        POINT p = Point(line);
        pt::MouseMove(p.x, p.y);
        break;
      }
      case Command::Press: {
        POINT p = Point(line);
        pt::MouseDown(p.x, p.y, button);
        break;
      }
      case Command::Release: {
        POINT p = Point(line);
        pt::MouseUp(p.x, p.y, button);
        break;
      }
      case Command::Click: {
        POINT p = Point(line);
        pt::Click(p.x, p.y, button);
        break;
      }
      case Command::DoubleClick: {
        POINT p = Point(line);
        pt::DoubleClick(p.x, p.y);
        break;
      }
      case Command::Key:
        for (UINT key : line.keys) pt::KeyDown(key);
        for (auto it = line.keys.rbegin(); it != line.keys.rend(); ++it) pt::KeyUp(*it);
        break;
      case Command::Type:
        pt::TypeText(line.text);
        break;
      case Command::Close: {
        // What the close box does; a disabled window's close box does nothing.
        HWND top = GetAncestor(Find(line), GA_ROOT);
        if (IsWindowEnabled(top)) PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      }
      case Command::Shot:
        if (!pt::SavePng(pt::CaptureScreen(), PathOf(line.text)))
          Fail(line, "cannot write the picture \"" + line.text + "\"");
        break;
      case Command::Dump: {
        std::string json = Dump();
        std::ofstream out(PathOf(line.text), std::ios::binary | std::ios::trunc);
        out << json;
        if (!out.flush()) Fail(line, "cannot write the dump \"" + line.text + "\"");
        break;
      }
    }
  }

  std::string name_;
  std::vector<Line> lines_;
  std::filesystem::path folder_;
  std::size_t next_ = 0;
  bool waiting_ = false;
  std::uint64_t waitUntil_ = 0;
  bool busy_ = false;
};

}  // namespace
}  // namespace platform::script

namespace platform::backend {

std::unique_ptr<Backend> CreateScripted(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "%s: cannot read the script\n", path.c_str());
    std::exit(3);
  }
  script::Script script = script::Read(text.str());
  if (script.errorLine) {
    std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), script.errorLine, script.error.c_str());
    std::exit(3);
  }
  UseVirtualClock(0);
  // A scripted run is silent unless the setting asks for sound (a WAV file, say).
  if (!settings::Read(settings::Setting::kAudio)) audio::Engine::Get().SetOutputSetting("null");
  static auto* runner =
      new script::Runner(path, std::move(script.lines), std::filesystem::current_path());
  return CreateHeadless([] { return runner->Step(); });
}

}  // namespace platform::backend
