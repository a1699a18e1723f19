#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/packed_date.h"
#include "common/stock_code.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "platform/platform.h"
#include "common/app_globals.h"
#include "chart/palette.h"
#include "shell/settings.h"
#include "tools/sample_db/sample_database.h"

namespace {

constexpr const char* kIndexCodes[] = {"1001", "1002", "1003", "1004"};
constexpr const char* kIndexNames[] = {"日経平均", "ＴＯＰＩＸ", "東証グロース指数", "ＪＰＸ日経４００"};

constexpr const char* kNameStems[] = {"アサヒ", "ミナト", "ヤマト",   "ホクト", "サクラ",   "ミドリ",
                                      "ツバサ", "ヒカリ", "カナメ",   "タカネ", "オオゾラ", "ハヤテ",
                                      "イズミ", "ミライ", "シンセイ", "トウワ"};
constexpr const char* kNameKinds[] = {"工業",    "電機", "商事", "建設",   "化学",
                                      "製薬",    "食品", "銀行", "証券",   "不動産",
                                      "物流",    "通信", "精機", "自動車", "ホールディングス",
                                      "システム"};

// The newest `count` trading days up to `end`, oldest first.
std::vector<PackedDate> TradingDays(PackedDate end, int count) {
  std::vector<PackedDate> days;
  for (PackedDate d = RollBackToTradingDay(end); static_cast<int>(days.size()) < count;
       d = RollBackToTradingDay(AddCalendarDays(d, -1)))
    days.push_back(d);
  std::reverse(days.begin(), days.end());
  return days;
}

// Price steps of the Tokyo market.
int TickSize(double price) {
  if (price <= 3000) return 1;
  if (price <= 5000) return 5;
  if (price <= 30000) return 10;
  if (price <= 50000) return 50;
  return 100;
}

int32_t RoundToTick(double price) {
  const int tick = TickSize(price);
  return std::max<int32_t>(tick, static_cast<int32_t>(std::lround(price / tick)) * tick);
}

struct StockPlan {
  StockCode code;
  bool isIndex;
  int firstDay;             // index into the trading days of the first bar
  int gapStart, gapLength;  // a suspension, no bars
  double startPrice;
  double baseVolume;
  int splitDay;  // -1: none
  int32_t splitRatio;
};

void FillBars(const StockPlan& plan, const std::vector<PackedDate>& days, std::mt19937& random, BarSeries* series) {
  std::normal_distribution<double> move(0.0002, plan.isIndex ? 0.011 : 0.021);
  std::normal_distribution<double> noise(0.0, 1.0);
  series->code = plan.code;
  series->count = 0;
  double close = plan.startPrice;
  for (int day = plan.firstDay; day < static_cast<int>(days.size()); ++day) {
    const double change = move(random);
    const double open = close * (1.0 + 0.3 * change + 0.002 * noise(random));
    close = std::max(1.0, close * (1.0 + change));
    const double high = std::max(open, close) * (1.0 + std::abs(0.006 * noise(random)));
    const double low = std::min(open, close) * (1.0 - std::abs(0.006 * noise(random)));
    if (day >= plan.gapStart && day < plan.gapStart + plan.gapLength) continue;
    const double activity = std::exp(0.5 * noise(random)) * (1.0 + 25.0 * std::abs(change));
    PriceBar& bar = series->bars[series->count++];
    bar.date = days[static_cast<size_t>(day)];
    bar.open = RoundToTick(open);
    bar.close = RoundToTick(close);
    bar.high = std::max({RoundToTick(high), bar.open, bar.close});
    bar.low = std::min({RoundToTick(low), bar.open, bar.close});
    const double volume = std::min(2.0e9, plan.baseVolume * activity);
    bar.volume = plan.isIndex ? static_cast<int32_t>(volume) : static_cast<int32_t>(volume / 100) * 100;
  }
}

// Prices before the ex-rights day were traded before the split: scale them up
// so that the split-adjusted series is the random walk again.
void ApplySplit(const StockPlan& plan, const std::vector<PackedDate>& days, BarSeries* series) {
  const double factor = (plan.splitRatio + 100) / 100.0;
  const PackedDate exDate = days[static_cast<size_t>(plan.splitDay)];
  for (int i = 0; i < series->count && series->bars[i].date < exDate; ++i) {
    PriceBar& bar = series->bars[i];
    bar.open = RoundToTick(bar.open * factor);
    bar.high = RoundToTick(bar.high * factor);
    bar.low = RoundToTick(bar.low * factor);
    bar.close = RoundToTick(bar.close * factor);
    bar.volume = static_cast<int32_t>(bar.volume / factor);
  }
}

std::vector<StockCode> PickStockCodes(int count, std::mt19937& random) {
  std::vector<int> numbers;
  for (int n = 1300; n <= 9999; ++n)
    if (n < 1001 || n > 1004) numbers.push_back(n);
  std::shuffle(numbers.begin(), numbers.end(), random);
  numbers.resize(static_cast<size_t>(count));
  std::sort(numbers.begin(), numbers.end());
  std::vector<StockCode> codes;
  for (int n : numbers) codes.push_back(NumberToCode(n));
  return codes;
}

void FillMasterRecord(StockMasterRecord* record, StockCode code, int index, bool isIndex, std::mt19937& random) {
  record->code = code;
  if (isIndex) {
    snprintf(record->name, sizeof record->name, "%s", kIndexNames[index]);
    snprintf(record->reading, sizeof record->reading, "%s", kIndexNames[index]);
    record->marketId = kMarketIdIndices;
    record->tradingUnit = 1;
  } else {
    const char* stem = kNameStems[random() % std::size(kNameStems)];
    const char* kind = kNameKinds[random() % std::size(kNameKinds)];
    snprintf(record->name, sizeof record->name, "%s%s", stem, kind);
    snprintf(record->reading, sizeof record->reading, "%s", stem);
    snprintf(record->shortName, sizeof record->shortName, "%s", stem);
    record->marketId = static_cast<uint16_t>(1 + random() % 3);
    record->tradingUnit = 100;
  }
  record->marketFlags = GetMarketFlagFromId(record->marketId);
  record->sectorCode = static_cast<uint16_t>(isIndex ? 1 : 1 + random() % 33);
}

StockPlan PlanStock(StockCode code, bool isIndex, int dayCount, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  StockPlan plan{code, isIndex, 0, -1, 0, 0, 0, -1, 0};
  plan.startPrice = isIndex ? 8000 + 20000 * unit(random) : std::exp(std::log(80.0) + unit(random) * std::log(100.0));
  plan.baseVolume = isIndex ? 1.2e6 : std::exp(std::log(2.0e3) + unit(random) * std::log(2.0e3));
  if (isIndex) return plan;
  const double r = unit(random);
  if (r < 0.04) plan.firstDay = static_cast<int>(dayCount * (0.3 + 0.65 * unit(random)));  // listed late
  if (unit(random) < 0.02 && dayCount > 200) {                                             // suspended for a while
    plan.gapStart = static_cast<int>(plan.firstDay + (dayCount - plan.firstDay) * unit(random) * 0.8);
    plan.gapLength = 5 + static_cast<int>(random() % 30);
  }
  if (unit(random) < 0.03 && dayCount - plan.firstDay > 100) {  // a split
    plan.splitDay =
        plan.firstDay + 50 + static_cast<int>(random() % static_cast<uint32_t>(dayCount - plan.firstDay - 60));
    plan.splitRatio = (random() % 3 == 0) ? 400 : 100;
  }
  return plan;
}

void RecordLatestValues(int index, const BarSeries& series) {
  StockRecord& record = gStockTable->records[index];
  record.dailyCount = series.count;
  if (series.count == 0) return;
  record.lastBar = series.bars[series.count - 1];
  record.lastDate = record.lastBar.date;
  record.liveTime = kLiveTimeFinished;
}

bool PrepareFolder(const std::string& folder) {
  if (PlatformCreateFolder(folder.c_str()) != 0 || PlatformSetCurrentFolder(folder.c_str()) != 0) return false;
  return PlatformCreateFolder("DAY") == 0 && PlatformCreateFolder("BASEDATA") == 0;
}

}  // namespace

