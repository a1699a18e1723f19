#include "net/master_lists.h"

#include <climits>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/file_io.h"
#include "net/online_services.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

// `lines` followed by `filler` lines, `total` lines in all.
std::string ListOf(const std::vector<std::string>& lines, int total, const std::string& end = "\r\n",
                   const std::string& filler = "#") {
  std::string text;
  for (int i = 0; i < total; ++i) text += (i < static_cast<int>(lines.size()) ? lines[i] : filler) + end;
  return text;
}

// Lists that read as whole ones: filler lines of stock 9999 up to the lines a list must have
// (newken: its split entries; pinfo: lines of another market, which add no stock).
constexpr char kFillerCode[] = "9999";
std::string NewkenList(const std::vector<std::string>& lines) {
  return ListOf(lines, static_cast<int>(lines.size()) + kMinMasterListLines, "\r\n", "20200101,9999,2");
}
std::string PinfoList(const std::vector<std::string>& lines) {
  return ListOf(lines, static_cast<int>(lines.size()) + kMinMasterListLines, "\r\n", "9999,tp,kb,,,,,,");
}

int ApplyNewken(const std::string& t, int force = 0) {
  return ApplyNewkenList(t.data(), static_cast<int>(t.size()), force);
}
int ApplyPinfo(const std::string& t, int force = 0) {
  return ApplyPinfoList(t.data(), static_cast<int>(t.size()), force);
}

std::vector<int> KenRatios() {
  std::vector<int> ratios;
  for (int i = 0; i < gKenTable->count; ++i)
    if (gKenTable->records[i].code != StringToCode(kFillerCode)) ratios.push_back(gKenTable->records[i].ratio);
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
  const std::string list = NewkenList({"日付,コード,株数", "20240401,1301,1.2", "20240402,1302,1.5",
                                       "20240403,1303,0.9", "20240404,1304,2", "20240405,1305,0", "20240406,1306,10000",
                                       "20240407,1307,1.4", "20240408,1308,0.7", "20240409,1309,1.9"});
  gKenUpdateDate = 0;
  EXPECT_EQ(ApplyNewken(list), 1);
  EXPECT_EQ(KenRatios(), (std::vector<int>{20, 50, -10, 100, 40, -30, 90}));
  EXPECT_EQ(Row(gKenTable->records[0].exDate, gKenTable->records[0].code), Row(0x07E80401, StringToCode("1301")));
  const int entries = 7 + kMinMasterListLines;
  EXPECT_EQ(ReadWholeFile("BASEDATA/ken.dat").size(), 8u + 12 * entries);
  EXPECT_NE(gKenUpdateDate, 0u);
  EXPECT_EQ(ReadWholeFile("PrevProcessedData/ken.txt").size(), list.size());
  gKenTable->count = 0;
  EXPECT_EQ(ApplyNewken(list), 0);
  EXPECT_EQ(gKenTable->count, 0);
  EXPECT_EQ(ApplyNewken(list, 1), 1);
  EXPECT_EQ(gKenTable->count, entries);
}

