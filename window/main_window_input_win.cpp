// Keys, mouse, scroll bars, blink timers and closing of the main window.

#include "window/chart_windows.h"
#include "chart/chart_hooks.h"
#include "window/main_window_input_win.h"
#include "window/chart_press_win.h"
#include "window/main_window_access_win.h"
#include "window/search_box_win.h"

#include <windowsx.h>

#include <algorithm>

#include "analysis/position_tracker.h"
#include "analysis/trend_line_store.h"
#include "chart/line_dragging.h"
#include "chart/memo_hooks.h"
#include "chart/trend_line_mouse.h"
#include "window/blink_timers.h"
#include "window/drag_cursor_win.h"
#include "window/trend_line_dialogs_win.h"
#include "chart/chart_context.h"
#include "chart/chart_editing.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "window/chart_lists_win.h"
#include "chart/chart_loading.h"
#include "window/chart_popups_win.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "window/child_windows_win.h"
#include "window/time_back_mode.h"
#include "chart/cross_hair.h"
#include "window/drag_modes.h"
#include "window/main_window_commands_win.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_drags_win.h"
#include "window/main_window_layout.h"
#include "window/pane_navigation.h"
#include "chart/screen_pattern.h"
#include "window/line_notice_win.h"
#include "window/stock_search_box.h"
#include "chart/gdi_objects_win.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "net/online_services.h"
#include "net/order_link.h"
#include "platform/win_text.h"
#include "common/string_ids.h"
#include "sheets/sheet_services.h"
#include "common/app_globals.h"
#include "window/window_hooks.h"
#include "common/progress.h"
#include "records/settings_block.h"

namespace {

int32_t gActiveBlinkTimer = 0;

void NoteInput() { gLastInputTick = GetTickCount(); }

// ---- Blink timers ------------------------------------------------------------

void ApplyBlinkTimerChange(HWND hwnd, const BlinkTimerChange& change) {
  if (change.killTimer != 0) KillTimer(hwnd, change.killTimer);
  if (change.setTimer != 0) SetTimer(hwnd, change.setTimer, change.intervalMs, nullptr);
}

// ---- Scrolling -----------------------------------------------------------------

void ScrollChartAndPaint(int chart, int code, int trackPos) {
  if (ScrollChartByCode(chart, code, trackPos) && MainWindow() != nullptr) UpdateWindow(MainWindow());
}

int TrackPosOf(HWND scrollBar, WPARAM wParam) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (scrollBar != nullptr && GetScrollInfo(scrollBar, SB_CTL, &info)) return info.nTrackPos;
  return HIWORD(wParam);
}

void ScrollSelectedChart(bool right, bool page) {
  if (!IsChartIndex(gSelectedChart)) return;
  const int code = right ? (page ? kScrollPageRight : kScrollLineRight) : (page ? kScrollPageLeft : kScrollLineLeft);
  ScrollChartAndPaint(gSelectedChart, code, 0);
}

// ---- Stock list stepping -------------------------------------------------------

// Moves a chart's list selection by `delta` and shows that member; false when
// the row lies outside the list or the list has no members.
bool ShowListRow(int chart, int delta) {
  const HWND list = static_cast<HWND>(gChartWindows[chart].stockList);
  if (list == nullptr) return false;
  const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) + delta;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  StockCode code = 0;
  if (row < 0 || row >= count || !ChartListMember(chart, row, &code)) return false;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SetChartStock(chart, code);
  return true;
}

// Up and Down: the step is carried to the charts linked by stock.
void StepChartListSelection(int chart, int delta) {
  if (!IsChartIndex(chart) || !ShowListRow(chart, delta)) return;
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) ShowListRow(j, delta);
  for (int j = chart; j + 1 < ShownChartCount() && ViewOf(j).stockLink != 0; ++j) ShowListRow(j + 1, delta);
  RepaintMainWindowNow();
}

// ---- Pane selection and the press --------------------------------------------------

void MovePaneSelection(bool backward) {
  if (!StepPaneSelection(CurrentScreenPattern(), backward, &gSelectedChart, &gSelectedPane)) return;
  gCursorBar = -1;
  RepaintMainWindowNow();
}

// ---- Closing -----------------------------------------------------------------------------

constexpr int kFlushesShownInProgress = 11;

