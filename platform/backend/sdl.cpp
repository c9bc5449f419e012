// The display backend. On the virtual desktop one SDL window shows the composed screen; on
// the native desktop every top-level window the window manager lists is an SDL window of
// its own, borderless (we draw the classic frame), moved and sized by the host's window
// manager through a hit test that asks ours. Either way it presents through the window
// surfaces (no accelerated renderer, which costs far more CPU and memory on a machine
// without a GPU), copies only the damaged rectangles it is given, every pixel as scale x
// scale host pixels, and turns host mouse positions back into ours by dividing.
#include <SDL.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "backend/sdl_parts.h"
#include "platform/win32.h"
#include "settings/settings.h"

namespace platform::backend {
namespace {

// TD_SCALE when it is 1 to 4, else the display's density over 96 dpi, rounded down.
int ChooseScale() {
  if (std::optional<std::string> setting = settings::Read(settings::Setting::kScale)) {
    if (setting->size() == 1 && (*setting)[0] >= '1' && (*setting)[0] <= '4')
      return (*setting)[0] - '0';
  }
  float dpi = 0;
  if (SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) != 0 || dpi < 96) return 1;
  return std::min(4, static_cast<int>(dpi / 96));
}

// One host window of the native desktop.
struct Shown {
  std::uintptr_t id = 0;
  SDL_Window* window = nullptr;
  Uint32 windowId = 0;
  HostKind kind = HostKind::Framed;
  RECT rect{};  // where we last put it or the host reported it, in our screen coordinates
  bool minimized = false;
  bool sizable = false;
  bool wholeCopy = true;  // new, resized, restored or uncovered: copy everything next time
  std::string title;
  HICON icon = nullptr;
};

class Sdl final : public Backend {
 public:
  Sdl(Desktop desktop, int scale) : desktop_(desktop), scale_(scale) {}

  bool Open(int width, int height) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Each window's close request is the window's own; none of them ends the program alone.
    if (desktop_ == Desktop::Native) {
      SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
      // The click that brings a window forward is delivered too; WM_MOUSEACTIVATE decides.
      SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    if (scale_ < 1 || scale_ > 4) scale_ = ChooseScale();
    if (SDL_GetDisplayUsableBounds(0, &workArea_) != 0 && SDL_GetDisplayBounds(0, &workArea_) != 0)
      workArea_ = SDL_Rect{0, 0, width * scale_, height * scale_};
    if (desktop_ == Desktop::Virtual) {
      window_ = SDL_CreateWindow("Tunedeck", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 width * scale_, height * scale_, 0);
      if (!window_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
      }
    }
    wakeEvent_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    return true;
  }

