// TWinControl: the child lists, alignment, geometry and painting.
#include <algorithm>

#include "forms/form.h"
#include "forms/wincontrol.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

template <class T>
void Erase(std::vector<T*>& list, const TControl* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

TControl* TWinControl::Controls(int index) const {
  auto count = static_cast<int>(controls_.size());
  if (index < count) return controls_[static_cast<std::size_t>(index)];
  return winControls_[static_cast<std::size_t>(index - count)];
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (; control != nullptr; control = control->Parent())
    if (control == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* control) {
  Deliver(FM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(control), 1);
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed != nullptr) {
    winControls_.push_back(windowed);
    tabList_.push_back(windowed);
  } else {
    controls_.push_back(control);
  }
  control->parent_ = this;
  if ((control->StateFlags() & stReadingState) == 0) {
    TAliveGuard guard(control);
    control->Deliver(FM_PARENT_COLOR_CHANGED);
    control->Deliver(FM_PARENT_FONT_CHANGED);
    control->Deliver(FM_PARENT_SHOW_HINT_CHANGED);
    if (windowed != nullptr && guard.Alive()) {
      windowed->Deliver(FM_PARENT_CTL3D_CHANGED);
      windowed->UpdateControlState();
    } else if (guard.Alive() && handle_ != nullptr) {
      control->ScheduleRepaint();
    }
  }
  AlignControlsAround(control);
}

void TWinControl::RemoveControl(TControl* control) {
  // Found by address, not by type: a child may be half destroyed already.
  auto found = std::find_if(winControls_.begin(), winControls_.end(), [control](TWinControl* w) {
    return static_cast<TControl*>(w) == control;
  });
  TWinControl* windowed = found != winControls_.end() ? *found : nullptr;
  if (windowed != nullptr) {
    if (TForm* form = ParentForm(this); form != nullptr) form->DefocusControl(windowed, true);
    windowed->DestroyHandle();
    Erase(winControls_, control);
    Erase(tabList_, control);
  } else {
    if (handle_ != nullptr) control->InvalidateInParent(control->Visible(), false);
    Erase(controls_, control);
  }
  control->parent_ = nullptr;
  Deliver(FM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(control), 0);
  Realign();
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* control = *it;
    POINT local{point.x - control->Left(), point.y - control->Top()};
    RECT client = control->ClientRect();
    if (local.x < client.left || local.x >= client.right || local.y < client.top ||
        local.y >= client.bottom)
      continue;
    if (InDesignMode() && control->Visible()) return control;
    if (control->Visible() && (control->Enabled() || allowDisabled) &&
        control->Deliver(FM_HIT_TEST, 0, LParamFromPoint(local.x, local.y)) != 0)
      return control;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    child->MessageEntry(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage message{msg, 0, 0, 0};
  Broadcast(message);
}

void TWinControl::FMBroadcast(TMessage& message) { Broadcast(message); }

void TWinControl::FMPassUp(TMessage& message) {
  if (Parent() != nullptr) Parent()->MessageEntry(message);
}

// Alignment.

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  --alignLevel_;
  if (alignLevel_ == 0 && (StateFlags() & stAlignmentNeeded) != 0) Realign();
}

void TWinControl::Realign() { AlignControlsAround(nullptr); }

void TWinControl::AlignControlsAround(TControl* control) {
  if (alignLevel_ != 0 || handle_ == nullptr) {
    IncludeStateFlags(stAlignmentNeeded);
    return;
  }
  DisableAlign();
  try {
    RECT rect = ClientRect();
    AlignControls(control, rect);
  } catch (...) {
    ExcludeStateFlags(stAlignmentNeeded);
    --alignLevel_;
    throw;
  }
  ExcludeStateFlags(stAlignmentNeeded);
  --alignLevel_;
}

void TWinControl::AlignControls(TControl* asking, RECT& rect) {
  bool any = false;
  for (int i = 0; i < ControlCount() && !any; ++i) any = Controls(i)->Align() != alNone;
  if (!any) return;
  for (TAlign alignment : {alTop, alBottom, alLeft, alRight, alClient})
    DoAlign(alignment, asking, rect);
}

void TWinControl::DoAlign(TAlign alignment, TControl* asking, RECT& rect) {
  auto precedes = [alignment](TControl* a, TControl* b) {
    switch (alignment) {
      case alTop:
        return a->Top() < b->Top();
      case alBottom:
        return a->Top() + a->Height() > b->Top() + b->Height();
      case alLeft:
        return a->Left() < b->Left();
      case alRight:
        return a->Left() + a->Width() > b->Left() + b->Width();
      default:
        return false;
    }
  };
  std::vector<TControl*> list;
  if (asking != nullptr && asking->Parent() == this && asking->Visible() &&
      asking->Align() == alignment)
    list.push_back(asking);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* control = Controls(i);
    if (control == asking || control->Align() != alignment || !control->Visible()) continue;
    auto at = list.begin();
    while (at != list.end() && !precedes(control, *at)) ++at;
    list.insert(at, control);
  }
  for (TControl* control : list) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int left = control->Left(), top = control->Top();
    int w = control->Width(), h = control->Height();
    switch (alignment) {
      case alTop:
        rect.top += h;
        left = rect.left;
        top = rect.top - h;
        if (width >= 0) w = width;
        break;
      case alBottom:
        rect.bottom -= h;
        left = rect.left;
        top = rect.bottom;
        if (width >= 0) w = width;
        break;
      case alLeft:
        rect.left += w;
        left = rect.left - w;
        top = rect.top;
        if (height >= 0) h = height;
        break;
      case alRight:
        rect.right -= w;
        left = rect.right;
        top = rect.top;
        if (height >= 0) h = height;
        break;
      case alClient:
        if (width <= 0 || height <= 0) continue;
        left = rect.left;
        top = rect.top;
        w = width;
        h = height;
        break;
      default:
        break;
    }
    control->ChangeBounds(left, top, w, h);
  }
}

