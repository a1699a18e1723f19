// Lays a chart out from arbitrary settings, views and short series and runs
// the pane scales and the conversions on it. Whatever the input, no
// arithmetic may go wrong, every pane laid out has a plot at least one pixel
// high to divide by and a range whose minimum is not above its maximum.
//
// Input, read in order (missing bytes read as 0): font size, text height and
// option bits; the chart rectangle; the view; the pane weights; indicator
// periods; the bars and a few series of every period; then points to convert.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "chart/chart_layout.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "shell/settings.h"

namespace {

constexpr int kMaxFuzzBars = 64;
constexpr int kPointCount = 8;
constexpr PackedDate kBaseDate = MakePackedDate(2001, 1, 5);

void Check(bool ok) {
  if (!ok) std::abort();
}

struct ByteReader {
  const uint8_t* data;
  size_t size;
  size_t pos;

  uint8_t U8() { return pos < size ? data[pos++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(uint32_t{U16()} | uint32_t{U16()} << 16); }
};

ChartContext* gContext = nullptr;

void Prepare() {
  InitStockCodeGlobals();
  Check(AllocateStockTable());
  const char* const codes[] = {"1001", "7203", "8306"};
  for (int i = 0; i < 3; ++i) {
    StockRecord& record = gStockTable->records[i];
    record.master.code = StringToCode(codes[i]);
    record.master.marketId = static_cast<uint16_t>(i == 0 ? kMarketIdIndices : 1);
    record.master.tradingUnit = static_cast<int16_t>(i == 0 ? 1 : 100);
    record.flags = i == 2 ? kStockFlagIndexWeight : 0;
  }
  gStockTable->count = 3;
  ResetStockLookupCache();
  static ChartContext context{};
  Check(AllocChartContextBuffers(&context));
  gContext = &context;
}

int32_t ChooseInt(ByteReader* in) {
  switch (in->U8() % 4) {
    case 0: return in->I32();
    case 1: return in->I16();
    case 2: return in->U8() % 2 == 0 ? INT32_MAX : INT32_MIN;
    default: return 1000 + in->U8();
  }
}

double ChooseReal(ByteReader* in) {
  switch (in->U8() % 6) {
    case 0: return std::nan("");
    case 1: return in->U8() % 2 == 0 ? HUGE_VAL : -HUGE_VAL;
    case 2: return static_cast<double>(in->I32()) * 1e6;
    default: return 1000.0 + in->I16() / 7.0;
  }
}

// Series values come from a generator seeded by the input, mostly plausible
// prices with now and then an extreme one.
struct SeriesGenerator {
  uint64_t state;

  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  int32_t Int() {
    const uint64_t r = Next();
    switch (r % 16) {
      case 0: return INT32_MAX;
      case 1: return INT32_MIN;
      case 2: return 0;
      case 3: return static_cast<int32_t>(r >> 32);
      default: return static_cast<int32_t>(900 + (r >> 40) % 300);
    }
  }
  double Real() {
    const uint64_t r = Next();
    switch (r % 16) {
      case 0: return std::nan("");
      case 1: return HUGE_VAL;
      case 2: return -1e300;
      default: return 900.0 + static_cast<double>((r >> 40) % 30000) / 100;
    }
  }
};

void ReadSettings(ByteReader* in) {
  gChartFontSize = static_cast<int8_t>(in->U8());
  gFixedFontHeight = static_cast<int8_t>(in->U8());
  const uint8_t options = in->U8();
  gTrendLineFullRange = (options & 1) != 0;
  for (uint16_t& weight : gPaneHeights) weight = in->U8() % 3 == 0 ? 0 : in->U16();
  gDetailWindowRect = {in->I16(), in->I16(), in->I16(), in->I16()};
}

Rect ReadChartRect(ByteReader* in) {
  const int left = in->I16() / 16;
  const int top = in->I16() / 16;
  return {left, top, left + in->I16() / 8, top + in->I16() / 8};
}

ChartView ReadView(ByteReader* in) {
  ChartView view{};
  const uint8_t stock = in->U8() % 4;
  view.stockCode = stock < 3 ? gStockTable->records[stock].master.code : StringToCode("9999");
  view.period = static_cast<int8_t>(in->U8()) % 4;
  view.lastBarIndex = in->U8() % 3 == 0 ? -1 : ChooseInt(in) % (in->U8() % 2 == 0 ? 200 : INT32_MAX);
  view.barWidth = static_cast<int8_t>(in->U8());
  view.rightMargin = in->I16();
  view.paneCount = static_cast<int8_t>(in->U8()) % 16;
  for (int i = 0; i < kMaxPanesPerChart; ++i) {
    const uint8_t kind = in->U8();
    view.paneKinds[i] = kind == 0xFF ? 0xFFFFFFFFu : kind % 24;
    view.paneFlags[i] = static_cast<uint32_t>(in->I32());
  }
  return view;
}

void ReadSeries(ByteReader* in, PeriodSeriesBlock* block) {
  for (uint16_t& slot : block->params.slot) slot = in->U8() % 8 == 0 ? in->U16() : in->U8() % 40;
  const int count = in->U8() % (kMaxFuzzBars + 1);
  SeriesGenerator values = {static_cast<uint64_t>(in->I32())};
  block->bars->count = count;
  PackedDate date = kBaseDate;
  for (int i = 0; i < count; ++i) {
    block->bars->bars[i] = {date, values.Int(), values.Int(), values.Int(), values.Int(), values.Int()};
    date = AddCalendarDays(date, 1 + static_cast<int>(values.Next() % 40));
  }
  for (IntSeries* series : block->chartInt) {
    series->count = count;
    for (int i = 0; i < count; ++i) series->values[i] = values.Int();
  }
  for (RealSeries* series : block->chartReal) {
    series->count = count;
    for (int i = 0; i < count; ++i) series->values[i] = values.Real();
  }
}

void CheckScales(const ChartView& view, const ChartContext& context) {
  const int panes = std::clamp<int>(view.paneCount, 0, kMaxPanesPerChart);
  const Rect& area = context.geometry.plotArea;
  Check(area.top <= area.bottom && context.geometry.barSpacing >= 3 && context.geometry.visibleBars >= 0);
  for (int i = 0; i < panes; ++i) {
    const PaneRecord& p = context.panes[i];
    Check(p.plot.top <= p.plot.bottom && PanePlotHeight(p) >= 1);
    Check(p.minValue <= p.maxValue);
    Check(std::isfinite(p.valuePerPixel) && p.valuePerPixel > 0);
    Check(std::isfinite(p.logPerPixel) && p.logPerPixel > 0);
  }
}

void ConvertPoints(ByteReader* in, const ChartView& view, const ChartContext& context) {
  for (int k = 0; k < kPointCount; ++k) {
    const int pane = static_cast<int8_t>(in->U8()) % 14;
    int x = in->I16();
    int y = in->I16();
    const int32_t value = ChooseInt(in);
    (void)ValueToPaneY(view, context, pane, value);
    (void)PaneValueToY(view, context, pane, value);
    (void)ValueToPaneOffset(view, context, pane, ChooseReal(in));
    const int32_t price = PaneYToPrice(view, context, pane, y);
    Check(price >= 1 && price <= 21474836);
    int32_t out = 0;
    int bar = 0;
    int py = y;
    PaneYToValue(view, in->U8() % 4 - 1, context, pane, &py, &out);
    int px = x;
    py = y;
    PointToBarAndValue(view, context, pane, &px, &bar, &py, &out);
    Check(bar >= 0);
    (void)GetCursorBarAndValue(&view, &context, pane, &x, &y, &bar, &out);
    const PackedDate date = AddCalendarDays(kBaseDate, in->I16() % 3000);
    const int index = DateToBarIndex(view, context, date);
    (void)DateToPaneX(view, context, date, view.lastBarIndex);
    (void)DateOfBarIndex(view, context, in->I16() % 400);
    (void)IsTradeMarkBar(view, context, index, date);
    (void)HitTestLineEnds(in->I16(), in->I16(), in->I16(), in->I16(), static_cast<int8_t>(in->U8()), x, y);
    (void)RoundToNearestTick(in->U8() % 4 - 1, value);
    (void)RoundUpToTick(in->U8() % 4 - 1, value);
    (void)RoundDownToTick(in->U8() % 4 - 1, value);
    (void)TruncateToHundredsOrThousands(0, value);
  }
}

void CheckRounding(ByteReader* in) {
  int32_t min = ChooseInt(in);
  int32_t max = ChooseInt(in);
  if (min > max) std::swap(min, max);
  const int32_t inMin = min;
  const int32_t inMax = max;
  RoundScaleRange(&min, &max);
  Check(min <= inMin && max >= inMax);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (gContext == nullptr) Prepare();
  ByteReader in = {data, size, 0};
  ReadSettings(&in);
  const Rect chart = ReadChartRect(&in);
  const ChartView view = ReadView(&in);
  for (PeriodSeriesBlock& block : gContext->periods) ReadSeries(&in, &block);
  ComputePaneScales(chart, view, gContext);
  if (FindStockIndexByCode(view.stockCode) >= 0) CheckScales(view, *gContext);
  ConvertPoints(&in, view, *gContext);
  CheckRounding(&in);
  return 0;
}
