// Paint benchmark: three charts of twelve panes each at 1920 x 1080 painted
// into a memory bitmap from a generated database, 50 times; prints the median
// paint, once with the lines a user typically shows and once with every line
// and mark of every pane on, the cost of the costliest single steps, and what
// the signal strip adds to a daily chart with a full signal file, and what
// trend lines cost: the walk past 9,700 lines of other stocks in a table of
// 10,000, each drawn line with and without its label, and one live line with
// ordinary values, with values at the ends of 32 bits and dated far out.
//
//   velqo_paint_bench.exe <database folder> [bar width] [thick]
//   velqo_paint_bench.exe <database folder> scenes
//   velqo_paint_bench.exe <database folder> profile <scene 0-7>
//
// "scenes" paints only the eight scenes side by side in one run (bar widths 5
// and 1, thin and thick lines, typical and everything on), each against the
// typical thin width-5 paint. "profile" paints one of them for 20 seconds,
// for a sampling profiler to watch.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "window/chart_window_layout.h"
#include "chart/indicator_panes_win.h"
#include "chart/memo_paint_win.h"
#include "chart/memo_store.h"
#include "chart/pane_pixels.h"
#include "chart/pixel_canvas_win.h"
#include "chart/position_marks_win.h"
#include "chart/signal_strip.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "shell/settings.h"
#include "tools/sample_db/series_digest.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 50;
constexpr uint32_t kAllPriceOverlays = PaneLineFlags(6) | kPaneFlagCloudAlone | kPaneFlagVolumeCloud |
                                       kPaneFlagBollingerCentre | kPaneFlagSigma1 | kPaneFlagSigma2 | kPaneFlagSigma3 |
                                       kPaneFlagParabolic;
constexpr uint32_t kTypicalPriceOverlays = PaneLineFlags(2) | kPaneFlagVolumeCloud;

struct Timing {
  double median, low, high;
};

