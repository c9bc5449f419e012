// TForm: construction and description reading, window parameters, showing, closing,
// the main menu and the menu messages. Focus and dialog keys are in form_focus.cpp.
#include "forms/form.h"

#include <vector>

#include "classes/reader.h"
#include "forms/application.h"
#include "forms/bridges.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

TD_IMPLEMENT_CLASS(TForm)
void TForm::Describe(Describer& d) {
  d.Property("Caption", &TForm::Caption, &TForm::SetCaption);
  d.Property("Color", &TForm::Color, &TForm::SetColor)
      .Type(ColorType())
      .Stored(&TForm::IsFormColorStored);
  d.Property("Font", &TForm::Font, &TForm::SetFont);
  d.Property("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
  d.Property("Enabled", &TForm::Enabled, &TForm::SetEnabled).Default(true);
  d.Property("ParentFont", &TForm::ParentFont, &TForm::SetParentFont).Default(false);
  d.Property("Ctl3D", &TForm::Ctl3D, &TForm::SetCtl3D).Default(true);
  d.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons);
  d.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  d.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
  d.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  d.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  d.Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
  d.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
  d.Property("Menu", &TForm::MenuComponent, &TForm::SetMenuComponent);
  d.Property("Icon", &TForm::Icon, &TForm::SetIcon);
  d.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
  d.Property("Scaled", &TForm::Scaled, &TForm::SetScaled).Default(true);
  d.Property("ShowHint", &TForm::ShowHint, &TForm::SetShowHint);
  d.Property("HelpContext", &TForm::HelpContext, &TForm::SetHelpContext).Default(0);
  d.Property("ClientWidth", &TForm::ClientWidth, &TForm::SetFormClientWidth).Stored(false);
  d.Property("ClientHeight", &TForm::ClientHeight, &TForm::SetFormClientHeight).Stored(false);
  d.Property("OnClose", &TForm::OnClose);
  d.Property("OnCloseQuery", &TForm::OnCloseQuery);
  d.Property("OnShow", &TForm::OnShow);
  d.Property("OnHide", &TForm::OnHide);
  d.Property("OnCreate", &TForm::OnCreate);
  d.Property("OnDestroy", &TForm::OnDestroy);
  d.Property("OnActivate", &TForm::OnActivate);
  d.Property("OnDeactivate", &TForm::OnDeactivate);
  d.Property("OnPaint", &TForm::OnPaint);
  d.Property("OnResize", &TForm::OnResize);
  d.Property("OnKeyDown", &TForm::OnKeyDown);
  d.Property("OnKeyPress", &TForm::OnKeyPress);
  d.Property("OnKeyUp", &TForm::OnKeyUp);
  d.Property("OnClick", &TForm::OnClick);
  d.Property("OnDblClick", &TForm::OnDblClick);
  d.Property("OnMouseDown", &TForm::OnMouseDown);
  d.Property("OnMouseMove", &TForm::OnMouseMove);
  d.Property("OnMouseUp", &TForm::OnMouseUp);
  d.Message(WM_ACTIVATE, &TForm::WMActivate);
  d.Message(WM_CLOSE, &TForm::WMClose);
  d.Message(WM_QUERYENDSESSION, &TForm::WMQueryEndSession);
  d.Message(WM_COMMAND, &TForm::WMCommand);
  d.Message(WM_INITMENUPOPUP, &TForm::WMInitMenuPopup);
  d.Message(WM_MENUSELECT, &TForm::WMMenuSelect);
  d.Message(WM_QUERYDRAGICON, &TForm::WMQueryDragIcon);
  d.Message(WM_ERASEBKGND, &TForm::WMEraseBkgnd);
  d.Message(WM_PAINT, &TForm::WMPaint);
  d.Message(FM_ACTIVATE, &TForm::FMActivate);
  d.Message(FM_DEACTIVATE, &TForm::FMDeactivate);
  d.Message(FM_DIALOG_KEY, &TForm::FMDialogKey);
  d.Message(FM_SHOWING_CHANGED, &TForm::FMShowingChanged);
  d.Message(FM_RELEASE, &TForm::FMRelease);
  d.Message(FM_MENU_CHANGED, &TForm::FMMenuChanged);
  d.Message(FM_ICON_CHANGED, &TForm::FMIconChanged);
  d.Message(FM_APP_SYS_COMMAND, &TForm::FMAppSysCommand);
  d.Message(FM_CONTROL_CHANGE, &TForm::FMControlChange);
  d.Message(FM_TEXT_CHANGED, &TForm::FMTextChanged);
  d.Message(FM_VISIBLE_CHANGED, &TForm::FMFormVisibleChanged);
}

