#include "window/floating_window_win.h"

#include <algorithm>

#include "window/main_window_access_win.h"

namespace {

POINT MouseInMain(HWND hwnd, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(hwnd, MainWindow(), &point, 1);
  return point;
}

}  // namespace

SIZE MainClientSize() {
  RECT client = {0, 0, 0, 0};
  if (MainWindow() != nullptr) GetClientRect(MainWindow(), &client);
  return {client.right, client.bottom};
}

bool MainWindowShown() { return MainWindow() != nullptr && IsWindowVisible(MainWindow()) && !IsIconic(MainWindow()); }

RECT WindowRectInMain(HWND hwnd) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

DetailPlacement FloatingPlacementAt(const FloatingWindow& window, int x, int y, int width, int height) {
  return {x, y, width, height, *window.dockRight != 0, *window.dockBottom != 0};
}

void MoveFloatingWindow(FloatingWindow& window, HWND hwnd, DetailPlacement placement, bool keepFree) {
  const SIZE client = MainClientSize();
  ClampDetailPlacement(&placement, client.cx, client.cy, keepFree);
  const RECT now = WindowRectInMain(hwnd);
  if (now.left != placement.x || now.top != placement.y || now.right - now.left != placement.width ||
      now.bottom - now.top != placement.height) {
    // Above the lists and scroll bars, which are its siblings too.
    SetWindowPos(hwnd, HWND_TOP, placement.x, placement.y, placement.width, placement.height, SWP_NOACTIVATE);
  }
  *window.x = placement.x;
  *window.y = placement.y;
}

void KeepFloatingWindowInside(FloatingWindow& window, HWND hwnd, bool keepFree) {
  const RECT rect = WindowRectInMain(hwnd);
  MoveFloatingWindow(window, hwnd,
                     FloatingPlacementAt(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                     keepFree);
}

void StoreFloatingDockFlags(FloatingWindow& window, HWND hwnd) {
  const RECT rect = WindowRectInMain(hwnd);
  const SIZE client = MainClientSize();
  DetailPlacement placement =
      FloatingPlacementAt(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  UpdateDetailDockFlags(&placement, client.cx, client.cy);
  *window.dockRight = placement.dockRight ? 1 : 0;
  *window.dockBottom = placement.dockBottom ? 1 : 0;
}

void StartFloatingDrag(FloatingWindow& window, HWND hwnd, LPARAM lParam) {
  if (window.dragging) return;
  const POINT mouse = MouseInMain(hwnd, lParam);
  const RECT rect = WindowRectInMain(hwnd);
  window.grab = {mouse.x - rect.left, mouse.y - rect.top};
  window.dragging = true;
  SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  SetCapture(hwnd);
}

bool DragFloatingWindow(FloatingWindow& window, HWND hwnd, LPARAM lParam) {
  if (!window.dragging) return false;
  SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  const POINT mouse = MouseInMain(hwnd, lParam);
  const RECT rect = WindowRectInMain(hwnd);
  MoveFloatingWindow(window, hwnd,
                     FloatingPlacementAt(window, mouse.x - window.grab.x, mouse.y - window.grab.y,
                                         rect.right - rect.left, rect.bottom - rect.top),
                     true);
  UpdateWindow(hwnd);
  return true;
}

// Dropped against the right or bottom edge, the window stays docked there.
bool EndFloatingDrag(FloatingWindow& window, HWND hwnd) {
  if (!window.dragging) return false;
  window.dragging = false;
  ReleaseCapture();
  if (MainWindowShown() && IsWindowVisible(hwnd)) KeepFloatingWindowInside(window, hwnd, true);
  StoreFloatingDockFlags(window, hwnd);
  return true;
}

// A drag by the caption: kept inside the client at its own size.
LRESULT KeepFloatingMoveInside(const FloatingWindow& window, HWND hwnd, LPARAM lParam) {
  auto* proposed = reinterpret_cast<RECT*>(lParam);
  RECT rect = *proposed;
  MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
  const RECT now = WindowRectInMain(hwnd);
  DetailPlacement placement =
      FloatingPlacementAt(window, rect.left, rect.top, now.right - now.left, now.bottom - now.top);
  const SIZE client = MainClientSize();
  ClampDetailPlacement(&placement, client.cx, client.cy, true);
  POINT corner = {placement.x, placement.y};
  MapWindowPoints(MainWindow(), nullptr, &corner, 1);
  *proposed = {corner.x, corner.y, corner.x + placement.width, corner.y + placement.height};
  return TRUE;
}

// Moves of the hidden window (its creation at 0,0) leave its saved place alone.
bool NoteFloatingWindowMoved(FloatingWindow& window, HWND hwnd) {
  if (MainWindow() == nullptr || !IsWindowVisible(hwnd)) return false;
  StoreFloatingDockFlags(window, hwnd);
  const RECT rect = WindowRectInMain(hwnd);
  *window.x = rect.left;
  *window.y = rect.top;
  return true;
}

void PaintThroughBuffer(HWND hwnd, void (*paint)(HDC dc, const RECT& client)) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const HDC buffer = CreateCompatibleDC(dc);
  const HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  if (buffer != nullptr && bitmap != nullptr) {
    const HGDIOBJ old = SelectObject(buffer, bitmap);
    paint(buffer, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
  } else {
    paint(dc, client);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (buffer != nullptr) DeleteDC(buffer);
  EndPaint(hwnd, &ps);
}