// Changed price files are written before the window goes; many of them behind the progress dialog.
void FlushDailyCacheOnClose(HWND hwnd) {
  if (CountDirtyDailyCacheEntries() < kFlushesShownInProgress) {
    FlushDailyCache();
    return;
  }
  BeginProgress(hwnd, 0, kStrAppTitle, 1);
  FlushDailyCache();
  EndProgress();
}

// ---- Pop-up menus of a press ----------------------------------------------------------

// A press on the selected pane's header offers the pane menu; a press on the
// caption strip of a chart with no pane selected offers the caption menu.
// True when a menu was shown.
bool OfferHeaderPopup(HWND hwnd, int x, int y) {
  if (!IsChartIndex(gSelectedChart)) return false;
  const ChartContext& context = gChartContexts[gSelectedChart];
  if (gSelectedPane >= 0 && gSelectedPane < PaneCountOf(gSelectedChart)) {
    if (!RectContains(context.panes[gSelectedPane].captionRect, x, y)) return false;
    ShowPanePopup(hwnd, x, y);
    return true;
  }
  if (!RectContains(context.geometry.captionRow, x, y) || IsOverSizingHandle(x, y)) return false;
  ShowCaptionPopup(hwnd, x, y);
  return true;
}

// ---- Hover -------------------------------------------------------------------------

bool gFirstPaintDone = false;  // cursor tracking waits for the first picture
bool gIdleShift = false;       // Shift as the last idle pass saw it

// What a press at the point would grab, told by the cursor.
void ShowWhatAPressGrabs(int chart, int pane, int x, int y) {
  if (gNewTrendLineMode || IsForecastEditPosition(gCrossHairChart, gCrossHairPane, gCrossHairBar)) {
    SetCursorPair(kCursorCross);
    return;
  }
  MemoPart part = kMemoBox;
  if (HitTestMemoAt(chart, pane, x, y, &part) >= 0) {
    SetCursorPair(part == kMemoArrowTip ? kCursorLineEnd : kCursorHand, kCursorCopy);
    return;
  }
  int line = -1;
  const int hit = HitTestTrendLines(ViewOf(chart), gChartContexts[chart], pane, x, y, &line);
  if (hit == 0 || !IsTrendLineIndex(line)) {
    SetCursorPair(kCursorCross);
  } else if (gTrendLines->lines[line].locked != 0) {
    SetCursorPair(kCursorArrow);
  } else {
    SetCursorPair(hit == 1 ? kCursorHand : kCursorLineEnd, kCursorCopy);
  }
}

// During a drag the cross-hair stays in its chart and pane and follows the
// point's bar and value.
void FollowDragWithCrossHair(int x, int y) {
  if (!IsChartIndex(gCrossHairChart) || gCrossHairPane < 0 || gCrossHairPane >= PaneCountOf(gCrossHairChart)) return;
  int bar = 0;
  int32_t value = 0;
  PointToBarAndValue(ViewOf(gCrossHairChart), gChartContexts[gCrossHairChart], gCrossHairPane, &x, &bar, &y, &value);
  SetCrossHair(gCrossHairChart, gCrossHairPane, bar, x, y, value);
}

// Inside a pane, below its header, the cross-hair moves to the point; anywhere
// else it is cleared.
void UpdateHoverState(int x, int y) {
  // Holding the no-convert key keeps the cross-hair where it is.
  const bool holdCrossHair = IsKeyDown(VK_NONCONVERT);
  if (IsDragging(gDragMode)) {
    if (HoverFollowsMouse(gDragMode) && !holdCrossHair) FollowDragWithCrossHair(x, y);
    return;
  }
  const int chart = ChartAtPoint(x, y);
  const int pane = chart >= 0 ? PaneAtPoint(chart, x, y) : -1;
  const bool inPane = pane >= 0 && !RectContains(gChartContexts[chart].panes[pane].captionRect, x, y);
  if (IsOverSizingHandle(x, y)) {
    SetCursorPair(kCursorSizing);
  } else if (!inPane) {
    SetCursorPair(kCursorArrow);
  }
  if (holdCrossHair) return;
  if (IsOverSizingHandle(x, y) || !inPane) {
    if (gCrossHairChart >= 0) ClearCrossHair();
    return;
  }
  SetCrossHairAtPoint(chart, pane, x, y);
  ShowWhatAPressGrabs(chart, pane, x, y);
}

