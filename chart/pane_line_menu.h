#pragma once
// The line switches of the pane pop-up menu: one item per flag bit that the
// pane's kind reads, named as its caption names the line, with its period in
// the chart's unit, and checked while the bit is set. Item k toggles its bit
// through the pane-flag command IDM_PANE_FLAG_FIRST + bit.
#include <cstdint>

#include "records/indicator_parameter_set.h"

constexpr int kMaxPaneLineItems = 14;  // the candle pane's
constexpr int kPaneLineTextSize = 48;

struct PaneLineItem {
  int bit;
  bool checked;
  char text[kPaneLineTextSize];  // Shift-JIS
};

struct PaneLineItems {
  int count;  // 0 for kinds whose lines are not switched
  PaneLineItem items[kMaxPaneLineItems];
};

// The items of a pane of `paneKind` in a chart of `period` (0 daily, 1
// weekly, 2 monthly), periods taken from `params`, checks from `flags`.
void BuildPaneLineItems(int paneKind, int period, uint32_t flags, const IndicatorParameterSet& params,
                        PaneLineItems* out);
