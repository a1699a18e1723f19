// Loads arbitrary "adr_d.dat", "adr_w.dat" and "adr_m.dat" files through
// InitMarketBreadth. Whatever they hold, each period's ratios are then within
// their series and the file: a file too large or missing gives none, a count
// is never above the ratios the file holds, and the ratios are the file's.
// They take the dates of the index bars only when as many as those, and a
// stock's series built from them holds them on those dates (10000 where none
// is placed). One input in 32 then completes an all-stock run: the files it
// writes load back as the ratios it computed, and the next run writes the
// same bytes.
//
// Input: one byte choosing how each file is made (two bits each, daily first):
// 0 a file of the index's own ratios with the input's patches (four bytes
// each: a big-endian offset into the three files one after the other, and the
// two bytes written there), 1 the input repeated over the file's size, 2 the
// input as the file's bytes (no file when there are none), 3 no file.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "analysis/market_breadth.h"
#include "common/app_globals.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "fuzz/fuzz_support.h"
#include "records/settings_block.h"

namespace {

constexpr const char* kFileNames[kBreadthPeriods] = {"adr_d.dat", "adr_w.dat", "adr_m.dat"};
constexpr size_t kFileBytes = sizeof(MarketBreadthSeries);
constexpr size_t kPatchBytes = 4;
constexpr int kIndexBars = 400;
constexpr int32_t kEvenRatio = 10000;

enum class Shape { kPatched, kRepeated, kRaw, kMissing };

struct FileImage {
  bool present;
  std::vector<uint8_t> bytes;
};

std::unique_ptr<BarSeries> gIndex[kBreadthPeriods];
std::unique_ptr<BarSeries> gStock[kBreadthPeriods];
std::vector<uint8_t> gSound[kBreadthPeriods];

// A daily series on calendar days from `first`, skipping weekends.
std::unique_ptr<BarSeries> DailySeries(StockCode code, PackedDate first, int count, int32_t start) {
  auto series = std::make_unique<BarSeries>();
  series->code = code;
  PackedDate day = first;
  int32_t close = start;
  for (int i = 0; i < count; ++i) {
    while (GetDayOfWeek(day) == 0 || GetDayOfWeek(day) == 6) day = AddCalendarDays(day, 1);
    close += (i * 7) % 5 - 2;
    series->bars[i] = PriceBar{day, close, close + 3, close - 3, close, 1000};
    day = AddCalendarDays(day, 1);
  }
  series->count = count;
  return series;
}

void BuildPeriods(const BarSeries& daily, std::unique_ptr<BarSeries> (&periods)[kBreadthPeriods]) {
  periods[0] = std::make_unique<BarSeries>(daily);
  periods[1] = std::make_unique<BarSeries>();
  periods[2] = std::make_unique<BarSeries>();
  BuildWeeklyBars(daily, periods[1].get());
  BuildMonthlyBars(daily, periods[2].get());
}

// The index "1001" in the stock table with its daily file, and a stock that
// starts later on the same days.
bool Prepare() {
  EnterScratchDataFolder();
  InitAppTexts();
  if (!AllocateStockTable() || mkdir("DAY", 0777) != 0 || !CreateDailyCache()) return false;
  if (!AllocateKernelScratchSet(&gMainScratch)) return false;
  const auto index = DailySeries(gCanonicalIndexCodes[0], MakePackedDate(2024, 1, 4), kIndexBars, 20000);
  StockRecord& record = gStockTable->records[gStockTable->count++];
  record.master.code = index->code;
  record.master.marketFlags = kBreadthMarketFlag;
  record.dailyCount = index->count;
  ResetStockLookupCache();
  if (WriteDailyFile(index->code, *index) != 0) return false;
  BuildPeriods(*index, gIndex);
  const auto stock = DailySeries(StringToCode("7203"), MakePackedDate(2024, 3, 1), kIndexBars - 50, 3000);
  BuildPeriods(*stock, gStock);
  for (int p = 0; p < kBreadthPeriods; ++p) {
    MarketBreadthSeries ratios{};
    ratios.count = gIndex[p]->count;
    for (int i = 0; i < ratios.count; ++i) ratios.values[i] = 5000 + 37 * i;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&ratios);
    gSound[p].assign(bytes, bytes + sizeof ratios);
  }
  gIndicatorParams[0].slot[kParamAdvanceDecline] = 5;
  return InitMarketBreadth() && gBreadthIndexBars[0]->count == kIndexBars;
}

