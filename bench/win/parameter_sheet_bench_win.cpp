// Analysis-parameter sheet benchmark: a main window of 1920 x 1080 with three
// charts of twelve panes over a generated database; each step is the menu
// command opening the sheet on one of its fifteen pages, a colour changed on
// the edit copy as a swatch changes it, OK, and the repaint of the charts
// that follows. A second thread presses OK as soon as the sheet shows. Prints
// the median, lowest and highest step of 75 (each page five times) and
// the median of each page.
//
//   velqo_sheet_bench.exe <database folder>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "bench/win/bench_window_win.h"
#include "analysis/group_store.h"
#include "analysis/parameter_pages.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "records/palette_slots.h"
#include "shell/commands.h"
#include "shell/settings.h"
#include "tools/sample_db/series_digest.h"
#include "window/main_window_win.h"
#include "window/window_hooks.h"

namespace {

constexpr int kRounds = 5;

// Presses OK on every sheet that shows, after changing a colour of its edit copy.
struct OkPresser {
  std::atomic<bool> stop{false};
  std::atomic<int> pressed{0};
  std::wstring caption;
  void Run() {
    while (!stop) {
      const HWND sheet = FindWindowW(L"#32770", caption.c_str());
      if (sheet == nullptr || !IsWindowVisible(sheet)) {
        SwitchToThread();
        continue;
      }
      gSettingsEdit.paletteColors[kColorRsi0] ^= 0x00FFFFFF;
      PostMessageW(sheet, WM_COMMAND, IDOK, 0);
      while (IsWindow(sheet) && !stop) SwitchToThread();
      ++pressed;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!OpenBenchDatabase(argc, argv)) {
    fprintf(stderr, "usage: velqo_sheet_bench <database folder>\n");
    return 1;
  }
  gRecomputeNeeded = 0;  // a colour change asks nothing
  ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
  pattern.chartCount = 3;
  for (int i = 0; i < 3; ++i) pattern.views[i] = TwelvePaneView(gStockTable->records[4 + i].master.code);
  gWindowHooks.onMainCommand = OnMainCommand;  // as the menu reaches it
  const HWND window = ShowBenchMainWindow();
  if (window == nullptr) {
    fprintf(stderr, "no main window\n");
    return 1;
  }

  OkPresser presser;
  wchar_t caption[128] = L"";
  LoadStringW(GetModuleHandleW(nullptr), 127, caption, 128);
  presser.caption = caption;
  std::thread helper([&] { presser.Run(); });
  std::vector<double> ms;
  std::vector<std::vector<double>> byPage(kParameterPageCount);
  const ColorRef before = gPaletteColors[kColorRsi0];
  for (int step = 0; step < kParameterPageCount * kRounds; ++step) {
    gSettings.paramSheetStartPage = step % kParameterPageCount;
    const double start = NowMs();
    SendMessageW(window, WM_COMMAND, IDM_ANALYSIS_PARAMETERS, 0);
    UpdateWindow(window);
    GdiFlush();
    ms.push_back(NowMs() - start);
    byPage[static_cast<size_t>(step % kParameterPageCount)].push_back(ms.back());
  }
  presser.stop = true;
  helper.join();
  // For comparison: the repaint of the charts alone.
  std::vector<double> repaint;
  for (int step = 0; step < kParameterPageCount * kRounds; ++step) {
    const double start = NowMs();
    InvalidateAllCharts();
    UpdateWindow(window);
    GdiFlush();
    repaint.push_back(NowMs() - start);
  }
  std::sort(repaint.begin(), repaint.end());
  const bool changed = gPaletteColors[kColorRsi0] != before || presser.pressed % 2 == 0;
  std::sort(ms.begin(), ms.end());
  printf("analysis-parameter sheet, 3 charts x 12 panes at 1920 x 1080, opened on each page %d times:\n", kRounds);
  printf("  open, colour change, OK, repaint   median %7.2f ms   min %7.2f   max %7.2f   (%d OKs%s)\n",
         ms[ms.size() / 2], ms.front(), ms.back(), presser.pressed.load(), changed ? "" : ", colour not live");
  printf("  median by page:");
  for (std::vector<double>& page : byPage) {
    std::sort(page.begin(), page.end());
    printf(" %.0f", page[page.size() / 2]);
  }
  printf(" ms\n");
  printf("  the charts' repaint alone          median %7.2f ms   min %7.2f   max %7.2f\n", repaint[repaint.size() / 2],
         repaint.front(), repaint.back());
  DestroyWindow(window);
  return 0;
}