// Lines are counted by their ends, whichever ends they use; a list needs 4000
// lines of its own format, however many others it has.
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
  // A broken download: junk with a few good lines of both lists.
  const std::vector<std::string> few = {"20240401,1301,2",          "1001,i,cdvs,a,b,c,1,x,1",
                                        "1301,tp,cdvs,a,b,c,1,x,1", "1302,tp,cdvs,a,b,c,1,x,1",
                                        "1303,tp,cdvs,a,b,c,1,x,1", "1304,tp,cdvs,a,b,c,1,x,1"};
  const std::string junk = ListOf(few, 4006, "\r\n", "x7,#junk;");
  const std::pair<std::string, const char*> cases[] = {
      {ListOf(entry, 3999, "\n"), "3999 LF lines"},
      {ListOf(entry, 3999, "\r\n"), "3999 CR LF lines"},
      {ListOf(entry, 2000, "\r\n"), "2000 CR LF lines"},
      {ListOf({}, 4000, "\r\n"), "nothing to read"},
      {ListOf(others, 4000), "no stock lines"},
      {junk, "4000 junk lines"},
      {"", "an empty list"},
  };
  for (const auto& [text, what] : cases) {
    EXPECT_EQ(Row(ApplyNewken(text), ApplyPinfo(text)), Row(0, 0)) << what;
    EXPECT_EQ(TakeRecordedMessageBoxes().size(), 2u) << what << ": each refusal is told once";
  }
  EXPECT_EQ(ReadWholeFile("BASEDATA/ken.dat"), ken);
  EXPECT_EQ(ReadWholeFile("BASEDATA/stockinf.dat"), master);
  EXPECT_EQ(Row(gKenTable->count, gKenUpdateDate, gPinfoUpdateDate, gStockTable->count), Row(1, 0, 0, 1));
  EXPECT_FALSE(FileExists("PrevProcessedData/ken.txt") || FileExists("PrevProcessedData/pinfo.txt"));
  const std::string list = ListOf({}, 4000, "\n", entry[0]);
  EXPECT_EQ(ApplyNewken(list), 1);
  // The lists of the download folder: an unchanged one only when forced, an absent one never.
  ClearNewDataFolder();
  WriteWholeFile("NEWDATA2026/newken.txt", std::vector<uint8_t>(list.begin(), list.end()));
  int kenNew = -1, pinfoNew = -1;
  for (int force : {0, 1}) {
    DownloadStockInfoFiles(&kenNew, &pinfoNew, force);
    EXPECT_EQ(Row(kenNew, pinfoNew), Row(force, 0));
  }
  // An empty download is refused as a broken one.
  WriteWholeFile("NEWDATA2026/pinfo.txt", {});
  DownloadStockInfoFiles(&kenNew, &pinfoNew, 0);
  EXPECT_EQ(Row(pinfoNew, TakeRecordedMessageBoxes().size()), Row(0, 1));
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
  // A text that yields nothing replaces neither file.
  const std::vector<uint8_t> master(4 + 156 * 5, 7);
  WriteWholeFile("BASEDATA/stockinf.dat", master);
  WriteWholeFile(text, {'#', '2', '0', '2', '4', ',', '1', ',', 'x', '\r', '\n'});
  for (void (*import)() : {ImportKenText, ImportStockMasterText}) {
    QueueFileDialogAnswer(text);
    import();
  }
  EXPECT_EQ(Row(ReadWholeFile("BASEDATA/ken.dat") == ken, ReadWholeFile("BASEDATA/stockinf.dat") == master), Row(1, 1));
  EXPECT_EQ(Row(gKenTable->count, TakeRecordedMessageBoxes().size()), Row(7, 2));
}

TEST_F(MasterListsTest, PinfoListsEveryMarketOfAStockAndTakesThePriceDateBack) {
  const std::string list = PinfoList(
      {"1332,n,cdvs,にっすい,ニッスイ,ニッスイ,50,x,100", "1301,ts,cdvs,きょくよう,極洋,極洋,50,x,100",
       "1301,tp,kb,,,,,,", "1333,tp,cdvs,まるは,マルハニチロ,マルハ,50,x,100", "1377,xx,cdvs,a,b,c,1,x,1",
       "1379,t,cdvs,a,b,c,1,x,1", "1380,t1,cdvs,a,b,c,1,x,1", "1381,j,cdvs,a,b,c,1,x,1", "1001,i,cdvs,a,b,c,1,x,1"});
  gLastPriceDate = MakePackedDate(2024, 5, 10);
  gPinfoUpdateDate = MakePackedDate(2024, 5, 1);
  EXPECT_EQ(ApplyPinfo(list), 1);
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2024, 5, 1));
  EXPECT_EQ(TableCodes(),
            (std::vector<StockCode>{NumberCode(1001), NumberCode(1301), NumberCode(1332), NumberCode(1333),
                                    NumberCode(1379), NumberCode(1380), NumberCode(1381)}));
  const StockMasterRecord& kyokuyo = gStockTable->records[1].master;
  EXPECT_EQ(Row(kyokuyo.marketId, kyokuyo.marketFlags, kyokuyo.sectorCode, kyokuyo.tradingUnit),
            Row(2, 0x300, 50, 100));
  EXPECT_EQ(std::string(kyokuyo.name) + "|" + kyokuyo.reading + "|" + kyokuyo.shortName, "極洋|きょくよう|極洋");
  // The first line is data too.
  EXPECT_EQ(gStockTable->records[2].master.marketFlags, 0x40);
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

