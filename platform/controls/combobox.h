// "COMBOBOX": what its list and its edit field tell it.
#pragma once
#include <memory>
#include <string>

#include "controls/common.h"
#include "platform/win32.h"
#include "private.h"

namespace platform::controls {

// The combo box that the next list made by its procedure belongs to (set by the combo box
// just before it makes the list, taken by the list's first message).
struct ComboLink {
  HWND combo = nullptr;
  bool popup = false;
};
ComboLink TakePendingComboLink();

// Keys of the edit field that belong to the combo box (the arrows, F4, Enter, Esc).
bool ComboEditKey(HWND combo, UINT message, WPARAM wParam, LPARAM lParam);
// Joins an edit field to its combo box.
void AttachEditToCombo(HWND edit, HWND combo);
// The edit field got or lost the focus (`other` is the window that lost or gets it).
void ComboEditFocus(HWND combo, bool gained, HWND other);

}  // namespace platform::controls

namespace platform::controls::combo {

struct ComboBox : Control {
  static constexpr Kind kKind = Kind::ComboBox;
  explicit ComboBox(HWND window) : Control(kKind, window) {}
  bool initialized = false;
  DWORD style = 0;
  HWND list = nullptr;
  HWND edit = nullptr;
  int fieldHeight = 0;  // the selection field's entry height (CB_SETITEMHEIGHT -1)
  int fullHeight = 0;   // the field and the dropped list together, as last asked
  int droppedWidth = 0;
  bool dropped = false;
  bool extendedUI = false;
  bool focused = false;
  bool buttonDown = false;  // the button drawn pressed while the mouse holds it
  int committed = -1;       // the selection last announced (or set by the program)
  bool settingText = false;
  FontMetrics metrics;

  DWORD Type() const { return style & 3; }
  bool Simple() const { return Type() == CBS_SIMPLE; }
  bool HasEdit() const { return Type() == CBS_SIMPLE || Type() == CBS_DROPDOWN; }
  bool OwnerDraw() const { return style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE); }
};

inline std::shared_ptr<ComboBox> ComboOf(HWND window) { return Find<ComboBox>(window); }
inline LRESULT ToList(const ComboBox& c, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return c.list ? SendMessageA(c.list, message, wParam, lParam) : CB_ERR;
}
inline int Current(const ComboBox& c) { return static_cast<int>(ToList(c, LB_GETCURSEL)); }
inline int Count(const ComboBox& c) { return static_cast<int>(ToList(c, LB_GETCOUNT)); }
inline void Notify(ComboBox& c, WORD code) { NotifyCommand(c.window, code); }
inline void Redraw(ComboBox& c) { InvalidateRect(c.window, nullptr, FALSE); }

// The field (combobox_field.cpp).
extern ComboLink pendingLink;
std::string ItemText(const ComboBox& c, int index);
bool OwnEdge(HWND window);
int FieldTotal(const ComboBox& c);
RECT Inner(const ComboBox& c);
RECT ButtonRect(const ComboBox& c);
RECT TextRect(const ComboBox& c);
// The field shows the selected entry: the edit's text for the edit kinds.
void ShowSelectionInField(ComboBox& c);
void PlaceEdit(ComboBox& c);
void PlaceSimpleList(ComboBox& c);
// The window keeps the height of its field; what is asked beyond it is the dropped list's.
void FitHeight(ComboBox& c);
void PaintField(ComboBox& c, HDC dc);
void MeasureField(ComboBox& c);
LRESULT Create(ComboBox& c, const CREATESTRUCTA* create);
void SetFont(ComboBox& c, HFONT font, bool redraw);
// The list's requests to its owner, made the combo box's own.
LRESULT Forward(ComboBox& c, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT GetText(ComboBox& c, WPARAM size, char* buffer);
LRESULT SetText(ComboBox& c, const char* text);

}  // namespace platform::controls::combo
