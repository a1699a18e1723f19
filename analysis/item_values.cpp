#include "analysis/item_values.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/condition_items.h"

namespace {

constexpr int kCloudShift = 25;        // the leading spans are drawn 25 bars ahead
constexpr int kFormerCloudShift = 51;  // the cloud that stood over bar b - 25
constexpr int kFormerCloudFirstBar = 52;

// Months of the range positions of items 7, 63-66, 77-79 and of the
// deviation ranges 86-90.
constexpr std::array<int, 8> kMonthRangeItems = {7, 63, 64, 65, 66, 77, 78, 79};
constexpr std::array<int, 8> kMonthRangeMonths = {36, 3, 6, 9, 12, 1, 2, 24};
constexpr std::array<int, 5> kDeviationRangeMonths = {3, 6, 9, 12, 36};

bool HasBar(const BarSeries* bars, int b) { return bars != nullptr && b >= 0 && b < bars->count; }

double IntAt(const ItemSource& s, int slot, int b) {
  const IntSeries* series = s.ints[slot];
  return series != nullptr && b >= 0 && b < series->count ? series->values[b] : 0.0;
}

double RealAt(const ItemSource& s, int slot, int b) {
  const RealSeries* series = s.reals[slot];
  return series != nullptr && b >= 0 && b < series->count ? series->values[b] : 0.0;
}

double Close(const BarSeries& bars, int b) { return bars.bars[b].close; }

double Amount(const PriceBar& bar) { return static_cast<double>(bar.volume) * bar.close; }

// Each term is divided by the number of bars in the window before it is added.
double MeanAmount(const BarSeries& bars, int b, int span) {
  const int first = std::max(b - span + 1, 0);
  const double n = b - first + 1;
  double sum = 0;
  for (int i = first; i <= b; ++i) sum += Amount(bars.bars[i]) / n;
  return sum;
}

double MeanSwing(const BarSeries& bars, int b) {
  const int first = std::max(b - 19, 0);
  double sum = 0;
  for (int i = first; i <= b; ++i) {
    const PriceBar& bar = bars.bars[i];
    sum += std::abs(static_cast<double>(bar.high) - bar.low) / ((static_cast<double>(bar.high) + bar.low) * 0.5);
  }
  return sum / (b - first + 1) * 100;
}

double PercentChange(double now, double before) { return (now - before) * 100 / before; }

// Larger (upper) or smaller of the two leading spans at bar b.
double CloudEdge(const ItemSource& s, int b, bool upper) {
  const double a = RealAt(s, kRealIchimokuSpanA, b);
  const double c = RealAt(s, kRealIchimokuSpanB, b);
  return upper ? std::max(a, c) : std::min(a, c);
}

// The first bar of the range window of bar b (b >= 1), before clamping to 0.
// Dates rise through the series, so the walk back to the first bar dated
// before the target is a binary search.
int RangeWindowStart(const BarSeries& bars, int b, int months, int n) {
  if (months <= 0) return std::min(b - n, b - 1);  // an empty window would have no range
  const PackedDate date = bars.bars[b].date;
  int year = PackedYear(date) - months / 12;
  int month = PackedMonth(date) - months % 12;
  if (month < 1) {
    month += 12;
    --year;
  }
  const PackedDate target = MakePackedDate(year, month, PackedDay(date));
  const PriceBar* end = bars.bars + std::max(b - 1, 0);
  const PriceBar* first =
      std::lower_bound(bars.bars, end, target, [](const PriceBar& bar, PackedDate d) { return bar.date < d; });
  return std::min(static_cast<int>(first - bars.bars), b - 2);
}

double Position(double value, double lowest, double highest) { return (value - lowest) * 100 / (highest - lowest); }

double MonthRange(const ItemSource& s, int index, int b) {
  for (size_t i = 0; i < kMonthRangeItems.size(); ++i) {
    if (kMonthRangeItems[i] == index) return PriceRangePosition(*s.bars, b, kMonthRangeMonths[i], 0);
  }
  return 0;
}

double DeviationRange(const ItemSource& s, int index, int b) {
  const IntSeries* deviation = s.ints[kIntDeviation0];
  if (deviation == nullptr || b >= deviation->count) return 0;
  return PriceRangePositionOfSeries(*s.bars, *deviation, b, kDeviationRangeMonths[static_cast<size_t>(index - 86)], 0);
}

double BarRange(const ItemSource& s, int index, int b) {
  const int n = s.rangeParams != nullptr ? s.rangeParams->slot[kParamPriceRange0 + index - 80] : 0;
  return PriceRangePosition(*s.bars, b, 0, n);
}

// Items taken straight from one series: {first index, first slot, count, divisor}.
struct SeriesItems {
  int firstIndex;
  int firstSlot;
  int count;
  bool real;
  double divisor;
};
constexpr std::array<SeriesItems, 19> kSeriesItems = {{
    {9, kRealCloseAverage0, 6, true, 1},
    {15, kIntVolumeAverage0, 2, false, 1},
    {17, kIntRsi0, 3, false, 100},
    {20, kIntRci0, 3, false, 100},
    {23, kIntDeviation0, 3, false, 100},
    {26, kIntStochK, 3, false, 100},
    {29, kIntMacdLine, 2, false, 100},
    {31, kIntPlusDi, 2, false, 100},
    {33, kIntAdx, 1, false, 100},
    {34, kIntSroc, 1, false, 100},
    {35, kIntPsychological0, 3, false, 100},
    {38, kIntObv, 2, false, 100},
    {40, kRealIchimokuBase, 1, true, 1},
    {41, kRealIchimokuConversion, 1, true, 1},
    {42, kRealIchimokuLagging, 1, true, 1},
    {50, kRealBollingerCentre, 7, true, 1},
    {61, kRealParabolicSar, 1, true, 1},
    {62, kIntParabolicPosition, 1, false, 1},
    {67, kIntVolumeRatio, 2, false, 100},
}};

const SeriesItems* FindSeriesItems(int index) {
  for (const SeriesItems& items : kSeriesItems) {
    if (index >= items.firstIndex && index < items.firstIndex + items.count) return &items;
  }
  return nullptr;
}

double ShiftedValue(const ItemSource& s, int index, int b) {
  if (b < kCloudShift) return 0;
  const int back = b - kCloudShift;
  switch (index) {
    case 43: return CloudEdge(s, back, true);
    case 44: return CloudEdge(s, back, false);
    case 45: return Close(*s.bars, back);
    case 46: return RealAt(s, kRealIchimokuBase, back);
    case 47: return RealAt(s, kRealIchimokuConversion, back);
    default: break;
  }
  if (b < kFormerCloudFirstBar) return 0;
  return CloudEdge(s, b - kFormerCloudShift, index == 48);
}

double BarValue(const ItemSource& s, int index, int b) {
  const BarSeries& bars = *s.bars;
  const PriceBar& bar = bars.bars[b];
  switch (index) {
    case kItemClose: return bar.close;
    case kItemTradingValue: return bar.close * s.tradingUnit;
    case kItemChangeRate: return b == 0 ? 0 : PercentChange(bar.close, Close(bars, b - 1));
    case kItemVolume: return bar.volume;
    case kItemAmount: return Amount(bar);
    case 5: return MeanAmount(bars, b, 5);
    case 6: return MeanAmount(bars, b, 10);
    case 8: return MeanSwing(bars, b);
    case 58: return bar.open;
    case 59: return bar.high;
    case 60: return bar.low;
    default: return 0;
  }
}

double Volatility(const ItemSource& s, int b) {
  const double centre = RealAt(s, kRealBollingerCentre, b);
  return centre > 0 ? PercentChange(RealAt(s, kRealBollingerCentre + 1, b), centre) : 0;
}

double AverageChange(const ItemSource& s, int index, int b) {
  if (b < 1) return 0;
  const int slot = kRealCloseAverage0 + index - 69;
  return PercentChange(RealAt(s, slot, b), RealAt(s, slot, b - 1));
}

}  // namespace

