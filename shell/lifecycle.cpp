#include "shell/lifecycle.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "analysis/group_store.h"
#include "analysis/analysis_hooks.h"
#include "analysis/indicator_refresh.h"
#include "analysis/line_monitoring.h"
#include "analysis/market_breadth.h"
#include "analysis/position_tracker.h"
#include "analysis/price_import.h"
#include "analysis/signal_settings.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/data_hooks.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "data/trading_calendar.h"
#include "records/printer_settings.h"
#include "net/order_link.h"
#include "sheets/scenarios.h"
#include "sheets/sheet_services.h"
#include "shell/backup_run.h"
#include "shell/commands.h"
#include "shell/exit_report.h"
#include "shell/settings.h"
#include "window/time_back_mode.h"
#include "window/window_hooks.h"

namespace {

// The big tables live from start-up to exit; without them there is no program.
bool AllocateBigTables() { return CreateDailyCache() && AllocateStockTable(); }

bool FolderHoldsSettings(const char* folder) {
  char path[kMaxPath * 2];
  snprintf(path, sizeof path, "%s%s", folder, kSettingsFileName);
  return GetFileSizeByName(path) >= 0;
}

void ShowDataError(int errorCode) { ShowErrorMessage(gMainWnd, errorCode); }

// A box owned by a hidden or minimised window could not be seen.
int ShowDataMessage(const char* text, const char* title, unsigned flags) {
  return PlatformMessageBox(PlatformIsUsableOwner(gMainWnd) ? gMainWnd : nullptr, text, title, flags);
}

bool OrderLinkIsOpen() { return gOrderLinkOpen == 1; }

// The tracker's ticks, repaints, order switch, judging and order link.
bool AutoOrderIsOn() { return gAutoOrderEnabled != 0; }
void InstallTrackerHooks() {
  gTrackerHooks.roundToTick = RoundToNearestTick;
  gTrackerHooks.repaintCharts = InvalidateAllCharts;
  gTrackerHooks.autoOrderEnabled = AutoOrderIsOn;
  gTrackerHooks.evaluateLineQuietly = [](int line) { EvaluateMonitorLine(line, false, false); };
  gTrackerHooks.placeOrder = OrderLinkPlaceTrackerOrder;
  gTrackerHooks.refreshAutoOrderList = [] { OrderLinkFillAutoOrderList(gAutoOrderStatusDlg); };
}

// The store's changes reach the monitoring: a line is judged again, and the
// notices of deleted lines close while the others follow their lines.
void JudgeTrendLine(int index, int notify, int allowOrder) { EvaluateMonitorLine(index, notify != 0, allowOrder != 0); }
void MoveLineNotices(const int32_t* newIndexOfOld, int oldCount) {
  static std::array<bool, kMaxTrendLines> removed;
  const int count = std::clamp(oldCount, 0, kMaxTrendLines);
  for (int i = 0; i < count; ++i) removed[static_cast<size_t>(i)] = newIndexOfOld[i] < 0;
  OnTrendLinesDeleted(removed.data(), count);
}

// Price imports: the charts show the new bars, a chart at its last bar the new last bar.
void ReloadChartsAfterImport() {
  if (gMainWnd == nullptr) return;
  ReloadChartsForNewBars();
}

// Every chart may show the changed lines, and the menus their checks.
void ShowTrendLineChange() {
  InvalidateAllCharts();
  UpdateMenuStates();
}

// Read before the main window exists: a damaged index file is told when its
// chart loads, not in a box that has no window to stand over.
bool InitMarketBreadthAtStart() {
  const auto showError = gDataHooks.showError;
  gDataHooks.showError = nullptr;
  const bool ready = InitMarketBreadth();
  gDataHooks.showError = showError;
  return ready;
}

}  // namespace

void ChooseDataFolder() {
  char programFolder[kMaxPath] = "";
  char currentFolder[kMaxPath] = "";
  PlatformGetProgramFolder(programFolder, sizeof programFolder);
  PlatformGetCurrentFolder(currentFolder, sizeof currentFolder);
  const bool useCurrent =
      !FolderHoldsSettings(programFolder) && currentFolder[0] != 0 && FolderHoldsSettings(currentFolder);
  snprintf(gDataFolder, sizeof gDataFolder, "%s", useCurrent ? currentFolder : programFolder);
}

