#include "window/line_notice_win.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_editing.h"
#include "chart/chart_hooks.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "common/string_ids.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_lists_win.h"
#include "window/dialog_helpers_win.h"
#include "window/main_window_input_win.h"
#include "window/window_hooks.h"

namespace {

HWND gNoticeOwner = nullptr;

const TrendLine* NoticeLine(HWND notice) {
  const int index = NoticeLineOf(notice);
  if (gTrendLines == nullptr || index < 0 || index >= gTrendLines->count || index >= kMaxTrendLines) return nullptr;
  return &gTrendLines->lines[index];
}

void ShowOutcome(HWND notice) {
  const TrendLine* line = NoticeLine(notice);
  char text[128] = "";
  if (line != nullptr) FormatOrderOutcomeText(gLastOrderOutcome, *line, text, sizeof text);
  SetDialogItemText(notice, IDC_NOTICE_ORDER, text);
}

void ShowLineTexts(HWND notice, const TrendLine& line) {
  char text[160] = "";
  const int stock = FindStockIndexByCode(line.code);
  if (stock >= 0) snprintf(text, sizeof text, "%s：%s", CodeToString(line.code), GetStockNameByIndex(stock));
  SetDialogItemText(notice, IDC_NOTICE_STOCK, text);
  SetDialogItemText(notice, IDC_NOTICE_KIND, MonitorKindText(line.monitorKind));
  FormatMonitorConditionText(line, text, sizeof text);
  SetDialogItemText(notice, IDC_NOTICE_CONDITION, text);
  ShowOutcome(notice);
}

void ShowItem(HWND notice, int id, bool shown) { ShowWindow(GetDlgItem(notice, id), shown ? SW_SHOW : SW_HIDE); }

// The slot buttons follow the charts of the pattern: the lowest chart is
// always "下段", a middle one only with three.
void LabelSlotButtons(HWND notice, int chartCount) {
  SetDialogItemText(notice, IDC_NOTICE_SHOW_FIRST + 1,
                    chartCount == 3 ? "中段のチャートに表示" : "下段のチャートに表示");
  for (int s = 1; s < kMaxChartsPerPattern; ++s) {
    ShowItem(notice, IDC_NOTICE_SHOW_FIRST + s, s < chartCount);
    ShowItem(notice, IDC_NOTICE_INDICATOR_FIRST + s, s < chartCount);
  }
}

void UpdateNoticeButtons(HWND notice) {
  const TrendLine* line = NoticeLine(notice);
  if (line == nullptr) return;
  const NoticeButtons buttons = ComputeNoticeButtons(CurrentScreenPattern(), gCurrentPattern, *line);
  for (int n = 0; n < kScreenPatternCount; ++n)
    CheckDlgButton(notice, IDC_NOTICE_PATTERN_FIRST + n, n == buttons.checkedPattern ? BST_CHECKED : BST_UNCHECKED);
  LabelSlotButtons(notice, buttons.chartCount);
  for (int s = 0; s < kMaxChartsPerPattern; ++s) {
    CheckDlgButton(notice, IDC_NOTICE_SHOW_FIRST + s, buttons.slotShown[s] ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(notice, IDC_NOTICE_INDICATOR_FIRST + s), buttons.indicatorEnabled[s]);
    CheckDlgButton(notice, IDC_NOTICE_INDICATOR_FIRST + s, buttons.indicatorChecked[s] ? BST_CHECKED : BST_UNCHECKED);
  }
}

void AfterChartChange(HWND notice) {
  UpdateNoticeButtons(notice);
  UpdateMainMenuStates();
}

void SwitchPattern(HWND notice, int n) {
  if (n != gCurrentPattern) SwitchScreenPattern(n, 0);
  AfterChartChange(notice);
}

void ShowLineStockInChartSlot(HWND notice, int slot) {
  const TrendLine* line = NoticeLine(notice);
  if (line == nullptr || slot >= ShownChartCount()) return;
  const ChartView& view = CurrentScreenPattern().views[slot];
  if (view.stockCode != line->code) {
    ShowStockInLinkedCharts(slot, line->code);
    SelectCodeInGroupLists(slot, line->code);
  }
  if (view.period != line->period) SetChartPeriod(slot, line->period);
  RepaintMainWindowNow();
  AfterChartChange(notice);
}

int FindPaneOfKind(const ChartView& view, int kind) {
  for (int p = 0; p < std::min<int>(view.paneCount, kMaxPanesPerChart); ++p)
    if (static_cast<int>(view.paneKinds[p]) == kind) return p;
  return -1;
}

// The chart gets the pane of the line's kind (added below its last pane) and
// the lines the monitoring line watches.
void ShowMonitoredIndicator(HWND notice, int slot) {
  const TrendLine* line = NoticeLine(notice);
  if (line == nullptr || slot >= ShownChartCount()) return;
  ChartView& view = CurrentScreenPattern().views[slot];
  if (view.stockCode != line->code || view.period != line->period || line->paneKind < 0 ||
      line->paneKind >= kPaneKindCount) {
    return;
  }
  int pane = FindPaneOfKind(view, line->paneKind);
  if (pane < 0) {
    gSelectedChart = slot;
    gSelectedPane = std::max(view.paneCount - 1, 0);
    if (ToggleChartPane(line->paneKind) == 0) return;
    pane = FindPaneOfKind(view, line->paneKind);
    if (pane < 0) return;
  }
  const uint32_t flags = PaneFlagsShowingWatchedLines(line->paneKind, line->watchedLines, view.paneFlags[pane]);
  if (flags != view.paneFlags[pane]) {
    view.paneFlags[pane] = flags;
    InvalidateChart(slot);
    RepaintMainWindowNow();
  }
  AfterChartChange(notice);
}

void OnNoticeCommand(HWND notice, int id) {
  if (id == IDOK || id == IDCANCEL) {
    DestroyWindow(notice);
  } else if (id >= IDC_NOTICE_PATTERN_FIRST && id < IDC_NOTICE_PATTERN_FIRST + kScreenPatternCount) {
    SwitchPattern(notice, id - IDC_NOTICE_PATTERN_FIRST);
  } else if (id >= IDC_NOTICE_SHOW_FIRST && id < IDC_NOTICE_SHOW_FIRST + kMaxChartsPerPattern) {
    ShowLineStockInChartSlot(notice, id - IDC_NOTICE_SHOW_FIRST);
  } else if (id >= IDC_NOTICE_INDICATOR_FIRST && id < IDC_NOTICE_INDICATOR_FIRST + kMaxChartsPerPattern) {
    ShowMonitoredIndicator(notice, id - IDC_NOTICE_INDICATOR_FIRST);
  }
}

void OnNoticeOpened(HWND notice, int index) {
  const int number = ListLineNotice(notice, index);
  char word[64] = "";
  PlatformLoadString(kStrNotice, word, sizeof word);
  char title[96];
  snprintf(title, sizeof title, "%s - %d", word, number);
  SetWindowTextW(notice, SjisToWide(title).c_str());
  if (const TrendLine* line = NoticeLine(notice)) ShowLineTexts(notice, *line);
  UpdateNoticeButtons(notice);
  if (gSettings.infoBeepOnNotice != 0) MessageBeep(MB_ICONASTERISK);
}

INT_PTR CALLBACK NoticeProc(HWND notice, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // FALSE: focusing a control would activate the notice while it is still hidden.
    case WM_INITDIALOG: OnNoticeOpened(notice, static_cast<int>(lParam)); return FALSE;
    case WM_COMMAND: OnNoticeCommand(notice, LOWORD(wParam)); return TRUE;
    case WM_MOVE: {
      if (!IsWindowVisible(notice)) return FALSE;  // still being placed
      RECT rect;
      GetWindowRect(notice, &rect);
      RememberNoticePosition(rect.left, rect.top);
      return FALSE;
    }
    case WM_DESTROY: ForgetLineNotice(notice); return FALSE;
    default: return FALSE;
  }
}

