#include "chart/chart_hooks.h"

ChartHooks gChartHooks = {};
