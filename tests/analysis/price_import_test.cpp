#include "analysis/price_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/market_breadth.h"
#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "common/file_io.h"
#include "data/price_archives.h"
#include "tests/support/global_state.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/series_digest.h"

namespace {

namespace fs = std::filesystem;

constexpr PackedDate kSampleLastDate = MakePackedDate(2026, 12, 4);

std::string Generator() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind("tests/")) + "tools/make_price_archives.py";
}

int gChartReloads = 0;

class PriceImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* sample = std::getenv("VELQO_SAMPLE_DB");
    if (sample == nullptr) GTEST_SKIP() << "VELQO_SAMPLE_DB not set";
    db_ = scratch_.path() + "db/";
    fs::copy(sample, db_, fs::copy_options::recursive);
    ASSERT_TRUE(OpenDatabaseFolder(db_.c_str()));
    gLastPriceDate = kSampleLastDate;
    // The month of archives after the sample's last day has gone by.
    SetFixedClock(PackedDateToDays(MakePackedDate(2027, 1, 8)) * 86400, 9 * 3600);
    gChartReloads = 0;
    gPriceImportHooks.reloadCharts = [] { ++gChartReloads; };
  }
  // Archives of the trading days after the sample's last date, made by Python's zipfile.
  void MakeArchives(const std::string& options) {
    const std::string command = "python3 " + Generator() + " " + db_ + " " + db_ + "TMPDOWN --expected " +
                                scratch_.path() + "expected " + options + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  std::string DayFile(const std::string& folder, int index) {
    return folder + "DAY/" + CodeToString(gStockTable->records[index].master.code);
  }
  PackedDate LastDate(StockCode code) {
    auto series = std::make_unique<BarSeries>();
    GetDailyBars(code, series.get());
    return series->count > 0 ? series->bars[series->count - 1].date : 0;
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  std::string db_;
};

// Every stock's daily file ends as the generator meant it, bar for bar, and
// the last price date is the newest day imported.
TEST_F(PriceImportTest, AMonthOfArchivesGivesTheIntendedDailyFiles) {
  MakeArchives("--days 21 --method mixed");
  EXPECT_EQ(ImportDownloadedZips(1), kImportDone);
  FlushDailyCache();
  for (int i = 0; i < gStockTable->count; ++i) {
    ASSERT_EQ(ReadWholeFile(DayFile(db_, i)), ReadWholeFile(DayFile(scratch_.path() + "expected/", i))) << i;
  }
  EXPECT_EQ(Row(gLastPriceDate, gChartReloads), Row(MakePackedDate(2027, 1, 6), 1));
  EXPECT_EQ(gBreadthRatioDates[0]->dates[gBreadthRatioDates[0]->count - 1], gLastPriceDate);
  // The Windows build's import is held to the same digest.
  if (const char* digest = std::getenv("VELQO_IMPORT_DIGEST")) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(ComputeDatabaseDigest()));
    EXPECT_STREQ(text, digest);
  }
}

// An empty folder still reloads the charts. The archives are taken in name
// order; a cancel in the third leaves the last price date where it was, so
// that the next update fetches them again.
TEST_F(PriceImportTest, AnEmptyFolderImportsNothingAndACancelledImportKeepsTheLastPriceDate) {
  EXPECT_EQ(ImportDownloadedZips(1), kImportNothingNew);
  EXPECT_EQ(Row(gLastPriceDate, gChartReloads, TakeRecordedProgressCalls().size()), Row(kSampleLastDate, 1, 0));
  MakeArchives("--days 3 --method deflated");
  CancelProgressOnText("20261209");
  EXPECT_EQ(ImportDownloadedZips(1), kImportCancelled);
  EXPECT_EQ(Row(gLastPriceDate, gChartReloads), Row(kSampleLastDate, 2));
  EXPECT_EQ(LastDate(StringToCode("1001")), MakePackedDate(2026, 12, 8));
}

// Without the first sweep the chosen archive reaches the index only in the
// window pass; the breadth must still count its dates.
TEST_F(PriceImportTest, AChosenArchiveAloneIsCountedInTheBreadth) {
  MakeArchives("--days 2 --method stored");
  QueueFileDialogAnswer(db_ + "TMPDOWN/20261207.zip");
  QueueMessageBoxAnswer(kIdNo);
  EXPECT_EQ(ImportDownloadedZips(0), kImportDone);
  EXPECT_EQ(LastDate(StringToCode("1001")), MakePackedDate(2026, 12, 7));
  EXPECT_EQ(gBreadthRatioDates[0]->dates[gBreadthRatioDates[0]->count - 1], MakePackedDate(2026, 12, 7));
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2026, 12, 7));
  // Yes: every archive of the chosen one's folder with its extension.
  QueueFileDialogAnswer(db_ + "TMPDOWN/20261207.zip");
  QueueMessageBoxAnswer(kIdYes);
  EXPECT_EQ(ImportDownloadedZips(0), kImportDone);
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2026, 12, 8));
}

// A zip archive (by Python's zipfile) holding `text` as its one member.
void WriteZip(const std::string& path, const std::string& text) {
  WriteWholeFile("member.txt", std::vector<uint8_t>(text.begin(), text.end()));
  const std::string command =
      "python3 -c \"import sys, zipfile; zipfile.ZipFile(sys.argv[1], 'w').writestr('m.txt', "
      "open('member.txt', 'rb').read())\" '" +
      path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::remove("member.txt");
}

