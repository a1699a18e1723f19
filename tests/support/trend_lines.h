#pragma once
// A trend line as the mouse code draws it: between two points, width 2,
// notice on, value label on the right, on the daily price pane.
#include "analysis/trend_line_store.h"

inline TrendLine TestTrendLine(uint32_t code, uint32_t date1, int32_t value1, uint32_t date2, int32_t value2) {
  return NewTrendLine(code, date1, value1, date2, value2);
}
