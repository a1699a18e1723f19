#pragma once
// A stock table of hand-built stocks and one chart context whose bars and
// series the tests place themselves, so that every expected value can be
// worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "analysis/chart_series.h"
#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"

constexpr int kMarketPrime = 1;     // flag 0x100
constexpr int kMarketStandard = 2;  // flag 0x200

class ConditionTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_TRUE(AllocGroupTables());
    ASSERT_TRUE(AllocChartContextBuffers(&context_));
    memset(&signalFile_, 0, sizeof signalFile_);
  }
  void TearDown() override {
    FreeChartContextBuffers(&context_);
    PriceStoreTest::TearDown();
  }
  // A stock of a market with `days` daily bars (and as many weeks and months).
  StockRecord& Listed(int number, int marketId, int days = 60) {
    StockRecord& stock = AddStock(NumberCode(number), days);
    stock.master.marketId = static_cast<uint16_t>(marketId);
    stock.master.tradingUnit = 100;
    stock.weeklyCount = stock.monthlyCount = days;
    return stock;
  }
  // Bar i of a period: open, high, low, close 100, 110, 90, 100 times i + 1,
  // volume 1000 times i + 1, one calendar day apart from 2024-01-01.
  void PlaceBars(int period, int count) {
    BarSeries& bars = *context_.periods[period].bars;
    bars.count = count;
    for (int i = 0; i < count; ++i) {
      const int32_t k = i + 1;
      bars.bars[i] = {AddCalendarDays(MakePackedDate(2024, 1, 1), i), 100 * k, 110 * k, 90 * k, 100 * k, 1000 * k};
    }
  }
  IntSeries& Int(int period, int slot, int count) {
    IntSeries& series = *context_.periods[period].chartInt[slot];
    series.count = count;
    return series;
  }
  RealSeries& Real(int period, int slot, int count) {
    RealSeries& series = *context_.periods[period].chartReal[slot];
    series.count = count;
    return series;
  }
  static ConditionTerm Term(int left, int op, int right, double constant = 0) {
    return {static_cast<int16_t>(left), static_cast<int16_t>(op), static_cast<int16_t>(right), 0, constant};
  }
  static void SetTerms(GroupRecord& group, uint16_t mask, std::initializer_list<ConditionTerm> terms) {
    group.automatic = 1;
    group.marketMask = mask;
    group.termCount = static_cast<int16_t>(terms.size());
    std::copy(terms.begin(), terms.end(), group.terms);
  }

  ChartSeriesSet context_{};
  SignalSettingsFile& signalFile_ = gSignalSettingsImage;  // put back by the global state
};
