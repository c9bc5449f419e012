// The player as a user starts it, on the sdl backend in a real X server (Xvfb). On the
// virtual desktop its one window shows what the headless run shows. On the native desktop,
// with a small window manager (openbox) on the server, each of its windows is a window of the
// desktop: the form at its own size showing the headless run's pixels, menus and message boxes
// as windows of their own, moved by its caption, deactivated by another program, and enlarged
// pixel for pixel by TD_SCALE. Skipped, saying why, where no Xvfb (or no openbox) starts.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/testing.h"
#include "tests/e2e/desktop.h"
#include "tests/e2e/player_fixture.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;
using platform::testing::Image;

// An X server of its own: Xvfb picks a free display and tells its number; a window manager
// runs on it when asked for.
class XServer {
 public:
  bool Start(std::string* why, bool windowManager) {
    int fds[2];
    if (pipe(fds) != 0) return *why = "no pipe", false;
    pid_ = StartProcess(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, "/",
        fds[1]);
    close(fds[1]);
    if (pid_ <= 0) {
      close(fds[0]);
      return *why = "Xvfb is not installed", false;
    }
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    auto end = Clock::now() + std::chrono::seconds(10);
    char c = 0;
    while (Clock::now() < end && poll(&wait, 1, 100) >= 0) {
      if ((wait.revents & (POLLIN | POLLHUP)) == 0) continue;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) return *why = "Xvfb did not start", false;
    name_ = ":" + number;
    if (!windowManager) return true;
    manager_ = StartProcess({"openbox"}, {"DISPLAY=" + name_}, "/", -1, "/dev/null");
    std::unique_ptr<Desktop> desktop = Desktop::Open(name_);
    if (manager_ <= 0 || !desktop || !desktop->WaitForWindowManager(std::chrono::seconds(10)))
      return *why = "openbox is not installed or did not start", false;
    return true;
  }
  ~XServer() {
    StopProcess(manager_);
    StopProcess(pid_);
  }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  pid_t manager_ = -1;
  std::string name_;
};

// How many pixels differ.
int Differences(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + 1;
  int count = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
  return count;
}

Image Crop(const Image& from, const RECT& r) {
  Image out;
  out.width = r.right - r.left;
  out.height = r.bottom - r.top;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      out.pixels.push_back(from.pixels[static_cast<std::size_t>(y) * from.width + x]);
  return out;
}

// One pixel of each `scale` x `scale` block; `uneven` counts the blocks that are not one
// colour.
Image Shrink(const Image& from, int scale, int* uneven) {
  Image out;
  out.width = from.width / scale;
  out.height = from.height / scale;
  *uneven = 0;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      auto at = [&](int dx, int dy) {
        return from.pixels[static_cast<std::size_t>(y * scale + dy) * from.width + x * scale + dx];
      };
      bool even = true;
      for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx) even &= at(dx, dy) == at(0, 0);
      *uneven += even ? 0 : 1;
      out.pixels.push_back(at(0, 0));
    }
  }
  return out;
}

RECT RectOf(const Json& window, const char* key) {
  const Json& r = window[key];
  return RECT{static_cast<LONG>(r[0].Int()), static_cast<LONG>(r[1].Int()),
              static_cast<LONG>(r[2].Int()), static_cast<LONG>(r[3].Int())};
}

