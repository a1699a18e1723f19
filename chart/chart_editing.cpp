#include "chart/chart_editing.h"

#include <algorithm>
#include <cstdint>

#include "analysis/analysis_hooks.h"
#include "analysis/group_lists.h"
#include "analysis/group_update_queue.h"
#include "analysis/indicator_refresh.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/memo_hooks.h"
#include "chart/screen_pattern.h"
#include "chart/trend_line_mouse.h"
#include "platform/platform.h"
#include "common/command_ids.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "records/settings_block.h"

namespace {

constexpr char kTooManyPanesText[] =
    "同時に表示できる指標は最大12個です。不要な指標を消してから、リトライしてください。";
constexpr char kTooManyPanesTitle[] = "ヴェルクォラ22";

ScreenPattern& Pattern() { return CurrentScreenPattern(); }

// The selected chart's view; null when no shown chart is selected.
ChartView* SelectedView() {
  if (gSelectedChart < 0 || gSelectedChart >= ShownChartCount()) return nullptr;
  return &Pattern().views[gSelectedChart];
}

int PaneCountOf(const ChartView& view) { return std::clamp(view.paneCount, 0, kMaxPanesPerChart); }

// The selected pane of the selected chart; -1 when none.
int SelectedPaneOf(const ChartView& view) {
  return gSelectedPane >= 0 && gSelectedPane < PaneCountOf(view) ? gSelectedPane : -1;
}

// The selected chart's view when one of its panes is selected; null otherwise.
ChartView* SelectedViewAndPane(int* pane) {
  ChartView* view = SelectedView();
  *pane = view != nullptr ? SelectedPaneOf(*view) : -1;
  return *pane >= 0 ? view : nullptr;
}

void LayoutCharts() {
  if (gChartHooks.layoutCharts != nullptr) gChartHooks.layoutCharts();
}

void RepaintNow() {
  if (gChartHooks.repaintNow != nullptr) gChartHooks.repaintNow();
}

void LayoutAndRepaint() {
  LayoutCharts();
  RepaintNow();
}

void SwapPanes(ChartView& view, int a, int b) {
  std::swap(view.paneKinds[a], view.paneKinds[b]);
  std::swap(view.paneFlags[a], view.paneFlags[b]);
}

// Moves the pane at `from` to `to`, the panes between shifting by one.
void MovePane(ChartView& view, int from, int to) {
  while (from < to) SwapPanes(view, from, from + 1), ++from;
  while (from > to) SwapPanes(view, from, from - 1), --from;
}

void SelectChartOnly(int chart) {
  gSelectedChart = chart;
  gSelectedPane = -1;
  gCursorBar = -1;
}

void RefillAllChartLists() {
  if (gChartHooks.refillChartLists == nullptr) return;
  for (int i = 0; i < ShownChartCount(); ++i) gChartHooks.refillChartLists(i);
}

// ---- Display switches -------------------------------------------------------------

enum class AfterSwitch { kRepaint, kLayout, kGuideLine, kReload, kNothing };

struct DisplaySwitch {
  int command;
  AfterSwitch after;
  bool (*read)();
  void (*flip)();
};

template <typename T>
bool IsOn(const T& flag) {
  return flag != 0;
}

template <typename T>
void Flip(T& flag) {
  flag = flag != 0 ? 0 : 1;
}

constexpr DisplaySwitch kDisplaySwitches[] = {
    {IDM_AVERAGE_LINE, AfterSwitch::kRepaint, [] { return IsOn(gSettings.showAverageLine); },
     [] { Flip(gSettings.showAverageLine); }},
    // The stored flag hides the values: the menu item is checked while it is off.
    {IDM_AVERAGE_LINE_VALUES, AfterSwitch::kRepaint, [] { return !IsOn(gSettings.hideAverageLineValues); },
     [] { Flip(gSettings.hideAverageLineValues); }},
    {IDM_CLOSING_LINE_PROFIT, AfterSwitch::kRepaint, [] { return IsOn(gSettings.showProfitOnClosingLine); },
     [] { Flip(gSettings.showProfitOnClosingLine); }},
    {IDM_TICK_GRID, AfterSwitch::kRepaint, [] { return IsOn(gSettings.tickGridOn); },
     [] { Flip(gSettings.tickGridOn); }},
    {IDM_GROUP_LIST, AfterSwitch::kLayout, [] { return IsOn(gShowGroupList); }, [] { Flip(gShowGroupList); }},
    {IDM_GUIDE_LINE, AfterSwitch::kGuideLine, [] { return IsOn(gSettings.showGuideLine); },
     [] { Flip(gSettings.showGuideLine); }},
    {IDM_SPLIT_ADJUSTED, AfterSwitch::kReload, [] { return IsOn(gShowSplitAdjusted); },
     [] { Flip(gShowSplitAdjusted); }},
    {IDM_DISPLAY_SWITCH_32878, AfterSwitch::kRepaint, [] { return IsOn(gSettings.displaySwitch32878); },
     [] { Flip(gSettings.displaySwitch32878); }},
    {IDM_SHORT_NAMES, AfterSwitch::kRepaint, [] { return IsOn(gShowShortNames); }, [] { Flip(gShowShortNames); }},
    {IDM_FULL_LINE_RANGE, AfterSwitch::kLayout, [] { return gTrendLineFullRange; },
     [] { gTrendLineFullRange = !gTrendLineFullRange; }},
    {IDM_WEEK_SEPARATORS, AfterSwitch::kRepaint, [] { return IsOn(gWeekSeparatorsOn); },
     [] { Flip(gWeekSeparatorsOn); }},
    {IDM_THICK_CHART_LINES, AfterSwitch::kRepaint, [] { return IsOn(gThickChartLines); },
     [] { Flip(gThickChartLines); }},
    // Read by the next drag of a horizontal line: nothing shown changes.
    {IDM_SNAP_ROUND_PRICES, AfterSwitch::kNothing, [] { return IsOn(gSettings.snapDraggedPrices); },
     [] { Flip(gSettings.snapDraggedPrices); }},
};

const DisplaySwitch* FindDisplaySwitch(int command) {
  for (const DisplaySwitch& item : kDisplaySwitches) {
    if (item.command == command) return &item;
  }
  return nullptr;
}

}  // namespace

