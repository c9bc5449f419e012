#include "tests/e2e/desktop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <functional>
#include <thread>

extern char** environ;

namespace e2e {

pid_t StartProcess(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& settings, const std::string& folder,
                   int outputFd, const std::string& output) {
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
  if (!output.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  if (outputFd >= 0) posix_spawn_file_actions_adddup2(&actions, outputFd, 3);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

void StopProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

namespace {

class XDesktop : public Desktop {
 public:
  XDesktop(Display* display, std::string name) : display_(display), name_(std::move(name)) {}
  ~XDesktop() override {
    if (other_ != 0) XDestroyWindow(display_, other_);
    XCloseDisplay(display_);
  }

  bool WaitForWindowManager(std::chrono::milliseconds limit) override {
    Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, left = 0;
      unsigned char* data = nullptr;
      bool found =
          XGetWindowProperty(display_, DefaultRootWindow(display_), check, 0, 1, False,
                             AnyPropertyType, &type, &format, &items, &left, &data) == Success &&
          items > 0;
      if (data != nullptr) XFree(data);
      if (found) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool WaitForWindow(const std::string& title, std::chrono::milliseconds limit) override {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      window_ = 0;
      Walk(DefaultRootWindow(display_), [&](Window w, const XWindowAttributes&) {
        char* name = nullptr;
        if (window_ == 0 && XFetchName(display_, w, &name) && name != nullptr) {
          if (title == name) window_ = w;
          XFree(name);
        }
      });
      if (window_ != 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  platform::testing::Image Grab() override { return Picture(window_); }
  platform::testing::Image GrabScreen() override { return Picture(DefaultRootWindow(display_)); }

  XWindow Current() override { return Describe(window_); }

  std::vector<XWindow> WindowsOf(const std::string& windowClass) override {
    std::vector<XWindow> found;
    Walk(DefaultRootWindow(display_), [&](Window w, const XWindowAttributes&) {
      XClassHint hint{};
      if (!XGetClassHint(display_, w, &hint)) return;
      if (hint.res_class != nullptr && windowClass == hint.res_class) found.push_back(Describe(w));
      if (hint.res_name != nullptr) XFree(hint.res_name);
      if (hint.res_class != nullptr) XFree(hint.res_class);
    });
    return found;
  }

  void RequestClose() override {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window_, False, NoEventMask, &event);
    XFlush(display_);
  }

  XWindow OpenOtherProgram(const std::string& title, int x, int y) override {
    Window root = DefaultRootWindow(display_);
    other_ = XCreateSimpleWindow(display_, root, x, y, 200, 100, 0, 0, 0xE0E0E0);
    XStoreName(display_, other_, title.c_str());
    XMapWindow(display_, other_);
    XFlush(display_);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    XWindowAttributes attributes{};
    while (std::chrono::steady_clock::now() < end &&
           (!XGetWindowAttributes(display_, other_, &attributes) ||
            attributes.map_state != IsViewable))
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Describe(other_);
  }

  bool Xdotool(const std::vector<std::string>& arguments) override {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    pid_t pid = StartProcess(command, {"DISPLAY=" + name_}, "/", -1, "/dev/null");
    if (pid <= 0) return false;
    int status = WaitForExit(pid, std::chrono::seconds(20));
    if (status < 0) StopProcess(pid);
    return status == 0;
  }

 private:
  // Every mapped window below `parent`, depth first.
  void Walk(Window parent, const std::function<void(Window, const XWindowAttributes&)>& visit) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, parent, &root, &up, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display_, children[i], &attributes) ||
          attributes.map_state != IsViewable)
        continue;
      visit(children[i], attributes);
      Walk(children[i], visit);
    }
    if (children != nullptr) XFree(children);
  }

  platform::testing::Image Picture(Window w) {
    platform::testing::Image image;
    XWindow where = Describe(w);
    if (where.id == 0) return image;
    // Only the part on the screen can be read.
    int left = std::max(0, -where.x), top = std::max(0, -where.y);
    int right = std::min(where.width, DisplayWidth(display_, 0) - where.x);
    int bottom = std::min(where.height, DisplayHeight(display_, 0) - where.y);
    if (right <= left || bottom <= top) return image;
    XImage* x = XGetImage(display_, w, left, top, static_cast<unsigned>(right - left),
                          static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
    if (x == nullptr) return image;
    image.width = right - left;
    image.height = bottom - top;
    for (int y = 0; y < image.height; ++y)
      for (int column = 0; column < image.width; ++column)
        image.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(x, column, y)) & 0xFFFFFF);
    XDestroyImage(x);
    return image;
  }

  XWindow Describe(Window w) {
    XWindow out;
    XWindowAttributes attributes;
    if (w == 0 || !XGetWindowAttributes(display_, w, &attributes)) return out;
    out.id = w;
    Window child = 0;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &out.x, &out.y, &child);
    out.width = attributes.width;
    out.height = attributes.height;
    out.popup = attributes.override_redirect != 0;
    char* name = nullptr;
    if (XFetchName(display_, w, &name) && name != nullptr) {
      out.title = name;
      XFree(name);
    }
    return out;
  }

  Display* display_;
  std::string name_;
  Window window_ = 0;
  Window other_ = 0;
};

// A window that goes while it is looked at is a failed request, not the end of the test.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::unique_ptr<Desktop> Desktop::Open(const std::string& display) {
  XSetErrorHandler(IgnoreErrors);
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return nullptr;
  return std::make_unique<XDesktop>(x, display);
}

}  // namespace e2e
