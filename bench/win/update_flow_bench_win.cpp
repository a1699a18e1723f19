// The daily price update in the Windows build, to be run under Wine: a
// generated database of 5000 stocks (4996 and the four indices) on disc with
// its signals, groups and trend lines, one daily archive of 5000 rows in
// "TMPDOWN\", and the update command's whole chain (lists, download
// stand-in, import, write-back, recomputation, breadth, groups, monitoring)
// with the closing dialog replaced by nothing, for two days in turn. Then
// the next day's archive taken through the import's steps one at a time, to
// show where the time goes, and the daily-file writes alone: the cost per
// file of the program's write, and the same crash-safe sequence step by step
// with its temporary file beside the target in "DAY\" and in a folder of its
// own. The database is deleted at the end.
//
//   velqo_update_bench.exe [--bars N]   (default: the merge cap, twenty years)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "analysis/group_lists.h"
#include "analysis/line_monitoring.h"
#include "analysis/market_breadth.h"
#include "analysis/recompute_pool.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/merge_bars.h"
#include "data/price_archives.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"
#include "records/settings_block.h"
#include "shell/price_update.h"
#include "tools/sample_db/sample_analysis.h"
#include "tools/sample_db/sample_database.h"
#include "tools/sample_db/sample_trend_lines.h"
#include "zip.h"

