#include "data/stock_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <thread>

#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr size_t kTableBytes = sizeof(StockTable);

StockCode Code(int n) { return NumberCode(n); }

std::vector<StockCode> Codes(std::initializer_list<int> numbers) {
  std::vector<StockCode> codes;
  for (int n : numbers) codes.push_back(Code(n));
  return codes;
}

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

void WriteMasterFile(const StockMasterFile& master, size_t bytes = 4 + 5 * sizeof(StockMasterRecord)) {
  std::vector<uint8_t> image(bytes);
  memcpy(image.data(), &master, std::min(bytes, sizeof(StockMasterFile)));
  WriteWholeFile("BASEDATA/stockinf.dat", image);
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
    WriteMasterFile(*Master(Codes({9000, 8999, 8998, 8997, 8996})));
  }
};

TEST_F(StockTableTest, SavedTableLoadsAndSavesBackByteForByteAndOneByteShortIsRebuiltFromTheMaster) {
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
  image = TableImage(2, {Code(1111), Code(2222)});
  image.pop_back();
  WriteWholeFile("stock.dat", image);
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), Codes({8996, 8997, 8998, 8999, 9000}));
  EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 1, 1}));
  EXPECT_EQ(ReadWholeFile("stock.dat"), TableInMemory());
}

// Faults the program never writes: the file is set aside under a fresh name,
// never over an earlier one, and the user told; a damaged stock.dat is
// rebuilt from the master, a damaged stocktb.dat ends time-back mode.
TEST_F(StockTableTest, DamagedTablesAreSetAsideAndReplaced) {
  using Damage = void (*)(StockTable&);
  const std::pair<std::string, Damage> cases[] = {
      {"stock.dat", [](StockTable& t) { t.count = kMaxStocks + 1; }},
      {"stock.dat", [](StockTable& t) { t.count = -1; }},
      {"stock.dat", [](StockTable& t) { memset(t.records[1].master.name, 'N', 64); }},
      {"stock.dat",
       [](StockTable& t) {
         for (int i = 0; i < 16; i += 2) memcpy(t.records[1].master.shortName + i, "ア", 2);
       }},
      {"stock.dat", [](StockTable& t) { t.records[0].master.marketId = 13; }},
      {"stock.dat", [](StockTable& t) { t.records[1].master.code = t.records[0].master.code; }},
      {"stock.dat", [](StockTable& t) { t.records[1].master.code = 10000; }},  // a plain number no code stands for
      {"stocktb.dat", [](StockTable& t) { t.records[1].master.code = StringToCode("zzzz"); }},
  };
  const std::vector<StockCode> fileCodes = Codes({1301, 7203}), masterCodes = Codes({8996, 8997, 8998, 8999, 9000});
  const std::vector<uint8_t> good = TableImage(2, fileCodes);
  std::vector<uint8_t> firstDamaged;
  std::map<std::string, int> setAside;
  for (const auto& [file, damage] : cases) {
    std::vector<uint8_t> damaged = good;
    damage(*reinterpret_cast<StockTable*>(damaged.data()));
    const bool timeBack = file == "stocktb.dat";
    if (timeBack) WriteWholeFile("stock.dat", good);
    WriteWholeFile(file, damaged);
    gTimeBackMode = timeBack ? 1 : 0;
    gRecomputeNeeded = 0;
    gGroupsDirty = 0;
    ASSERT_TRUE(LoadStockTable());
    const int n = ++setAside[file];
    const std::string aside = file + ".damaged" + (n > 1 ? std::to_string(n) : "");
    EXPECT_EQ(ReadWholeFile(aside), damaged) << aside;
    EXPECT_EQ(TableCodes(), timeBack ? fileCodes : masterCodes);
    EXPECT_EQ(Flags(), (std::vector<int>{timeBack ? 0 : 1, 0, 1, 1}));
    const std::vector<RecordedMessageBox> boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(aside + " に移しました。"), std::string::npos) << aside;
    EXPECT_EQ(ReadWholeFile("stock.dat"), TableInMemory());
    if (firstDamaged.empty()) firstDamaged = damaged;
  }
  EXPECT_EQ(ReadWholeFile("stock.dat.damaged"), firstDamaged);
}

