// The display backend: one SDL window shows the virtual screen and feeds mouse and
// keyboard in. It presents through the window surface (no accelerated renderer, which
// costs far more CPU and memory on a machine without a GPU) and copies only the damaged
// rectangles it is given.
#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "gdi/icons.h"
#include "platform/win32.h"

namespace platform::backend {
namespace {

UINT VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<UINT>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<UINT>(key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<UINT>(key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD1 + static_cast<UINT>(key - SDLK_KP_1);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_END:
      return VK_END;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_SEMICOLON:
      return VK_OEM_1;
    case SDLK_EQUALS:
      return VK_OEM_PLUS;
    case SDLK_COMMA:
      return VK_OEM_COMMA;
    case SDLK_MINUS:
      return VK_OEM_MINUS;
    case SDLK_PERIOD:
      return VK_OEM_PERIOD;
    case SDLK_SLASH:
      return VK_OEM_2;
    case SDLK_BACKQUOTE:
      return VK_OEM_3;
    case SDLK_LEFTBRACKET:
      return VK_OEM_4;
    case SDLK_BACKSLASH:
      return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
      return VK_OEM_6;
    case SDLK_QUOTE:
      return VK_OEM_7;
    case SDLK_KP_0:
      return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDLK_KP_PLUS:
      return VK_ADD;
    case SDLK_KP_MINUS:
      return VK_SUBTRACT;
    case SDLK_KP_PERIOD:
      return VK_DECIMAL;
    case SDLK_KP_DIVIDE:
      return VK_DIVIDE;
    case SDLK_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    default:
      return 0;
  }
}

class Sdl final : public Backend {
 public:
  bool Open(int width, int height) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    window_ = SDL_CreateWindow("Tunedeck", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, 0);
    if (!window_) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return false;
    }
    wakeEvent_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    return true;
  }

  ~Sdl() override {
    if (cursor_) SDL_FreeCursor(cursor_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const char* Name() const override { return "sdl"; }

  bool ReadShown(Surface* out) override {
    SDL_Surface* shown = SDL_GetWindowSurface(window_);
    if (!shown || shown->format->BytesPerPixel != 4) return false;
    out->Resize(shown->w, shown->h);
    SDL_LockSurface(shown);
    for (int y = 0; y < shown->h; ++y) {
      auto* row = reinterpret_cast<const std::uint32_t*>(
          static_cast<const std::uint8_t*>(shown->pixels) + y * shown->pitch);
      for (int x = 0; x < shown->w; ++x) {
        Uint8 r, g, b;
        SDL_GetRGB(row[x], shown->format, &r, &g, &b);
        out->Row(y)[x] = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
      }
    }
    SDL_UnlockSurface(shown);
    return true;
  }

  bool MinimizeHost() override {
    SDL_MinimizeWindow(window_);
    return true;
  }
  bool ShowsScreen() const override { return true; }

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
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target || target->format->BytesPerPixel != 4) return;
    RECT bounds{0, 0, std::min(target->w, screen.width), std::min(target->h, screen.height)};
    std::vector<RECT> areas = damage;
    // An uncovered host window shows nothing of ours until everything is copied again.
    if (exposed_) areas.assign(1, bounds);
    exposed_ = false;
    // The window surface is 0x00RRGGBB on most hosts, like ours: rows are copied as they are.
    bool same = target->format->format == SDL_PIXELFORMAT_RGB888 ||
                target->format->format == SDL_PIXELFORMAT_ARGB8888;
    std::vector<SDL_Rect> copied;
    SDL_LockSurface(target);
    for (const RECT& area : areas) {
      RECT r{std::max(area.left, bounds.left), std::max(area.top, bounds.top),
             std::min(area.right, bounds.right), std::min(area.bottom, bounds.bottom)};
      if (r.right <= r.left || r.bottom <= r.top) continue;
      for (int y = r.top; y < r.bottom; ++y) {
        const std::uint32_t* row =
            screen.pixels.data() + static_cast<std::size_t>(y) * screen.width + r.left;
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target->pixels) +
                                                     y * target->pitch) +
                    r.left;
        if (same) {
          std::memcpy(out, row, static_cast<std::size_t>(r.right - r.left) * 4);
          continue;
        }
        for (int x = 0; x < r.right - r.left; ++x) {
          std::uint32_t p = row[x];
          out[x] = SDL_MapRGB(target->format, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
      }
      copied.push_back(SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    SDL_UnlockSurface(target);
    if (!copied.empty())
      SDL_UpdateWindowSurfaceRects(window_, copied.data(), static_cast<int>(copied.size()));
  }

 private:
  void Handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_MOUSEMOTION:
        Sink().MouseMove(POINT{event.motion.x, event.motion.y});
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        MouseButton button = event.button.button == SDL_BUTTON_RIGHT    ? MouseButton::Right
                             : event.button.button == SDL_BUTTON_MIDDLE ? MouseButton::Middle
                                                                        : MouseButton::Left;
        Sink().MouseButton(button, event.type == SDL_MOUSEBUTTONDOWN,
                           POINT{event.button.x, event.button.y});
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
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
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
    UINT virtualKey = VirtualKey(key.keysym.sym);
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
    Surface picture;
    POINT hotspot{0, 0};
    if (!current || !gdi::CursorPicture(current, &picture, &hotspot) || picture.width <= 0) {
      SDL_SetCursor(SDL_GetDefaultCursor());
      return;
    }
    SDL_Surface* image =
        SDL_CreateRGBSurfaceWithFormatFrom(picture.pixels.data(), picture.width, picture.height, 32,
                                           picture.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!image) return;
    SDL_Cursor* cursor = SDL_CreateColorCursor(image, hotspot.x, hotspot.y);
    SDL_FreeSurface(image);
    if (!cursor) return;
    SDL_SetCursor(cursor);
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = cursor;
  }

  SDL_Window* window_ = nullptr;
  SDL_Cursor* cursor_ = nullptr;
  HCURSOR shownCursor_ = nullptr;
  Uint32 wakeEvent_ = 0;
  bool exposed_ = true;
};

}  // namespace

std::unique_ptr<Backend> CreateSdl(int width, int height) {
  auto sdl = std::make_unique<Sdl>();
  if (!sdl->Open(width, height)) return nullptr;
  return sdl;
}

}  // namespace platform::backend
