#include "tools/sample_db/series_digest.h"

#include <cstdio>
#include <memory>

#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "platform/platform.h"
#include "shell/app_globals.h"

namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ULL;
constexpr uint64_t kFnvPrime = 1099511628211ULL;

void AddBytes(uint64_t* digest, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) *digest = (*digest ^ bytes[i]) * kFnvPrime;
}

void AddSeries(uint64_t* digest, const BarSeries& series) {
  AddBytes(digest, &series, SeriesFileBytes(series.count));
}

}  // namespace

bool OpenDatabaseFolder(const char* folder) {
  if (PlatformSetCurrentFolder(folder) != 0) return false;
  PlatformGetCurrentFolder(gDataFolder, sizeof gDataFolder);
  InitAppTexts();
  if (!CreateDailyCache() || !AllocateStockTable() || !LoadStockTable()) return false;
  LoadKenFile();
  return true;
}

uint64_t ComputeDatabaseDigest() {
  uint64_t digest = kFnvOffset;
  auto daily = std::make_unique<BarSeries>();
  auto adjusted = std::make_unique<BarSeries>();
  auto period = std::make_unique<BarSeries>();
  for (int i = 0; i < gStockTable->count; ++i) {
    GetDailyBars(gStockTable->records[i].master.code, daily.get());
    AddSeries(&digest, *daily);
    AdjustBarsForSplits(*daily, adjusted.get());
    AddSeries(&digest, *adjusted);
    BuildWeeklyBars(*adjusted, period.get());
    AddSeries(&digest, *period);
    BuildMonthlyBars(*adjusted, period.get());
    AddSeries(&digest, *period);
  }
  return digest;
}
