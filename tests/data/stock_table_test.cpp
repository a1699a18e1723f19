#include "data/stock_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"

namespace {

constexpr size_t kTableBytes = sizeof(StockTable);

StockCode Code(int n) { return NumberCode(n); }

void WriteMasterOfFive() {
  auto master = std::make_unique<StockMasterFile>();
  master->count = 5;
  for (int i = 0; i < 5; ++i) master->records[i].code = Code(9000 - i);
  const auto* bytes = reinterpret_cast<const uint8_t*>(master.get());
  WriteWholeFile("BASEDATA/stockinf.dat", std::vector<uint8_t>(bytes, bytes + 4 + 5 * sizeof(StockMasterRecord)));
}

// A stock.dat image holding the codes in the order given.
std::vector<uint8_t> TableImage(int32_t count, const std::vector<StockCode>& codes) {
  std::vector<uint8_t> bytes(kTableBytes);
  auto* table = reinterpret_cast<StockTable*>(bytes.data());
  table->count = count;
  for (size_t i = 0; i < codes.size(); ++i) {
    table->records[i].master.code = codes[i];
    snprintf(table->records[i].master.name, 64, "銘柄%zu", i);
  }
  return bytes;
}

// Rebuilt, time-back mode, recompute needed, groups dirty.
std::vector<int> Flags() { return {gStockTableRebuilt, gTimeBackMode, gRecomputeNeeded, gGroupsDirty}; }

std::vector<uint8_t> TableInMemory() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(gStockTable);
  return std::vector<uint8_t>(bytes, bytes + kTableBytes);
}

class StockTableTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gTimeBackMode = 1;
    gRecomputeNeeded = 0;
    gGroupsDirty = 0;
    gShowShortNames = 0;
    WriteMasterOfFive();
  }
};

// ---- Start-up load and save ---------------------------------------------------------

TEST_F(StockTableTest, StockFileOneByteShortIsRebuiltFromTheMaster) {
  std::vector<uint8_t> image = TableImage(2, {Code(1111), Code(2222)});
  image.pop_back();
  WriteWholeFile("stock.dat", image);
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(8996), Code(8997), Code(8998), Code(8999), Code(9000)}));
  EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 1, 1}));
  EXPECT_EQ(ReadWholeFile("stock.dat"), TableInMemory());
}

TEST_F(StockTableTest, SavedTableLoadsAndSavesBackByteForByte) {
  gTimeBackMode = 0;
  std::vector<uint8_t> image = TableImage(3, {Code(1301), Code(7203), Code(9984)});
  // Results, the spare word and unused records all carry bytes of their own.
  for (size_t i = sizeof(StockMasterRecord) + 8; i < 3 * sizeof(StockRecord); ++i) {
    if ((i - 8) % sizeof(StockRecord) >= sizeof(StockMasterRecord)) image[i] = static_cast<uint8_t>(i * 13);
  }
  image[4] = 0x5A;
  memset(&image[8 + 4000 * sizeof(StockRecord)], 0xA5, sizeof(StockRecord));
  WriteWholeFile("stock.dat", image);

  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(Flags(), (std::vector<int>{0, 0, 0, 0}));
  ASSERT_EQ(SaveStockTable(1), 0);
  EXPECT_EQ(ReadWholeFile("stock.dat"), image);
}

TEST_F(StockTableTest, CountsTextsAndMarketIdsFromTheFileAreBounded) {
  gTimeBackMode = 0;
  for (const int32_t count : {6000, -1}) {
    std::vector<uint8_t> image = TableImage(count, {Code(1301), Code(7203)});
    auto& first = reinterpret_cast<StockTable*>(image.data())->records[0].master;
    memset(first.name, 'N', sizeof first.name);
    for (int i = 0; i < 16; i += 2) memcpy(first.shortName + i, "ア", 2);  // no room for a terminator
    first.marketId = 13;
    WriteWholeFile("stock.dat", image);
    ASSERT_TRUE(LoadStockTable());
    if (count < 0) {
      EXPECT_EQ(gStockTable->count, 0);
      continue;
    }
    ASSERT_EQ(gStockTable->count, kMaxStocks);
    const StockMasterRecord& loaded = gStockTable->records[FindStockIndexByCode(Code(1301))].master;
    EXPECT_EQ(std::string(loaded.name), std::string(63, 'N'));
    EXPECT_STREQ(loaded.shortName, "アアアアアアア");
    EXPECT_EQ(loaded.marketId, 0);
  }
}

