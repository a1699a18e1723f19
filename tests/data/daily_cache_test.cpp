// The daily files and the cache of daily series kept in front of them.
#include "data/daily_cache.h"
#include "data/daily_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <tuple>

#include "data/backup_paths.h"
#include "data/trading_calendar.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

uint32_t gFakeLoad = 40;
uint64_t gFakeTotal = uint64_t{8} << 30;

void FakeMemoryStatus(uint32_t* load, uint64_t* total) { *load = gFakeLoad, *total = gFakeTotal; }

constexpr PackedDate D(int year, int month, int day) { return MakePackedDate(year, month, day); }
StockCode CodeOf(int i) { return NumberCode((1300 + i) % 10000); }
std::string PathOf(int i) { return DayPath(CodeOf(i)); }

// Bar i of a test series; its volume tells its place.
PriceBar BarAt(PackedDate first, int i) { return {AddCalendarDays(first, i), 500, 509, 491, 501, 1000 + i}; }

std::unique_ptr<BarSeries> MakeSeries(StockCode code, int count, PackedDate first = D(2020, 1, 6)) {
  return SeriesOf(code, count, [first](int i) { return BarAt(first, i); });
}

StockCode C(const char* code) { return StringToCode(code); }
std::string DayPath(const char* code) { return std::string("DAY/") + code; }

std::vector<uint8_t> Image(const char* code, int count, PackedDate first = D(2020, 1, 6)) {
  return SeriesImage(*MakeSeries(C(code), count, first));
}

void AppendBar(BarSeries* series, int close) {
  const PackedDate last = series->bars[series->count - 1].date;
  series->bars[series->count++] = {AddCalendarDays(last, 1), close, close, close, close, 77};
}

bool HasProgressCall(const std::vector<RecordedProgressCall>& calls, const char* call, int value,
                     const std::string& text = std::string()) {
  return std::any_of(calls.begin(), calls.end(), [&](const RecordedProgressCall& c) {
    return c.call == call && c.value == value && (text.empty() || c.text == text);
  });
}

void FailReplaces(int count) {
  FileFaults faults;
  faults.failReplaces = count;
  SetFileFaults(faults);
}

// Injects open failures; the reads made are counted by the failures used up.
void FailOpens(int opens, int error) {
  FileFaults faults;
  faults.failOpens = opens;
  faults.openError = error;
  SetFileFaults(faults);
}

int ReadsMade(int opensGiven, int opensPerRead) { return (opensGiven - GetFileFaults().failOpens) / opensPerRead; }

class DailyCacheTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gFakeLoad = 40, gFakeTotal = uint64_t{8} << 30;
    gDailyCacheMemoryStatus = FakeMemoryStatus;
  }
  // Stocks 0..count-1, each with a file of `bars` bars.
  void AddStocks(int count, int bars) {
    for (int i = 0; i < count; ++i) {
      AddStock(CodeOf(i), bars);
      WriteWholeFile(PathOf(i), SeriesImage(*MakeSeries(CodeOf(i), bars)));
    }
  }
  std::unique_ptr<BarSeries> Get(int i) {
    auto out = MakeSeries(StringToCode("9999"), 60);  // stale bars of another stock
    GetDailyBars(CodeOf(i), out.get());
    return out;
  }
  std::unique_ptr<BarSeries> Change(int i, int close) {
    auto series = Get(i);
    AppendBar(series.get(), close);
    UpdateDailyBars(CodeOf(i), *series);
    return series;
  }
};

TEST_F(DailyCacheTest, FirstReadFillsTheSlotAndLaterReadsComeFromIt) {
  AddStocks(3, 20);
  auto first = Get(1);
  EXPECT_EQ(SeriesImage(*first), SeriesImage(*MakeSeries(CodeOf(1), 20)));
  EXPECT_EQ(Row(IsDailyCacheSlotFilled(1), gDailyCacheCount.load()), Row(1, 1));
  std::remove(PathOf(1).c_str());
  EXPECT_EQ(SeriesImage(*Get(1)), SeriesImage(*first));
  auto stranger = MakeSeries(CodeOf(0), 10);
  GetDailyBars(StringToCode("9998"), stranger.get());
  EXPECT_EQ(Row(stranger->count, gDailyCacheCount.load()), Row(0, 1));
  // The caller gets no negative volumes, but the cache keeps them.
  auto series = MakeSeries(CodeOf(0), 20);
  series->bars[3].volume = -5;
  WriteWholeFile(PathOf(0), SeriesImage(*series));
  EXPECT_EQ(Get(0)->bars[3].volume, 0);
  EXPECT_EQ(gDailyCache->slots[0]->bars[3].volume, -5);
}

