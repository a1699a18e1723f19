// The main window: class, creation, title and its window procedure.

#include "chart/main_window_win.h"

#include "chart/screen_pattern.h"
#include "common/gdi_objects_win.h"
#include "platform/win_text.h"
#include "shell/app_globals.h"
#include "shell/commands.h"
#include "shell/lifecycle.h"
#include "shell/progress.h"
#include "shell/settings.h"

namespace {

constexpr int kMainIconLarge = 107;
constexpr int kMainIconSmall = 108;

void NoteUserInput() { gLastInputTick = GetTickCount(); }

void ShowWaitCursor() { SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514))); }  // IDC_WAIT

void ShowSwitchedPattern() {
  const HWND hwnd = static_cast<HWND>(gMainWnd);
  if (hwnd != nullptr) {
    InvalidateWholeWindow(hwnd);
    UpdateWindow(hwnd);
    UpdateMainWindowTitle();
  }
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
}

// The shared pens and fonts live as long as the main window.
LRESULT OnCreate(HWND hwnd) {
  CreateSharedGdiObjects();
  MeasureSharedFonts(hwnd);
  gPatternSwitchHooks.beginWait = ShowWaitCursor;
  gPatternSwitchHooks.patternShown = ShowSwitchedPattern;
  return 0;
}

LRESULT OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_APPWORKSPACE));
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (OnMainCommand(hwnd, LOWORD(wParam)) != 0) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SaveWindowPlacement(HWND hwnd) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd, &placement)) memcpy(&gSettings.mainPlacement, &placement, sizeof placement);
}

LRESULT OnDestroy(HWND hwnd) {
  SaveWindowPlacement(hwnd);
  gPatternSwitchHooks = {};
  DeleteSharedGdiObjects();
  PostQuitMessage(0);
  return 0;
}

// Windows is ending the session: the process may not get back to the main loop.
LRESULT OnEndSession(HWND hwnd, WPARAM ending) {
  if (ending) {
    SaveWindowPlacement(hwnd);
    SaveEverythingAtExit();
  }
  return 0;
}

// The class has no cursor of its own: the chart sets it per area.
LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return DefWindowProcW(hwnd, WM_SETCURSOR, wParam, lParam);
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
  return TRUE;
}

bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsUserInput(message)) NoteUserInput();
  switch (message) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_PAINT: return OnPaint(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: return OnSetCursor(hwnd, wParam, lParam);
    case WM_COMMAND: return OnCommand(hwnd, message, wParam, lParam);
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return OnEndSession(hwnd, wParam);
    case WM_DESTROY: return OnDestroy(hwnd);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

bool IsUsablePlacement(const WindowPlacementImage& saved) {
  return saved.length == sizeof(WINDOWPLACEMENT) && saved.right > saved.left && saved.bottom > saved.top;
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
  const std::wstring className = SjisToWide(gMainClassName);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kMainIconLarge));
  if (wc.hIcon == nullptr) wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(kMainIconSmall));
  wc.hCursor = nullptr;
  wc.hbrBackground = nullptr;
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

void UpdateMainWindowTitle() {
  char title[128];
  FormatMainWindowTitle(title, sizeof title);
  SetWindowTextW(static_cast<HWND>(gMainWnd), SjisToWide(title).c_str());
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
  const HWND hwnd = CreateWindowExW(0, SjisToWide(gMainClassName).c_str(), SjisToWide(gAppTitle).c_str(),
                                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  gMainWnd = hwnd;
  UpdateMainWindowTitle();
  if (IsUsablePlacement(gSettings.mainPlacement)) {
    WINDOWPLACEMENT placement;
    memcpy(&placement, &gSettings.mainPlacement, sizeof placement);
    if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
    if (showCommand != SW_SHOWNORMAL && showCommand != SW_SHOWDEFAULT) placement.showCmd = static_cast<UINT>(showCommand);
    SetWindowPlacement(hwnd, &placement);
  } else {
    ShowWindow(hwnd, showCommand);
  }
  UpdateWindow(hwnd);
  return hwnd;
}
