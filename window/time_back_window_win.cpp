// The time-back window: created hidden with the main window, shown while the
// mode is on. Its close box leaves the mode; the main window's end does not.
#include "window/time_back_window_win.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "chart/gdi_objects_win.h"
#include "common/app_globals.h"
#include "common/packed_date.h"
#include "common/string_ids.h"
#include "data/trading_calendar.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "window/child_windows_win.h"
#include "window/detail_placement.h"
#include "window/detail_window_win.h"
#include "window/main_window_access_win.h"
#include "window/time_back_mode.h"
#include "window/window_hooks.h"

namespace {

constexpr int kTimeBackWindowId = 450;
constexpr int kLabelId = 100;
constexpr int kScrollBarId = 200;
constexpr int kButtonId = 300;
constexpr int kWindowWidth = 204;
constexpr int kExtraHeight = 92;  // below one line of the font: the bar, the button and the frame
constexpr DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;

bool gMainGoing = false;
bool gDragging = false;
POINT gDragOffset = {0, 0};  // the mouse from the window's corner, in main-window client pixels

HWND Control(int id) { return gTimeBackWnd != nullptr ? GetDlgItem(gTimeBackWnd, id) : nullptr; }

int FontHeight(HWND hwnd) {
  const HDC dc = GetDC(hwnd);
  const HGDIOBJ old = SelectObject(dc, gChartFixedFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return metrics.tmHeight;
}

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

DetailPlacement PlacementAt(int x, int y, int width, int height) {
  return {x, y, width, height, gTimeBackDockRight != 0, gTimeBackDockBottom != 0};
}

void MoveTo(HWND hwnd, DetailPlacement placement, bool keepFree) {
  const SIZE client = MainClientSize();
  ClampDetailPlacement(&placement, client.cx, client.cy, keepFree);
  const RECT now = WindowRectInMain(hwnd);
  if (now.left != placement.x || now.top != placement.y || now.right - now.left != placement.width ||
      now.bottom - now.top != placement.height) {
    SetWindowPos(hwnd, HWND_TOP, placement.x, placement.y, placement.width, placement.height, SWP_NOACTIVATE);
  }
  gTimeBackWindowX = placement.x;
  gTimeBackWindowY = placement.y;
}

void StoreDockFlags(HWND hwnd) {
  const RECT rect = WindowRectInMain(hwnd);
  const SIZE client = MainClientSize();
  DetailPlacement placement = PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  UpdateDetailDockFlags(&placement, client.cx, client.cy);
  gTimeBackDockRight = placement.dockRight ? 1 : 0;
  gTimeBackDockBottom = placement.dockBottom ? 1 : 0;
}

// The controls at their places for the font's line height, the window's height following it.
void LayOutControls(HWND hwnd) {
  const int line = FontHeight(hwnd);
  const struct {
    int id, x, y, width, height;
  } places[] = {
      {kLabelId, 0, 4, kWindowWidth, line}, {kScrollBarId, 8, line + 8, 174, 16}, {kButtonId, 8, line + 28, 174, 18}};
  for (const auto& p : places) {
    const HWND control = GetDlgItem(hwnd, p.id);
    if (control == nullptr) continue;
    SetWindowPos(control, nullptr, p.x, p.y, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), TRUE);
  }
  SetWindowPos(hwnd, nullptr, 0, 0, kWindowWidth, line + kExtraHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeControls(HWND hwnd) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  make(L"STATIC", L"", SS_CENTER | SS_NOPREFIX, kLabelId);
  make(L"SCROLLBAR", L"", SBS_HORZ, kScrollBarId);
  make(L"BUTTON", SjisToWide("指標を再計算する").c_str(), BS_PUSHBUTTON, kButtonId);
  LayOutControls(hwnd);
}

HWND CreateWindowIn(HWND mainWnd) {
  const HWND hwnd = CreateWindowExW(
      0, TimeBackWindowClassName().c_str(), SjisToWide("タイムバック中").c_str(), kStyle, 0, 0, kWindowWidth, 100,
      mainWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTimeBackWindowId)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd != nullptr) MakeControls(hwnd);
  return hwnd;
}

void ShowDayLabel() {
  const HWND label = Control(kLabelId);
  if (label == nullptr) return;
  char text[64] = "";
  if (TimeBackCalendarCount() > 0) {
    const PackedDate date = gTradingCalendar->bars[CurrentTimeBackDayIndex()].date;
    snprintf(text, sizeof text, "%d年 %d月 %d日", PackedYear(date), PackedMonth(date), PackedDay(date));
  }
  SetWindowTextW(label, SjisToWide(text).c_str());
}

// Without calendar days the bar stays unset and the label empty.
void SetUpScrollBar() {
  const HWND bar = Control(kScrollBarId);
  const int count = TimeBackCalendarCount();
  if (bar != nullptr && count > 0) {
    gTimeBackDayIndex = CurrentTimeBackDayIndex();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = count - 1;
    info.nPage = 1;
    info.nPos = gTimeBackDayIndex;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
  }
  ShowDayLabel();
}

void EnableButton() {
  const HWND button = Control(kButtonId);
  if (button != nullptr && (IsWindowEnabled(button) != FALSE) != (gRecomputeNeeded != 0))
    EnableWindow(button, gRecomputeNeeded != 0);
}

void UpdateWindowState() {
  SetUpScrollBar();
  EnableButton();
}

void ShowTimeBackWindow() {
  const HWND main = MainWindow();
  if (main == nullptr) return;
  if (gTimeBackWnd == nullptr) gTimeBackWnd = CreateWindowIn(main);
  if (gTimeBackWnd == nullptr) return;
  const RECT rect = WindowRectInMain(gTimeBackWnd);
  if (MainWindowShown()) {
    MoveTo(gTimeBackWnd,
           PlacementAt(gTimeBackWindowX, gTimeBackWindowY, rect.right - rect.left, rect.bottom - rect.top), false);
  } else {
    // At start-up the main window has no size yet: the stored place stays
    // until its first WM_SIZE keeps the window inside.
    SetWindowPos(gTimeBackWnd, HWND_TOP, gTimeBackWindowX, gTimeBackWindowY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  UpdateWindowState();
  if (!IsWindowVisible(gTimeBackWnd)) ShowWindow(gTimeBackWnd, SW_SHOWNA);
  InvalidateRect(gTimeBackWnd, nullptr, TRUE);
}

void HideTimeBackWindow() {
  if (gTimeBackWnd != nullptr) ShowWindow(gTimeBackWnd, SW_HIDE);
}

void RefreshDetails() {
  if (gDetailWnd != nullptr && IsWindowVisible(gDetailWnd)) RefreshDetailWindow(false);
}

void SetWaitCursor(bool wait) { SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

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
  const POINT mouse = MouseInMain(hwnd, lParam);
  const RECT rect = WindowRectInMain(hwnd);
  MoveTo(hwnd,
         PlacementAt(mouse.x - gDragOffset.x, mouse.y - gDragOffset.y, rect.right - rect.left, rect.bottom - rect.top),
         true);
  UpdateWindow(hwnd);
  return 0;
}

LRESULT OnLeftButtonUp(HWND hwnd) {
  if (!gDragging) return 0;
  gDragging = false;
  ReleaseCapture();
  if (MainWindowShown() && IsWindowVisible(hwnd)) {
    const RECT rect = WindowRectInMain(hwnd);
    MoveTo(hwnd, PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), true);
  }
  StoreDockFlags(hwnd);
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
  gTimeBackWindowX = rect.left;
  gTimeBackWindowY = rect.top;
  return 0;
}

LRESULT OnHorizontalScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const HWND bar = reinterpret_cast<HWND>(lParam);
  if (bar == nullptr || GetDlgCtrlID(bar) != kScrollBarId) return DefWindowProcW(hwnd, WM_HSCROLL, wParam, lParam);
  const int now = CurrentTimeBackDayIndex();
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: MoveTimeBackDay(now - 1); break;
    case SB_LINERIGHT: MoveTimeBackDay(now + 1); break;
    case SB_PAGELEFT: MoveTimeBackDay(now - kTimeBackPageDays); break;
    case SB_PAGERIGHT: MoveTimeBackDay(now + kTimeBackPageDays); break;
    case SB_THUMBTRACK: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(bar, SB_CTL, &info);
      MoveTimeBackDay(info.nTrackPos);
      break;
    }
    default: break;
  }
  return 0;
}

LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) != kButtonId || HIWORD(wParam) != BN_CLICKED)
    return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
  RecomputeInTimeBackMode();
  return 0;
}

LRESULT OnSetFont(HWND hwnd) {
  LayOutControls(hwnd);
  if (IsWindowVisible(hwnd)) RepositionTimeBackWindow(false);
  return 0;
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
    FillRect(buffer, &client, GetSysColorBrush(COLOR_BTNFACE));
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (buffer != nullptr) DeleteDC(buffer);
  EndPaint(hwnd, &ps);
  return 0;
}

// The close box leaves the mode; the window is made again when it is next needed.
LRESULT OnDestroy(HWND hwnd) {
  if (gTimeBackWnd == hwnd) gTimeBackWnd = nullptr;
  gDragging = false;
  if (!gMainGoing && gTimeBackMode != 0) LeaveTimeBackMode(true);
  return 0;
}

bool IsInputMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_HSCROLL;
}

LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: return OnLeftButtonDown(hwnd, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, lParam);
    case WM_LBUTTONUP: return OnLeftButtonUp(hwnd);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd) return TRUE;
      break;
    case WM_MOVING: return OnMoving(hwnd, lParam);
    case WM_MOVE: return OnMove(hwnd);
    case WM_HSCROLL: return OnHorizontalScroll(hwnd, wParam, lParam);
    case WM_COMMAND: return OnCommand(hwnd, wParam, lParam);
    case WM_SETFONT: return OnSetFont(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return OnPaint(hwnd);
    case WM_DESTROY: return OnDestroy(hwnd);
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::wstring TimeBackWindowClassName() {
  wchar_t name[64] = L"";
  LoadStringW(GetModuleHandleW(nullptr), kStrTimeBackClassName, name, 64);
  return name;
}

LRESULT CALLBACK TimeBackWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsInputMessage(message)) gLastInputTick = GetTickCount();
  const LRESULT result = Dispatch(hwnd, message, wParam, lParam);
  if (message != WM_DESTROY && message != WM_NCDESTROY && gTimeBackWnd == hwnd) EnableButton();
  return result;
}

void CreateTimeBackWindow(HWND mainWnd) {
  gMainGoing = false;
  gTimeBackHooks = {ShowTimeBackWindow, HideTimeBackWindow, UpdateWindowState, RefreshDetails, SetWaitCursor};
  gTimeBackWnd = CreateWindowIn(mainWnd);
  if (gTimeBackMode != 0) ShowTimeBackWindow();
}

void DetachTimeBackWindow() {
  gMainGoing = true;
  gTimeBackWnd = nullptr;
  gTimeBackHooks = {};
}

void RepositionTimeBackWindow(bool keepFree) {
  if (!MainWindowShown() || gTimeBackWnd == nullptr || !IsWindowVisible(gTimeBackWnd)) return;
  const RECT rect = WindowRectInMain(gTimeBackWnd);
  MoveTo(gTimeBackWnd, PlacementAt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), keepFree);
  UpdateMainMenuStates();
}