TEST_F(DailyCacheTest, UnderMemoryPressureOrAfterAFailedReadNothingIsCached) {
  AddStocks(2, 20);
  gFakeLoad = kCacheMemoryLoadLimit;
  EXPECT_EQ(Get(0)->count, 20);
  EXPECT_FALSE(IsDailyCacheSlotFilled(0));
  gFakeLoad = kCacheMemoryLoadLimit - 1;
  FailOpens(9, kErrorSharingViolation);  // three reads of three opens
  EXPECT_EQ(Get(1)->count, 0);
  EXPECT_EQ(Row(IsDailyCacheSlotFilled(1), TakeRecordedMessageBoxes().size()), Row(0, 1));
  EXPECT_EQ(Get(1)->count, 20);
  EXPECT_TRUE(IsDailyCacheSlotFilled(1));
}

TEST_F(DailyCacheTest, TimeBackModeDropsBarsAfterTheChosenCalendarDay) {
  // Calendar 2024-03-11 .. 2024-03-22; day 4 is 2024-03-15.
  WriteWholeFile("DAY/1001", SeriesImage(*MakeSeries(StringToCode("1001"), 12, D(2024, 3, 11))));
  ASSERT_EQ(LoadTradingCalendar(), 0);
  AddStocks(4, 0);
  WriteWholeFile(PathOf(0), SeriesImage(*MakeSeries(CodeOf(0), 22, D(2024, 3, 1))));
  auto gap = MakeSeries(CodeOf(1), 3, D(2024, 3, 13));
  gap->bars[2].date = D(2024, 3, 18);
  WriteWholeFile(PathOf(1), SeriesImage(*gap));
  WriteWholeFile(PathOf(2), SeriesImage(*MakeSeries(CodeOf(2), 5, D(2024, 3, 16))));
  gTimeBackDayIndex = 4;
  EXPECT_EQ(GetTimeBackCutDate(), 0u);  // only in time-back mode
  gTimeBackMode = 1;
  const auto cutAt = [](int index) { return gTimeBackDayIndex = index, GetTimeBackCutDate(); };
  EXPECT_EQ(Row(cutAt(0), cutAt(-1), cutAt(500)),  // the chosen calendar day, clamped
            Row(D(2024, 3, 11), D(2024, 3, 22), D(2024, 3, 22)));
  EXPECT_EQ(cutAt(4), D(2024, 3, 15));
  const auto cut = Get(0), beforeGap = Get(1);
  EXPECT_EQ(Row(cut->count, cut->bars[14].date, beforeGap->count, beforeGap->bars[1].date, Get(2)->count),
            Row(15, D(2024, 3, 15), 2, D(2024, 3, 14), 0));
  EXPECT_EQ(gDailyCache->slots[0]->count, 22);
  gTimeBackMode = 0;
  EXPECT_EQ(Get(0)->count, 22);
  gTimeBackMode = 1;
  std::remove("DAY/1001");
  EXPECT_EQ(LoadTradingCalendar(), kErrorFileNotFound);
  EXPECT_EQ(GetTimeBackCutDate(), 0u);
}

