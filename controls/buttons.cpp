// The button family: TButton, TCheckBox, TRadioButton and TGroupBox over "BUTTON".
#include "controls/buttons.h"

#include "classes/reader.h"
#include "controls/menus.h"
#include "forms/form.h"

namespace {

// Any description may name the button classes, with or without a field of the root.
struct StreamRegistration {
  StreamRegistration() {
    for (const TClassInfo* info : {&TButton::StaticClass(), &TCheckBox::StaticClass(),
                                   &TRadioButton::StaticClass(), &TGroupBox::StaticClass()})
      RegisterStreamClass(info);
  }
} registration;

bool NoShiftKeys() {
  return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

DWORD TextSide(TAlignment alignment) { return alignment == taLeftJustify ? BS_LEFTTEXT : 0; }

// The properties every button publishes, with the class's own getters and setters.
template <class C>
void DescribeCommon(TClassDescriber<C>& d) {
  d.Property("Caption", &C::Caption, &C::SetCaption);
  d.Property("DragCursor", &C::DragCursor, &C::SetDragCursor).Type(CursorType()).Default(crDrag);
  d.Property("DragMode", &C::DragMode, &C::SetDragMode).Default(dmManual);
  d.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  d.Property("Font", &C::Font, &C::SetFont);
  d.Property("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
  d.Property("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint).Default(true);
  d.Property("PopupMenu", &C::template PopupMenu<TPopupMenu>,
             &C::template SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &C::ShowHint, &C::SetShowHint);
  d.Property("TabOrder", &C::TabOrder, &C::SetTabOrder).Default(-1);
  d.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  d.Property("HelpContext", &C::HelpContext, &C::SetHelpContext).Default(0);
  d.Property("OnClick", &C::OnClick);
  d.Property("OnDragDrop", &C::OnDragDrop);
  d.Property("OnDragOver", &C::OnDragOver);
  d.Property("OnEndDrag", &C::OnEndDrag);
  d.Property("OnEnter", &C::OnEnter);
  d.Property("OnExit", &C::OnExit);
  d.Property("OnMouseDown", &C::OnMouseDown);
  d.Property("OnMouseMove", &C::OnMouseMove);
  d.Property("OnMouseUp", &C::OnMouseUp);
  d.Property("OnStartDrag", &C::OnStartDrag);
}

// The colour and 3-D settings of the boxes, which show the parent's background.
template <class C>
void DescribeColours(TClassDescriber<C>& d) {
  d.Property("Color", &C::Color, &C::SetColor).Type(ColorType());
  d.Property("Ctl3D", &C::Ctl3D, &C::SetCtl3D);
  d.Property("ParentColor", &C::ParentColor, &C::SetParentColor).Default(true);
  d.Property("ParentCtl3D", &C::ParentCtl3D, &C::SetParentCtl3D).Default(true);
}

template <class C>
void DescribeKeys(TClassDescriber<C>& d) {
  d.Property("TabStop", &C::TabStop, &C::SetTabStop);
  d.Property("OnKeyDown", &C::OnKeyDown);
  d.Property("OnKeyPress", &C::OnKeyPress);
  d.Property("OnKeyUp", &C::OnKeyUp);
}

}  // namespace

TD_IMPLEMENT_CLASS(TButtonControl)
void TButtonControl::Describe(Describer& d) { d.Message(FN_COMMAND, &TButtonControl::FNCommand); }

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  // Clicks come from the platform's BN_CLICKED, not from the framework's mouse handling.
  SetStyleFlags(csSetCaption | csDoubleClicks);
}

void TButtonControl::FillWindowParams(TWindowParams& params) {
  TWinControl::FillWindowParams(params);
  BaseOnSystemClass(params, "BUTTON");
}

void TButtonControl::ShowCheck(TCheckBoxState state) {
  static constexpr WPARAM kChecks[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
  if (HasWindow()) SendMessageA(handle_, BM_SETCHECK, kChecks[state], 0);
}

void TButtonControl::FNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) Clicked();
}

// TButton

TD_IMPLEMENT_CLASS(TButton)
void TButton::Describe(Describer& d) {
  DescribeCommon(d);
  DescribeKeys(d);
  d.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  d.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  d.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
  d.Message(FM_DIALOG_KEY, &TButton::FMDialogKey);
  d.Message(FM_DIALOG_CHAR, &TButton::FMDialogChar);
  d.Message(FM_FOCUS_CHANGED, &TButton::FMFocusChanged);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetWidth(75);
  SetHeight(25);
  SetTabStop(true);
}

void TButton::FillWindowParams(TWindowParams& params) {
  TButtonControl::FillWindowParams(params);
  params.Style |= active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  TForm* form = ParentForm(this);
  auto* focused = form != nullptr ? dynamic_cast<TButton*>(form->ActiveControl()) : nullptr;
  if (focused == nullptr) SetActive(default_);
}

void TButton::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (HasWindow())
    SendMessageA(handle_, BM_SETSTYLE, active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  TAliveGuard guard(this);
  if (modalResult_ != mrNone)
    if (TForm* form = ParentForm(this)) form->SetModalResult(modalResult_);
  if (guard.Alive()) FireClick();
}

void TButton::FMDialogKey(TMessage& message) {
  bool enter = message.WParam == VK_RETURN && active_;
  bool escape = message.WParam == VK_ESCAPE && cancel_;
  if ((enter || escape) && NoShiftKeys() && CanTakeFocus()) {
    message.Result = 1;
    Click();
    return;
  }
  InheritedMessage(StaticClass(), message);
}

void TButton::FMDialogChar(TMessage& message) {
  if (IsAccelerator(static_cast<char>(message.WParam), Caption()) && CanTakeFocus()) {
    message.Result = 1;
    Click();
    return;
  }
  InheritedMessage(StaticClass(), message);
}

void TButton::FMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TControl*>(message.LParam);
  auto* button = dynamic_cast<TButton*>(focused);
  SetActive(button != nullptr ? button == this : default_);
  InheritedMessage(StaticClass(), message);
}

