#pragma once
// A chart context that owns its buffers, shared by the chart tests.
#include <cstdlib>

#include "chart/chart_context.h"

struct OwnedContext {
  ChartContext context{};
  OwnedContext() {
    if (!AllocChartContextBuffers(&context)) std::abort();
  }
  ~OwnedContext() { FreeChartContextBuffers(&context); }
  OwnedContext(const OwnedContext&) = delete;
  OwnedContext& operator=(const OwnedContext&) = delete;
};
