// Forms and the screen. A form (TForm) is a top-level window that carries controls, a
// main menu and an icon, is built from a form description and decides what closing it
// means; it keeps the focus among its controls and handles the dialog keys. The screen
// object (Screen) knows every form, the active form and control, the cursors, the fonts
// and the screen's density.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "forms/internal.h"
#include "forms/wincontrol.h"
#include "graphics/bitmap.h"

class TStringList;

enum TScrollBarKind { sbHorizontal, sbVertical };
TD_ENUM_TYPE(TScrollBarKind, "sbHorizontal", "sbVertical");

// One scroll bar of a scrolling control: its range follows the extent of the children.
class TControlScrollBar : public TPersistent {
  TD_CLASS(TControlScrollBar, TPersistent)

 public:
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);
  TScrollBarKind Kind() const { return kind_; }
  int Position() const { return position_; }
  void SetPosition(int value);
  int Range() const { return range_; }
  void SetRange(int value);
  int Margin() const { return margin_; }
  void SetMargin(int value) { margin_ = std::clamp(value, 0, kMaxCoordinate); }
  // Scales the range and the position with the form's other geometry (a description read
  // on a screen whose text measures differently).
  template <class F>
  void ScaleBy(F scale) {
    range_ = std::clamp(scale(range_), 0, kMaxCoordinate);
    position_ = std::clamp(scale(position_), 0, range_);
  }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool IsScrollBarVisible() const;
  // Brings the window's scroll bars in line with range and position.
  void Update();

 private:
  friend class TScrollingWinControl;
  // Shows or hides the window's bar and sets its range, page and position.
  void Apply(bool show, int page);
  // Sets the position and moves the children by the change.
  void MoveTo(int value);
  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  int position_ = 0;
  int range_ = 0;
  int margin_ = 0;
  bool visible_ = true;
  bool shown_ = false;
};

class TScrollingWinControl : public TWinControl {
  TD_CLASS(TScrollingWinControl, TWinControl)

