#pragma once
// What the analysis engine asks of the layers above it. The back-test layer
// installs its scenario runs at start-up; the main window installs the list
// refresh while it exists. A null member does nothing.
#include <cstdint>

#include "common/stock_code.h"

struct ChartSeriesSet;
struct ScenarioRecord;

struct AnalysisHooks {
  void (*simulateScenarios)(StockCode code, ChartSeriesSet* series);  // ends every indicator computation
  const ScenarioRecord* (*tableScenarios)();  // the 16 of the scenario table, read by the recomputation
  void (*refreshGroupLists)(int g);           // the chart lists showing group g, after its members changed

  // Trend lines. The monitoring judges a line at once (without a notice and
  // without an order when both flags are 0); the shell repaints the charts
  // and menus after a change; whoever keeps
  // line indexes hears where each line of a deletion went (-1: removed).
  void (*evaluateMonitorLine)(int index, int notify, int allowOrder);
  void (*trendLinesChanged)();
  void (*trendLinesRenumbered)(const int32_t* newIndexOfOld, int oldCount);
  // The order link, installed at start-up: an armed tracker step's order
  // (its number, 0 when none was placed) and the auto-order list's refill.
  int32_t (*placeTrackerOrder)(int lineIndex);
  void (*fillAutoOrderList)();
};

extern AnalysisHooks gAnalysisHooks;
