// TCustomEdit: a single-line text field over the platform's "EDIT". Its text is the
// control's Text; SelectAll selects the whole of it. TEdit publishes it.
#pragma once
#include "forms/wincontrol.h"

class TCustomEdit : public TWinControl {
  TD_CLASS(TCustomEdit, TWinControl)

 public:
  explicit TCustomEdit(TComponent* owner);

  // Selects from the first character to the end (only while the window exists).
  void SelectAll();

  void FillWindowParams(TWindowParams& params) override;
};

class TEdit : public TCustomEdit {
  TD_CLASS(TEdit, TCustomEdit)

 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};
