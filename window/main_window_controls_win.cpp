#include "window/chart_windows.h"
#include "chart/chart_hooks.h"
#include "window/main_window_controls_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/group_store.h"
#include "chart/chart_context.h"
#include "chart/chart_editing.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "window/list_rows.h"
#include "chart/screen_pattern.h"
#include "chart/gdi_objects_win.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "net/online_services.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "records/settings_block.h"
#include "window/scroll_bar_win.h"

HWND gToolbarWnd = nullptr;
HWND gStatusBarWnd = nullptr;
HWND gStockSearchEdit = nullptr;

namespace {

constexpr int kToolbarButtonCount = 32;
constexpr int kToolbarImageSize = 16;
constexpr int kSearchBoxMaxChars = 120;
constexpr char kStatusSampleText[] = "TS受信中(600秒)：999999／API：999999回";

HWND gMainWindow = nullptr;
MainWindowLayout gLayout = {};

// Rows are drawn here first and copied, so that they do not flicker.
HDC gItemDc = nullptr;
HBITMAP gItemBitmap = nullptr;
HGDIOBJ gItemOldBitmap = nullptr;
HGDIOBJ gItemOldFont = nullptr;

HWND ChildOf(WindowHandle handle) { return static_cast<HWND>(handle); }

void MoveChild(HWND child, const Rect& rect) {
  MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

int ChildHeight(HWND child) {
  if (child == nullptr || !IsWindowVisible(child)) return 0;
  RECT rect;
  GetWindowRect(child, &rect);
  return rect.bottom - rect.top;
}

// Clipped against their siblings, so that they never paint over the
// floating detail and time-back windows above them.
HWND CreateChild(const wchar_t* className, DWORD style, int id) {
  return CreateWindowExW(0, className, L"", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, gMainWindow,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// ---- Scroll bars ----------------------------------------------------------------

void ApplyChartScrollBar(int chart, const ChartScrollInfo& info) {
  if (chart < 0 || chart >= kMaxChartsPerPattern) return;
  const HWND bar = ChildOf(gChartWindows[chart].scrollBarWindow);
  if (bar == nullptr) return;
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  scroll.nMin = info.min;
  scroll.nMax = info.max;
  scroll.nPage = static_cast<UINT>(std::max(info.page, 0));
  scroll.nPos = info.pos;
  SetScrollBarControl(bar, scroll);
  const Rect& rect = gChartContexts[chart].geometry.scrollBar;
  if (IsEmptyRect(rect)) {
    ShowWindow(bar, SW_HIDE);
    return;
  }
  MoveChild(bar, rect);
  ShowWindow(bar, SW_SHOWNA);
}

void CreateChartChildren(int chart) {
  ChartWindows& context = gChartWindows[chart];
  context.scrollBarWindow = CreateChild(L"SCROLLBAR", WS_CLIPSIBLINGS | SBS_HORZ, IDC_CHART_SCROLL_BAR + 4 * chart);
  const HWND combo = CreateChild(L"COMBOBOX", WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                 IDC_GROUP_COMBO + 4 * chart);
  const HWND list = CreateChild(L"LISTBOX",
                                WS_VSCROLL | WS_BORDER | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                                    LBS_DISABLENOSCROLL | LBS_NOINTEGRALHEIGHT,
                                IDC_STOCK_LIST + 4 * chart);
  const int rowHeight = ListRowHeight();
  for (HWND child : {combo, list}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), FALSE);
  SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rowHeight);
  SendMessageW(combo, CB_SETITEMHEIGHT, 0, rowHeight);
  SendMessageW(list, LB_SETITEMHEIGHT, 0, rowHeight);
  context.groupCombo = combo;
  context.stockList = list;
}

void HideChartChildren() {
  for (ChartWindows& context : gChartWindows) {
    for (WindowHandle child : {context.scrollBarWindow, context.groupCombo, context.stockList}) {
      if (child != nullptr) ShowWindow(ChildOf(child), SW_HIDE);
    }
  }
}

bool HasDisplaySeries(int chart) {
  const ChartContext& context = gChartContexts[chart];
  return context.periods[0].bars != nullptr &&
         GetViewBarSeries(CurrentScreenPattern().views[chart], context) != nullptr;
}

// ---- Toolbar --------------------------------------------------------------------

struct ToolbarButtonSpec {
  int command;  // 0: separator
  BYTE style;
};

constexpr ToolbarButtonSpec kToolbarButtons[kToolbarButtonCount] = {
    {IDM_PRICE_DOWNLOAD, TBSTYLE_BUTTON},
    {0, TBSTYLE_SEP},
    {32866, TBSTYLE_CHECKGROUP},
    {32867, TBSTYLE_CHECKGROUP},
    {32868, TBSTYLE_CHECKGROUP},
    {32869, TBSTYLE_CHECKGROUP},
    {32870, TBSTYLE_CHECKGROUP},
    {32871, TBSTYLE_CHECKGROUP},
    {32872, TBSTYLE_CHECKGROUP},
    {32873, TBSTYLE_CHECKGROUP},
    {32874, TBSTYLE_CHECKGROUP},
    {32875, TBSTYLE_CHECKGROUP},
    {32876, TBSTYLE_CHECKGROUP},
    {32877, TBSTYLE_CHECKGROUP},
    {0, TBSTYLE_SEP},
    {IDM_ADD_CHART, TBSTYLE_BUTTON},
    {IDM_REMOVE_CHART, TBSTYLE_BUTTON},
    {0, TBSTYLE_SEP},
    {IDM_PANE_CANDLES, TBSTYLE_CHECK},
    {IDM_PANE_ICHIMOKU, TBSTYLE_CHECK},
    {32791, TBSTYLE_CHECK},
    {32792, TBSTYLE_CHECK},
    {32793, TBSTYLE_CHECK},
    {32794, TBSTYLE_CHECK},
    {32795, TBSTYLE_CHECK},
    {32796, TBSTYLE_CHECK},
    {32797, TBSTYLE_CHECK},
    {32798, TBSTYLE_CHECK},
    {32799, TBSTYLE_CHECK},
    {32800, TBSTYLE_CHECK},
    {IDM_PANE_VOLUME_RATIO, TBSTYLE_CHECK},
    {IDM_PANE_ADVANCE_DECLINE, TBSTYLE_CHECK},
};

bool ChartShowsPaneKind(int chart, int kind) {
  const ChartView& view = CurrentScreenPattern().views[chart];
  const int count = std::clamp(view.paneCount, 0, kMaxPanesPerChart);
  for (int i = 0; i < count; ++i) {
    if (static_cast<int>(view.paneKinds[i]) == kind) return true;
  }
  return false;
}

void CreateToolbar() {
  TBBUTTON buttons[kToolbarButtonCount] = {};
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    buttons[i].iBitmap = kToolbarButtons[i].style == TBSTYLE_SEP ? 0 : i;
    buttons[i].idCommand = kToolbarButtons[i].command;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = kToolbarButtons[i].style;
  }
  gToolbarWnd = CreateToolbarEx(gMainWindow, WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT,
                                IDC_TOOLBAR, kToolbarButtonCount, GetModuleHandleW(nullptr), IDB_TOOLBAR, buttons,
                                kToolbarButtonCount, kToolbarImageSize, kToolbarImageSize, kToolbarImageSize,
                                kToolbarImageSize, sizeof(TBBUTTON));
}

void SetToolbarButton(int command, bool enabled, bool checked) {
  SendMessageW(gToolbarWnd, TB_ENABLEBUTTON, command, MAKELONG(enabled ? TRUE : FALSE, 0));
  SendMessageW(gToolbarWnd, TB_CHECKBUTTON, command, MAKELONG(checked ? TRUE : FALSE, 0));
}

// ---- Status bar -----------------------------------------------------------------

void CreateStatusBar() {
  gStatusBarWnd = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                                  0, 0, 0, gMainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)),
                                  GetModuleHandleW(nullptr), nullptr);
}

