// The price pane: its scale, candles and the overlays of the candle and
// Ichimoku panes, and the per-bar backgrounds every pane shares.

#include <algorithm>

#include "chart/candle_shape.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "chart/draw_primitives_win.h"
#include "chart/paint_tools_win.h"
#include "chart/pane_pixels.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "sheets/sheet_services.h"
#include "records/settings_block.h"

namespace {

constexpr int kAverageCount = 6;
constexpr int kStripRowCount = 5;
constexpr int kStripRowPitch = 5;

struct CandleTools {
  int wickWidth;
  HBRUSH risingBrush;
  HBRUSH fallingBrush;
  HBRUSH backgroundBrush;
};

CandleTools CreateCandleTools(const ChartContext& context) {
  return {std::max(context.geometry.wickWidth, 1), CachedBrush(PaletteColor(kColorRising)),
          CachedBrush(PaletteColor(kColorFalling)), CachedBrush(PaletteColor(kColorBackground))};
}

// Fills with the selected brush; an empty or turned rectangle draws nothing.
void PaintRect(HDC dc, const RECT& r) {
  if (r.right > r.left && r.bottom > r.top) PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
}

// The wick as the rectangle a flat-ended pen of the wick width covers:
// filled on screen, framed with the same brush in a metafile.
void DrawWick(HDC dc, const CandleShape& shape, int width, HBRUSH brush) {
  const int left = shape.x - (width - 1) / 2;
  const RECT wick = {left, shape.highY, left + width, shape.lowY};
  if (gMetafileRendering != 0) {
    FrameRect(dc, &wick, brush);
  } else {
    PaintRect(dc, wick);
  }
}

// Rising: a hollow body framed in the rising colour; otherwise a filled one.
void DrawCandle(HDC dc, const CandleShape& shape, const CandleTools& tools) {
  const HBRUSH colour = shape.rising ? tools.risingBrush : tools.fallingBrush;
  SelectObject(dc, colour);
  DrawWick(dc, shape, tools.wickWidth, colour);
  RECT body = ToWinRect(shape.body);
  PaintRect(dc, body);
  if (!shape.rising) return;
  SelectObject(dc, tools.backgroundBrush);
  InflateRect(&body, -1, -1);
  PaintRect(dc, body);
}

bool IsTradeMarkStock(const ChartView& view) { return gTradeMarkShown != 0 && view.stockCode == gTradeMarkCode; }

bool HasForecastBars(const ChartContext& context) {
  const int chart = ChartSlotOf(context);
  return chart >= 0 && gForecastState[chart] != kForecastNone;
}

// A candle as wide as its wick shares the wick's column: when the two touch,
// one rectangle covers both, and the batch fills half as many.
void AddWickAndBody(RectBatch* batch, const RECT& wick, const RECT& body) {
  const bool touching = wick.left == body.left && wick.right == body.right && wick.top < wick.bottom &&
                        body.top < body.bottom && body.top <= wick.bottom && wick.top <= body.bottom;
  if (touching) {
    batch->Add({wick.left, std::min(wick.top, body.top), wick.right, std::max(wick.bottom, body.bottom)});
    return;
  }
  batch->Add(wick);
  batch->Add(body);
}

// Each column's trade mark behind it, then the candles colour by colour: no
// two bars' columns overlap, so only a candle's own parts keep their order.
void DrawCandles(HDC dc, const ChartView& view, const ChartContext& context, const PaneFrame& frame, int first,
                 int last) {
  const CandleTools tools = CreateCandleTools(context);
  const RECT plot = ToWinRect(frame.record->plot);
  const int from = std::min(last, frame.count - 1);
  if (gMetafileRendering != 0) {
    const HGDIOBJ oldBrush = SelectObject(dc, tools.risingBrush);
    for (int bar = from; bar >= first; --bar) {
      if (gTradeMarkShown != 0) DrawTradeMarkColumn(dc, view, context, bar, plot);
      DrawCandle(dc,
                 ComputeCandleShape(frame.bars->bars[bar], *frame.record, frame.logScale, BarX(frame, last, bar),
                                    frame.barWidth),
                 tools);
    }
    SelectObject(dc, oldBrush);
    return;
  }
  static RectBatch rising, falling, hollow;  // painting runs on the main thread only
  const PaneValueScale scale = PreparePaneValueScale(*frame.record, frame.logScale);
  const int count = static_cast<int>(std::max<int64_t>(int64_t{from} - first + 1, 0));
  ForEachBarCentre(frame.record->plot.right, frame.spacing, last, from, count, [&](int k, int x) {
    const int bar = from - k;
    if (gTradeMarkShown != 0) DrawTradeMarkColumn(dc, view, context, bar, plot);
    const CandleShape shape = ComputeCandleShape(frame.bars->bars[bar], scale, x, frame.barWidth);
    const int left = shape.x - (tools.wickWidth - 1) / 2;
    RECT body = ToWinRect(shape.body);
    AddWickAndBody(shape.rising ? &rising : &falling, {left, shape.highY, left + tools.wickWidth, shape.lowY}, body);
    if (!shape.rising) return;
    InflateRect(&body, -1, -1);
    hollow.Add(body);
  });
  rising.Fill(dc, PaletteColor(kColorRising));
  falling.Fill(dc, PaletteColor(kColorFalling));
  hollow.Fill(dc, PaletteColor(kColorBackground));
}

void DrawForecastColumns(HDC dc, const ChartView& view, const ChartContext& context, const PaneFrame& frame, int first,
                         int last) {
  if (!HasForecastBars(context)) return;
  const RECT plot = ToWinRect(frame.record->plot);
  for (int bar = std::min(last, frame.count - 1); bar >= first; --bar)
    DrawForecastBackground(dc, view, context, bar, plot);
}

const RealSeries* RealSlot(const PaneFrame& frame, int slot) { return frame.block->chartReal[slot]; }

void DrawRealSlotLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                      const PaneFrame& frame, int slot, int colorSlot, int firstIndex) {
  const RealSeries* series = RealSlot(frame, slot);
  if (series != nullptr) DrawRealSeriesLine(dc, view, context, pane, first, last, *series, colorSlot, 1, firstIndex);
}