// Geometry.

void TWinControl::ChangeBounds(int left, int top, int width, int height) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  width = ClampCoordinate(width);
  height = ClampCoordinate(height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (handle_ != nullptr && !IsIconic(handle_)) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    // A minimised window keeps its fields; they become its position when restored.
  }
  RequestAlign();
}

RECT TWinControl::ClientRect() {
  RECT rect{};
  GetClientRect(Handle(), &rect);
  return rect;
}

POINT TWinControl::ClientOrigin() {
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  return origin;
}

void TWinControl::MoveInZOrder(bool topmost) {
  if (Parent() != nullptr) {
    auto& siblings = Parent()->winControls_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end()) return;
    siblings.erase(it);
    if (topmost)
      siblings.push_back(this);
    else
      siblings.insert(siblings.begin(), this);
    if (handle_ != nullptr)
      SetWindowPos(handle_, topmost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else if (handle_ != nullptr) {
    SetWindowPos(handle_, topmost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::MoveWindowlessChild(TControl* control, bool topmost) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  std::size_t old = static_cast<std::size_t>(it - controls_.begin());
  std::size_t target = topmost ? controls_.size() - 1 : 0;
  if (old == target) return;
  controls_.erase(it);
  controls_.insert(controls_.begin() + static_cast<std::ptrdiff_t>(target), control);
  control->InvalidateInParent(control->Visible(), true);
}

bool TWinControl::CoveredByEarlierSibling(TControl* control) const {
  RECT rect = control->BoundsRect();
  for (TControl* sibling : controls_) {
    if (sibling == control) return false;
    if (sibling->Visible() && (sibling->StyleFlags() & csOpaque) != 0 &&
        Contains(sibling->BoundsRect(), rect))
      return true;
  }
  return false;
}

// Painting.

void TWinControl::ScheduleRepaint() { Deliver(FM_INVALIDATE); }

void TWinControl::FMInvalidate(TMessage& message) {
  if (handle_ == nullptr) return;
  if (Parent() != nullptr) Parent()->Deliver(FM_INVALIDATE, 1);
  if (message.WParam == 0)
    InvalidateRect(handle_, nullptr, (styleFlags_ & csOpaque) != 0 ? FALSE : TRUE);
}

void TWinControl::FlushRepaint() {
  if (handle_ != nullptr) UpdateWindow(handle_);
}

void TWinControl::RepaintNow() {
  ScheduleRepaint();
  FlushRepaint();
}

HDC TWinControl::AcquireDrawingContext(HWND& window) {
  window = Handle();
  HDC dc = InDesignMode() ? GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS) : GetDC(window);
  if (dc == nullptr) throw EOutOfResources(LoadStr(61482));
  return dc;
}

void TWinControl::WMPaint(TMessage& message) {
  if (controls_.empty() && winControls_.empty()) {
    InheritedMessage(StaticClass(), message);
    return;
  }
  PaintHandler(message);
}

void TWinControl::PaintHandler(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT paint{};
  bool began = false;
  if (dc == nullptr) {
    dc = BeginPaint(handle_, &paint);
    began = true;
  }
  try {
    if (!controls_.empty()) {
      int saved = SaveDC(dc);
      int clip = SIMPLEREGION;
      for (TControl* control : controls_) {
        if (!control->Visible() || (control->StyleFlags() & csOpaque) == 0) continue;
        clip =
            ExcludeClipRect(dc, control->Left(), control->Top(), control->Left() + control->Width(),
                            control->Top() + control->Height());
        if (clip == NULLREGION) break;
      }
      if (clip != NULLREGION) PaintWindow(dc);
      RestoreDC(dc, saved);
    } else {
      PaintWindow(dc);
    }
    PaintControls(dc, nullptr);
  } catch (...) {
    if (began) EndPaint(handle_, &paint);
    throw;
  }
  if (began) EndPaint(handle_, &paint);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  std::size_t start = 0;
  if (first != nullptr) {
    auto it = std::find(controls_.begin(), controls_.end(), first);
    start =
        it == controls_.end() ? controls_.size() : static_cast<std::size_t>(it - controls_.begin());
  }
  for (std::size_t i = start; i < controls_.size(); ++i) {
    TControl* control = controls_[i];
    RECT rect = control->BoundsRect();
    if (!control->Visible() || !RectVisible(dc, &rect)) continue;
    int saved = SaveDC(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + control->Left(), origin.y + control->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
    if ((StateFlags() & stPaintCopy) != 0) control->IncludeStateFlags(stPaintCopy);
    try {
      control->Deliver(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    } catch (...) {
      control->ExcludeStateFlags(stPaintCopy);
      RestoreDC(dc, saved);
      throw;
    }
    control->ExcludeStateFlags(stPaintCopy);
    RestoreDC(dc, saved);
  }
  for (TWinControl* control : winControls_) {
    if ((control->StyleFlags() & csFramed) == 0 || !control->Ctl3D() || !control->Visible())
      continue;
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    RECT outer{control->Left() - 1, control->Top() - 1, control->Left() + control->Width(),
               control->Top() + control->Height()};
    FrameRect(dc, &outer, shadow);
    RECT inner{control->Left(), control->Top(), control->Left() + control->Width() + 1,
               control->Top() + control->Height() + 1};
    FrameRect(dc, &inner, light);
  }
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultMessage(message);
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  RECT rect{};
  GetClientRect(handle_, &rect);
  FillRect(reinterpret_cast<HDC>(message.WParam), &rect, brush_->Handle());
  message.Result = 1;
}