  ~Sdl() override {
    if (cursor_) SDL_FreeCursor(cursor_);
    for (auto& shown : shown_) SDL_DestroyWindow(shown->window);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const char* Name() const override { return "sdl"; }
  bool ShowsScreen() const override { return desktop_ == Desktop::Virtual; }
  bool NativeWindows() const override { return desktop_ == Desktop::Native; }
  POINT DesktopSize() const override { return POINT{workArea_.w / scale_, workArea_.h / scale_}; }

  bool ReadShown(Surface* out) override {
    return window_ && ReadSurface(SDL_GetWindowSurface(window_), out);
  }

  bool ReadShownWindow(std::uintptr_t id, Surface* out, RECT* where) override {
    Shown* shown = FindById(id);
    if (!shown || !ReadSurface(SDL_GetWindowSurface(shown->window), out)) return false;
    if (where) {
      int x = 0, y = 0, w = 0, h = 0;
      SDL_GetWindowPosition(shown->window, &x, &y);
      SDL_GetWindowSize(shown->window, &w, &h);
      *where = RECT{x, y, x + w, y + h};
    }
    return true;
  }

  bool MinimizeHost() override {
    if (!window_) return false;
    SDL_MinimizeWindow(window_);
    return true;
  }

  void Wait(int timeoutMs) override {
    SDL_Event event;
    int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
    if (got) Handle(event);
    Poll();
  }

  void Poll() override {
    SDL_Event event;
    while (SDL_PollEvent(&event)) Handle(event);
  }

  void Wake() override {
    SDL_Event event{};
    event.type = wakeEvent_;
    SDL_PushEvent(&event);
  }

  void Present(const Surface& screen, const std::vector<RECT>& damage, HCURSOR cursor) override {
    ShowCursorShape(cursor);
    SDL_Surface* target = window_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (!target || target->format->BytesPerPixel != 4) return;
    std::vector<RECT> areas = damage;
    // An uncovered host window shows nothing of ours until everything is copied again.
    if (exposed_) areas.assign(1, RECT{0, 0, screen.width, screen.height});
    exposed_ = false;
    std::vector<SDL_Rect> copied;
    for (const RECT& area : areas) {
      SDL_Rect r = CopyScaled(screen, area, target, scale_);
      if (r.w > 0 && r.h > 0) copied.push_back(r);
    }
    if (!copied.empty())
      SDL_UpdateWindowSurfaceRects(window_, copied.data(), static_cast<int>(copied.size()));
  }

  void PresentWindows(const std::vector<HostWindow>& windows, std::uintptr_t active,
                      HCURSOR cursor) override {
    ShowCursorShape(cursor);
    std::vector<std::unique_ptr<Shown>> kept;
    for (const HostWindow& wanted : windows) {
      std::unique_ptr<Shown> shown;
      auto it = std::find_if(shown_.begin(), shown_.end(), [&](const auto& s) {
        return s->id == wanted.id && s->kind == wanted.kind && s->sizable == wanted.sizable;
      });
      if (it != shown_.end()) {
        shown = std::move(*it);
        shown_.erase(it);
        Update(*shown, wanted);
      } else {
        shown = Create(wanted, kept);
        if (!shown) continue;
      }
      Copy(*shown, wanted);
      kept.push_back(std::move(shown));
    }
    // What is left was hidden or destroyed.
    for (auto& gone : shown_) SDL_DestroyWindow(gone->window);
    shown_ = std::move(kept);
    // The program's active window is not the one the host focused (the program activated a
    // message box, or the host focused a window a modal one disables): the host is asked to
    // raise and focus it, once for each such disagreement.
    if (active != hostFocus_ && (active != raisedActive_ || hostFocus_ != raisedOver_)) {
      if (Shown* shown = FindById(active); shown && !shown->minimized)
        SDL_RaiseWindow(shown->window);
    }
    raisedActive_ = active;
    raisedOver_ = hostFocus_;
  }

 private:
  std::unique_ptr<Shown> Create(const HostWindow& wanted,
                                const std::vector<std::unique_ptr<Shown>>& owners) {
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (wanted.kind == HostKind::Popup) flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
    if (wanted.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (wanted.sizable) flags |= SDL_WINDOW_RESIZABLE;
    POINT host = HostPoint(POINT{wanted.rect.left, wanted.rect.top});
    SDL_Window* window = SDL_CreateWindow(wanted.title.c_str(), host.x, host.y,
                                          std::max(1, Width(wanted.rect)) * scale_,
                                          std::max(1, Height(wanted.rect)) * scale_, flags);
    if (!window) return nullptr;
    auto shown = std::make_unique<Shown>();
    shown->id = wanted.id;
    shown->window = window;
    shown->windowId = SDL_GetWindowID(window);
    shown->kind = wanted.kind;
    shown->sizable = wanted.sizable;
    shown->rect = wanted.rect;
    shown->title = wanted.title;
    if (wanted.kind == HostKind::Framed) SDL_SetWindowHitTest(window, &Sdl::HitTestHook, this);
    SetIcon(*shown, wanted.icon);
    // An owned window stays above its owner and has no taskbar entry of its own.
    for (const auto& owner : owners)
      if (wanted.owner && owner->id == wanted.owner) SDL_SetWindowModalFor(window, owner->window);
    SDL_ShowWindow(window);
    if (wanted.minimized) {
      shown->minimized = true;
      SDL_MinimizeWindow(window);
    }
    return shown;
  }

  void Update(Shown& shown, const HostWindow& wanted) {
    if (shown.title != wanted.title) {
      shown.title = wanted.title;
      SDL_SetWindowTitle(shown.window, wanted.title.c_str());
    }
    if (shown.icon != wanted.icon) SetIcon(shown, wanted.icon);
    if (wanted.minimized != shown.minimized) {
      shown.minimized = wanted.minimized;
      if (wanted.minimized) {
        SDL_MinimizeWindow(shown.window);
      } else {
        SDL_RestoreWindow(shown.window);
        shown.wholeCopy = true;
      }
    }
    // A minimised window's place is the host's business; ours is a caption in a row of them.
    if (shown.minimized) return;
    if (Width(wanted.rect) != Width(shown.rect) || Height(wanted.rect) != Height(shown.rect)) {
      SDL_SetWindowSize(shown.window, std::max(1, Width(wanted.rect)) * scale_,
                        std::max(1, Height(wanted.rect)) * scale_);
      shown.wholeCopy = true;
    }
    if (wanted.rect.left != shown.rect.left || wanted.rect.top != shown.rect.top) {
      POINT host = HostPoint(POINT{wanted.rect.left, wanted.rect.top});
      SDL_SetWindowPosition(shown.window, host.x, host.y);
    }
    shown.rect = wanted.rect;
  }

  void Copy(Shown& shown, const HostWindow& wanted) {
    if (!wanted.surface || shown.minimized) return;
    SDL_Surface* target = SDL_GetWindowSurface(shown.window);
    if (!target || target->format->BytesPerPixel != 4) return;
    RECT area =
        shown.wholeCopy ? RECT{0, 0, wanted.surface->width, wanted.surface->height} : wanted.damage;
    shown.wholeCopy = false;
    SDL_Rect copied = CopyScaled(*wanted.surface, area, target, scale_);
    if (copied.w > 0 && copied.h > 0) SDL_UpdateWindowSurfaceRects(shown.window, &copied, 1);
  }

  void SetIcon(Shown& shown, HICON icon) {
    shown.icon = icon;
    if (SDL_Surface* picture = PictureOf(icon, 1, nullptr)) {
      SDL_SetWindowIcon(shown.window, picture);
      SDL_FreeSurface(picture);
    }
  }

  static int Width(const RECT& r) { return r.right - r.left; }
  static int Height(const RECT& r) { return r.bottom - r.top; }

  POINT HostPoint(POINT ours) const {
    return POINT{workArea_.x + ours.x * scale_, workArea_.y + ours.y * scale_};
  }
  POINT OurPoint(int hostX, int hostY) const {
    return POINT{FloorDivide(hostX - workArea_.x, scale_),
                 FloorDivide(hostY - workArea_.y, scale_)};
  }

  Shown* FindById(std::uintptr_t id) {
    for (auto& shown : shown_)
      if (id && shown->id == id) return shown.get();
    return nullptr;
  }
  Shown* FindByWindowId(Uint32 windowId) {
    for (auto& shown : shown_)
      if (shown->windowId == windowId) return shown.get();
    return nullptr;
  }

  // A point of a host window's mouse event in our screen coordinates: its window's place
  // plus the point divided by the scale (a drag may reach outside the window).
  POINT MousePoint(Uint32 windowId, int x, int y) {
    if (desktop_ == Desktop::Virtual) return POINT{FloorDivide(x, scale_), FloorDivide(y, scale_)};
    if (Shown* shown = FindByWindowId(windowId))
      return POINT{shown->rect.left + FloorDivide(x, scale_),
                   shown->rect.top + FloorDivide(y, scale_)};
    // The window went meanwhile: where the pointer is on the host's screen.
    int hostX = 0, hostY = 0;
    SDL_GetGlobalMouseState(&hostX, &hostY);
    return OurPoint(hostX, hostY);
  }

  // Called by SDL from inside its event handling when the left button goes down on a framed
  // window: the window manager's answer to WM_NCHITTEST decides whether the host moves or
  // sizes the window or the press is ours.
  static SDL_HitTestResult HitTestHook(SDL_Window* window, const SDL_Point* area, void* data) {
    auto* self = static_cast<Sdl*>(data);
    Shown* shown = self->FindByWindowId(SDL_GetWindowID(window));
    if (!shown) return SDL_HITTEST_NORMAL;
    POINT point{shown->rect.left + FloorDivide(area->x, self->scale_),
                shown->rect.top + FloorDivide(area->y, self->scale_)};
    // A click already over when we hear of it (press and release came together) stays ours:
    // handed to the host, it would leave the window following a pointer with no button held.
    if (!(SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK)) return SDL_HITTEST_NORMAL;
    HostHit hit = HostHit::Client;
    try {
      hit = Sink().HitTest(shown->id, point);
    } catch (...) {
      // Nothing may cross SDL's C frames; the press stays ours.
    }
    switch (hit) {
      case HostHit::Move:
        return SDL_HITTEST_DRAGGABLE;
      case HostHit::SizeLeft:
        return SDL_HITTEST_RESIZE_LEFT;
      case HostHit::SizeRight:
        return SDL_HITTEST_RESIZE_RIGHT;
      case HostHit::SizeTop:
        return SDL_HITTEST_RESIZE_TOP;
      case HostHit::SizeTopLeft:
        return SDL_HITTEST_RESIZE_TOPLEFT;
      case HostHit::SizeTopRight:
        return SDL_HITTEST_RESIZE_TOPRIGHT;
      case HostHit::SizeBottom:
        return SDL_HITTEST_RESIZE_BOTTOM;
      case HostHit::SizeBottomLeft:
        return SDL_HITTEST_RESIZE_BOTTOMLEFT;
      case HostHit::SizeBottomRight:
        return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
      case HostHit::Client:
        break;
    }
    return SDL_HITTEST_NORMAL;
  }

  void Handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_MOUSEMOTION:
        Sink().MouseMove(MousePoint(event.motion.windowID, event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        MouseButton button = event.button.button == SDL_BUTTON_RIGHT    ? MouseButton::Right
                             : event.button.button == SDL_BUTTON_MIDDLE ? MouseButton::Middle
                                                                        : MouseButton::Left;
        Sink().MouseButton(button, event.type == SDL_MOUSEBUTTONDOWN,
                           MousePoint(event.button.windowID, event.button.x, event.button.y));
        break;
      }
      case SDL_MOUSEWHEEL:
        Sink().MouseWheel(event.wheel.y * WHEEL_DELTA);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        HandleKey(event.key, event.type == SDL_KEYDOWN);
        break;
      case SDL_TEXTINPUT:
        Sink().Text(event.text.text);
        break;
      case SDL_WINDOWEVENT:
        if (desktop_ == Desktop::Native) {
          HandleNativeWindowEvent(event.window);
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
          exposed_ = true;
          Sink().Exposed();
        } else if (event.window.event == SDL_WINDOWEVENT_RESTORED) {
          Sink().HostRestored();
        }
        break;
      case SDL_QUIT:
        Sink().CloseRequested();
        break;
      default:
        break;
    }
  }

  void HandleNativeWindowEvent(const SDL_WindowEvent& event) {
    Shown* shown = FindByWindowId(event.windowID);
    if (!shown) return;
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        shown->wholeCopy = true;  // copied at the next Present, when the queue goes idle
        break;
      case SDL_WINDOWEVENT_MOVED: {
        if (shown->minimized) break;
        POINT at = OurPoint(event.data1, event.data2);
        if (at.x == shown->rect.left && at.y == shown->rect.top) break;
        shown->rect = RECT{at.x, at.y, at.x + Width(shown->rect), at.y + Height(shown->rect)};
        Sink().HostMoved(shown->id, shown->rect);
        break;
      }
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        if (shown->minimized) break;
        int width = event.data1 / scale_, height = event.data2 / scale_;
        shown->wholeCopy = true;
        if (width == Width(shown->rect) && height == Height(shown->rect)) break;
        shown->rect.right = shown->rect.left + width;
        shown->rect.bottom = shown->rect.top + height;
        Sink().HostMoved(shown->id, shown->rect);
        break;
      }
      case SDL_WINDOWEVENT_MINIMIZED:
        if (shown->minimized) break;
        shown->minimized = true;
        Sink().HostMinimized(shown->id, true);
        break;
      case SDL_WINDOWEVENT_RESTORED:
        shown->wholeCopy = true;
        if (!shown->minimized) break;
        shown->minimized = false;
        Sink().HostMinimized(shown->id, false);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (shown->kind == HostKind::Popup) break;  // only where no window manager gives focus
        hostFocus_ = shown->id;
        Sink().HostFocus(shown->id);
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        // Focus moving between two of our windows passes through none; only when it has
        // left all of them is another program in front.
        if (!SDL_GetKeyboardFocus()) {
          hostFocus_ = 0;
          Sink().HostFocus(0);
        }
        break;
      case SDL_WINDOWEVENT_CLOSE:
        Sink().HostClose(shown->id);
        break;
      default:
        break;
    }
  }