// Runs `step` kRounds times, each finished with GdiFlush.
Timing Measure(const std::function<void()>& step) {
  std::vector<double> ms;
  for (int i = 0; i < kRounds; ++i) {
    const double start = NowMs();
    step();
    GdiFlush();
    ms.push_back(NowMs() - start);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void Print(const char* name, const Timing& t) {
  printf("  %-34s median %7.2f ms   min %7.2f   max %7.2f\n", name, t.median, t.low, t.high);
}

ChartView TwelvePaneView(StockCode code, int period, int barWidth, bool everything) {
  ChartView view{};
  view.stockCode = code;
  view.period = period;
  view.lastBarIndex = -1;
  view.barWidth = barWidth;
  view.rightMargin = kDefaultRightMargin;
  view.paneCount = kMaxPanesPerChart;
  for (int i = 0; i < kMaxPanesPerChart; ++i) {
    view.paneKinds[i] = static_cast<uint32_t>(i);
    view.paneFlags[i] = everything ? PaneLineFlags(3) : kPaneFlagLine0;
  }
  view.paneFlags[0] = everything ? kAllPriceOverlays : kTypicalPriceOverlays;
  return view;
}

struct Bitmap {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  const void* bits;
};

// With VELQO_BENCH_DUMP set to a folder, each scene's first paint is written
// there as a top-down 32-bit BMP, to compare pictures between builds.
void DumpScene(const Bitmap& b, int barWidth, bool thick, const char* scene) {
  const char* folder = getenv("VELQO_BENCH_DUMP");
  if (folder == nullptr || folder[0] == '\0') return;
  GdiFlush();
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s/scene-w%d-%s-%s.bmp", folder, barWidth, thick ? "thick" : "thin", scene);
  FILE* file = fopen(path, "wb");
  if (file == nullptr) return;
  const DWORD pixelBytes = static_cast<DWORD>(kWidth) * kHeight * 4;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = kWidth;
  info.biHeight = -kHeight;
  info.biPlanes = 1;
  info.biBitCount = 32;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + pixelBytes;
  fwrite(&header, sizeof header, 1, file);
  fwrite(&info, sizeof info, 1, file);
  fwrite(b.bits, 1, pixelBytes, file);
  fclose(file);
}

Bitmap CreateBitmapDc() {
  void* bits = nullptr;
  Bitmap b{};
  b.dc = CreateCompatibleDC(nullptr);
  b.bitmap = CreateCanvasSection(kWidth, kHeight, &bits);
  b.old = SelectObject(b.dc, b.bitmap);
  b.bits = bits;
  return b;
}

// The costliest single steps, each on its own, for chart `c`.
void MeasureSteps(HDC dc, int c) {
  const ChartView& view = CurrentScreenPattern().views[c];
  const ChartContext& context = gChartContexts[c];
  const int count = GetViewBarSeries(view, context)->count;
  const BarRange range = GetPaintBarRange(view, count, context.geometry.visibleBars);
  printf("chart %d (%s, %d bars shown):\n", c,
         view.period == 0   ? "daily"
         : view.period == 1 ? "weekly"
                            : "monthly",
         range.last - range.first + 1);
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  Print("price pane as shown", Measure([&] { PaintPricePane(dc, view, context, 0, range.first, range.last); }));
  Print("  volume cloud", Measure([&] { DrawVolumeCloud(dc, view, context, 0, range.first, range.last); }));
  Print("  tick grid", Measure([&] { DrawTickGrid(dc, view, stockIndex, context, 0); }));
  Print("  price scale (normal)", Measure([&] { DrawPriceScale(dc, view, context, 0); }));
  Print("  parabolic marks", Measure([&] { DrawParabolicMarks(dc, view, context, 0, range.first, range.last); }));
  Print("  one average line", Measure([&] {
          DrawRealSeriesLine(dc, view, context, 0, range.first, range.last, *context.periods[view.period].chartReal[0],
                             19, 1, 5);
        }));
  {
    ChartView bare = view;
    bare.paneFlags[0] = 0;
    Print("  candles and scale only", Measure([&] { PaintPricePane(dc, bare, context, 0, range.first, range.last); }));
  }
  Print("  Ichimoku cloud alone",
        Measure([&] { DrawIchimokuCloud(dc, view, context, 0, range.first, range.last, 18, 67); }));
  Print("Ichimoku pane", Measure([&] { PaintPricePane(dc, view, context, 1, range.first, range.last); }));
  Print("volume pane", Measure([&] { PaintVolumePane(dc, view, context, 2, range.first, range.last); }));
  Print("ten indicator panes", Measure([&] {
          for (int pane = 3; pane < kMaxPanesPerChart; ++pane)
            PaintIndicatorPane(dc, view, context, pane, range.first, range.last);
        }));
}

// A full signal file: 12 definitions and 124 signal groups of 20 terms, of
// the four kinds in turn. No group's last term ever holds and one definition
// of each kind fires where its items are not 0, so that a bar tests 31 groups
// of 20 terms for every kind before it finds a mark.
SignalSettingsFile gFullSignals;
SignalSettingsFile gNoSignals;

ConditionTerm NonZeroTerm(int candidate, int t) {
  static const int kItems[] = {0, 58, 59, 60, 9, 10, 11, 12, 13, 14, 17, 18, 20, 23, 26, 29, 31, 35, 40, 61};
  const int n = candidate + t;
  return {static_cast<int16_t>(MakeItemCode(n % kSnapshotSlots, kItems[n % 20])), kOpSellSide, kOperandConstant, 0, 0};
}

void FillTerms(ConditionTerm* terms, int candidate, bool fires) {
  for (int t = 0; t < kMaxConditionTerms; ++t) terms[t] = NonZeroTerm(candidate, t);
  if (!fires) terms[kMaxConditionTerms - 1] = {kItemClose, kOpGreater, kOperandConstant, 0, 1e12};
}

void FillFullSignalFile() {
  gFullSignals = SignalSettingsFile{};
  gFullSignals.tag = kSignalSettingsTag;
  gFullSignals.itemBase = kSignalItemBase;
  gFullSignals.definitionCount = kMaxSignalDefinitions;
  for (int p = 0; p < kPeriodCount; ++p) {
    gFullSignals.params[p] = gIndicatorParams[p];
    gFullSignals.params[p].slot[0] += 1;  // parameters of its own: the signal series are computed, not copied
    for (int32_t& flag : gFullSignals.useFlags[p].flags) flag = 1;
  }
  for (int k = 0; k < kMaxSignalDefinitions; ++k) {
    SignalDefinition& definition = gFullSignals.definitions[k];
    definition.kind = kSignalShortBuy + k % 4;
    definition.marketMask = 0xFFFF;
    definition.termCount = kMaxConditionTerms;
    FillTerms(definition.terms, k, k < 4);
  }
  gNoSignals = gFullSignals;
  gNoSignals.definitionCount = 0;
}

// The full file and signal groups, or none of either; the charts loaded again.
void UseSignals(bool full) {
  gSignalSettings = full ? &gFullSignals : &gNoSignals;
  for (int g = 0; g < kGroupCount; ++g) {
    GroupRecord& group = gGroupTable->groups[g];
    group.automatic = 1;
    group.marketMask = 0xFFFF;
    group.signalKind = full ? kSignalShortBuy + g % 4 : kSignalNone;
    group.termCount = kMaxConditionTerms;
    group.monitorDateLines = group.monitorUpperLines = group.monitorLowerLines = 0;
    FillTerms(group.terms, g, false);
  }
  ReloadAllChartSeries();
}

void MeasureSignalStrip(HDC dc) {
  if (gGroupTable == nullptr && !AllocGroupTables()) return;
  FillFullSignalFile();
  ScreenPattern& pattern = CurrentScreenPattern();
  const ChartView& view = pattern.views[0];
  const ChartContext& context = gChartContexts[0];
  const int count = GetViewBarSeries(view, context)->count;
  const BarRange range = GetPaintBarRange(view, count, context.geometry.visibleBars);
  printf(
      "signal strip of chart 0 (daily, %d bars shown, strip on 2 panes), 12 definitions and 124 groups of 20 "
      "terms:\n",
      range.last - range.first + 1);
  UseSignals(false);
  PaintChart(dc, view, context);
  const Timing none = Measure([&] { PaintChart(dc, view, context); });
  Print("daily chart, no signals", none);
  UseSignals(true);
  PaintChart(dc, view, context);
  const Timing full = Measure([&] { PaintChart(dc, view, context); });
  Print("daily chart, full signal file", full);
  Print("  strip of one pane, kinds kept",
        Measure([&] { DrawSignalStrip(dc, view, context, 0, range.first, range.last); }));
  Print("  strip, first paint after a load", Measure([&] {
          ForgetSignalStripKinds(&context.signalStrip);
          DrawSignalStrip(dc, view, context, 0, range.first, range.last);
        }));
  Print("  key of the kept kinds",
        Measure([&] { PrepareSignalStripCache(&context.signalStrip, view.stockCode, context); }));
  Print("  date axis", Measure([&] { DrawDateAxis(dc, view, context, range.first, range.last); }));
  gWeekSeparatorsOn = 0;
  Print("  date axis, no week separators", Measure([&] { DrawDateAxis(dc, view, context, range.first, range.last); }));
  gWeekSeparatorsOn = 1;
  Print("next stock, load + paint, full file", Measure([&] {
          static int next = 0;
          next = (next + 1) % gStockTable->count;
          SetChartStock(0, gStockTable->records[next].master.code);
          PaintChart(dc, view, context);
        }));
  const double added = full.median - none.median;
  printf("goal, the strip adds at most 2 ms to a daily chart paint: %.2f ms, %s\n", added,
         added <= 2.0 ? "met" : "NOT met");
}

// ---- Trend lines ------------------------------------------------------------------

constexpr int kShownLinesPerChart = 100;

// A line of the chart's stock and period on pane `pane`, from `span` bars
// before the newest shown bar to `back` bars before it, at values inside the
// pane; horizontal (labelled on the right) or rising (no label).
TrendLine ChartLine(int c, int pane, int back, int span, bool horizontal) {
  const ChartView& view = CurrentScreenPattern().views[c];
  const ChartContext& context = gChartContexts[c];
  const BarSeries& bars = *GetViewBarSeries(view, context);
  const PaneRecord& record = context.panes[pane];
  const int32_t low = record.minValue + (record.maxValue - record.minValue) / 4;
  const int32_t high = record.maxValue - (record.maxValue - record.minValue) / 4;
  const int last = bars.count - 1;
  TrendLine line = NewTrendLine(view.stockCode, bars.bars[std::max(0, last - back - span)].date, low,
                                bars.bars[std::max(0, last - back)].date, horizontal ? low : high);
  line.period = view.period;
  line.paneKind = static_cast<int16_t>(view.paneKinds[pane]);
  line.labelSide = horizontal ? kLabelRight : kLabelNone;
  return line;
}

// 10,000 lines: `shownPerChart` of each chart's stock (60 % on the price
// pane, the rest spread over the others, every other one horizontal), the
// rest on the other stocks of the table.
void FillTrendLineTable(int shownPerChart) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  gTrendLines->count = 0;
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < shownPerChart; ++k) {
      const int pane = k < shownPerChart * 6 / 10 ? 0 : 1 + k % (kMaxPanesPerChart - 1);
      gTrendLines->lines[gTrendLines->count++] = ChartLine(c, pane, k % 40, 5 + k % 30, k % 2 == 0);
    }
  }
  int other = 0;
  while (gTrendLines->count < kMaxTrendLines) {
    const StockCode code = gStockTable->records[other++ % gStockTable->count].master.code;
    if (code == pattern.views[0].stockCode || code == pattern.views[1].stockCode || code == pattern.views[2].stockCode)
      continue;
    TrendLine line = ChartLine(0, 0, other % 40, 10, other % 2 == 0);
    line.code = code;
    gTrendLines->lines[gTrendLines->count++] = line;
  }
}

