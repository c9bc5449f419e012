// TWinControl: a control with its own platform window, created lazily (parents first)
// from a window class named after the component class and bound to the object through
// an object window procedure (forms/wndproc.h). It keeps its windowless and windowed
// children, routes mouse input and painting to the windowless ones, reflects child
// notifications back to the child controls as FN_ messages, runs the keyboard path and
// keeps focus and tab order. A window can be rebuilt at any time: what only the window
// holds is saved first. TCustomControl paints itself on a canvas; THintWindow shows
// hint text.
#pragma once
#include <string>
#include <vector>

#include "forms/control.h"

// The parameters a window is created from (FillWindowParams fills them).
struct TWindowParams {
  const char* Caption;
  DWORD Style;
  DWORD ExStyle;
  int X;
  int Y;
  int Width;
  int Height;
  HWND WndParent;
  void* Param;
  WNDCLASSA WindowClass;
  char WinClassName[64];
};

enum TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
TD_ENUM_TYPE(TImeMode, "imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha",
             "imHira", "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel");

class TWinControl : public TControl {
  TD_CLASS(TWinControl, TControl)

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window. Handle() creates it (and its parents' windows) when needed.
  HWND Handle();
  bool HasWindow() const { return handle_ != nullptr; }
  void NeedWindow();
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND window);
  virtual void CreateWindowNow();
  virtual void FillWindowParams(TWindowParams& params);
  virtual void MakeSystemWindow(TWindowParams& params);
  virtual void BuildWindow();
  virtual void FreeSystemWindow();
  virtual void TearDownWindow();
  // Destroys the windows of the windowed children (depth first), then this one's.
  void DestroyHandle();
  // Rebuilds the window now (FM_RECREATE_WINDOW) when it exists.
  void RebuildWindow();
  // Bases the window class of params on a registered class (the program's first, then
  // the system's), keeping the component class name.
  static void BaseOnSystemClass(TWindowParams& params, const char* className);
  WNDPROC DefaultWndProc() const { return defaultWndProc_; }
  WNDPROC ObjectWndProc() const { return objectWndProc_; }
  bool Showing() const { return showing_; }
  void UpdateShowing();
  void UpdateControlState();

  // Children: the windowless ones first, then the windowed ones, each in z-order.
  int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
  TControl* Controls(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  // The windowless child at a client point (topmost first); disabled ones only when asked.
  TControl* ControlAtPos(POINT point, bool allowDisabled);
  // Delivers the record to each child until one answers nonzero.
  void Broadcast(TMessage& message);
  void NotifyControls(UINT msg);

  // Alignment of the children.
  virtual void AlignControls(TControl* control, RECT& rect);
  void DisableAlign();
  void EnableAlign();
  void Realign();
  void AlignControlsAround(TControl* control);

  // Tab order and focus.
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  virtual bool CanTakeFocus();
  bool HasFocus();
  virtual void TakeFocus();
  bool CanFocus() { return CanTakeFocus(); }
  void SetFocus() { TakeFocus(); }
  bool Focused() { return HasFocus(); }
  virtual void CollectTabOrder(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                               bool checkParent);
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode value) { imeMode_ = value; }
  const std::string& ImeName() const { return imeName_; }
  void SetImeName(const std::string& value) { imeName_ = value; }

  // Geometry and painting.
  void ChangeBounds(int left, int top, int width, int height) override;
  RECT ClientRect() override;
  POINT ClientOrigin() override;
  void MoveInZOrder(bool topmost) override;
  void ScheduleRepaint() override;
  void RepaintNow() override;
  void FlushRepaint() override;
  HDC AcquireDrawingContext(HWND& window) override;
  // Paints the windowless children from first onward (all when first is null) into dc,
  // then the 3-D frames of the framed windowed children.
  void PaintControls(HDC dc, TControl* first);
  virtual void PaintWindow(HDC dc);
  // Is the child's rectangle wholly covered by an opaque visible windowless sibling
  // below it?
  bool CoveredByEarlierSibling(TControl* control) const;
  void MoveWindowlessChild(TControl* control, bool topmost);
  TBrush* Brush() const { return brush_.get(); }

  // Keyboard.
  virtual void HandleKeyDown(WORD& key, TShiftState shift);
  virtual void HandleKeyUp(WORD& key, TShiftState shift);
  virtual void HandleKeyPress(char& key);
  virtual void FireEnter();
  virtual void FireExit();

