#include "tests/e2e/desktop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <thread>

namespace e2e {
namespace {

class XDesktop : public Desktop {
 public:
  explicit XDesktop(Display* display) : display_(display) {}
  ~XDesktop() override { XCloseDisplay(display_); }

  bool WaitForWindow(const std::string& title, std::chrono::milliseconds limit) override {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      window_ = Find(title);
      if (window_ != 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  platform::testing::Image Grab() override {
    platform::testing::Image image;
    XWindowAttributes attributes;
    if (window_ == 0 || !XGetWindowAttributes(display_, window_, &attributes)) return image;
    XImage* x = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                          static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (x == nullptr) return image;
    image.width = attributes.width;
    image.height = attributes.height;
    for (int y = 0; y < image.height; ++y)
      for (int column = 0; column < image.width; ++column)
        image.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(x, column, y)) & 0xFFFFFF);
    XDestroyImage(x);
    return image;
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

 private:
  Window Find(const std::string& title) {
    Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      XWindowAttributes attributes;
      if (XFetchName(display_, children[i], &name) && name != nullptr) {
        if (title == name && XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.map_state == IsViewable)
          found = children[i];
        XFree(name);
      }
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  Display* display_;
  Window window_ = 0;
};

}  // namespace

std::unique_ptr<Desktop> Desktop::Open(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return nullptr;
  return std::make_unique<XDesktop>(x);
}

}  // namespace e2e
