#pragma once
// Three charts of pattern 0 over a small sample database, laid out so that
// they have a bar spacing and a visible-bar count.
#include <gtest/gtest.h>

#include "chart/chart_hooks.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/cross_hair.h"
#include "chart/screen_pattern.h"
#include "data/stock_table.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

class LinkedChartsTest : public ::testing::Test {
 protected:
  static constexpr int kBars = 300;

  void SetUp() override {
    SampleDatabaseOptions options;
    options.folder = scratch_.path() + "db";
    options.stocks = 3;
    options.bars = kBars;
    options.seed = 5;
    options.end = MakePackedDate(2026, 12, 2);  // a Wednesday
    ASSERT_EQ(MakeSampleDatabase(options, nullptr), 0);
    ASSERT_TRUE(AllocAllChartContexts());
    ClearChartWindowHooks();
    ClearCrossHairState();
    CurrentScreenPattern().chartCount = 3;
    for (int i = 0; i < 3; ++i) {
      stocks_[i] = gStockTable->records[4 + i].master.code;
      ChartView& view = View(i);
      view.stockCode = stocks_[i];
      view.period = view.dateLink = view.stockLink = 0;
      view.lastBarIndex = -1;
      view.barWidth = 5;
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

  static ChartView& View(int chart) { return CurrentScreenPattern().views[chart]; }
  static const BarSeries& Series(int chart) { return *gChartContexts[chart].periods[View(chart).period].bars; }
  static const BarSeries& PeriodSeries(int chart, int period) { return *gChartContexts[chart].periods[period].bars; }

  // The date at the right edge, or 0 past the end.
  static PackedDate RightEdgeDate(int chart) {
    const RightEdge edge = FindRightEdge(Series(chart), View(chart).lastBarIndex, 0);
    return edge.valid && edge.emptyBars == 0 ? edge.date : 0;
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  StockCode stocks_[3] = {};
};