// A database to refuse lists against: the reference index and stocks
// 1301.. in the table and "stockinf.dat", a split of each of the first
// `splitStocks` of those stocks in "ken.dat".
class MasterListRefusalTest : public MasterListsTest {
 protected:
  void MakeDatabase(int stocks, int splitStocks) {
    std::filesystem::remove_all(folder_.path() + "PrevProcessedData");
    auto master = std::make_unique<StockMasterFile>();
    for (int i = 0; i < stocks; ++i) master->records[master->count++].code = NumberCode(i == 0 ? 1001 : 1300 + i);
    gStockTable->count = 0;
    ASSERT_TRUE(MergeStockMaster(*master));
    WriteWholeFile("BASEDATA/stockinf.dat", std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(master.get()),
                                                                 reinterpret_cast<const uint8_t*>(master.get()) + 4 +
                                                                     sizeof(StockMasterRecord) * stocks));
    gKenTable->count = 0;
    for (int i = 1; i <= splitStocks; ++i)
      gKenTable->records[gKenTable->count++] = KenRecord{MakePackedDate(2020, 1, i), NumberCode(1300 + i), 100};
    ASSERT_EQ(SaveKenFile(), 0);
    gLastPriceDate = MakePackedDate(2024, 5, 10);
    gPinfoUpdateDate = MakePackedDate(2024, 5, 1);
    gKenUpdateDate = MakePackedDate(2024, 5, 1);
    gRecomputeNeeded = 0;
    gMainWnd = &mainWindow_;
  }

  // Every file of the data folder by its path there.
  std::map<std::string, std::vector<uint8_t>> FolderFiles() const {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path()))
      if (entry.is_regular_file()) files[entry.path().string()] = ReadWholeFile(entry.path().string());
    return files;
  }

  int mainWindow_ = 0;
};

// Stocks as the "cdvs" lines of a stock-information list, and as split entries.
std::vector<std::string> PinfoLines(const std::vector<int>& codes) {
  std::vector<std::string> lines;
  for (int code : codes) lines.push_back(std::to_string(code) + ",tp,cdvs,a,b,c,1,x,100");
  return lines;
}

std::vector<std::string> NewkenLines(const std::vector<int>& codes) {
  std::vector<std::string> lines;
  for (int code : codes) lines.push_back("20200101," + std::to_string(code) + ",2");
  return lines;
}

