#include "data/price_maintenance.h"

#include <cstring>
#include <vector>

#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"

namespace {

constexpr PackedDate kToday = MakePackedDate(2026, 12, 7);

// A series of bars on the given dates, each bar's close its position + 100.
std::unique_ptr<BarSeries> OnDates(StockCode code, const std::vector<PackedDate>& dates) {
  return SeriesOf(code, static_cast<int>(dates.size()), [&](int i) {
    return PriceBar{dates[static_cast<size_t>(i)], 100 + i, 100 + i, 100 + i, 100 + i, 1000};
  });
}

std::vector<PackedDate> DatesOf(const BarSeries& series) {
  std::vector<PackedDate> dates;
  for (int i = 0; i < series.count; ++i) dates.push_back(series.bars[i].date);
  return dates;
}

constexpr PackedDate D(int month, int day, int year = 2026) { return MakePackedDate(year, month, day); }

TEST(PriceMaintenanceSeries, TrimRemoveAndGapCases) {
  const StockCode code = NumberCode(1301);
  struct Case {
    const char* what;
    std::vector<PackedDate> dates;
    int trimmed;  // by TrimFutureBars (kToday)
    int removed;  // by RemoveBarsOfDate (D(12, 3))
    int gap;      // FindFirstLongGap
  };
  const Case cases[] = {
      {"all in the future", {D(12, 8), D(12, 9)}, 2, 0, -1},
      {"today kept", {D(12, 3), D(12, 7), D(12, 8)}, 1, 1, -1},
      {"no bars", {}, 0, 0, -1},
      {"date twice", {D(12, 1), D(12, 3), D(12, 3), D(12, 4)}, 0, 2, -1},
      {"31 days is none, 34 days one", {D(10, 1), D(11, 1), D(12, 5)}, 0, 0, 2},
      {"gaps of 40 and 50 days: the first", {D(6, 1), D(7, 11), D(8, 30)}, 0, 0, 1},
      {"future bar before a later one stays", {D(12, 9), D(12, 1)}, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto trimmed = OnDates(code, c.dates);
    EXPECT_EQ(TrimFutureBars(*trimmed, kToday), c.trimmed);
    EXPECT_EQ(trimmed->count, static_cast<int>(c.dates.size()) - c.trimmed);
    auto removed = OnDates(code, c.dates);
    EXPECT_EQ(RemoveBarsOfDate(*removed, D(12, 3)), c.removed);
    std::vector<PackedDate> kept;
    for (PackedDate date : c.dates)
      if (date != D(12, 3)) kept.push_back(date);
    EXPECT_EQ(DatesOf(*removed), kept);
    EXPECT_EQ(FindFirstLongGap(*OnDates(code, c.dates)), c.gap);
  }
}

TEST(PriceMaintenanceInput, DeleteDateNumbers) {
  const struct {
    uint32_t value;
    PackedDate date;
  } cases[] = {
      {20260811, D(8, 11)},
      {19800101, MakePackedDate(1980, 1, 1)},
      {29991231, MakePackedDate(2999, 12, 31)},
      {19791231, 0},
      {20261301, 0},
      {20260001, 0},
      {20260800, 0},
      {20260832, 0},
      {2026081, 0},
      {30000101, 0},
      {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(DeleteDateFromNumber(c.value), c.date) << c.value;
}

// Only the eight digits the dialog asks for: a sign, a number that would
// wrap, more or fewer digits or anything else around them is no date.
TEST(PriceMaintenanceInput, DeleteDateTexts) {
  const struct {
    const char* text;
    PackedDate date;
  } cases[] = {
      {"20260811", D(8, 11)},
      {" 20260811\t", D(8, 11)},
      {"29991231", MakePackedDate(2999, 12, 31)},
      {"19791231", 0},
      {"-4274706092", 0},
      {"4315228500", 0},  // 20261204 once wrapped at 32 bits
      {"020260811", 0},
      {"2026081", 0},
      {"+20260811", 0},
      {"2026 0811", 0},
      {"2026/8/11", 0},
      {"20260811x", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(DeleteDateFromText(c.text), c.date) << c.text;
}

TEST(PriceMaintenanceInput, BackupLabels) {
  const struct {
    const char* name;
    const char* label;
  } cases[] = {
      {"20261207_101530", "2026/12/07  10:15:30"},
      {"20261207_101530x", "2026/12/07  10:15:30"},
      {"20261207_1015", "20261207_1015"},
      {"", ""},
  };
  for (const auto& c : cases) {
    char label[kBackupLabelSize];
    FormatBackupLabel(c.name, label, sizeof label);
    EXPECT_STREQ(label, c.label);
  }
}

TEST(PriceMaintenanceInput, MasterImages) {
  const struct {
    uint64_t size;
    int32_t count;
    bool taken;
    int32_t countAfter;
  } cases[] = {
      {780004, 5000, true, 5000}, {780004, 6000, true, 5000}, {624004, 5000, true, 4000}, {624004, 12, true, 12},
      {624004, -3, true, 0},      {780005, 10, false, 0},     {624003, 10, false, 0},     {4, 0, false, 0},
  };
  auto image = std::make_unique<StockMasterFile>();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::vector<uint8_t> file(static_cast<size_t>(c.size), 0x41);
    std::memcpy(file.data(), &c.count, sizeof c.count);
    std::memset(image.get(), 0x55, sizeof(StockMasterFile));
    ASSERT_EQ(CopyStockMasterImage(file.data(), c.size, image.get()), c.taken);
    if (!c.taken) continue;
    EXPECT_EQ(image->count, c.countAfter);
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.get());
    EXPECT_EQ(bytes[c.size - 1], 0x41);
    if (c.size < sizeof(StockMasterFile)) {
      EXPECT_EQ(bytes[c.size], 0);
    }
    EXPECT_EQ(bytes[sizeof(StockMasterFile) - 1], c.size < sizeof(StockMasterFile) ? 0 : 0x41);
  }
}

class PriceMaintenanceWalk : public PriceStoreTest {
 protected:
  // A stock with its daily file and its record as the file says.
  void AddStockWithBars(int number, const std::vector<PackedDate>& dates) {
    auto series = OnDates(NumberCode(number), dates);
    StockRecord& record = AddStock(series->code, series->count);
    ApplySeriesToRecord(record, *series, kToday, false);
    ASSERT_EQ(WriteDailyFile(series->code, *series), 0);
  }
  std::vector<uint8_t> FileOf(int number) { return ReadWholeFile(DayPath(NumberCode(number))); }
  std::vector<uint8_t> ImageOf(int number, const std::vector<PackedDate>& dates) {
    return SeriesImage(*OnDates(NumberCode(number), dates));
  }
  // The file of the stock's series as written, without the bars of `date`.
  std::vector<uint8_t> ImageWithout(int number, const std::vector<PackedDate>& dates, PackedDate date) {
    auto series = OnDates(NumberCode(number), dates);
    int kept = 0;
    for (int i = 0; i < series->count; ++i)
      if (series->bars[i].date != date) series->bars[kept++] = series->bars[i];
    series->count = kept;
    return SeriesImage(*series);
  }
  const StockRecord& RecordOf(int number) { return gStockTable->records[FindStockIndexByCode(NumberCode(number))]; }
};

TEST_F(PriceMaintenanceWalk, FutureBarsLeaveTheirFilesAndRecords) {
  AddStockWithBars(1301, {D(12, 8), D(12, 9)});
  AddStockWithBars(1302, {D(12, 4), D(12, 7), D(12, 10)});
  AddStockWithBars(1303, {D(12, 3), D(12, 4)});
  const std::vector<uint8_t> untouched = FileOf(1303);
  EXPECT_EQ(RemoveFutureBarsFromAllStocks(kToday), 2);

  EXPECT_EQ(FileOf(1301), ImageOf(1301, {}));
  const StockRecord& emptied = RecordOf(1301);
  EXPECT_EQ(emptied.dailyCount, 0);
  EXPECT_EQ(emptied.lastDate, 0u);
  EXPECT_EQ(emptied.liveTime, 0u);
  EXPECT_EQ(emptied.lastBar.close, 0);
  EXPECT_EQ(emptied.lastBar.date, 0u);

  EXPECT_EQ(FileOf(1302), ImageOf(1302, {D(12, 4), D(12, 7)}));
  const StockRecord& trimmed = RecordOf(1302);
  EXPECT_EQ(trimmed.dailyCount, 2);
  EXPECT_EQ(trimmed.lastDate, D(12, 7));
  EXPECT_EQ(trimmed.liveTime, 0u);  // today's bar may still change
  EXPECT_EQ(trimmed.lastBar.close, 101);
  EXPECT_EQ(FileOf(1303), untouched);
  EXPECT_EQ(gRecomputeNeeded, 1);
  EXPECT_EQ(RemoveFutureBarsFromAllStocks(kToday), 0);
}

TEST_F(PriceMaintenanceWalk, DeletingADateTakesExactlyThatDateAndFillsNoCacheSlot) {
  AddStockWithBars(1301, {D(12, 1), D(12, 2), D(12, 3)});
  AddStockWithBars(1302, {D(12, 2), D(12, 4)});
  AddStockWithBars(1303, {D(12, 1), D(12, 3)});
  AddStockWithBars(1304, {D(11, 28), D(12, 1), D(12, 2)});
  int stocks = 0;
  EXPECT_EQ(DeleteBarsOfDateFromAllStocks(D(12, 2), kToday, &stocks), 3);
  EXPECT_EQ(stocks, 3);
  EXPECT_EQ(FileOf(1301), ImageWithout(1301, {D(12, 1), D(12, 2), D(12, 3)}, D(12, 2)));
  EXPECT_EQ(FileOf(1302), ImageWithout(1302, {D(12, 2), D(12, 4)}, D(12, 2)));
  EXPECT_EQ(FileOf(1303), ImageOf(1303, {D(12, 1), D(12, 3)}));
  EXPECT_EQ(RecordOf(1301).lastDate, D(12, 3));
  EXPECT_EQ(RecordOf(1302).dailyCount, 1);
  EXPECT_EQ(RecordOf(1304).lastDate, D(12, 1));
  EXPECT_EQ(RecordOf(1304).liveTime, kLiveTimeFinished);
  EXPECT_EQ(RecordOf(1304).lastBar.close, 101);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(IsDailyCacheSlotFilled(i));

  gRecomputeNeeded = 0;
  EXPECT_EQ(DeleteBarsOfDateFromAllStocks(D(12, 2), kToday, &stocks), 0);
  EXPECT_EQ(stocks, 0);
  EXPECT_EQ(gRecomputeNeeded, 0);
}

TEST_F(PriceMaintenanceWalk, ACachedSeriesIsChangedInItsSlot) {
  AddStockWithBars(1301, {D(12, 1), D(12, 2), D(12, 3)});
  AddStockWithBars(1302, {D(12, 2), D(12, 3)});
  auto shown = std::make_unique<BarSeries>();
  GetDailyBars(NumberCode(1301), shown.get());
  ASSERT_TRUE(IsDailyCacheSlotFilled(0));
  int stocks = 0;
  EXPECT_EQ(DeleteBarsOfDateFromAllStocks(D(12, 3), kToday, &stocks), 2);
  GetDailyBars(NumberCode(1301), shown.get());
  EXPECT_EQ(DatesOf(*shown), (std::vector<PackedDate>{D(12, 1), D(12, 2)}));
  FlushDailyCache();
  EXPECT_EQ(FileOf(1301), ImageOf(1301, {D(12, 1), D(12, 2)}));
}

TEST_F(PriceMaintenanceWalk, EachStockWithLongGapsIsReportedOnce) {
  AddStockWithBars(1301, {D(6, 1), D(7, 11), D(8, 30), D(9, 1)});
  AddStockWithBars(1302, {D(6, 1), D(7, 1), D(7, 31)});
  AddStockWithBars(1303, {D(1, 5), D(3, 5)});
  std::vector<int> reported;
  const int found = FindStocksWithLongGaps(
      [](int index, void* context) { static_cast<std::vector<int>*>(context)->push_back(index); }, &reported);
  EXPECT_EQ(found, 2);
  EXPECT_EQ(reported, (std::vector<int>{0, 2}));
}

}  // namespace
