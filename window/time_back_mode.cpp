#include "window/time_back_mode.h"

#include <algorithm>
#include <cstdio>

#include "analysis/group_store.h"
#include "analysis/indicator_refresh.h"
#include "analysis/line_monitoring.h"
#include "analysis/market_breadth.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_hooks.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/data_hooks.h"
#include "data/stock_table.h"
#include "data/trading_calendar.h"
#include "net/online_services.h"
#include "records/settings_block.h"
#include "records/table_limits.h"
#include "window/window_hooks.h"

TimeBackHooks gTimeBackHooks = {};

namespace {

constexpr const char* kBreadthFiles[] = {"adr_d.dat", "adr_w.dat", "adr_m.dat"};
constexpr char kLiveCopySuffix[] = ".live";  // the live breadth file while the mode may rewrite it
constexpr uint32_t kBreadthFileBytes = sizeof(MarketBreadthSeries);
constexpr char kStockSaveFailedText[] =
    "銘柄データ（stock.dat）を保存できなかったので、タイムバックモードに入りません。";
constexpr char kGroupSaveFailedText[] =
    "グループデータ（grp.dat）を保存できなかったので、タイムバックモードに入りません。";
constexpr char kBreadthKeepFailedText[] =
    "騰落レシオのファイルを控えられなかったので、タイムバックモードに入りません。";

void SetWaitCursor(bool wait) {
  if (gTimeBackHooks.setWaitCursor != nullptr) gTimeBackHooks.setWaitCursor(wait);
}

void RefreshMenus() { UpdateMainMenuStates(); }

void LayoutCharts() {
  if (gChartHooks.layoutCharts != nullptr) gChartHooks.layoutCharts();
}

void TellRefusal(const char* text, int error) {
  char message[256];
  snprintf(message, sizeof message, "%s\n(%d)", text, error);
  ReportDataMessage(message, gAppTitle, kMbOk | kMbIconExclamation);
}

// The live feeds would write today's bars into series the mode cuts, and the
// past-price worker would store whole series read while they are cut.
void StopLiveFeeds() {
  if (gOrderLinkOn != 0) OrderLinkToggle();
  if (gRealTimeReceiveOn != 0) BrokerToggleRealTimeReceive();
  if (gRealTimeRunning != 0) BrokerStopRealTimeReceive();
  if (gPastPriceRunning != 0) BrokerStopPastPriceFetch();
}

// Many changed series are written now, under the progress dialog, rather
// than one by one while the user steps through the days.
bool FlushCacheOnEntry() {
  if (CountDirtyDailyCacheEntries() < kFlushedCacheEntriesOnEntry) return true;
  BeginProgress(gMainWnd, 0, kStrAppTitle, 1);
  const bool written = FlushAndFreeDailyCache();
  EndProgress();
  return written;
}

void LiveCopyName(const char* file, char* out, size_t size) { snprintf(out, size, "%s%s", file, kLiveCopySuffix); }

// A recomputation in the mode rewrites the breadth files from cut series:
// each is copied aside on entry (empty for a missing one) and put back on
// leaving. The mode is off here, so a copy left from before is stale.
int KeepBreadthFilesAside() {
  static MarketBreadthSeries image;
  for (const char* file : kBreadthFiles) {
    char copy[64];
    LiveCopyName(file, copy, sizeof copy);
    uint32_t read = 0;
    const bool present = GetFileSizeByName(file) >= 0;
    if (present) {
      const int error = LoadFileToBufferEx(file, &image, kBreadthFileBytes, &read);
      if (error != 0) return error;
    }
    const int error = SaveBufferToFile(copy, &image, read);
    if (error != 0) return error;
  }
  return 0;
}

bool PutBreadthFilesBack() {
  bool changed = false;
  for (const char* file : kBreadthFiles) {
    char copy[64];
    LiveCopyName(file, copy, sizeof copy);
    const int64_t size = GetFileSizeByName(copy);
    if (size < 0) continue;
    if (size == 0) {
      PlatformDeleteFile(file);
      PlatformDeleteFile(copy);
    } else {
      PlatformReplaceFile(copy, file);
    }
    changed = true;
  }
  return changed;
}

}  // namespace

void PutBackBreadthFilesOfADroppedMode() {
  if (gTimeBackMode == 0) PutBreadthFilesBack();
}

namespace {

void SetEveryLastDate(PackedDate date) {
  const int count = StockTableCount();
  for (int i = 0; i < count; ++i) {
    gStockTable->records[i].lastDate = date;
    gStockTable->records[i].liveTime = kLiveTimeFinished;
  }
}

void MarkEveryDayFinished() {
  const int count = StockTableCount();
  for (int i = 0; i < count; ++i) gStockTable->records[i].liveTime = kLiveTimeFinished;
}

// "tline.dat" is shared with the live data: its reached flags go back to
// those of the live bars, without notices or orders.
void JudgeEveryLineSilently() {
  if (gTrendLines == nullptr) return;
  const int count = std::clamp(gTrendLines->count, 0, kMaxTrendLines);
  for (int i = 0; i < count; ++i) {
    if (gTrendLines->lines[i].monitorKind != kMonitorNone) EvaluateMonitorLine(i, false, false);
  }
}

// Without the main window there are no charts to load.
void ReloadCharts() {
  if (gMainWnd != nullptr) ReloadChartsForNewBars();
}

void ReloadLiveTables() {
  gTimeBackMode = 0;
  gRecomputeNeeded = gSavedRecomputeNeeded;
  gGroupsDirty = gSavedGroupsDirty;
  // The start-up readers: a damaged or missing file is set aside or rebuilt,
  // and they raise the recompute flags when they must.
  LoadStockTable();
  LoadGroupsAtStartup();
  if (PutBreadthFilesBack() && gBreadthIndexBars[0] != nullptr) InitMarketBreadth();
  JudgeEveryLineSilently();
}

}  // namespace

