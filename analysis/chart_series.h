#pragma once
// A stock's bars in three periods, every indicator series computed from them
// and the marks of the scenario runs: what the indicator engine fills for a
// chart, the live-quote recomputation and every recomputation worker.
#include <cstdint>

#include "analysis/series_buffers.h"
#include "common/stock_code.h"
#include "records/scenario_record.h"

constexpr int kPeriodCount = 3;  // daily, weekly, monthly

// One mark per bar: -99 and -8..-1 while a position is held, -98 or 0 for
// none, and on a closing bar the index (1 or more) of the closing signal.
struct ScenarioMarkBuffer {
  uint32_t count;  // the chart's bar count, never above kMaxBars
  int8_t marks[kMaxBars];
};
static_assert(sizeof(ScenarioMarkBuffer) == 5124, "ScenarioMarkBuffer is 5124 bytes");
// A closing bar names its signal definition (file scenarios) or group (table
// scenarios) by index + 1, since a mark of 0 means no position.
constexpr int8_t ClosingMarkOfSignal(int index) { return static_cast<int8_t>(index + 1); }
constexpr int SignalOfClosingMark(int mark) { return mark - 1; }

struct ChartSeriesSet {
  PeriodSeriesBlock periods[kPeriodCount];
  ScenarioMarkBuffer* fileMarks[kScenarioSlots];   // scenarios of the signal file
  ScenarioMarkBuffer* tableMarks[kScenarioSlots];  // scenarios of the scenario table
  IntSeries* fileValues[kScenarioSlots];
  IntSeries* tableValues[kScenarioSlots];
};

// Allocates every buffer of a context whose pointers are null, zero-filled;
// false when memory is short, with nothing left allocated.
bool AllocChartContextBuffers(ChartSeriesSet* context);
// Frees every buffer; the pointers become null. Safe on a partly allocated context.
void FreeChartContextBuffers(ChartSeriesSet* context);
