#include "shell/commands.h"
#include "shell/backup_run.h"

#include "window/window_hooks.h"

#include "analysis/indicator_refresh.h"
#include "analysis/position_tracker.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_editing.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/pattern_file.h"
#include "chart/chart_selection.h"
#include "chart/memo_store.h"
#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "common/progress.h"
#include "shell/price_maintenance_commands.h"
#include "shell/price_update.h"
#include "window/time_back_mode.h"

namespace {

// One entry per command family: the handler returns non-zero when it took the id.
using CommandHandler = int (*)(WindowHandle window, int commandId);

// The selected chart of the current pattern; -1 when none is selected.
int SelectedShownChart() {
  const ScreenPattern& pattern = CurrentScreenPattern();
  return gSelectedChart >= 0 && gSelectedChart < pattern.chartCount ? gSelectedChart : -1;
}

// F1..F12: the twelve screen patterns.
int RunPatternCommand(WindowHandle, int commandId) {
  if (commandId < IDM_PATTERN_FIRST || commandId > IDM_PATTERN_LAST) return 0;
  SwitchScreenPattern(commandId - IDM_PATTERN_FIRST, 0);
  return 1;
}

// Daily, weekly, monthly for the selected chart.
int RunPeriodCommand(WindowHandle, int commandId) {
  if (commandId < IDM_PERIOD_DAILY || commandId > IDM_PERIOD_MONTHLY) return 0;
  const int chart = SelectedShownChart();
  if (chart >= 0) SetChartPeriod(chart, commandId - IDM_PERIOD_DAILY);
  return 1;
}

// The bar width of the selected chart.
int RunBarWidthCommand(WindowHandle, int commandId) {
  if (BarWidthForCommand(commandId, 1) < 0) return 0;
  const int chart = SelectedShownChart();
  if (chart >= 0) SetChartBarWidth(chart, BarWidthForCommand(commandId, CurrentScreenPattern().views[chart].barWidth));
  return 1;
}

// Indicator panes of the selected chart (menu and toolbar).
int RunPaneKindCommand(WindowHandle, int commandId) {
  const int kind = PaneKindOfCommand(commandId);
  if (kind < 0) return 0;
  ToggleChartPane(kind);
  return 1;
}

// Charts added and removed, panes moved and removed, pane flag bits.
int RunChartEditCommand(WindowHandle, int commandId) {
  switch (commandId) {
    case IDM_ADD_CHART: AddChart(); return 1;
    case IDM_REMOVE_CHART: RemoveSelectedChart(); return 1;
    case IDM_PANE_TO_TOP: MoveSelectedPane(kPaneToTop); return 1;
    case IDM_PANE_UP: MoveSelectedPane(kPaneUp); return 1;
    case IDM_PANE_DOWN: MoveSelectedPane(kPaneDown); return 1;
    case IDM_PANE_TO_BOTTOM: MoveSelectedPane(kPaneToBottom); return 1;
    case IDM_PANE_REMOVE: RemoveSelectedPane(); return 1;
    default: break;
  }
  if (commandId < IDM_PANE_FLAG_FIRST || commandId > IDM_PANE_FLAG_LAST) return 0;
  TogglePaneFlagBit(commandId - IDM_PANE_FLAG_FIRST);
  return 1;
}

int RunDisplaySwitchCommand(WindowHandle, int commandId) { return ToggleDisplaySwitch(commandId) ? 1 : 0; }

// Copies of the pattern chosen in the pattern pop-up onto another pattern.
int RunPatternCopyCommand(WindowHandle, int commandId) {
  if (commandId < IDM_COPY_PATTERN_FIRST || commandId > IDM_COPY_PATTERN_LAST) return 0;
  CopyScreenPattern(commandId - IDM_COPY_PATTERN_FIRST);
  return 1;
}

// The pattern file: save all twelve patterns, or read them back.
int RunPatternFileCommand(WindowHandle, int commandId) {
  if (commandId == IDM_EXPORT_PATTERNS)
    ExportScreenPatterns();
  else if (commandId == IDM_IMPORT_PATTERNS)
    ImportScreenPatterns();
  else
    return 0;
  return 1;
}

// Every stock, the breadth and the groups; the charts then show the new ratios and signals.
int RunRecomputeCommand(WindowHandle, int commandId) {
  if (commandId != IDM_RECOMPUTE_ALL) return 0;
  RecomputeIndicatorsAndGroups();
  ReloadAllChartSeries();
  InvalidateAllCharts();
  return 1;
}

// The averaging-down tracker's sub-menu, on the selected trend line.
int RunTrackerMenuCommand(WindowHandle, int commandId) { return RunTrackerCommand(commandId); }

// The trend-line pop-up on the selected line; the value dialog is the window's.
int RunTrendLineCommand(WindowHandle, int commandId) {
  switch (commandId) {
    case IDM_TLINE_LOCK: ToggleTrendLineLock(); return 1;
    case IDM_TLINE_MONITOR_NONE: SetMonitorKind(gSelectedTrendLine, kMonitorNone); return 1;
    case IDM_TLINE_MONITOR_LOWER: SetMonitorKind(gSelectedTrendLine, kMonitorLower); return 1;
    case IDM_TLINE_MONITOR_UPPER: SetMonitorKind(gSelectedTrendLine, kMonitorUpper); return 1;
    case IDM_TLINE_MONITOR_DATE: SetMonitorKind(gSelectedTrendLine, kMonitorDate); return 1;
    case IDM_TLINE_NOTICE: ToggleTrendLineNotice(); return 1;
    case IDM_TLINE_LABEL_BOTH: SetTrendLineValueLabelSide(kLabelBothSides); return 1;
    case IDM_TLINE_LABEL_RIGHT: SetTrendLineValueLabelSide(kLabelRight); return 1;
    case IDM_TLINE_LABEL_LEFT: SetTrendLineValueLabelSide(kLabelLeft); return 1;
    case IDM_TLINE_LABEL_NONE: SetTrendLineValueLabelSide(kLabelNone); return 1;
    default: break;
  }
  if (commandId < IDM_TLINE_WIDTH_1 || commandId > IDM_TLINE_WIDTH_3) return 0;
  SetTrendLineWidth(commandId - IDM_TLINE_WIDTH_1 + 1);
  return 1;
}

// The price update family and the master-data tools.
int RunPriceUpdateFamily(WindowHandle, int commandId) { return RunPriceUpdateCommand(commandId); }

// Repairs of the price database.
int RunMaintenanceFamily(WindowHandle, int commandId) { return RunPriceMaintenanceCommand(commandId); }

// The forecast candle's eraser (also Esc).
int RunForecastCommand(WindowHandle, int commandId) {
  if (commandId != IDM_ERASE_FORECAST) return 0;
  EraseForecastCandle();
  return 1;
}

// Deleting and undoing, the new-line mode, the lines a monitoring line watches.
int RunEditCommand(WindowHandle, int commandId) {
  switch (commandId) {
    case IDM_CUT:
    case IDM_DELETE: DeleteSelectedObjects(); return 1;
    case IDM_UNDO: UndoLastDeletion(); return 1;
    case IDM_NEW_TREND_LINE: ToggleNewTrendLineMode(); return 1;
    default: break;
  }
  if (commandId < IDM_TLINE_WATCH_FIRST || commandId > IDM_TLINE_WATCH_LAST) return 0;
  ToggleWatchedLineBit(commandId - IDM_TLINE_WATCH_FIRST);
  return 1;
}

int RunWindowCommand(WindowHandle window, int commandId) {
  return gWindowHooks.runWindowCommand != nullptr ? gWindowHooks.runWindowCommand(window, commandId) : 0;
}

// Memos: a new one on the selected pane, or every memo and line gone.
int RunMemoCommand(WindowHandle, int commandId) {
  switch (commandId) {
    case IDM_NEW_MEMO: AddNewMemo(gMemoTextHeight); return 1;
    case IDM_DELETE_ALL_MEMOS_AND_LINES: DeleteAllMemosAndTrendLines(); return 1;
    default: return 0;
  }
}

// Ctrl+B: into time-back mode, or back to the live data.
int RunTimeBackCommand(WindowHandle, int commandId) {
  if (commandId != IDM_TIME_BACK) return 0;
  ToggleTimeBackMode();
  return 1;
}

int RunBackupFamily(WindowHandle, int commandId) { return RunBackupCommand(commandId); }

// The families register here as their features arrive.
constexpr CommandHandler kCommandHandlers[] = {
    RunPatternCommand,       RunPeriodCommand,      RunBarWidthCommand,    RunPaneKindCommand,  RunChartEditCommand,
    RunDisplaySwitchCommand, RunPatternCopyCommand, RunPatternFileCommand, RunRecomputeCommand, RunTrackerMenuCommand,
    RunTrendLineCommand,     RunEditCommand,        RunPriceUpdateFamily,  RunMemoCommand,      RunTimeBackCommand,
    RunMaintenanceFamily,    RunForecastCommand,    RunWindowCommand,      RunBackupFamily};

}  // namespace

int OnMainCommand(WindowHandle window, int commandId) {
  if (gProgressDlg != nullptr) return 0;
  for (CommandHandler handler : kCommandHandlers) {
    if (handler != nullptr && handler(window, commandId) != 0) {
      UpdateMenuStates();
      return 1;
    }
  }
  return 0;
}

void UpdateMenuStates() { UpdateMainMenuStates(); }
