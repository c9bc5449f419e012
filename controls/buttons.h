// The button family: windowed controls over the platform's "BUTTON" class, each under a
// private class named after the component class. TButton is a push button that can be a
// form's default (Enter) or cancel (Esc) button and set the form's ModalResult; TCheckBox
// is a two- or three-state box; TRadioButton is one of the radio buttons of a parent, of
// which one is checked; TGroupBox frames a group of controls, its children.
//
// Every setting lives in a field and is pushed to the window, so the controls can be set up
// before their windows exist and survive a rebuild. OnClick is raised when the user clicks
// (mouse, Space, the caption's accelerator, Enter or Esc for TButton), never when the
// program sets Checked or State.
#pragma once
#include "controls/label.h"
#include "forms/wincontrol.h"

// What a modal form ends with; a button with a ModalResult other than mrNone sets its
// form's when clicked.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
TD_ENUM_TYPE(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed");

// What the buttons share: the platform class, the clicks it reports (BN_CLICKED, reflected
// as FN_COMMAND) and the check it shows.
class TButtonControl : public TWinControl {
  TD_CLASS(TButtonControl, TWinControl)

 public:
  explicit TButtonControl(TComponent* owner);

  void FillWindowParams(TWindowParams& params) override;

 protected:
  // The user clicked the button's window.
  virtual void Clicked() = 0;
  // BM_SETCHECK while the window exists.
  void ShowCheck(TCheckBoxState state);

 private:
  void FNCommand(TMessage& message);
};

class TButton : public TButtonControl {
  TD_CLASS(TButton, TButtonControl)

 public:
  explicit TButton(TComponent* owner);

  // Enter clicks the default button unless the focus is on another push button.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // Esc clicks a cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Does what a click does: the form's ModalResult, then OnClick.
  void Click();

  void FillWindowParams(TWindowParams& params) override;

 protected:
  void Clicked() override { Click(); }

 private:
  // Looks like (and acts as) the form's default: the focused push button, or the Default
  // one while the focus is elsewhere.
  void SetActive(bool value);
  void FMDialogKey(TMessage& message);
  void FMDialogChar(TMessage& message);
  void FMFocusChanged(TMessage& message);

  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
  TD_CLASS(TCustomCheckBox, TButtonControl)

 public:
  explicit TCustomCheckBox(TComponent* owner);

  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState value);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  // Whether a click may lead to cbGrayed (the program may set it either way).
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  // taRightJustify: the caption right of the box; taLeftJustify: left of it.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // The user's click: unchecked goes to grayed (with AllowGrayed) or checked, checked to
  // unchecked, grayed to checked.
  void Toggle();

  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;

 protected:
  void Clicked() override;

 private:
  void FMDialogChar(TMessage& message);

  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  TD_CLASS(TCheckBox, TCustomCheckBox)

 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
  TD_CLASS(TRadioButton, TButtonControl)

 public:
  explicit TRadioButton(TComponent* owner);

  // Checking one unchecks the other radio buttons of the same parent; the checked one is
  // the group's tab stop.
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

  void FillWindowParams(TWindowParams& params) override;
  void BuildWindow() override;

 protected:
  // Checks it (the platform clicks a radio button that gets the focus from the keyboard,
  // so the arrow keys select); OnClick when that changed it.
  void Clicked() override;

 private:
  void FMDialogChar(TMessage& message);

  bool checked_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TCustomGroupBox : public TButtonControl {
  TD_CLASS(TCustomGroupBox, TButtonControl)

 public:
  explicit TCustomGroupBox(TComponent* owner);

  void FillWindowParams(TWindowParams& params) override;

 protected:
  void Clicked() override {}

 private:
  void WMNCHitTest(TMessage& message);
  void FMDialogChar(TMessage& message);
};

class TGroupBox : public TCustomGroupBox {
  TD_CLASS(TGroupBox, TCustomGroupBox)

 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};
