#include "data/stock_table.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

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
  const std::vector<StockCode> fileCodes = {Code(1301), Code(7203)};
  const std::vector<StockCode> masterCodes = {Code(8996), Code(8997), Code(8998), Code(8999), Code(9000)};
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

// A damaged file that cannot be moved away is kept, as an unreadable one is.
TEST_F(StockTableTest, DamagedStockFileThatCannotBeSetAsideIsNeverOverwritten) {
  const std::vector<uint8_t> image = TableImage(-1, {});
  WriteWholeFile("stock.dat", image);
  FileFaults faults;
  faults.failReplaces = 1;
  SetFileFaults(faults);
  ASSERT_TRUE(LoadStockTable());
  EXPECT_EQ(gStockTable->count, 5);
  EXPECT_EQ(SaveStockTable(0), kErrorReadFault);
  EXPECT_EQ(ReadWholeFile("stock.dat"), image);
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

std::string Folded(const char* text, size_t size = 256) {
  char out[256];
  memset(out, 'X', sizeof out);
  NormalizeTextForSearch(text, out, size);
  return out;
}

// Full-width forms fold to ASCII, never half a character nor past the output;
// the trail byte of "ア" is 'A', that of "ソ" is '\': no match starts there.
TEST(StockSearchTest, FullWidthFormsFoldToAsciiAndMatchOnlyAtCharacterStarts) {
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
}

TEST_F(StockTableTest, SearchCountsStocksOnceAndFindsFromTheStartIndex) {
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

}  // namespace
