// Drag benchmark: a main window of 1920 x 1080 with three charts of twelve
// panes over a generated database and 10000 trend lines in the table (300 of
// them on the shown stocks); one trend line is grabbed by its body and each
// step is a mouse move of it and the synchronous repaint it causes. Prints
// the median, lowest and highest step of 100, and the move alone, with the
// line's stock in one chart and in all three; a repaint of the whole window;
// and a memo dragged by its box the same way.
//
//   velqo_drag_bench.exe <database folder>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "bench/win/bench_window_win.h"
#include "analysis/group_store.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "chart/memo_view.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tools/sample_db/series_digest.h"
#include "window/drag_modes.h"
#include "window/main_window_win.h"

namespace {

constexpr int kSteps = 100;
constexpr int kLinesOnShownStocks = 300;

// Lines over the last bars of a chart's price pane, spread over its range.
void AddLinesOn(int chart, int n) {
  const ChartView& view = CurrentScreenPattern().views[chart];
  const BarSeries& bars = *gChartContexts[chart].periods[0].bars;
  for (int i = 0; i < n && gTrendLines->count < kMaxTrendLines; ++i) {
    const PriceBar& a = bars.bars[bars.count - 60 + i % 40];
    const PriceBar& b = bars.bars[bars.count - 10 + i % 8];
    gTrendLines->lines[gTrendLines->count++] = NewTrendLine(view.stockCode, a.date, a.low, b.date, b.high);
  }
}

// The other lines belong to stocks no chart shows.
void FillTable(StockCode shown[3]) {
  for (int chart = 0; chart < 3; ++chart) AddLinesOn(chart, kLinesOnShownStocks / 3);
  for (int i = 0; gTrendLines->count < kMaxTrendLines; ++i) {
    const StockCode code = gStockTable->records[10 + i % (gStockTable->count - 10)].master.code;
    if (code == shown[0] || code == shown[1] || code == shown[2]) continue;
    gTrendLines->lines[gTrendLines->count++] = NewTrendLine(code, 0x07E90101, 1000, 0x07E90201, 1100);
  }
}

struct Timing {
  double median, low, high;
};

Timing Measure(const std::function<void(int)>& step) {
  std::vector<double> ms;
  for (int i = 0; i < kSteps; ++i) {
    const double start = NowMs();
    step(i);
    ms.push_back(NowMs() - start);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void Print(const char* name, const Timing& t) {
  printf("  %-30s median %7.2f ms   min %7.2f   max %7.2f\n", name, t.median, t.low, t.high);
}

// A memo on chart 0's price pane, grabbed by its box and moved step by step;
// the step includes the synchronous repaint.
void MeasureMemoDrag(HWND window) {
  InstallMemoHooks();
  if (!CreateEmptyMemoTable(&gMemos)) return;
  const ChartView& view = CurrentScreenPattern().views[0];
  const ChartContext& context = gChartContexts[0];
  const int last = GetViewLastBar(view, context);
  const PaneRecord& pane = context.panes[0];
  Memo memo = MakeNewMemo(view.stockCode, kPaneCandles, view.period, DateOfBarIndex(view, context, last - 30),
                          (pane.minValue + pane.maxValue) / 2, 16, *gMemos.header);
  memo.arrowHidden = 0;
  memo.boxOffsetY = -10;  // the box, and its moves, within the low pane: the scale stays
  gUndoMemo = memo;
  RestoreRemovedMemo();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const MemoShape shape = MemoShapeOnPane(view, context, 0, gMemos.memos[0], last);
  const int x = (shape.box.left + shape.box.right) / 2, y = (shape.box.top + shape.box.bottom) / 2;
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  if (gDragMode != kDragMemo) {
    fprintf(stderr, "the memo was not grabbed (mode %d)\n", gDragMode);
    return;
  }
  const Timing step = Measure([&](int i) {
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + (i % 2 == 0 ? 9 : -9), y + (i % 2 == 0 ? 2 : -2)));
    UpdateWindow(window);
    GdiFlush();
  });
  const Timing alone = Measure([&](int i) {
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + (i % 2 == 0 ? 9 : -9), y + (i % 2 == 0 ? 2 : -2)));
    ValidateRect(window, nullptr);
  });
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  printf("memo drag, one memo on the price pane of the stock all three charts show:\n");
  Print("mouse move and repaint", step);
  Print("mouse move alone", alone);
  printf("goal, a memo drag step takes at most 16 ms: %.2f ms, %s\n", step.median,
         step.median <= 16 ? "met" : "NOT met");
  FreeMemoTable(&gMemos);
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenBenchDatabase(argc, argv) || !AllocTrendLineTables()) {
    fprintf(stderr, "usage: velqo_drag_bench <database folder>\n");
    return 1;
  }
  ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
  pattern.chartCount = 3;
  StockCode shown[3];
  for (int i = 0; i < 3; ++i) {
    shown[i] = gStockTable->records[4 + i].master.code;
    pattern.views[i] = TwelvePaneView(shown[i]);
  }
  const HWND window = ShowBenchMainWindow();
  if (window == nullptr) {
    fprintf(stderr, "no main window\n");
    return 1;
  }
  FillTable(shown);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

  // Grab the first line of chart 0 by the middle of its body.
  const ChartView& view = pattern.views[0];
  const ChartContext& context = gChartContexts[0];
  const TrendLine& line = gTrendLines->lines[0];
  const int last = GetViewLastBar(view, context);
  const int x = (DateToPaneX(view, context, line.date1, last) + DateToPaneX(view, context, line.date2, last)) / 2;
  const int y = (PaneValueToY(view, context, 0, line.value1) + PaneValueToY(view, context, 0, line.value2)) / 2;
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  if (gDragMode != kDragLineBody) {
    fprintf(stderr, "the line was not grabbed (mode %d)\n", gDragMode);
    return 1;
  }
  const int spacing = std::max(1, context.geometry.barSpacing);
  const auto move = [&](int i) {
    const int dx = (i % 2 == 0 ? 1 : -1) * spacing * 2;
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y + (i % 2 == 0 ? 12 : -12)));
  };
  printf("drag step, 3 charts x 12 panes at 1920 x 1080, %d lines (%d on the shown stocks):\n", gTrendLines->count,
         kLinesOnShownStocks);
  const auto measureScene = [&] {
    Print("mouse move and repaint", Measure([&](int i) {
            move(i);
            UpdateWindow(window);
            GdiFlush();
          }));
    Print("mouse move alone", Measure([&](int i) {
            move(i);
            ValidateRect(window, nullptr);
          }));
  };
  printf(" three stocks (the line shows in one chart):\n");
  measureScene();
  // For comparison: the whole window painted again, buttons, splitters and the copy to the screen included.
  Print("whole window repaint", Measure([&](int) {
          RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
          GdiFlush();
        }));
  // Its last step: the picture copied from the memory bitmap to the window.
  {
    const HDC windowDc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    const HDC memory = CreateCompatibleDC(windowDc);
    const HBITMAP picture = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
    const HGDIOBJ old = SelectObject(memory, picture);
    Print("  copy of the client to the window", Measure([&](int) {
            BitBlt(windowDc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            GdiFlush();
          }));
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
  }
  // The worst case: every chart shows the dragged line's stock.
  for (int i = 1; i < 3; ++i) {
    pattern.views[i].stockCode = shown[0];
    LoadChartSeries(i, 1);
  }
  InvalidateAllCharts();
  UpdateWindow(window);
  printf(" one stock in all three charts:\n");
  measureScene();
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  MeasureMemoDrag(window);
  DestroyWindow(window);
  return 0;
}
