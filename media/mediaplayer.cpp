// TMediaPlayer: class information, construction and destruction, the life cycle hooks,
// its window, the display control and the notifications of the device.
#include "media/mediaplayer.h"

#include "controls/menus.h"
#include "forms/bridges.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

TD_IMPLEMENT_CLASS(TMediaPlayer)
void TMediaPlayer::Describe(Describer& d) {
  d.Property("ColoredButtons", &TMediaPlayer::ColoredButtons, &TMediaPlayer::SetColoredButtons)
      .Default(kAllMPButtons);
  d.Property("Enabled", &TMediaPlayer::Enabled, &TMediaPlayer::SetEnabled).Default(true);
  d.Property("EnabledButtons", &TMediaPlayer::EnabledButtons, &TMediaPlayer::SetEnabledButtons)
      .Default(kAllMPButtons);
  d.Property("VisibleButtons", &TMediaPlayer::VisibleButtons, &TMediaPlayer::SetVisibleButtons)
      .Default(kAllMPButtons);
  d.Property("AutoEnable", &TMediaPlayer::AutoEnable, &TMediaPlayer::SetAutoEnable).Default(true);
  d.Property("AutoOpen", &TMediaPlayer::AutoOpen, &TMediaPlayer::SetAutoOpen).Default(false);
  d.Property("AutoRewind", &TMediaPlayer::AutoRewind, &TMediaPlayer::SetAutoRewind).Default(true);
  d.Property("DeviceType", &TMediaPlayer::DeviceType, &TMediaPlayer::SetDeviceType)
      .Default(dtAutoSelect);
  d.Property("Display", &TMediaPlayer::Display, &TMediaPlayer::SetDisplay);
  d.Property("FileName", &TMediaPlayer::FileName, &TMediaPlayer::SetFileName);
  d.Property("Shareable", &TMediaPlayer::Shareable, &TMediaPlayer::SetShareable).Default(false);
  d.Property("Visible", &TMediaPlayer::Visible, &TMediaPlayer::SetVisible).Default(true);
  d.Property("ParentShowHint", &TMediaPlayer::ParentShowHint, &TMediaPlayer::SetParentShowHint)
      .Default(true);
  d.Property("PopupMenu", &TMediaPlayer::PopupMenu<TPopupMenu>,
             &TMediaPlayer::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TMediaPlayer::ShowHint, &TMediaPlayer::SetShowHint);
  d.Property("TabOrder", &TMediaPlayer::TabOrder, &TMediaPlayer::SetTabOrder).Default(-1);
  d.Property("TabStop", &TMediaPlayer::TabStop, &TMediaPlayer::SetTabStop).Default(true);
  d.Property("OnClick", &TMediaPlayer::OnClick);
  d.Property("OnEnter", &TMediaPlayer::OnEnter);
  d.Property("OnExit", &TMediaPlayer::OnExit);
  d.Property("OnNotify", &TMediaPlayer::OnNotify);
  d.Property("OnPostClick", &TMediaPlayer::OnPostClick);
  d.Message(MM_MCINOTIFY, &TMediaPlayer::MMMciNotify);
  d.Message(WM_GETDLGCODE, &TMediaPlayer::WMGetDlgCode);
  d.Message(WM_SETFOCUS, &TMediaPlayer::WMFocusChanged);
  d.Message(WM_KILLFOCUS, &TMediaPlayer::WMFocusChanged);
  d.Message(FM_ENABLED_CHANGED, &TMediaPlayer::FMEnabledChanged);
  d.Message(WM_SIZE, &TMediaPlayer::WMSize);
}

TMediaPlayer::TMediaPlayer(TComponent* owner) : TCustomControl(owner) {
  // The bar captures the mouse itself, and only over an enabled button; its click is
  // OnClick with the button, not the plain control click.
  SetStyleFlags(csOpaque | csDoubleClicks);
  LoadGlyphs();
  // The default size as it stands; the bar fits itself to it at the first resize (the
  // window's creation is one).
  TCustomControl::ChangeBounds(0, 0, 240, 30);
  buttonWidth_ = (Width() - 1) / kButtons + 1;
  SetTabStop(true);
  notices_ = AllocateUtilityWindow(&TMediaPlayer::NoticesProcEntry, this);
}

