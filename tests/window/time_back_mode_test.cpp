// Time-back mode: entering and leaving keep the live files and tables as they
// were, and the day moves over the trading calendar within its bounds.
#include "window/time_back_mode.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/group_store.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/trading_calendar.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr int kBars = 40;
constexpr int kStocks = 12;
constexpr uint32_t kLiveTime = 12345;
constexpr PackedDate kFirstDay = MakePackedDate(2024, 1, 4);

StockCode CodeOf(int i) { return NumberCode(1300 + i); }
PackedDate DayAt(int i) { return AddCalendarDays(kFirstDay, i); }

std::unique_ptr<BarSeries> Bars(StockCode code, int count) {
  return SeriesOf(code, count, [](int i) { return PriceBar{DayAt(i), 500, 510, 490, 500 + i, 1000}; });
}

void QuietMemory(uint32_t* load, uint64_t* total) { *load = 40, *total = uint64_t{8} << 30; }

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

std::vector<uint8_t> TableImage() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(gStockTable);
  return std::vector<uint8_t>(bytes, bytes + sizeof(StockTable));
}

std::vector<uint8_t> GroupImage() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(gGroupTable);
  return std::vector<uint8_t>(bytes, bytes + sizeof(GroupTable));
}

// The index "1001" (the calendar) and twelve stocks of 40 days each, their
// master, the live tables saved and two of the three breadth files.
class TimeBackModeTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gDailyCacheMemoryStatus = QuietMemory;
    auto master = std::make_unique<StockMasterFile>();
    for (int i = -1; i < kStocks; ++i) {
      const StockCode code = i < 0 ? NumberCode(1001) : CodeOf(i);
      StockRecord& record = AddStock(code, kBars);
      record.master.marketId = 1;
      record.lastDate = DayAt(kBars - 1);
      record.liveTime = kLiveTime;
      master->records[master->count++] = record.master;
      WriteWholeFile(DayPath(code), SeriesImage(*Bars(code, kBars)));
    }
    const auto* masterBytes = reinterpret_cast<const uint8_t*>(master.get());
    WriteWholeFile("BASEDATA/stockinf.dat", std::vector<uint8_t>(masterBytes, masterBytes + sizeof(StockMasterFile)));
    ASSERT_TRUE(LoadGroupsAtStartup());
    ASSERT_EQ(SaveStockTable(1), 0);  // with the group bits of the groups just made
    WriteWholeFile("adr_d.dat", Pattern(20484, 1));
    WriteWholeFile("adr_m.dat", Pattern(20484, 3));
    gRecomputeNeeded = 0;
    gGroupsDirty = 0;
    TakeRecordedMessageBoxes();
    TakeRecordedProgressCalls();
  }
  void TearDown() override {
    FreeBlock(gTradingCalendar);
    gTradingCalendar = nullptr;
    PriceStoreTest::TearDown();
  }
  static std::vector<uint32_t> LiveTimes() {
    std::vector<uint32_t> times;
    for (int i = 0; i < gStockTable->count; ++i) times.push_back(gStockTable->records[i].liveTime);
    return times;
  }
  static bool AllLastDatesAre(PackedDate date) {
    return std::all_of(gStockTable->records, gStockTable->records + gStockTable->count,
                       [date](const StockRecord& r) { return r.lastDate == date; });
  }
  static void DirtyCacheEntries(int count) {
    for (int i = 0; i < count; ++i) {
      auto series = Bars(CodeOf(i), 1);
      GetDailyBars(CodeOf(i), series.get());
      series->bars[series->count] = {AddCalendarDays(series->bars[series->count - 1].date, 1), 1, 1, 1, 1, 1};
      ++series->count;
      UpdateDailyBars(CodeOf(i), *series);
    }
  }
};