// Every notice, the unlisted ones too (only 300 are listed).
bool IsNoticeWindow(HWND window) {
  return reinterpret_cast<DLGPROC>(GetWindowLongPtrW(window, DWLP_DLGPROC)) == NoticeProc;
}

struct OwnedNotices {
  HWND owner;
  std::vector<HWND> windows;  // shown ones, topmost first
};

BOOL CALLBACK CollectOwnedNotice(HWND window, LPARAM found) {
  auto* notices = reinterpret_cast<OwnedNotices*>(found);
  if (GetWindow(window, GW_OWNER) == notices->owner && IsWindowVisible(window) && IsNoticeWindow(window))
    notices->windows.push_back(window);
  return TRUE;
}

bool Contains(const std::vector<HWND>& windows, HWND window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

class NoticeWindows : public LineNoticeSink {
 public:
  bool IsMainWindowVisible() override { return gNoticeOwner != nullptr && IsWindowVisible(gNoticeOwner); }
  WindowHandle OpenNotice(int index) override {
    const HWND notice = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LINE_NOTICE), gNoticeOwner,
                                           NoticeProc, static_cast<LPARAM>(index));
    if (notice == nullptr) return nullptr;
    RECT main;
    GetWindowRect(gNoticeOwner, &main);
    int x = 0;
    int y = 0;
    NextNoticePosition(main.left, main.top, &x, &y);
    // Above the main window, leaving the keyboard where the user has it.
    SetWindowPos(notice, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(notice, SW_SHOWNOACTIVATE);
    return notice;
  }
  void BringNoticeToFront(WindowHandle notice) override {
    SetWindowPos(static_cast<HWND>(notice), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void ShowOrderOutcome(WindowHandle notice) override { ShowOutcome(static_cast<HWND>(notice)); }
  void CloseNotice(WindowHandle notice) override { DestroyWindow(static_cast<HWND>(notice)); }
  void RefreshMenuStates() override { UpdateMainMenuStates(); }
  void ShowWaitCursor(bool wait) override {
    SetCursor(LoadCursorW(nullptr, wait ? MAKEINTRESOURCEW(32514) : MAKEINTRESOURCEW(32512)));  // IDC_WAIT, IDC_ARROW
  }
};

NoticeWindows gNoticeWindows;

}  // namespace

void StartLineNotices(HWND mainWnd) {
  gNoticeOwner = mainWnd;
  SetLineNoticeSink(&gNoticeWindows);
}

void StopLineNotices() {
  OnTrendLinesReplaced();
  SetLineNoticeSink(nullptr);
  gNoticeOwner = nullptr;
}

void KeepLineNoticesAbove() {
  if (gNoticeOwner == nullptr || !IsWindowVisible(gNoticeOwner)) return;
  OwnedNotices notices{gNoticeOwner, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwnedNotice, reinterpret_cast<LPARAM>(&notices));
  if (notices.windows.empty()) return;
  std::vector<HWND> aboveMain;
  for (HWND w = GetWindow(gNoticeOwner, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV))
    aboveMain.push_back(w);
  // Each goes just above the main window, the topmost first: their order among themselves stays.
  for (const HWND notice : notices.windows) {
    if (Contains(aboveMain, notice)) continue;
    const HWND justAbove = GetWindow(gNoticeOwner, GW_HWNDPREV);
    SetWindowPos(notice, justAbove != nullptr ? justAbove : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
}

void OnMainWindowActivated(HWND mainWnd) { SetTimer(mainWnd, kNoticeRaiseTimer, kNoticeRaiseDelayMs, nullptr); }

bool OnNoticeRaiseTimer(HWND mainWnd, WPARAM timerId) {
  if (timerId != kNoticeRaiseTimer) return false;
  KillTimer(mainWnd, kNoticeRaiseTimer);
  KeepLineNoticesAbove();
  return true;
}

bool RouteLineNoticeMessage(MSG& msg) {
  if (msg.hwnd == nullptr) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  return root != nullptr && NoticeLineOf(root) >= 0 && IsDialogMessageW(root, &msg);
}
