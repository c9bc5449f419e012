// What the list box and the combo box share in drawing their entries; not for other files.
#pragma once
#include "controls/listbox.h"
#include "platform/controls.h"

namespace listbox_detail {

// The owner-draw flow of a reflected draw request: the canvas gets the record's context,
// the control's font and brush; a selected entry is drawn on the highlight colours; a
// negative index (an empty list with the focus) is only filled; the focused entry gets
// the focus rectangle after its drawing. The context is taken away again in any case.
template <class Paint>
void DrawEntry(TWinControl* control, TCanvas* canvas, const DRAWITEMSTRUCT& record, Paint paint) {
  auto state = TOwnerDrawState::FromBits(record.itemState & 0x1F);
  const auto index = static_cast<int>(record.itemID);
  canvas->SetHandle(record.hDC);
  try {
    canvas->SetFont(control->Font());
    canvas->SetBrush(control->Brush());
    if (index >= 0 && state.Contains(odSelected)) {
      canvas->Brush()->SetColor(clHighlight);
      canvas->Font()->SetColor(clHighlightText);
    }
    if (index < 0)
      canvas->FillRect(record.rcItem);
    else
      paint(index, record.rcItem, state);
    if (state.Contains(odFocused)) DrawFocusRect(record.hDC, &record.rcItem);
  } catch (...) {
    canvas->SetHandle(nullptr);
    throw;
  }
  canvas->SetHandle(nullptr);
}

// The default drawing of an entry: the rectangle filled with the brush, the text at
// two pixels from the left.
inline void PaintEntryText(TCanvas* canvas, const RECT& rect, const std::string& text) {
  canvas->FillRect(rect);
  canvas->TextOut(rect.left + 2, rect.top, text);
}

// The reflected draw request, painted by the control's PaintEntry.
template <class Control>
void DrawItemMessage(Control* control, TCanvas* canvas, TMessage& message) {
  DrawEntry(control, canvas, *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam),
            [control](int index, const RECT& rect, TOwnerDrawState state) {
              control->PaintEntry(index, rect, state);
            });
  message.Result = 1;
}

// The reflected measure request: every entry is itemHeight high, unless the style is a
// variable one, where the control's MeasureEntry may change it.
template <class Control>
void MeasureItemMessage(Control* control, int itemHeight, bool variable, TMessage& message) {
  auto& record = *reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  int height = itemHeight;
  if (variable) control->MeasureEntry(static_cast<int>(record.itemID), height);
  record.itemHeight = static_cast<UINT>(height);
  message.Result = 1;
}

// In automatic drag mode a left press or double click that is not meant for a windowless
// child goes to the control's own handlers, not to the platform control, which would
// select: the control decides whether the press drags. True when it was taken so.
inline bool TakeAutoDragPress(TWinControl* control, TMessage& message) {
  if ((message.Msg != WM_LBUTTONDOWN && message.Msg != WM_LBUTTONDBLCLK) ||
      control->DragMode() != dmAutomatic || control->IsBeingDragged() ||
      control->ComponentState().Contains(Designing) ||
      control->ControlAtPos(PointFromLParam(message.LParam), false) != nullptr)
    return false;
  control->IncludeStateFlags(stLButtonDown);
  control->RouteMessage(message);
  return true;
}

}  // namespace listbox_detail