// The widest character of the status bar's font and the sample text's width.
void MeasureStatusFont(int* maxCharWidth, int* sampleWidth) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(gStatusBarWnd, WM_GETFONT, 0, 0));
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HDC dc = GetDC(gStatusBarWnd);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const std::wstring sample = SjisToWide(kStatusSampleText);
  SIZE size{};
  GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(gStatusBarWnd, dc);
  *maxCharWidth = metrics.tmMaxCharWidth;
  *sampleWidth = size.cx;
}

// ---- List rows ------------------------------------------------------------------

void CreateItemDc() {
  const HDC windowDc = GetDC(gMainWindow);
  gItemDc = CreateCompatibleDC(windowDc);
  gItemBitmap = CreateCompatibleBitmap(windowDc, kItemBitmapWidth, kItemBitmapHeight);
  ReleaseDC(gMainWindow, windowDc);
  if (gItemDc == nullptr || gItemBitmap == nullptr) return;
  gItemOldBitmap = SelectObject(gItemDc, gItemBitmap);
  gItemOldFont = SelectObject(gItemDc, gChartFixedFont);
}

void DeleteItemDc() {
  if (gItemDc != nullptr) {
    if (gItemOldBitmap != nullptr) SelectObject(gItemDc, gItemOldBitmap);
    if (gItemOldFont != nullptr) SelectObject(gItemDc, gItemOldFont);
    DeleteDC(gItemDc);
  }
  if (gItemBitmap != nullptr) DeleteObject(gItemBitmap);
  gItemDc = nullptr;
  gItemBitmap = nullptr;
  gItemOldBitmap = nullptr;
  gItemOldFont = nullptr;
}

