#include "data/ken_table.h"
#include "data/zip_member.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

struct Member {
  const char* name;
  std::string data;
  int method;  // 0 stored, Z_DEFLATED
};

void WriteZip(const std::string& path, const std::vector<Member>& members) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const Member& member : members) {
    zip_fileinfo info = {};
    ASSERT_EQ(zipOpenNewFileInZip(zip, member.name, &info, nullptr, 0, nullptr, 0, nullptr, member.method, 6), ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, member.data.data(), static_cast<unsigned>(member.data.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

// The member as a text, or "<null>"; checks the terminating zero and the size.
std::string Load(const char* path) {
  uint32_t size = 12345;
  char* block = LoadFirstZipMember(path, &size);
  if (block == nullptr) {
    EXPECT_EQ(size, 0u);
    return "<null>";
  }
  EXPECT_EQ(block[size], '\0');
  std::string text(block, size);
  FreeBlock(block);
  return text;
}

std::string PriceText() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "2024/06/03,130" + std::to_string(i % 10) + ",東証,100,110,90,105,12345\r\n";
  return text;
}

size_t FindBytes(const std::vector<uint8_t>& bytes, const std::string& pattern) {
  const auto found = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
  return found == bytes.end() ? std::string::npos : static_cast<size_t>(found - bytes.begin());
}

using ZipMemberTest = PriceStoreTest;

TEST_F(ZipMemberTest, ReadsTheFirstMemberWholeUpTo64MegabytesAndAnythingElseAsNullWithoutAMessage) {
  mkdir("TMPDOWN", 0777);
  const std::string prices = PriceText(), limit(kMaxZipMemberBytes, '7');
  WriteZip("TMPDOWN/202406.zip", {{"202406.txt", prices, Z_DEFLATED}, {"other.txt", "second", Z_DEFLATED}});
  WriteZip("stored.zip", {{"a.txt", "stored bytes", 0}});
  WriteZip("limit.zip", {{"big.txt", limit, Z_DEFLATED}});
  EXPECT_EQ(Load("TMPDOWN\\202406.zip"), prices);
  EXPECT_EQ(Load("stored.zip"), "stored bytes");
  EXPECT_TRUE(Load("limit.zip") == limit);
  // The central directory claims one byte more than the limit.
  std::vector<uint8_t> claimed = ReadWholeFile("limit.zip");
  const size_t central = FindBytes(claimed, std::string("PK\x01\x02", 4));
  ASSERT_NE(central, std::string::npos);
  for (int i = 0; i < 4; ++i) claimed[central + 24 + i] = static_cast<uint8_t>((kMaxZipMemberBytes + 1) >> (8 * i));
  WriteWholeFile("toolarge.zip", claimed);
  WriteWholeFile("plain.txt", std::vector<uint8_t>(100, 'x'));
  WriteWholeFile("empty.zip", {});
  WriteZip("nomembers.zip", {});
  WriteZip("emptymember.zip", {{"e.txt", "", Z_DEFLATED}, {"f.txt", "later", Z_DEFLATED}});
  WriteZip("good.zip", {{"a.txt", "checksum guarded text", 0}});
  WriteZip("deflated.zip", {{"p.txt", PriceText(), Z_DEFLATED}});
  std::vector<std::string> paths = {"toolarge.zip", "plain.txt",     "empty.zip",
                                    "missing.zip",  "nomembers.zip", "emptymember.zip"};
  const std::vector<uint8_t> good = ReadWholeFile("good.zip");
  for (size_t cut : {good.size() - 22, good.size() / 2, size_t{30}}) {
    paths.push_back("cut" + std::to_string(cut) + ".zip");
    WriteWholeFile(paths.back(), std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
  }
  std::vector<uint8_t> flipped = good, garbled = ReadWholeFile("deflated.zip");
  const size_t data = FindBytes(flipped, "guarded");
  ASSERT_NE(data, std::string::npos);
  flipped[data] ^= 0x20;
  for (size_t i = 60; i < 200; ++i) garbled[i] = static_cast<uint8_t>(i * 37);
  WriteWholeFile("flipped.zip", flipped);
  WriteWholeFile("garbled.zip", garbled);
  paths.insert(paths.end(), {"flipped.zip", "garbled.zip"});
  for (const std::string& path : paths) EXPECT_EQ(Load(path.c_str()), "<null>") << path;
  FileFaults faults;
  faults.failReads = 100;
  SetFileFaults(faults);
  EXPECT_EQ(Load("good.zip"), "<null>");
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

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

TEST_F(KenTableTest, LoadedFileIsSavedBackByteForByteCountIsBoundedAndMissingOrBadFilesShowBothBoxes) {
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
  const RawRecord record = {kDay, C("1301"), 100};
  const std::pair<std::vector<uint8_t>, int32_t> cases[] = {
      {KenImage(kKenTag, 30000, {record, record, record}), 3},
      {KenImage(kKenTag, 30000, std::vector<RawRecord>(kMaxKenRecords, record)), kMaxKenRecords},
      {KenImage(kKenTag, -5, {record}), 0},
      {KenImage(kOldKenTag, 30000, {{kDay, 1301, 100}}), 1}};
  for (const auto& [file, count] : cases) {
    WriteWholeFile(kKenFile, file);
    LoadKenFile();
    EXPECT_EQ(gKenTable->count, count);
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
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

// Untraded bars count as before the record, records compound and prices below one show as one.
TEST_F(KenTableTest, SplitHalvesPricesAndDoublesVolumeBeforeTheFirstTradedBar) {
  LoadTable(
      {{kDayBefore, C("1301"), 100}, {kDayBefore, C("1302"), 900}, {kDay, C("1301"), 200}, {kDay, C("1303"), 100}});
  const auto source = Series("1303", {{MakePackedDate(2024, 3, 28), 1001, 1203, 999, 1101, 300},
                                      Bar(kDayBefore, 1001, 7),
                                      Bar(kDay, 500, 1000),
                                      Bar(kDay + 1, 503, 2000)});
  const auto out = Adjusted(*source);
  ASSERT_EQ(out->count, 4);
  EXPECT_EQ(out->code, C("1303"));
  const PriceBar& first = out->bars[0];
  EXPECT_EQ(Row(first.open, first.high, first.low, first.close, first.volume, out->bars[1].close, out->bars[1].volume),
            Row(500, 601, 499, 550, 600, 500, 14));
  EXPECT_EQ(memcmp(&out->bars[2], &source->bars[2], 2 * sizeof(PriceBar)), 0);
  EXPECT_EQ(source->bars[0].open, 1001);
  // The bar without volume on the record's date counts as before it.
  const auto untraded =
      Adjusted(*Series("1303", {Bar(kDayBefore, 1000, 5), Bar(kDay, 1000, 0), Bar(kDay + 1, 500, 9)}));
  EXPECT_EQ(Row(untraded->bars[1].close, untraded->bars[2].close), Row(500, 500));
  // No traded bar on or after the date: the record is skipped.
  EXPECT_EQ(Adjusted(*Series("1303", {Bar(kDayBefore, 1000, 5), Bar(kDay, 1000, 0)}))->bars[0].close, 1000);
  // Two records of one stock compound; another stock's record does not count.
  const auto both =
      Adjusted(*Series("1301", {Bar(kDayBefore - 1, 6000, 10), Bar(kDayBefore, 3000, 10), Bar(kDay, 1000, 10)}));
  EXPECT_EQ(Row(both->bars[0].close, both->bars[0].volume, both->bars[1].close), Row(1000, 60, 1000));
  const auto low = Adjusted(*Series("1303", {{kDayBefore, 1, 3, 1, 2, 5}, {kDay, 0, 0, -7, 0, 8}}));
  for (const PriceBar& bar : {low->bars[0], low->bars[1]})
    EXPECT_EQ(Row(bar.open, bar.high, bar.low, bar.close), Row(1, 1, 1, 1));
  // The first bar of each stock adjusted: factors of zero or below are skipped,
  // large results saturate, and the fixed corrections use factors below one on
  // their dates only.
  const struct {
    const char* code;
    PackedDate date;
    int32_t ratio, price, volume, adjustedPrice, adjustedVolume;
  } cases[] = {{"1301", kDay, -100, 1000, 5, 1000, 5},
               {"1301", kDay, -150, 1000, 5, 1000, 5},
               {"1302", kDay, 100, 1000, 1500000000, 500, INT_MAX},
               {"1303", kDay, -99, 30000000, -1500000000, INT_MAX, -15000000},
               {"4830", MakePackedDate(2004, 11, 8), 5, 100, 100000, 100000, 100},
               {"7470", MakePackedDate(2005, 1, 13), 5, 100, 100000, 1000000, 10},
               {"4830", MakePackedDate(2004, 11, 9), 5, 100, 100000, 95, 105000}};  // another date: F = 105
  std::vector<RawRecord> records;
  for (const auto& c : cases) records.push_back({c.date, C(c.code), c.ratio});
  LoadTable(records);
  for (const auto& c : cases) {
    const auto out = Adjusted(*Series(c.code, {Bar(c.date - 1, c.price, c.volume), Bar(c.date, 1, 1)}));
    EXPECT_EQ(Row(out->bars[0].close, out->bars[0].volume), Row(c.adjustedPrice, c.adjustedVolume)) << c.code;
  }
}

TEST_F(KenTableTest, ImportedPlainOldFileOrZipIsSavedAndChartsReloadWhenAdjustedPricesShow) {
  LoadTable({});
  const auto image = NewImage({{kDay, C("1301"), 100}, {kDay, C("7203"), 50}});
  WriteWholeFile("ken.dat", KenImage(kOldKenTag, 30000, {{kDay, 1301, 100}, {kDay, 7203, 50}}));
  EXPECT_TRUE(Import("ken.dat").empty());
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
  LoadTable({{kDay, C("9999"), 100}});
  WriteZip("new ken.zip", {{"ken.dat", std::string(image.begin(), image.end()), Z_DEFLATED}});
  gShowSplitAdjusted = 1;
  TakeRecordedFileDialogs();
  EXPECT_TRUE(Import("new ken.zip").empty());
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].filter, std::string(kImportFilter, sizeof kImportFilter));
  EXPECT_EQ(gKenTable->records[1].code, C("7203"));
  EXPECT_EQ(ReadWholeFile(kKenFile), image);
  // A refused, cancelled or unsaved import leaves the table and the file as they were.
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
