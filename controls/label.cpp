// TCustomLabel: painting, measuring, automatic size and the accelerator.
#include "controls/label.h"

#include "controls/menus.h"
#include "forms/messages.h"
#include "runtime/text.h"

TD_IMPLEMENT_CLASS(TCustomLabel)
void TCustomLabel::Describe(Describer& d) {
  d.Message(FM_TEXT_CHANGED, &TCustomLabel::FMTextChanged);
  d.Message(FM_FONT_CHANGED, &TCustomLabel::FMFontChanged);
  d.Message(FM_DIALOG_CHAR, &TCustomLabel::FMDialogChar);
}

TD_IMPLEMENT_CLASS(TLabel)
void TLabel::Describe(Describer& d) {
  d.Property("Align", &TLabel::Align, &TLabel::SetAlign).Default(alNone);
  d.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
  d.Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
  d.Property("Caption", &TLabel::Caption, &TLabel::SetCaption);
  d.Property("Color", &TLabel::Color, &TLabel::SetColor)
      .Type(ColorType())
      .Stored(&TLabel::IsColorStored);
  d.Property("DragCursor", &TLabel::DragCursor, &TLabel::SetDragCursor)
      .Type(CursorType())
      .Default(crDrag);
  d.Property("DragMode", &TLabel::DragMode, &TLabel::SetDragMode).Default(dmManual);
  d.Property("Enabled", &TLabel::Enabled, &TLabel::SetEnabled).Default(true);
  d.Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
  d.Property("Font", &TLabel::Font, &TLabel::SetFont).Stored(&TLabel::IsFontStored);
  d.Property("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor).Default(true);
  d.Property("ParentFont", &TLabel::ParentFont, &TLabel::SetParentFont).Default(true);
  d.Property("ParentShowHint", &TLabel::ParentShowHint, &TLabel::SetParentShowHint).Default(true);
  d.Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
  d.Property("PopupMenu", &TLabel::PopupMenu<TPopupMenu>, &TLabel::SetPopupMenu<TPopupMenu>);
  d.Property("ShowHint", &TLabel::ShowHint, &TLabel::SetShowHint);
  d.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
  d.Property("Visible", &TLabel::Visible, &TLabel::SetVisible).Default(true);
  d.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
  d.Property("OnClick", &TLabel::OnClick);
  d.Property("OnDblClick", &TLabel::OnDblClick);
  d.Property("OnDragDrop", &TLabel::OnDragDrop);
  d.Property("OnDragOver", &TLabel::OnDragOver);
  d.Property("OnEndDrag", &TLabel::OnEndDrag);
  d.Property("OnMouseDown", &TLabel::OnMouseDown);
  d.Property("OnMouseMove", &TLabel::OnMouseMove);
  d.Property("OnMouseUp", &TLabel::OnMouseUp);
  d.Property("OnStartDrag", &TLabel::OnStartDrag);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetStyleFlags(StyleFlags() | csOpaque | csReplicatable);
  SetWidth(65);
  SetHeight(17);
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  focusControl_ = value;
  if (value != nullptr) WatchRemoval(value);
}

void TCustomLabel::ComponentNotice(TComponent* component, TOperation operation) {
  TGraphicControl::ComponentNotice(component, operation);
  if (operation == Removed && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::AfterLoad() {
  TGraphicControl::AfterLoad();
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  ScheduleRepaint();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  ScheduleRepaint();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == Transparent()) return;
  SetStyleFlags(value ? static_cast<WORD>(StyleFlags() & ~csOpaque) : StyleFlags() | csOpaque);
  ScheduleRepaint();
}

std::string TCustomLabel::LabelText() { return Caption(); }

void TCustomLabel::DrawLabelText(RECT& rect, UINT flags) {
  std::string text = LabelText();
  if ((flags & DT_CALCRECT) != 0 && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

void TCustomLabel::PaintSelf() {
  TCanvas* canvas = Canvas();
  RECT rect = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
  }
  canvas->Brush()->SetStyle(bsClear);
  static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  DrawLabelText(rect, DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | kAlignments[alignment_]);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(Reading) || !autoSize_) return;
  RECT rect = ClientRect();
  HDC dc = GetDC(nullptr);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(dc);
  try {
    DrawLabelText(rect, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
  } catch (...) {
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    throw;
  }
  canvas->SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  int left = Left();
  if (alignment_ == taRightJustify) left += Width() - rect.right;
  ChangeBounds(left, Top(), rect.right, rect.bottom);
}

void TCustomLabel::FMTextChanged(TMessage&) {
  ScheduleRepaint();
  AdjustBounds();
}

void TCustomLabel::FMFontChanged(TMessage& message) {
  InheritedMessage(StaticClass(), message);
  AdjustBounds();
}

void TCustomLabel::FMDialogChar(TMessage& message) {
  if (focusControl_ != nullptr && Enabled() && showAccelChar_ &&
      IsAccelerator(static_cast<char>(message.WParam), Caption()) &&
      focusControl_->CanTakeFocus()) {
    focusControl_->TakeFocus();
    message.Result = 1;
    return;
  }
  InheritedMessage(StaticClass(), message);
}

bool IsAccelerator(char ch, const std::string& caption) {
  std::size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return false;
  return CompareLocaleNoCase(std::string_view(&caption[amp + 1], 1), std::string_view(&ch, 1)) == 0;
}
