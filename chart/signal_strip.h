#pragma once
// The signal strip above a daily price pane, without a device: its four
// rows, which signal kinds fire at a bar and what position the back-test
// scenarios hold there.
#include <cstdint>
#include <vector>

#include "analysis/chart_series.h"
#include "chart/gdi_rules.h"
#include "common/stock_code.h"
#include "records/price_series.h"

constexpr int kStripRowCount = 4;
constexpr int kStripRowHeight = 4;
constexpr int kStripRowPitch = 5;
constexpr int kStripFirstRowOffset = 2;  // below the top of the full plot

struct StripRow {
  int kind;  // SignalKind
  int backgroundSlot;
  int markSlot;
  bool markDown;  // sell rows point down
  int heldSlot;
  int exitSlot;
  int lossCutSlot;
};
// Rows top to bottom: long-term sell, short-term sell, short-term buy, long-term buy.
const StripRow& GetStripRow(int row);

// What ScenarioStateAtBar answers besides 0 (no position) and the held
// states -99 and -6..-1 of the marks.
constexpr int kScenarioHeldMark = -99;
constexpr int kScenarioClosedByExit = -7;
constexpr int kScenarioClosedByLossCut = -8;

// The position of the scenarios whose entry signal is of `kind` at the bar:
// first those of the loaded signal file, then those of the scenario table.
// A bar where one of them was closed by an exit or a loss-cut signal answers
// at once; otherwise the last held state of a mark, 0 when none holds.
int ScenarioStateAtBar(const ChartSeriesSet& context, int bar, int kind);

// The scenarios of each strip kind (1..4) with marks, found once for a paint:
// the strip asks for the state of every bar and row.
struct StripScenarios {
  struct Entry {
    const ScenarioMarkBuffer* marks;
    bool ofFile;  // its closing marks name the file's definitions, else the groups
  };
  int32_t counts[kStripRowCount];  // by kind - 1
  Entry entries[kStripRowCount][2 * kScenarioSlots];
};
void FindStripScenarios(const ChartSeriesSet& context, StripScenarios* out);
// ScenarioStateAtBar of a strip kind through them.
int GetStripScenarioState(const StripScenarios& scenarios, int bar, int kind);

// Bit (kind - 1) for each of kinds 1..4 with a group or signal definition of
// that kind holding at the daily bar (CountSignalMatchesAtBar above 0).
uint8_t SignalKindsAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar);

// The kinds of every bar, worked out once per load: a repaint would
// otherwise test every group and definition at every bar shown.
struct SignalStripCache {
  std::vector<uint8_t> source;  // what the kinds were worked out from, byte for byte; empty: nothing kept
  uint8_t kinds[kMaxBars];      // SignalKindsAtBar | kStripKindsKnown
};
constexpr uint8_t kStripKindsKnown = 0x80;

// Empties the cache when the stock, its daily bars, the indicator parameters,
// the signal file or the signal groups' conditions differ from what it was
// filled from.
void PrepareSignalStripCache(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context);
// Empties the cache: the next paint works every kind out anew.
void ForgetSignalStripKinds(SignalStripCache* cache);
// SignalKindsAtBar through a prepared cache.
uint8_t GetCachedSignalKinds(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context, int dailyBar);

// One row of the strip as pixels, composed in memory and drawn at once: a
// strip with a mark on most of its cells would cost far more drawn cell by cell.
struct StripBand {
  int32_t left;  // x of the first column
  int32_t width;
  std::vector<uint32_t> pixels;  // kStripRowHeight rows of `width`, the top row first
};
void ResetStripBand(StripBand* band, int left, int width, uint32_t background);
// A cell of the band (x as on the chart, y 0..kStripRowHeight) filled, or a
// filled triangle with the corners of a triangle mark; clipped to the band.
void FillStripCell(StripBand* band, const Rect& cell, uint32_t pixel);
void FillStripTriangle(StripBand* band, const Rect& cell, bool down, uint32_t pixel);

// A triangle mark's rows as offsets from its cell's left edge, worked out
// once for the cells of a paint: they are alike wherever a cell starts
// right of x = 0.
struct StripTriangle {
  int32_t cellWidth;
  bool down;
  int32_t lo[kStripRowHeight], hi[kStripRowHeight];  // per row as shown; lo > hi: none
};
void MakeStripTriangle(int cellWidth, bool down, StripTriangle* out);
// FillStripTriangle through a made triangle of the cell's width.
void FillMadeStripTriangle(StripBand* band, const StripTriangle& triangle, const Rect& cell, uint32_t pixel);