// A time-back table out of code order is sorted like stock.dat, so that
// lookups find every stock. A damaged file that cannot be moved away is kept,
// and so is one that is there but cannot be read: it may still be good and
// must outlive the session.
TEST_F(StockTableTest, TimeBackTableIsReadSortedOrLeftAndAStockFileThatCannotBeSetAsideOrReadIsKept) {
  WriteWholeFile("stock.dat", TableImage(2, {Code(1301), Code(7203)}));
  WriteWholeFile("stocktb.dat", TableImage(3, {Code(9984), Code(1301), Code(6758)}));
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), Codes({1301, 6758, 9984}));
  EXPECT_EQ(Row(FindStockIndexByCode(Code(1301)), FindStockIndexByCode(Code(9984))), Row(0, 2));
  EXPECT_EQ(gTimeBackMode, 1);
  std::vector<uint8_t> tooLong = TableImage(1, {Code(9984)});
  tooLong.push_back(0);
  WriteWholeFile("stocktb.dat", tooLong);
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), Codes({1301, 7203}));
  EXPECT_EQ(gTimeBackMode, 0);
  EXPECT_EQ(gRecomputeNeeded, 1);
  const std::vector<uint8_t> good = TableImage(2, {Code(1111), Code(2222)});
  const std::pair<std::vector<uint8_t>, void (*)(FileFaults&)> cases[] = {
      {TableImage(-1, {}), [](FileFaults& f) { f.failReplaces = 1; }},
      {good, [](FileFaults& f) { f.failReads = 10; }}};  // every attempt at stock.dat; the master then reads
  for (const auto& [image, fault] : cases) {
    WriteWholeFile("stock.dat", image);
    FileFaults faults;
    fault(faults);
    SetFileFaults(faults);
    ASSERT_TRUE(LoadStockTable());
    EXPECT_EQ(gStockTable->count, 5);
    EXPECT_EQ(Flags(), (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(SaveStockTable(0), kErrorReadFault);
    EXPECT_EQ(ReadWholeFile("stock.dat"), image);
  }
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(TableCodes(), Codes({1111, 2222}));
  EXPECT_EQ(SaveStockTable(0), 0);
}

std::string Folded(const char* text, size_t size = 256) {
  char out[256];
  memset(out, 'X', sizeof out);
  NormalizeTextForSearch(text, out, size);
  return out;
}

TEST_F(StockTableTest, LookupsBeforeAndAfterSortingNamesWithinTheCountAndSearchesOfFoldedTexts) {
  gStockTable->count = 5;
  for (int i = 0; i < 5; ++i) gStockTable->records[i].master.code = Code(4 - i);
  ResetStockLookupCache();
  EXPECT_EQ(FindStockIndexByCode(0), -1);  // an empty cache is not "code 0 at index 0"
  SortStockTable();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FindStockIndexByCode(Code(i)), i);
  std::swap(gStockTable->records[1], gStockTable->records[3]);
  SortStockTable();
  EXPECT_EQ(Row(FindStockIndexByCode(Code(3)), FindStockIndexByCode(Code(5))), Row(3, -1));
  gStockTable->count = 1;
  snprintf(gStockTable->records[0].master.name, 64, "極洋");
  snprintf(gStockTable->records[0].master.shortName, 16, "キョクヨ");
  snprintf(gStockTable->records[1].master.name, 64, "残り");
  EXPECT_EQ(std::string(GetStockNameByIndex(0)) + "|" + GetStockNameByIndex(1), "極洋|");
  gShowShortNames = 1;
  EXPECT_EQ(std::string(GetStockNameByIndex(0)) + "|" + GetStockNameByCode(Code(1)), "キョクヨ|");
  // Full-width forms fold to ASCII, never half a character nor past the output;
  // the trail byte of "ア" is 'A', that of "ソ" is '\': no match starts there.
  std::string ascii;
  for (char c = '!'; c <= '~'; ++c) ascii += c;
  EXPECT_EQ(Folded("！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠"
                   "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿｀"
                   "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～"),
            ascii);
  EXPECT_EQ(Folded("　ソニーｱ日本"), "　ソニーｱ日本");
  EXPECT_EQ(Folded("アイウ", 6) + "|" + Folded("ＡＢア", 4) + "|" + Folded("A\x82"), "アイ|AB|A\x82");
  const std::pair<const char*, const char*> found[] = {
      {"ABC", "ＡＢＣ"}, {"ＡＢＣ工業", "ABC"}, {"A", ""}, {"アAイ", "A"}, {"ｱA", "A"}};
  const std::pair<const char*, const char*> notFound[] = {
      {"abc", "ＡＢＣ"}, {"", ""}, {nullptr, ""}, {"アイ", "A"}, {"ソニー", "￥"}};
  for (const auto& [text, pattern] : found) EXPECT_TRUE(ContainsTextNormalized(text, pattern)) << text;
  for (const auto& [text, pattern] : notFound) EXPECT_FALSE(ContainsTextNormalized(text, pattern)) << pattern;
  const char* texts[][3] = {{"ABC工業", "エービーシー", "ABC"},
                            {"日本水産", "", ""},
                            {"マルハ", "ＡＢＣマルハ", ""},
                            {"abc", "", ""},
                            {"ABC", "ABC", "ABC"}};  // beyond the count
  for (int i = 0; i < 5; ++i) {
    StockMasterRecord& master = gStockTable->records[i].master;
    snprintf(master.name, sizeof master.name, "%s", texts[i][0]);
    snprintf(master.reading, sizeof master.reading, "%s", texts[i][1]);
    snprintf(master.shortName, sizeof master.shortName, "%s", texts[i][2]);
  }
  gStockTable->count = 4;
  EXPECT_EQ(Row(CountStocksMatchingText("ＡＢＣ"), CountStocksMatchingText(""), FindNextStockMatchingText(-3, "ABC"),
                FindNextStockMatchingText(1, "ABC"), FindNextStockMatchingText(3, "ABC")),
            Row(2, 4, 0, 2, -1));
  gStockTable->count = 0;
  EXPECT_EQ(CountStocksMatchingText(""), 0);
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

class StockMasterTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gDailyCacheMemoryStatus = [](uint32_t* load, uint64_t* total) { *load = 40, *total = uint64_t{8} << 30; };
  }
};