// Only `count` lines of one kind on chart 0's price pane: what they add to its marks.
double PriceMarksWith(HDC dc, int count, bool labelled) {
  gTrendLines->count = 0;
  for (int k = 0; k < count; ++k) gTrendLines->lines[gTrendLines->count++] = ChartLine(0, 0, k % 40, 20, labelled);
  const ChartView& view = CurrentScreenPattern().views[0];
  const ChartContext& context = gChartContexts[0];
  const int last = GetViewLastBar(view, context);
  static ChartLineSet set;
  CollectChartLines(view, context, last - context.geometry.visibleBars - 3, last, &set);
  return Measure([&] { PaintPositionMarks(dc, view, context, 0, last, set); }).median;
}

// One live monitoring line on chart 0's price pane (daily), from 30 bars
// back to the newest bar: what its marks cost with ordinary values, with
// values at the ends of 32 bits (a damaged file) and with its later end
// dated in the last year a date holds.
void MeasureOneLiveLine(HDC dc) {
  const ChartView& view = CurrentScreenPattern().views[0];
  const ChartContext& context = gChartContexts[0];
  const int last = GetViewLastBar(view, context);
  static ChartLineSet set;
  const auto marksOf = [&](const TrendLine& line) {
    gTrendLines->count = 0;
    gTrendLines->lines[gTrendLines->count++] = line;
    CollectChartLines(view, context, last - context.geometry.visibleBars - 3, last, &set);
    return Measure([&] { PaintPositionMarks(dc, view, context, 0, last, set); });
  };
  TrendLine line = ChartLine(0, 0, 0, 30, false);
  line.monitorKind = kMonitorLower;
  printf("one live line on a price pane, its marks:\n");
  Print("across the pane", marksOf(line));
  TrendLine extreme = line;
  extreme.value1 = INT32_MIN;
  extreme.value2 = INT32_MAX;
  Print("values at the ends of 32 bits", marksOf(extreme));
  TrendLine distant = line;
  distant.date2 = MakePackedDate(65535, 12, 31);
  Print("later end in the year 65535", marksOf(distant));
  gTrendLines->count = 0;
}

