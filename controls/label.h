// TCustomLabel: a caption drawn on its parent's surface (a windowless control) that can
// size itself to its text, align and break it, underline an accelerator and give the
// focus to another control when that accelerator is typed. TLabel publishes it.
#pragma once
#include <string>

#include "forms/control.h"
#include "forms/wincontrol.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
TD_ENUM_TYPE(TAlignment, "taLeftJustify", "taRightJustify", "taCenter");

class TCustomLabel : public TGraphicControl {
  TD_CLASS(TCustomLabel, TGraphicControl)

 public:
  explicit TCustomLabel(TComponent* owner);

  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // True when the label leaves its background to the parent (no opaque style flag).
  bool Transparent() const { return (StyleFlags() & csOpaque) == 0; }
  void SetTransparent(bool value);

  // The text shown: the caption.
  virtual std::string LabelText();
  // Fits the bounds to the text when AutoSize is on (not while being read).
  void AdjustBounds();

  void ComponentNotice(TComponent* component, TOperation operation) override;
  void AfterLoad() override;

 protected:
  void PaintSelf() override;
  // Draws the text into rect with DrawTextA flags; DT_CALCRECT measures into rect.
  void DrawLabelText(RECT& rect, UINT flags);

  bool IsColorStored() const { return !ParentColor(); }
  bool IsFontStored() const { return !ParentFont(); }

 private:
  void FMTextChanged(TMessage& message);
  void FMFontChanged(TMessage& message);
  void FMDialogChar(TMessage& message);

  TWinControl* focusControl_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
};

class TLabel : public TCustomLabel {
  TD_CLASS(TLabel, TCustomLabel)

 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// Is ch the accelerator of caption (the character after its first "&", compared
// ignoring case)?
bool IsAccelerator(char ch, const std::string& caption);
