// The main window: class, creation, title and its window procedure.

#include "window/main_window_win.h"

#include <shellapi.h>

#include <algorithm>

#include "chart/chart_hooks.h"
#include "chart/chart_editing.h"
#include "chart/chart_layout.h"
#include "window/chart_lists_win.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "chart/label_images_win.h"
#include "chart/pixel_canvas_win.h"
#include "window/chart_popups_win.h"
#include "window/color_swatch_win.h"
#include "chart/chart_selection.h"
#include "window/chart_window_layout.h"
#include "window/child_windows_win.h"
#include "window/detail_window_win.h"
#include "window/time_back_window_win.h"
#include "window/drag_cursor_win.h"
#include "window/drag_modes.h"
#include "window/line_notice_win.h"
#include "window/main_menu_win.h"
#include "window/main_window_commands_win.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_input_win.h"
#include "window/main_window_layout.h"
#include "chart/palette.h"
#include "chart/screen_pattern.h"
#include "chart/gdi_objects_win.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "sheets/sheet_services.h"
#include "common/app_globals.h"
#include "window/window_hooks.h"
#include "common/progress.h"
#include "records/settings_block.h"

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

// The charts of the current pattern and where they are; a chart too small
// for its panes is shown as an empty panel.
Rect gChartRects[kMaxChartsPerPattern];
int gChartCount = 0;

// The picture is drawn off screen and copied in one step.
HDC gPaintDc = nullptr;
HBITMAP gPaintBitmap = nullptr;
HGDIOBJ gPaintOldBitmap = nullptr;
SIZE gPaintSize = {0, 0};

bool HasRoomForPanes(int chart) {
  return ChartHasRoomForPanes(gChartRects[chart], CurrentScreenPattern().views[chart], gPaneHeights, gChartFontSize);
}

// The charts, lists and scroll bars between the toolbar and the status bar.
void LayoutChartsIn(HWND hwnd) {
  const MainWindowLayout& layout = LayoutMainWindow(hwnd);
  gChartCount = layout.chartCount;
  for (int i = 0; i < gChartCount; ++i) gChartRects[i] = layout.charts[i];
  InvalidateWholeWindow(hwnd);
}

void LayoutCharts() {
  if (gMainWnd != nullptr) LayoutChartsIn(static_cast<HWND>(gMainWnd));
}

// A pattern switch shows another view: its lists and its series.
void ReloadChart(int chart) {
  RefillChartLists(chart);
  LoadChartSeries(chart, 1);
}

void InstallChartEditHooks() {
  gChartHooks.layoutCharts = LayoutCharts;
  gChartHooks.repaintNow = RepaintMainWindowNow;
  gChartHooks.refillChartLists = RefillChartLists;
  gChartHooks.clearCrossHair = ClearCrossHair;
  gChartHooks.refreshCursorTracking = RefreshCursorTracking;
}

// The window sizes offered in the system menu.
void AppendWindowSizeItems(HWND hwnd) {
  const HMENU system = GetSystemMenu(hwnd, FALSE);
  if (system == nullptr) return;
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(system, MF_STRING, IDM_WINDOW_1600, L"1600*1200");
  AppendMenuW(system, MF_STRING, IDM_WINDOW_1024, L"1024*768");
  AppendMenuW(system, MF_STRING, IDM_WINDOW_800, L"800*600");
}

void InvalidateClientRect(const Rect& rect) {
  const HWND hwnd = static_cast<HWND>(gMainWnd);
  const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
  if (hwnd != nullptr) InvalidateRect(hwnd, &area, FALSE);
}

// New fonts: new text measures, the controls' fonts and row heights, then
// the layout that depends on them.
void ApplyChartFonts() {
  InstallChartTextMeasures();
  ApplyChartFontToControls();
  for (HWND child : {gDetailWnd, gTimeBackWnd}) {
    if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), TRUE);
  }
  LayoutCharts();
  UpdateMainMenuStates();
}

void FreePaintBuffer() {
  if (gPaintDc == nullptr) return;
  SelectObject(gPaintDc, gPaintOldBitmap);
  DeleteObject(gPaintBitmap);
  DeleteDC(gPaintDc);
  gPaintDc = nullptr;
  gPaintBitmap = nullptr;
  gPaintSize = {0, 0};
}

