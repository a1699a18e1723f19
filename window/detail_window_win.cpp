// The detail window: created hidden with the main window, filled for the
// cross-hair's pane, dragged by its client area or its caption and kept
// against the right or bottom edge once dropped there.
#include "window/detail_window_win.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/cross_hair.h"
#include "chart/detail_rows.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "common/app_globals.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"
#include "window/child_windows_win.h"
#include "window/detail_placement.h"
#include "window/drag_modes.h"
#include "window/main_window_access_win.h"
#include "window/window_hooks.h"

namespace {

constexpr wchar_t kDetailClassName[] = L"VQNUMCHILDWINDCLASSNAME";
constexpr int kDetailWindowId = 400;
constexpr DWORD kDetailStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
constexpr int kUnplacedX = 32767;
constexpr int kMinWidth = 110;
constexpr int kMinHeight = 60;
constexpr int kCursorOffset = 10;
constexpr int kInset = 4;
constexpr int kTitleBase = 1500;  // + PaneKind: the window's title

DetailRows gWindowRows;
bool gMainGoing = false;
bool gDragging = false;
POINT gDragOffset = {0, 0};  // the mouse from the window's corner, in main-window client pixels

void NoteInput() { gLastInputTick = GetTickCount(); }

void RefreshMenus() {
  if (gWindowHooks.refreshMenuStates != nullptr) gWindowHooks.refreshMenuStates();
}

SIZE MainClientSize() {
  RECT client = {0, 0, 0, 0};
  if (MainWindow() != nullptr) GetClientRect(MainWindow(), &client);
  return {client.right, client.bottom};
}

bool MainWindowShown() { return MainWindow() != nullptr && IsWindowVisible(MainWindow()) && !IsIconic(MainWindow()); }

// The window's outer rectangle in main-window client coordinates.
RECT WindowRectInMain(HWND hwnd) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The cursor keeps away from what the window covers.
void NoteCoveredArea() {
  if (gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd)) {
    gDetailWindowRect = {};
    return;
  }
  const RECT rect = WindowRectInMain(gDetailWnd);
  gDetailWindowRect = {rect.left, rect.top, rect.right, rect.bottom};
}

DetailPlacement PlacementAt(int x, int y, int width, int height) {
  return {x, y, width, height, gDetailDockRight != 0, gDetailDockBottom != 0};
}

// Moves the window to the placement, kept in the client; true when it moved.
void MoveTo(HWND hwnd, DetailPlacement placement, bool keepFree) {
  const SIZE client = MainClientSize();
  ClampDetailPlacement(&placement, client.cx, client.cy, keepFree);
  const RECT now = WindowRectInMain(hwnd);
  if (now.left != placement.x || now.top != placement.y || now.right - now.left != placement.width ||
      now.bottom - now.top != placement.height) {
    // Above the lists and scroll bars, which are its siblings too.
    SetWindowPos(hwnd, HWND_TOP, placement.x, placement.y, placement.width, placement.height, SWP_NOACTIVATE);
  }
  gDetailWindowX = placement.x;
  gDetailWindowY = placement.y;
}

void StoreDockFlags(HWND hwnd) {
  const RECT rect = WindowRectInMain(hwnd);
  const SIZE client = MainClientSize();
  DetailPlacement placement = PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  UpdateDetailDockFlags(&placement, client.cx, client.cy);
  gDetailDockRight = placement.dockRight ? 1 : 0;
  gDetailDockBottom = placement.dockBottom ? 1 : 0;
}

int MeasureWithDc(void* dc, const char* text) {
  const std::wstring wide = SjisToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(static_cast<HDC>(dc), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

// The rows' size grown to the frame of the window's style, at least 110 x 60.
SIZE OuterSizeOf(HWND hwnd, const DetailRows& rows) {
  const HDC dc = GetDC(hwnd);
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const DetailSize inner = MeasureDetailRows(rows, MeasureWithDc, dc, metrics.tmHeight);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
  RECT frame = {0, 0, inner.width, inner.height};
  AdjustWindowRect(&frame, kDetailStyle, FALSE);
  return {std::max<LONG>(frame.right - frame.left, kMinWidth), std::max<LONG>(frame.bottom - frame.top, kMinHeight)};
}

void SetTitle(HWND hwnd, int paneKind) {
  wchar_t title[80] = L"";
  if (paneKind >= 0) LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(kTitleBase + paneKind), title, 80);
  wchar_t now[80] = L"";
  GetWindowTextW(hwnd, now, 80);
  if (wcscmp(now, title) != 0) SetWindowTextW(hwnd, title);
}

// The cross-hair's chart, pane and bar, else the selected pane at its last bar.
void BuildWindowRows(DetailRows* rows) {
  if (gCrossHairChart >= 0) {
    BuildChartDetailRows(gCrossHairChart, gCrossHairPane, gCrossHairBar, true, rows);
  } else {
    BuildChartDetailRows(-1, -1, -1, true, rows);
  }
}

HWND CreateWindowIn(HWND mainWnd) {
  const HWND hwnd = CreateWindowExW(0, kDetailClassName, L"", kDetailStyle, 0, 0, 100, 20, mainWnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDetailWindowId)),
                                    GetModuleHandleW(nullptr), nullptr);
  if (hwnd != nullptr) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), FALSE);
  return hwnd;
}