int TimeBackCalendarCount() {
  if (gTradingCalendar == nullptr) return 0;
  return std::clamp(gTradingCalendar->count, 0, kMaxBars);
}

int ClampTimeBackDayIndex(int index, int count) {
  if (count <= 0) return index;
  return index < 0 || index >= count ? count - 1 : index;
}

int CurrentTimeBackDayIndex() {
  const int count = TimeBackCalendarCount();
  return count > 0 ? ClampTimeBackDayIndex(gTimeBackDayIndex, count) : 0;
}

bool EnterTimeBackMode() {
  if (gTimeBackMode != 0) return true;
  SetWaitCursor(true);
  MakeDataFolderCurrent();
  StopLiveFeeds();
  bool entered = false;
  int error = 0;
  if (!FlushCacheOnEntry()) {
    // The flush has told what it could not write.
  } else if ((error = SaveStockTable(1)) != 0) {
    TellRefusal(kStockSaveFailedText, error);
  } else if ((error = SaveGroupFile(1)) != 0) {
    TellRefusal(kGroupSaveFailedText, error);
  } else if ((error = KeepBreadthFilesAside()) != 0) {
    TellRefusal(kBreadthKeepFailedText, error);
  } else {
    entered = true;
  }
  if (!entered) {
    SetWaitCursor(false);
    RefreshMenus();
    return false;
  }
  MarkEveryDayFinished();
  gSavedRecomputeNeeded = gRecomputeNeeded;
  gSavedGroupsDirty = gGroupsDirty;
  LoadTradingCalendar();
  const int count = TimeBackCalendarCount();
  gTimeBackDayIndex = count - 1;
  // The charts' captions show the chosen day from the first moment, as after a step.
  if (count > 0) SetEveryLastDate(gTradingCalendar->bars[count - 1].date);
  gTimeBackComputedDate = gRecomputeNeeded == 0 && count > 0 ? gTradingCalendar->bars[count - 1].date : 0;
  gTimeBackMode = 1;
  if (gTimeBackHooks.showWindow != nullptr) gTimeBackHooks.showWindow();
  RefreshMenus();
  LayoutCharts();
  SetWaitCursor(false);
  return true;
}

bool LeaveTimeBackMode(bool fromWindow) {
  if (gTimeBackMode == 0) return true;
  SetWaitCursor(true);
  MakeDataFolderCurrent();
  // The tables are read again: a cache slot belongs to a table index, and a
  // series changed in the mode must reach its file before that.
  if (!FlushAndFreeDailyCache()) {
    SetWaitCursor(false);
    if (fromWindow && gTimeBackHooks.showWindow != nullptr) gTimeBackHooks.showWindow();
    return false;
  }
  if (!fromWindow && gTimeBackHooks.hideWindow != nullptr) gTimeBackHooks.hideWindow();
  ReloadLiveTables();
  ReloadCharts();
  // Names and members edited in the mode went with its table.
  if (gTimeBackHooks.showLiveGroups != nullptr) gTimeBackHooks.showLiveGroups();
  RefreshMenus();
  LayoutCharts();
  if (gTimeBackHooks.refreshDetails != nullptr) gTimeBackHooks.refreshDetails();
  SetWaitCursor(false);
  return true;
}

void ToggleTimeBackMode() {
  if (gTimeBackMode == 0) {
    EnterTimeBackMode();
  } else {
    LeaveTimeBackMode(false);
  }
}

bool MoveTimeBackDay(int index) {
  const int count = TimeBackCalendarCount();
  if (gTimeBackMode == 0 || count == 0) return false;
  const int from = CurrentTimeBackDayIndex();
  const int to = std::clamp(index, 0, count - 1);
  if (to == from && gTimeBackDayIndex == from) return false;
  gTimeBackDayIndex = to;
  const PackedDate date = gTradingCalendar->bars[to].date;
  SetEveryLastDate(date);
  gRecomputeNeeded = date != gTimeBackComputedDate ? 1 : 0;
  if (to != from) {
    // A forecast drawn for the next day becomes that day's bar only on a step of one day forward.
    gForecastCarry = to == from + 1 ? 1 : 0;
    ReloadCharts();
    gForecastCarry = 0;
  }
  if (gTimeBackHooks.updateWindow != nullptr) gTimeBackHooks.updateWindow();
  RefreshMenus();
  if (gTimeBackHooks.refreshDetails != nullptr) gTimeBackHooks.refreshDetails();
  return to != from;
}

void StepTimeBackDayBackward() { MoveTimeBackDay(CurrentTimeBackDayIndex() - 1); }

void StepTimeBackDayForward() { MoveTimeBackDay(CurrentTimeBackDayIndex() + 1); }

void RecomputeInTimeBackMode() {
  if (gTimeBackMode == 0) return;
  RecomputeIndicatorsAndGroups();
  ReloadCharts();
  RefreshMenus();
  EvaluateAllMonitorLines();
  if (gTimeBackHooks.updateWindow != nullptr) gTimeBackHooks.updateWindow();
}