// Waits until `ready` holds, looking again every 100 ms; false when it does not in time.
template <class Ready>
bool Eventually(Ready ready, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
  auto end = Clock::now() + limit;
  while (!ready()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

class OnXvfb : public PlayerTest {
 protected:
  void TearDown() override { StopProcess(player_); }

  // Starts an X server of its own (with openbox when `windowManager`) and the player on the
  // sdl backend with `settings` in the songs folder, its sound written to sound.wav, and waits
  // for its window titled "Tunedeck". The caller returns when the test is skipped (no server
  // starts) or has failed.
  void Launch(bool windowManager, const std::vector<std::string>& settings) {
    std::string why;
    if (!server_.Start(&why, windowManager))
      GTEST_SKIP() << "no X server for the sdl backend: " << why;
    // The desktop bus library SDL connects through keeps one buffer to the end of the
    // process; a leak check in a sanitized build is told it is not ours.
    WriteText(Out() / "leaks.supp", "leak:libdbus-1.so\n");
    std::vector<std::string> all{"DISPLAY=" + server_.Name(),
                                 "TD_BACKEND=sdl",
                                 "TD_AUDIO=wav:" + OutPath("sound.wav"),
                                 "TD_DRIVES=A=" + (Drive() / "floppy").string() +
                                     ":removable:notready;C=" + Drive().string() + ":label=MUSIC",
                                 std::string("TD_SOUNDFONT=") + kSmallSoundFont,
                                 "SDL_AUDIODRIVER=dummy",
                                 "TD_MIXER=" + OutPath("mixer"),
                                 "LSAN_OPTIONS=suppressions=" + OutPath("leaks.supp")};
    all.insert(all.end(), settings.begin(), settings.end());
    player_ = StartProcess({TD_PLAYER}, all, Songs().string(), -1, OutPath("player.txt"));
    ASSERT_GT(player_, 0);
    desktop_ = Desktop::Open(server_.Name());
    ASSERT_NE(desktop_, nullptr);
    ASSERT_TRUE(desktop_->WaitForWindow("Tunedeck", std::chrono::seconds(20)))
        << "no window on the desktop";
  }
  bool Stopped() const { return IsSkipped() || HasFatalFailure(); }

  // The player's exit status once it ends (-1 when it does not end in time).
  int ExitStatus() {
    int status = WaitForExit(player_, std::chrono::seconds(20));
    if (status >= 0) player_ = -1;
    return status;
  }

  // Whether the sound written so far has anything but silence in it.
  bool Sounded() const {
    std::string wave = ReadFile(Out() / "sound.wav");
    for (std::size_t i = 44; i < wave.size(); ++i)
      if (wave[i] != 0) return true;
    return false;
  }

  // The headless run's picture of the form, and where the form and its file list are: the
  // reference the desktop's windows are compared with.
  struct Reference {
    Image start, clicked;
    RECT form{}, client{}, files{}, drives{};
  };
  Reference HeadlessReference() {
    Reference reference;
    Outcome headless =
        Run("dump start.json\nshot start.png\nclick @TFileListBox 30 24\nshot clicked.png\nclose "
            "@TForm1\n");
    EXPECT_EQ(headless.status, 0) << headless.err;
    Json start = Dump("start.json");
    reference.form = RectOf(WindowOf(start, "TForm1"), "rect");
    reference.client = RectOf(WindowOf(start, "TForm1"), "client");
    reference.files = RectOf(WindowOf(start, "TFileListBox"), "client");
    reference.drives = RectOf(WindowOf(start, "TDriveComboBox"), "rect");
    Image screen;
    EXPECT_TRUE(platform::testing::LoadPng(OutPath("start.png"), &screen));
    reference.start = Crop(screen, reference.form);
    EXPECT_TRUE(platform::testing::LoadPng(OutPath("clicked.png"), &screen));
    reference.clicked = Crop(screen, reference.form);
    return reference;
  }

  // Whether the player's window shows `expected` (each pixel as a `scale` x `scale` block)
  // within the time; what it showed instead is kept as `name` for a look.
  bool Shows(const Image& expected, const char* name, int scale = 1) {
    Image shown;
    bool same = Eventually([&] {
      shown = desktop_->Grab();
      int uneven = 0;
      return Differences(scale == 1 ? shown : Shrink(shown, scale, &uneven), expected) == 0 &&
             uneven == 0;
    });
    if (!same) platform::testing::SavePng(shown, OutPath(name));
    return same;
  }

  bool Click(int x, int y, int repeat = 1) {
    return desktop_->Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click",
                              "--repeat", std::to_string(repeat), "--delay", "60", "1"});
  }

  XServer server_;
  std::unique_ptr<Desktop> desktop_;
  pid_t player_ = -1;
};