TMediaPlayer::~TMediaPlayer() {
  if (deviceId_ != 0) {
    MCI_GENERIC_PARMS block{};
    mciSendCommandA(deviceId_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&block));
  }
  // Notices still posted for the closed device find no window.
  DeallocateUtilityWindow(notices_);
}

void TMediaPlayer::AfterLoad() {
  TCustomControl::AfterLoad();
  if (autoOpen_ && !InDesignMode()) Open();
}

// A player that nobody has given a parent still gets a window of its own: a hidden pop-up,
// replaced by a child window when it is placed. (The device's notices go to the notices
// window, which none of this touches.)
void TMediaPlayer::FillWindowParams(TWindowParams& params) {
  TCustomControl::FillWindowParams(params);
  if (Parent() == nullptr && ParentWindow() == nullptr) {
    params.Style = (params.Style & ~static_cast<DWORD>(WS_CHILD | WS_TABSTOP)) | WS_POPUP;
    params.WndParent = nullptr;
  }
}

void TMediaPlayer::SetParent(TWinControl* parent) {
  if (parent != nullptr && Parent() == nullptr && ParentWindow() == nullptr && HasWindow())
    DestroyHandle();
  TCustomControl::SetParent(parent);
}

void TMediaPlayer::SetDisplay(TWinControl* control) {
  if (control != nullptr && open_ && hasVideo_) {
    MCI_ANIM_WINDOW_PARMSA block{};
    block.hWnd = control->Handle();
    error_ =
        static_cast<int>(mciSendCommandA(deviceId_, MCI_WINDOW, MCI_ANIM_WINDOW_HWND | MCI_WAIT,
                                         reinterpret_cast<DWORD_PTR>(&block)));
    display_ = error_ == 0 ? control : nullptr;
  } else {
    display_ = control;
  }
  // Watched whenever it is kept, so that the reference never outlives the control.
  if (display_ != nullptr) WatchRemoval(display_);
}

void TMediaPlayer::ComponentNotice(TComponent* component, TOperation operation) {
  if (operation == Removed && component != nullptr && component == display_) {
    if (open_ && hasVideo_) {
      // The picture goes back to the device's own window.
      MCI_ANIM_WINDOW_PARMSA block{};
      mciSendCommandA(deviceId_, MCI_WINDOW, MCI_ANIM_WINDOW_HWND | MCI_WAIT,
                      reinterpret_cast<DWORD_PTR>(&block));
    }
    display_ = nullptr;
  }
  TCustomControl::ComponentNotice(component, operation);
}

void TMediaPlayer::NoticesProcEntry(TObject* object, TMessage& message) {
  static_cast<TMediaPlayer*>(object)->NoticesProc(message);
}

void TMediaPlayer::NoticesProc(TMessage& message) {
  if (message.Msg != MM_MCINOTIFY) {
    message.Result = DefWindowProcA(notices_.Window, message.Msg, message.WParam, message.LParam);
    return;
  }
  try {
    RouteMessage(message);
  } catch (...) {
    ApplicationBridge().HandleException(this);
  }
}

void TMediaPlayer::MMMciNotify(TMessage& message) {
  // A notice of a device closed since (its aborted play, say) is not the open device's.
  if (deviceId_ == 0 || static_cast<WORD>(message.LParam) != deviceId_) return;
  if (autoEnable_ && Mode() == mdStopped) {
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
    autoButtons_.Exclude(btPause).Exclude(btStop);
    ApplyAutoButtons();
  }
  switch (message.WParam) {
    case MCI_NOTIFY_SUCCESSFUL:
      notifyValue_ = nfSuccessful;
      break;
    case MCI_NOTIFY_SUPERSEDED:
      notifyValue_ = nfSuperseded;
      break;
    case MCI_NOTIFY_ABORTED:
      notifyValue_ = nfAborted;
      break;
    case MCI_NOTIFY_FAILURE:
      notifyValue_ = nfFailure;
      break;
    default:
      break;
  }
  OnNotify(this);
}