// The cursor's place in the client area, brought into the selected pane
// while a line or memo is dragged.
POINT CursorPointForTracking(HWND hwnd) {
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  if (IsLineDrawingMode(gDragMode) && IsChartIndex(gSelectedChart) && gSelectedPane >= 0 &&
      gSelectedPane < PaneCountOf(gSelectedChart)) {
    int x = cursor.x;
    int y = cursor.y;
    ClampPointIntoRect(gChartContexts[gSelectedChart].panes[gSelectedPane].pane, &x, &y);
    cursor = {x, y};
  }
  return cursor;
}

// A double-click on a horizontal line opens its step (buy first, then
// short) or, when it is none, the line's value.
void EditLineAtPoint(HWND hwnd, int x, int y) {
  const int chart = ChartAtPoint(x, y);
  const int pane = chart >= 0 ? PaneAtPoint(chart, x, y) : -1;
  if (pane < 0) return;
  int line = -1;
  const int hit = HitTestTrendLines(ViewOf(chart), gChartContexts[chart], pane, x, y, &line);
  if (hit == 0 || !IsTrendLineIndex(line)) return;
  const TrendLine& record = gTrendLines->lines[line];
  if (record.value1 != record.value2) return;
  gSelectedTrendLine = line;
  if (record.buyRole > 0) {
    OpenPellomaticStepDialog(kTrackerBuy, kStepExisting, line, record.buyRole - 1);
  } else if (record.shortRole > 0) {
    OpenPellomaticStepDialog(kTrackerShort, kStepExisting, line, record.shortRole - 1);
  } else {
    EditTrendLineValue(hwnd);
  }
  InvalidateAllCharts();
}

}  // namespace

void RepaintMainWindowNow() {
  const HWND hwnd = MainWindow();
  if (hwnd == nullptr) return;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

// ---- Life of the window --------------------------------------------------------------

void StartMainWindowInput(HWND hwnd) {
  ApplyBlinkTimerChange(hwnd, StartBlinkTimers(&gBlinkPhase, &gActiveBlinkTimer));
  gChartHooks.clearCrossHair = ClearCrossHair;
  gChartHooks.eraseCursorLine = EraseCursorLine;
  gChartHooks.refreshCursorTracking = RefreshCursorTracking;
  gCursorLineDrawn = false;
  ClearCrossHairState();
}

void StopMainWindowInput(HWND hwnd) {
  KillTimer(hwnd, kBlinkTimerShort);
  KillTimer(hwnd, kBlinkTimerLong);
  KillTimer(hwnd, kNoticeRaiseTimer);
  gActiveBlinkTimer = 0;
  gChartHooks.clearCrossHair = nullptr;
  gChartHooks.eraseCursorLine = nullptr;
  gChartHooks.refreshCursorTracking = nullptr;
  gFirstPaintDone = false;
  RestoreSearchBoxProc();
  gCursorLineDrawn = false;
  ClearCrossHairState();
}

bool IsInputBlocked() { return gProgressDlg != nullptr; }

// ---- Handlers -------------------------------------------------------------------------

LRESULT OnMainKeyDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked() || IsSearchBoxFocused()) return DefWindowProcW(hwnd, WM_KEYDOWN, wParam, lParam);
  HideSearchBox();
  const bool ctrl = IsKeyDown(VK_CONTROL);
  switch (wParam) {
    case VK_ESCAPE: EraseForecastCandle(); return 0;
    case VK_DELETE:
    case VK_BACK:
      DeleteSelectedObjects();
      UpdateMainMenuStates();
      return 0;
    case VK_LEFT:
    case VK_RIGHT:
      if (ctrl) break;  // the bar-width keys
      ScrollSelectedChart(wParam == VK_RIGHT, IsKeyDown(VK_SHIFT));
      return 0;
    case VK_UP: StepChartListSelection(gSelectedChart, -1); return 0;
    case VK_DOWN: StepChartListSelection(gSelectedChart, 1); return 0;
    case VK_PRIOR:
    case VK_NEXT:
      if (gTimeBackMode == 0) break;
      if (wParam == VK_PRIOR) {
        StepTimeBackDayBackward();
      } else {
        StepTimeBackDayForward();
      }
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, WM_KEYDOWN, wParam, lParam);
}

