// The item adapters: every string-list operation of a list box or combo box is a message
// to the platform control, which is the only store of the entries.
#include <algorithm>
#include <vector>

#include "controls/listbox.h"
#include "runtime/exceptions.h"
#include "runtime/text.h"

namespace {

constexpr int kListIndexError = 61452;
constexpr int kInsertLineError = 61606;

constexpr TItemMessages kListBoxMessages{LB_GETCOUNT,     LB_GETTEXTLEN,   LB_GETTEXT,
                                         LB_GETITEMDATA,  LB_SETITEMDATA,  LB_ADDSTRING,
                                         LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT};
constexpr TItemMessages kComboBoxMessages{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                          CB_GETITEMDATA,  CB_SETITEMDATA,  CB_ADDSTRING,
                                          CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT};

std::int32_t CheckInserted(LRESULT result) {
  if (result < 0) throw EOutOfResources(LoadStr(kInsertLineError));
  return static_cast<std::int32_t>(result);
}

LPARAM TextParam(const std::string& s) { return reinterpret_cast<LPARAM>(s.c_str()); }

}  // namespace

TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TItemStrings)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TListBoxStrings)
TD_IMPLEMENT_CLASS_WITHOUT_TABLES(TComboBoxStrings)

std::string TItemStrings::Get(std::int32_t index) const {
  HWND window = control_->Handle();
  const auto item = static_cast<WPARAM>(index);
  LRESULT length = SendMessageA(window, messages_.TextLength, item, 0);
  if (length < 0) return RefusedText();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied =
      SendMessageA(window, messages_.Text, item, reinterpret_cast<LPARAM>(buffer.data()));
  if (copied < 0) return RefusedText();
  return std::string(buffer.data(), std::min(static_cast<std::size_t>(copied), buffer.size() - 1));
}

std::int32_t TItemStrings::Count() const {
  return static_cast<std::int32_t>(SendMessageA(control_->Handle(), messages_.Count, 0, 0));
}

TObject* TItemStrings::GetObject(std::int32_t index) const {
  LRESULT data = SendMessageA(control_->Handle(), messages_.GetData, static_cast<WPARAM>(index), 0);
  return data == LB_ERR ? RefusedObject(data) : reinterpret_cast<TObject*>(data);
}

void TItemStrings::PutObject(std::int32_t index, TObject* object) {
  SendMessageA(control_->Handle(), messages_.SetData, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(object));
}

std::int32_t TItemStrings::Add(const std::string& s) {
  return CheckInserted(SendMessageA(control_->Handle(), messages_.Add, 0, TextParam(s)));
}

void TItemStrings::Insert(std::int32_t index, const std::string& s) {
  CheckInserted(
      SendMessageA(control_->Handle(), messages_.Insert, static_cast<WPARAM>(index), TextParam(s)));
}

void TItemStrings::Delete(std::int32_t index) {
  SendMessageA(control_->Handle(), messages_.Delete, static_cast<WPARAM>(index), 0);
}

void TItemStrings::Clear() { SendMessageA(control_->Handle(), messages_.Reset, 0, 0); }

void TItemStrings::UpdatingChanged(bool updating) {
  SendMessageA(control_->Handle(), WM_SETREDRAW, updating ? 0 : 1, 0);
  if (!updating) control_->RepaintNow();
}

// List box.

TListBoxStrings::TListBoxStrings(TCustomListBox* listBox)
    : TItemStrings(listBox, kListBoxMessages) {}

TCustomListBox* TListBoxStrings::ListBox() const { return static_cast<TCustomListBox*>(Control()); }

std::string TListBoxStrings::RefusedText() const {
  throw EStringListError(LoadStr(kListIndexError));
}

TObject* TListBoxStrings::RefusedObject(LRESULT) const {
  throw EStringListError(LoadStr(kListIndexError));
}

// Combo box.

TComboBoxStrings::TComboBoxStrings(TCustomComboBox* comboBox)
    : TItemStrings(comboBox, kComboBoxMessages) {}

TCustomComboBox* TComboBoxStrings::ComboBox() const {
  return static_cast<TCustomComboBox*>(Control());
}

void TComboBoxStrings::Clear() {
  TCustomComboBox* combo = ComboBox();
  std::string text = combo->Text();
  TItemStrings::Clear();
  combo->SetText(text);
  combo->FlushRepaint();
}
