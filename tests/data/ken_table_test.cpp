#include "data/ken_table.h"

#include <zip.h>

#include <climits>
#include <cstring>

#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr char kKenFile[] = "BASEDATA/ken.dat";
constexpr char kReadErrorText[] = "権利落ちファイル(ken.dat)が読み込めませんでした(リードエラー)。";
constexpr char kImportFilter[] =
    "KENRI FILE\0ken.dat;ken.zip\0Zip Files (*.ZIP)\0*.zip\0Data Files (*.DAT)\0*.dat\0All Files (*.*)\0*.*\0";
constexpr PackedDate kDay = MakePackedDate(2024, 4, 1);
constexpr PackedDate kDayBefore = MakePackedDate(2024, 3, 29);

struct RawRecord {
  PackedDate date;
  uint32_t code;  // packed, or the plain number in old files
  int32_t ratio;
};

std::vector<uint8_t> KenImage(uint32_t tag, int32_t count, const std::vector<RawRecord>& records) {
  std::vector<uint32_t> words = {tag, static_cast<uint32_t>(count)};
  for (const RawRecord& r : records) words.insert(words.end(), {r.date, r.code, static_cast<uint32_t>(r.ratio)});
  std::vector<uint8_t> bytes(words.size() * 4);
  memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

std::vector<uint8_t> NewImage(const std::vector<RawRecord>& records) {
  return KenImage(kKenTag, static_cast<int32_t>(records.size()), records);
}

StockCode C(const char* text) { return StringToCode(text); }

PriceBar Bar(PackedDate date, int32_t price, int32_t volume) { return {date, price, price, price, price, volume}; }

std::unique_ptr<BarSeries> Series(const char* code, const std::vector<PriceBar>& bars) {
  return SeriesOf(C(code), static_cast<int>(bars.size()), [&bars](int i) { return bars[i]; });
}

std::unique_ptr<BarSeries> Adjusted(const BarSeries& source) {
  auto out = std::make_unique<BarSeries>();
  memset(out.get(), 0xCD, sizeof(BarSeries));
  AdjustBarsForSplits(source, out.get());
  return out;
}

class KenTableTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gShowSplitAdjusted = 0;
  }
  void LoadTable(const std::vector<RawRecord>& records) {
    WriteWholeFile(kKenFile, NewImage(records));
    LoadKenFile();
    ASSERT_EQ(gKenTable->count, static_cast<int32_t>(records.size()));
  }
  // Picks the file in the import dialog; returns the boxes shown.
  std::vector<RecordedMessageBox> Import(const char* name) {
    QueueFileDialogAnswer(name[0] == 0 ? "" : folder_.path() + name);
    ImportKenFile();
    return TakeRecordedMessageBoxes();
  }
};