LRESULT OnMainChar(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_CHAR, wParam, lParam);
  switch (ClassifyChartChar(static_cast<int>(wParam), IsChartIndex(gSelectedChart))) {
    case kCharMovesPane: MovePaneSelection(IsKeyDown(VK_SHIFT)); break;
    case kCharOpensSearch: OpenSearchBox(gSelectedChart, wParam, lParam); break;
    default: break;
  }
  return 0;
}

LRESULT OnMainLeftButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_LBUTTONDOWN, wParam, lParam);
  HideSearchBox();
  BeginLineDrag(-1, -1, 0, 0, -1, 0);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  if (PressLinkButton(x, y) || PressKeepStockButton(x, y)) {
    RepaintMainWindowNow();
    return 0;
  }
  if (BeginSplitterOrMarginDrag(hwnd, x, y)) return 0;
  OnChartMouseButton(x, y, false);
  UpdateMainMenuStates();
  if (OfferHeaderPopup(hwnd, x, y)) return 0;
  if (gDragMode == kDragNone && gCrossHairChart >= 0 &&
      IsForecastEditPosition(gCrossHairChart, gCrossHairPane, gCrossHairBar)) {
    OnChartMouseMove(hwnd, x, y, IsShiftKeyDown());
  }
  return 0;
}

LRESULT OnMainLeftButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_LBUTTONUP, wParam, lParam);
  OnChartMouseUp();
  return 0;
}

LRESULT OnMainLeftButtonDoubleClick(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_LBUTTONDBLCLK, wParam, lParam);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  if (EditMemoAtPoint(x, y) == 0) EditLineAtPoint(hwnd, x, y);
  return 0;
}

LRESULT OnMainRightButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_RBUTTONDOWN, wParam, lParam);
  if (IsDragging(gDragMode)) return 0;
  HideSearchBox();
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  const int hit = OnChartMouseButton(x, y, true);
  UpdateMainMenuStates();
  if (!IsChartIndex(gSelectedChart) || ChartAtPoint(x, y) < 0) return 0;
  if (hit != 0 && IsTrendLineIndex(gSelectedTrendLine)) {
    ShowTrendLinePopup(hwnd, x, y);
  } else if (!ShowMemoPopup(hwnd, x, y)) {
    ShowChartPopup(hwnd, x, y);
  }
  return 0;
}

void TrackCursorOnTimer() {
  const HWND hwnd = MainWindow();
  if (hwnd == nullptr || !gFirstPaintDone) return;
  // Checked first: with no drag and no cross-hair an idle pass asks the system little.
  if (!IsDragging(gDragMode) && gCrossHairChart < 0 && gIdleShift == IsShiftKeyDown()) return;
  if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || GetForegroundWindow() != hwnd) return;
  UpdateDragCursor();  // the arrow while only the no-convert key is held
  if (IsNoConvertKeyOnly()) return;
  const bool shift = IsShiftKeyDown();
  const bool shiftChanged = shift != gIdleShift;
  gIdleShift = shift;
  if (IsObjectDragMode(gDragMode)) {
    if (shiftChanged) {
      const POINT cursor = CursorPointForTracking(hwnd);
      UpdateHoverState(cursor.x, cursor.y);
      OnChartMouseMove(hwnd, cursor.x, cursor.y, shift);
    }
    return;
  }
  if (IsDragging(gDragMode) || gCrossHairChart < 0) return;
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  RECT client;
  GetClientRect(hwnd, &client);
  if (!PtInRect(&client, cursor) || IsOverChildWindow(hwnd, cursor)) ClearCrossHair();
}

void RefreshCursorTracking() {
  const HWND hwnd = MainWindow();
  if (!gFirstPaintDone || hwnd == nullptr || !IsWindowVisible(hwnd) || IsIconic(hwnd)) return;
  const POINT cursor = CursorPointForTracking(hwnd);
  UpdateHoverState(cursor.x, cursor.y);
}

void KeepFocusAfterInput(HWND hwnd) {
  if (GetForegroundWindow() != hwnd) return;
  const HWND box = SearchBoxWindow();
  const HWND target = box != nullptr && IsWindowVisible(box) ? box : hwnd;
  if (GetFocus() != target) SetFocus(target);
}

