#include "chart/chart_context.h"

ChartContext gChartContexts[3] = {};
ChartContext gSharedChartContext = {};
