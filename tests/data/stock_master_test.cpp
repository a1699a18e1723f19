#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "tests/support/price_store.h"

namespace {

StockCode Code(int n) { return NumberCode(n); }

StockMasterRecord MasterRecord(StockCode code, const char* name) {
  StockMasterRecord record{};
  record.code = code;
  snprintf(record.name, sizeof record.name, "%s", name);
  record.marketId = 3;
  record.tradingUnit = 100;
  return record;
}

std::unique_ptr<StockMasterFile> Master(const std::vector<StockCode>& codes, const char* name = "新") {
  auto master = std::make_unique<StockMasterFile>();
  memset(master.get(), 0, sizeof(StockMasterFile));
  master->count = static_cast<int32_t>(codes.size());
  for (size_t i = 0; i < codes.size(); ++i) master->records[i] = MasterRecord(codes[i], name);
  return master;
}

// Every record, the unused ones too, carries results; dailyCount tells the stocks apart.
void FillTable(const std::vector<StockCode>& codes) {
  memset(gStockTable, 0x77, sizeof(StockTable));
  gStockTable->count = static_cast<int32_t>(codes.size());
  for (size_t i = 0; i < codes.size(); ++i) {
    gStockTable->records[i].master = MasterRecord(codes[i], "旧");
    gStockTable->records[i].dailyCount = static_cast<int32_t>(i + 1);
  }
  ResetStockLookupCache();
}

bool ResultsAreZero(const StockRecord& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record) + sizeof(StockMasterRecord);
  return std::all_of(bytes, bytes + sizeof(StockRecord) - sizeof(StockMasterRecord), [](uint8_t b) { return b == 0; });
}

const StockRecord& Stock(int n) { return gStockTable->records[FindStockIndexByCode(Code(n))]; }

using StockMasterTest = PriceStoreTest;

// ---- Merging ---------------------------------------------------------------------------

TEST_F(StockMasterTest, FourRecordsAreRefusedFiveEndingInZZZZAccepted) {
  FillTable({Code(1301)});
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203)}));
  EXPECT_EQ(TableCodes(), std::vector<StockCode>{Code(1301)});
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("ZZZZ")}));
  EXPECT_EQ(TableCodes(),
            (std::vector<StockCode>{Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("ZZZZ")}));
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("a000")}));
  EXPECT_EQ(gStockTable->count, 5);
}

TEST_F(StockMasterTest, AStockMissingFromTheMasterIsRemovedAndTheDailyCacheEmptied) {
  FillTable({Code(1301), Code(1332), Code(7203)});
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(Code(1332), series.get());
  ASSERT_GT(gDailyCacheCount.load(), 0);
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), Code(9984)}));
  EXPECT_EQ(gDailyCacheCount.load(), 0);
  EXPECT_EQ(FindStockIndexByCode(Code(1332)), -1);
  EXPECT_EQ(Stock(7203).dailyCount, 3);
  EXPECT_STREQ(Stock(7203).master.name, "新");
}

// Stocks keep their table positions while a changed series could not be written.
TEST_F(StockMasterTest, AnUnwrittenDailyChangeHoldsTheMergeBack) {
  FillTable({Code(1301), Code(1332), Code(7203)});
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(Code(1332), series.get());  // fills the slot
  series->count = 1;
  series->bars[0] = {MakePackedDate(2026, 12, 4), 100, 110, 90, 105, 1000};
  UpdateDailyBars(Code(1332), *series);
  ASSERT_EQ(CountDirtyDailyCacheEntries(), 1);
  FileFaults faults;
  faults.failReplaces = 100000;
  SetFileFaults(faults);
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), Code(9984)}));
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1301), Code(1332), Code(7203)}));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 1);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
}

// A master holds at most 5000 records, so the table is still full after the
// removal only when it held a code twice.
TEST_F(StockMasterTest, FullTableSkipsANewCodeButRefreshesTheOthers) {
  std::vector<StockCode> codes{Code(0)};
  for (int i = 0; i < kMaxStocks - 1; ++i) codes.push_back(Code(i));
  FillTable(codes);
  codes[0] = Code(9999);
  MergeStockMaster(*Master(codes));
  EXPECT_EQ(gStockTable->count, kMaxStocks);
  EXPECT_EQ(FindStockIndexByCode(Code(9999)), -1);
  EXPECT_STREQ(Stock(4998).master.name, "新");
  EXPECT_EQ(Stock(4998).dailyCount, kMaxStocks);
}

TEST_F(StockMasterTest, NewStockBesideARecordWithResultsStartsFromZero) {
  FillTable({Code(1301), Code(1305)});
  gStockTable->records[0].signalHits[3] = 1;
  gStockTable->records[0].brokerHistoryMarker = 0x1234;
  MergeStockMaster(*Master({Code(1301), Code(1302), Code(1305), Code(7203), Code(9984)}));
  ASSERT_EQ(FindStockIndexByCode(Code(1302)), 1);
  EXPECT_TRUE(ResultsAreZero(Stock(1302)));
  EXPECT_EQ(Stock(1302).master.tradingUnit, 100);
  EXPECT_EQ(Stock(1301).brokerHistoryMarker, 0x1234u);
}

