#pragma once
// A scratch data folder with an empty stock table and daily cache, and the
// series and file images the tests of the price store build.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "records/price_series.h"
#include "data/stock_table.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"

// The code written "%04d" of n, and its daily file's path in the scratch folder.
StockCode NumberCode(int n);
std::string DayPath(StockCode code);

// The codes of the stock table in table order.
std::vector<StockCode> TableCodes();

// The file image of a series: its header and its first `count` bars (all when -1).
std::vector<uint8_t> SeriesImage(const BarSeries& series, int count = -1);

// `count` bars of bar(i) under `code`.
template <typename BarAt>
std::unique_ptr<BarSeries> SeriesOf(StockCode code, int count, BarAt bar) {
  auto series = std::make_unique<BarSeries>();
  series->code = code;
  series->count = count;
  for (int i = 0; i < count; ++i) series->bars[i] = bar(i);
  return series;
}

// The data folder (with DAY and BASEDATA), sleeps summed, an empty stock
// table and a fresh daily cache. Everything is put back afterwards.
class PriceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Appends a stock to the table (in code order) and gives its record.
  StockRecord& AddStock(StockCode code, int dailyCount = 0);

  ScopedGlobalState globals_;
  ScratchFolder folder_;
};