void MeasureTrendLines(const Bitmap& bitmap, int barWidth, const std::function<void()>& paintAll) {
  const HDC dc = bitmap.dc;
  if (!AllocTrendLineTables()) return;
  const ScreenPattern& pattern = CurrentScreenPattern();
  static ChartLineSet sets[3];
  const auto walkAndMarks = [&] {
    for (int c = 0; c < 3; ++c) {
      const ChartView& view = pattern.views[c];
      const ChartContext& context = gChartContexts[c];
      const int last = GetViewLastBar(view, context);
      CollectChartLines(view, context, last - context.geometry.visibleBars - 3, last, &sets[c]);
      for (int pane = 0; pane < kMaxPanesPerChart; ++pane) PaintPositionMarks(dc, view, context, pane, last, sets[c]);
    }
  };
  printf("trend lines, 3 charts x 12 panes, 10,000 lines in the table:\n");
  FillTrendLineTable(0);
  const Timing others = Measure(walkAndMarks);
  Print("9,700+ lines of other stocks only", others);
  // The walk as a painter would make it without the collection: the whole
  // table twice for every pane (the tracker summary and the lines to draw).
  Print("  for comparison: 2 walks per pane", Measure([&] {
          for (int c = 0; c < 3; ++c) {
            for (int pane = 0; pane < kMaxPanesPerChart; ++pane) {
              CollectPellomaticLines(pattern.views[c].stockCode);
              for (int i = 0; i < gTrendLines->count; ++i)
                if (gTrendLines->lines[i].code == pattern.views[c].stockCode) gTrendLines->lines[i].inRange ^= 0;
            }
          }
        }));
  FillTrendLineTable(kShownLinesPerChart);
  paintAll();
  DumpScene(bitmap, barWidth, gThickChartLines != 0, "trend-lines");
  Print("300 lines shown, marks of 36 panes", Measure(walkAndMarks));
  const Timing withLines = Measure(paintAll);
  Print("whole paint, 300 lines shown", withLines);
  gTrendLines->count = 0;
  const Timing noLines = Measure(paintAll);
  Print("whole paint, no lines", noLines);
  const double empty = PriceMarksWith(dc, 0, false);
  const double plain = (PriceMarksWith(dc, 200, false) - empty) / 200;
  const double labelled = (PriceMarksWith(dc, 200, true) - empty) / 200;
  printf("  per drawn line: %.2f us unlabelled, %.2f us labelled (200 lines on one price pane)\n", plain * 1000,
         labelled * 1000);
  printf("goal, walking the other 9,700 lines costs at most 0.5 ms: %.3f ms, %s\n", others.median,
         others.median <= 0.5 ? "met" : "NOT met");
  gTrendLines->count = 0;
  MeasureOneLiveLine(dc);
}

