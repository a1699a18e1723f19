#include "data/daily_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "data/backup_paths.h"
#include "data/trading_calendar.h"
#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

std::unique_ptr<BarSeries> MakeSeries(const char* code, int count, PackedDate first = MakePackedDate(2000, 1, 4)) {
  return SeriesOf(StringToCode(code), count, [first](int i) {
    const int close = 1000 + i % 500;
    return PriceBar{AddCalendarDays(first, i), close - 3, close + 5, close - 7, close, 100 + i};
  });
}

std::vector<uint8_t> Image(const char* code, int count, PackedDate first = MakePackedDate(2000, 1, 4)) {
  return SeriesImage(*MakeSeries(code, count, first));
}

std::string DayPath(const char* code) { return std::string("DAY/") + code; }

// Injects open failures; the reads made are counted by the failures used up.
void FailOpens(int opens, int error) {
  FileFaults faults;
  faults.failOpens = opens;
  faults.openError = error;
  SetFileFaults(faults);
}

int ReadsMade(int opensGiven, int opensPerRead) { return (opensGiven - GetFileFaults().failOpens) / opensPerRead; }

class DailyFilesTest : public PriceStoreTest {
 protected:
  void AddStock(const char* code, int dailyCount) { PriceStoreTest::AddStock(StringToCode(code), dailyCount); }
  void MakeBackup(const std::string& name, const char* code, const std::vector<uint8_t>& bytes) {
    const std::string folder = "Backups/" + name;
    for (const std::string& path : {std::string("Backups"), folder, folder + "/DAY"}) mkdir(path.c_str(), 0777);
    if (code != nullptr) WriteWholeFile(folder + "/DAY/" + code, bytes);
    std::snprintf(gBackupRootFolder, sizeof gBackupRootFolder, "%sBackups", folder_.path().c_str());
  }
  // Read into a buffer still holding another stock's bars.
  std::unique_ptr<BarSeries> Load(const char* code) {
    auto series = MakeSeries("9999", 200);
    LoadDailyFile(StringToCode(code), series.get());
    return series;
  }
};