// Averages, Bollinger centre and bands, parabolic marks: each when its flag is set.
void DrawCandleOverlays(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                        const PaneFrame& frame) {
  const uint32_t flags = view.paneFlags[pane];
  const uint16_t* params = frame.block->params.slot;
  for (int k = 0; k < kAverageCount; ++k) {
    if ((flags & (kPaneFlagLine0 << k)) != 0)
      DrawRealSlotLine(dc, view, context, pane, first, last, frame, kRealCloseAverage0 + k, kColorCloseAverage0 + k,
                       params[kParamCloseAverage0 + k]);
  }
  const int bandStart = params[kParamBollinger];
  if ((flags & kPaneFlagBollingerCentre) != 0)
    DrawRealSlotLine(dc, view, context, pane, first, last, frame, kRealBollingerCentre, kColorBollingerCentre,
                     bandStart);
  for (int sigma = 0; sigma < 3; ++sigma) {
    if ((flags & (kPaneFlagSigma1 << sigma)) == 0) continue;
    const int upper = kRealBollingerCentre + 1 + 2 * sigma;
    DrawRealSlotLine(dc, view, context, pane, first, last, frame, upper, kColorSigma1 + sigma, bandStart);
    DrawRealSlotLine(dc, view, context, pane, first, last, frame, upper + 1, kColorSigma1 + sigma, bandStart);
  }
  if ((flags & kPaneFlagParabolic) != 0) DrawParabolicMarks(dc, view, context, pane, first, last);
}

// The rows of the signal strip above a daily price pane.
void DrawStripGuideLines(HDC dc, const PaneRecord& record) {
  if (record.fullPlot.top == record.plot.top) return;
  const HGDIOBJ old = SelectObject(dc, CachedPen(PS_SOLID, 1, PaletteColor(kColorScale)));
  for (int row = 0; row < kStripRowCount; ++row) {
    const int y = record.fullPlot.top + 1 + row * kStripRowPitch;
    MoveToEx(dc, record.fullPlot.left + 1, y, nullptr);
    LineTo(dc, record.fullPlot.right - 1, y);
  }
  SelectObject(dc, old);
}

bool UsesTickGrid(const ChartView& view, int stockIndex) {
  if (gTickGridOn == 0) return false;
  return gStockTable->records[stockIndex].master.tradingUnit >= 1 || view.stockCode == gCanonicalIndexCodes[0];
}

