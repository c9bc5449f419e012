// The parts of the sdl backend that do not depend on its windows: the host keyboard's keys
// as virtual keys, and our pixels copied onto host surfaces, enlarged by the scale.
#include "backend/sdl_parts.h"

#include <algorithm>
#include <cstring>

#include "gdi/icons.h"
#include "platform/win32.h"

namespace platform::backend {

UINT VirtualKeyOf(SDL_Keycode key) {
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

int FloorDivide(int value, int divisor) {
  return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

SDL_Rect CopyScaled(const Surface& from, RECT area, SDL_Surface* to, int scale) {
  area = Intersection(area, RECT{0, 0, from.width, from.height});
  area = Intersection(area, RECT{0, 0, to->w / scale, to->h / scale});
  if (IsEmpty(area)) return SDL_Rect{0, 0, 0, 0};
  // The window surface is 0x00RRGGBB on most hosts, like ours: rows are copied as they are.
  bool same = to->format->format == SDL_PIXELFORMAT_RGB888 ||
              to->format->format == SDL_PIXELFORMAT_ARGB8888;
  int width = area.right - area.left;
  std::vector<std::uint32_t> row(static_cast<std::size_t>(width) * scale);
  SDL_LockSurface(to);
  for (int y = area.top; y < area.bottom; ++y) {
    const std::uint32_t* in =
        from.pixels.data() + static_cast<std::size_t>(y) * from.width + area.left;
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = in[x];
      if (!same) p = SDL_MapRGB(to->format, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      std::fill_n(row.begin() + static_cast<std::ptrdiff_t>(x) * scale, scale, p);
    }
    for (int copy = 0; copy < scale; ++copy) {
      auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(to->pixels) +
                                                   (y * scale + copy) * to->pitch) +
                  area.left * scale;
      std::memcpy(out, row.data(), row.size() * sizeof(std::uint32_t));
    }
  }
  SDL_UnlockSurface(to);
  return SDL_Rect{area.left * scale, area.top * scale, width * scale,
                  (area.bottom - area.top) * scale};
}

bool ReadSurface(SDL_Surface* shown, Surface* out) {
  if (!shown || shown->format->BytesPerPixel != 4) return false;
  out->Resize(0, 0);
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

SDL_Surface* PictureOf(HICON icon, int scale, POINT* hotspot) {
  Surface picture;
  POINT spot{0, 0};
  if (!icon || !gdi::CursorPicture(icon, &picture, &spot) || picture.width <= 0) return nullptr;
  SDL_Surface* image = SDL_CreateRGBSurfaceWithFormat(
      0, picture.width * scale, picture.height * scale, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!image) return nullptr;
  SDL_LockSurface(image);
  for (int y = 0; y < image->h; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(image->pixels) +
                                                 y * image->pitch);
    for (int x = 0; x < image->w; ++x) out[x] = picture.Row(y / scale)[x / scale];
  }
  SDL_UnlockSurface(image);
  if (hotspot) *hotspot = POINT{spot.x * scale, spot.y * scale};
  return image;
}

}  // namespace platform::backend