// A buffer of the client's size, made again only when the size changes.
HDC PaintBufferFor(HDC windowDc, int width, int height) {
  if (gPaintDc != nullptr && gPaintSize.cx == width && gPaintSize.cy == height) return gPaintDc;
  FreePaintBuffer();
  gPaintDc = CreateCompatibleDC(windowDc);
  // A section the charts set their lines and bars straight into.
  void* bits = nullptr;
  gPaintBitmap = CreateCanvasSection(std::max(width, 1), std::max(height, 1), &bits);
  if (gPaintDc == nullptr || gPaintBitmap == nullptr) {
    if (gPaintBitmap != nullptr) DeleteObject(gPaintBitmap);
    if (gPaintDc != nullptr) DeleteDC(gPaintDc);
    gPaintDc = nullptr;
    gPaintBitmap = nullptr;
    return nullptr;
  }
  gPaintOldBitmap = SelectObject(gPaintDc, gPaintBitmap);
  gPaintSize = {width, height};
  return gPaintDc;
}

// The list splitters as raised panels.
void PaintSplitters(HDC dc) {
  const MainWindowLayout& layout = CurrentMainWindowLayout();
  for (const Rect& splitter : {layout.groupListSplitter, layout.detailListSplitter}) {
    if (splitter.right <= splitter.left || splitter.bottom <= splitter.top) continue;
    RECT rect = {splitter.left, splitter.top, splitter.right, splitter.bottom};
    if (!RectVisible(dc, &rect)) continue;
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

// Only what meets the DC's clip is painted again: a drag repaints the panes
// it changes, and the buffer keeps the rest as it was.
void PaintCharts(HDC dc, const RECT& area) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  const ScreenPattern& pattern = CurrentScreenPattern();
  for (int i = 0; i < gChartCount; ++i) {
    const RECT chart = {gChartRects[i].left, gChartRects[i].top, gChartRects[i].right, gChartRects[i].bottom};
    if (!RectVisible(dc, &chart)) continue;
    if (HasRoomForPanes(i)) {
      PaintChart(dc, pattern.views[i], gChartContexts[i]);
      DrawPaneTitleLabels(dc, pattern.views[i], gChartContexts[i], i == gSelectedChart ? gSelectedPane : -1);
    } else {
      FillButtonFaceRect(dc, {gChartRects[i].left, gChartRects[i].top, gChartRects[i].right, gChartRects[i].bottom});
    }
  }
  PaintChartButtons(dc, pattern, gChartContexts, gChartCount);
  DrawDetailList(dc);
  PaintSplitters(dc);
  if (gSelectedChart >= 0 && gSelectedChart < gChartCount && HasRoomForPanes(gSelectedChart)) {
    DrawSelectionFrame(dc, pattern.views[gSelectedChart], gChartContexts[gSelectedChart], gSelectedPane);
  }
}

// The shared pens and fonts live as long as the main window. The charts were
// loaded before the window existed (CreateMainWindow).
LRESULT OnCreate(HWND hwnd) {
  LoadBuiltinPaletteIfEmpty();
  CreateSharedGdiObjects();
  MeasureSharedFonts(hwnd);
  InstallChartTextMeasures();
  gChartHooks.chartFontApplied = ApplyChartFonts;
  gChartHooks.invalidateRect = InvalidateClientRect;
  gChartHooks.beginWait = ShowWaitCursor;
  gChartHooks.reloadChart = ReloadChart;
  gChartHooks.layoutCharts = LayoutCharts;
  gChartHooks.patternShown = ShowSwitchedPattern;
  StartLineNotices(hwnd);
  return 0;
}

// Children that do not exist yet are skipped; a minimised window keeps its layout.
LRESULT OnSize(HWND hwnd) {
  if (IsIconic(hwnd)) return 0;
  AutoSizeToolbar();
  LayoutChartsIn(hwnd);
  UpdateMainMenuStates();
  if (gStatusBarWnd != nullptr) SendMessageW(gStatusBarWnd, WM_SIZE, 0, 0);
  LayoutStatusBarParts();
  RepositionDetailWindow(false);
  RepositionTimeBackWindow(false);
  return 0;
}

// The buffer is clipped to the update region, which may be a few panes of
// several charts, far less than the rectangle around them.
LRESULT OnPaint(HWND hwnd) {
  const HRGN update = CreateRectRgn(0, 0, 0, 0);
  const bool regionKnown = update != nullptr && GetUpdateRgn(hwnd, update, FALSE) > NULLREGION;
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const HDC buffer = PaintBufferFor(dc, client.right, client.bottom);
  if (buffer != nullptr) {
    SelectClipRgn(buffer, regionKnown ? update : nullptr);
    PaintCharts(buffer, ps.rcPaint);
    SelectClipRgn(buffer, nullptr);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
           buffer, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  } else {
    PaintCharts(dc, client);
  }
  EndPaint(hwnd, &ps);
  if (update != nullptr) DeleteObject(update);
  UpdateDetailWindowRows();  // a scroll, a pane switch or a new pattern repaints the charts
  return 0;
}

// The kept chart texts were drawn with the glyph smoothing of their time.
LRESULT OnSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  FreeLabelImages();
  InvalidateWholeWindow(hwnd);
  return DefWindowProcW(hwnd, WM_SETTINGCHANGE, wParam, lParam);
}