// What the mode writes goes to its own files; leaving reads the live ones
// back, restores the flags and puts back the breadth files a recomputation
// in the mode rewrote (a missing one is missing again).
TEST_F(TimeBackModeTest, EnteringSteppingAndLeavingLeaveTheLiveFilesAndTablesAsBefore) {
  gRecomputeNeeded = 1;
  const auto groups = GroupImage();
  const auto groupFile = ReadWholeFile("grp.dat");
  const auto adrDaily = ReadWholeFile("adr_d.dat");
  const auto adrMonthly = ReadWholeFile("adr_m.dat");

  gStockTable->records[3].lastDate = 0;  // a stock whose last date the live table does not know
  ASSERT_EQ(SaveStockTable(1), 0);
  const auto table = TableImage();
  const auto stockFile = ReadWholeFile("stock.dat");
  ASSERT_TRUE(EnterTimeBackMode());
  EXPECT_EQ(Row(gTimeBackMode, gTimeBackDayIndex, gSavedRecomputeNeeded, gTimeBackComputedDate),
            Row(1, kBars - 1, 1, 0));
  EXPECT_EQ(LiveTimes(), std::vector<uint32_t>(kStocks + 1, kLiveTimeFinished));
  EXPECT_TRUE(AllLastDatesAre(DayAt(kBars - 1))) << "the captions show the chosen day";
  EXPECT_TRUE(MoveTimeBackDay(30));
  EXPECT_TRUE(AllLastDatesAre(DayAt(30)));
  // What a recomputation and an exit in the mode write.
  WriteWholeFile("adr_d.dat", Pattern(20484, 9));
  WriteWholeFile("adr_w.dat", Pattern(20484, 8));
  gGroupTable->groups[0].name[0] = 'X';
  ASSERT_EQ(SaveStockTable(0), 0);
  ASSERT_EQ(SaveGroupFile(0), 0);
  EXPECT_TRUE(FileExists("stocktb.dat") && FileExists("grptb.dat"));

  ASSERT_TRUE(LeaveTimeBackMode(false));
  EXPECT_EQ(Row(gTimeBackMode, gRecomputeNeeded, gGroupsDirty), Row(0, 1, 0));
  EXPECT_TRUE(TableImage() == table);
  EXPECT_TRUE(GroupImage() == groups);
  EXPECT_TRUE(ReadWholeFile("stock.dat") == stockFile);
  EXPECT_TRUE(ReadWholeFile("grp.dat") == groupFile);
  EXPECT_TRUE(ReadWholeFile("adr_d.dat") == adrDaily);
  EXPECT_TRUE(ReadWholeFile("adr_m.dat") == adrMonthly);
  for (const char* gone : {"adr_w.dat", "adr_d.dat.live", "adr_w.dat.live", "adr_m.dat.live"})
    EXPECT_FALSE(FileExists(gone)) << gone;
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

// The charts' group boxes are refilled once the live groups are back, so that
// a name edited in the mode is no longer shown.
TEST_F(TimeBackModeTest, LeavingRefillsTheGroupBoxesFromTheLiveGroups) {
  static std::vector<std::string> shown;
  shown.clear();
  gTimeBackHooks.showLiveGroups = [] { shown.push_back(gGroupTable->groups[0].name); };
  const std::string live = gGroupTable->groups[0].name;
  ASSERT_TRUE(EnterTimeBackMode());
  std::strcpy(gGroupTable->groups[0].name, "モード中の名前");
  ASSERT_EQ(SaveGroupFile(0), 0);
  EXPECT_TRUE(shown.empty());
  ASSERT_TRUE(LeaveTimeBackMode(false));
  EXPECT_EQ(shown, std::vector<std::string>{live});
}

// A mode dropped at start-up (its own table unusable) has not been left: the
// live breadth files it kept aside go back before anything reads them.
TEST_F(TimeBackModeTest, AModeDroppedAtStartUpGetsItsLiveBreadthFilesBack) {
  const auto adrDaily = ReadWholeFile("adr_d.dat");
  ASSERT_TRUE(EnterTimeBackMode());
  WriteWholeFile("adr_d.dat", Pattern(20484, 9));
  PutBackBreadthFilesOfADroppedMode();  // still in the mode: the cut file stays
  EXPECT_TRUE(ReadWholeFile("adr_d.dat") == Pattern(20484, 9));
  gTimeBackMode = 0;
  PutBackBreadthFilesOfADroppedMode();
  EXPECT_TRUE(ReadWholeFile("adr_d.dat") == adrDaily);
  EXPECT_FALSE(FileExists("adr_w.dat"));
  EXPECT_FALSE(FileExists("adr_d.dat.live"));
}

// A live table that cannot be saved is no table to come back to.
TEST_F(TimeBackModeTest, EnteringStopsWithOneMessageWhenALiveTableCannotBeSaved) {
  const struct {
    const char* name;
    void (*arrange)();
  } cases[] = {
      {"stock.dat not replaced",
       [] {
         FileFaults faults;
         faults.failReplaces = 100;  // every retry too
         SetFileFaults(faults);
       }},
      {"stock.dat kept unread",
       [] {
         FileFaults faults;
         faults.failReads = 100;
         SetFileFaults(faults);
         ASSERT_TRUE(LoadStockTable());
         SetFileFaults(FileFaults{});
       }},
      {"grp.dat not writable",
       [] {
         std::remove("grp.dat");
         mkdir("grp.dat", 0777);
       }},
  };
  for (const auto& c : cases) {
    c.arrange();
    TakeRecordedMessageBoxes();
    const auto times = LiveTimes();
    EXPECT_FALSE(EnterTimeBackMode()) << c.name;
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.name;
    EXPECT_NE(boxes[0].text.find("タイムバックモードに入りません"), std::string::npos) << c.name;
    EXPECT_EQ(Row(gTimeBackMode, gSavedRecomputeNeeded), Row(0, 0)) << c.name;
    EXPECT_EQ(LiveTimes(), times) << c.name;
    EXPECT_FALSE(FileExists("adr_d.dat.live")) << c.name;
    SetFileFaults(FileFaults{});
    ASSERT_TRUE(LoadStockTable());  // readable again
  }
}

// Up to ten changed series stay in the cache; from eleven on they are written
// under the progress dialog first. Leaving writes them all, whatever abort
// button an earlier dialog left pressed.
TEST_F(TimeBackModeTest, EnteringWritesTheCacheUnderProgressOnlyFromElevenChangedSeriesOn) {
  const struct {
    int dirty, dirtyAfter;
    bool progress;
  } cases[] = {{10, 10, false}, {11, 0, true}};
  for (const auto& c : cases) {
    gProgressAbortRequested = 1;  // pressed under an earlier dialog
    DirtyCacheEntries(c.dirty);
    ASSERT_EQ(CountDirtyDailyCacheEntries(), c.dirty);
    ASSERT_TRUE(EnterTimeBackMode());
    const auto calls = TakeRecordedProgressCalls();
    const bool opened = std::any_of(calls.begin(), calls.end(), [](const auto& call) { return call.call == "open"; });
    EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), opened), Row(c.dirtyAfter, c.progress)) << c.dirty;
    ASSERT_TRUE(LeaveTimeBackMode(false));
    EXPECT_EQ(Row(CountDirtyDailyCacheEntries(), ReadWholeFile(DayPath(CodeOf(0))).size()),
              Row(0, SeriesFileBytes(kBars + 1)))
        << c.dirty;
    WriteWholeFile(DayPath(CodeOf(0)), SeriesImage(*Bars(CodeOf(0), kBars)));
  }
}

