#include "data/daily_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/data_hooks.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "data/backup_paths.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "data/bar_repair.h"

namespace {

constexpr uint32_t kHeaderBytes = 8;
constexpr int kDailyPathSize = 32;

// Codes that were given to a new company: the old company's bars are dropped.
struct CodeCutOff {
  const char* code;
  PackedDate firstKeptDate;
};

constexpr CodeCutOff kCodeCutOffs[] = {
    {"8303", MakePackedDate(2004, 2, 19)},  {"8198", MakePackedDate(2004, 7, 29)},
    {"6648", MakePackedDate(2004, 11, 24)}, {"8187", MakePackedDate(2005, 9, 20)},
    {"8304", MakePackedDate(2006, 10, 31)},
};

bool IsMissingFileError(int error) { return error == kErrorFileNotFound || error == kErrorPathNotFound; }

// Errors that reading again cannot cure.
bool IsLastingReadError(int error) { return IsMissingFileError(error) || error == kFileTooLarge; }

int HeldBars(uint32_t bytes) {
  return bytes < kHeaderBytes ? 0 : static_cast<int>((bytes - kHeaderBytes) / sizeof(PriceBar));
}

// Reads a daily file whole into the series and converts an old numeric code.
// `bytes` tells how much of the series came from the file.
int ReadSeriesFile(const char* path, BarSeries* series, uint32_t sizeLimit, uint32_t* bytes) {
  const uint32_t limit = std::min<uint32_t>(sizeLimit, sizeof(BarSeries));
  const int error = LoadFileToBufferEx(path, series, limit, bytes);
  if (error == 0 && *bytes >= sizeof(StockCode) && CodeLess(series->code, gMinStockCode)) {
    series->code = NumberToCode(static_cast<int>(series->code));
  }
  return error;
}

bool StockHasDailyBars(StockCode code) {
  const int index = FindStockIndexByCode(code);
  return index >= 0 && gStockTable->records[index].dailyCount >= 1;
}

// One read of the stock's file or its backup copy. A stock that has bars
// needs at least the header; its count is kept for the clamps that follow.
int ReadDailyFileOnce(const char* path, BarSeries* series, bool hasBars, uint32_t* bytes) {
  const int error = ReadSeriesFile(path, series, sizeof(BarSeries), bytes);
  if (error != 0) return error;
  if (*bytes < kHeaderBytes) {
    if (hasBars) return kErrorHandleEof;
    series->count = 0;
  }
  return 0;
}

// Reads the file, waiting between attempts only while waiting can help, and
// falls back to the newest backup for a stock that has bars.
int ReadDailyFileWithRetries(StockCode code, bool hasBars, int attempts, BarSeries* series, uint32_t* bytes) {
  char path[kDailyPathSize];
  GetDailyFilePath(code, path, sizeof path);
  int error = 0;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    error = ReadDailyFileOnce(path, series, hasBars, bytes);
    if (error == 0 || !hasBars || IsLastingReadError(error) || attempt == attempts) break;
    PlatformSleep(kDailyReadRetryWaitMs);
  }
  if (error == 0 || !hasBars) return error;
  char backupPath[kBackupPathSize];
  if (FindBackupDailyFile(code, backupPath, sizeof backupPath)) {
    error = ReadDailyFileOnce(backupPath, series, hasBars, bytes);
  }
  return error;
}

void ApplyCodeCutOff(BarSeries* series) {
  for (const CodeCutOff& cut : kCodeCutOffs) {
    if (series->code != StringToCode(cut.code)) continue;
    if (series->count < 1 || series->bars[0].date >= cut.firstKeptDate) return;
    int last = 0;  // the last bar dated before the cut-off day
    while (last + 1 < series->count && series->bars[last + 1].date < cut.firstKeptDate) ++last;
    const int kept = series->count - 1 - last;
    std::memmove(series->bars, series->bars + last + 1, sizeof(PriceBar) * static_cast<size_t>(kept));
    series->count = kept;
    return;
  }
}

}  // namespace

void GetDailyFilePath(StockCode code, char* path, int size) {
  char text[5];
  std::snprintf(path, static_cast<size_t>(size), "%s\\%s", kDailyFolder, CodeToString(code, text));
}

namespace {

int LoadDailyFileWithAttempts(StockCode code, int attempts, BarSeries* series) {
  MakeDataFolderCurrent();
  series->code = code;
  series->count = 0;
  const bool hasBars = StockHasDailyBars(code);
  uint32_t bytes = 0;
  const int error = ReadDailyFileWithRetries(code, hasBars, attempts, series, &bytes);
  if (error != 0) {
    series->code = code;
    series->count = 0;
    return hasBars && !IsMissingFileError(error) ? error : 0;
  }
  // Only bars the file holds count, never what the buffer held before.
  if (series->count < 0 || series->count > kMaxBars) series->count = 0;
  series->count = std::min(series->count, HeldBars(bytes));
  RaisePricesToOne(series);
  series->code = code;
  ApplyCodeCutOff(series);
  return 0;
}

}  // namespace

int LoadDailyFileQuiet(StockCode code, BarSeries* series) {
  return LoadDailyFileWithAttempts(code, kDailyReadAttempts, series);
}

int LoadDailyFileWithoutWaiting(StockCode code, BarSeries* series) {
  return LoadDailyFileWithAttempts(code, 1, series);
}

void ReportDailyFileError(int error) {
  if (error != 0) ReportDataError(error);
}

void LoadDailyFile(StockCode code, BarSeries* series) { ReportDailyFileError(LoadDailyFileQuiet(code, series)); }

int LoadDailyFileRaw(const char* path, BarSeries* series, uint32_t sizeLimit) {
  uint32_t bytes = 0;
  const int error = ReadSeriesFile(path, series, sizeLimit, &bytes);
  series->count = error != 0 ? 0 : std::clamp(series->count, 0, HeldBars(bytes));
  return error;
}

int WriteDailyFile(StockCode code, const BarSeries& series) {
  if (series.code != code || series.count < 0 || series.count > kMaxBars) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  char path[kDailyPathSize];
  GetDailyFilePath(code, path, sizeof path);
  return SaveBufferToFileThrough(path, kDailyWriteFolder, &series, SeriesFileBytes(series.count));
}

void ClearDailyWriteLeftovers() {
  PlatformCreateFolder(kDailyWriteFolder);
  DeleteDirectoryTree(kDailyWriteFolder, 0);
}

void FormatDailyWriteFailure(const DailyWriteFailure& failure, char* out, int size) {
  char path[kDailyPathSize];
  GetDailyFilePath(failure.code, path, sizeof path);
  char reason[512];
  FormatErrorText(failure.error, reason, sizeof reason);
  std::snprintf(out, static_cast<size_t>(size), "日足ファイル(%s)を書き込めませんでした。\n%s", path, reason);
}

int SaveDailyFile(StockCode code, BarSeries* series) {
  const int error = WriteDailyFile(code, *series);
  if (error != 0) ReportDataError(error);
  return error;
}

int FindLastBarOnOrBefore(const BarSeries& series, PackedDate date) {
  for (int i = std::min(series.count, kMaxBars) - 1; i >= 1; --i) {
    if (series.bars[i].date <= date) return i;
  }
  return 0;
}