// TCustomCheckBox

TD_IMPLEMENT_CLASS(TCustomCheckBox)
void TCustomCheckBox::Describe(Describer& d) {
  d.Message(FM_DIALOG_CHAR, &TCustomCheckBox::FMDialogChar);
}

TD_IMPLEMENT_CLASS(TCheckBox)
void TCheckBox::Describe(Describer& d) {
  DescribeCommon(d);
  DescribeColours(d);
  DescribeKeys(d);
  d.Property("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment).Default(taRightJustify);
  d.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false);
  d.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false);
  d.Property("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked);
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetWidth(97);
  SetHeight(17);
  SetTabStop(true);
}

void TCustomCheckBox::FillWindowParams(TWindowParams& params) {
  TButtonControl::FillWindowParams(params);
  // The framework decides the next state itself (AllowGrayed), so the window does not.
  params.Style |= BS_3STATE | TextSide(alignment_);
}

void TCustomCheckBox::BuildWindow() {
  TButtonControl::BuildWindow();
  ShowCheck(state_);
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
  if (value == state_) return;
  state_ = value;
  ShowCheck(state_);
}

void TCustomCheckBox::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RebuildWindow();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked:
      SetState(allowGrayed_ ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::Clicked() {
  Toggle();
  FireClick();
}

void TCustomCheckBox::FMDialogChar(TMessage& message) {
  if (IsAccelerator(static_cast<char>(message.WParam), Caption()) && CanTakeFocus()) {
    message.Result = 1;
    TAliveGuard guard(this);
    TakeFocus();
    if (guard.Alive() && HasFocus()) Clicked();
    return;
  }
  InheritedMessage(StaticClass(), message);
}

// TRadioButton

TD_IMPLEMENT_CLASS(TRadioButton)
void TRadioButton::Describe(Describer& d) {
  DescribeCommon(d);
  DescribeColours(d);
  DescribeKeys(d);
  d.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment)
      .Default(taRightJustify);
  d.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
  d.Message(FM_DIALOG_CHAR, &TRadioButton::FMDialogChar);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetWidth(113);
  SetHeight(17);
}

void TRadioButton::FillWindowParams(TWindowParams& params) {
  TButtonControl::FillWindowParams(params);
  params.Style |= BS_RADIOBUTTON | TextSide(alignment_);
}

void TRadioButton::BuildWindow() {
  TButtonControl::BuildWindow();
  ShowCheck(checked_ ? cbChecked : cbUnchecked);
}

void TRadioButton::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  SetTabStop(value);
  ShowCheck(value ? cbChecked : cbUnchecked);
  if (!value || Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
    if (sibling != nullptr && sibling != this) sibling->SetChecked(false);
  }
}

void TRadioButton::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RebuildWindow();
}

void TRadioButton::Clicked() {
  if (checked_) return;
  SetChecked(true);
  FireClick();
}

void TRadioButton::FMDialogChar(TMessage& message) {
  if (IsAccelerator(static_cast<char>(message.WParam), Caption()) && CanTakeFocus()) {
    message.Result = 1;
    TAliveGuard guard(this);
    TakeFocus();
    if (guard.Alive()) Clicked();
    return;
  }
  InheritedMessage(StaticClass(), message);
}

// TCustomGroupBox

TD_IMPLEMENT_CLASS(TCustomGroupBox)
void TCustomGroupBox::Describe(Describer& d) {
  d.Message(WM_NCHITTEST, &TCustomGroupBox::WMNCHitTest);
  d.Message(FM_DIALOG_CHAR, &TCustomGroupBox::FMDialogChar);
}

TD_IMPLEMENT_CLASS(TGroupBox)
void TGroupBox::Describe(Describer& d) {
  DescribeCommon(d);
  DescribeColours(d);
  d.Property("Align", &TGroupBox::Align, &TGroupBox::SetAlign).Default(alNone);
  d.Property("TabStop", &TGroupBox::TabStop, &TGroupBox::SetTabStop).Default(false);
  d.Property("OnDblClick", &TGroupBox::OnDblClick);
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TButtonControl(owner) {
  SetStyleFlags(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks);
  SetWidth(185);
  SetHeight(105);
}

void TCustomGroupBox::FillWindowParams(TWindowParams& params) {
  TButtonControl::FillWindowParams(params);
  params.Style |= BS_GROUPBOX;
}

// The platform's group box lets the mouse through; the framework's takes its clicks.
void TCustomGroupBox::WMNCHitTest(TMessage& message) { message.Result = HTCLIENT; }

// Its accelerator moves the focus to the first control of the group.
void TCustomGroupBox::FMDialogChar(TMessage& message) {
  if (IsAccelerator(static_cast<char>(message.WParam), Caption()) && CanTakeFocus()) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) {
      message.Result = 1;
      first->TakeFocus();
      return;
    }
  }
  InheritedMessage(StaticClass(), message);
}
