#pragma once
// The rows of the detail list and the detail window: the numbers behind one
// pane of a chart at one bar, as label and value texts with their colours,
// followed by the signals and scenario states of that bar.
#include <cstdint>

#include "chart/chart_context.h"
#include "common/number_text.h"
#include "records/settings_block.h"

constexpr int kMaxDetailRows = 32;
constexpr int kDetailTextSize = 66;  // a 64-byte name and its end fit

struct DetailRow {
  char label[kDetailTextSize];  // Shift-JIS
  char value[kDetailTextSize];
  int colorSlot;   // palette slot of the row's text
  bool markLabel;  // a signal's mark: in a narrow column its name gives way, not the mark
};

struct DetailRows {
  int count;  // 0..kMaxDetailRows; rows past the last are dropped
  DetailRow rows[kMaxDetailRows];
  char caption[kDetailTextSize];  // the list's date line
  int paneKind;                   // -1 when nothing was built
};

// What one pane's rows are built from.
struct DetailSource {
  const ChartView* view;
  const ChartSeriesSet* context;
  int pane;
  int bar;
  bool forWindow;  // the date line stays the first row, and a separator precedes the cursor row
  bool cursorRow;  // the "★指示値" row: always in the window, in the list only in the cross-hair's pane
  int32_t cursorValue;
  int forecastBars;  // drawn forecast bars at the end of the view's series
};

void BuildDetailRows(const DetailSource& source, DetailRows* out);

// The rows of chart `chart` of the current pattern as the window or list
// shows them; a chart below 0 means the selected chart and pane at its last
// bar. False when there is no such chart (the rows are then empty).
bool BuildChartDetailRows(int chart, int pane, int bar, bool forWindow, DetailRows* out);

// The state text of a scenario mark ("ホールド中", "本日利食い", ...), or of
// the kind of the signal that closed the position (kinds 5..8); null when
// the mark makes no row.
const char* ScenarioStateText(int mark, int closingKind);

// The window's client size: the widest label and value with 10 pixels
// between them, the rows one above the other, 4 pixels round them.
struct DetailSize {
  int width, height;
};
DetailSize MeasureDetailRows(const DetailRows& rows, TextWidthFn measure, void* context, int textHeight);

// How many of `count` rows a pane of `height` pixels shows: the rows start
// `inset` below its top, one `lineHeight` apart, and one that would reach the
// pane's bottom frame line is left out with every row after it.
int CountDetailRowsFitting(int count, int height, int lineHeight, int inset);

// The bytes of a row's label and value shown in `width` pixels with at least
// `gap` pixels between them: both whole when they fit; else a signal's mark
// stays whole and its name is cut, and any other row keeps its value whole
// and cuts its label, always after a whole character.
struct DetailRowFit {
  int labelBytes, valueBytes;
};
DetailRowFit FitDetailRow(const DetailRow& row, int width, int gap, TextWidthFn measure, void* context);

// Value texts: hundredths as "%d.%02d" ("-0.05" keeps its sign) and one
// decimal truncated after the integer part with separators.
void FormatDetailHundredths(int32_t value, char* out);
void FormatDetailOneDecimal(double value, char* out);