ItemSource ChartItemSource(const PeriodSeriesBlock& block, double tradingUnit) {
  return {block.bars, block.chartInt, block.chartReal, &block.params, tradingUnit};
}

ItemSource SignalItemSource(const PeriodSeriesBlock& block, const IndicatorParameterSet& params, double tradingUnit) {
  return {block.bars, block.signalInt, block.signalReal, &params, tradingUnit};
}

double ComputeItemValue(const ItemSource& s, int index, int b) {
  if (!HasBar(s.bars, b)) return 0;
  if (const SeriesItems* items = FindSeriesItems(index)) {
    const int slot = items->firstSlot + index - items->firstIndex;
    return items->real ? RealAt(s, slot, b) : IntAt(s, slot, b) / items->divisor;
  }
  if (index >= 43 && index <= 49) return ShiftedValue(s, index, b);
  if (index == 57) return Volatility(s, b);
  if (index >= 69 && index <= 74) return AverageChange(s, index, b);
  if (index >= 80 && index <= 85) return BarRange(s, index, b);
  if (index >= 86 && index <= 90) return DeviationRange(s, index, b);
  if (index == 7 || (index >= 63 && index <= 66) || (index >= 77 && index <= 79)) return MonthRange(s, index, b);
  return BarValue(s, index, b);
}

double PriceRangePosition(const BarSeries& bars, int b, int months, int n) {
  if (bars.count <= 0 || b < 0 || b >= bars.count) return 50.0;
  const double close = bars.bars[b].close;
  if (b == 0) return Position(close, bars.bars[0].low, bars.bars[0].high);
  const int first = std::max(RangeWindowStart(bars, b, months, n), 0);
  int32_t lowest = bars.bars[first].low;
  int32_t highest = bars.bars[first].high;
  for (int i = first + 1; i < b; ++i) {
    lowest = std::min(lowest, bars.bars[i].low);
    highest = std::max(highest, bars.bars[i].high);
  }
  return Position(close, lowest, highest);
}

double PriceRangePositionOfSeries(const BarSeries& bars, const IntSeries& series, int b, int months, int n) {
  const int count = std::min(bars.count, series.count);
  if (count <= 0 || b < 0 || b >= count) return 50.0;
  const double value = series.values[b];
  if (b == 0) return Position(value, value, value);
  const int first = std::max(RangeWindowStart(bars, b, months, n), 0);
  const auto [lowest, highest] = std::minmax_element(series.values + first, series.values + b);
  return Position(value, *lowest, *highest);
}