TForm::TForm(TComponent* owner) : TScrollingWinControl(owner) { InitNew(); }

TForm::TForm(TComponent* owner, NewTag) : TScrollingWinControl(owner) {
  InitNew();
  isNew_ = true;
}

TForm* TForm::CreateNew(TComponent* owner) { return new TForm(owner, NewTag{}); }

void TForm::InitNew() {
  InitializeScreen();
  styleFlags_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  SetVisible(false);
  SetParentColor(false);
  SetParentFont(false);
  SetCtl3D(true);
  SetColor(clBtnFace);
  SetParentColor(false);
  icon_ = std::make_unique<TIcon>();
  icon_->OnChange = TNotifyEvent(this, &TForm::IconChanged);
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
  pixelsPerInch_ = Screen->PixelsPerInch();
  Screen->AddForm(this);
}

TForm::~TForm() {
  BeginDestruction();
  if (Screen != nullptr) Screen->RemoveForm(this);
  if (menu_ != nullptr && HasWindow()) ::SetMenu(handle_, nullptr);
  menu_ = nullptr;
  RemoveGlobalFixups(this);
  canvas_.reset();
  icon_->OnChange = nullptr;
}

bool TForm::DescriptionPending() const {
  return !isNew_ && &ClassInfo() != &TForm::StaticClass() && readUpTo_ != &ClassInfo();
}

void TForm::ReadDescription() {
  if (!DescriptionPending()) return;
  const TClassInfo* stop = readUpTo_ != nullptr ? readUpTo_ : &TForm::StaticClass();
  creating_ = true;
  DisableAlign();
  try {
    if (ReadDescriptionResources(this, stop)) anyDescription_ = true;
    readUpTo_ = &ClassInfo();
    if (!anyDescription_) throw EResNotFound(FmtLoadStr(61450, ClassName()));
  } catch (...) {
    creating_ = false;
    readUpTo_ = &ClassInfo();
    EnableAlign();
    throw;
  }
  creating_ = false;
  EnableAlign();
  if (Visible()) UpdateControlState();
}

// Scaling after reading: a description made at another density, or with a font that
// measures differently here, is scaled to this screen.
void TForm::DeclareStoredData(TFiler& filer) {
  TScrollingWinControl::DeclareStoredData(filer);
  filer.DeclareEntry(
      "TextHeight", [this](TFiler& reader) { ReadTextHeight(reader); }, nullptr, false);
}

void TForm::ReadTextHeight(TFiler& reader) { textHeight_ = reader.ReadInt(); }

void TForm::SetPixelsPerInch(int value) {
  if (IsLoading() || (StateFlags() & stReadingState) != 0)
    storedPixelsPerInch_ = value;
  else
    pixelsPerInch_ = value;
}

// A client size read from a description waits for the end of the reading: scaled with the
// rest, then applied without making the window.
void TForm::SetFormClientWidth(int value) {
  if ((StateFlags() & stReadingState) != 0)
    storedClientWidth_ = value;
  else
    SetClientWidth(value);
}

void TForm::SetFormClientHeight(int value) {
  if ((StateFlags() & stReadingState) != 0)
    storedClientHeight_ = value;
  else
    SetClientHeight(value);
}

void TForm::ApplyStoredClientSize() {
  if (storedClientWidth_ <= 0 && storedClientHeight_ <= 0) return;
  if (HasWindow()) {
    if (storedClientWidth_ > 0) SetClientWidth(storedClientWidth_);
    if (storedClientHeight_ > 0) SetClientHeight(storedClientHeight_);
    return;
  }
  // The frame the window will have, from the parameters it will be made with.
  TWindowParams params;
  FillWindowParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, menu_ != nullptr ? TRUE : FALSE, params.ExStyle);
  const int width =
      storedClientWidth_ > 0
          ? ClampCoordinate(std::int64_t{storedClientWidth_} + frame.right - frame.left)
          : Width();
  const int height =
      storedClientHeight_ > 0
          ? ClampCoordinate(std::int64_t{storedClientHeight_} + frame.bottom - frame.top)
          : Height();
  ChangeBounds(Left(), Top(), width, height);
}

