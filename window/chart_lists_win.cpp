#include "window/chart_windows.h"
#include "analysis/analysis_hooks.h"
#include "window/chart_lists_win.h"

#include <algorithm>
#include <string>

#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "chart/chart_context.h"
#include "window/chart_popups_win.h"
#include "chart/chart_selection.h"
#include "window/main_window_input_win.h"
#include "chart/screen_pattern.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kRowTextSize = 160;
WNDPROC gListPreviousProcs[kMaxChartsPerPattern] = {};
HWND gListOwner = nullptr;

ChartView& ViewOf(int chart) { return CurrentScreenPattern().views[chart]; }

HWND ComboOf(int chart) { return static_cast<HWND>(gChartWindows[chart].groupCombo); }

HWND ListOf(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }

int GroupOf(int chart) { return std::clamp<int>(ViewOf(chart).groupIndex, 0, kGroupCount - 1); }

// Member `row` of group g of the live table; false past its end.
bool MemberAt(int g, int row, StockCode* code) {
  if (gGroupTable == nullptr || g < 0 || g >= kGroupCount) return false;
  const GroupRecord& group = gGroupTable->groups[g];
  if (row < 0 || row >= MemberCount(group)) return false;
  *code = group.members[row];
  return true;
}

int SelectedRow(HWND list) { return list != nullptr ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1; }

// LB_SETCURSEL at the code's row; nothing when the group does not hold it.
bool SelectCodeInList(int g, HWND list, StockCode code) {
  if (list == nullptr || gGroupTable == nullptr) return false;
  const int row = FindCodeInGroup(*gGroupTable, g, code);
  if (row < 0) return false;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  return true;
}

void SelectCodeInChartList(int chart, StockCode code) { SelectCodeInList(GroupOf(chart), ListOf(chart), code); }

// A right click selects the row under the mouse and offers the list's menu.
LRESULT OnListRightButton(HWND list, LPARAM lParam) {
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
  if (HIWORD(hit) == 0) SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(list, &point);
  if (gListOwner != nullptr) ShowGroupListPopup(gListOwner, point);
  return 0;
}

// One list's rows after a member of its group moved: redrawn once, its top
// row and the selected stock kept. A list that no longer matches the group
// (it missed an earlier change) is filled again instead.
void MoveRowInList(int g, HWND list, int oldRow, int newRow, const char* text) {
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  const int selected = SelectedRow(list);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (oldRow >= 0) SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(oldRow), 0);
  if (newRow >= 0) {
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(newRow),
                 reinterpret_cast<LPARAM>(SjisToWide(text).c_str()));
  }
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  StockCode selectedCode = 0;
  if (count != MemberCount(gGroupTable->groups[g])) {
    MemberAt(g, RowAfterMove(selected, oldRow, newRow), &selectedCode);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    FillGroupListWindow(g, list, selectedCode);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    return;
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(RowAfterMove(selected, oldRow, newRow)), 0);
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The live membership updates' row edits, applied to every chart list that shows the group.
class ChartListSink : public GroupListSink {
 public:
  void MoveRow(int g, int oldRow, int newRow, const char* text) override {
    if (gGroupTable == nullptr) return;
    for (int i = 0; i < ShownChartCount(); ++i) {
      if (GroupOf(i) == g && ListOf(i) != nullptr) MoveRowInList(g, ListOf(i), oldRow, newRow, text);
    }
  }
};

ChartListSink gChartListSink;

LRESULT CALLBACK ChartListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  int chart = 0;
  while (chart < kMaxChartsPerPattern && ListOf(chart) != list) ++chart;
  const WNDPROC previous = chart < kMaxChartsPerPattern ? gListPreviousProcs[chart] : nullptr;
  if (message == WM_RBUTTONDOWN) return OnListRightButton(list, lParam);
  if (previous == nullptr) return DefWindowProcW(list, message, wParam, lParam);
  return CallWindowProcW(previous, list, message, wParam, lParam);
}

}  // namespace

bool ChartListMember(int chart, int row, StockCode* code) {
  return chart >= 0 && chart < kMaxChartsPerPattern && MemberAt(GroupOf(chart), row, code);
}

void FillGroupCombo(HWND combo, int selected) {
  if (combo == nullptr) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int g = 0; g < kGroupCount; ++g) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(SjisToWide(GetGroupName(g)).c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendMessageW(combo, CB_SETTOPINDEX, 0, 0);
}

void FillMemberRows(HWND list, const GroupTable& table, int g) {
  const GroupRecord& group = table.groups[g];
  const int count = MemberCount(group);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 32);
  for (int i = 0; i < count; ++i) {
    char row[kRowTextSize];
    FormatGroupMemberRow(table, g, group.members[i], row, sizeof row);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(SjisToWide(row).c_str()));
  }
}