// The same merge done record by record: removal, then update or insertion in
// master order (a new stock zeroed), then a stable sort.
struct ModelStock {
  StockMasterRecord master;
  int32_t dailyCount;  // 0 for a new stock
};
StockCode CodeOf(const ModelStock& stock) { return stock.master.code; }
StockCode CodeOf(const StockMasterRecord& record) { return record.code; }

std::vector<ModelStock> ModelMerge(std::vector<ModelStock> table, const StockMasterFile& master) {
  const StockMasterRecord* begin = master.records;
  const StockMasterRecord* end = begin + master.count;
  const auto sameCode = [](StockCode code) { return [code](const auto& s) { return CodeOf(s) == code; }; };
  table.erase(std::remove_if(table.begin(), table.end(),
                             [&](const ModelStock& s) { return std::none_of(begin, end, sameCode(s.master.code)); }),
              table.end());
  for (const StockMasterRecord* m = begin; m != end; ++m) {
    const auto same = std::find_if(table.begin(), table.end(), sameCode(m->code));
    if (same != table.end()) {
      same->master = *m;
    } else if (table.size() < kMaxStocks) {
      table.insert(std::find_if(table.begin(), table.end(),
                                [m](const ModelStock& s) { return CodeLess(m->code, s.master.code); }),
                   ModelStock{*m, 0});
    }
  }
  std::stable_sort(table.begin(), table.end(),
                   [](const ModelStock& a, const ModelStock& b) { return CodeLess(a.master.code, b.master.code); });
  return table;
}

TEST_F(StockMasterTest, MergeEqualsTheRecordByRecordMerge) {
  std::mt19937 random(20260105);
  for (int round = 0; round < 300; ++round) {
    // A small pool of codes, so that table and master overlap and repeat codes.
    const auto pick = [&random] { return Code(static_cast<int>(random() % 40) * 7); };
    std::vector<StockCode> codes(random() % 25);
    std::generate(codes.begin(), codes.end(), pick);
    std::sort(codes.begin(), codes.end());
    FillTable(codes);
    std::vector<ModelStock> model;
    for (size_t i = 0; i < codes.size(); ++i)
      model.push_back({gStockTable->records[i].master, static_cast<int32_t>(i + 1)});
    std::vector<StockCode> masterCodes(5 + random() % 30);
    std::generate(masterCodes.begin(), masterCodes.end(), pick);
    auto master = Master(masterCodes);
    for (size_t i = 0; i < masterCodes.size(); ++i) snprintf(master->records[i].name, 64, "%zu", i);

    MergeStockMaster(*master);
    const std::vector<ModelStock> expected = ModelMerge(model, *master);
    ASSERT_EQ(gStockTable->count, static_cast<int>(expected.size())) << round;
    for (size_t i = 0; i < expected.size(); ++i) {
      const StockRecord& record = gStockTable->records[i];
      ASSERT_EQ(memcmp(&record.master, &expected[i].master, sizeof(StockMasterRecord)), 0) << round << " " << i;
      ASSERT_TRUE(expected[i].dailyCount != 0 ? record.dailyCount == expected[i].dailyCount : ResultsAreZero(record))
          << round << " " << i;
    }
  }
}

// ---- Reading the master file --------------------------------------------------------------

void WriteMasterFile(const StockMasterFile& master, size_t bytes) {
  std::vector<uint8_t> image(bytes);
  memcpy(image.data(), &master, std::min(bytes, sizeof(StockMasterFile)));
  WriteWholeFile("BASEDATA/stockinf.dat", image);
}

TEST_F(StockMasterTest, OldNumericCodesAreConvertedOnReading) {
  FillTable({});
  auto master = Master({1001, 1301, 8, StringToCode("7203"), 9984});
  WriteMasterFile(*master, 4 + 5 * sizeof(StockMasterRecord) + 100);
  LoadStockMaster();
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(8), Code(1001), Code(1301), Code(7203), Code(9984)}));
  EXPECT_TRUE(TakeRecordedBeeps().empty());
}

TEST_F(StockMasterTest, BadMasterFilesOnlyBeep) {
  FillTable({Code(1301), Code(7203)});
  auto master = Master({Code(1001), Code(1301), Code(6758), Code(7203), Code(9984)});
  LoadStockMaster();  // missing
  WriteMasterFile(*master, sizeof(StockMasterFile) + 1);
  LoadStockMaster();  // too large
  WriteMasterFile(*master, 4 + 5 * sizeof(StockMasterRecord) - 1);
  LoadStockMaster();  // its count claims a record the file cuts short
  EXPECT_EQ(TakeRecordedBeeps().size(), 3u);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1301), Code(7203)}));
}

}  // namespace