// Stocks keep their table positions while a changed series could not be written.
// Then a stock missing from the master goes with the cache, the others keep
// their results, and new ones start from zero.
TEST_F(StockMasterTest, MergeWaitsForUnwrittenDailyChangesThenRemovesRefreshesAndInserts) {
  FillTable(Codes({1301, 1332, 7203}));
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(Code(1332), series.get());  // fills the slot
  series->count = 1;
  series->bars[0] = {MakePackedDate(2026, 12, 4), 100, 110, 90, 105, 1000};
  UpdateDailyBars(Code(1332), *series);
  FileFaults faults;
  faults.failReplaces = 100000;
  SetFileFaults(faults);
  const auto master = Master(Codes({1001, 1301, 6758, 7203, 9984}));
  MergeStockMaster(*master);
  EXPECT_EQ(TableCodes(), Codes({1301, 1332, 7203}));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 1);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  SetFileFaults(FileFaults{});
  MergeStockMaster(*master);
  EXPECT_EQ(gDailyCacheCount.load(), 0);
  EXPECT_EQ(TableCodes(), Codes({1001, 1301, 6758, 7203, 9984}));
  EXPECT_EQ(Stock(7203).dailyCount, 3);
  EXPECT_STREQ(Stock(7203).master.name, "新");
  EXPECT_TRUE(ResultsAreZero(Stock(1001)) && ResultsAreZero(Stock(6758)) && !ResultsAreZero(Stock(1301)));
  EXPECT_EQ(Stock(6758).master.tradingUnit, 100);
}

// A master holds at most 5000 records, so the table is still full after the
// removal only when it held a code twice.
TEST_F(StockMasterTest, FourRecordsAreRefusedAndAFullTableSkipsANewCodeButRefreshesTheOthers) {
  FillTable(Codes({1301}));
  MergeStockMaster(*Master(Codes({1001, 1301, 6758, 7203})));
  EXPECT_EQ(TableCodes(), Codes({1301}));
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("ZZZZ")}));
  EXPECT_EQ(TableCodes(),
            (std::vector<StockCode>{Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("ZZZZ")}));
  MergeStockMaster(*Master({Code(1001), Code(1301), Code(6758), Code(7203), StringToCode("a000")}));
  EXPECT_EQ(gStockTable->count, 5);
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
  FillTable(Codes({1301, 7203}));
  auto master = Master(Codes({1001, 1301, 6758, 7203, 9984}));
  LoadStockMaster();  // missing
  WriteMasterFile(*master, sizeof(StockMasterFile) + 1);
  LoadStockMaster();  // too large
  WriteMasterFile(*master, 4 + 5 * sizeof(StockMasterRecord) - 1);
  LoadStockMaster();  // its count claims a record the file cuts short
  EXPECT_EQ(TakeRecordedBeeps().size(), 3u);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_EQ(TableCodes(), Codes({1301, 7203}));
  FillTable({});
  master = Master({1001, 1301, 8, StringToCode("7203"), 9984});
  WriteMasterFile(*master, 4 + 5 * sizeof(StockMasterRecord) + 100);
  LoadStockMaster();
  EXPECT_EQ(TableCodes(), Codes({8, 1001, 1301, 7203, 9984}));
  EXPECT_TRUE(TakeRecordedBeeps().empty());
}

}  // namespace