LRESULT OnGetMinMaxInfo(LPARAM lParam) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize = {kMinMainWindowWidth, kMinMainWindowHeight};
  return 0;
}

LRESULT OnMeasureItem(LPARAM lParam) {
  reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(ListRowHeight());
  return TRUE;
}

LRESULT OnDrawItem(LPARAM lParam) {
  DrawListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}

LRESULT OnScrollBarColor() { return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)); }

// Stock sheets and simulator documents dropped on the window.
LRESULT OnDropFiles(WPARAM wParam) {
  OpenDroppedSheetFiles(reinterpret_cast<void*>(wParam));
  DragFinish(reinterpret_cast<HDROP>(wParam));
  return 0;
}

void SaveWindowPlacement(HWND hwnd) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd, &placement)) memcpy(&gSettings.mainPlacement, &placement, sizeof placement);
}

LRESULT OnDestroy(HWND hwnd) {
  SaveWindowPlacement(hwnd);
  StopLineNotices();
  ClearChartWindowHooks();
  gWindowHooks.refreshMenuStates = nullptr;
  StopMainWindowCommands();
  StopChartLists();
  DestroyChartPopupMenus();
  DestroyChildWindows();
  DestroyMainWindowControls();
  gChartCount = 0;
  FreePaintBuffer();
  FreeChartPaintResources();
  FreeAllChartContexts();
  DeleteSharedGdiObjects();
  PostQuitMessage(0);
  return 0;
}

// Windows is ending the session: the process may not get back to the main loop.
LRESULT OnEndSession(HWND hwnd, WPARAM ending) {
  if (ending) {
    SaveWindowPlacement(hwnd);
    if (gWindowHooks.saveEverythingAtExit != nullptr) gWindowHooks.saveEverythingAtExit();
  }
  return 0;
}

// The charts are painted whole from a memory bitmap, so the window's own
// background is never erased; a transparent toolbar asks its parent for its
// background with its own device context.
LRESULT OnEraseBackground(HWND hwnd, HDC dc) {
  if (WindowFromDC(dc) != hwnd) {
    RECT box;
    GetClipBox(dc, &box);
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  }
  return 1;
}

// The class has no cursor of its own: the chart sets it per area.
LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return DefWindowProcW(hwnd, WM_SETCURSOR, wParam, lParam);
  ShowChosenCursor();
  return TRUE;
}

bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         message == WM_COMMAND || message == WM_SYSCOMMAND || message == WM_HSCROLL || message == WM_CLOSE ||
         message == WM_MOVE || message == WM_NCMOUSEMOVE;
}

LRESULT OnActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) != WA_INACTIVE) OnMainWindowActivated(hwnd);
  return DefWindowProcW(hwnd, WM_ACTIVATE, wParam, lParam);
}