TEST_F(DailyCacheTest, ChangeToCachedStockIsWrittenOnlyByTheFlushToUncachedAtOnceToAStrangerNever) {
  AddStocks(3, 20);
  const auto before = ReadWholeFile(PathOf(1));
  Change(1, 900);
  auto changed = Change(1, 901);
  EXPECT_EQ(ReadWholeFile(PathOf(1)), before);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 1);
  EXPECT_EQ(SeriesImage(*Get(1)), SeriesImage(*changed));
  FlushDailyCache();
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*changed));
  EXPECT_EQ(ReadWholeFile(PathOf(1)).size(), 8u + 24u * 22u);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  auto series = MakeSeries(CodeOf(2), 25);
  UpdateDailyBars(CodeOf(2), *series);
  EXPECT_EQ(ReadWholeFile(PathOf(2)), SeriesImage(*series));
  EXPECT_FALSE(IsDailyCacheSlotFilled(2));
  UpdateDailyBars(StringToCode("9998"), *MakeSeries(StringToCode("9998"), 5));
  EXPECT_FALSE(FileExists("DAY/9998"));
  UpdateDailyBars(CodeOf(1), *MakeSeries(CodeOf(2), 30));  // another stock's series
  EXPECT_EQ(Get(1)->count, 22);
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), TakeRecordedMessageBoxes().size()), Row(0, 1));
  // The flush shows the abort button except during the price update.
  Change(0, 900);
  BeginProgress(gMainWnd, 0, 0, 2);
  TakeRecordedProgressCalls();
  FlushDailyCache();
  auto calls = TakeRecordedProgressCalls();
  EXPECT_TRUE(HasProgressCall(calls, "text", 2, "ハードディスクへ書き込み中..."));
  for (const char* call : {"cancel", "abort"})
    EXPECT_TRUE(HasProgressCall(calls, call, 0) && HasProgressCall(calls, call, 1));
  EXPECT_TRUE(HasProgressCall(calls, "bar", 32000 / 2));
  Change(1, 901);
  gPriceUpdateRunning = 1;
  FlushDailyCache();
  EXPECT_FALSE(HasProgressCall(TakeRecordedProgressCalls(), "abort", 1));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
}

// Freeing the cache before the table is reordered must not lose a change
// that could not be written; a clean copy goes.
TEST_F(DailyCacheTest, FailedWritesAreShownOnceWithTheirCountAndStayDirtyAlsoWhenFreeing) {
  AddStocks(5, 20);
  Get(1);
  for (int i : {0, 2, 4}) Change(i, 900 + i);
  const auto before = ReadWholeFile(PathOf(2));
  SetSystemErrorText(kErrorAccessDenied, "アクセスが拒否されました。");
  FailReplaces(100000);  // as a read-only folder would
  FlushDailyCache();
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "3銘柄の日足ファイルを書き込めませんでした(最初はDAY\\1300)。\nアクセスが拒否されました。");
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load()), Row(3, 4));
  EXPECT_FALSE(FlushAndFreeDailyCache());
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load(), TakeRecordedMessageBoxes().size()),
            Row(3, 3, 1));
  EXPECT_EQ(ReadWholeFile(PathOf(2)), before);
  SetFileFaults(FileFaults{});
  const auto changed = Get(2);
  EXPECT_TRUE(FlushAndFreeDailyCache());
  EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), gDailyCacheCount.load()), Row(0, 0));
  EXPECT_EQ(ReadWholeFile(PathOf(2)), SeriesImage(*changed));
  // Low-memory machines keep no cache.
  Get(0);
  gFakeTotal = kLowPhysicalMemory + 1;
  TrimDailyCacheIfMemoryLow();
  EXPECT_EQ(gDailyCacheCount.load(), 1);
  gFakeTotal = kLowPhysicalMemory;
  TrimDailyCacheIfMemoryLow();
  EXPECT_EQ(gDailyCacheCount.load(), 0);
}

TEST_F(DailyCacheTest, IdleFlushWritesOneSlotPerTurnAndPassesOverAFailingOne) {
  AddStocks(4, 20);
  for (int i : {3, 1, 2}) Change(i, 900 + i);
  FailReplaces(100000);
  FlushNextDirtyDailyCacheEntry();  // stock 1 fails
  FlushNextDirtyDailyCacheEntry();  // stock 2 fails, not shown again
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  SetFileFaults(FileFaults{});
  FlushNextDirtyDailyCacheEntry();  // stock 3
  FlushNextDirtyDailyCacheEntry();  // nothing left to try before the next flush
  EXPECT_EQ(ReadWholeFile(PathOf(3)), SeriesImage(*Get(3)));
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 2);
  FlushDailyCache();
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*Get(1)));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

