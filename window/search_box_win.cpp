// The stock search box: an EDIT over the selected chart that a typed
// character opens; Enter searches by code or name, Esc hides it.
#include "window/search_box_win.h"

#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "window/chart_lists_win.h"
#include "chart/chart_selection.h"
#include "window/main_window_access_win.h"
#include "window/main_window_layout.h"
#include "window/main_window_commands_win.h"
#include "window/main_window_input_win.h"
#include "window/stock_search_box.h"

namespace {

HWND gSearchBox = nullptr;
WNDPROC gSearchBoxPreviousProc = nullptr;

LRESULT CALLBACK SearchBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

// Centred on the chart's plot area, clipped to the chart.
void PlaceSearchBox(HWND box, int chart) {
  const ChartGeometry& g = gChartContexts[chart].geometry;
  const Rect rect =
      ComputeSearchBoxRect(g.plotArea, g.chart, gChartFontSize, gFixedFontHeight, gChartLargeTextMetrics.tmHeight);
  MoveWindow(box, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void ShowSearchError(const StockSearchResult& result) {
  char text[kMaxSearchTextBytes + 128];
  FormatStockSearchError(result, text, sizeof text);
  MessageBoxW(MainWindow(), SjisToWide(text).c_str(), SjisToWide(kStockSearchErrorTitle).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

// Several names match: the user picks one, the list starting after the chart's stock.
void ChooseAmongMatches(int chart, StockSearchResult* result) {
  const int current = FindStockIndexByCode(ViewOf(chart).stockCode);
  const int index = ChooseStockFromList(MainWindow(), result->text, current);
  if (index < 0) {
    result->outcome = kSearchCancelled;
  } else if (!AcceptChosenStock(gStockTable->records[index].master.code, result)) {
    result->outcome = kSearchNameMissing;
  }
}

void ShowFoundStock(int chart, StockCode code) {
  ShowStockInLinkedCharts(chart, code);
  SelectCodeInGroupLists(chart, code);
  RepaintMainWindowNow();
}

void RunSearch(HWND box) {
  if (!IsWindowVisible(box)) return;
  wchar_t wide[kMaxSearchTextBytes + 1] = L"";
  GetWindowTextW(box, wide, kMaxSearchTextBytes + 1);
  char text[kMaxSearchTextBytes + 1];
  WideToSjisBuffer(wide, text, sizeof text);
  HideSearchBox();
  const int chart = gSelectedChart;
  if (!IsChartIndex(chart) || text[0] == '\0') return;
  StockSearchResult result;
  ResolveStockSearch(text, &result);
  if (result.outcome == kSearchChoose) ChooseAmongMatches(chart, &result);
  if (result.outcome == kSearchFound) {
    ShowFoundStock(chart, result.code);
  } else if (result.outcome == kSearchCodeMissing || result.outcome == kSearchNameMissing) {
    ShowSearchError(result);
  }
}

bool IsSearchKey(UINT message, WPARAM wParam) {
  return message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE);
}

// Esc hides the box, Enter (or a line feed) searches; their characters are swallowed.
LRESULT CALLBACK SearchBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsSearchKey(message, wParam)) {
    if (wParam == VK_ESCAPE)
      HideSearchBox();
    else
      RunSearch(box);
    return 0;
  }
  if (message == WM_CHAR && (wParam == '\r' || wParam == '\n' || wParam == VK_ESCAPE)) {
    if (wParam == '\n') RunSearch(box);
    return 0;
  }
  const LRESULT result = CallWindowProcW(gSearchBoxPreviousProc, box, message, wParam, lParam);
  return message == WM_GETDLGCODE ? (result | DLGC_WANTALLKEYS) : result;
}

}  // namespace

// The search EDIT, subclassed the first time it is needed; null when the window has none.
HWND SearchBoxWindow() {
  const HWND hwnd = MainWindow();
  if (hwnd == nullptr) return nullptr;
  const HWND box = GetDlgItem(hwnd, kSearchBoxId);
  if (box != nullptr && box != gSearchBox) {
    gSearchBox = box;
    gSearchBoxPreviousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchBoxProc)));
  }
  return box;
}

void OpenSearchBox(int chart, WPARAM character, LPARAM lParam) {
  const HWND box = SearchBoxWindow();
  if (box == nullptr) return;
  if (!IsWindowVisible(box)) {
    PlaceSearchBox(box, chart);
    ShowWindow(box, SW_SHOW);
  }
  SetFocus(box);
  SendMessageW(box, WM_CHAR, character, lParam);
}

void RestoreSearchBoxProc() {
  if (gSearchBox != nullptr && IsWindow(gSearchBox) && gSearchBoxPreviousProc != nullptr) {
    SetWindowLongPtrW(gSearchBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gSearchBoxPreviousProc));
  }
  gSearchBox = nullptr;
  gSearchBoxPreviousProc = nullptr;
}

bool IsSearchBoxFocused() {
  const HWND focus = GetFocus();
  return focus != nullptr && MainWindow() != nullptr && focus == GetDlgItem(MainWindow(), kSearchBoxId);
}

void HideSearchBox() {
  const HWND box = SearchBoxWindow();
  if (box == nullptr || !IsWindowVisible(box)) return;
  const bool hadFocus = GetFocus() == box;
  ShowWindow(box, SW_HIDE);
  SendMessageW(box, EM_SETSEL, 0, -1);
  if (hadFocus) SetFocus(MainWindow());
}