TEST_F(DailyFilesTest, FilesHoldHeaderAndBarsOnlyAndRoundTripByteForByte) {
  for (int count : {0, 1, 5071, 5120}) {
    const auto image = Image("1301", count);
    WriteWholeFile(DayPath("1301"), image);
    auto loaded = Load("1301");
    ASSERT_EQ(loaded->count, count);
    ASSERT_EQ(SaveDailyFile(StringToCode("1301"), loaded.get()), 0);
    EXPECT_EQ(ReadWholeFile(DayPath("1301")), image) << count;
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  // The search for the last bar on or before a date never answers with the first bar itself.
  const auto series = MakeSeries("1301", 5);  // January 4..8, 2000
  EXPECT_EQ(Row(FindLastBarOnOrBefore(*series, MakePackedDate(2000, 1, 6)),
                FindLastBarOnOrBefore(*series, MakePackedDate(2000, 2, 1)),
                FindLastBarOnOrBefore(*series, MakePackedDate(2000, 1, 4)),
                FindLastBarOnOrBefore(*series, MakePackedDate(1999, 1, 1))),
            Row(2, 4, 0, 0));
}

TEST_F(DailyFilesTest, BadCountsGiveAnEmptySeriesAndPricesBelowOneBecomeOne) {
  auto series = MakeSeries("1301", kMaxBars);
  for (int badCount : {5121, -1}) {
    series->count = badCount;
    WriteWholeFile(DayPath("1301"), SeriesImage(*series, kMaxBars));
    EXPECT_EQ(Load("1301")->count, 0) << badCount;
  }
  series->count = 2;
  series->bars[0].low = 0;
  series->bars[1] = {series->bars[1].date, -4, 0, -1, 0, -50};
  WriteWholeFile(DayPath("1301"), SeriesImage(*series, 2));
  auto loaded = Load("1301");
  EXPECT_EQ(loaded->bars[0].low, 1);
  const PriceBar repaired = {series->bars[1].date, 1, 1, 1, 1, -50};
  EXPECT_EQ(std::memcmp(&loaded->bars[1], &repaired, sizeof repaired), 0);
}

TEST_F(DailyFilesTest, OnlyBarsTheFileHoldsAreTakenUnderTheRequestedCode) {
  auto series = MakeSeries("1302", 100);
  series->code = 1302;  // an old numeric code
  auto bytes = SeriesImage(*series, 50);
  bytes.insert(bytes.end(), 10, 0x77);  // a torn 51st bar
  WriteWholeFile(DayPath("1301"), bytes);
  auto loaded = Load("1301");
  EXPECT_EQ(loaded->code, StringToCode("1301"));
  ASSERT_EQ(loaded->count, 50);
  EXPECT_EQ(std::memcmp(loaded->bars, series->bars, 50 * sizeof(PriceBar)), 0);
  auto raw = MakeSeries("9999", 200);
  EXPECT_EQ(LoadDailyFileRaw("DAY\\1301", raw.get(), sizeof(BarSeries)), 0);
  EXPECT_EQ(Row(raw->code, raw->count), Row(StringToCode("1302"), 50));
}

TEST_F(DailyFilesTest, ReusedCodeKeepsOnlyBarsFromItsCutOffDay) {
  // 2004-07-01 .. 2004-09-30, every calendar day.
  for (const char* code : {"8198", "8197"}) WriteWholeFile(DayPath(code), Image(code, 92, MakePackedDate(2004, 7, 1)));
  auto cut = Load("8198");
  ASSERT_EQ(cut->count, 92 - 28);
  EXPECT_EQ(cut->bars[0].date, MakePackedDate(2004, 7, 29));
  EXPECT_EQ(Load("8197")->count, 92);
  WriteWholeFile(DayPath("8303"), Image("8303", 10, MakePackedDate(2004, 1, 1)));
  EXPECT_EQ(Load("8303")->count, 0);
  // Read raw, the same file keeps its early bars and its zero prices.
  auto raw = MakeSeries("8198", 92, MakePackedDate(2004, 7, 1));
  raw->bars[0].low = 0;
  const auto image = SeriesImage(*raw);
  WriteWholeFile(DayPath("8198"), image);
  EXPECT_EQ(LoadDailyFileRaw("DAY\\8198", raw.get(), sizeof(BarSeries)), 0);
  EXPECT_EQ(SeriesImage(*raw), image);
}

// Retrying cannot bring back a missing file: one read, no waiting, no box. A
// locked file of a stock with bars is read three times, without waiting after
// the last, and shown; that of a stock without bars once and quietly.
TEST_F(DailyFilesTest, MissingOrLockedFilesAreReadAsOftenAsThatCanHelp) {
  AddStock("1301", 0);
  AddStock("1302", 250);
  for (const char* code : {"1301", "1302"}) WriteWholeFile(DayPath(code), Image(code, 10));
  SetSystemErrorText(kErrorSharingViolation, "使用中です。");
  const struct {
    const char* code;
    int error, opensPerRead, reads;
    uint32_t slept;
    const char* shown;
  } cases[] = {{"1301", kErrorFileNotFound, 1, 1, 0, ""},
               {"1302", kErrorFileNotFound, 1, 1, 0, ""},
               {"1302", kErrorSharingViolation, 3, 3, 2 * kDailyReadRetryWaitMs, "使用中です。"},
               {"1301", kErrorSharingViolation, 3, 1, 0, ""}};
  for (const auto& c : cases) {
    FailOpens(30, c.error);
    EXPECT_EQ(Load(c.code)->count, 0);
    std::string shown;
    for (const auto& box : TakeRecordedMessageBoxes()) shown += box.text;
    EXPECT_EQ(Row(ReadsMade(30, c.opensPerRead), TakeSleptMilliseconds()), Row(c.reads, c.slept)) << c.code;
    EXPECT_EQ(shown, c.shown) << c.code;
  }
  SetFileFaults(FileFaults{});  // a backup lacking the file changes nothing
  MakeBackup("20240101_120000", nullptr, {});
  std::remove(DayPath("1302").c_str());
  auto loaded = Load("1302");
  EXPECT_EQ(Row(loaded->count, loaded->code, TakeSleptMilliseconds(), TakeRecordedMessageBoxes().size()),
            Row(0, StringToCode("1302"), 0, 0));
}

TEST_F(DailyFilesTest, EmptyFileOfStockWithBarsIsReplacedByTheNewestBackupCopy) {
  AddStock("1301", 250);
  AddStock("1302", 0);
  WriteWholeFile(DayPath("1301"), {1, 2, 3, 4, 5, 6, 7});
  WriteWholeFile(DayPath("1302"), {});
  EXPECT_EQ(Load("1302")->count, 0);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_EQ(Load("1301")->count, 0);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  WriteWholeFile(DayPath("1301"), {});
  MakeBackup("20230101_000000", "1301", Image("1301", 9));
  MakeBackup("20240301_093000", "1301", Image("1301", 7));
  mkdir("Backups/zz-not-a-backup", 0777);
  TakeSleptMilliseconds();
  EXPECT_EQ(SeriesImage(*Load("1301")), Image("1301", 7));
  EXPECT_EQ(TakeSleptMilliseconds(), 2 * kDailyReadRetryWaitMs);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  // A newest backup without the file is not replaced by an older one.
  char path[kBackupPathSize] = "unchanged";
  MakeBackup("20250101_000000", nullptr, {});
  EXPECT_FALSE(FindBackupDailyFile(StringToCode("1301"), path, sizeof path));
  EXPECT_STREQ(path, "unchanged");
}

TEST_F(DailyFilesTest, RefusedOrFailedWriteKeepsTheFileAndIsShown) {
  const auto before = Image("1301", 3);
  WriteWholeFile(DayPath("1301"), before);
  EXPECT_EQ(SaveDailyFile(StringToCode("1301"), MakeSeries("1302", 5).get()), kErrorInvalidParameter);
  auto tooLong = MakeSeries("1301", 5);
  tooLong->count = kMaxBars + 1;
  EXPECT_EQ(SaveDailyFile(StringToCode("1301"), tooLong.get()), kErrorInvalidParameter);
  FileFaults faults;
  faults.failReplaces = 1000;  // as a read-only file would
  SetFileFaults(faults);
  EXPECT_EQ(SaveDailyFile(StringToCode("1301"), MakeSeries("1301", 8).get()), kErrorAccessDenied);
  EXPECT_EQ(ReadWholeFile(DayPath("1301")), before);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 3u);
}

TEST_F(DailyFilesTest, TimeBackCutDateIsTheChosenCalendarDayClamped) {
  WriteWholeFile(DayPath("1001"), Image("1001", 10, MakePackedDate(2024, 3, 6)));
  ASSERT_EQ(LoadTradingCalendar(), 0);
  gTimeBackDayIndex = 3;
  EXPECT_EQ(GetTimeBackCutDate(), 0u);
  gTimeBackMode = 1;
  const auto cutAt = [](int index) { return gTimeBackDayIndex = index, GetTimeBackCutDate(); };
  EXPECT_EQ(Row(cutAt(3), cutAt(0), cutAt(-1), cutAt(500)),
            Row(MakePackedDate(2024, 3, 9), MakePackedDate(2024, 3, 6), MakePackedDate(2024, 3, 15),
                MakePackedDate(2024, 3, 15)));
  std::remove("DAY/1001");
  EXPECT_EQ(LoadTradingCalendar(), kErrorFileNotFound);
  EXPECT_EQ(GetTimeBackCutDate(), 0u);
}

}  // namespace