 public:
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;
  TControlScrollBar* HorzScrollBar() const { return horzScrollBar_.get(); }
  TControlScrollBar* VertScrollBar() const { return vertScrollBar_.get(); }
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value);
  // Scrolls so that control is wholly in view.
  void ScrollInView(TControl* control);
  // Ranges from the children's extent, then the bars' visibility, range, page and
  // position on the window.
  void UpdateScrollBars();
  // Moves every child by (dx, dy).
  void ScrollBy(int dx, int dy);

 protected:
  void AlignControls(TControl* control, RECT& rect) override;
  void CreateWindowNow() override;

 private:
  void WMScrollBar(TMessage& message);
  std::unique_ptr<TControlScrollBar> horzScrollBar_;
  std::unique_ptr<TControlScrollBar> vertScrollBar_;
  bool autoScroll_ = true;
  bool updatingScrollBars_ = false;
};

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
TD_ENUM_TYPE(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp");
using TBorderIcons = TSet<TBorderIcon>;
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
TD_ENUM_TYPE(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
             "bsSizeToolWin");
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
TD_ENUM_TYPE(TWindowState, "wsNormal", "wsMinimized", "wsMaximized");
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
TD_ENUM_TYPE(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop");
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
TD_ENUM_TYPE(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
             "poScreenCenter");
enum TCloseAction { caNone, caHide, caFree, caMinimize };
TD_ENUM_TYPE(TCloseAction, "caNone", "caHide", "caFree", "caMinimize");

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

class TForm : public TScrollingWinControl {
  TD_CLASS(TForm, TScrollingWinControl)

 public:
  // A form of a class derived from TForm is built from the description resources of
  // its class chain. C++ constructs the derived class's members only after this
  // constructor, so the reading is a second step: ReadDescription(), which a derived
  // constructor calls first thing when its body needs the components, and which the
  // application's CreateForm calls after construction otherwise.
  explicit TForm(TComponent* owner);
  // An empty form; no description is ever read for it.
  static TForm* CreateNew(TComponent* owner);
  ~TForm() override;

  // Reads, ancestors first, the resource of every class between TForm (excluded) and
  // the form's class that has not been read yet, then calls AfterLoad on what was built.
  // EResNotFound "Resource %s not found" with the class name when no class of the chain
  // has one. Does nothing for a form made by CreateNew or already read.
  void ReadDescription();
  bool DescriptionPending() const;

  void Close();
  bool CloseQuery();
  void Release();
  bool Active() const { return active_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  // The main menu; the templates let layers that know TMainMenu use it typed.
  template <class M = TMainMenu>
  M* Menu() const {
    return static_cast<M*>(menu_);
  }
  template <class M = TMainMenu>
  void SetMenu(M* menu) {
    SetMenuComponent(menu);
  }
  TComponent* MenuComponent() const { return menu_; }
  void SetMenuComponent(TComponent* menu);
  // The icon of the window (owned); an empty one shows the application's.
  TIcon* Icon() const { return icon_.get(); }
  // Copies the icon in (no reference kept).
  void SetIcon(TIcon* icon);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value) { formStyle_ = value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value);
  int TextHeight() const { return textHeight_; }
  void SetTextHeight(int value) { textHeight_ = value; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool value) { scaled_ = value; }
  TCanvas* Canvas() const { return canvas_.get(); }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  bool Modal() const { return modal_; }
  // Shows the form and runs the application's message loop until ModalResult becomes
  // nonzero (Close makes it 2), with every other window of the program refusing input
  // meanwhile; then hides the form and returns the result. EInvalidOperation "Cannot make
  // a visible window modal" for a form already shown.
  int ShowModal();

  // Focus among the form's controls.
  void FocusControl(TWinControl* control);
  void DefocusControl(TWinControl* control, bool removing);
  // The platform focus reached control: the screen and the controls are told; false
  // refuses it.
  bool SetFocusedControl(TWinControl* control);
  void TakeFocus() override;
  bool CanTakeFocus() override;

  void FillWindowParams(TWindowParams& params) override;
  void CreateWindowNow() override;
  // The menu is taken off the window first, so that destroying the window leaves the
  // menu's platform objects to the menu.
  void TearDownWindow() override;
  void ComponentNotice(TComponent* component, TOperation operation) override;
  void ReadContents(TFiler& reader) override;
  void AfterLoad() override;

  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TNotifyEvent OnResize;
  TKeyEvent OnShortCut;

 protected:
  struct NewTag {};
  // The empty form of CreateNew.
  TForm(TComponent* owner, NewTag);
  void PaintWindow(HDC dc) override;
  void VisibleChanging() override;
  virtual void DoShow() { OnShow(this); }
  virtual void DoHide() { OnHide(this); }

 private:
  void InitNew();
  void IconChanged(TObject* sender);
  void AttachMenu();
  void SetWindowIcon();
  void ReadScaling(TFiler& reader);
  void ReadTextHeight(TFiler& reader);
  void SetFormClientWidth(int value);
  void SetFormClientHeight(int value);
  void ApplyStoredClientSize();
  void DeclareStoredData(TFiler& filer) override;
  bool IsFormColorStored() const;

  void WMActivate(TMessage& message);
  void WMClose(TMessage& message);
  void WMQueryEndSession(TMessage& message);
  void WMCommand(TMessage& message);
  void WMInitMenuPopup(TMessage& message);
  void WMMenuSelect(TMessage& message);
  void WMQueryDragIcon(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMPaint(TMessage& message);
  void FMActivate(TMessage& message);
  void FMDeactivate(TMessage& message);
  void FMDialogKey(TMessage& message);
  void FMShowingChanged(TMessage& message);
  void FMRelease(TMessage& message);
  void FMMenuChanged(TMessage& message);
  void FMIconChanged(TMessage& message);
  void FMAppSysCommand(TMessage& message);
  void FMControlChange(TMessage& message);
  void FMTextChanged(TMessage& message);
  void FMFormVisibleChanged(TMessage& message);
  void SetWindowFocus();
  friend void forms_detail::ForgetScreenControl(TControl* control);

  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TComponent* menu_ = nullptr;
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TControlCanvas> canvas_;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormBorderStyle borderStyle_ = bsSizeable;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  int pixelsPerInch_ = 96;
  int textHeight_ = 0;
  int storedPixelsPerInch_ = 0;
  int storedClientWidth_ = 0;
  int storedClientHeight_ = 0;
  bool scaled_ = true;
  bool keyPreview_ = false;
  bool active_ = false;
  bool creating_ = false;
  bool visibleRequested_ = false;
  bool showingNow_ = false;
  bool modal_ = false;
  int modalResult_ = 0;
  bool isNew_ = false;
  const TClassInfo* readUpTo_ = nullptr;  // the last class whose resource was read
  bool anyDescription_ = false;
};

// The form whose window holds the control (its top parent when that is a form).
TForm* ParentForm(TControl* control);

class TScreen : public TComponent {
  TD_CLASS(TScreen, TComponent)

 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int index) const { return forms_[static_cast<std::size_t>(index)]; }
  int DataModuleCount() const { return static_cast<int>(dataModules_.size()); }
  TComponent* DataModules(int index) const { return dataModules_[static_cast<std::size_t>(index)]; }
  void AddDataModule(TComponent* module);
  void RemoveDataModule(TComponent* module);
  TForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The cursor handle of an id; the default cursor for an unknown id, none for -1.
  HCURSOR Cursors(int id) const;
  void SetCursors(int id, HCURSOR cursor);
  TStringList* Fonts();
  const std::vector<std::string>& ImeNames() const { return imeNames_; }
  const std::string& DefaultIme() const { return defaultIme_; }
  int PixelsPerInch() const { return pixelsPerInch_; }
  int Width() const;
  int Height() const;

 private:
  friend class TForm;
  friend void forms_detail::ForgetScreenControl(TControl* control);
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  void SetActive(TForm* form, TWinControl* control);
  void LoadCursors();
  void LoadKeyboardLayouts();

  std::vector<TForm*> forms_;
  std::vector<TComponent*> dataModules_;
  TForm* activeForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TForm* focusedForm_ = nullptr;
  std::vector<std::pair<int, HCURSOR>> cursors_;  // front first
  HCURSOR defaultCursor_ = nullptr;
  TCursor cursor_ = crDefault;
  std::unique_ptr<TStringList> fonts_;
  std::vector<std::string> imeNames_;
  std::string defaultIme_;
  int pixelsPerInch_ = 96;
};

// The screen object; made on first use of the forms layer (before the application).
extern TScreen* Screen;
// Creates the screen (and installs the global component lookup) when it does not exist.
void InitializeScreen();
// Frees the screen at shutdown.
void FinalizeScreen();
