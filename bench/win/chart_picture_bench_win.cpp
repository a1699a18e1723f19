// Chart picture benchmark: three charts of twelve panes laid out at
// 1920 x 1080 from a generated database, drawn into an enhanced metafile
// (as copying, page setup and printing do) and that picture played into a
// 1920 x 1080 bitmap; prints the median of 20 rounds of each.
//
//   velqo_picture_bench.exe <database folder>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/win/bench_window_win.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "window/chart_window_layout.h"
#include "window/chart_picture_win.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 20;

double Median(std::vector<double> ms) {
  std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
  return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenBenchDatabase(argc, argv)) {
    fprintf(stderr, "usage: velqo_picture_bench <database folder>\n");
    return 2;
  }
  CreateSharedGdiObjects();
  MeasureSharedFonts(nullptr);
  InstallChartTextMeasures();
  if (!AllocAllChartContexts()) return 3;
  ScreenPattern& pattern = CurrentScreenPattern();
  pattern.chartCount = 3;
  pattern.views[0] = TwelvePaneView(gCanonicalIndexCodes[0]);
  pattern.views[1] = TwelvePaneView(gStockTable->records[gStockTable->count / 2].master.code);
  pattern.views[2] = TwelvePaneView(gStockTable->records[gStockTable->count - 1].master.code);
  pattern.views[2].period = 1;
  ReloadAllChartSeries();
  Rect charts[3];
  ComputeChartRects({0, 0, kWidth, kHeight}, pattern, gPaneHeights, gChartFontSize, charts);
  for (int c = 0; c < 3; ++c) ComputePaneScales(charts[c], pattern.views[c], &gChartContexts[c]);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT whole = {0, 0, kWidth, kHeight};

  DeleteEnhMetaFile(RenderChartsToMetafile());  // builds what is kept between paints
  std::vector<double> render, play;
  for (int round = 0; round < kRounds; ++round) {
    double start = NowMs();
    const HENHMETAFILE picture = RenderChartsToMetafile();
    render.push_back(NowMs() - start);
    start = NowMs();
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawMetafileFitted(dc, picture, whole);
    GdiFlush();
    play.push_back(NowMs() - start);
    DeleteEnhMetaFile(picture);
  }
  printf("%d x %d, 3 charts x 12 panes, %d rounds\n", kWidth, kHeight, kRounds);
  printf("  render into the metafile  %8.2f ms (median)\n", Median(render));
  printf("  play at %d x %d       %8.2f ms (median)\n", kWidth, kHeight, Median(play));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return 0;
}