namespace {

constexpr int kStocks = kMaxStocks - 4;  // and the four indices
constexpr char kNextDayFolder[] = "BENCHNEXT\\";

// Times one call; the milliseconds are added to `sum`.
template <typename Call>
auto Timed(double* sum, Call call) {
  const double start = NowMs();
  if constexpr (std::is_void_v<decltype(call())>) {
    call();
    *sum += NowMs() - start;
  } else {
    auto result = call();
    *sum += NowMs() - start;
    return result;
  }
}

PackedDate NextTradingDay(PackedDate date) {
  do {
    date = AddCalendarDays(date, 1);
  } while (GetDayOfWeek(date) == 0 || GetDayOfWeek(date) == 6 || IsMarketHoliday(date));
  return date;
}

char* ArchivePath(const char* folder, PackedDate day, char* path) {
  std::snprintf(path, MAX_PATH, "%s%04d%02d%02d.zip", folder, PackedYear(day), PackedMonth(day), PackedDay(day));
  return path;
}

// One vendor text of every stock for `day`, a little above each last close,
// zipped (deflated) as "<folder>YYYYMMDD.zip".
bool WriteDayArchive(PackedDate day, const char* folder) {
  char name[16];
  std::snprintf(name, sizeof name, "%04d%02d%02d", PackedYear(day), PackedMonth(day), PackedDay(day));
  std::string text = "DATE,CODE,MARKET,OPEN,HIGH,LOW,CLOSE,VOLUME\r\n";
  auto series = std::make_unique<BarSeries>();
  for (int i = 0; i < gStockTable->count; ++i) {
    const StockMasterRecord& master = gStockTable->records[i].master;
    GetDailyBarsForUpdate(master.code, series.get());
    const int last = series->count > 0 ? series->bars[series->count - 1].close : 100;
    const int close = last + last / 100 + 1;
    const bool index = master.marketId == kMarketIdIndices;
    char line[128];
    std::snprintf(line, sizeof line, "%s,%s,%s,%d,%d,%d,%d,%s\r\n", name, CodeToString(master.code), index ? "i" : "tp",
                  last, close + close / 50, last - last / 50, close, index ? "1523456789.0" : "45300");
    text += line;
  }
  CreateDirectoryA(folder, nullptr);
  const std::string path = std::string(folder) + name + ".zip";
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  const zip_fileinfo info{};
  const bool written = zip != nullptr &&
                       zipOpenNewFileInZip(zip, (std::string(name) + ".txt").c_str(), &info, nullptr, 0, nullptr, 0,
                                           nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK &&
                       zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) == ZIP_OK &&
                       zipCloseFileInZip(zip) == ZIP_OK;
  return zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && written;
}

// ---- The whole command ------------------------------------------------------

struct CommandParts {
  double lists = 0, download = 0, import = 0, closingDialog = 0;
};
CommandParts gParts;
PriceUpdateServices gReal;

void TimedLists(int* kenListNew, int* stockInfoNew, int mode) {
  Timed(&gParts.lists, [&] { gReal.downloadStockInfoFiles(kenListNew, stockInfoNew, mode); });
}
int TimedDownload(int* fileCount) {
  return Timed(&gParts.download, [&] { return gReal.downloadNewPriceFiles(fileCount); });
}
ImportOutcome TimedImport(int fromDownloadFolder) {
  return Timed(&gParts.import, [&] { return gReal.importDownloadedZips(fromDownloadFolder); });
}
int NoClosingDialog(const UpdateResultLines& lines) {
  std::printf("closing dialog: %s\n", lines.lines[0]);
  return kResultButtonOk;
}

double RunWholeCommand() {
  gReal = gPriceUpdateServices;
  gPriceUpdateServices.downloadStockInfoFiles = TimedLists;
  gPriceUpdateServices.downloadNewPriceFiles = TimedDownload;
  gPriceUpdateServices.importDownloadedZips = TimedImport;
  gPriceUpdateServices.showResultDialog = NoClosingDialog;
  double total = 0;
  Timed(&total, UpdateLatestPrices);
  gPriceUpdateServices = gReal;
  return total;
}

// ---- The import's steps one at a time --------------------------------------

struct ImportSteps {
  double unzip = 0, parse = 0, sweepMerge = 0, preload = 0, windowMerge = 0, recompute = 0, writeBack = 0, breadth = 0,
         groups = 0, monitoring = 0;
  int passes = 0;
};

// Unzips and parses the archive into `list`; false when it gave nothing.
bool ReadArchive(const char* path, ImportBarList* list, ImportSteps* steps) {
  uint32_t size = 0;
  char* text = Timed(&steps->unzip, [&] { return LoadPriceArchiveText(path, nullptr, 0, &size); });
  if (text == nullptr) return false;
  Timed(&steps->parse, [&] { ParseVendorPriceText(text, static_cast<int>(size), list); });
  FreeBlock(text);
  return true;
}

// As the import does it: every stock's file takes the day, then each cache
// window takes it again, is recomputed and written back; then the breadth,
// the groups and the monitoring lines.
bool RunImportSteps(const char* path, ImportSteps* steps) {
  auto list = std::make_unique<ImportBarList>();
  FlushAndFreeDailyCache();
  BeginProgress(nullptr, 1, kStrAppTitle, 2);
  if (!ReadArchive(path, list.get(), steps)) return false;
  Timed(&steps->sweepMerge, [&] { MergeParsedBarsIntoAllStocks(*list); });
  steps->passes = Timed(&steps->preload, PreloadDailyCache);
  InitMarketBreadth();
  for (int pass = 0; pass < steps->passes; ++pass) {
    if (!ReadArchive(path, list.get(), steps)) return false;
    Timed(&steps->windowMerge, [&] { MergeParsedBarsIntoAllStocks(*list); });
    if (pass == 0) ResetMarketBreadthCounters();
    if (Timed(&steps->recompute, [] { return RecomputeAllStocks(kRecomputeCachedOnly); }) !=
        RecomputeOutcome::kCompleted)
      return false;
    Timed(&steps->writeBack, [] { return AdvanceDailyCacheWindow(nullptr); });
  }
  Timed(&steps->breadth, [] { FinishMarketBreadth(true); });
  Timed(&steps->groups, RecomputeGroupMemberships);
  EndProgress();
  Timed(&steps->monitoring, EvaluateAllMonitorLines);
  return true;
}

// ---- The daily-file writes ------------------------------------------------

constexpr int kWriteRounds = 3;
constexpr int kWriteStride = 5;  // every fifth stock's file in a round
constexpr char kOwnTemporaryFolder[] = "BENCHTMP";

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// One round of the program's daily-file write over every fifth stock, the
// series read beforehand; milliseconds per file, or -1 when a write failed.
double TimeDailyWriteRound(int first) {
  auto series = std::make_unique<BarSeries>();
  double spent = 0;
  int files = 0;
  for (int i = first; i < gStockTable->count; i += kWriteStride) {
    const StockCode code = gStockTable->records[i].master.code;
    GetDailyBarsForUpdate(code, series.get());
    if (Timed(&spent, [&] { return WriteDailyFile(code, *series); }) != 0) return -1;
    ++files;
  }
  return files > 0 ? spent / files : 0;
}

// The crash-safe sequence's steps, summed over the files of a round.
struct WriteSteps {
  double create = 0, write = 0, flush = 0, close = 0, replace = 0;
  int files = 0;
};

bool WriteStepByStep(const char* temporary, const char* target, const BarSeries& series, WriteSteps* steps) {
  PlatformFile* file = nullptr;
  if (Timed(&steps->create, [&] { return PlatformOpenFile(temporary, FileOpenMode::kCreateWriteThrough, &file); }) != 0)
    return false;
  uint32_t done = 0;
  const uint32_t bytes = SeriesFileBytes(series.count);
  const bool written = Timed(&steps->write, [&] { return PlatformWriteFile(file, &series, bytes, &done); }) == 0 &&
                       done == bytes && Timed(&steps->flush, [&] { return PlatformFlushFile(file); }) == 0;
  Timed(&steps->close, [&] { PlatformCloseFile(file); });
  ++steps->files;
  return written && Timed(&steps->replace, [&] { return PlatformReplaceFile(temporary, target); }) == 0;
}

// Every fifth stock's file replaced through a temporary file beside it, or
// in a folder of its own on the same volume.
bool TimeWriteSteps(int first, bool ownFolder, WriteSteps* steps) {
  CreateDirectoryA(kOwnTemporaryFolder, nullptr);
  auto series = std::make_unique<BarSeries>();
  for (int i = first; i < gStockTable->count; i += kWriteStride) {
    const StockCode code = gStockTable->records[i].master.code;
    GetDailyBarsForUpdate(code, series.get());
    char target[32];
    GetDailyFilePath(code, target, sizeof target);
    const std::string temporary =
        ownFolder ? std::string(kOwnTemporaryFolder) + "\\" + CodeToString(code) : std::string(target) + ".tmp";
    if (!WriteStepByStep(temporary.c_str(), target, *series, steps)) return false;
  }
  return true;
}

void PrintWriteSteps(const char* where, const WriteSteps& steps) {
  const double n = steps.files > 0 ? steps.files : 1;
  std::printf("  temporary %s: %.2f ms per file: create %.2f, write %.2f, flush %.2f, close %.2f, replace %.2f\n",
              where, (steps.create + steps.write + steps.flush + steps.close + steps.replace) / n, steps.create / n,
              steps.write / n, steps.flush / n, steps.close / n, steps.replace / n);
}

bool RunDailyWrites() {
  FlushAndFreeDailyCache();
  std::vector<double> perFile;
  for (int round = 0; round < kWriteRounds; ++round) {
    const double ms = TimeDailyWriteRound(round % kWriteStride);
    if (ms < 0) return false;
    perFile.push_back(ms);
  }
  std::printf("daily-file write as the update makes it: %.2f ms per file (median of %d rounds of %d files: %.2f",
              Median(perFile), kWriteRounds, gStockTable->count / kWriteStride, perFile[0]);
  for (int round = 1; round < kWriteRounds; ++round) std::printf(", %.2f", perFile[round]);
  std::printf(")\n  the same crash-safe sequence step by step, in a folder of %d files:\n", gStockTable->count);
  WriteSteps beside, own;
  if (!TimeWriteSteps(3, false, &beside) || !TimeWriteSteps(4, true, &own)) return false;
  PrintWriteSteps("beside the target", beside);
  PrintWriteSteps("in a folder of its own", own);
  RemoveDirectoryA(kOwnTemporaryFolder);
  return true;
}

// ---- The database ----------------------------------------------------------

bool MakeDatabase(const std::string& folder, int bars, PackedDate* lastDate) {
  SampleDatabaseOptions options;
  options.folder = folder;
  options.stocks = kStocks;
  options.bars = bars;
  options.seed = 7;
  SampleDatabaseSummary summary{};
  if (MakeSampleDatabase(options, &summary) != 0 || AnalyseSampleDatabase() != 0 || WriteSampleTrendLines() != 0)
    return false;
  *lastDate = summary.lastDate;
  return true;
}

int RunBench(const std::string& folder, int bars) {
  double setup = 0;
  PackedDate lastDate = 0;
  if (!Timed(&setup, [&] { return MakeDatabase(folder, bars, &lastDate); })) {
    std::printf("cannot make the database in %s\n", folder.c_str());
    return 1;
  }
  std::printf("%d stocks of %d bars made, analysed and written in %.0f ms\n", gStockTable->count, bars, setup);
  gLastPriceDate = lastDate;
  // Twice: the first run also meets the disc still writing the new database out.
  PackedDate day = lastDate;
  for (int run = 0; run < 2; ++run) {
    char archive[MAX_PATH];
    if (run > 0) DeleteFileA(ArchivePath("TMPDOWN\\", day, archive));
    day = NextTradingDay(day);
    if (!WriteDayArchive(day, "TMPDOWN\\")) return 1;
    FlushAndFreeDailyCache();
    gParts = CommandParts{};
    const double total = RunWholeCommand();
    std::printf("update command, one day into %d stocks: %.0f ms%s\n", gStockTable->count, total,
                gLastPriceDate == day ? "" : " (THE DAY DID NOT ARRIVE)");
    std::printf("  lists %.0f, download stand-in %.0f, import with recomputation %.0f, the rest %.0f ms\n",
                gParts.lists, gParts.download, gParts.import, total - gParts.lists - gParts.download - gParts.import);
    if (gLastPriceDate != day) return 1;
  }

  day = NextTradingDay(day);
  if (!WriteDayArchive(day, kNextDayFolder)) return 1;
  ImportSteps steps;
  char path[MAX_PATH];
  ArchivePath(kNextDayFolder, day, path);
  double stepsTotal = 0;
  if (!Timed(&stepsTotal, [&] { return RunImportSteps(path, &steps); })) return 1;
  std::printf("the next day's import step by step: %.0f ms, %d cache window pass(es)\n", stepsTotal, steps.passes);
  std::printf("  unzip %.0f, parse %.0f (both twice), merge into the files %.0f, preload %.0f,\n", steps.unzip,
              steps.parse, steps.sweepMerge, steps.preload);
  std::printf(
      "  merge into the cache %.0f, recompute %.0f, write-back %.0f, breadth %.0f, groups %.0f, "
      "monitoring %.0f ms\n",
      steps.windowMerge, steps.recompute, steps.writeBack, steps.breadth, steps.groups, steps.monitoring);
  return RunDailyWrites() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunOnGeneratedDatabase(argc, argv, "velqo-update-bench", kMergeBarCap, RunBench);
}