void DrawPaneScale(HDC dc, const ChartView& view, const ChartContext& context, int pane, int stockIndex) {
  if (UsesTickGrid(view, stockIndex)) {
    DrawTickGrid(dc, view, stockIndex, context, pane);
  } else {
    DrawPriceScale(dc, view, context, pane);
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
}

// Ichimoku lines and cloud, or the cloud alone and the volume cloud of a candle pane.
void DrawBehindCandles(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  const uint32_t flags = view.paneFlags[pane];
  if (view.paneKinds[pane] == kPaneIchimoku) {
    DrawIchimokuLines(dc, view, context, pane, first, last, false);
    return;
  }
  if ((flags & kPaneFlagCloudAlone) != 0)
    DrawIchimokuCloud(dc, view, context, pane, first, last, kColorCloudAlone, kColorCloudAloneInverted);
  if ((flags & kPaneFlagVolumeCloud) != 0) DrawVolumeCloud(dc, view, context, pane, first, last);
}

void DrawTradeLine(HDC dc, int x1, int x2, int y, int colorSlot) {
  const HGDIOBJ old = SelectObject(dc, CachedPen(PS_SOLID, 1, PaletteColor(colorSlot)));
  MoveToEx(dc, x1 + 1, y, nullptr);
  LineTo(dc, x2 - 1, y);
  SelectObject(dc, old);
}

}  // namespace

void PaintPricePane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  if (stockIndex < 0) return;
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  const HRGN paneClip = PushClipRect(dc, ToWinRect(frame.record->pane));
  DrawPaneScale(dc, view, context, pane, stockIndex);
  DrawStripGuideLines(dc, *frame.record);

  HRGN plotClip = PushClipRect(dc, ToWinRect(frame.record->plot));
  DrawForecastColumns(dc, view, context, frame, first, last);
  DrawBehindCandles(dc, view, context, pane, first, last);
  PopClipRect(dc, plotClip);

  plotClip = PushClipRect(dc, ToWinRect(frame.record->plot));
  DrawCandles(dc, view, context, frame, first, last);
  if (view.paneKinds[pane] == kPaneCandles) DrawCandleOverlays(dc, view, context, pane, first, last, frame);
  DrawTradeMarkLines(dc, view, context, pane, last);
  PopClipRect(dc, plotClip);

  PopClipRect(dc, paneClip);
  SelectObject(dc, oldFont);
}

void DrawForecastBackground(HDC dc, const ChartView& view, const ChartContext& context, int bar, const RECT& area) {
  const int chart = ChartSlotOf(context);
  if (chart < 0 || gForecastState[chart] == kForecastNone) return;
  PaneFrame frame;
  if (!GetPaneFrame(view, context, 0, &frame)) return;
  if (bar >= frame.count || bar < frame.count - gForecastBarCount[chart]) return;
  FillRectColor(dc, BarColumn(frame, frame.lastBar, bar, area), PaletteColor(kColorForecastBackground));
}

bool MayColourBarColumns(const ChartView& view, const ChartContext& context) {
  return HasForecastBars(context) || IsTradeMarkStock(view);
}

void DrawTradeMarkColumn(HDC dc, const ChartView& view, const ChartContext& context, int bar, const RECT& area) {
  if (!IsTradeMarkStock(view)) return;
  // An entry takes the short-term buy colours, an exit the short-term sell ones.
  int colorSlot;
  if (gTradeMarkPrice1 >= 0 && IsTradeMarkBar(view, context, bar, gTradeMarkDate1) != 0) {
    colorSlot = kColorShortBuyBackground;
  } else if (gTradeMarkPrice2 >= 0 && IsTradeMarkBar(view, context, bar, gTradeMarkDate2) != 0) {
    colorSlot = kColorShortSellBackground;
  } else {
    return;
  }
  PaneFrame frame;
  if (GetPaneFrame(view, context, 0, &frame))
    FillRectColor(dc, BarColumn(frame, frame.lastBar, bar, area), PaletteColor(colorSlot));
}

void DrawTradeMarkLines(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last) {
  PaneFrame frame;
  if (!IsTradeMarkStock(view) || !GetPaneFrame(view, context, pane, &frame)) return;
  const PackedDate earlier = std::min(gTradeMarkDate1, gTradeMarkDate2);
  const PackedDate later = std::max(gTradeMarkDate1, gTradeMarkDate2);
  const int x2 = DateToPaneX(view, context, later, last);
  const int x1 = earlier == later ? x2 - frame.spacing : DateToPaneX(view, context, earlier, last);
  if (gTradeMarkPrice1 >= 0)
    DrawTradeLine(dc, x1, x2, PaneValueY(*frame.record, frame.logScale, gTradeMarkPrice1), kColorShortBuyMark);
  if (gTradeMarkPrice2 >= 0)
    DrawTradeLine(dc, x1, x2, PaneValueY(*frame.record, frame.logScale, gTradeMarkPrice2), kColorShortSellMark);
}