// ---- Messages --------------------------------------------------------------------------

POINT MouseInMain(HWND hwnd, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(hwnd, MainWindow(), &point, 1);
  return point;
}

LRESULT OnLeftButtonDown(HWND hwnd, LPARAM lParam) {
  if (gDragging) return 0;
  const POINT mouse = MouseInMain(hwnd, lParam);
  const RECT rect = WindowRectInMain(hwnd);
  gDragOffset = {mouse.x - rect.left, mouse.y - rect.top};
  gDragging = true;
  SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  SetCapture(hwnd);
  return 0;
}

LRESULT OnMouseMove(HWND hwnd, LPARAM lParam) {
  if (!gDragging) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return 0;
  }
  SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  const POINT mouse = MouseInMain(hwnd, lParam);
  const RECT rect = WindowRectInMain(hwnd);
  MoveTo(hwnd,
         PlacementAt(mouse.x - gDragOffset.x, mouse.y - gDragOffset.y, rect.right - rect.left, rect.bottom - rect.top),
         true);
  UpdateWindow(hwnd);
  return 0;
}

// Dropped against the right or bottom edge, the window stays docked there.
LRESULT OnLeftButtonUp(HWND hwnd) {
  if (!gDragging) return 0;
  gDragging = false;
  ReleaseCapture();
  if (MainWindowShown() && IsWindowVisible(hwnd)) {
    const RECT rect = WindowRectInMain(hwnd);
    MoveTo(hwnd, PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), true);
    gShowDetailWindow = 1;
  }
  StoreDockFlags(hwnd);
  NoteCoveredArea();
  return 0;
}

// A drag by the caption: kept inside the client at its own size.
LRESULT OnMoving(HWND hwnd, LPARAM lParam) {
  auto* proposed = reinterpret_cast<RECT*>(lParam);
  RECT rect = *proposed;
  MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
  const RECT now = WindowRectInMain(hwnd);
  DetailPlacement placement = PlacementAt(rect.left, rect.top, now.right - now.left, now.bottom - now.top);
  const SIZE client = MainClientSize();
  ClampDetailPlacement(&placement, client.cx, client.cy, true);
  POINT corner = {placement.x, placement.y};
  MapWindowPoints(MainWindow(), nullptr, &corner, 1);
  *proposed = {corner.x, corner.y, corner.x + placement.width, corner.y + placement.height};
  return TRUE;
}

// Moves of the hidden window (its creation at 0,0) leave its saved place alone.
LRESULT OnMove(HWND hwnd) {
  if (MainWindow() == nullptr || !IsWindowVisible(hwnd)) return 0;
  StoreDockFlags(hwnd);
  const RECT rect = WindowRectInMain(hwnd);
  gDetailWindowX = rect.left;
  gDetailWindowY = rect.top;
  NoteCoveredArea();
  return 0;
}

// The close box ends the window and its setting; the main window's end keeps it.
LRESULT OnDestroy(HWND hwnd) {
  if (gDetailWnd == hwnd) gDetailWnd = nullptr;
  gDragging = false;
  if (!gMainGoing) {
    gShowDetailWindow = 0;
    gDetailWindowRect = {};
    RefreshMenus();
  }
  return 0;
}