LRESULT OnMainMouseMove(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked()) return DefWindowProcW(hwnd, WM_MOUSEMOVE, wParam, lParam);
  int x = GET_X_LPARAM(lParam);
  int y = GET_Y_LPARAM(lParam);
  if (IsLineDrawingMode(gDragMode) && IsChartIndex(gSelectedChart) && gSelectedPane >= 0 &&
      gSelectedPane < PaneCountOf(gSelectedChart)) {
    ClampPointIntoRect(gChartContexts[gSelectedChart].panes[gSelectedPane].pane, &x, &y);
  }
  if (HoverFollowsMouse(gDragMode)) UpdateHoverState(x, y);
  if ((wParam & MK_LBUTTON) != 0 || IsDragging(gDragMode)) OnChartMouseMove(hwnd, x, y, (wParam & MK_SHIFT) != 0);
  return 0;
}

LRESULT OnMainMouseWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsInputBlocked() || !IsChartIndex(gSelectedChart)) return DefWindowProcW(hwnd, message, wParam, lParam);
  const bool page = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
  ScrollSelectedChart(GET_WHEEL_DELTA_WPARAM(wParam) >= 1, page);
  return 0;
}

LRESULT OnMainHScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  NoteInput();
  const HWND scrollBar = reinterpret_cast<HWND>(lParam);
  const int chart = FindChartOfScrollBar(scrollBar);
  if (IsInputBlocked() || chart < 0) return DefWindowProcW(hwnd, WM_HSCROLL, wParam, lParam);
  ScrollChartAndPaint(chart, LOWORD(wParam), TrackPosOf(scrollBar, wParam));
  return 0;
}

// ---- Blink repaint (the timer's share of this file) ------------------------------

namespace {

bool IsMouseButtonDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// A repaint under an open drop-down list would close it.
bool IsSelectedComboDroppedDown() {
  if (!IsChartIndex(gSelectedChart)) return false;
  const HWND combo = static_cast<HWND>(gChartWindows[gSelectedChart].groupCombo);
  return combo != nullptr && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

}  // namespace

// The phase moves on, and the charts are repainted in it unless a button is
// held (a drag repaints itself) or a drop-down list is open.
LRESULT OnMainTimer(HWND hwnd, WPARAM timerId) {
  if (OnNoticeRaiseTimer(hwnd, timerId)) return 0;
  if (timerId != kBlinkTimerShort && timerId != kBlinkTimerLong) return DefWindowProcW(hwnd, WM_TIMER, timerId, 0);
  const BlinkTimerChange change = StepBlinkTimers(static_cast<int>(timerId), &gBlinkPhase, &gActiveBlinkTimer);
  ApplyBlinkTimerChange(hwnd, change);
  // Both buttons are asked, so a swapped mouse needs no care.
  const bool stepped = change.setTimer != 0;
  if (stepped &&
      BlinkRepaintAllowed(IsMouseButtonDown(VK_LBUTTON), IsMouseButtonDown(VK_RBUTTON), IsSelectedComboDroppedDown())) {
    InvalidateChartArea(hwnd);
  }
  if (stepped) KeepLineNoticesAbove();
  return 0;
}

bool gMainWindowStarting = false;

namespace {
bool gCloseWaitingForStart = false;
}

void FinishMainWindowStart(HWND hwnd) {
  gMainWindowStarting = false;
  if (gCloseWaitingForStart) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  gCloseWaitingForStart = false;
}

LRESULT OnMainClose(HWND hwnd) {
  NoteInput();
  if (gMainWindowStarting) {
    gCloseWaitingForStart = true;
    return 0;
  }
  if (gProgressDlg != nullptr) {
    gProgressCancelled = 1;
    return 0;
  }
  if (CloseAllStockSheets() == 0) return 0;  // a sheet asked to stay
  if (gOrderLinkOpen != 0) OrderLinkStop();
  if (gRealTimeReceiveOn != 0) BrokerShutdownClient();
  FlushDailyCacheOnClose(hwnd);
  return DefWindowProcW(hwnd, WM_CLOSE, 0, 0);
}

// Where the paint renewed the picture the inverted line is gone: draw it again there.
LRESULT PaintKeepingCursorLine(HWND hwnd, LRESULT (*paint)(HWND)) {
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  const bool renewed = GetUpdateRgn(hwnd, update, FALSE) > NULLREGION;
  const LRESULT result = paint(hwnd);
  gFirstPaintDone = true;
  if (renewed && gCursorLineDrawn) InvertCursorLineOnWindow(update);
  DeleteObject(update);
  return result;
}