// `shown` one-line memos on chart 0's price pane, boxes stacked down the
// pane, then `others` of stocks no chart shows, as the memo table.
bool SetMemoTable(int shown, int others) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  const ChartView& view = pattern.views[0];
  const ChartContext& context = gChartContexts[0];
  const int last = GetViewLastBar(view, context);
  const PaneRecord& pane = context.panes[0];
  const int32_t middle = static_cast<int32_t>((int64_t{pane.minValue} + pane.maxValue) / 2);
  MemoFileHeader header{0, kMemoRecordBytes, {8, 16, 24}, {0, 6, 8}};
  std::vector<Memo> memos;
  for (int k = 0; k < shown + others; ++k) {
    StockCode code = view.stockCode;
    for (int n = k; k >= shown && (code == view.stockCode || code == pattern.views[1].stockCode ||
                                   code == pattern.views[2].stockCode);
         ++n)
      code = gStockTable->records[n % gStockTable->count].master.code;
    Memo memo = MakeNewMemo(code, kPaneCandles, view.period, DateOfBarIndex(view, context, last - 10 - k % 60), middle,
                            gMemoTextMetrics.tmHeight, header);
    snprintf(memo.text, sizeof memo.text, "決算 %d/12", 1 + k % 12);
    memo.boxOffsetY = -120 + (k % 12) * 20;
    memo.arrowHidden = k % 2;
    memos.push_back(memo);
  }
  header.count = static_cast<int32_t>(memos.size());
  std::vector<uint8_t> image(sizeof header + sizeof(Memo) * memos.size());
  memcpy(image.data(), &header, sizeof header);
  if (!memos.empty()) memcpy(image.data() + sizeof header, memos.data(), sizeof(Memo) * memos.size());
  FreeMemoTable(&gMemos);
  return ConvertMemoFile(image.data(), image.size(), false, &gMemos);
}