FileImage ShapeFile(Shape shape, int period, const uint8_t* data, size_t size) {
  FileImage file{true, {}};
  switch (shape) {
    case Shape::kPatched:
      file.bytes = gSound[period];
      for (size_t i = 0; i + kPatchBytes <= size; i += kPatchBytes) {
        const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % (kBreadthPeriods * kFileBytes);
        for (size_t b = 0; b < 2; ++b) {
          if ((at + b) / kFileBytes == static_cast<size_t>(period)) file.bytes[(at + b) % kFileBytes] = data[i + 2 + b];
        }
      }
      break;
    case Shape::kRepeated:
      file.bytes.resize(kFileBytes);
      FillRepeating(file.bytes.data(), file.bytes.size(), data, size);
      break;
    case Shape::kRaw:
      file.present = size > 0;
      file.bytes.assign(data, data + size);
      break;
    case Shape::kMissing: file.present = false; break;
  }
  return file;
}

int32_t ValueAt(const std::vector<uint8_t>& bytes, int i) {
  int32_t value;
  std::memcpy(&value, bytes.data() + 4 + 4 * static_cast<size_t>(i), sizeof value);
  return value;
}

// The ratios of one period against the file they came from, their dates,
// and a stock's series built from them.
void CheckLoadedPeriod(int period, const FileImage& file) {
  const MarketBreadthSeries& ratios = *gBreadthRatios[period];
  const bool read = file.present && file.bytes.size() <= kFileBytes;
  const int stored = read && file.bytes.size() >= 4 ? static_cast<int>((file.bytes.size() - 4) / 4) : 0;
  Check(ratios.count >= 0 && ratios.count <= std::min(stored, kMaxBars));
  for (int i = 0; i < ratios.count; ++i) Check(ratios.values[i] == ValueAt(file.bytes, i));

  const BarSeries& index = *gIndex[period];
  const BreadthDates& dates = *gBreadthRatioDates[period];
  Check(dates.count == (ratios.count == index.count ? ratios.count : 0));
  for (int i = 0; i < dates.count; ++i) Check(dates.dates[i] == index.bars[i].date);
  static IntSeries out;
  BuildStockAdrSeries(period, index, &out);
  Check(out.count == index.count);
  for (int i = 0; i < out.count; ++i) Check(out.values[i] == (dates.count > 0 ? ratios.values[i] : kEvenRatio));
}

bool SameRatios(const MarketBreadthSeries& a, const MarketBreadthSeries& b) {
  return a.count == b.count && std::equal(a.values, a.values + std::clamp(a.count, 0, kMaxBars), b.values);
}

// An all-stock run over the index and the stock, averaged over `n` bars.
void CompleteRun(int n) {
  for (IndicatorParameterSet& set : gIndicatorParams) set.slot[kParamAdvanceDecline] = static_cast<uint16_t>(n);
  ResetMarketBreadthCounters();
  CountAdvancesDeclinesAllPeriods(*gIndex[0], *gIndex[1], *gIndex[2]);
  CountAdvancesDeclinesAllPeriods(*gStock[0], *gStock[1], *gStock[2]);
  Check(FinishMarketBreadth(true));
}

// The files a run writes are the ratios it computed, on the index's dates,
// and a second run of the same stocks writes the same bytes.
void CheckSavedStoreReloads(int n) {
  CompleteRun(n);
  static MarketBreadthSeries computed[kBreadthPeriods];
  std::vector<uint8_t> files[kBreadthPeriods];
  for (int p = 0; p < kBreadthPeriods; ++p) {
    computed[p] = *gBreadthRatios[p];
    files[p] = ReadFile(kFileNames[p]);
    Check(files[p].size() == kFileBytes);
  }
  Check(InitMarketBreadth());
  for (int p = 0; p < kBreadthPeriods; ++p) {
    Check(SameRatios(*gBreadthRatios[p], computed[p]));
    Check(gBreadthRatioDates[p]->count == gIndex[p]->count);
  }
  CompleteRun(n);
  for (int p = 0; p < kBreadthPeriods; ++p) Check(ReadFile(kFileNames[p]) == files[p]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  Check(prepared);
  if (size == 0) return 0;
  FileImage files[kBreadthPeriods];
  for (int p = 0; p < kBreadthPeriods; ++p) {
    files[p] = ShapeFile(static_cast<Shape>(data[0] >> (2 * p) & 3), p, data + 1, size - 1);
    std::error_code ignored;
    std::filesystem::remove(kFileNames[p], ignored);
    if (files[p].present) WriteFile(kFileNames[p], files[p].bytes.data(), files[p].bytes.size());
  }
  Check(InitMarketBreadth());
  for (int p = 0; p < kBreadthPeriods; ++p) CheckLoadedPeriod(p, files[p]);
  if (IsOneInThirtyTwo(data, size)) CheckSavedStoreReloads(1 + data[size - 1] % 30);
  return 0;
}
