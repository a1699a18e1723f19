// The time-back window: created hidden with the main window, shown while the
// mode is on. Its close box leaves the mode; the main window's end does not.
#include "window/time_back_window_win.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "chart/gdi_objects_win.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/packed_date.h"
#include "common/string_ids.h"
#include "data/trading_calendar.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "window/scroll_bar_win.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/child_windows_win.h"
#include "window/detail_window_win.h"
#include "window/floating_window_win.h"
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
FloatingWindow gFloating = {
    &gTimeBackWindowX, &gTimeBackWindowY, &gTimeBackDockRight, &gTimeBackDockBottom, false, {0, 0}};

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
    SetScrollBarControl(bar, info);
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
    MoveFloatingWindow(gFloating, gTimeBackWnd,
                       FloatingPlacementAt(gFloating, gTimeBackWindowX, gTimeBackWindowY, rect.right - rect.left,
                                           rect.bottom - rect.top),
                       false);
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

void ShowLiveGroups() {
  for (int i = 0; i < ShownChartCount(); ++i) RefillChartLists(i);
  RebuildGroupMenus();
}

void SetWaitCursor(bool wait) { SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

// ---- Messages --------------------------------------------------------------------------

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
  // The progress dialog gives the focus back to where it was: the button,
  // disabled by the recomputation, could keep showing its enabled face.
  SetFocus(MainWindow());
  RecomputeInTimeBackMode();
  return 0;
}

LRESULT OnSetFont(HWND hwnd) {
  LayOutControls(hwnd);
  if (IsWindowVisible(hwnd)) RepositionTimeBackWindow(false);
  return 0;
}

void PaintFace(HDC dc, const RECT& client) { FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE)); }

// The close box leaves the mode; the window is made again when it is next needed.
LRESULT OnDestroy(HWND hwnd) {
  if (gTimeBackWnd == hwnd) gTimeBackWnd = nullptr;
  gFloating.dragging = false;
  if (!gMainGoing && gTimeBackMode != 0) LeaveTimeBackMode(true);
  return 0;
}

bool IsInputMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_HSCROLL;
}

LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: StartFloatingDrag(gFloating, hwnd, lParam); return 0;
    case WM_MOUSEMOVE:
      if (!DragFloatingWindow(gFloating, hwnd, lParam)) SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return 0;
    case WM_LBUTTONUP: EndFloatingDrag(gFloating, hwnd); return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd) return TRUE;
      break;
    case WM_MOVING: return KeepFloatingMoveInside(gFloating, hwnd, lParam);
    case WM_MOVE: NoteFloatingWindowMoved(gFloating, hwnd); return 0;
    case WM_HSCROLL: return OnHorizontalScroll(hwnd, wParam, lParam);
    case WM_COMMAND: return OnCommand(hwnd, wParam, lParam);
    case WM_SETFONT: return OnSetFont(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: PaintThroughBuffer(hwnd, PaintFace); return 0;
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
  gTimeBackHooks = {ShowTimeBackWindow, HideTimeBackWindow, UpdateWindowState,
                    RefreshDetails,     SetWaitCursor,      ShowLiveGroups};
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
  KeepFloatingWindowInside(gFloating, gTimeBackWnd, keepFree);
  UpdateMainMenuStates();
}