  void MessageProc(TMessage& message) override;
  void DefaultMessage(TMessage& message) override;
  void ReadContents(TFiler& reader) override;
  // The target of the object window procedure: MessageEntry inside a guard that hands
  // exceptions to the application, then the drawing contexts of canvases are released.
  void MainWndProc(TMessage& message);

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  // The paint handler: the context of wParam or a platform paint, the window itself
  // clipped around the opaque windowless children, then those children.
  void PaintHandler(TMessage& message);
  // Key messages once dispatched: form preview, key events, default procedure.
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);
  bool DoKeyPress(TMessage& message);
  // Focus messages of this control's window or of a window it stands for: false when the
  // form refuses it the focus (WM_SETFOCUS) or when the form is moving the focus through it
  // (WM_KILLFOCUS); the message then goes no further.
  bool FocusMessageGoesOn(const TMessage& message);
  // The system window: null until BuildWindow makes it and again once it is torn down;
  // derived classes that build their own windows read it directly.
  HWND handle_ = nullptr;

 private:
  friend class TControl;
  friend LRESULT InitialWndProc(HWND, UINT, WPARAM, LPARAM);

  void DoAlign(TAlign alignment, TControl* asking, RECT& rect);
  bool IsMenuKey(TMessage& message);
  void ReflectToChild(TMessage& message, HWND child);
  void InvalidateFrame();
  void ApplyStoredTabOrders();
  void UpdateShowingFlag();
  // Marks a new system window as this control's and puts it in its place among the
  // siblings' windows.
  void FinishWindow();

  // Handlers.
  void WMPaint(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMWindowPosChanged(TMessage& message);
  void WMSize(TMessage& message);
  void WMMove(TMessage& message);
  void WMSetCursor(TMessage& message);
  void WMDestroy(TMessage& message);
  void WMNCDestroy(TMessage& message);
  void WMNCHitTest(TMessage& message);
  void WMQueryNewPalette(TMessage& message);
  void WMPaletteChanged(TMessage& message);
  void WMSysColorChange(TMessage& message);
  void WMSettingChange(TMessage& message);
  void WMSysCommand(TMessage& message);
  void WMCommand(TMessage& message);
  void WMNotify(TMessage& message);
  void WMScroll(TMessage& message);
  void WMItemMessage(TMessage& message);
  void WMItemKey(TMessage& message);
  void WMParentNotify(TMessage& message);
  void WMKeyDown(TMessage& message);
  void WMKeyUp(TMessage& message);
  void WMChar(TMessage& message);
  void WMFocusMessage(TMessage& message);
  void WMImeComposition(TMessage& message);
  void FNCtlColor(TMessage& message);
  void FNKeyDown(TMessage& message);
  void FNKeyUp(TMessage& message);
  void FNChar(TMessage& message);
  void FNSysKeyDown(TMessage& message);
  void FNSysChar(TMessage& message);
  void FMBroadcast(TMessage& message);
  void FMPassUp(TMessage& message);
  void FMVisibleChanged(TMessage& message);
  void FMEnabledChanged(TMessage& message);
  void FMColorChanged(TMessage& message);
  void FMFontChanged(TMessage& message);
  void FMShowHintChanged(TMessage& message);
  void FMCursorChanged(TMessage& message);
  void FMShowingChanged(TMessage& message);
  void FMEnter(TMessage& message);
  void FMExit(TMessage& message);
  void FMCtl3DChanged(TMessage& message);
  void FMParentCtl3DChanged(TMessage& message);
  void FMRecreateWindow(TMessage& message);
  void FMInvalidate(TMessage& message);
  void FMDrag(TMessage& message);

  WNDPROC objectWndProc_ = nullptr;
  WNDPROC defaultWndProc_ = nullptr;
  std::vector<TControl*> controls_;        // windowless children, bottom first
  std::vector<TWinControl*> winControls_;  // windowed children, bottom first
  std::vector<TWinControl*> tabList_;      // windowed children in tab order
  std::unique_ptr<TBrush> brush_;
  HWND parentWindow_ = nullptr;
  bool tabStop_ = false;
  bool ctl3D_ = false;
  bool parentCtl3D_ = true;
  bool showing_ = false;
  std::int32_t storedTabOrder_ = -1;
  std::int16_t alignLevel_ = 0;
  int helpContext_ = 0;
  TImeMode imeMode_ = imDontCare;
  std::string imeName_;
  bool inComposition_ = false;
};

// The framework control that owns a window; nullptr for 0 or a foreign window.
TWinControl* FindControl(HWND window);
// The control under a screen point: the window's control, then its windowless child.
TControl* FindDragTarget(POINT screenPoint, bool allowDisabled);

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  TD_CLASS(TCustomControl, TWinControl)

 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TControlCanvas* Canvas() const { return canvas_.get(); }
  void PaintWindow(HDC dc) override;

 protected:
  virtual void PaintSelf() {}

 private:
  void WMPaint(TMessage& message);
  std::unique_ptr<TControlCanvas> canvas_;
};

// The small pop-up window that shows a hint text.
class THintWindow : public TCustomControl {
  TD_CLASS(THintWindow, TCustomControl)

 public:
  explicit THintWindow(TComponent* owner);
  void FillWindowParams(TWindowParams& params) override;
  // Shows hint in rect (screen coordinates), kept on the screen, topmost, not activated.
  void ActivateHint(RECT rect, const std::string& hint);
  // Hides the window.
  void ReleaseHint();
  // The rectangle the text needs, at the screen's origin.
  RECT CalcHintRect(const std::string& hint);
  // Does this message end a shown hint?
  static bool IsHintMessage(const MSG& message);

 protected:
  void PaintSelf() override;

 private:
  void FMTextChanged(TMessage& message);
};