int PaneKindOfCommand(int command) {
  if (command == IDM_PANE_CANDLES) return kPaneCandles;
  if (command == IDM_PANE_ICHIMOKU) return kPaneIchimoku;
  if (command >= IDM_PANE_VOLUME && command <= IDM_PANE_OBV) return kPaneVolume + command - IDM_PANE_VOLUME;
  if (command == IDM_PANE_VOLUME_RATIO) return kPaneVolumeRatio;
  if (command == IDM_PANE_ADVANCE_DECLINE) return kPaneAdvanceDecline;
  return -1;
}

int FindPaneByKind(int kind) {
  const ChartView* view = SelectedView();
  if (view == nullptr) return -1;
  for (int i = 0; i < PaneCountOf(*view); ++i) {
    if (static_cast<int>(view->paneKinds[i]) == kind) return i;
  }
  return -1;
}

int ToggleChartPane(int kind) {
  ChartView* view = SelectedView();
  if (view == nullptr) return 0;
  const int shown = FindPaneByKind(kind);
  if (shown >= 0) {
    gSelectedPane = shown;
    RemoveSelectedPane();
    return 0;
  }
  const int count = PaneCountOf(*view);
  if (count >= kMaxPanesPerChart) {
    PlatformMessageBox(gMainWnd, kTooManyPanesText, kTooManyPanesTitle, kMbOk);
    return 0;
  }
  const int slot = SelectedPaneOf(*view) + 1;
  for (int i = count; i > slot; --i) {
    view->paneKinds[i] = view->paneKinds[i - 1];
    view->paneFlags[i] = view->paneFlags[i - 1];
  }
  view->paneKinds[slot] = static_cast<uint32_t>(kind);
  view->paneFlags[slot] = kPaneFlagLine0;
  view->paneCount = count + 1;
  gSelectedPane = slot;
  LayoutAndRepaint();
  if (gChartHooks.clearCrossHair != nullptr) gChartHooks.clearCrossHair();
  if (gChartHooks.refreshCursorTracking != nullptr) gChartHooks.refreshCursorTracking();
  return 1;
}

void RemoveSelectedPane() {
  int pane = -1;
  ChartView* view = SelectedViewAndPane(&pane);
  if (view == nullptr) return;
  const int count = PaneCountOf(*view);
  MovePane(*view, pane, count - 1);
  view->paneCount = count - 1;
  gSelectedPane = pane - 1;
  LayoutAndRepaint();
}

void MoveSelectedPane(PaneMove move) {
  int pane = -1;
  ChartView* view = SelectedViewAndPane(&pane);
  if (view == nullptr) return;
  const int last = PaneCountOf(*view) - 1;
  int target = pane;
  switch (move) {
    case kPaneToTop: target = 0; break;
    case kPaneUp: target = std::max(pane - 1, 0); break;
    case kPaneDown: target = std::min(pane + 1, last); break;
    case kPaneToBottom: target = last; break;
  }
  if (target == pane) return;
  MovePane(*view, pane, target);
  gSelectedPane = target;
  LayoutAndRepaint();
}

void AddPaneSlot() {
  ChartView* view = SelectedView();
  if (view == nullptr) return;
  const int count = PaneCountOf(*view);
  if (count >= kMaxPanesPerChart) return;
  view->paneCount = count + 1;
  gSelectedPane = count;
  LayoutAndRepaint();
}