TEST_F(KenTableTest, LoadedFileIsSavedBackByteForByteOldNumbersAsCodes) {
  const auto image = NewImage({{kDayBefore, C("1301"), 100}, {kDay, C("7203"), -50}});
  WriteWholeFile(kKenFile, image);
  LoadKenFile();
  EXPECT_EQ(gKenTable->records[1].ratio, -50);
  ASSERT_EQ(remove(kKenFile), 0);
  EXPECT_EQ(SaveKenFile(), 0);
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
  WriteWholeFile(kKenFile, KenImage(kOldKenTag, 2, {{kDayBefore, 1301, 100}, {kDay, 7203 | 0xABCD0000, -50}}));
  LoadKenFile();
  EXPECT_EQ(SaveKenFile(), 0);
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(KenTableTest, CountIsBoundedByTheBytesReadAndTheTable) {
  const RawRecord record = {kDay, C("1301"), 100};
  const struct {
    std::vector<uint8_t> file;
    int32_t count;
  } cases[] = {{KenImage(kKenTag, 30000, {record, record, record}), 3},
               {KenImage(kKenTag, 30000, std::vector<RawRecord>(kMaxKenRecords, record)), kMaxKenRecords},
               {KenImage(kKenTag, -5, {record}), 0},
               {KenImage(kOldKenTag, 30000, {{kDay, 1301, 100}}), 1}};
  for (const auto& c : cases) {
    WriteWholeFile(kKenFile, c.file);
    LoadKenFile();
    EXPECT_EQ(gKenTable->count, c.count);
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(KenTableTest, MissingOrBadFileShowsBothBoxesAndLeavesTheTableEmpty) {
  std::vector<uint8_t> oversized(sizeof(KenTable) + 1, 0);
  memcpy(oversized.data(), &kKenTag, 4);
  for (const auto& file : {std::vector<uint8_t>{}, KenImage(0x03160002, 1, {{kDay, C("1301"), 100}}), oversized}) {
    WriteWholeFile(kKenFile, file);
    LoadKenFile();
    EXPECT_EQ(gKenTable->count, 0);
    EXPECT_EQ(TakeRecordedMessageBoxes().size(), 2u);
  }
  ASSERT_EQ(remove(kKenFile), 0);
  LoadKenFile();
  ASSERT_NE(gKenTable, nullptr);
  EXPECT_EQ(gKenTable->count, 0);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title + "|" + boxes[0].text + "|" + boxes[1].title + "|" + boxes[1].text,
            std::string("ヴェルクォラ22|") + kReadErrorText +
                "|エラー|なんらかのエラーが発生しました。エラーコードは -1 です。");
  EXPECT_EQ(boxes[0].flags, kMbOk);
  EXPECT_EQ(Adjusted(*Series("1301", {Bar(kDay, 500, 10)}))->bars[0].close, 500);  // goes on unadjusted
}

TEST_F(KenTableTest, SplitHalvesPricesAndDoublesVolumeBeforeTheFirstTradedBar) {
  LoadTable({{kDay, C("1301"), 100}});
  const auto source = Series("1301", {{MakePackedDate(2024, 3, 28), 1001, 1203, 999, 1101, 300},
                                      Bar(kDayBefore, 1001, 7),
                                      Bar(kDay, 500, 1000),
                                      Bar(kDay + 1, 503, 2000)});
  const auto out = Adjusted(*source);
  ASSERT_EQ(out->count, 4);
  EXPECT_EQ(out->code, C("1301"));
  const PriceBar& first = out->bars[0];
  EXPECT_EQ(Row(first.open, first.high, first.low, first.close, first.volume, out->bars[1].close, out->bars[1].volume),
            Row(500, 601, 499, 550, 600, 500, 14));
  EXPECT_EQ(memcmp(&out->bars[2], &source->bars[2], 2 * sizeof(PriceBar)), 0);
  EXPECT_EQ(source->bars[0].open, 1001);
}

TEST_F(KenTableTest, UntradedBarsCountAsBeforeRecordsCompoundAndPricesBelowOneShowAsOne) {
  LoadTable(
      {{kDayBefore, C("1301"), 100}, {kDayBefore, C("1302"), 900}, {kDay, C("1301"), 200}, {kDay, C("1303"), 100}});
  // The bar without volume on the record's date counts as before it.
  const auto out = Adjusted(*Series("1303", {Bar(kDayBefore, 1000, 5), Bar(kDay, 1000, 0), Bar(kDay + 1, 500, 9)}));
  EXPECT_EQ(Row(out->bars[1].close, out->bars[2].close), Row(500, 500));
  // No traded bar on or after the date: the record is skipped.
  EXPECT_EQ(Adjusted(*Series("1303", {Bar(kDayBefore, 1000, 5), Bar(kDay, 1000, 0)}))->bars[0].close, 1000);
  // Two records of one stock compound; another stock's record does not count.
  const auto both =
      Adjusted(*Series("1301", {Bar(kDayBefore - 1, 6000, 10), Bar(kDayBefore, 3000, 10), Bar(kDay, 1000, 10)}));
  EXPECT_EQ(Row(both->bars[0].close, both->bars[0].volume, both->bars[1].close), Row(1000, 60, 1000));
  const auto low = Adjusted(*Series("1303", {{kDayBefore, 1, 3, 1, 2, 5}, {kDay, 0, 0, -7, 0, 8}}));
  for (const PriceBar& bar : {low->bars[0], low->bars[1]})
    EXPECT_EQ(Row(bar.open, bar.high, bar.low, bar.close), Row(1, 1, 1, 1));
}

TEST_F(KenTableTest, FactorsOfZeroOrBelowAreSkippedAndLargeResultsSaturate) {
  LoadTable({{kDay, C("1301"), -100}, {kDay, C("1301"), -150}, {kDay, C("1302"), 100}, {kDay, C("1303"), -99}});
  const auto skipped = Adjusted(*Series("1301", {Bar(kDayBefore, 1000, 5), Bar(kDay, 1000, 5)}));
  EXPECT_EQ(Row(skipped->bars[0].close, skipped->bars[0].volume), Row(1000, 5));
  EXPECT_EQ(Adjusted(*Series("1302", {Bar(kDayBefore, 1000, 1500000000), Bar(kDay, 1, 1)}))->bars[0].volume, INT_MAX);
  const auto merged = Adjusted(*Series("1303", {Bar(kDayBefore, 30000000, -1500000000), Bar(kDay, 1, 1)}));
  EXPECT_EQ(Row(merged->bars[0].close, merged->bars[0].volume), Row(INT_MAX, -15000000));
}

TEST_F(KenTableTest, FixedCorrectionsUseFactorsBelowOneOnTheirDateOnly) {
  const struct {
    const char* code;
    PackedDate date;
    int32_t price;   // from 100
    int32_t volume;  // from 100000
  } cases[] = {{"4830", MakePackedDate(2004, 11, 8), 100000, 100},
               {"8308", MakePackedDate(2005, 8, 2), 100000, 100},
               {"7470", MakePackedDate(2005, 1, 13), 1000000, 10},
               {"2342", MakePackedDate(2006, 9, 30), 100000, 100},
               {"4830", MakePackedDate(2004, 11, 9), 95, 105000}};  // another date: F = 105
  std::vector<RawRecord> records;
  for (const auto& c : cases) records.push_back({c.date, C(c.code), 5});
  LoadTable(records);
  for (const auto& c : cases) {
    const auto out = Adjusted(*Series(c.code, {Bar(c.date - 1, 100, 100000), Bar(c.date, 100, 100000)}));
    EXPECT_EQ(Row(out->bars[0].close, out->bars[0].volume), Row(c.price, c.volume)) << c.date;
  }
}

TEST_F(KenTableTest, ImportedPlainOldFileOrZipIsSavedAndChartsReloadWhenAdjustedPricesShow) {
  LoadTable({});
  const auto image = NewImage({{kDay, C("1301"), 100}, {kDay, C("7203"), 50}});
  WriteWholeFile("ken.dat", KenImage(kOldKenTag, 30000, {{kDay, 1301, 100}, {kDay, 7203, 50}}));
  EXPECT_TRUE(Import("ken.dat").empty());
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
  LoadTable({{kDay, C("9999"), 100}});
  zipFile zip = zipOpen("new ken.zip", APPEND_STATUS_CREATE);
  zip_fileinfo info = {};
  ASSERT_EQ(zipOpenNewFileInZip(zip, "ken.dat", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6), ZIP_OK);
  ASSERT_EQ(zipWriteInFileInZip(zip, image.data(), static_cast<unsigned>(image.size())), ZIP_OK);
  ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
  gShowSplitAdjusted = 1;
  TakeRecordedFileDialogs();
  EXPECT_TRUE(Import("new ken.zip").empty());
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].filter, std::string(kImportFilter, sizeof kImportFilter));
  EXPECT_EQ(gKenTable->records[1].code, C("7203"));
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
}

