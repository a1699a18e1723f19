#include "tests/support/global_state.h"

#include <array>
#include <cstring>
#include <memory>
#include <type_traits>

#include "analysis/analysis_hooks.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "analysis/position_tracker.h"
#include "analysis/price_import.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "analysis/series_buffers.h"
#include "analysis/signal_settings.h"
#include "chart/chart_context.h"
#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "data/backup_paths.h"
#include "data/backups.h"
#include "data/daily_cache.h"
#include "data/data_hooks.h"
#include "data/ken_table.h"
#include "data/price_archives.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"
#include "net/online_services.h"
#include "net/order_link.h"
#include "records/printer_settings.h"
#include "sheets/scenarios.h"
#include "sheets/sheet_services.h"
#include "shell/commands.h"
#include "shell/price_update.h"
#include "shell/settings.h"
#include "window/blink_timers.h"
#include "window/drag_modes.h"
#include "window/time_back_mode.h"
#include "chart/line_dragging.h"
#include "chart/trend_line_mouse.h"
#include "window/window_hooks.h"

// Byte copies: every kept global is plain data (arrays and hook structs of
// function pointers included).
template <typename T>
void ScopedGlobalState::Keep(T& global) {
  static_assert(std::is_trivially_copyable_v<T>, "kept globals are plain data");
  auto saved = std::make_shared<std::vector<unsigned char>>(sizeof global);
  std::memcpy(saved->data(), &global, sizeof global);
  restore_.push_back([&global, saved] { std::memcpy(&global, saved->data(), sizeof global); });
}

void ScopedGlobalState::KeepAtomic(std::atomic<int>& global) {
  const int saved = global.load();
  restore_.push_back([&global, saved] { global.store(saved); });
}

ScopedGlobalState::ScopedGlobalState(TestStart start) {
  Keep(gSettings), Keep(gSettingsP2), Keep(gDefaultSettings), Keep(gSettingsEdit);
  Keep(gSelectedChart), Keep(gSelectedPane), Keep(gCursorBar), Keep(gDragMode), Keep(gBlinkPhase);
  Keep(gCrossHairChart), Keep(gCrossHairPane), Keep(gCrossHairBar), Keep(gCrossHairX), Keep(gCrossHairY);
  Keep(gCursorValue), Keep(gCursorLineDrawn), Keep(gCrossHairRects), Keep(gCrossHairRectCount);
  Keep(gDataHooks), Keep(gAnalysisHooks), Keep(gChartHooks), Keep(gWindowHooks), Keep(gTimeBackHooks);
  Keep(gPatternCarryView), Keep(gPatternCarryValid), Keep(gPatternMenuSource);
  Keep(gChartTextWidth), Keep(gChartTextWidthContext), Keep(gFixedFontHeight), Keep(gDetailWindowRect);
  Keep(gTrendLineFullRange), Keep(gDetailListArea), Keep(gMainClientWidth);
  Keep(gForecastState), Keep(gForecastBarCount), Keep(gForecastLastBar), Keep(gForecastCarry);
  Keep(gDailyCacheMemoryStatus);
  Keep(gMainWnd), Keep(gDataFolder), Keep(gLastInputTick), Keep(gBackupRootFolder), Keep(gGetDocumentsFolder);
  Keep(gUndoKind), Keep(gTrendLineBeingDrawn);
  Keep(gMemoHooks), Keep(gUndoMemo), Keep(gMemoTextHeight);
  Keep(gPriceUpdateRunning), Keep(gStockTableRebuilt), Keep(gSignalSettings), Keep(gSignalSettingsImage);
  Keep(gScenarioTable), Keep(gScenarioFileKeptBy), Keep(gSettingsFileKeptBy), Keep(gSettingsP2FileKeptBy);
  Keep(gPrinterFileKeptBy);
  Keep(gProgressDlg), KeepAtomic(gProgressCancelled), KeepAtomic(gProgressAbortRequested);
  Keep(gComputeNeededOnly), Keep(gNeededPeriods), Keep(gNeededSeries), Keep(gGroupEditBusy), Keep(gEditedRecord);
  Keep(gTradeMarkShown), Keep(gTradeMarkCode), Keep(gTradeMarkDate1), Keep(gTradeMarkPrice1);
  Keep(gTradeMarkDate2), Keep(gTradeMarkPrice2), Keep(gOrderLinkOpen), Keep(gUpdateReady);
  Keep(gRealTimeRunning), Keep(gPastPriceRunning), Keep(gBrokerLoginFailed), Keep(gNewestQuoteDate);
  Keep(gQuoteStockCounts), Keep(gQuoteLastSeenIndexes), Keep(gQuoteCompanionRunning);
  // The price update's services.
  Keep(gPriceUpdateServices);
  for (ChartContext& context : gChartContexts) Keep(context.geometry);
  // Trend lines under the mouse.
  Keep(gLineDrag), Keep(gNewTrendLineMode), Keep(gRubberBandLine), Keep(gHighlightedTrendLine);
  // The averaging-down tracker.
  Keep(gTrackerHooks), Keep(gPellomaticSummary), Keep(gAutoOrderEnabled);
  // Line monitoring and the tracker orders it places.
  Keep(gLastOrderOutcome), Keep(gAutoOrderStatusDlg), Keep(gTrackerOrderCalls);
  Keep(gLastTrackerOrder), Keep(gLastTrackerOrderNumber), Keep(gAutoOrderListFills);
  // Price imports.
  Keep(gPriceImportHooks), Keep(gPriceDiscHooks), Keep(gPriceRowsToday);

  // Stores that did not exist yet are the test's own.
  const bool hadCache = gDailyCache != nullptr, hadKen = gKenTable != nullptr, hadGroups = gGroupTable != nullptr;
  const bool hadLines = gTrendLines != nullptr;
  const bool hadMemos = gMemos.header != nullptr;
  const int selectedLine = gSelectedTrendLine;
  const bool hadScratch = gMainScratch.ints[0] != nullptr;
  ChartContext* const contexts[] = {&gChartContexts[0], &gChartContexts[1], &gChartContexts[2], &gSharedChartContext};
  std::array<bool, 4> hadContext{};
  for (size_t i = 0; i < hadContext.size(); ++i) hadContext[i] = contexts[i]->periods[0].bars != nullptr;
  const int stockCount = gStockTable != nullptr ? gStockTable->count : 0;
  restore_.push_back([=] {
    if (hadContext == std::array<bool, 4>{}) FreeAllChartContexts();
    for (size_t i = 0; i < hadContext.size(); ++i)
      if (!hadContext[i]) FreeChartContextBuffers(contexts[i]);
    if (!hadScratch) FreeKernelScratchSet(&gMainScratch);
    if (!hadCache) DestroyDailyCache();
    if (!hadGroups) FreeGroupTables();
    if (!hadLines) FreeTrendLineTables();
    if (!hadMemos) FreeMemoTable(&gMemos);
    gSelectedTrendLine = selectedLine;
    if (!hadKen) {
      FreeBlock(gKenTable);
      gKenTable = nullptr;
    }
    if (gStockTable != nullptr) gStockTable->count = stockCount;
    ResetStockLookupCache();
  });

  if (start == TestStart::kDefaults) {
    InitAppTexts();
    SetDefaultSettings();
  }
}

ScopedGlobalState::~ScopedGlobalState() {
  for (auto it = restore_.rbegin(); it != restore_.rend(); ++it) (*it)();
}