void TogglePaneFlagBit(int n) {
  int pane = -1;
  ChartView* view = SelectedViewAndPane(&pane);
  if (view == nullptr) return;
  view->paneFlags[pane] ^= 1u << (static_cast<unsigned>(n) % 32u);
  InvalidateChart(gSelectedChart);
  InvalidateDetailList();  // it lists the lines the pane shows
  RepaintNow();
}

void AddChart() {
  ScreenPattern& pattern = Pattern();
  const int count = ShownChartCount();
  if (count < 1 || count >= kMaxChartsPerPattern) return;
  const ChartView* selected = SelectedView();
  ChartView copy = selected != nullptr ? *selected : pattern.views[count - 1];
  copy.dateLink = 0;
  copy.stockLink = 0;
  pattern.views[count] = copy;
  pattern.chartCount = count + 1;
  if (gChartHooks.refillChartLists != nullptr) gChartHooks.refillChartLists(count);
  ClampSelectedChart();
}

void RemoveSelectedChart() {
  ScreenPattern& pattern = Pattern();
  const int count = ShownChartCount();
  if (count < 2 || SelectedView() == nullptr) return;
  const ChartView removed = pattern.views[gSelectedChart];
  for (int i = gSelectedChart; i + 1 < kMaxChartsPerPattern; ++i) pattern.views[i] = pattern.views[i + 1];
  pattern.views[kMaxChartsPerPattern - 1] = removed;
  pattern.chartCount = count - 1;
  // The new last chart links to nothing; flags it kept would couple it to a
  // chart added later without bringing the two together first.
  ChartView& last = pattern.views[count - 2];
  last.dateLink = 0;
  last.stockLink = 0;
  SelectChartOnly(0);
  // The views moved up a slot: every list must show its new view's group and stock.
  RefillAllChartLists();
  ClampSelectedChart();
}

void ClampSelectedChart() {
  ReloadAllChartSeries();
  if (gSelectedChart >= ShownChartCount()) gSelectedChart = ShownChartCount() - 1;
  LayoutAndRepaint();
}

void DeleteSelectedObjects() {
  if (DeleteSelectedMemos() != 0) gUndoKind = kUndoMemos;
  DeleteMarkedTrendLines(1);
  InvalidateAllCharts();
}

void UndoLastDeletion() {
  const int kind = gUndoKind;
  gUndoKind = kUndoNothing;
  if (kind == kUndoTrendLines) UndoTrendLineDeletion();
  if (kind == kUndoMemos) UndoMemoDeletion();
  InvalidateAllCharts();
}

void ToggleWatchedLineBit(int n) {
  if (!IsTrendLineIndex(gSelectedTrendLine)) return;
  if (!FlipWatchedLine(gTrendLines->lines[gSelectedTrendLine], n)) PlayWarningBeep();
  // Judged as every other edit of a line is: silently, through the store's hook.
  if (gAnalysisHooks.evaluateMonitorLine != nullptr) gAnalysisHooks.evaluateMonitorLine(gSelectedTrendLine, 0, 0);
  SaveTrendLines();
}

void ToggleNewTrendLineMode() {
  gNewTrendLineMode = !gNewTrendLineMode;
  if (gChartHooks.refreshCursorTracking != nullptr) gChartHooks.refreshCursorTracking();
}

void ProcessPendingGroupUpdates(bool groupListDropped) {
  if (groupListDropped || !HasQueuedGroupUpdates()) return;
  if (TakeGroupUpdateOverflow()) {
    RecomputeIndicatorsAndGroups();
    return;
  }
  StockCode code = 0;
  if (TakeQueuedGroupUpdate(&code)) UpdateGroupBitsForStock(code);
}

bool ToggleDisplaySwitch(int command) {
  const DisplaySwitch* item = FindDisplaySwitch(command);
  if (item == nullptr) return false;
  if (item->after == AfterSwitch::kGuideLine && gChartHooks.clearCrossHair != nullptr) {
    gChartHooks.clearCrossHair();
  }
  item->flip();
  switch (item->after) {
    case AfterSwitch::kRepaint:
      InvalidateAllCharts();
      RepaintNow();
      break;
    case AfterSwitch::kLayout: LayoutAndRepaint(); break;
    case AfterSwitch::kGuideLine:
      if (gChartHooks.refreshCursorTracking != nullptr) gChartHooks.refreshCursorTracking();
      break;
    case AfterSwitch::kReload:
      ReloadAllChartSeries();
      LayoutAndRepaint();
      break;
    case AfterSwitch::kNothing: break;
  }
  return true;
}

bool IsDisplaySwitchOn(int command) {
  const DisplaySwitch* item = FindDisplaySwitch(command);
  return item != nullptr && item->read();
}
