#pragma once
// Screen patterns (F1..F12) and the chart views they hold. The twelve patterns
// live inside the settings block ("velqo.dat").
#include <cstddef>
#include <cstdint>

#include "records/screen_pattern_record.h"

// The view a switch carries over into the next pattern (set once, kept from then on).
extern ChartView gPatternCarryView;
extern int gPatternCarryValid;
// Source of the pattern copy commands (set by the pattern popup).
extern int gPatternMenuSource;

// Fills the twelve patterns with the defaults and selects the first.
void SetDefaultScreenPatterns();
// The current pattern; an out-of-range index is brought back to 0 first.
ScreenPattern& CurrentScreenPattern();
// The charts the current pattern shows: its chart count brought into 0..3.
int ShownChartCount();
// "ヴェルクォラ22　－　<name of the current pattern>".
void FormatMainWindowTitle(char* out, int size);

// Brings values of older versions up to date (codes below 10000 become "%04d"
// codes, a right margin of 0 becomes 32, flags 0 or 1, pane flags without a
// meaning are dropped) and checks every field used as an index, size or
// place. With `repair`, bad fields get their defaults; a bad pane count
// gives the default panes. True when nothing was out of range.
bool ValidateChartView(ChartView& view, bool repair);
// The same for pattern `number` (0..11): its chart count, its name (Shift-JIS
// text with its end; else the pattern's default name) and all three views.
bool ValidateScreenPattern(ScreenPattern& pattern, int number, bool repair);
// Relative pane heights of 0 or above kMaxPaneHeight become the default height.
void BringPaneHeightsIntoRange(uint16_t* heights, int count);

// Makes pattern n (0..11) current and loads its charts; the pattern already
// shown only with `force`. 1 when it switched, 0 when nothing was done.
int SwitchScreenPattern(int n, int force);
// Copies the chart count and views of gPatternMenuSource onto pattern n (the
// name stays) and shows it. 1 when done.
int CopyScreenPattern(int n);