// A refused, cancelled or unsaved import leaves the table and the file as they were.
TEST_F(KenTableTest, ImportThatIsRefusedOrCancelledChangesNothing) {
  const auto before = NewImage({{kDay, C("1301"), 100}});
  LoadTable({{kDay, C("1301"), 100}});
  WriteWholeFile("other.dat", KenImage(0x12345678, 1, {{kDay, C("7203"), 100}}));
  WriteWholeFile("tiny.dat", {0x04, 0x00});
  for (const char* name : {"other.dat", "tiny.dat"}) {
    const auto boxes = Import(name);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title + boxes[0].text, "ヴェルクォラ22権利落ちファイルの形式が正しくありません。");
  }
  EXPECT_TRUE(Import("").empty());
  Import("missing.dat");
  EXPECT_EQ(gKenTable->records[0].code, C("1301"));
  EXPECT_EQ(ReadWholeFile(kKenFile), before);
  WriteWholeFile("new.dat", NewImage({{kDay, C("7203"), 100}}));
  FileFaults faults;
  faults.failWrites = 10;
  SetFileFaults(faults);
  const auto boxes = Import("new.dat");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "なんらかのエラーが発生しました。エラーコードは 112 です。");
  EXPECT_EQ(ReadWholeFile(kKenFile), before);
}

}  // namespace
