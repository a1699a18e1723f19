#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
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

std::unique_ptr<StockMasterFile> Master(const std::vector<StockCode>& codes) {
  auto master = std::make_unique<StockMasterFile>();
  memset(master.get(), 0, sizeof(StockMasterFile));
  master->count = static_cast<int32_t>(codes.size());
  for (size_t i = 0; i < codes.size(); ++i) master->records[i] = MasterRecord(codes[i], "新");
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

void WriteMasterFile(const StockMasterFile& master, size_t bytes) {
  std::vector<uint8_t> image(bytes);
  memcpy(image.data(), &master, std::min(bytes, sizeof(StockMasterFile)));
  WriteWholeFile("BASEDATA/stockinf.dat", image);
}

class StockMasterTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gDailyCacheMemoryStatus = [](uint32_t* load, uint64_t* total) { *load = 40, *total = uint64_t{8} << 30; };
  }
};

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

// Stocks keep their table positions while a changed series could not be written.
// Then a stock missing from the master goes with the cache, the others keep
// their results, and new ones start from zero.
TEST_F(StockMasterTest, MergeWaitsForUnwrittenDailyChangesThenRemovesRefreshesAndInserts) {
  FillTable({Code(1301), Code(1332), Code(7203)});
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(Code(1332), series.get());  // fills the slot
  series->count = 1;
  series->bars[0] = {MakePackedDate(2026, 12, 4), 100, 110, 90, 105, 1000};
  UpdateDailyBars(Code(1332), *series);
  FileFaults faults;
  faults.failReplaces = 100000;
  SetFileFaults(faults);
  const auto master = Master({Code(1001), Code(1301), Code(6758), Code(7203), Code(9984)});
  MergeStockMaster(*master);
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1301), Code(1332), Code(7203)}));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 1);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  SetFileFaults(FileFaults{});
  MergeStockMaster(*master);
  EXPECT_EQ(gDailyCacheCount.load(), 0);
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1001), Code(1301), Code(6758), Code(7203), Code(9984)}));
  EXPECT_EQ(Stock(7203).dailyCount, 3);
  EXPECT_STREQ(Stock(7203).master.name, "新");
  EXPECT_TRUE(ResultsAreZero(Stock(1001)) && ResultsAreZero(Stock(6758)) && !ResultsAreZero(Stock(1301)));
  EXPECT_EQ(Stock(6758).master.tradingUnit, 100);
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

// Old numeric codes are converted on reading; a bad file only beeps.
TEST_F(StockMasterTest, MasterFileIsReadWithOldCodesConvertedAndBadFilesOnlyBeep) {
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
  FillTable({});
  master = Master({1001, 1301, 8, StringToCode("7203"), 9984});
  WriteMasterFile(*master, 4 + 5 * sizeof(StockMasterRecord) + 100);
  LoadStockMaster();
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(8), Code(1001), Code(1301), Code(7203), Code(9984)}));
  EXPECT_TRUE(TakeRecordedBeeps().empty());
}

}  // namespace
