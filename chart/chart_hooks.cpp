#include "chart/chart_hooks.h"

ChartHooks gChartHooks = {};

void ClearChartWindowHooks() {
  ChartHooks kept{};
  kept.saveSettingsP2 = gChartHooks.saveSettingsP2;
  gChartHooks = kept;
}