  // A key and the text the host's layout made of it, which SDL queues right behind the key.
  // AltGr is Ctrl and the right Alt together, as the classic system reports it, so that the
  // keys typed with it are not system keys.
  void HandleKey(const SDL_KeyboardEvent& key, bool down) {
    std::string text;
    if (down) {
      SDL_Event next;
      if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
          next.type == SDL_TEXTINPUT &&
          SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT) == 1)
        text = next.text.text;
    }
    if (key.keysym.sym == SDLK_MODE) {
      Sink().Key(VK_CONTROL, down, {});
      Sink().Key(VK_MENU, down, {});
      return;
    }
    UINT virtualKey = VirtualKeyOf(key.keysym.sym);
    if (virtualKey) {
      Sink().Key(virtualKey, down, text);
    } else if (!text.empty()) {
      Sink().Text(text);  // a key the classic layout has no name for: its text alone
    }
  }

  // The current cursor (SetCursor) as the host pointer.
  void ShowCursorShape(HCURSOR current) {
    if (current == shownCursor_) return;
    shownCursor_ = current;
    POINT hotspot{0, 0};
    SDL_Surface* image = PictureOf(current, scale_, &hotspot);
    if (!image) {
      SDL_SetCursor(SDL_GetDefaultCursor());
      return;
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(image, hotspot.x, hotspot.y);
    SDL_FreeSurface(image);
    if (!cursor) return;
    SDL_SetCursor(cursor);
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = cursor;
  }

  Desktop desktop_;
  int scale_;
  SDL_Rect workArea_{0, 0, 0, 0};
  SDL_Window* window_ = nullptr;               // the virtual desktop's one window
  std::vector<std::unique_ptr<Shown>> shown_;  // the native desktop's windows, bottom first
  std::uintptr_t hostFocus_ = 0;               // our window the host last focused
  std::uintptr_t raisedActive_ = 0;            // the active window and the host's focus when last
  std::uintptr_t raisedOver_ = 0;              // compared
  SDL_Cursor* cursor_ = nullptr;
  HCURSOR shownCursor_ = nullptr;
  Uint32 wakeEvent_ = 0;
  bool exposed_ = true;
};

}  // namespace

std::unique_ptr<Backend> CreateSdl(int width, int height, Desktop desktop, int scale) {
  auto sdl = std::make_unique<Sdl>(desktop, scale);
  if (!sdl->Open(width, height)) return nullptr;
  return sdl;
}

}  // namespace platform::backend
