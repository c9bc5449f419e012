#include "controls/edit.h"

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TCustomEdit)

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetStyleFlags(csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight);
  SetWidth(121);
  SetHeight(25);
  SetTabStop(true);
  SetParentColor(false);
}

void TCustomEdit::SelectAll() {
  if (HasWindow()) SendMessageA(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::FillWindowParams(TWindowParams& params) {
  TWinControl::FillWindowParams(params);
  BaseOnSystemClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL;
  if (Ctl3D())
    params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    params.Style |= WS_BORDER;
}

TD_IMPLEMENT_CLASS(TEdit)
void TEdit::Describe(Describer& d) {
  d.Property("Color", &TEdit::Color, &TEdit::SetColor).Type(ColorType());
  d.Property("Ctl3D", &TEdit::Ctl3D, &TEdit::SetCtl3D);
  d.Property("Enabled", &TEdit::Enabled, &TEdit::SetEnabled).Default(true);
  d.Property("Font", &TEdit::Font, &TEdit::SetFont);
  d.Property("ParentColor", &TEdit::ParentColor, &TEdit::SetParentColor).Default(false);
  d.Property("ParentCtl3D", &TEdit::ParentCtl3D, &TEdit::SetParentCtl3D).Default(true);
  d.Property("ParentFont", &TEdit::ParentFont, &TEdit::SetParentFont).Default(true);
  d.Property("TabOrder", &TEdit::TabOrder, &TEdit::SetTabOrder).Default(-1);
  d.Property("TabStop", &TEdit::TabStop, &TEdit::SetTabStop).Default(true);
  d.Property("Text", &TEdit::Text, &TEdit::SetText);
  d.Property("Visible", &TEdit::Visible, &TEdit::SetVisible).Default(true);
}
