#include "chart/chart_caption.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/sjis_text.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

class ChartCaptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateStockTable());
    gStockTable->count = 1;
    StockRecord& stock = gStockTable->records[0];
    stock = StockRecord{};
    stock.master = {StringToCode("7203"), "トヨタ自動車", "", "トヨタ", 1, 0, 0, 100};
    stock.flags = kStockFlagIndexWeight;
    stock.lastDate = MakePackedDate(2026, 12, 4);
    stock.liveTime = kLiveTimeFinished;
    ResetStockLookupCache();
  }
  static std::string Caption(int index, int period, bool forecast, int size = kChartCaptionSize) {
    char text[kChartCaptionSize];
    memset(text, 'x', sizeof text);
    FormatChartCaption(index, period, forecast, text, size);
    return text;
  }
  ScopedGlobalState globals_;
};

TEST_F(ChartCaptionTest, TheStockItsMarketItsLastDayAndItsState) {
  EXPECT_EQ(Caption(0, 0, false), "7203 トヨタ自動車 (日足) - 東証プライム(T5) - 100株単位 2026/12/4  確定 ");
  // A forecast comes first, then the live time.
  EXPECT_EQ(Caption(0, 1, true), "7203 トヨタ自動車 (週足) - 東証プライム(T5) - 100株単位 2026/12/4  予想 ");
  gStockTable->records[0].liveTime = MakePackedTime(10, 30, 5);
  gStockTable->records[0].flags = 0;
  gShowShortNames = 1;
  EXPECT_EQ(Caption(0, 2, false), "7203 トヨタ (月足) - 東証プライム - 100株単位 2026/12/4  10:30:05 ");
  EXPECT_EQ(Caption(1, 0, false) + Caption(-1, 0, false), "") << "outside the table";
}

TEST_F(ChartCaptionTest, ACaptionIsCutToItsBufferAtAWholeCharacter) {
  StockRecord& stock = gStockTable->records[0];
  memset(stock.master.name, 0, sizeof stock.master.name);
  for (size_t i = 0; i + 1 < sizeof stock.master.name; i += 2) memcpy(stock.master.name + i, "あ", 2);
  stock.master.name[63] = '\x82';  // no terminator, a lead byte last
  stock.master.marketId = 200;     // outside the market names
  stock.liveTime = 0xFFFFFF;
  stock.master.tradingUnit = -32768;
  EXPECT_LT(Caption(0, 7, false).size(), static_cast<size_t>(kChartCaptionSize));
  for (int size : {1, 2, 5, 6, 7, 8, 20, 21, 40, 41, 80}) {
    const std::string cut = Caption(0, 0, false, size);
    size_t i = 0;  // no lead byte is left at the end
    while (i < cut.size()) i += IsSjisLeadByte(static_cast<uint8_t>(cut[i])) ? 2 : 1;
    EXPECT_EQ(Row(cut.size() < static_cast<size_t>(size), i), Row(true, cut.size())) << size;
  }
}

}  // namespace
