// The detail window: created hidden with the main window, filled for the
// cross-hair's pane, dragged by its client area or its caption and kept
// against the right or bottom edge once dropped there.
#include "window/detail_window_win.h"

#include <algorithm>
#include <array>
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
#include "window/drag_modes.h"
#include "window/floating_window_win.h"
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
FloatingWindow gFloating = {&gDetailWindowX, &gDetailWindowY, &gDetailDockRight, &gDetailDockBottom, false, {0, 0}};

void NoteInput() { gLastInputTick = GetTickCount(); }

void RefreshMenus() {
  if (gWindowHooks.refreshMenuStates != nullptr) gWindowHooks.refreshMenuStates();
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
  return FloatingPlacementAt(gFloating, x, y, width, height);
}

void MoveTo(HWND hwnd, DetailPlacement placement, bool keepFree) {
  MoveFloatingWindow(gFloating, hwnd, placement, keepFree);
}

void LoadTitle(int paneKind, wchar_t (&title)[80]) {
  title[0] = L'\0';
  if (paneKind >= 0) LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(kTitleBase + paneKind), title, 80);
}

// The outer width the caption needs for its whole title: the text in the
// caption font, the system menu's icon before it and the close box after it.
int MeasureCaptionWidth(const wchar_t* title) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (title[0] == L'\0' || !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  const HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE text{};
  GetTextExtentPoint32W(dc, title, static_cast<int>(wcslen(title)), &text);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, kDetailStyle, FALSE);
  const int buttons = GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXSIZE);
  return text.cx + buttons + 4 * GetSystemMetrics(SM_CXEDGE) + (frame.right - frame.left);
}

// Measured once per pane kind: the window is sized at every cursor move.
int CaptionWidthFor(int paneKind) {
  static std::array<int, kPaneKindCount> widths = {};
  if (paneKind < 0 || paneKind >= kPaneKindCount) return 0;
  if (widths[paneKind] == 0) {
    wchar_t title[80];
    LoadTitle(paneKind, title);
    widths[paneKind] = MeasureCaptionWidth(title);
  }
  return widths[paneKind];
}

// The rows' size grown to the frame of the window's style and to the whole
// title, at least 110 x 60.
SIZE OuterSizeOf(HWND hwnd, const DetailRows& rows) {
  const HDC dc = GetDC(hwnd);
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const DetailSize inner = MeasureDetailRows(rows, MeasureDcText, dc, metrics.tmHeight);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
  RECT frame = {0, 0, inner.width, inner.height};
  AdjustWindowRect(&frame, kDetailStyle, FALSE);
  const int width = std::max<int>({frame.right - frame.left, CaptionWidthFor(rows.paneKind), kMinWidth});
  return {width, std::max<LONG>(frame.bottom - frame.top, kMinHeight)};
}

void SetTitle(HWND hwnd, int paneKind) {
  wchar_t title[80];
  LoadTitle(paneKind, title);
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

LRESULT OnMouseMove(HWND hwnd, LPARAM lParam) {
  if (!DragFloatingWindow(gFloating, hwnd, lParam)) SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return 0;
}

LRESULT OnLeftButtonUp(HWND hwnd) {
  if (!EndFloatingDrag(gFloating, hwnd)) return 0;
  if (MainWindowShown() && IsWindowVisible(hwnd)) gShowDetailWindow = 1;
  NoteCoveredArea();
  return 0;
}

LRESULT OnMove(HWND hwnd) {
  if (NoteFloatingWindowMoved(gFloating, hwnd)) NoteCoveredArea();
  return 0;
}

// The close box ends the window and its setting; the main window's end keeps it.
LRESULT OnDestroy(HWND hwnd) {
  if (gDetailWnd == hwnd) gDetailWnd = nullptr;
  gFloating.dragging = false;
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
  PaintThroughBuffer(hwnd, PaintRows);
  return 0;
}

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

}  // namespace

LRESULT CALLBACK DetailWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsMouseMessage(message)) NoteInput();
  switch (message) {
    case WM_LBUTTONDOWN: StartFloatingDrag(gFloating, hwnd, lParam); return 0;
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, lParam);
    case WM_LBUTTONUP: return OnLeftButtonUp(hwnd);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) return TRUE;  // the mouse moves choose it
      break;
    case WM_MOVING: return KeepFloatingMoveInside(gFloating, hwnd, lParam);
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
  if (gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd) || gFloating.dragging) return;
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

const DetailRows& ShownDetailWindowRows() { return gWindowRows; }

void RepositionDetailWindow(bool keepFree) {
  if (!MainWindowShown() || gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd)) return;
  KeepFloatingWindowInside(gFloating, gDetailWnd, keepFree);
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