// Eight stocks and four split stocks: half of them may be left out, not more;
// the reference index never. The file a list replaces is kept in
// "PrevProcessedData\" as it was; a list whose file cannot be kept there is
// not applied.
TEST_F(MasterListRefusalTest, AListLeavingOutTheIndexOrMoreThanHalfOfTheStocksOrNotKeptAsideChangesNothing) {
  struct Case {
    const char* what;
    bool pinfo;
    std::string list;
    const char* told;  // empty when the list is applied
    bool copyFails = false;
  };
  const std::string halfTheStocks = PinfoList(PinfoLines({1001, 1301, 1302, 1303, 1401}));
  const std::string halfTheSplits = NewkenList(NewkenLines({1301, 1302, 1401}));
  const Case cases[] = {
      {"no index", true, PinfoList(PinfoLines({1301, 1302, 1303, 1304, 1305, 1306, 1307, 1401})), "(1001)がありません"},
      {"half the stocks", true, halfTheStocks, ""},
      {"five of eight", true, PinfoList(PinfoLines({1001, 1301, 1302, 1401, 1402, 1403})),
       "現在の銘柄8件のうち5件がリストにありません"},
      {"half the splits", false, halfTheSplits, ""},
      {"three of four splits", false, NewkenList(NewkenLines({1301, 1401})),
       "現在の分割情報にある銘柄4件のうち3件がリストにありません"},
      {"stockinf.dat not kept", true, halfTheStocks, "stockinf.dat.bak", true},
      {"ken.dat not kept", false, halfTheSplits, "ken.dat.bak", true},
  };
  for (const Case& c : cases) {
    MakeDatabase(8, 4);
    const auto files = FolderFiles();
    const std::vector<StockCode> codes = TableCodes();
    const int kenCount = gKenTable->count;
    const char* file = c.pinfo ? "BASEDATA/stockinf.dat" : "BASEDATA/ken.dat";
    const std::vector<uint8_t> before = ReadWholeFile(file);
    if (c.copyFails) {
      FileFaults faults;
      faults.failWrites = 10;  // every attempt
      SetFileFaults(faults);
    }
    const int applied = c.pinfo ? ApplyPinfo(c.list) : ApplyNewken(c.list);
    SetFileFaults(FileFaults{});
    const auto boxes = TakeRecordedMessageBoxes();
    if (*c.told == 0) {
      EXPECT_EQ(Row(applied, boxes.size()), Row(1, 0)) << c.what;
      EXPECT_EQ(ReadWholeFile(std::string("PrevProcessedData/") + (c.pinfo ? "stockinf" : "ken") + ".dat.bak"), before)
          << c.what;
      EXPECT_NE(ReadWholeFile(file), before) << c.what;
      continue;
    }
    EXPECT_EQ(applied, 0) << c.what;
    EXPECT_EQ(FolderFiles(), files) << c.what;
    EXPECT_EQ(TableCodes(), codes) << c.what;
    EXPECT_EQ(Row(gKenTable->count, gLastPriceDate, gPinfoUpdateDate, gKenUpdateDate, gRecomputeNeeded),
              Row(kenCount, MakePackedDate(2024, 5, 10), MakePackedDate(2024, 5, 1), MakePackedDate(2024, 5, 1), 0))
        << c.what;
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_EQ(boxes[0].owner, &mainWindow_);
    EXPECT_NE(boxes[0].text.find(c.pinfo ? "(pinfo.txt)" : "(newken.txt)"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(c.told), std::string::npos) << boxes[0].text;
  }
  // Without a file there is nothing to keep.
  MakeDatabase(8, 0);
  std::filesystem::remove(folder_.path() + "BASEDATA/ken.dat");
  EXPECT_EQ(ApplyNewken(NewkenList(NewkenLines({1301}))), 1);
  EXPECT_FALSE(FileExists("PrevProcessedData/ken.dat.bak"));
}

// Without a previous list, or with one after the last price date, the stored
// prices stand (an earlier list's day is taken back to above).
TEST_F(MasterListRefusalTest, AStockInformationListTakesTheLastPriceDateBackOnlyToARealPreviousList) {
  const PackedDate last = MakePackedDate(2024, 5, 10);
  for (const PackedDate previousList : {PackedDate{0}, MakePackedDate(2024, 6, 1)}) {
    MakeDatabase(8, 0);
    gPinfoUpdateDate = previousList;
    ASSERT_EQ(ApplyPinfo(PinfoList(PinfoLines({1001, 1301, 1302, 1303, 1304, 1305}))), 1);
    EXPECT_EQ(gLastPriceDate, last) << previousList;
  }
}

// A factor below 0.01 rounds to 0, which would adjust nothing and vanish on
// export: both readers refuse it, as they refuse 0 itself.
TEST_F(MasterListsTest, SharesThatRoundToNoFactorAndDatesThatAreNoneAreRefusedByBothReaders) {
  constexpr int kRefused = INT32_MIN;
  const struct {
    const char* shares;
    const char* kenDate;  // as ken.txt and newken.txt write it
    const char* listDate;
    int ratio;
  } cases[] = {
      {"0.004", "2024,4,1", "20240401", kRefused}, {"0.005", "2024,4,1", "20240401", -99},
      {"9999.99", "2024,4,1", "20240401", 999899}, {"2", "2024,13,1", "20241301", kRefused},
      {"2", "2024,4,0", "20240400", kRefused},     {"2", "1899,4,1", "18990401", kRefused},
  };
  for (const auto& c : cases) {
    auto table = std::make_unique<KenTable>();
    const std::string text = std::string(c.kenDate) + ",1301," + c.shares + "\r\n";
    ParseKenText(text.data(), static_cast<int>(text.size()), table.get());
    EXPECT_EQ(Row(table->count, table->count > 0 ? table->records[0].ratio : kRefused),
              Row(c.ratio != kRefused, c.ratio))
        << text;
    const std::string list = ListOf({}, kMinMasterListLines, "\r\n", std::string(c.listDate) + ",1301," + c.shares);
    gKenTable->count = 0;
    EXPECT_EQ(ApplyNewken(list, 1), c.ratio != kRefused ? 1 : 0) << list.substr(0, 20);
    EXPECT_EQ(gKenTable->count > 0 ? gKenTable->records[0].ratio : kRefused, c.ratio) << c.shares;
    TakeRecordedMessageBoxes();
  }
}

}  // namespace
