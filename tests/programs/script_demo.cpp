// A small program that the automation script's tests drive from outside, written against
// platform/win32.h alone: a main window with a menu bar, a list box, a track bar and a
// line of text that counts timer ticks. It prints its window handles on the first line of
// its output. Exit status: 7 when the main window is closed, 5 after File > Exit.
// With a file name as its argument, F5 (or Option > Play) plays that file through MCI; F6
// adds ten items to the list box, F7 a combo box, F8 a list of the class "TFileListBox",
// which borrows the built-in list box's procedure and puts its own in front of it, as the
// framework's controls do. F9 halves the Wave and MIDI synth volumes (waveOutSetVolume,
// midiOutSetVolume), F11 mutes the master through the mixer, F12 brings back full volume.
#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

enum : UINT {
  kExit = 100,
  kRepeat = 201,
  kSequence = 202,
  kPlay = 203,
  kList = 10,
  kBar = 11,
  kTicks = 12,
  kCombo = 13,
  kFiles = 14,
};

HWND mainWindow, list, bar, ticks, combo, files;
WNDPROC listProcedure = nullptr;
HMENU option;
const char* song = nullptr;
MCIDEVICEID device = 0;
int tickCount = 0;
std::string typed;

void Play() {
  if (!song || device) return;
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = song;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open))) return;
  device = open.wDeviceID;
  MCI_PLAY_PARMS play{};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(mainWindow);
  mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

void SetMasterMute(bool mute) {
  MIXERCONTROLDETAILS_BOOLEAN value{mute ? 1 : 0};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = 1;  // the master's mute
  details.cChannels = 1;
  details.cbDetails = sizeof value;
  details.paDetails = &value;
  mixerSetControlDetails(nullptr, &details, MIXER_OBJECTF_MIXER);
}

void SetVolumes(DWORD volume) {
  waveOutSetVolume(nullptr, volume);
  midiOutSetVolume(nullptr, volume);
}

void Toggle(UINT id) {
  bool checked = (GetMenuState(option, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
  CheckMenuItem(option, id, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
}

HWND Child(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
           int width, int height, UINT id) {
  return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                         height, mainWindow, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                         nullptr, nullptr);
}

LRESULT FileListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

void MakeFileList() {
  WNDCLASSA wc{};
  GetClassInfoA(nullptr, "LISTBOX", &wc);
  listProcedure = wc.lpfnWndProc;
  wc.lpszClassName = "TFileListBox";
  wc.hInstance = nullptr;
  RegisterClassA(&wc);
  files = Child(0, "TFileListBox", "", WS_BORDER | LBS_NOINTEGRALHEIGHT, 160, 60, 100, 40, kFiles);
  SetWindowLongPtrA(files, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileListProcedure));
  SendMessageA(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("song.mid"));
}

LRESULT MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kExit:
          PostQuitMessage(5);
          break;
        case kRepeat:
        case kSequence:
          Toggle(LOWORD(wParam));
          break;
        case kPlay:
          Play();
          break;
        default:
          break;
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_F5) Play();
      if (wParam == VK_F7 && !combo) {
        combo = Child(0, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 160, 30, 100, 120, kCombo);
        for (const char* item : {"*.mid", "*.wav"})
          SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
      }
      if (wParam == VK_F8 && !files) MakeFileList();
      if (wParam == VK_F9) SetVolumes(0x80008000);
      if (wParam == VK_F11) SetMasterMute(true);
      if (wParam == VK_F12) {
        SetVolumes(0xFFFFFFFF);
        SetMasterMute(false);
      }
      if (wParam == VK_F6)
        for (int i = 0; i < 10; ++i)
          SendMessageA(list, LB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(("item " + std::to_string(i)).c_str()));
      return 0;
    case WM_CHAR:
      typed += static_cast<char>(wParam);
      SetWindowTextA(window, ("Demo " + typed).c_str());
      return 0;
    case WM_TIMER: {
      ++tickCount;
      SetWindowTextA(ticks, ("ticks: " + std::to_string(tickCount)).c_str());
      if (bar) SendMessageA(bar, TBM_SETPOS, TRUE, 25 + tickCount);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HMENU MakeMenu() {
  HMENU menu = CreateMenu(), file = CreatePopupMenu();
  option = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kExit, "E&xit");
  AppendMenuA(option, MF_STRING | MF_CHECKED, kRepeat, "&Repeat\tF2");
  AppendMenuA(option, MF_STRING, kSequence, "&Sequence\tF3");
  AppendMenuA(option, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(option, MF_STRING, kPlay, "&Play\tF5");
  // The bar's items carry ids of their own, as the framework's do.
  MENUITEMINFOA item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
  item.fType = MFT_STRING;
  item.wID = 1;
  item.hSubMenu = file;
  item.dwTypeData = const_cast<char*>("&File");
  InsertMenuItemA(menu, 0, TRUE, &item);
  item.wID = 2;
  item.hSubMenu = option;
  item.dwTypeData = const_cast<char*>("&Option");
  InsertMenuItemA(menu, 1, TRUE, &item);
  return menu;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) song = argv[1];
  InitCommonControls();
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainProcedure;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = "DemoMain";
  RegisterClassA(&wc);
  mainWindow = CreateWindowExA(0, "DemoMain", "Demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80,
                               320, 240, nullptr, MakeMenu(), nullptr, nullptr);
  list = Child(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 8,
               8, 140, 100, kList);
  for (const char* item : {"alpha", "beta", "gamma"})
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  bar = Child(0, TRACKBAR_CLASSA, "", TBS_HORZ | TBS_ENABLESELRANGE, 8, 116, 200, 30, kBar);
  SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageA(bar, TBM_SETPOS, TRUE, 25);
  SendMessageA(bar, TBM_SETSEL, TRUE, MAKELPARAM(10, 40));
  ticks = Child(0, "STATIC", "ticks: 0", 0, 160, 8, 100, 16, kTicks);
  SetFocus(mainWindow);
  SetTimer(mainWindow, 1, 100, nullptr);
  std::printf("main=%lu list=%lu bar=%lu ticks=%lu\n",
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(mainWindow)),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(list)),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(bar)),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(ticks)));
  std::fflush(stdout);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (device) mciSendCommandA(device, MCI_CLOSE, 0, 0);
  return static_cast<int>(msg.wParam);
}
