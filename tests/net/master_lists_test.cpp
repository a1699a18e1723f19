#include "net/master_lists.h"

#include <string>
#include <vector>

#include "common/file_io.h"
#include "net/online_services.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

// `lines` followed by filler lines that no list takes, `total` lines in all.
std::string ListOf(const std::vector<std::string>& lines, int total, const std::string& end = "\r\n") {
  std::string text;
  for (int i = 0; i < total; ++i) text += (i < static_cast<int>(lines.size()) ? lines[i] : "#") + end;
  return text;
}

int ApplyNewken(const std::string& t, int force = 0) {
  return ApplyNewkenList(t.data(), static_cast<int>(t.size()), force);
}
int ApplyPinfo(const std::string& t, int force = 0) {
  return ApplyPinfoList(t.data(), static_cast<int>(t.size()), force);
}

std::vector<int> KenRatios() {
  std::vector<int> ratios;
  for (int i = 0; i < gKenTable->count; ++i) ratios.push_back(gKenTable->records[i].ratio);
  return ratios;
}

class MasterListsTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gKenTable = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
    gKenTable->tag = kKenTag;
  }
};

TEST_F(MasterListsTest, NewkenSharesGiveRoundedRatiosAndAListIsAppliedOnceUnlessForced) {
  const std::string list =
      ListOf({"日付,コード,株数", "20240401,1301,1.2", "20240402,1302,1.5", "20240403,1303,0.9", "20240404,1304,2",
              "20240405,1305,0", "20240406,1306,10000", "20240407,1307,1.4", "20240408,1308,0.7", "20240409,1309,1.9"},
             kMinMasterListLines);
  gKenUpdateDate = 0;
  EXPECT_EQ(ApplyNewken(list), 1);
  EXPECT_EQ(KenRatios(), (std::vector<int>{20, 50, -10, 100, 40, -30, 90}));
  EXPECT_EQ(Row(gKenTable->records[0].exDate, gKenTable->records[0].code), Row(0x07E80401, StringToCode("1301")));
  EXPECT_EQ(ReadWholeFile("BASEDATA/ken.dat").size(), 8u + 12 * 7);
  EXPECT_NE(gKenUpdateDate, 0u);
  EXPECT_EQ(ReadWholeFile("PrevProcessedData/ken.txt").size(), list.size());
  gKenTable->count = 0;
  EXPECT_EQ(ApplyNewken(list), 0);
  EXPECT_EQ(gKenTable->count, 0);
  EXPECT_EQ(ApplyNewken(list, 1), 1);
  EXPECT_EQ(gKenTable->count, 7);
}

// Lines are counted by their ends, whichever ends they use.
TEST_F(MasterListsTest, ListsShortOfFourThousandLinesOrYieldingNothingChangeNothing) {
  for (const auto& [text, lines] : std::vector<std::pair<std::string, int>>{
           {"", 0}, {"a", 1}, {"a\r\nb\r\n", 2}, {"a\rb", 2}, {"a\nb\n", 2}, {"a\n\r\nb", 3}, {"\r\n\r\n", 2}})
    EXPECT_EQ(CountListLines(text.data(), static_cast<int>(text.size())), lines) << text;
  const std::vector<uint8_t> master(4 + 156 * 5, 7);
  WriteWholeFile("BASEDATA/stockinf.dat", master);
  AddStock(NumberCode(1301));
  gKenTable->count = 1;
  gKenTable->records[0] = KenRecord{0x07E80101, StringToCode("1301"), 100};
  ASSERT_EQ(SaveKenFile(), 0);
  const std::vector<uint8_t> ken = ReadWholeFile("BASEDATA/ken.dat");
  const std::vector<std::string> entry = {"20240401,1301,2"};
  std::vector<std::string> others;  // lines of a stock's other markets only
  for (int i = 0; i < 4000; ++i) others.push_back(std::to_string(1300 + i % 100) + ",tp,kb,a,b,c,1,x,1");
  const std::pair<std::string, const char*> cases[] = {
      {ListOf(entry, 3999, "\n"), "3999 LF lines"},      {ListOf(entry, 3999, "\r\n"), "3999 CR LF lines"},
      {ListOf(entry, 2000, "\r\n"), "2000 CR LF lines"}, {ListOf({}, 4000, "\r\n"), "nothing to read"},
      {ListOf(others, 4000), "no stock lines"},
  };
  for (const auto& [text, what] : cases) EXPECT_EQ(Row(ApplyNewken(text), ApplyPinfo(text)), Row(0, 0)) << what;
  EXPECT_EQ(ReadWholeFile("BASEDATA/ken.dat"), ken);
  EXPECT_EQ(ReadWholeFile("BASEDATA/stockinf.dat"), master);
  EXPECT_EQ(Row(gKenTable->count, gKenUpdateDate, gPinfoUpdateDate, gStockTable->count), Row(1, 0, 0, 1));
  EXPECT_FALSE(FileExists("PrevProcessedData/ken.txt") || FileExists("PrevProcessedData/pinfo.txt"));
  EXPECT_EQ(ApplyNewken(ListOf(entry, 4000, "\n")), 1);
  // The lists of the download folder: an unchanged one only when forced, an absent one never.
  ClearNewDataFolder();
  const std::string list = ListOf(entry, 4000, "\n");
  WriteWholeFile("NEWDATA2026/newken.txt", std::vector<uint8_t>(list.begin(), list.end()));
  int kenNew = -1, pinfoNew = -1;
  for (int force : {0, 1}) {
    DownloadStockInfoFiles(&kenNew, &pinfoNew, force);
    EXPECT_EQ(Row(kenNew, pinfoNew), Row(force, 0));
  }
}