LRESULT DispatchMainMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: StartMainWindowInput(hwnd); return OnCreate(hwnd);
    case WM_SIZE: return OnSize(hwnd);
    case WM_PAINT: return PaintKeepingCursorLine(hwnd, OnPaint);
    case WM_ERASEBKGND: return OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR: return OnSetCursor(hwnd, wParam, lParam);
    case WM_COMMAND: return OnMainWindowCommand(hwnd, wParam, lParam);
    case WM_SYSCOMMAND: return OnMainWindowSysCommand(hwnd, wParam, lParam);
    case WM_NOTIFY: return OnMainWindowNotify(hwnd, lParam);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(lParam);
    case WM_MEASUREITEM: return OnMeasureItem(lParam);
    case WM_DRAWITEM: return OnDrawItem(lParam);
    case WM_CTLCOLORSCROLLBAR: return OnScrollBarColor();
    case WM_DROPFILES: return OnDropFiles(wParam);
    case WM_SETTINGCHANGE: return OnSettingChange(hwnd, wParam, lParam);
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return OnEndSession(hwnd, wParam);
    case WM_KEYDOWN: return OnMainKeyDown(hwnd, wParam, lParam);
    case WM_CHAR: return OnMainChar(hwnd, wParam, lParam);
    case WM_LBUTTONDOWN: return OnMainLeftButtonDown(hwnd, wParam, lParam);
    case WM_LBUTTONUP: return OnMainLeftButtonUp(hwnd, wParam, lParam);
    case WM_LBUTTONDBLCLK: return OnMainLeftButtonDoubleClick(hwnd, wParam, lParam);
    case WM_RBUTTONDOWN: return OnMainRightButtonDown(hwnd, wParam, lParam);
    case WM_MOUSEMOVE: return OnMainMouseMove(hwnd, wParam, lParam);
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return OnMainMouseWheel(hwnd, message, wParam, lParam);
    case WM_HSCROLL: return OnMainHScroll(hwnd, wParam, lParam);
    case WM_TIMER: return OnMainTimer(hwnd, wParam);
    case WM_CLOSE: return OnMainClose(hwnd);
    case WM_DESTROY: StopMainWindowInput(hwnd); return OnDestroy(hwnd);
    case WM_ACTIVATE: return OnActivate(hwnd, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

bool KeepsFocusRule(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
         message == WM_RBUTTONDOWN || message == WM_MOUSEWHEEL;
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsUserInput(message)) NoteUserInput();
  const LRESULT result = DispatchMainMessage(hwnd, message, wParam, lParam);
  if (KeepsFocusRule(message) && gProgressDlg == nullptr) KeepFocusAfterInput(hwnd);
  return result;
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
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN_MENU);
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0 && RegisterChildWindowClasses(instance) && RegisterColorSwatchClass(instance);
}

void UpdateMainWindowTitle() {
  char title[128];
  FormatMainWindowTitle(title, sizeof title);
  SetWindowTextW(static_cast<HWND>(gMainWnd), SjisToWide(title).c_str());
}

// The charts of the current pattern are loaded before the window exists: a
// read-error box shown while loading has no window of ours to close under it.
HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
  if (AllocAllChartContexts()) ReloadAllChartSeries();
  gMainWindowStarting = true;
  const HWND hwnd = CreateWindowExW(0, SjisToWide(gMainClassName).c_str(), SjisToWide(gAppTitle).c_str(),
                                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) {
    gMainWindowStarting = false;
    return nullptr;
  }
  gMainWnd = hwnd;
  CreateMainWindowControls(hwnd);
  CreateChildWindows(hwnd);
  LoadChartPopupMenus();
  AppendWindowSizeItems(hwnd);
  DragAcceptFiles(hwnd, TRUE);
  StartChartLists(hwnd);
  StartMainWindowCommands();
  InstallChartEditHooks();
  gWindowHooks.refreshMenuStates = RefreshMainMenuStates;
  gChartHooks.patternNamesChanged = UpdatePatternMenuTexts;
  LayoutCharts();
  UpdateMainMenuStates();
  UpdatePatternMenuTexts();
  UpdateMainWindowTitle();
  if (IsUsablePlacement(gSettings.mainPlacement)) {
    WINDOWPLACEMENT placement;
    memcpy(&placement, &gSettings.mainPlacement, sizeof placement);
    if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
    if (showCommand != SW_SHOWNORMAL && showCommand != SW_SHOWDEFAULT)
      placement.showCmd = static_cast<UINT>(showCommand);
    SetWindowPlacement(hwnd, &placement);
  } else {
    ShowWindow(hwnd, showCommand);
  }
  LayoutCharts();  // the toolbar and status bar have their final heights now
  UpdateWindow(hwnd);
  FinishMainWindowStart(hwnd);
  return hwnd;
}
