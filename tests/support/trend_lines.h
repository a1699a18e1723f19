#pragma once
// A trend line as the mouse code draws it: between two points, width 2,
// notice on, value label on the right, on the daily price pane.
#include "records/trend_line_record.h"

inline TrendLine TestTrendLine(uint32_t code, uint32_t date1, int32_t value1, uint32_t date2, int32_t value2) {
  TrendLine line{};
  line.code = code;
  line.date1 = date1;
  line.value1 = value1;
  line.date2 = date2;
  line.value2 = value2;
  line.width = 2;
  line.notifyWhenReached = 1;
  line.labelSide = kLabelRight;
  return line;
}