TEST_F(OnXvfb, TheVirtualDesktopIsOneWindowShowingTheHeadlessPictureAndClosesWithStatusZero) {
  Write(Songs() / "first.mid", Song(60000));
  Write(Songs() / "second.mid", Song(60000));
  Outcome headless = Run("shot headless.png\nclose @TForm1\n");
  ASSERT_EQ(headless.status, 0) << headless.err;
  Image expected;
  ASSERT_TRUE(platform::testing::LoadPng(OutPath("headless.png"), &expected));
  Launch(false, {"TD_DESKTOP=virtual", "TD_SCALE=1"});
  if (Stopped()) return;

  // The window shows the screen once the program is idle; give it time to paint.
  EXPECT_TRUE(Shows(expected, "shown.png")) << "the desktop's picture differs from the headless";

  // The desktop's close button asks the program to close.
  desktop_->RequestClose();
  EXPECT_EQ(ExitStatus(), 0) << ReadFile(Out() / "player.txt");
}

TEST_F(OnXvfb, OnTheNativeDesktopTheFormMenusAndMessagesAreWindowsOfTheirOwn) {
  Write(Songs() / "first.mid", Song(60000));
  Write(Songs() / "second.mid", Song(60000));
  Reference reference = HeadlessReference();
  const RECT& form = reference.form;
  Launch(true, {"TD_SCALE=1"});
  if (Stopped()) return;
  Desktop& desktop = *desktop_;

  // The form is a window of its own size, showing every pixel the headless run shows.
  XWindow main = desktop.Current();
  EXPECT_EQ(main.width, form.right - form.left);
  EXPECT_EQ(main.height, form.bottom - form.top);
  EXPECT_TRUE(Shows(reference.start, "start-shown.png")) << "the form differs from the headless";
  // Where a point of the form is on the desktop.
  auto at = [&](LONG x, LONG y) { return POINT{main.x + x - form.left, main.y + y - form.top}; };

  // A click selects the entry as in the headless run; a double click plays it.
  POINT entry = at(reference.files.left + 30, reference.files.top + 24);
  ASSERT_TRUE(Click(entry.x, entry.y));
  EXPECT_TRUE(Shows(reference.clicked, "clicked-shown.png")) << "the click went elsewhere";
  ASSERT_TRUE(Click(entry.x, entry.y, 2));
  EXPECT_TRUE(Eventually([&] { return Sounded(); })) << "the song does not play";

  // Dragged by its caption, the window moves, and the platform with it: the File menu opens
  // under its title at the new place, as a window of its own.
  POINT caption = at(form.left + (form.right - form.left) / 2, form.top + 10);
  ASSERT_TRUE(desktop.Xdotool({"mousemove", std::to_string(caption.x), std::to_string(caption.y),
                               "mousedown", "1", "sleep", "0.2", "mousemove",
                               std::to_string(caption.x + 50), std::to_string(caption.y + 30),
                               "sleep", "0.2", "mousemove", std::to_string(caption.x + 100),
                               std::to_string(caption.y + 60), "sleep", "0.2", "mouseup", "1"}));
  EXPECT_TRUE(Eventually([&] {
    XWindow now = desktop.Current();
    return now.x == main.x + 100 && now.y == main.y + 60;
  })) << "the window did not follow the drag";
  main = desktop.Current();
  auto popups = [&] {
    std::vector<XWindow> found;
    for (const XWindow& w : desktop.WindowsOf("Tunedeck"))
      if (w.popup) found.push_back(w);
    return found;
  };
  POINT file = at(reference.client.left + 12, reference.client.top - 10);
  ASSERT_TRUE(Click(file.x, file.y));
  ASSERT_TRUE(Eventually([&] { return popups().size() == 1; })) << "no menu window";
  XWindow menu = popups().front();
  EXPECT_NEAR(menu.x, file.x, 20);
  EXPECT_NEAR(menu.y, file.y + 10, 20);

  // Another program in front: ours is inactive, its menu closed.
  XWindow other = desktop.OpenOtherProgram("Another program", 600, 500);
  ASSERT_TRUE(Click(other.x + 100, other.y + 50));
  EXPECT_TRUE(Eventually([&] { return popups().empty(); })) << "the menu stays open";
  auto captionColour = [&] {
    Image shown = desktop.Grab();
    return shown.pixels[8 * static_cast<std::size_t>(shown.width) + shown.width / 2 + 20];
  };
  EXPECT_TRUE(Eventually([&] { return captionColour() == 0x808080u; })) << "still active";
  // Clicked back on its caption (held as a hand holds it), it is active again.
  caption = at(form.left + (form.right - form.left) / 2, form.top + 10);
  ASSERT_TRUE(desktop.Xdotool({"mousemove", std::to_string(caption.x), std::to_string(caption.y),
                               "mousedown", "1", "sleep", "0.15", "mouseup", "1"}));
  EXPECT_TRUE(Eventually([&] { return captionColour() == 0x000080u; })) << "not active again";

  // The drive list drops down as a window of its own; picking the drive that is not ready
  // shows a message box, a window of its own too.
  POINT drives = at(reference.drives.right - 8, reference.drives.top + 8);
  ASSERT_TRUE(Click(drives.x, drives.y));
  ASSERT_TRUE(Eventually([&] { return popups().size() == 1; })) << "no dropped list window";
  XWindow list = popups().front();
  EXPECT_GE(list.y, drives.y);
  auto boxes = [&] {
    std::vector<XWindow> found;
    for (const XWindow& w : desktop.WindowsOf("Tunedeck"))
      if (!w.popup && w.id != main.id && w.width > 1) found.push_back(w);
    return found;
  };
  ASSERT_TRUE(desktop.Xdotool({"key", "Home"}));
  EXPECT_TRUE(Eventually([&] { return boxes().size() == 1; })) << "no message box window";
  EXPECT_TRUE(popups().empty()) << "the dropped list stays";
  ASSERT_TRUE(desktop.Xdotool({"key", "Return"}));
  EXPECT_TRUE(Eventually([&] { return boxes().empty(); })) << "the message box stays";

  // The File menu's Exit ends the program (with status 1, as the player's Exit does).
  ASSERT_TRUE(Click(file.x, file.y));
  ASSERT_TRUE(Eventually([&] { return popups().size() == 1; })) << "no menu window";
  menu = popups().front();
  ASSERT_TRUE(Click(menu.x + 20, menu.y + 10));
  EXPECT_EQ(ExitStatus(), 1) << ReadFile(Out() / "player.txt");
}

TEST_F(OnXvfb, AtScaleTwoEveryPixelIsDoubledAndAClickLandsOnTheSameEntry) {
  Write(Songs() / "first.mid", Song(60000));
  Write(Songs() / "second.mid", Song(60000));
  Reference reference = HeadlessReference();
  const RECT& form = reference.form;
  Launch(true, {"TD_SCALE=2"});
  if (Stopped()) return;

  XWindow main = desktop_->Current();
  EXPECT_EQ(main.width, 2 * (form.right - form.left));
  EXPECT_EQ(main.height, 2 * (form.bottom - form.top));
  EXPECT_TRUE(Shows(reference.start, "start-shown.png", 2)) << "not the headless form, doubled";
  ASSERT_TRUE(Click(main.x + 2 * (reference.files.left + 30 - form.left),
                    main.y + 2 * (reference.files.top + 24 - form.top)));
  EXPECT_TRUE(Shows(reference.clicked, "clicked-shown.png", 2)) << "the click went elsewhere";

  // The window manager's close button closes the program.
  desktop_->RequestClose();
  EXPECT_EQ(ExitStatus(), 0) << ReadFile(Out() / "player.txt");
}

}  // namespace
}  // namespace e2e
