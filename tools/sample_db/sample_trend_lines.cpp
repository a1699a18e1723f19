#include "tools/sample_db/sample_trend_lines.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "analysis/trend_line_store.h"
#include "common/app_globals.h"
#include "common/packed_date.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "records/price_series.h"
#include "records/screen_pattern_record.h"

namespace {

constexpr int kFirstStock = 4;    // after the four market indices
constexpr int kLookBack = 120;    // bars the lines are drawn over
constexpr int kRsiFloor = 3000;   // 30.00
constexpr int kDateLineDays = 5;  // the date line stands a week ahead
constexpr int kMinimumBars = kLookBack + 2;

TrendLine NewLine(StockCode code, PackedDate date1, int32_t value1, PackedDate date2, int32_t value2) {
  TrendLine line = NewTrendLine(code, date1, value1, date2, value2);
  line.watchedLines = 1;
  return line;
}

// The bar of the lowest low (or highest high) among bars first..last.
int ExtremeBar(const BarSeries& bars, int first, int last, bool lowest) {
  int best = first;
  for (int i = first; i <= last; ++i) {
    const PriceBar& bar = bars.bars[i];
    if (lowest ? bar.low < bars.bars[best].low : bar.high > bars.bars[best].high) best = i;
  }
  return best;
}

void Add(const TrendLine& line) {
  if (gTrendLines->count < kMaxTrendLines) gTrendLines->lines[gTrendLines->count++] = line;
}

// A support line under two lows, watched as a lower limit, and a resistance
// line at the recent high, watched as an upper limit.
void AddPriceLines(StockCode code, const BarSeries& bars) {
  const int last = bars.count - 1;
  const int first = last - kLookBack;
  const int low1 = ExtremeBar(bars, first, first + kLookBack / 2, true);
  const int low2 = ExtremeBar(bars, first + kLookBack / 2 + 1, last, true);
  TrendLine support =
      NewLine(code, bars.bars[low1].date, bars.bars[low1].low, bars.bars[low2].date, bars.bars[low2].low);
  support.monitorKind = kMonitorLower;
  Add(support);
  const int high = ExtremeBar(bars, last - kLookBack / 2, last, false);
  TrendLine resistance =
      NewLine(code, bars.bars[high].date, bars.bars[high].high, bars.bars[last].date, bars.bars[high].high);
  resistance.monitorKind = kMonitorUpper;
  Add(resistance);
}

// An RSI floor with its value on both sides, and a date line a week ahead.
void AddIndicatorAndDateLines(StockCode code, const BarSeries& bars) {
  const PackedDate lastDate = bars.bars[bars.count - 1].date;
  TrendLine floor = NewLine(code, bars.bars[bars.count - kLookBack].date, kRsiFloor, lastDate, kRsiFloor);
  floor.paneKind = kPaneRsi;
  floor.labelSide = kLabelBothSides;
  Add(floor);
  const PackedDate ahead = AddTradingDays(lastDate, kDateLineDays);
  TrendLine date = NewLine(code, ahead, bars.bars[bars.count - 1].low, ahead, bars.bars[bars.count - 1].high);
  date.monitorKind = kMonitorDate;
  Add(date);
}

// A locked weekly line over two highs.
void AddWeeklyLine(StockCode code, const BarSeries& bars) {
  const int last = bars.count - 1;
  const int high1 = ExtremeBar(bars, 0, last / 2, false);
  const int high2 = ExtremeBar(bars, last / 2 + 1, last, false);
  TrendLine line =
      NewLine(code, bars.bars[high1].date, bars.bars[high1].high, bars.bars[high2].date, bars.bars[high2].high);
  line.period = 1;
  line.locked = 1;
  Add(line);
}

}  // namespace

int WriteSampleTrendLines() {
  if (gStockTable == nullptr || !AllocTrendLineTables()) return 1;
  memset(gTrendLines, 0, sizeof(TrendLineTable));
  auto bars = std::make_unique<BarSeries>();
  using AddLines = void (*)(StockCode, const BarSeries&);
  constexpr AddLines kLinesOfStock[kSampleTrendLineStocks] = {AddPriceLines, AddIndicatorAndDateLines, AddWeeklyLine};
  for (int k = 0; k < kSampleTrendLineStocks && kFirstStock + k < gStockTable->count; ++k) {
    const StockCode code = gStockTable->records[kFirstStock + k].master.code;
    GetDailyBars(code, bars.get());
    if (bars->count >= kMinimumBars) kLinesOfStock[k](code, *bars);
  }
  MakeDataFolderCurrent();
  return SaveTrendLines() == 0 ? 0 : 1;
}