// What memos cost a paint: one shown one-line memo (its layout kept from the
// paint before), and 5,000 memos of other stocks, which each chart passes
// over once.
void MeasureMemos(HDC dc, const std::function<void()>& paintAll) {
  const ChartView& view = CurrentScreenPattern().views[0];
  const ChartContext& context = gChartContexts[0];
  const int last = GetViewLastBar(view, context);
  static ChartMemoSet set;
  const auto paneMemos = [&](int shown) {
    if (!SetMemoTable(shown, 0)) return 0.0;
    CollectChartMemos(view, context, last - context.geometry.visibleBars - 3, last, &set);
    DrawPaneMemos(dc, view, context, 0, last, set);  // laid out once
    return Measure([&] { DrawPaneMemos(dc, view, context, 0, last, set); }).median;
  };
  printf("memos:\n");
  const double none = paneMemos(0);
  const double perMemo = (paneMemos(100) - none) / 100;
  printf("  per shown one-line memo: %.2f us (100 on one price pane)\n", perMemo * 1000);
  if (!SetMemoTable(0, 0)) return;
  const Timing without = Measure(paintAll);
  if (!SetMemoTable(0, 5000)) return;
  const Timing with = Measure(paintAll);
  Print("whole paint, no memos", without);
  Print("whole paint, 5,000 of other stocks", with);
  // What the painter adds for them: each chart's walk and 36 panes with nothing to draw.
  const ScreenPattern& pattern = CurrentScreenPattern();
  static ChartMemoSet sets[3];
  const Timing walk = Measure([&] {
    for (int c = 0; c < 3; ++c) {
      const ChartView& shownView = pattern.views[c];
      const ChartContext& shownContext = gChartContexts[c];
      const int shownLast = GetViewLastBar(shownView, shownContext);
      CollectChartMemos(shownView, shownContext, shownLast - shownContext.geometry.visibleBars - 3, shownLast,
                        &sets[c]);
      for (int pane = 0; pane < kMaxPanesPerChart; ++pane)
        DrawPaneMemos(dc, shownView, shownContext, pane, shownLast, sets[c]);
    }
  });
  Print("  3 charts' walks and 36 panes", walk);
  const double others = walk.median;
  printf("goal, a shown one-line memo costs at most 30 us: %.2f us, %s\n", perMemo * 1000,
         perMemo <= 0.030 ? "met" : "NOT met");
  printf("goal, 5,000 memos of other stocks cost at most 0.5 ms a paint: %.3f ms, %s\n", others,
         others <= 0.5 ? "met" : "NOT met");
  FreeMemoTable(&gMemos);
}

// The three charts of the scenes: an index, a stock and a stock's weekly bars.
void ShowScene(int barWidth, bool everything) {
  ScreenPattern& pattern = CurrentScreenPattern();
  pattern.chartCount = 3;
  pattern.views[0] = TwelvePaneView(gCanonicalIndexCodes[0], 0, barWidth, everything);
  pattern.views[1] = TwelvePaneView(gStockTable->records[gStockTable->count / 2].master.code, 0, barWidth, everything);
  pattern.views[2] = TwelvePaneView(gStockTable->records[gStockTable->count - 1].master.code, 1, barWidth, everything);
  ReloadAllChartSeries();
  Rect charts[3];
  ComputeChartRects({1, 0, kWidth, kHeight - 1}, pattern, gPaneHeights, gChartFontSize, charts);
  for (int c = 0; c < 3; ++c) ComputePaneScales(charts[c], pattern.views[c], &gChartContexts[c]);
}

struct Scene {
  int barWidth;
  bool thick, everything;
};
constexpr Scene kScenes[] = {{5, false, false}, {5, false, true}, {1, false, false}, {1, false, true},
                             {5, true, false},  {5, true, true},  {1, true, false},  {1, true, true}};