void TForm::ReadContents(TFiler& reader) {
  DisableAlign();
  storedPixelsPerInch_ = 0;
  storedClientWidth_ = 0;
  storedClientHeight_ = 0;
  textHeight_ = 0;
  try {
    TScrollingWinControl::ReadContents(reader);
  } catch (...) {
    EnableAlign();
    throw;
  }
  int screenDensity = Screen->PixelsPerInch();
  if (storedPixelsPerInch_ != 0 && textHeight_ != 0 && scaled_ &&
      storedPixelsPerInch_ != screenDensity)
    Font()->SetHeight(static_cast<int>(
        (static_cast<std::int64_t>(Font()->Height()) * screenDensity + storedPixelsPerInch_ / 2) /
        storedPixelsPerInch_));
  pixelsPerInch_ = screenDensity;
  if (textHeight_ != 0) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SIZE size{};
    GetTextExtentPoint32A(dc, "0", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (size.cy != textHeight_ && size.cy > 0) {
      const auto scale = [&](int value) {
        return ClampCoordinate(
            (std::int64_t{value} * size.cy + (value >= 0 ? 1 : -1) * textHeight_ / 2) /
            textHeight_);
      };
      HorzScrollBar()->ScaleBy(scale);
      VertScrollBar()->ScaleBy(scale);
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->Rescale(size.cy, textHeight_);
      storedClientWidth_ = scale(storedClientWidth_);
      storedClientHeight_ = scale(storedClientHeight_);
    }
    textHeight_ = size.cy;
  }
  try {
    ApplyStoredClientSize();
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TForm::AfterLoad() {
  TScrollingWinControl::AfterLoad();
  if (menu_ != nullptr) AttachMenu();
}

bool TForm::IsFormColorStored() const { return !ParentColor(); }

// Window parameters and creation.

void TForm::FillWindowParams(TWindowParams& params) {
  TScrollingWinControl::FillWindowParams(params);
  if (Parent() == nullptr && ParentWindow() == nullptr) {
    params.WndParent = ApplicationBridge().Handle();
    params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
  }
  params.WindowClass.style = CS_DBLCLKS;
  TBorderIcons icons = borderIcons_;
  switch (borderStyle_) {
    case bsSizeable:
    case bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsNone:
      params.Style |= WS_POPUP;
      icons = TBorderIcons{};
      break;
    case bsDialog:
      params.Style |= WS_CAPTION | DS_MODALFRAME;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      break;
    default:
      params.Style |= WS_CAPTION;
      break;
  }
  if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
    if (icons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    if (windowState_ == wsMinimized) params.Style |= WS_MINIMIZE;
    if (windowState_ == wsMaximized) params.Style |= WS_MAXIMIZE;
  } else {
    windowState_ = wsNormal;
  }
  if (icons.Contains(biSystemMenu)) params.Style |= WS_SYSMENU;
  if (icons.Contains(biHelp)) params.ExStyle |= WS_EX_CONTEXTHELP;
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    params.X = CW_USEDEFAULT;
    params.Y = CW_USEDEFAULT;
  }
}

void TForm::CreateWindowNow() {
  TScrollingWinControl::CreateWindowNow();
  SetWindowIcon();
  // The menu bar belongs to every window the form gets, the first and each rebuilt one.
  if (menu_ != nullptr) AttachMenu();
}

void TForm::TearDownWindow() {
  if (HasWindow() && menu_ != nullptr) {
    ::SetMenu(handle_, nullptr);
    if (TMenuBridge* menus = MenuBridge(); menus != nullptr) menus->SetWindowHandle(menu_, nullptr);
  }
  TScrollingWinControl::TearDownWindow();
}

void TForm::SetWindowIcon() {
  if (!HasWindow()) return;
  HICON icon = icon_->Handle();
  if (icon == nullptr) icon = ApplicationBridge().ApplicationIcon();
  if (icon != nullptr) SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void TForm::SetIcon(TIcon* icon) { icon_->CopyFrom(icon); }

void TForm::IconChanged(TObject*) {
  if (HasWindow()) Deliver(FM_ICON_CHANGED);
}

void TForm::SetBorderIcons(TBorderIcons value) {
  if (value == borderIcons_) return;
  borderIcons_ = value;
  RebuildWindow();
}

void TForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RebuildWindow();
}

void TForm::SetWindowState(TWindowState value) {
  if (value == windowState_) return;
  windowState_ = value;
  if (HasWindow() && Showing()) {
    static constexpr int kShow[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(handle_, kShow[value]);
  }
}

// Menus.

void TForm::SetMenuComponent(TComponent* menu) {
  TMenuBridge* menus = MenuBridge();
  if (menu != nullptr) {
    if (menus == nullptr || !menus->IsMainMenu(menu)) throw EInvalidOperation(LoadStr(61461));
    for (int i = 0; Screen != nullptr && i < Screen->FormCount(); ++i) {
      TForm* other = Screen->Forms(i);
      if (other != this && other->menu_ == menu)
        throw EInvalidOperation(FmtLoadStr(61519, menu->Name()));
    }
  }
  if (menu == menu_) return;
  if (menu_ != nullptr && menus != nullptr) {
    menus->SetWindowHandle(menu_, nullptr);
    if (HasWindow()) ::SetMenu(handle_, nullptr);
  }
  menu_ = menu;
  if (menu != nullptr) {
    WatchRemoval(menu);
    if (HasWindow() && !IsLoading()) AttachMenu();
  }
}

void TForm::AttachMenu() {
  TMenuBridge* menus = MenuBridge();
  if (menus == nullptr || menu_ == nullptr || !HasWindow()) return;
  ::SetMenu(handle_, menus->MenuHandle(menu_));
  menus->SetWindowHandle(menu_, handle_);
}

void TForm::ComponentNotice(TComponent* component, TOperation operation) {
  TScrollingWinControl::ComponentNotice(component, operation);
  if (operation == Inserted) {
    TMenuBridge* menus = MenuBridge();
    if (menu_ == nullptr && component->Owner() == this && !IsLoading() && menus != nullptr &&
        menus->IsMainMenu(component))
      SetMenuComponent(component);
  } else {
    if (component == menu_) {
      menu_ = nullptr;
      if (HasWindow()) ::SetMenu(handle_, nullptr);
    }
    if (component == activeControl_) activeControl_ = nullptr;
    if (component == focusedControl_) focusedControl_ = nullptr;
  }
}

void TForm::FMMenuChanged(TMessage&) {
  if (HasWindow() && menu_ != nullptr) DrawMenuBar(handle_);
}

void TForm::WMCommand(TMessage& message) {
  TMenuBridge* menus = MenuBridge();
  if (message.LParam == 0 && HIWORD(message.WParam) == 0 && menus != nullptr && menu_ != nullptr &&
      menus->DispatchCommand(menu_, LOWORD(message.WParam)))
    return;
  InheritedMessage(StaticClass(), message);
}

void TForm::WMInitMenuPopup(TMessage& message) {
  TMenuBridge* menus = MenuBridge();
  if (menus != nullptr && menu_ != nullptr &&
      menus->DispatchPopup(menu_, reinterpret_cast<HMENU>(message.WParam)))
    return;
  InheritedMessage(StaticClass(), message);
}

void TForm::WMMenuSelect(TMessage& message) {
  TMenuBridge* menus = MenuBridge();
  if (menus != nullptr && menu_ != nullptr) {
    std::string hint;
    WORD flags = HIWORD(message.WParam);
    if (flags == 0xFFFF && message.LParam == 0) {
      ApplicationBridge().SetHint("");
    } else if (menus->SelectedItemHint(menu_, LOWORD(message.WParam), flags,
                                       reinterpret_cast<HMENU>(message.LParam), hint)) {
      ApplicationBridge().SetHint(hint);
    } else {
      ApplicationBridge().SetHint("");
    }
  }
  InheritedMessage(StaticClass(), message);
}

void TForm::FMAppSysCommand(TMessage& message) {
  // A keyboard system command (Alt+letter) on a form without menu of its own goes to the
  // application window, which shows the program's system menu.
  if (menu_ == nullptr) {
    auto* record = reinterpret_cast<TMessage*>(message.LParam);
    HWND application = ApplicationBridge().Handle();
    if (record != nullptr && application != nullptr) {
      SendMessageA(application, WM_SYSCOMMAND, record->WParam, record->LParam);
      message.Result = 1;
    }
  }
}

// Showing, hiding and closing.

void TForm::VisibleChanging() {
  if (showingNow_) throw EInvalidOperation(LoadStr(61520));
}

void TForm::FMShowingChanged(TMessage&) {
  showingNow_ = true;
  try {
    if (Showing()) {
      try {
        DoShow();
      } catch (...) {
        ApplicationBridge().HandleException(this);
      }
      if (position_ == poScreenCenter) {
        int x = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
        SetBoundsRect(RECT{x < 0 ? 0 : x, y < 0 ? 0 : y, (x < 0 ? 0 : x) + Width(),
                           (y < 0 ? 0 : y) + Height()});
      }
      position_ = poDesigned;
      static constexpr int kShow[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
      ShowWindow(handle_, kShow[windowState_]);
    } else {
      try {
        DoHide();
      } catch (...) {
        ApplicationBridge().HandleException(this);
      }
      if (Screen != nullptr && Screen->focusedForm_ == this) ::SetFocus(nullptr);
      ShowWindow(handle_, SW_HIDE);
    }
  } catch (...) {
    showingNow_ = false;
    throw;
  }
  showingNow_ = false;
}

int TForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation(LoadStr(61521));
  if (GetCapture() != nullptr) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  // The other windows of the program refuse input until the form is done with.
  std::vector<HWND> disabled;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        if (IsWindowVisible(window) && IsWindowEnabled(window))
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) EnableWindow(window, FALSE);
  TAliveGuard guard(this);
  auto finish = [&] {
    for (HWND window : disabled)
      if (IsWindow(window)) EnableWindow(window, TRUE);
    if (!guard.Alive()) return;
    modal_ = false;
  };
  modal_ = true;
  modalResult_ = 0;
  try {
    Show();
    while (guard.Alive() && modalResult_ == 0) {
      if (Application == nullptr || Application->Terminated()) {
        modalResult_ = 2;
        break;
      }
      Application->HandleMessage();
    }
    if (guard.Alive()) Hide();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return guard.Alive() ? modalResult_ : 2;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = 2;
    return;
  }
  TAliveGuard guard(this);
  if (!CloseQuery() || !guard.Alive()) return;
  TCloseAction action = caHide;
  OnClose(this, action);
  if (!guard.Alive() || action == caNone) return;
  if (ApplicationBridge().MainForm() == this) {
    ApplicationBridge().Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TForm::Release() {
  if (HasWindow()) PostMessageA(handle_, FM_RELEASE, 0, 0);
}

void TForm::FMRelease(TMessage&) { delete this; }

void TForm::WMClose(TMessage&) { Close(); }

void TForm::WMQueryEndSession(TMessage& message) { message.Result = CloseQuery() ? 1 : 0; }

void TForm::WMQueryDragIcon(TMessage& message) {
  HICON icon = icon_->Handle();
  if (icon == nullptr) icon = ApplicationBridge().ApplicationIcon();
  message.Result = reinterpret_cast<LRESULT>(icon);
}

void TForm::FMIconChanged(TMessage&) { SetWindowIcon(); }

void TForm::FMFormVisibleChanged(TMessage& message) {
  // While the description is read, Visible only records the request (ReadDescription
  // shows the form at the end).
  if (!creating_) InheritedMessage(StaticClass(), message);
}

void TForm::FMTextChanged(TMessage& message) { InheritedMessage(StaticClass(), message); }

void TForm::FMControlChange(TMessage& message) { InheritedMessage(StaticClass(), message); }

// Painting: the form's surface is its brush; OnPaint draws on its canvas.

void TForm::WMEraseBkgnd(TMessage& message) { InheritedMessage(StaticClass(), message); }

void TForm::WMPaint(TMessage& message) { PaintHandler(message); }

void TForm::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetHandle(dc);
  try {
    OnPaint(this);
  } catch (...) {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}

TForm* ParentForm(TControl* control) {
  if (control == nullptr) return nullptr;
  while (control->Parent() != nullptr) control = control->Parent();
  return dynamic_cast<TForm*>(control);
}