TEST_F(MasterListsTest, KenDatWrittenAsTextAndReadBackIsTheSameFile) {
  for (int ratio : {20, 40, 90, -10, -30, 100, 900}) {
    const int i = gKenTable->count++;
    gKenTable->records[i] = KenRecord{MakePackedDate(2024, 3, i + 1), NumberCode(1300), ratio};
  }
  ASSERT_EQ(SaveKenFile(), 0);
  const std::vector<uint8_t> ken = ReadWholeFile("BASEDATA/ken.dat");
  const std::string text = folder_.path() + "ken.txt";
  QueueFileDialogAnswer(text);
  ExportKenText();
  const std::vector<uint8_t> written = ReadWholeFile(text);
  const std::string lines(written.begin(), written.end());
  EXPECT_NE(lines.find("\r\n2024,3,1,1300,1.20\r\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find(",1300,0.70\r\n"), std::string::npos);
  QueueFileDialogAnswer(text);
  ImportKenText();
  EXPECT_EQ(ReadWholeFile("BASEDATA/ken.dat"), ken);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  // A text that cannot be written is reported.
  ExportStockMasterText();  // no master file: a beep, no dialog
  QueueFileDialogAnswer(folder_.path() + "no such folder/ken.txt");
  ExportKenText();
  EXPECT_EQ(Row(TakeRecordedBeeps().size(), TakeRecordedMessageBoxes().size()), Row(1, 1));
}

TEST_F(MasterListsTest, PinfoListsEveryMarketOfAStockAndTakesThePriceDateBack) {
  const std::string list =
      ListOf({"1332,n,cdvs,にっすい,ニッスイ,ニッスイ,50,x,100", "1301,ts,cdvs,きょくよう,極洋,極洋,50,x,100",
              "1301,tp,kb,,,,,,", "1333,tp,cdvs,まるは,マルハニチロ,マルハ,50,x,100", "1377,xx,cdvs,a,b,c,1,x,1",
              "1379,t,cdvs,a,b,c,1,x,1", "1380,t1,cdvs,a,b,c,1,x,1", "1381,j,cdvs,a,b,c,1,x,1"},
             kMinMasterListLines);
  gLastPriceDate = MakePackedDate(2024, 5, 10);
  gPinfoUpdateDate = MakePackedDate(2024, 5, 1);
  EXPECT_EQ(ApplyPinfo(list), 1);
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2024, 5, 1));
  EXPECT_EQ(TableCodes(), (std::vector<StockCode>{NumberCode(1301), NumberCode(1332), NumberCode(1333),
                                                  NumberCode(1379), NumberCode(1380), NumberCode(1381)}));
  const StockMasterRecord& kyokuyo = gStockTable->records[0].master;
  EXPECT_EQ(Row(kyokuyo.marketId, kyokuyo.marketFlags, kyokuyo.sectorCode, kyokuyo.tradingUnit),
            Row(2, 0x300, 50, 100));
  EXPECT_EQ(std::string(kyokuyo.name) + "|" + kyokuyo.reading + "|" + kyokuyo.shortName, "極洋|きょくよう|極洋");
  // The first line is data too.
  EXPECT_EQ(gStockTable->records[1].master.marketFlags, 0x40);
  EXPECT_EQ(ReadWholeFile("BASEDATA/stockinf.dat").size(), sizeof(StockMasterFile));
  EXPECT_EQ(ApplyPinfo(list), 0);
  // An old previous date restarts the prices from the first date the vendor has.
  gLastPriceDate = MakePackedDate(2024, 5, 10);
  gPinfoUpdateDate = MakePackedDate(1999, 1, 4);
  EXPECT_EQ(ApplyPinfo(list, 1), 1);
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2002, 6, 1));
}

TEST_F(MasterListsTest, ANewMasterFromTheVendorStopsCleanlyWhenThePriceTableCannotBeHad) {
  CreateStockMasterFromVendor();
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(
      boxes[0].text.rfind("ナルビスタルから最終取引日の価格表が入手できませんでした。\r\n\r\nエラー番号 12029", 0), 0u)
      << boxes[0].text;
  EXPECT_TRUE(TakeRecordedFileDialogs().empty());
  EXPECT_FALSE(FileExists("BASEDATA/stockinf.dat"));
}

}  // namespace