void FillGroupListWindow(int g, HWND list, StockCode selectCode) {
  if (g < 0 || g >= kGroupCount || list == nullptr || gGroupTable == nullptr) return;
  FillMemberRows(list, *gGroupTable, g);
  if (selectCode == 0) {
    SendMessageW(list, LB_SETCURSEL, 0, 0);
  } else {
    SelectCodeInList(g, list, selectCode);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The highlight stays on the stock the chart shows, so that Up and Down step from it.
void RefreshGroupListWindows(int g) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (GroupOf(i) == g) FillGroupListWindow(g, ListOf(i), ViewOf(i).stockCode);
  }
}

void RefillChartLists(int chart) {
  if (chart < 0 || chart >= kMaxChartsPerPattern) return;
  FillGroupCombo(ComboOf(chart), GroupOf(chart));
  FillGroupListWindow(GroupOf(chart), ListOf(chart), ViewOf(chart).stockCode);
}

void RefreshChartStockLists() {
  for (int i = 0; i < ShownChartCount(); ++i) {
    const int selected = static_cast<int>(SendMessageW(ComboOf(i), CB_GETCURSEL, 0, 0));
    if (selected >= 0 && selected < kGroupCount) ViewOf(i).groupIndex = static_cast<int16_t>(selected);
    FillGroupListWindow(GroupOf(i), ListOf(i), ViewOf(i).stockCode);
    ChartListSync sync{};
    SyncLinkedChartLists(i, &sync);
    ApplyChartListSync(sync);
  }
}

void ApplyChartListSync(const ChartListSync& sync) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (sync.groupChanged[i]) SendMessageW(ComboOf(i), CB_SETCURSEL, static_cast<WPARAM>(GroupOf(i)), 0);
    if (sync.refill[i]) FillGroupListWindow(GroupOf(i), ListOf(i), ViewOf(i).stockCode);
  }
}

void SelectCodeInGroupLists(int chart, StockCode code) {
  if (chart < 0 || chart >= ShownChartCount()) return;
  SelectCodeInChartList(chart, code);
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) SelectCodeInChartList(j, code);
  for (int j = chart + 1; j < ShownChartCount() && ViewOf(j - 1).stockLink != 0; ++j) SelectCodeInChartList(j, code);
}

bool GetSelectedCodeInList(StockCode* code) {
  if (gSelectedChart < 0 || gSelectedChart >= ShownChartCount()) return false;
  return MemberAt(GroupOf(gSelectedChart), SelectedRow(ListOf(gSelectedChart)), code);
}

void OnGroupComboChange(int chart) {
  if (chart < 0 || chart >= ShownChartCount()) return;
  const int selected = static_cast<int>(SendMessageW(ComboOf(chart), CB_GETCURSEL, 0, 0));
  if (selected < 0 || selected >= kGroupCount) return;
  ViewOf(chart).groupIndex = static_cast<int16_t>(selected);
  FillGroupListWindow(selected, ListOf(chart), ViewOf(chart).stockCode);
  ChartListSync sync{};
  SyncLinkedChartLists(chart, &sync);
  ApplyChartListSync(sync);
  gSelectedChart = chart;
}

void SelectStockFromChartList(int chart) {
  if (chart < 0 || chart >= ShownChartCount()) return;
  const int row = SelectedRow(ListOf(chart));
  StockCode code = 0;
  if (!MemberAt(GroupOf(chart), row, &code)) return;
  SetChartStock(chart, code);
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) {
    SetChartStock(j, code);
    SendMessageW(ListOf(j), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  }
  for (int j = chart + 1; j < ShownChartCount() && ViewOf(j - 1).stockLink != 0; ++j) {
    SetChartStock(j, code);
    SendMessageW(ListOf(j), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  }
  gSelectedChart = chart;
}

int ChartOfGroupCombo(int childId) {
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    if (childId == IDC_GROUP_COMBO + 4 * i) return i;
  }
  return -1;
}

int ChartOfStockList(int childId) {
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    if (childId == IDC_STOCK_LIST + 4 * i) return i;
  }
  return -1;
}

void AddPaneStockToGroup(int g, bool fromChart) {
  StockCode code = 0;
  if (fromChart) {
    if (gSelectedChart < 0 || gSelectedChart >= ShownChartCount()) return;
    code = ViewOf(gSelectedChart).stockCode;
  } else if (!GetSelectedCodeInList(&code)) {
    return;
  }
  AddStockToGroup(code, g);
}

void StartChartLists(HWND mainWnd) {
  gListOwner = mainWnd;
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    RefillChartLists(i);
    const HWND list = ListOf(i);
    if (list != nullptr && gListPreviousProcs[i] == nullptr) {
      gListPreviousProcs[i] =
          reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChartListProc)));
    }
  }
  gAnalysisHooks.refreshGroupLists = RefreshGroupListWindows;
  SetGroupListSink(&gChartListSink);
}

void StopChartLists() {
  gAnalysisHooks.refreshGroupLists = nullptr;
  SetGroupListSink(nullptr);
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    const HWND list = ListOf(i);
    if (list != nullptr && gListPreviousProcs[i] != nullptr && IsWindow(list)) {
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gListPreviousProcs[i]));
    }
    gListPreviousProcs[i] = nullptr;
  }
  gListOwner = nullptr;
}
