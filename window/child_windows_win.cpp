#include "window/child_windows_win.h"

#include "chart/gdi_objects_win.h"
#include "platform/win_text.h"
#include "window/detail_window_win.h"

HWND gDetailWnd = nullptr;
HWND gTimeBackWnd = nullptr;

namespace {

constexpr wchar_t kDetailClassName[] = L"VQNUMCHILDWINDCLASSNAME";
constexpr wchar_t kTimeBackClassName[] = L"VQTBACKCHILDWINDCLASSNAME";
constexpr int kTimeBackWindowId = 450;

// Closing the time-back window only hides it: the main window owns it.
LRESULT CALLBACK ChildWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterChildClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(HWND mainWnd, const wchar_t* className, const wchar_t* title, int id, int width, int height) {
  const HWND child =
      CreateWindowExW(0, className, title, WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU, 0, 0, width, height,
                      mainWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), FALSE);
  return child;
}

}  // namespace

bool RegisterChildWindowClasses(HINSTANCE instance) {
  return RegisterChildClass(instance, kDetailClassName, DetailWindowProc) &&
         RegisterChildClass(instance, kTimeBackClassName, ChildWindowProc);
}

void CreateChildWindows(HWND mainWnd) {
  CreateDetailWindow(mainWnd);
  gTimeBackWnd =
      CreateChild(mainWnd, kTimeBackClassName, SjisToWide("タイムバック中").c_str(), kTimeBackWindowId, 204, 120);
}

void DestroyChildWindows() {
  DetachDetailWindow();  // children of the main window: destroyed with it
  gTimeBackWnd = nullptr;
}

bool IsOverChildWindow(HWND mainWnd, POINT client) {
  for (HWND child : {gDetailWnd, gTimeBackWnd}) {
    if (child == nullptr || !IsWindowVisible(child)) continue;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, mainWnd, reinterpret_cast<POINT*>(&rect), 2);
    if (PtInRect(&rect, client)) return true;
  }
  return false;
}
