#pragma once
// Three charts of pattern 0 over a small sample database, laid out so that
// they have a bar spacing and a visible-bar count.
#include <gtest/gtest.h>

#include "chart/chart_hooks.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/cross_hair.h"
#include "chart/screen_pattern.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

class LinkedChartsTest : public ::testing::Test {
 protected:
  static constexpr int kBars = 300;

  void SetUp() override {
    InitStockCodeGlobals();
    SampleDatabaseOptions options;
    options.folder = scratch_.path() + "db";
    options.stocks = 3;
    options.bars = kBars;
    options.seed = 5;
    options.end = MakePackedDate(2026, 12, 2);  // a Wednesday
    ASSERT_EQ(MakeSampleDatabase(options, nullptr), 0);
    ASSERT_TRUE(AllocAllChartContexts());
    stocks_[0] = gStockTable->records[4].master.code;
    stocks_[1] = gStockTable->records[5].master.code;
    stocks_[2] = gStockTable->records[6].master.code;
    ClearChartWindowHooks();
    ClearCrossHairState();
    ScreenPattern& pattern = CurrentScreenPattern();
    pattern.chartCount = 3;
    for (int i = 0; i < 3; ++i) {
      ChartView& view = pattern.views[i];
      view.stockCode = stocks_[i];
      view.period = 0;
      view.lastBarIndex = -1;
      view.barWidth = 5;
      view.dateLink = 0;
      view.stockLink = 0;
      gChartContexts[i].geometry.chart = {0, 200 * i, 800, 200 * i + 190};
    }
    ReloadAllChartSeries();
    InvalidateAllCharts();  // the layout gives the spacing
    for (int i = 0; i < 3; ++i) {
      View(i).lastBarIndex = -1;
      LoadChartSeries(i, 1);  // now placed at the newest bar
      UpdateChartScrollBar(i);
    }
  }

  void TearDown() override {
    ClearChartWindowHooks();
    FreeAllChartContexts();
    ReleaseSampleDatabase();
    for (ChartContext& context : gChartContexts) context.geometry = ChartGeometry{};
  }

  static ChartView& View(int chart) { return CurrentScreenPattern().views[chart]; }
  static const BarSeries& Series(int chart) { return *gChartContexts[chart].periods[View(chart).period].bars; }
  static const BarSeries& PeriodSeries(int chart, int period) { return *gChartContexts[chart].periods[period].bars; }

  // The date at the right edge, or 0 past the end.
  static PackedDate RightEdgeDate(int chart) {
    const RightEdge edge = FindRightEdge(Series(chart), View(chart).lastBarIndex, 0);
    return edge.valid && edge.emptyBars == 0 ? edge.date : 0;
  }

  ScratchFolder scratch_;
  StockCode stocks_[3] = {};
};
