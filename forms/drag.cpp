// Drag and drop: the program-wide drag state, the capture window and the FM_DRAG
// requests to the targets.
#include "forms/drag.h"

#include <cstdlib>

#include "forms/bridges.h"
#include "forms/form.h"
#include "forms/internal.h"
#include "forms/wincontrol.h"
#include "forms/wndproc.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kDragThreshold = 5;

struct DragState {
  TControl* source = nullptr;
  TDragObject* object = nullptr;
  bool objectOwned = false;
  TControl* target = nullptr;
  HWND targetWindow = nullptr;
  POINT start{};
  POINT position{};
  bool active = false;
  HCURSOR savedCursor = nullptr;
  HWND captureWindow = nullptr;
  TUtilityWindow capture;
};

DragState drag;

LRESULT SendDragMessage(TDragMessage code, TControl* target, HWND window, POINT position) {
  if (window == nullptr) return 0;
  TDragRec record{position, drag.object, target};
  return SendMessageA(window, FM_DRAG, code, reinterpret_cast<LPARAM>(&record));
}

LRESULT ToTarget(TDragMessage code) {
  return SendDragMessage(code, drag.target, drag.targetWindow, drag.position);
}

// The target under a screen point, and the window its requests go to.
TControl* TargetAt(POINT point, HWND& window) {
  window = WindowFromPoint(point);
  while (window != nullptr && FindControl(window) == nullptr) window = GetParent(window);
  if (window == nullptr) return nullptr;
  return reinterpret_cast<TControl*>(SendDragMessage(dmFindTarget, nullptr, window, point));
}

void DestroyCaptureWindow() {
  HWND window = drag.captureWindow;
  drag.captureWindow = nullptr;
  if (window != nullptr && GetCapture() == window) ReleaseCapture();
  DeallocateUtilityWindow(drag.capture);
}

void FreeDragObject() {
  TDragObject* object = drag.object;
  bool owned = drag.objectOwned;
  drag.object = nullptr;
  drag.objectOwned = false;
  if (owned) delete object;
}

void DragTo(POINT point) {
  if (!drag.active && std::abs(drag.start.x - point.x) < kDragThreshold &&
      std::abs(drag.start.y - point.y) < kDragThreshold)
    return;
  drag.active = true;
  HWND window = nullptr;
  TControl* target = TargetAt(point, window);
  if (target != drag.target) {
    ToTarget(dmDragLeave);
    drag.target = target;
    drag.targetWindow = window;
    drag.position = point;
    ToTarget(dmDragEnter);
  }
  drag.position = point;
  bool accepted = ToTarget(dmDragMove) != 0;
  if (drag.object == nullptr) return;  // the move request ended the drag
  TCursor cursor = drag.object->CursorFor(accepted, point.x, point.y);
  if (Screen != nullptr) SetCursor(Screen->Cursors(cursor));
}

void DragDone(bool drop) {
  if (drag.source == nullptr && drag.object == nullptr) return;
  drag.source = nullptr;
  DestroyCaptureWindow();
  SetCursor(drag.savedCursor);
  TControl* target = drag.target;
  POINT targetPoint = drag.position;
  try {
    if (target != nullptr) targetPoint = target->ScreenToClient(drag.position);
    bool accepted = drag.active && ToTarget(dmDragLeave) != 0 && drop;
    drag.active = false;
    if (accepted) {
      ToTarget(dmDragDrop);
    } else {
      drag.position = POINT{0, 0};
      targetPoint = POINT{0, 0};
      ToTarget(dmDragCancel);
    }
    // A target that freed itself on a request (its OnDragDrop, say) is no target for the
    // end notices.
    if (drag.target != target) {
      target = nullptr;
      targetPoint = POINT{0, 0};
    }
    if (drag.object != nullptr)
      drag.object->DragFinished(target, targetPoint.x, targetPoint.y, accepted);
  } catch (...) {
    drag.target = nullptr;
    drag.targetWindow = nullptr;
    FreeDragObject();
    throw;
  }
  drag.target = nullptr;
  drag.targetWindow = nullptr;
  FreeDragObject();
}

// The capture window's procedure. Only the left-button release ends a drag; Esc and the
// right button do nothing. Losing the capture to someone else (a menu loop, a message
// box, WM_CANCELMODE from the exception display) ends it as a cancel, since the release
// would never arrive.
void CaptureWindowProc(TObject*, TMessage& message) {
  try {
    switch (message.Msg) {
      case WM_MOUSEMOVE: {
        POINT point = PointFromLParam(message.LParam);
        ClientToScreen(drag.captureWindow, &point);
        DragTo(point);
        break;
      }
      case WM_LBUTTONUP:
        DragDone(true);
        break;
      case WM_CANCELMODE:
        if (drag.source != nullptr) DragDone(false);
        break;
      case WM_CAPTURECHANGED:
        if (drag.source != nullptr && reinterpret_cast<HWND>(message.LParam) != drag.captureWindow)
          DragDone(false);
        break;
      default:
        break;
    }
  } catch (...) {
    if (drag.source != nullptr) {
      try {
        DragDone(false);
      } catch (...) {
      }
    }
    ApplicationBridge().HandleException(nullptr);
  }
  message.Result = 0;
}