void DrawRow(HDC dc, const DetailRow& row, const RECT& rect) {
  SetTextColor(dc, PaletteColor(row.colorSlot));
  RECT box = rect;
  const std::wstring label = SjisToWide(row.label);
  const std::wstring value = SjisToWide(row.value);
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(dc, value.c_str(), static_cast<int>(value.size()), &box, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintRows(HDC dc, const RECT& client) {
  FillRect(dc, &client, CachedBrush(PaletteColor(kColorBackground)));
  const int rows = gWindowRows.count;
  if (rows <= 0) return;
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const int pitch = (client.bottom - 2 * kInset + rows - 1) / rows;
  for (int i = 0; i < rows; ++i) {
    const RECT rect = {kInset, kInset + i * pitch, client.right - kInset, kInset + (i + 1) * pitch};
    DrawRow(dc, gWindowRows.rows[i], rect);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

LRESULT OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const HDC buffer = CreateCompatibleDC(dc);
  const HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  if (buffer != nullptr && bitmap != nullptr) {
    const HGDIOBJ old = SelectObject(buffer, bitmap);
    PaintRows(buffer, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
  } else {
    PaintRows(dc, client);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (buffer != nullptr) DeleteDC(buffer);
  EndPaint(hwnd, &ps);
  return 0;
}

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

}  // namespace

LRESULT CALLBACK DetailWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsMouseMessage(message)) NoteInput();
  switch (message) {
    case WM_LBUTTONDOWN: return OnLeftButtonDown(hwnd, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, lParam);
    case WM_LBUTTONUP: return OnLeftButtonUp(hwnd);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) return TRUE;  // the mouse moves choose it
      break;
    case WM_MOVING: return OnMoving(hwnd, lParam);
    case WM_MOVE: return OnMove(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return OnPaint(hwnd);
    case WM_DESTROY: return OnDestroy(hwnd);
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CreateDetailWindow(HWND mainWnd) {
  gMainGoing = false;
  gDetailWnd = CreateWindowIn(mainWnd);
  if (gShowDetailWindow != 0) RefreshDetailWindow(false);
}

void DetachDetailWindow() {
  gMainGoing = true;
  gDetailWnd = nullptr;
  gDetailWindowRect = {};
}

void RefreshDetailWindow(bool atCursor) {
  const HWND main = MainWindow();
  if (main == nullptr) return;
  if (gDetailWnd == nullptr) gDetailWnd = CreateWindowIn(main);
  if (gDetailWnd == nullptr) return;
  BuildWindowRows(&gWindowRows);
  const SIZE size = OuterSizeOf(gDetailWnd, gWindowRows);
  const SIZE client = MainClientSize();
  int x = gDetailWindowX;
  int y = gDetailWindowY;
  if (atCursor) {
    POINT mouse;
    GetCursorPos(&mouse);
    ScreenToClient(main, &mouse);
    x = mouse.x + kCursorOffset;
    y = mouse.y + kCursorOffset;
  } else if (x == kUnplacedX) {  // first shown: against the right edge
    x = client.cx - size.cx;
    gDetailDockRight = 1;
  }
  MoveTo(gDetailWnd, PlacementAt(x, y, size.cx, size.cy), atCursor);
  SetTitle(gDetailWnd, gWindowRows.paneKind);
  if (!IsWindowVisible(gDetailWnd)) ShowWindow(gDetailWnd, SW_SHOWNA);
  gShowDetailWindow = 1;
  NoteCoveredArea();
  RefreshMenus();
  InvalidateRect(gDetailWnd, nullptr, FALSE);
}

void UpdateDetailWindowRows() {
  if (gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd) || gDragging) return;
  static DetailRows rows;
  BuildWindowRows(&rows);
  if (memcmp(&rows, &gWindowRows, sizeof rows) == 0) return;
  const SIZE old = OuterSizeOf(gDetailWnd, gWindowRows);
  gWindowRows = rows;
  const SIZE size = OuterSizeOf(gDetailWnd, gWindowRows);
  if (size.cx != old.cx || size.cy != old.cy) {
    const RECT rect = WindowRectInMain(gDetailWnd);
    MoveTo(gDetailWnd, PlacementAt(rect.left, rect.top, size.cx, size.cy), false);
    NoteCoveredArea();
  }
  SetTitle(gDetailWnd, gWindowRows.paneKind);
  InvalidateRect(gDetailWnd, nullptr, FALSE);
}

void RepositionDetailWindow(bool keepFree) {
  if (!MainWindowShown() || gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd)) return;
  const RECT rect = WindowRectInMain(gDetailWnd);
  MoveTo(gDetailWnd, PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), keepFree);
  NoteCoveredArea();
}

void ToggleDetailList() {
  const bool wasOff = gShowDetailList == 0;
  gShowDetailList = wasOff ? 1 : 0;
  if (wasOff && gDetailWnd != nullptr && IsWindowVisible(gDetailWnd)) {
    ShowWindow(gDetailWnd, SW_HIDE);
    gShowDetailWindow = 0;
    NoteCoveredArea();
  }
  if (gChartHooks.layoutCharts != nullptr) gChartHooks.layoutCharts();
  RefreshMenus();
  if (MainWindow() != nullptr) UpdateWindow(MainWindow());
}

void ToggleDetailWindow() {
  if (gDetailWnd != nullptr && IsWindowVisible(gDetailWnd)) {
    ShowWindow(gDetailWnd, SW_HIDE);
    gShowDetailWindow = 0;
    NoteCoveredArea();
    RefreshMenus();
    return;
  }
  if (gShowDetailList != 0) {
    gShowDetailList = 0;
    if (gChartHooks.layoutCharts != nullptr) gChartHooks.layoutCharts();
  }
  RefreshDetailWindow(false);
}

// A drag repaints only the panes it changes: the list catches up at the next move after it.
void FollowCrossHairInDetails() {
  if (gShowDetailList != 0 && !IsDragging(gDragMode) && gChartHooks.invalidateRect != nullptr &&
      !IsEmptyRect(gDetailListArea))
    gChartHooks.invalidateRect(gDetailListArea);
  UpdateDetailWindowRows();
}
