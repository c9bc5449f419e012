// Drag and drop inside the program: at most one drag at a time, from a source control to
// a target control, with the mouse. While dragging, an invisible utility window holds the
// capture; every move asks the control under the pointer (FM_DRAG) whether it accepts
// the dragged object and shows crDrag or crNoDrop; releasing the left button drops on an
// accepting target or cancels. A control with DragMode dmAutomatic starts a drag on
// every left press; StartDragging(false) from code waits for a 5-pixel move.
#pragma once
#include "forms/control.h"

class TDragObject : public TObject {
  TD_CLASS(TDragObject, TObject)

 public:
  virtual HIMAGELIST DragImages() { return nullptr; }
  // crDrag when the target accepts, else crNoDrop.
  virtual TCursor CursorFor(bool accepted, int x, int y);
  virtual void DragFinished(TObject* target, int x, int y, bool accepted);
  virtual HINSTANCE Instance();
  virtual std::string DragName() { return ClassName(); }
  virtual void HideDragImage() {}
  virtual void ShowDragImage() {}
};

// The drag object the framework makes for a control when OnStartDrag supplies none.
class TDragControlObject : public TDragObject {
  TD_CLASS(TDragControlObject, TDragObject)

 public:
  explicit TDragControlObject(TControl* control) : control_(control) {}
  TControl* Control() const { return control_; }
  HIMAGELIST DragImages() override;
  // The control's DragCursor when the target accepts, else crNoDrop.
  TCursor CursorFor(bool accepted, int x, int y) override;
  // Not accepted: the control's DragCancelled; then its EndDragNotice.
  void DragFinished(TObject* target, int x, int y, bool accepted) override;

 private:
  TControl* control_;
};

// The control being dragged; nullptr when no drag is under way.
TControl* DragSourceControl();
// The drag is active (past the threshold, or started immediately).
bool DragActive();
// Ends a drag under way as a cancel (drop = false); nothing when none.
void CancelDrag();

// The FM_DRAG handling of windowed controls: requests 0..3 to the record's target,
// 5 answers the windowless child (or control) under the point.
void HandleDragMessage(TWinControl* control, TMessage& message);
