#include "window/child_windows_win.h"

#include "window/detail_window_win.h"
#include "window/time_back_window_win.h"

HWND gDetailWnd = nullptr;
HWND gTimeBackWnd = nullptr;

namespace {

constexpr wchar_t kDetailClassName[] = L"VQNUMCHILDWINDCLASSNAME";

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

}  // namespace

bool RegisterChildWindowClasses(HINSTANCE instance) {
  return RegisterChildClass(instance, kDetailClassName, DetailWindowProc) &&
         RegisterChildClass(instance, TimeBackWindowClassName().c_str(), TimeBackWindowProc);
}

void CreateChildWindows(HWND mainWnd) {
  CreateDetailWindow(mainWnd);
  CreateTimeBackWindow(mainWnd);
}

void DestroyChildWindows() {
  // Children of the main window: destroyed with it, the settings kept.
  DetachDetailWindow();
  DetachTimeBackWindow();
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