HWND CreateCaptureWindow() {
  drag.capture = AllocateUtilityWindow(&CaptureWindowProc, nullptr, WS_POPUP, WS_EX_TOOLWINDOW);
  return drag.capture.Window;
}

void DragInit(TControl* control, bool immediate) {
  TDragObject* object = nullptr;
  try {
    control->StartDragNotice(object);
  } catch (...) {
    drag.source = nullptr;
    throw;
  }
  drag.objectOwned = object == nullptr;
  drag.object = object != nullptr ? object : new TDragControlObject(control);
  drag.target = nullptr;
  drag.targetWindow = nullptr;
  GetCursorPos(&drag.start);
  drag.position = drag.start;
  drag.savedCursor = GetCursor();
  drag.active = immediate;
  try {
    drag.captureWindow = CreateCaptureWindow();
  } catch (...) {
    drag.source = nullptr;
    FreeDragObject();
    throw;
  }
  SetCapture(drag.captureWindow);
  if (immediate) DragTo(drag.start);
}

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TDragObject)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TDragControlObject)

TCursor TDragObject::CursorFor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }
void TDragObject::DragFinished(TObject*, int, int, bool) {}
HINSTANCE TDragObject::Instance() { return GetModuleHandleA(nullptr); }

HIMAGELIST TDragControlObject::DragImages() { return control_->DragImages(); }

TCursor TDragControlObject::CursorFor(bool accepted, int, int) {
  return accepted ? control_->DragCursor() : crNoDrop;
}

void TDragControlObject::DragFinished(TObject* target, int x, int y, bool accepted) {
  TAliveGuard guard(control_);
  if (!accepted) control_->DragCancelled();
  if (guard.Alive()) control_->EndDragNotice(target, x, y);
}

TControl* DragSourceControl() { return drag.source; }
bool DragActive() { return drag.source != nullptr && drag.active; }

void CancelDrag() {
  if (drag.source != nullptr) DragDone(false);
}

void TControl::StartDragging(bool immediate) {
  if (dynamic_cast<TForm*>(this) != nullptr) throw EInvalidOperation(LoadStr(61518));
  if (drag.source != nullptr) return;
  drag.source = this;
  if ((stateFlags_ & stLButtonDown) != 0) {
    POINT point{};
    GetCursorPos(&point);
    point = ScreenToClient(point);
    TAliveGuard guard(this);
    Deliver(WM_LBUTTONUP, 0, LParamFromPoint(point.x, point.y));
    if (!guard.Alive()) return;
  }
  if (drag.source == this) DragInit(this, immediate);
}

bool TControl::IsBeingDragged() const { return drag.source == this; }

bool TControl::DragOverQuery(TObject* source, int x, int y, TDragState state) {
  bool accept = true;
  if (OnDragOver)
    OnDragOver(this, source, x, y, state, accept);
  else
    accept = false;
  return accept;
}

void TControl::DropNotice(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }
void TControl::StartDragNotice(TDragObject*& dragObject) { OnStartDrag(this, dragObject); }
void TControl::EndDragNotice(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }

void HandleDragMessage(TWinControl* control, TMessage& message) {
  auto* record = reinterpret_cast<TDragRec*>(message.LParam);
  if (record == nullptr) return;
  switch (message.WParam) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove:
    case dmDragDrop: {
      TControl* target = record->Target;
      if (target == nullptr) return;
      TObject* source = record->Source;
      if (auto* controlObject = dynamic_cast<TDragControlObject*>(record->Source))
        source = controlObject->Control();
      POINT point = target->ScreenToClient(record->Pos);
      if (message.WParam == dmDragDrop)
        target->DropNotice(source, point.x, point.y);
      else
        message.Result =
            target->DragOverQuery(source, point.x, point.y, static_cast<TDragState>(message.WParam))
                ? 1
                : 0;
      break;
    }
    case dmFindTarget: {
      TControl* found = control->ControlAtPos(control->ScreenToClient(record->Pos), false);
      message.Result = reinterpret_cast<LRESULT>(found != nullptr ? found : control);
      break;
    }
    default:
      break;
  }
}

void forms_detail::ForgetDragControl(TControl* control) {
  if (drag.target == control) {
    drag.target = nullptr;
    drag.targetWindow = nullptr;
  }
  bool sourceGone = drag.source == control;
  auto* controlObject = dynamic_cast<TDragControlObject*>(drag.object);
  if (controlObject != nullptr && controlObject->Control() == control) sourceGone = true;
  if (!sourceGone) return;
  // The source dies mid-drag: end it without telling anyone on its behalf.
  drag.source = nullptr;
  DestroyCaptureWindow();
  SetCursor(drag.savedCursor);
  drag.active = false;
  drag.target = nullptr;
  drag.targetWindow = nullptr;
  FreeDragObject();
}

TControl* FindDragTarget(POINT screenPoint, bool allowDisabled) {
  HWND window = WindowFromPoint(screenPoint);
  while (window != nullptr && FindControl(window) == nullptr) window = GetParent(window);
  TWinControl* control = FindControl(window);
  if (control == nullptr) return nullptr;
  TControl* child = control->ControlAtPos(control->ScreenToClient(screenPoint), allowDisabled);
  return child != nullptr ? child : control;
}