// Whole-database jobs walk the table in windows of what memory allows.
TEST_F(DailyCacheTest, WindowWalksTheTableWritesEveryChangeOnceAndStopsAtAWriteThatFailsKeepingItsCopy) {
  AddStocks(10, 20);
  EXPECT_EQ(PreloadDailyCache(), 1);
  EXPECT_EQ(gDailyCacheCount.load(), 10);
  gFakeLoad = 95;                          // nothing is cached on the way
  gFakeTotal = 2 * 3 * sizeof(BarSeries);  // room for three copies
  BeginProgress(gMainWnd, 0, 0, 5);
  const int passes = PreloadDailyCache();
  ASSERT_EQ(passes, 4);
  for (int pass = 0; pass < passes; ++pass) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(IsDailyCacheSlotFilled(i), i / 3 == pass) << pass << " " << i;
    for (int i = 3 * pass; i < std::min(3 * pass + 3, 10); ++i) Change(i, 700 + i);
    if (pass + 1 < passes) {
      EXPECT_TRUE(AdvanceDailyCacheWindow(nullptr));
    }
  }
  const auto calls = TakeRecordedProgressCalls();
  EXPECT_TRUE(HasProgressCall(calls, "text", 1, "3／10銘柄の処理を完了"));
  EXPECT_TRUE(HasProgressCall(calls, "text", 2, "データ読み込みの準備中..."));
  FlushAndFreeDailyCache();
  for (int i = 0; i < 10; ++i) {
    auto expected = MakeSeries(CodeOf(i), 20);
    AppendBar(expected.get(), 700 + i);
    EXPECT_EQ(ReadWholeFile(PathOf(i)), SeriesImage(*expected)) << i;
  }
  // The first write that fails ends the move, without a box: the caller
  // reports it once. The copy stays.
  ASSERT_EQ(PreloadDailyCache(), 4);
  auto changed = Change(1, 901);
  Change(2, 902);
  FailReplaces(100000);
  DailyWriteFailure failure{0, 0};
  EXPECT_FALSE(AdvanceDailyCacheWindow(&failure));
  SetFileFaults(FileFaults{});
  EXPECT_EQ(Row(failure.code, failure.error, TakeRecordedMessageBoxes().size(), CountDirtyDailyCacheEntries()),
            Row(CodeOf(1), kErrorAccessDenied, 0, 2));
  for (int i : {1, 2, 3, 4}) EXPECT_EQ(IsDailyCacheSlotFilled(i), i != 4) << i;  // nothing moved on past stock 1
  FlushDailyCache();
  EXPECT_EQ(ReadWholeFile(PathOf(1)), SeriesImage(*changed));
}

TEST_F(DailyCacheTest, EveryOneOfFiveThousandStocksHasASlot) {
  AddStocks(kMaxStocks, 3);
  for (int i = 0; i < kMaxStocks; ++i) Get(i);
  EXPECT_EQ(gDailyCacheCount.load(), kMaxStocks);
  for (int i : {0, kMaxStocks - 1}) Change(i, 600);
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 2);
  FlushDailyCache();
  EXPECT_EQ(Row(ReadWholeFile(PathOf(kMaxStocks - 1)).size(), ReadWholeFile(PathOf(1)).size()),
            Row(8 + 24 * 4, 8 + 24 * 3));
}

class DailyFilesTest : public DailyCacheTest {
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
    auto series = MakeSeries(StringToCode("9999"), 200);
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
    ASSERT_EQ(SaveDailyFile(C("1301"), loaded.get()), 0);
    EXPECT_EQ(ReadWholeFile(DayPath("1301")), image) << count;
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  // The search for the last bar on or before a date never answers with the first bar itself.
  const auto series = MakeSeries(C("1301"), 5);  // January 6..10, 2020
  EXPECT_EQ(Row(FindLastBarOnOrBefore(*series, D(2020, 1, 8)), FindLastBarOnOrBefore(*series, D(2020, 2, 1)),
                FindLastBarOnOrBefore(*series, D(2020, 1, 6)), FindLastBarOnOrBefore(*series, D(2019, 1, 1))),
            Row(2, 4, 0, 0));
}