std::string ItemText(const DRAWITEMSTRUCT& item) {
  const bool combo = item.CtlType == ODT_COMBOBOX;
  const UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;
  const LRESULT length = SendMessageW(item.hwndItem, lengthMessage, item.itemID, 0);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(item.hwndItem, textMessage, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  return WideToSjis(text.c_str());
}

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

uint32_t StockCodeColor(const char* codeText) {
  const int index = FindStockIndexByCode(StringToCode(codeText));
  StockRowFacts facts{};
  facts.inStockTable = index >= 0;
  facts.timeBackMode = gTimeBackMode != 0;
  facts.lastBarDate = index >= 0 ? gStockTable->records[index].lastBar.date : 0;
  facts.newestQuoteDate = gNewestQuoteDate;
  facts.pastPriceFetchRunning = gPastPriceRunning != 0;
  facts.fetchedYet = true;
  return StockRowCodeColor(facts);
}

void DrawRowText(HDC dc, const RECT& rect, const DRAWITEMSTRUCT& item) {
  const std::string text = ItemText(item);
  SetBkMode(dc, TRANSPARENT);
  RECT inner = {rect.left + 2, rect.top, rect.right - 2, rect.bottom};
  if (item.CtlType == ODT_COMBOBOX) {
    SetTextColor(dc, static_cast<COLORREF>(GetGroupNameColor(static_cast<int>(item.itemID))) & 0xFFFFFF);
    DrawTextW(dc, SjisToWide(text.c_str()).c_str(), -1, &inner, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return;
  }
  char code[32];
  const char* value = "";
  SplitListRowText(text.c_str(), code, sizeof code, &value);
  SetTextColor(dc, ToColorRef(StockCodeColor(code)));
  DrawTextW(dc, SjisToWide(code).c_str(), -1, &inner, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, SjisToWide(value).c_str(), -1, &inner, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawRow(HDC dc, const RECT& rect, const DRAWITEMSTRUCT& item) {
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  DrawRowText(dc, rect, item);
  SelectObject(dc, oldFont);
  if (item.itemState & ODS_SELECTED) InvertRect(dc, &rect);
}

}  // namespace

void CreateMainWindowControls(HWND mainWnd) {
  gMainWindow = mainWnd;
  CreateItemDc();
  CreateStatusBar();
  LayoutStatusBarParts();
  for (int i = 0; i < kMaxChartsPerPattern; ++i) CreateChartChildren(i);
  gChartHooks.applyScrollBar = ApplyChartScrollBar;
  CreateToolbar();
  AutoSizeToolbar();
  UpdateToolbarButtons();
  CreateStockSearchBox();
}

void DestroyMainWindowControls() {
  gChartHooks.applyScrollBar = nullptr;
  for (ChartWindows& windows : gChartWindows) windows = ChartWindows{};
  DeleteItemDc();
  gToolbarWnd = nullptr;
  gStatusBarWnd = nullptr;
  gStockSearchEdit = nullptr;
  gMainWindow = nullptr;
}

const MainWindowLayout& LayoutMainWindow(HWND mainWnd) {
  HideChartChildren();
  RECT client;
  GetClientRect(mainWnd, &client);
  MainLayoutInput input{};
  input.client = {client.left, client.top, client.right, client.bottom};
  if (client.right > client.left) gMainClientWidth = client.right - client.left;  // kept while minimised
  input.toolbarHeight = ChildHeight(gToolbarWnd);
  input.statusBarHeight = ChildHeight(gStatusBarWnd);
  input.showGroupList = gShowGroupList != 0;
  input.groupListWidth = gGroupListWidth;
  input.showDetailList = gShowDetailList != 0;
  input.detailListWidth = gDetailListWidth;
  input.fontSize = gChartFontSize;
  input.paneHeights = gPaneHeights;
  const int count = ShownChartCount();
  for (int i = 0; i < kMaxChartsPerPattern; ++i) input.hasSeries[i] = i < count && HasDisplaySeries(i);
  ScreenPattern& pattern = CurrentScreenPattern();
  ComputeMainWindowLayout(input, pattern, &gLayout);
  gDetailListArea = input.showDetailList ? gLayout.detailListArea : Rect{0, 0, 0, 0};
  for (int i = 0; i < gLayout.chartCount; ++i)
    ComputePaneScales(gLayout.charts[i], pattern.views[i], &gChartContexts[i]);
  for (int i = 0; i < gLayout.chartCount; ++i) UpdateChartScrollBar(i);
  for (int i = 0; i < gLayout.chartCount; ++i) PlaceChartListWindows(i);
  return gLayout;
}

const MainWindowLayout& CurrentMainWindowLayout() { return gLayout; }

void InvalidateChartArea(HWND mainWnd) {
  const RECT rect = {gLayout.chartArea.left, gLayout.chartArea.top, gLayout.chartArea.right, gLayout.chartArea.bottom};
  InvalidateRect(mainWnd, &rect, FALSE);
}

void PlaceChartListWindows(int chart) {
  if (chart < 0 || chart >= kMaxChartsPerPattern) return;
  ChartContext& context = gChartContexts[chart];
  const ChartListPlacement& place = gLayout.lists[chart];
  context.listArea = place.area;
  const HWND combo = ChildOf(gChartWindows[chart].groupCombo);
  const HWND list = ChildOf(gChartWindows[chart].stockList);
  if (combo == nullptr || list == nullptr) return;
  if (chart >= gLayout.chartCount || !place.shown || IsEmptyRect(place.area)) {
    ShowWindow(combo, SW_HIDE);
    ShowWindow(list, SW_HIDE);
    return;
  }
  // A drop-down list's window height is its dropped height: it may open over the list box.
  MoveChild(combo, {place.comboBox.left, place.comboBox.top, place.comboBox.right, place.area.bottom});
  MoveChild(list, place.listBox);
  ShowWindow(combo, SW_SHOWNA);
  ShowWindow(list, IsEmptyRect(place.listBox) ? SW_HIDE : SW_SHOWNA);
}

void UpdateToolbarButtons() {
  if (gToolbarWnd == nullptr) return;
  const ScreenPattern& pattern = CurrentScreenPattern();
  const int selected = gSelectedChart >= 0 && gSelectedChart < pattern.chartCount ? gSelectedChart : -1;
  for (int n = 0; n < kScreenPatternCount; ++n) SetToolbarButton(IDM_PATTERN_FIRST + n, true, n == gCurrentPattern);
  SetToolbarButton(IDM_PRICE_DOWNLOAD, gTimeBackMode == 0, false);
  SetToolbarButton(IDM_ADD_CHART, pattern.chartCount < kMaxChartsPerPattern, false);
  SetToolbarButton(IDM_REMOVE_CHART, selected >= 0 && pattern.chartCount >= 2, false);
  for (const ToolbarButtonSpec& button : kToolbarButtons) {
    const int kind = PaneKindOfCommand(button.command);
    if (kind < 0) continue;
    const bool enabled = kind >= kPaneVolumeRatio || selected >= 0;
    SetToolbarButton(button.command, enabled, selected >= 0 && ChartShowsPaneKind(selected, kind));
  }
}

void AutoSizeToolbar() {
  if (gToolbarWnd != nullptr) SendMessageW(gToolbarWnd, TB_AUTOSIZE, 0, 0);
}

void LayoutStatusBarParts() {
  if (gStatusBarWnd == nullptr || gMainWindow == nullptr) return;
  RECT client;
  GetClientRect(gMainWindow, &client);
  int maxCharWidth = 0;
  int sampleWidth = 0;
  MeasureStatusFont(&maxCharWidth, &sampleWidth);
  int edges[4];
  ComputeStatusBarEdges(client.right - client.left, maxCharWidth, sampleWidth, gPastPriceRunning != 0, edges);
  SendMessageW(gStatusBarWnd, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
}

void CreateStockSearchBox() {
  if (gStockSearchEdit != nullptr) DestroyWindow(gStockSearchEdit);
  gStockSearchEdit = CreateChild(L"EDIT", WS_BORDER | ES_CENTER | ES_AUTOHSCROLL, IDC_STOCK_SEARCH);
  SendMessageW(gStockSearchEdit, WM_SETFONT, reinterpret_cast<WPARAM>(gChartLargeFont), FALSE);
  SendMessageW(gStockSearchEdit, EM_LIMITTEXT, kSearchBoxMaxChars, 0);
}

void ApplyChartFontToControls() {
  const int rowHeight = ListRowHeight();
  for (ChartWindows& context : gChartWindows) {
    for (WindowHandle child : {context.groupCombo, context.stockList}) {
      if (child != nullptr) SendMessageW(ChildOf(child), WM_SETFONT, reinterpret_cast<WPARAM>(gChartFixedFont), FALSE);
    }
    if (context.groupCombo != nullptr) {
      SendMessageW(ChildOf(context.groupCombo), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rowHeight);
      SendMessageW(ChildOf(context.groupCombo), CB_SETITEMHEIGHT, 0, rowHeight);
    }
    if (context.stockList != nullptr) SendMessageW(ChildOf(context.stockList), LB_SETITEMHEIGHT, 0, rowHeight);
  }
  if (gItemDc != nullptr) SelectObject(gItemDc, gChartFixedFont);
  if (gMainWindow != nullptr) CreateStockSearchBox();
}

int ListRowHeight() { return std::max<int>(gFixedFontMetrics.tmHeight, 1); }

void DrawListItem(const DRAWITEMSTRUCT& item) {
  if (!ShouldDrawListItem(item.itemAction, static_cast<int>(item.itemID))) return;
  const RECT& rect = item.rcItem;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (gItemDc == nullptr || !FitsItemBitmap(width, height)) {
    DrawRow(item.hDC, rect, item);
    return;
  }
  const RECT local = {0, 0, width, height};
  DrawRow(gItemDc, local, item);
  BitBlt(item.hDC, rect.left, rect.top, width, height, gItemDc, 0, 0, SRCCOPY);
}
