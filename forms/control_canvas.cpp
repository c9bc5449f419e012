// Control canvases and the classes that paint on them (TGraphicControl,
// TCustomControl), and the cursor identifiers.
#include <algorithm>
#include <array>
#include <deque>

#include "classes/reader.h"
#include "forms/control.h"
#include "forms/wincontrol.h"
#include "runtime/text.h"

namespace {

// Control canvases holding a drawing context, oldest first; at most four at a time.
constexpr std::size_t kMaxHeldContexts = 4;
std::deque<TControlCanvas*>& HeldContexts() {
  static auto* held = new std::deque<TControlCanvas*>;
  return *held;
}

constexpr std::array<TIdentMapEntry, 20> kCursorIdentifiers{{
    {crDefault, "crDefault"},
    {crArrow, "crArrow"},
    {crCross, "crCross"},
    {crIBeam, "crIBeam"},
    {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"},
    {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},
    {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},
    {crNo, "crNo"},
    {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},
    {crSize, "crSize"},
}};

}  // namespace

bool CursorToIdent(std::int32_t cursor, std::string& identifier) {
  for (const auto& entry : kCursorIdentifiers) {
    if (entry.Value == cursor) {
      identifier = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToCursor(const std::string& identifier, std::int32_t& cursor) {
  for (const auto& entry : kCursorIdentifiers) {
    if (SameAsciiNoCase(entry.Name, identifier)) {
      cursor = entry.Value;
      return true;
    }
  }
  return false;
}

const TTypeInfo& CursorType() {
  static const TTypeInfo& info = []() -> const TTypeInfo& {
    static const TTypeInfo type = MakeIntegerType("TCursor", TOrdType::SWord);
    RegisterIdentMapper(&type, IdentToCursor, CursorToIdent);
    return type;
  }();
  return info;
}

// Control canvases.

TControlCanvas::~TControlCanvas() { ReleaseContext(); }

void TControlCanvas::SetControl(TControl* control) {
  if (control == control_) return;
  ReleaseContext();
  control_ = control;
}

void TControlCanvas::CreateHandle() {
  if (control_ == nullptr) return;
  auto& held = HeldContexts();
  if (acquired_ == nullptr) {
    if (held.size() >= kMaxHeldContexts) held.front()->ReleaseContext();
    acquired_ = control_->AcquireDrawingContext(window_);
    held.push_back(this);
  }
  SetHandle(acquired_);
}

void TControlCanvas::ReleaseContext() {
  if (acquired_ == nullptr) return;
  SetHandle(nullptr);
  ReleaseDC(window_, acquired_);
  acquired_ = nullptr;
  window_ = nullptr;
  auto& held = HeldContexts();
  held.erase(std::remove(held.begin(), held.end(), this), held.end());
}

// Runs after every window message, so the common case (nothing held) costs a test.
void ReleaseControlCanvasContexts() {
  auto& held = HeldContexts();
  std::size_t index = 0;
  while (index < held.size()) {
    TControlCanvas* canvas = held[index];
    if (canvas->LockCount() > 0)
      ++index;
    else
      canvas->ReleaseContext();  // removes it from the list
  }
}

int HeldControlCanvasContexts() { return static_cast<int>(HeldContexts().size()); }

// TGraphicControl.

TD_IMPLEMENT_CLASS(TGraphicControl)
void TGraphicControl::Describe(Describer& d) { d.Message(WM_PAINT, &TGraphicControl::WMPaint); }

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() { canvas_.reset(); }

void TGraphicControl::WMPaint(TMessage& message) {
  if (message.WParam == 0) return;
  canvas_->Lock();
  canvas_->SetHandle(reinterpret_cast<HDC>(message.WParam));
  try {
    PaintSelf();
  } catch (...) {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}

// TCustomControl.

TD_IMPLEMENT_CLASS(TCustomControl)
void TCustomControl::Describe(Describer& d) { d.Message(WM_PAINT, &TCustomControl::WMPaint); }

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  if (canvas_) canvas_->ReleaseContext();
}

void TCustomControl::WMPaint(TMessage& message) { PaintHandler(message); }

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetHandle(dc);
  try {
    PaintSelf();
  } catch (...) {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}
