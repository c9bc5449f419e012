// TControl: the base of everything visible. It has a parent, a rectangle in the parent's
// client area, a caption, a font, a colour, a cursor, visibility and enabled state,
// mouse events and one message entry. A TControl that is not a TWinControl has no window
// of its own: its parent's window routes mouse messages and paint requests to it.
// TGraphicControl adds a canvas for such windowless controls.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "classes/component.h"
#include "classes/events.h"
#include "classes/sets.h"
#include "forms/forward.h"
#include "forms/messages.h"
#include "graphics/graphics.h"

// The largest coordinate or extent a control takes, either way from zero: far beyond any
// screen, and small enough that sums of a few (a right edge, an origin over the parents, a
// scroll range) never overflow an int. Geometry from descriptions and calls is clamped to it.
constexpr int kMaxCoordinate = 1 << 24;
inline int ClampCoordinate(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
TD_ENUM_TYPE(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient");
enum TDragMode { dmManual, dmAutomatic };
TD_ENUM_TYPE(TDragMode, "dmManual", "dmAutomatic");
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
TD_ENUM_TYPE(TDragState, "dsDragEnter", "dsDragLeave", "dsDragMove");
enum TMouseButton { mbLeft, mbRight, mbMiddle };
TD_ENUM_TYPE(TMouseButton, "mbLeft", "mbRight", "mbMiddle");
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
TD_ENUM_TYPE(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle",
             "ssDouble");
using TShiftState = TSet<TShiftStateFlag>;

// Cursor identifiers: 0 the default, negative the screen's standard cursors.
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSize = -5;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
// The cursor type as a form description names it, with its identifiers ("crDrag").
const TTypeInfo& CursorType();
bool CursorToIdent(std::int32_t cursor, std::string& identifier);
bool IdentToCursor(const std::string& identifier, std::int32_t& cursor);

// StyleFlags: what a control class is, fixed by its constructor.
inline constexpr WORD csAcceptsControls = 0x0001;  // its window clips its children
inline constexpr WORD csCaptureMouse = 0x0002;     // captures while the left button is held
inline constexpr WORD csClickEvents = 0x0008;      // OnClick and OnDblClick
inline constexpr WORD csFramed = 0x0010;           // a 3-D frame drawn by the parent
inline constexpr WORD csSetCaption = 0x0020;       // caption follows Name while equal
inline constexpr WORD csOpaque = 0x0040;           // paints its whole rectangle
inline constexpr WORD csDoubleClicks = 0x0080;     // accepts double clicks
inline constexpr WORD csFixedWidth = 0x0100;
inline constexpr WORD csFixedHeight = 0x0200;
inline constexpr WORD csNoDesignVisible = 0x0400;
inline constexpr WORD csReplicatable = 0x0800;
inline constexpr WORD csNoStdEvents = 0x1000;       // no mouse and key events
inline constexpr WORD csDisplayDragImage = 0x2000;  // shows drag images over it

// StateFlags: what the control is doing.
inline constexpr BYTE stLButtonDown = 0x01;
inline constexpr BYTE stClicked = 0x02;
inline constexpr BYTE stPalette = 0x04;
inline constexpr BYTE stReadingState = 0x08;
inline constexpr BYTE stAlignmentNeeded = 0x10;
inline constexpr BYTE stFocusing = 0x20;
inline constexpr BYTE stCreating = 0x40;
inline constexpr BYTE stPaintCopy = 0x80;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
using TStartDragEvent = TEvent<TObject*, TDragObject*&>;
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;

// Tells whether an object is still alive after code that may have destroyed it (a click
// handler freeing its button). Guards live on the stack; a dying control clears the
// guards that watch it.
class TAliveGuard {
 public:
  explicit TAliveGuard(TControl* control);
  ~TAliveGuard();
  TAliveGuard(const TAliveGuard&) = delete;
  TAliveGuard& operator=(const TAliveGuard&) = delete;
  bool Alive() const { return control_ != nullptr; }

 private:
  friend class TControl;
  TControl* control_;
  TAliveGuard* next_;
};

class TControl : public TComponent {
  TD_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Messages. Deliver builds a record with result 0, passes it to MessageEntry and
  // returns the result (the free Deliver below also takes a null control).
  LRESULT Deliver(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  virtual void MessageProc(TMessage& message);
  void DefaultMessage(TMessage& message) override;
  TEvent<TMessage&> MessageEntry;

  // Parenthood (the owner frees; the parent contains and shows).
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  bool HasParent() const { return parent_ != nullptr; }
  TComponent* StoredParent() override;
  bool IsStoredInParent() override;
  void AttachToParent(TComponent* parent) override;
  void ReadContents(TFiler& reader) override;
  // "IsControl", stored as an extra entry when true.
  void DeclareStoredData(TFiler& filer) override;
  void SetName(const std::string& newName) override;
  void ComponentNotice(TComponent* component, TOperation operation) override;

  // Geometry, in the parent's client coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value);
  void SetTop(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const RECT& rect);
  virtual void ChangeBounds(int left, int top, int width, int height);
  virtual RECT ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientWidth(int value);
  void SetClientHeight(int value);
  virtual POINT ClientOrigin();
  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);
  virtual void Rescale(int numerator, int denominator);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  // Asks the parent to align its children around this one.
  void RequestAlign();

  // Visibility, state and settings pushed down from the parent.
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  std::string Caption();
  void SetCaption(const std::string& value);
  std::string Text() { return Caption(); }
  void SetText(const std::string& value) { SetCaption(value); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  TDragMode DragMode() const { return dragMode_; }
  virtual void SetDragMode(TDragMode value);
  bool IsControl() const { return isControl_; }
  void SetIsControl(bool value) { isControl_ = value; }
  // The pop-up menu; the templates let layers that know TPopupMenu use it typed
  // (forms/ itself sees only the component).
  template <class M = TPopupMenu>
  M* PopupMenu() const {
    return static_cast<M*>(popupMenu_);
  }
  template <class M = TPopupMenu>
  void SetPopupMenu(M* menu) {
    SetPopupMenuComponent(menu);
  }
  TComponent* PopupMenuComponent() const { return popupMenu_; }
  void SetPopupMenuComponent(TComponent* menu);
  virtual TComponent* PopupMenuQuery() { return popupMenu_; }

  WORD StyleFlags() const { return styleFlags_; }
  void SetStyleFlags(WORD flags) { styleFlags_ = flags; }
  BYTE StateFlags() const { return stateFlags_; }
  void IncludeStateFlags(BYTE flags) { stateFlags_ |= flags; }
  void ExcludeStateFlags(BYTE flags) { stateFlags_ &= static_cast<BYTE>(~flags); }
  BYTE ScalingFlags() const { return scalingFlags_; }

  // Mouse capture: a windowless control captures through its parent's window.
  void CaptureMouse(bool capture);
  bool HasCapture() const;
  static TControl* CaptureControl();

  // Painting.
  virtual void ScheduleRepaint();
  virtual void RepaintNow();
  virtual void FlushRepaint();
  // Invalidates the bounds in the parent's window (as visible, as opaque).
  void InvalidateInParent(bool visible, bool opaque);
  // A drawing context for this control (origin at its top-left, clipped to it) and the
  // window it belongs to; EInvalidOperation without parent.
  virtual HDC AcquireDrawingContext(HWND& window);
  virtual HPALETTE PaletteQuery() { return nullptr; }
  virtual bool PaletteNotice(bool foreground);
  virtual void MoveInZOrder(bool topmost);
  void BringToFront() { MoveInZOrder(true); }
  void SendToBack() { MoveInZOrder(false); }

  // Drag and drop (forms/drag.h).
  void StartDragging(bool immediate);
  bool IsBeingDragged() const;
  virtual void DragCancelled() {}
  virtual bool DragOverQuery(TObject* source, int x, int y, TDragState state);
  virtual void EndDragNotice(TObject* target, int x, int y);
  virtual void StartDragNotice(TDragObject*& dragObject);
  virtual void DropNotice(TObject* source, int x, int y);
  virtual HIMAGELIST DragImages() { return nullptr; }

  // Mouse and click events.
  virtual void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void HandleMouseMove(TShiftState shift, int x, int y);
  virtual void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireClick();
  virtual void FireDblClick();

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

 protected:
  // Runs before Visible changes; nothing here.
  virtual void VisibleChanging() {}
  // Cancel modes: the active form's active control gets FM_CANCEL_MODE (lParam pressed).
  void CancelModes(TControl* pressed);
  // The pop-up menu rule of a right-button release at a client point.
  void PopupAt(int x, int y);
  bool InDesignMode() const { return ComponentState().Contains(Designing); }
  bool IsLoading() const { return ComponentState().Contains(Loading); }
  void FontChanged(TObject* sender);

  WORD styleFlags_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;

 private:
  friend class TWinControl;
  friend class TForm;
  friend class TAliveGuard;

  void MouseMessage(TMessage& message, TMouseButton button, bool down, bool dbl);
  void WMLButtonDown(TMessage& message);
  void WMLButtonDblClk(TMessage& message);
  void WMRButtonDown(TMessage& message);
  void WMRButtonDblClk(TMessage& message);
  void WMMButtonDown(TMessage& message);
  void WMMButtonDblClk(TMessage& message);
  void WMMouseMove(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void WMRButtonUp(TMessage& message);
  void WMMButtonUp(TMessage& message);
  void WMNCLButtonDown(TMessage& message);
  void WMCancelMode(TMessage& message);
  void FMParentColorChanged(TMessage& message);
  void FMParentFontChanged(TMessage& message);
  void FMParentShowHintChanged(TMessage& message);
  void FMRepaintOnChange(TMessage& message);
  void FMVisibleChanged(TMessage& message);
  void FMHitTest(TMessage& message);
  void FMMouseEnterLeave(TMessage& message);
  void FMDesignHitTest(TMessage& message);
  void WMWindowPosChanged(TMessage& message);

  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  BYTE stateFlags_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool parentFont_ = true;
  bool parentColor_ = true;
  TAlign align_ = alNone;
  TDragMode dragMode_ = dmManual;
  bool isControl_ = false;
  std::unique_ptr<std::string> text_;  // null: no text
  std::unique_ptr<TFont> font_;
  TColor color_ = static_cast<TColor>(0x80000005);
  TCursor cursor_ = crDefault;
  TCursor dragCursor_ = crDrag;
  TComponent* popupMenu_ = nullptr;
  std::string hint_;
  int fontHeight_ = 0;
  BYTE scalingFlags_ = 0;
  bool showHint_ = false;
  bool parentShowHint_ = true;
};

// Deliver on a control that may be missing: 0 without effect for nullptr.
LRESULT Deliver(TControl* control, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Shift state of a mouse message's key flags (Alt from the keyboard).
TShiftState MouseShiftState(WPARAM keys);
// Shift state of a key message's key data (Shift and Ctrl from the keyboard, Alt bit 29).
TShiftState KeyShiftState(LPARAM keyData);

// A canvas that draws on a control: it acquires a drawing context on first need and
// gives it back after the message being handled (at most four are held at a time).
class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* control);
  // Gives the acquired context back to the window.
  void ReleaseContext();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC acquired_ = nullptr;
  HWND window_ = nullptr;
};

// Releases every drawing context held by control canvases (after each window message).
void ReleaseControlCanvasContexts();
// How many control canvases hold a context now.
int HeldControlCanvasContexts();

// A windowless control with a canvas that paints itself (PaintSelf).
class TGraphicControl : public TControl {
  TD_CLASS(TGraphicControl, TControl)

 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TControlCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void PaintSelf() {}

 private:
  void WMPaint(TMessage& message);
  std::unique_ptr<TControlCanvas> canvas_;
};
