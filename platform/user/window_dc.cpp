// Window device contexts: BeginPaint/EndPaint, GetDC/GetDCEx/GetWindowDC/ReleaseDC, and
// the region forms of invalidation. The DCs themselves come from the GDI's surface DCs.
#include <algorithm>

#include "gdi/objects.h"
#include "platform/kernel.h"
#include "user/caret.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

std::vector<HDC>& IssuedDcs() {
  static auto* dcs = new std::vector<HDC>();
  return *dcs;
}

HDC MakeDc(HWND window, DrawArea area, DWORD flags, const Region* within) {
  EnsureStarted();
  if (window && !Lookup(window)) return nullptr;
  gdi::WindowDcRequest request;
  request.window = window;
  request.wholeWindow = area == DrawArea::Window;
  request.dcxFlags = flags & (DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
  if (within) {
    request.limited = true;
    request.within = *within;
  }
  HDC dc = gdi::CreateWindowDC(request);
  if (dc) IssuedDcs().push_back(dc);
  return dc;
}

std::vector<RECT> RegionRects(HRGN region) {
  if (auto* object = gdi::FindRegion(region)) return object->region.Rects();
  return {};
}

}  // namespace

bool FollowWindow(const gdi::WindowDcRequest& request, gdi::WindowTarget* out) {
  if (request.window && !LookupQuiet(request.window)) return false;
  DrawTarget target;
  DrawArea area = request.wholeWindow ? DrawArea::Window : DrawArea::Client;
  if (!GetDrawTarget(request.window, area, request.dcxFlags, &target)) return false;
  out->surface = std::move(target.surface);
  out->origin = target.origin;
  if (!request.limited) {
    out->visible = std::move(target.visible);
    return true;
  }
  Region within = request.within;
  within.Offset(target.origin.x, target.origin.y);
  Region visible = Region::FromRects(target.visible);
  visible.Intersect(within);
  out->visible = visible.Rects();
  return true;
}

void ForgetIssuedDcs() { IssuedDcs().clear(); }

}  // namespace platform::user

using namespace platform::user;

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  Window* w = Lookup(window);
  if (!w || !paint) return nullptr;
  if (w->Has(kFrameNeeded)) {
    w->flags &= ~kFrameNeeded;
    SetPaintCounted(w);
    Send(w, WM_NCPAINT, 1, 0);
    if (!(w = LookupQuiet(window))) return nullptr;
  }
  HideCaretForPaint(window);
  Region area = w->update;
  bool erase = w->Has(kEraseNeeded);
  w->update.Clear();
  w->flags &= ~(kEraseNeeded | kInternalPaint);
  SetPaintCounted(w);
  *paint = PAINTSTRUCT{};
  paint->rcPaint = area.Bounds();
  HDC dc = MakeDc(window, DrawArea::Client, 0, &area);
  paint->hdc = dc;
  if (dc && erase) {
    paint->fErase = Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  }
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint && paint->hdc) {
    auto& dcs = IssuedDcs();
    auto it = std::find(dcs.begin(), dcs.end(), paint->hdc);
    if (it != dcs.end()) {
      dcs.erase(it);
      platform::gdi::ReleaseSurfaceDC(paint->hdc);
    }
  }
  ShowCaretAfterPaint(window);
  return TRUE;
}

HDC GetDCEx(HWND window, HRGN clip, DWORD flags) {
  DrawArea area = (flags & DCX_WINDOW) ? DrawArea::Window : DrawArea::Client;
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    // The region is in the DC's own coordinates.
    Region within;
    if (flags & DCX_INTERSECTRGN) {
      for (const RECT& r : RegionRects(clip)) within.Add(r);
    } else {
      within.Add(RECT{-0x4000, -0x4000, 0x4000, 0x4000});
      for (const RECT& r : RegionRects(clip)) within.Subtract(r);
    }
    return MakeDc(window, area, flags, &within);
  }
  return MakeDc(window, area, flags, nullptr);
}

HDC GetDC(HWND window) { return GetDCEx(window, nullptr, 0); }

HDC GetWindowDC(HWND window) { return GetDCEx(window, nullptr, DCX_WINDOW); }

int ReleaseDC(HWND window, HDC dc) {
  (void)window;
  auto& dcs = IssuedDcs();
  auto it = std::find(dcs.begin(), dcs.end(), dc);
  if (it == dcs.end()) return 0;
  dcs.erase(it);
  platform::gdi::ReleaseSurfaceDC(dc);
  return 1;
}

BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase) {
  return RedrawWindow(window, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRgn(HWND window, HRGN region) {
  return RedrawWindow(window, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

HBRUSH GetSysColorBrush(int index) {
  static HBRUSH brushes[31] = {};
  if (index < 0 || index >= 31) return nullptr;
  if (!brushes[index]) {
    brushes[index] = CreateSolidBrush(GetSysColor(index));
    platform::gdi::MakePermanent(brushes[index]);  // shared by everyone: nothing may delete it
  }
  return brushes[index];
}