// A file that is there but cannot be read may still be good: it must outlive the session.
TEST_F(StockTableTest, UnreadableStockFileIsNeverOverwritten) {
  const std::vector<uint8_t> image = TableImage(2, {Code(1111), Code(2222)});
  WriteWholeFile("stock.dat", image);
  FileFaults faults;
  faults.failReads = 10;  // every attempt at stock.dat; the master then reads
  SetFileFaults(faults);

  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(gStockTable->count, 5);
  EXPECT_EQ(Flags(), (std::vector<int>{0, 0, 1, 1}));
  EXPECT_EQ(SaveStockTable(0), kErrorReadFault);
  EXPECT_EQ(ReadWholeFile("stock.dat"), image);

  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1111), Code(2222)}));
  EXPECT_EQ(SaveStockTable(0), 0);
}

TEST_F(StockTableTest, TimeBackTableIsReadUnsortedOrTheModeIsLeft) {
  WriteWholeFile("stock.dat", TableImage(2, {Code(1301), Code(7203)}));
  WriteWholeFile("stocktb.dat", TableImage(2, {Code(9984), Code(1301)}));
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(9984), Code(1301)}));
  EXPECT_EQ(gTimeBackMode, 1);

  std::vector<uint8_t> tooLong = TableImage(1, {Code(9984)});
  tooLong.push_back(0);
  WriteWholeFile("stocktb.dat", tooLong);
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{Code(1301), Code(7203)}));
  EXPECT_EQ(gTimeBackMode, 0);
  EXPECT_EQ(gRecomputeNeeded, 1);
}

// ---- Lookup and names --------------------------------------------------------------------

TEST_F(StockTableTest, LookupsBeforeAndAfterSorting) {
  gStockTable->count = 5;
  for (int i = 0; i < 5; ++i) gStockTable->records[i].master.code = Code(4 - i);
  ResetStockLookupCache();
  EXPECT_EQ(FindStockIndexByCode(0), -1);  // an empty cache is not "code 0 at index 0"
  SortStockTable();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FindStockIndexByCode(Code(i)), i);
  EXPECT_EQ(FindStockIndexByCode(Code(3)), 3);
  std::swap(gStockTable->records[1], gStockTable->records[3]);
  SortStockTable();
  EXPECT_EQ(FindStockIndexByCode(Code(3)), 3);
  EXPECT_EQ(FindStockIndexByCode(Code(5)), -1);
}

TEST_F(StockTableTest, ConcurrencyLookupsOnManyThreadsGetTheirOwnCodes) {
  gStockTable->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) gStockTable->records[i].master.code = Code(i);
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int i = t; i < 5 * kMaxStocks; i += 4) {
        const int index = i % kMaxStocks;
        // Twice: the second is usually answered by the cache another thread may be changing.
        if (FindStockIndexByCode(Code(index)) != index || FindStockIndexByCode(Code(index)) != index) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST_F(StockTableTest, NamesComeFromStocksWithinTheCount) {
  gStockTable->count = 1;
  gStockTable->records[0].master.code = Code(0);
  snprintf(gStockTable->records[0].master.name, 64, "極洋");
  snprintf(gStockTable->records[0].master.shortName, 16, "キョクヨ");
  snprintf(gStockTable->records[1].master.name, 64, "残り");
  EXPECT_STREQ(GetStockNameByIndex(0), "極洋");
  EXPECT_STREQ(GetStockNameByIndex(1), "");
  gShowShortNames = 1;
  EXPECT_STREQ(GetStockNameByIndex(0), "キョクヨ");
  EXPECT_STREQ(GetStockNameByCode(Code(1)), "");
}

}  // namespace
