#pragma once
// What the volume and indicator panes (kPaneVolume..kPaneAdvanceDecline) draw, worked out without
// a device: value labels and their places, fixed levels, the lines of each
// kind with their first bars, volume bars and the points of a line.
#include <cstdint>

#include "analysis/indicator_params.h"
#include "analysis/series_buffers.h"
#include "chart/chart_context.h"
#include "chart/chart_text.h"
#include "chart/gdi_rules.h"
#include "chart/pane_pixels.h"
#include "common/number_text.h"

constexpr int kPaneLabelTextSize = 24;  // "-2,147,483,648" or "2,147百万" and the end
constexpr int kMaxPaneDivisions = 11;
constexpr int kMaxPaneLevels = 5;
constexpr int kMaxPaneLines = 3;
constexpr int kLabelRightInset = 4;   // labels end this far left of the scale's right edge
constexpr int kLabelEdgeMargin = 2;   // and stay this far inside its top and bottom
constexpr int kVolumeLabelInset = 6;  // volume texts must fit the scale width less this
constexpr int kPercentDivisor = 100;

// One value label of a pane scale, with the dotted line drawn at its y.
struct PaneLabel {
  int32_t y;
  Rect rect;       // where the text goes, right-aligned
  bool textShown;  // false: only the line (or nothing) at this place
  bool lineShown;  // dotted line at y
  char text[kPaneLabelTextSize];
};

// One indicator line of a pane.
struct PaneLine {
  int series;  // integer series slot
  int colorSlot;
  int firstIndex;  // the first bar drawn
  int flagBit;     // drawn only with this pane flag bit; -1: always
};

// What a pane kind draws besides its lines.
struct PaneScaleRule {
  int divisions;   // labels of DrawPaneScaleDivisions; 0: none
  int levelCount;  // fixed levels
  int32_t levels[kMaxPaneLevels - 1];
  bool maxLevel;  // the pane's maximum is a level too
};

// Scale rule of the oscillator kinds kPaneRsi..kPaneAdvanceDecline (zeroed for others).
PaneScaleRule GetPaneScaleRule(int kind);
// Lines of kinds kPaneVolume..kPaneAdvanceDecline with their first bars from the period's parameters;
// returns the count (0 for other kinds).
int GetPaneLines(int kind, const IndicatorParameterSet& params, PaneLine lines[kMaxPaneLines]);
// Whether a line is drawn with the pane's flag word.
bool IsPaneLineShown(const PaneLine& line, uint32_t paneFlags);

// The fixed levels of a kind that lie within the pane's range, lowest first
// as listed; the maximum of the volume-ratio pane only when not already one.
int GetPaneLevelsInRange(int kind, const PaneRecord& pane, int32_t levels[kMaxPaneLevels]);

int PlotHeight(const PaneRecord& pane);
// y of a line point: one above the value's row, never above top + 1.
int IndicatorPointY(const PaneRecord& pane, int32_t value);
// The same with the pane's linear scale taken once for a whole line.
struct IndicatorLineScale {
  PaneValueScale scale;
  int32_t top;
};
IndicatorLineScale PrepareIndicatorLineScale(const PaneRecord& pane);
// The offset is already within +-kPixelOffsetLimit: truncating it is all.
inline int IndicatorLineY(const IndicatorLineScale& line, int32_t value) {
  const int y = line.scale.bottom - static_cast<int>(ScaledLinearOffset(line.scale, value)) - 1;
  return y <= line.top ? line.top + 1 : y;
}
// y of a fixed level line.
int LevelLineY(const PaneRecord& pane, int32_t value);

// The label rectangle at y: the scale column less its right inset, T high,
// kept 2 pixels inside the column's top and bottom.
Rect PaneLabelRect(const Rect& scale, int y, int textHeight);

// Hundredths rounded half away from zero, or whole units of the divisor.
void FormatDivisionValue(double value, int divisor, char* out);
void FormatLevelValue(int32_t value, int divisor, char* out);

// n labels from the pane's minimum to its maximum, equally spaced; with an
// odd n on a pane lower than n caption heights, only every second text.
// Returns the count (0 for n below 2).
int BuildScaleDivisions(const PaneRecord& pane, int n, int divisor, int textHeight, int captionHeight,
                        PaneLabel labels[kMaxPaneDivisions]);
PaneLabel BuildLevelLabel(const PaneRecord& pane, int32_t value, int divisor, int textHeight);

// Volume pane: 11, 5, 3 or 2 labels by the plot height and the text height.
int VolumeLabelCount(int plotHeight, int textHeight);
// Its labels, texts in thousands or millions when they do not fit the scale.
int BuildVolumeDivisions(const PaneRecord& pane, int textHeight, TextWidthFn measure, void* measureContext,
                         PaneLabel labels[kMaxPaneDivisions]);

// A volume bar of width w from the bottom; at least one pixel high.
Rect VolumeBarRect(const PaneRecord& pane, int x, int barWidth, int32_t volume);
// The same on the pane's linear scale taken once for all its bars.
Rect VolumeBarRect(const PaneValueScale& linear, int x, int barWidth, int32_t volume);

// Points of a line from the last bar down to max(first, firstIndex), bars
// at or beyond the series count left out; bars[k] is the bar of points[k]
// (bars may be null). Returns the count (at most `capacity`).
int BuildIntSeriesPoints(const PaneRecord& pane, int barSpacing, const IntSeries& series, int first, int last,
                         int firstIndex, PixelPoint* points, int* bars, int capacity);