// Bad counts give an empty series and prices below one become one; only the
// bars a file holds are taken, under the requested code.
TEST_F(DailyFilesTest, BadCountsPricesBelowOneTornBarsAndOldCodesAreRead) {
  auto series = MakeSeries(C("1301"), kMaxBars);
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
  auto old = MakeSeries(C("1302"), 100);
  old->code = 1302;  // an old numeric code
  auto bytes = SeriesImage(*old, 50);
  bytes.insert(bytes.end(), 10, 0x77);  // a torn 51st bar
  WriteWholeFile(DayPath("1301"), bytes);
  loaded = Load("1301");
  EXPECT_EQ(loaded->code, C("1301"));
  ASSERT_EQ(loaded->count, 50);
  EXPECT_EQ(std::memcmp(loaded->bars, old->bars, 50 * sizeof(PriceBar)), 0);
  auto raw = MakeSeries(C("9999"), 200);
  EXPECT_EQ(LoadDailyFileRaw("DAY\\1301", raw.get(), sizeof(BarSeries)), 0);
  EXPECT_EQ(Row(raw->code, raw->count), Row(C("1302"), 50));
}

TEST_F(DailyFilesTest, ReusedCodeKeepsOnlyBarsFromItsCutOffDay) {
  // 2004-07-01 .. 2004-09-30, every calendar day.
  for (const char* code : {"8198", "8197"}) WriteWholeFile(DayPath(code), Image(code, 92, D(2004, 7, 1)));
  auto cut = Load("8198");
  ASSERT_EQ(cut->count, 92 - 28);
  EXPECT_EQ(cut->bars[0].date, D(2004, 7, 29));
  EXPECT_EQ(Load("8197")->count, 92);
  WriteWholeFile(DayPath("8303"), Image("8303", 10, D(2004, 1, 1)));
  EXPECT_EQ(Load("8303")->count, 0);
  // Read raw, the same file keeps its early bars and its zero prices.
  auto raw = MakeSeries(C("8198"), 92, D(2004, 7, 1));
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
  // The stock, the error, opens per read, the reads made, the time slept and the text shown.
  const std::tuple<const char*, int, int, int, uint64_t, std::string> cases[] = {
      {"1301", kErrorFileNotFound, 1, 1, 0, ""},
      {"1302", kErrorFileNotFound, 1, 1, 0, ""},
      {"1302", kErrorSharingViolation, 3, 3, 2 * kDailyReadRetryWaitMs, "使用中です。"},
      {"1301", kErrorSharingViolation, 3, 1, 0, ""}};
  for (const auto& [code, error, opensPerRead, reads, slept, shown] : cases) {
    FailOpens(30, error);
    EXPECT_EQ(Load(code)->count, 0);
    std::string texts;
    for (const auto& box : TakeRecordedMessageBoxes()) texts += box.text;
    EXPECT_EQ(Row(ReadsMade(30, opensPerRead), TakeSleptMilliseconds()), Row(reads, slept)) << code;
    EXPECT_EQ(texts, shown) << code;
  }
  SetFileFaults(FileFaults{});  // a backup lacking the file changes nothing
  MakeBackup("20240101_120000", nullptr, {});
  std::remove(DayPath("1302").c_str());
  auto loaded = Load("1302");
  EXPECT_EQ(Row(loaded->count, loaded->code, TakeSleptMilliseconds(), TakeRecordedMessageBoxes().size()),
            Row(0, C("1302"), 0, 0));
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
  EXPECT_FALSE(FindBackupDailyFile(C("1301"), path, sizeof path));
  EXPECT_STREQ(path, "unchanged");
}

