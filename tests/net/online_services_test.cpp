#include "net/online_services.h"

#include <sys/stat.h>

#include <cstring>

#include "platform/posix_recorder.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr char kHeader[] = "コード,名前,よみがな,ティル呼称,代表市場,上場市場,業種コード,取引単位\r\n";

std::unique_ptr<StockMasterFile> EmptyMaster() {
  auto master = std::make_unique<StockMasterFile>();
  memset(master.get(), 0, sizeof(StockMasterFile));
  return master;
}

void Update(StockMasterFile* master, const std::string& text) {
  UpdateStockMasterFromCsv(master, text.data(), static_cast<int>(text.size()));
}

using OnlineServicesTest = PriceStoreTest;

TEST_F(OnlineServicesTest, MasterLinesAreReadInTheOrderOfTheTextAndReplaceTheRecordOfTheirCode) {
  auto master = EmptyMaster();
  Update(master.get(), std::string(kHeader) + "1301,旧名,きゅう,旧,5,16,10,1000\r\n" +
                           "7203,トヨタ自動車,とよたじどうしゃ,トヨタ,1,256,3700,-1\n" + "abcd,小文字,x,x,1,1,1,1\r\n" +
                           "\r\n,,,\r\n" + "9984,ソフトバンクグループ,そふとばんく,ＳＢＧ,1,256,5250,100");
  Update(master.get(), "1301,極洋,きょくよう,極洋,2,768,50,100\r\n");
  ASSERT_EQ(master->count, 3);
  const StockMasterRecord& first = master->records[0];
  EXPECT_EQ(std::string(first.name) + "|" + first.reading + "|" + first.shortName + "|" + master->records[2].shortName,
            "極洋|きょくよう|極洋|ＳＢＧ");
  EXPECT_EQ(Row(first.code, first.marketId, first.marketFlags, first.sectorCode, first.tradingUnit,
                master->records[1].tradingUnit, master->records[2].tradingUnit),
            Row(StringToCode("1301"), 2, 768, 50, 100, -1, 100));
  Update(master.get(), "1301,新名,,,1,256,50,100\r\n");
  EXPECT_EQ(std::string(master->records[0].name) + "|" + master->records[0].reading, "新名|");
  // A market the program does not know is stored as unknown, as the table and the text export have it.
  Update(master.get(), "1305,名,めい,名,18,1,1,1\r\n");
  EXPECT_EQ(Row(master->count, master->records[3].marketId), Row(4, 0));
}

TEST_F(OnlineServicesTest, LongTextsAreCutWithoutSplittingACharacterAndTheMasterHoldsAtMost5000) {
  auto master = EmptyMaster();
  // 40 two-byte characters: the 63rd byte is the first half of the 32nd.
  std::string name;
  for (int i = 0; i < 40; ++i) name += "株";
  Update(master.get(), "1301," + name + ",r,ABCDEFGHIJKLMNOPQRSTU,1,1,1,1\r\n");
  EXPECT_EQ(Row(master->count, strlen(master->records[0].name)), Row(1, 62));
  EXPECT_STREQ(master->records[0].shortName, "ABCDEFGHIJKLMNO");
  master->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) master->records[i].code = NumberToCode(1000 + i);
  Update(master.get(), "9999,新規,,,1,1,1,1\r\n1000,更新,,,1,1,1,1\r\n");
  EXPECT_EQ(std::to_string(master->count) + master->records[0].name, "5000更新");
  master->count = 70000;  // a damaged count is brought into range first
  Update(master.get(), "1001,指数,,,6,128,0,1\r\n");
  EXPECT_EQ(master->count, kMaxStocks);
}

TEST_F(OnlineServicesTest, IndexWeightFlagFollowsAListOfMoreThan400Codes) {
  StockTable* table = gStockTable;
  table->count = 600;
  for (int i = 0; i < table->count; ++i) {
    table->records[i].master.code = NumberToCode(1300 + i);
    table->records[i].flags = kStockFlagIndexWeight | kStockFlagScenarioMark;
  }
  ResetStockLookupCache();
  std::vector<StockCode> codes;
  for (int i = 0; i < 400; ++i) codes.push_back(NumberToCode(1300 + 2 * i));
  ApplyIndexWeightList(codes.data(), static_cast<int>(codes.size()));
  EXPECT_EQ(table->records[1].flags, kStockFlagIndexWeight | kStockFlagScenarioMark);  // 400 are too few
  codes.push_back(StringToCode("ZZZZ"));                                               // not in the table
  ApplyIndexWeightList(codes.data(), static_cast<int>(codes.size()));
  for (int i = 0; i < table->count; ++i) {
    const bool listed = i % 2 == 0;
    EXPECT_EQ(table->records[i].flags, listed ? kStockFlagIndexWeight | kStockFlagScenarioMark : kStockFlagScenarioMark)
        << i;
  }
}

// In this build the services fetch nothing: the price download leaves the download folder alone.
TEST_F(OnlineServicesTest, ServicesFindNothingAndTheErrorNumberTextNamesTheNumberAndItsReason) {
  ASSERT_EQ(mkdir("TMPDOWN", 0777), 0);
  WriteWholeFile("TMPDOWN/202405.zip", {1, 2, 3});
  int files = 9;
  EXPECT_EQ(DownloadNewPriceFiles(&files), 0);
  EXPECT_TRUE(files == 1 && FileExists("TMPDOWN/202405.zip"));
  uint32_t size = 77;
  unsigned long number = 0;
  EXPECT_EQ(Vendor1HttpGet("user", "password", "/data/2024/20240603.zip", &size, &number), nullptr);
  EXPECT_TRUE(size == 0 && number > 0);
  char text[128];
  FormatErrorNumber(text, sizeof text, number);
  EXPECT_STREQ(text, "エラー番号 12029（サーバーに接続できませんでした。）");
  SetSystemErrorText(12152, "サーバーの応答が正しくありません。");
  FormatErrorNumber(text, sizeof text, 12152);
  EXPECT_STREQ(text, "エラー番号 12152（サーバーの応答が正しくありません。）");
  FormatErrorNumber(text, sizeof text, 4000000000ul);
  EXPECT_STREQ(text, "エラー番号 4000000000（）");
  memset(text, 'X', sizeof text);
  FormatErrorNumber(text, 10, 12029);  // nine bytes end inside "号"
  EXPECT_STREQ(text, "エラー番");
}

}  // namespace

namespace {

TEST_F(OnlineServicesTest, TheDownloadLeavesTheArchivesOfTheDownloadFolderAndCountsThem) {
  ASSERT_EQ(mkdir("TMPDOWN", 0777) | mkdir("TMPDOWN/old.zip", 0777), 0);
  for (const char* name : {"TMPDOWN/20260105.zip", "TMPDOWN/202601.ZIP", "TMPDOWN/notes.txt"})
    WriteWholeFile(name, {'P', 'K'});
  int files = -1;
  EXPECT_EQ(DownloadNewPriceFiles(&files), 0);
  EXPECT_EQ(files, 2);
  EXPECT_TRUE(FileExists("TMPDOWN/20260105.zip") && FileExists("TMPDOWN/202601.ZIP"));
}

}  // namespace