// One scene painted over and over for `seconds`, for a sampling profiler.
void PaintSceneRepeatedly(int index, int seconds, const std::function<void()>& paintAll) {
  const Scene& scene = kScenes[std::clamp(index, 0, static_cast<int>(std::size(kScenes)) - 1)];
  gThickChartLines = scene.thick ? 1 : 0;
  ShowScene(scene.barWidth, scene.everything);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  int paints = 0;
  while (static_cast<int32_t>(end - GetTickCount()) > 0) {
    paintAll();
    ++paints;
  }
  printf("scene %d painted %d times in %d s\n", index, paints, seconds);
}

// Every scene's whole paint in one run, and the goal: each at most 1.15 times
// the typical thin width-5 paint, that one under 16 ms.
void MeasureScenes(const Bitmap& bitmap, const std::function<void()>& paintAll) {
  printf("%d x %d, 3 charts x 12 panes, tick grid on, %d rounds a scene\n", kWidth, kHeight, kRounds);
  double base = 0, worst = 0;
  for (const Scene& scene : kScenes) {
    gThickChartLines = scene.thick ? 1 : 0;
    ShowScene(scene.barWidth, scene.everything);
    paintAll();  // builds what is kept between paints
    DumpScene(bitmap, scene.barWidth, scene.thick, scene.everything ? "all" : "typical");
    const Timing t = Measure(paintAll);
    if (base == 0) base = t.median;
    worst = std::max(worst, t.median / base);
    char name[64];
    snprintf(name, sizeof name, "width %d, %s, %s", scene.barWidth, scene.thick ? "thick" : "thin",
             scene.everything ? "everything on" : "typical");
    printf("  %-34s median %7.2f ms   min %7.2f   max %7.2f   x %.2f\n", name, t.median, t.low, t.high,
           t.median / base);
  }
  printf("goal, every scene at most 1.15 x the typical thin width-5 paint: x %.2f, %s\n", worst,
         worst <= 1.15 ? "met" : "NOT met");
  printf("goal, the typical thin width-5 paint at most 16 ms: %.2f ms, %s\n", base, base <= 16.0 ? "met" : "NOT met");
}

// What setting a thin line into the pixels costs beside its pixels: asking
// the DC for its canvas, against a 600-point polyline drawn into the canvas
// and drawn through GDI.
void MeasureCanvasGlue(HDC dc) {
  constexpr int kCalls = 1000, kPoints = 600;
  std::vector<POINT> points(kPoints);
  std::vector<PixelPoint> pixelPoints(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    points[i] = {100 + i * 2, 300 + (i * 37) % 200};
    pixelPoints[i] = {points[i].x, points[i].y};
  }
  PixelCanvas canvas{};
  const double glue = Measure([&] {
                        for (int i = 0; i < kCalls; ++i) GetDcPixelCanvas(dc, &canvas);
                      }).median /
                      kCalls;
  const double pixels = Measure([&] {
                          for (int i = 0; i < 10; ++i) DrawCanvasThinPolyline(canvas, pixelPoints.data(), kPoints, 0);
                        }).median /
                        10;
  const HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
  const double gdi = Measure([&] { Polyline(dc, points.data(), kPoints); }).median;
  SelectObject(dc, old);
  printf("  thin line of %d points: canvas of the DC %.2f us, its pixels %.2f us, through GDI %.2f us\n", kPoints,
         glue * 1000, pixels * 1000, gdi * 1000);
}

