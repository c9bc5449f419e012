// The player as a user starts it, on the sdl backend in a real X server (Xvfb): its window
// appears on the desktop showing what the headless run shows in the same state, and the
// desktop's close request ends it with status 0. Skipped, saying why, where no Xvfb starts.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/testing.h"
#include "tests/e2e/desktop.h"
#include "tests/e2e/player_fixture.h"

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// A child process with the caller's environment plus `settings`, in `folder`.
pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& settings,
            const fs::path& folder, int outputFd = -1) {
  std::vector<std::string> environment = settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    bool overridden = false;
    for (const std::string& setting : settings)
      overridden |= text.substr(0, text.find('=') + 1) == setting.substr(0, setting.find('=') + 1);
    if (!overridden) environment.push_back(text);
  }
  std::vector<char*> argv, envp;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outputFd >= 0) posix_spawn_file_actions_adddup2(&actions, outputFd, 3);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status, or -1 when the process has not ended within the time.
int WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// An X server of its own: Xvfb picks a free display and tells its number.
class XServer {
 public:
  bool Start(std::string* why) {
    int fds[2];
    if (pipe(fds) != 0) return *why = "no pipe", false;
    pid_ =
        e2e::Start({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                   {}, "/", fds[1]);
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
    return true;
  }
  ~XServer() { Stop(pid_); }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// How many pixels differ.
int Differences(const platform::testing::Image& a, const platform::testing::Image& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + 1;
  int count = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
  return count;
}

class OnXvfb : public PlayerTest {};

TEST_F(OnXvfb, TheWindowOnTheDesktopIsTheHeadlessPictureAndClosesWithStatusZero) {
  XServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << "no X server for the sdl backend: " << why;

  Write(Songs() / "first.mid", Song(60000));
  Write(Songs() / "second.mid", Song(60000));
  Outcome headless = Run("shot headless.png\nclose @TForm1\n");
  ASSERT_EQ(headless.status, 0) << headless.err;
  platform::testing::Image expected;
  ASSERT_TRUE(platform::testing::LoadPng(OutPath("headless.png"), &expected));

  // The desktop bus library SDL connects through keeps one buffer to the end of the process;
  // a leak check in a sanitized build is told it is not ours.
  WriteText(Out() / "leaks.supp", "leak:libdbus-1.so\n");
  pid_t player = Start({TD_PLAYER},
                       {"DISPLAY=" + server.Name(), "TD_BACKEND=sdl", "TD_AUDIO=null",
                        "TD_DRIVES=C=" + Drive().string() + ":label=MUSIC",
                        std::string("TD_SOUNDFONT=") + kSmallSoundFont, "SDL_AUDIODRIVER=dummy",
                        "LSAN_OPTIONS=suppressions=" + OutPath("leaks.supp")},
                       Songs());
  ASSERT_GT(player, 0);
  std::unique_ptr<Desktop> desktop = Desktop::Open(server.Name());
  ASSERT_NE(desktop, nullptr);
  bool shownOnDesktop = desktop->WaitForWindow("Tunedeck", std::chrono::seconds(20));
  if (!shownOnDesktop) Stop(player);
  ASSERT_TRUE(shownOnDesktop) << "no window on the desktop";

  // The window shows the screen once the program is idle; give it time to paint.
  platform::testing::Image shown;
  int differences = 0;
  auto end = Clock::now() + std::chrono::seconds(10);
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    shown = desktop->Grab();
    differences = Differences(shown, expected);
  } while (differences != 0 && Clock::now() < end);
  if (differences != 0) platform::testing::SavePng(shown, OutPath("shown.png"));
  EXPECT_EQ(differences, 0) << "the desktop's picture differs from the headless one";

  // The desktop's close button asks the program to close.
  desktop->RequestClose();
  int status = WaitFor(player, std::chrono::seconds(20));
  if (status < 0) Stop(player);
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace e2e