void InstallStartUpHooks() {
  gDataHooks = {ShowDataError, ShowDataMessage, OrderLinkIsOpen};
  gChartHooks.saveSettingsP2 = SaveSettingsP2;
  gWindowHooks.onMainCommand = OnMainCommand;
  gWindowHooks.saveEverythingAtExit = SaveEverythingAtExit;
  gAnalysisHooks.trendLinesChanged = ShowTrendLineChange;
  gAnalysisHooks.evaluateMonitorLine = JudgeTrendLine;
  gAnalysisHooks.trendLinesRenumbered = MoveLineNotices;
  gPriceImportHooks.reloadCharts = ReloadChartsAfterImport;
  InstallScenarioHooks();
  InstallTrackerHooks();
  InstallMemoHooks();
  // Line monitoring places tracker orders through the order link.
  InstallOrderLinkHooks();
}

bool LoadEverythingAtStart() {
  ChooseDataFolder();
  return LoadChosenDataFolder();
}

bool LoadChosenDataFolder() {
  InitAppTexts();
  InstallStartUpHooks();
  if (MakeDataFolderCurrent() != 0) return false;
  // The daily reader falls back on the newest backup; nothing is made yet.
  SetBackupRootFolderAtStartup();
  if (!AllocateBigTables()) return false;
  ClearDailyWriteLeftovers();
  LoadPrinterSettings();
  LoadSettings();
  // No record dialog may start on a record of an earlier start.
  ClearEditedRecordPointer();
  // The settings name the signal file last used; it is the first data file read.
  LoadFirstSignalSettingsFile();
  if (!LoadStockTable()) return false;
  if (!LoadTrendLines()) return false;
  if (!LoadMemoFile()) return false;
  LoadKenFile();
  if (!LoadGroupsAtStartup()) return false;
  LoadScenarioTable();
  PutBackBreadthFilesOfADroppedMode();
  if (gTimeBackMode != 0) {
    LoadTradingCalendar();
    // The stored day may lie past the end of a calendar that has since shrunk.
    gTimeBackDayIndex = ClampTimeBackDayIndex(gTimeBackDayIndex, TimeBackCalendarCount());
  }
  // The breadth pane shows the stored ratios from the first paint on.
  return InitMarketBreadthAtStart();
}

void RunStartUpQuestions() {
  if (gAskRecomputeAtStart == 0 || !AskRecomputeAllIndicators()) return;
  ReloadAllChartSeries();
  InvalidateAllCharts();
}

// Changed daily files go back to disk only once the user has left the
// program alone for a while, one file per pass. With nothing to do the loop
// sleeps until input comes, so an idle program costs no processor time.
uint32_t RunIdleSteps(uint32_t now) {
  if (!IsInputIdleFor(now, kIdleFlushDelayMs)) return kIdleFlushDelayMs - (now - gLastInputTick);
  return FlushNextDirtyDailyCacheEntry() ? 1 : kIdleWaitForever;
}

void SaveEverythingAtExit() {
  MakeDataFolderCurrent();
  // The monthly backup must hold the latest bars.
  FlushDailyCache();
  RunMonthlyBackupAtExit();
  UnsavedFiles unsaved{};
  NoteExitSave(&unsaved, kPrinterSettingsFile, SavePrinterSettings());
  NoteExitSave(&unsaved, kScenarioFileName, SaveScenarioTable());
  NoteExitSave(&unsaved, kMemoFileName, SaveMemoFileAtExit());
  NoteExitSave(&unsaved, kTrendLineFileName, SaveTrendLinesAtExit());
  FlushDailyCache();
  // Time-back mode keeps its tables in files of their own.
  const bool timeBack = gTimeBackMode != 0;
  NoteExitSave(&unsaved, timeBack ? kTimeBackStockTableFileName : kStockTableFileName, SaveStockTable(0));
  NoteExitSave(&unsaved, timeBack ? kTimeBackGroupFileName : kGroupFileName, SaveGroupFile(0));
  NoteExitSave(&unsaved, kSettingsFileName, SaveMainSettings());
  NoteExitSave(&unsaved, kSettingsP2FileName, SaveSettingsP2());
  TellUnsavedFiles(unsaved);
}
