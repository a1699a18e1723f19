#include "window/child_windows_win.h"

#include "chart/gdi_objects_win.h"
#include "platform/win_text.h"

HWND gDetailWnd = nullptr;
HWND gTimeBackWnd = nullptr;

namespace {

constexpr wchar_t kDetailClassName[] = L"VQNUMCHILDWINDCLASSNAME";
constexpr wchar_t kTimeBackClassName[] = L"VQTBACKCHILDWINDCLASSNAME";
constexpr int kDetailWindowId = 400;
constexpr int kTimeBackWindowId = 450;

// Closing either window only hides it: the main window owns it.
LRESULT CALLBACK ChildWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterChildClass(HINSTANCE instance, const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ChildWindowProc;
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
  return RegisterChildClass(instance, kDetailClassName) && RegisterChildClass(instance, kTimeBackClassName);
}

void CreateChildWindows(HWND mainWnd) {
  gDetailWnd = CreateChild(mainWnd, kDetailClassName, L"", kDetailWindowId, 100, 20);
  gTimeBackWnd =
      CreateChild(mainWnd, kTimeBackClassName, SjisToWide("タイムバック中").c_str(), kTimeBackWindowId, 204, 120);
}

void DestroyChildWindows() {
  gDetailWnd = nullptr;  // children of the main window: destroyed with it
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