// The whole paint of one bar width and line setting, typical and everything
// on, then its steps, trend lines, memos and the signal strip.
void MeasureEverything(const Bitmap& bitmap, int barWidth, const std::function<void()>& paintAll) {
  ScreenPattern& pattern = CurrentScreenPattern();
  const RECT whole = {0, 0, kWidth, kHeight};
  printf("%d x %d, 3 charts x 12 panes, bar width %d, %s lines, tick grid on, %d rounds\n", kWidth, kHeight, barWidth,
         gThickChartLines != 0 ? "thick" : "thin", kRounds);
  Timing whole3[2];
  for (int everything = 0; everything < 2; ++everything) {
    ShowScene(barWidth, everything != 0);
    paintAll();  // builds what is kept between paints
    DumpScene(bitmap, barWidth, gThickChartLines != 0, everything != 0 ? "all" : "typical");
    whole3[everything] = Measure(paintAll);
    Print(everything ? "whole paint, every line and mark on" : "whole paint, typical lines", whole3[everything]);
    if (everything == 0) MeasureSteps(bitmap.dc, 0);
  }
  // What a resize step costs the charts: their rectangles and every pane's scales.
  Print("layout of 3 charts (a resize step)", Measure([&] {
          Rect charts[3];
          ComputeChartRects({1, 0, kWidth, kHeight - 1}, pattern, gPaneHeights, gChartFontSize, charts);
          for (int c = 0; c < 3; ++c) ComputePaneScales(charts[c], pattern.views[c], &gChartContexts[c]);
        }));
  // Down in a stock list: the next stock is loaded and computed, then everything painted.
  int nextStock = 0;
  Print("next stock of a list, load + paint", Measure([&] {
          nextStock = (nextStock + 1) % gStockTable->count;
          SetChartStock(1, gStockTable->records[nextStock].master.code);
          paintAll();
        }));
  Print("background fill alone", Measure([&] { FillRect(bitmap.dc, &whole, GetSysColorBrush(COLOR_APPWORKSPACE)); }));
  MeasureCanvasGlue(bitmap.dc);
  Print("frames of 3 charts, no pane painter", Measure([&] {
          for (int c = 0; c < 3; ++c) {
            ChartView frames = pattern.views[c];
            for (uint32_t& kind : frames.paneKinds) kind = 99;
            PaintChart(bitmap.dc, frames, gChartContexts[c]);
          }
        }));
  printf("steps with every line and mark on:\n");
  for (int c = 0; c < 3; ++c) MeasureSteps(bitmap.dc, c);
  DumpScene(bitmap, barWidth, gThickChartLines != 0, "steps");
  MeasureTrendLines(bitmap, barWidth, paintAll);
  MeasureMemos(bitmap.dc, paintAll);
  pattern.views[0] = TwelvePaneView(gCanonicalIndexCodes[0], 0, barWidth, false);
  ReloadAllChartSeries();
  MeasureSignalStrip(bitmap.dc);
  printf("goal, whole paint under 16 ms: typical %s, every line and mark %s\n",
         whole3[0].median < 16.0 ? "met" : "NOT met", whole3[1].median < 16.0 ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = DatabaseFolder(argc, argv);
  const bool scenes = argc > 2 && strcmp(argv[2], "scenes") == 0;
  const bool profile = argc > 3 && strcmp(argv[2], "profile") == 0;
  const int barWidth = argc > 2 && !scenes && !profile ? std::clamp(atoi(argv[2]), 1, kMaxBarWidth) | 1 : 5;
  if (folder.empty() || !OpenDatabaseFolder(folder.c_str())) {
    fprintf(stderr, "usage: velqo_paint_bench <database folder> [bar width] [thick] | scenes | profile <scene 0-7>\n");
    return 2;
  }
  SetDefaultSettings();
  gChartFontSize = 12;
  gTickGridOn = 1;
  gThickChartLines = argc > 3 && strcmp(argv[3], "thick") == 0 ? 1 : 0;
  CreateSharedGdiObjects();
  MeasureSharedFonts(nullptr);
  InstallChartTextMeasures();
  if (!AllocAllChartContexts()) return 3;

  const Bitmap bitmap = CreateBitmapDc();
  const RECT whole = {0, 0, kWidth, kHeight};
  ScreenPattern& pattern = CurrentScreenPattern();
  auto paintAll = [&] {
    FillRect(bitmap.dc, &whole, GetSysColorBrush(COLOR_APPWORKSPACE));
    for (int c = 0; c < 3; ++c) PaintChart(bitmap.dc, pattern.views[c], gChartContexts[c]);
  };
  if (profile) {
    PaintSceneRepeatedly(atoi(argv[3]), 20, paintAll);
  } else if (scenes) {
    MeasureScenes(bitmap, paintAll);
  } else {
    MeasureEverything(bitmap, barWidth, paintAll);
  }
  SelectObject(bitmap.dc, bitmap.old);
  DeleteObject(bitmap.bitmap);
  DeleteDC(bitmap.dc);
  FreeChartPaintResources();
  FreeAllChartContexts();
  DeleteSharedGdiObjects();
  return 0;
}