TEST_F(DailyFilesTest, RefusedOrFailedWriteKeepsTheFileAndIsShown) {
  const auto before = Image("1301", 3);
  WriteWholeFile(DayPath("1301"), before);
  EXPECT_EQ(SaveDailyFile(C("1301"), MakeSeries(C("1302"), 5).get()), kErrorInvalidParameter);
  auto tooLong = MakeSeries(C("1301"), 5);
  tooLong->count = kMaxBars + 1;
  EXPECT_EQ(SaveDailyFile(C("1301"), tooLong.get()), kErrorInvalidParameter);
  FailReplaces(1000);  // as a read-only file would
  EXPECT_EQ(SaveDailyFile(C("1301"), MakeSeries(C("1301"), 8).get()), kErrorAccessDenied);
  EXPECT_EQ(ReadWholeFile(DayPath("1301")), before);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 3u);
  EXPECT_FALSE(FileExists("TMPDAY/1301"));
}

// The daily writes make their temporary files in a folder of their own, so
// that what a killed write leaves is never taken for a stock's bars, nor put
// into "DAY\".
TEST_F(DailyFilesTest, ACutWriteLeavesNothingInTheDailyFolderAndItsLeftoverIsNeverRead) {
  AddStock("1301", 3);
  AddStock("1302", 0);
  const auto before = Image("1301", 3);
  WriteWholeFile(DayPath("1301"), before);
  FileFaults faults;
  faults.failReplaces = 4;
  faults.failDeletes = 1;  // the temporary file stays, as after a kill
  SetFileFaults(faults);
  EXPECT_EQ(WriteDailyFile(C("1301"), *MakeSeries(C("1301"), 8)), kErrorAccessDenied);
  EXPECT_EQ(ReadWholeFile("TMPDAY/1301"), Image("1301", 8));
  WriteWholeFile("TMPDAY/1302", Image("1302", 5));
  EXPECT_EQ(SeriesImage(*Load("1301")), before);
  EXPECT_EQ(Row(FileExists("DAY/1301.tmp"), Load("1302")->count), Row(0, 0));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

// Writer w owns the stocks i with i % kWriters == w and appends their next bar;
// everyone reads every stock; one thread flushes in all the ways there are.
// Run under ThreadSanitizer as well (suite name contains "Concurrency").
using DailyCacheConcurrencyTest = DailyCacheTest;

TEST_F(DailyCacheConcurrencyTest, ReadersWritersAndFlushesKeepEverySeriesWhole) {
  constexpr int kStocks = 40, kFirstBars = 50, kWriters = 4;
  AddStocks(kStocks, kFirstBars);
  const auto whole = [](const BarSeries& series, int i) {
    return series.count >= kFirstBars && series.count <= kMaxBars &&
           SeriesImage(series) == SeriesImage(*MakeSeries(CodeOf(i), series.count));
  };
  std::atomic<int> broken{0};
  std::vector<int> appended(kStocks, 0);
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      auto series = std::make_unique<BarSeries>();
      for (int round = 0; round < 80; ++round) {
        const int own = (round * kWriters + w) % kStocks, other = (round * 7 + w * 13) % kStocks;
        GetDailyBars(CodeOf(own), series.get());
        if (!whole(*series, own) || series->count != kFirstBars + appended[own]) ++broken;
        series->bars[series->count] = BarAt(D(2020, 1, 6), series->count);
        ++series->count;
        UpdateDailyBars(CodeOf(own), *series);
        ++appended[own];
        GetDailyBars(CodeOf(other), series.get());
        if (!whole(*series, other)) ++broken;
      }
    });
  }
  threads.emplace_back([&] {
    for (int round = 0; round < 150; ++round) {
      FlushNextDirtyDailyCacheEntry();
      FlushDailyCacheEntry(CodeOf(round % kStocks));
      if (CountDirtyDailyCacheEntries() > kStocks) ++broken;
      if (round % 25 == 0) FlushDailyCache();
      if (round % 40 == 0) FlushAndFreeDailyCache();
      IsDailyCacheSlotFilled(round % kStocks);
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(broken.load(), 0);
  FlushDailyCache();
  EXPECT_EQ(CountDirtyDailyCacheEntries(), 0);
  for (int i = 0; i < kStocks; ++i)
    EXPECT_EQ(ReadWholeFile(PathOf(i)), SeriesImage(*MakeSeries(CodeOf(i), kFirstBars + appended[i]))) << i;
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

}  // namespace