// One good day, then an unreadable archive before another good one: one
// message names the unreadable archive, which stays, and the last price date
// stays before its day so that the next update reads it again.
TEST_F(PriceImportTest, AnUnreadableArchiveIsNamedOnceAndItsDayIsNotCommitted) {
  MakeArchives("--days 3 --method deflated");
  const std::vector<uint8_t> random = {0x50, 0x4b, 0x03, 0x04, 0x13, 0xa7, 0x00, 0xff, 0x42, 0x99, 0x07, 0x5c};
  WriteWholeFile(db_ + "TMPDOWN/20261208.zip", random);
  EXPECT_EQ(ImportDownloadedZips(1), kImportFailed);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("TMPDOWN\\20261208.zip（"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2026, 12, 7));
  EXPECT_EQ(ReadWholeFile(db_ + "TMPDOWN/20261208.zip"), random);
  FlushDailyCache();
  for (int i = 0; i < gStockTable->count; ++i)
    EXPECT_EQ(LastDate(gStockTable->records[i].master.code), MakePackedDate(2026, 12, 9)) << i;
}

TEST_F(PriceImportTest, ARandomTextOrAFullDiskChangesNoDailyFileAndIsReportedOnce) {
  std::vector<std::vector<uint8_t>> before;
  for (int i = 0; i < gStockTable->count; ++i) before.push_back(ReadWholeFile(DayFile(db_, i)));
  SetSystemErrorText(kErrorDiskFull, "ディスクに十分な空き領域がありません。");
  SetSleepRecorded(true);
  fs::create_directories(db_ + "TMPDOWN");
  const struct {
    const char* what;
    const char* named;
  } cases[] = {
      {"a random text", "TMPDOWN\\20261207.zip（正しい行がひとつも"},
      {"a full disk", "日足ファイル(DAY\\1001)を書き込めませんでした。\nディスクに十分な空き領域がありません。"}};
  for (const auto& c : cases) {
    if (c.what == cases[0].what) WriteZip(db_ + "TMPDOWN/20261207.zip", "20261207\x8a\x94,,1301\r\n\x01\x02\r\n");
    if (c.what == cases[1].what) {
      MakeArchives("--days 1 --method stored");
      FileFaults faults;
      faults.failWrites = 1000000;
      SetFileFaults(faults);
    }
    EXPECT_EQ(ImportDownloadedZips(1), kImportFailed) << c.what;
    SetFileFaults(FileFaults{});
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_NE(boxes[0].text.find(c.named), std::string::npos) << boxes[0].text;
    EXPECT_EQ(gLastPriceDate, kSampleLastDate) << c.what;
    for (int i = 0; i < gStockTable->count; ++i) ASSERT_EQ(ReadWholeFile(DayFile(db_, i)), before[i]) << c.what << i;
  }
}

TEST(PriceImportListTest, ArchivesAreListedInNameOrder) {
  ScratchFolder scratch;
  for (const char* name : {"20261208.zip", "20261207.ZIP", "2026.txt", "noext"}) WriteWholeFile(name, {1});
  ASSERT_EQ(mkdir("20261206.zip", 0777), 0);
  EXPECT_EQ(ListArchivesInNameOrder("./", ".zip"), (std::vector<std::string>{"./20261207.ZIP", "./20261208.zip"}));
  EXPECT_EQ(ListArchivesInNameOrder("./", "").size(), 4u);
}

}  // namespace

namespace {

// A disc month archive holding `text`, written by Python's zipfile.
void WriteDiscMonth(const std::string& folder, int year, int month, const std::string& text) {
  char name[64];
  std::snprintf(name, sizeof name, "%d/%d%02d.zip", year, year, month);
  fs::create_directories(folder + std::to_string(year));
  WriteWholeFile("month.txt", std::vector<uint8_t>(text.begin(), text.end()));
  const std::string command =
      "python3 -c \"import sys, zipfile; zipfile.ZipFile(sys.argv[1], 'w').writestr('m.txt', "
      "open('month.txt', 'rb').read())\" '" +
      folder + name + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

class DiscReloadTest : public PriceStoreTest {};

// Twenty years back from this month, both ends included; a missing month is skipped.
TEST_F(DiscReloadTest, TwentyYearsOfMonthsAreReadFromTheDisc) {
  AddStock(StringToCode("1001")).master.marketId = 6;
  AddStock(StringToCode("1301")).master.marketId = 1;
  gPriceDiscHooks.driveType = [](char letter) { return letter == 'Q' ? kDriveTypeCdrom : 0; };
  SetFixedClock(1796601600, 9 * 3600);  // 2026-12-07 09:00 in Tokyo
  const std::string disc = "Q:/\x8a\x94\x89\xbf\x83\x66\x81\x5b\x83\x5e/";
  fs::create_directories(disc);
  WriteWholeFile(disc + "\x96\xc1\x95\xbf\x91\xae\x90\xab.zip", {1});
  WriteDiscMonth(disc, 2006, 11, "20061130,1301,tp,1,9,1,5,1\r\n");
  WriteDiscMonth(disc, 2006, 12, "20061201,1301,tp,1,9,1,6,1\r\n20061201,1001,i,1,9,1,6,1000\r\n");
  WriteDiscMonth(disc, 2026, 12, "20261204,1301,tp,1,9,1,7,1\r\n20261204,1001,i,1,9,1,7,1000\r\n");
  gLastPriceDate = MakePackedDate(2001, 5, 1);
  EXPECT_EQ(ReloadPricesFromDisc(), 1);
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(StringToCode("1301"), series.get());
  ASSERT_EQ(series->count, 2);
  EXPECT_EQ(Row(series->bars[0].date, series->bars[1].date, gLastPriceDate),
            Row(MakePackedDate(2006, 12, 1), MakePackedDate(2026, 12, 4), MakePackedDate(2026, 12, 4)));
  gPriceDiscHooks.driveType = nullptr;
  EXPECT_EQ(ReloadPricesFromDisc(), 0);
}

}  // namespace