// A short or missing live file is read as at start-up: the table rebuilt
// from the master, the groups from their newest backup.
TEST_F(TimeBackModeTest, LeavingReadsShortLiveFilesThroughTheStartUpReaders) {
  const auto codes = TableCodes();
  const auto groups = GroupImage();
  ASSERT_TRUE(EnterTimeBackMode());
  auto stockFile = ReadWholeFile("stock.dat");
  stockFile.pop_back();
  WriteWholeFile("stock.dat", stockFile);
  auto groupFile = ReadWholeFile("grp.dat");
  groupFile.resize(1000);
  WriteWholeFile("grp.dat", groupFile);
  ASSERT_TRUE(LeaveTimeBackMode(false));
  EXPECT_EQ(TableCodes(), codes);
  EXPECT_TRUE(GroupImage() == groups);
  EXPECT_EQ(Row(gTimeBackMode, gRecomputeNeeded, ReadWholeFile("stock.dat").size()), Row(0, 1, sizeof(StockTable)));
}

TEST_F(TimeBackModeTest, TheDayStaysOnTheCalendarAndTheRecomputeFlagFollowsTheComputedDay) {
  const struct {
    int from, to, landed;
    bool moved;
  } steps[] = {
      {0, -1, 0, false},                       // left at the first day
      {30, 30 + kTimeBackPageDays, 39, true},  // a page right stops at the last day
      {39, 38, 38, true},
      {5, -20, 0, true},
  };
  ASSERT_TRUE(EnterTimeBackMode());
  EXPECT_EQ(gTimeBackComputedDate, DayAt(kBars - 1));
  for (const auto& s : steps) {
    MoveTimeBackDay(s.from);
    EXPECT_EQ(MoveTimeBackDay(s.to), s.moved) << s.from << "->" << s.to;
    EXPECT_EQ(Row(gTimeBackDayIndex, AllLastDatesAre(DayAt(s.landed))), Row(s.landed, 1)) << s.to;
  }
  // Back one day and forward again to the day of entry: the indicators are current again.
  MoveTimeBackDay(kBars - 1);
  StepTimeBackDayBackward();
  EXPECT_EQ(gRecomputeNeeded, 1);
  StepTimeBackDayForward();
  EXPECT_EQ(Row(gTimeBackDayIndex, gRecomputeNeeded), Row(kBars - 1, 0));

  // A calendar file whose count says more or less than it holds.
  for (const int stored : {9999, -5}) {
    auto image = SeriesImage(*Bars(NumberCode(1001), kBars));
    std::memcpy(image.data() + 4, &stored, 4);
    WriteWholeFile(DayPath(NumberCode(1001)), image);
    LoadTradingCalendar();
    const int count = TimeBackCalendarCount();
    EXPECT_LE(count, kBars) << stored;
    MoveTimeBackDay(9000);
    EXPECT_LE(CurrentTimeBackDayIndex(), std::max(count - 1, 0)) << stored;
  }

  const struct {
    int index, count, clamped;
  } clamps[] = {{7000, 5000, 4999}, {-1, 5000, 4999}, {4999, 5000, 4999}, {0, 1, 0}, {-5, 0, -5}, {12, 0, 12}};
  for (const auto& c : clamps) EXPECT_EQ(ClampTimeBackDayIndex(c.index, c.count), c.clamped) << c.index;
}

}  // namespace