int MakeSampleDatabase(const SampleDatabaseOptions& options, SampleDatabaseSummary* summary) {
  const PackedDate end = options.end != 0 ? options.end : GetLastTradingDate();
  if (!PrepareFolder(options.folder)) return 1;
  char current[kMaxPath];
  PlatformGetCurrentFolder(current, sizeof current);
  snprintf(gDataFolder, sizeof gDataFolder, "%s", current);
  InitAppTexts();
  if (!CreateDailyCache() || !AllocateStockTable()) return 1;

  std::mt19937 random(options.seed);
  const std::vector<PackedDate> days = TradingDays(end, options.bars);
  const std::vector<StockCode> stockCodes = PickStockCodes(options.stocks, random);

  auto master = std::make_unique<StockMasterFile>();
  std::vector<StockPlan> plans;
  for (int i = 0; i < 4; ++i) {
    FillMasterRecord(&master->records[master->count++], StringToCode(kIndexCodes[i]), i, true, random);
    plans.push_back(PlanStock(StringToCode(kIndexCodes[i]), true, options.bars, random));
  }
  for (StockCode code : stockCodes) {
    FillMasterRecord(&master->records[master->count++], code, 0, false, random);
    plans.push_back(PlanStock(code, false, options.bars, random));
  }
  const uint32_t masterBytes = 4 + static_cast<uint32_t>(master->count) * sizeof(StockMasterRecord);
  if (SaveBufferToFile(kStockMasterPath, master.get(), masterBytes) != 0) return 1;
  MergeStockMaster(*master);

  if (gKenTable == nullptr) gKenTable = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  if (gKenTable == nullptr) return 1;
  gKenTable->tag = kKenTag;
  gKenTable->count = 0;
  auto series = std::make_unique<BarSeries>();
  for (const StockPlan& plan : plans) {
    FillBars(plan, days, random, series.get());
    if (plan.splitDay >= 0) {
      ApplySplit(plan, days, series.get());
      gKenTable->records[gKenTable->count++] = {days[static_cast<size_t>(plan.splitDay)], plan.code, plan.splitRatio};
    }
    if (SaveDailyFile(plan.code, series.get()) != 0) return 1;
    RecordLatestValues(FindStockIndexByCode(plan.code), *series);
  }
  if (SaveKenFile() != 0 || SaveStockTable(1) != 0) return 1;

  SetDefaultSettings();
  // A user who picked the standard palette: coloured candles on white, which the picture tests look for.
  LoadBuiltinPalette(0);
  gLastPriceDate = days.back();
  if (SaveSettings() != 0) return 1;
  if (summary != nullptr) {
    summary->tradingDays = static_cast<int>(days.size());
    summary->lastDate = days.back();
    summary->splits = gKenTable->count;
  }
  return 0;
}
