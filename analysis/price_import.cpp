#include "analysis/price_import.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "analysis/group_lists.h"
#include "analysis/import_report.h"
#include "analysis/line_monitoring.h"
#include "analysis/market_breadth.h"
#include "analysis/recompute_pool.h"
#include "analysis/series_buffers.h"
#include "common/app_globals.h"
#include "common/message_boxes.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/price_archives.h"
#include "records/settings_block.h"

PriceImportHooks gPriceImportHooks = {};

namespace {

constexpr char kDownloadFolder[] = "TMPDOWN\\";
constexpr char kArchiveExtension[] = ".zip";
constexpr char kPickFilter[] = "Zip Files (*.ZIP)\0*.zip\0Text Files (*.TXT)\0*.txt\0All Files (*.*)\0*.*\0";
constexpr int kDiscYears = 20;
constexpr int kStepsPerArchive = 2;  // the parse and the merge
// A progress dialog opened over the main window hides its Cancel button; an
// import can take minutes, so it names no owner and keeps its Cancel (the
// dialog still stays above the main window, which is disabled all the same).
constexpr WindowHandle kProgressOwner = nullptr;

struct ArchiveChoice {
  std::vector<std::string> files;
  bool sweepFirst;  // every stock straight to its file before the window passes
};

bool HasExtension(const char* name, const char* extension) {
  if (extension[0] == 0) return true;
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || std::strlen(dot) != std::strlen(extension)) return false;
  for (size_t i = 0; extension[i] != 0; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(dot[i]) != lower(extension[i])) return false;
  }
  return true;
}

// The folder part of a path, with its separator; the extension after the
// last "." of the name, or empty.
void SplitChosenPath(const char* path, std::string* folder, std::string* extension) {
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  folder->assign(path, static_cast<size_t>(name - path));
  const char* dot = std::strrchr(name, '.');
  extension->assign(dot != nullptr ? dot : "");
}

bool ChooseArchives(int fromDownloadFolder, ArchiveChoice* choice) {
  if (fromDownloadFolder != 0) {
    choice->files = ListArchivesInNameOrder(kDownloadFolder, kArchiveExtension);
    choice->sweepFirst = true;
    return true;
  }
  char title[256] = "";
  char path[kMaxPath] = "";
  PlatformLoadString(kStrChoosePriceFile, title, sizeof title);
  if (!PlatformPromptOpenFile(gMainWnd, title, path, kPickFilter)) return false;
  if (MessageBoxFromStrings(gMainWnd, 0, kStrImportWholeFolder, kMbYesNo | kMbIconQuestion) != kIdYes) {
    choice->files.assign(1, path);
    choice->sweepFirst = false;
    return true;
  }
  std::string folder;
  std::string extension;
  SplitChosenPath(path, &folder, &extension);
  choice->files = ListArchivesInNameOrder(folder.c_str(), extension.c_str());
  choice->sweepFirst = true;
  return true;
}

// The archives of one import and what each of them gave at its first reading.
struct ImportRun {
  ImportReport report;
  bool fromDownloadFolder;
};

ImportRun StartRun(const ArchiveChoice& choice, int fromDownloadFolder) {
  ImportRun run{{{}, {0, 0}}, fromDownloadFolder != 0};
  for (const std::string& file : choice.files) run.report.archives.push_back({file, false, {}, 0, 0});
  return run;
}

// Imports one archive (one refused before is left alone); false when the
// import is to stop.
bool ImportArchive(ArchiveRecord* record, DailyWriteFailure* writeFailure) {
  if (IsRefusedArchive(*record)) return true;
  const PriceZipImport done = ImportPriceZip(record->path.c_str());
  if (!record->read) {
    record->read = true;
    record->result = done.result;
    record->skippedRows = done.skippedRows;
    record->newestReferenceDate = done.newestReferenceDate;
  }
  if (done.result == PriceZipResult::kWriteFailed) *writeFailure = done.writeFailure;
  return done.result != PriceZipResult::kStopped && done.result != PriceZipResult::kWriteFailed;
}

bool ImportEveryArchive(ImportRun* run) {
  for (ArchiveRecord& record : run->report.archives) {
    if (!ImportArchive(&record, &run->report.writeFailure)) return false;
  }
  return true;
}

// Every stock takes the archives straight into its file (the cache is
// emptied first). False when stopped.
bool SweepArchives(ImportRun* run) {
  if (!FlushAndFreeDailyCache()) return false;
  BeginProgress(kProgressOwner, 1, kStrAppTitle, static_cast<int>(run->report.archives.size()) * kStepsPerArchive);
  return ImportEveryArchive(run);
}

ImportOutcome StoppedOutcome() { return gProgressCancelled != 0 ? kImportCancelled : kImportFailed; }

// One pass per window of the daily cache: the window takes the archives
// again, then it is recomputed and written. The breadth counters start once
// the first window holds the new bars, so that the index's new dates are
// counted too.
ImportOutcome RunWindowPasses(ImportRun* run) {
  BeginProgress(kProgressOwner, 1, kStrAppTitle, 2);
  const int passes = PreloadDailyCache();
  const int archives = static_cast<int>(run->report.archives.size());
  BeginProgress(kProgressOwner, 1, kStrAppTitle, (archives + 1) * passes * kStepsPerArchive + 1);
  InitMarketBreadth();
  bool countingStarted = false;
  for (int pass = 0; pass < passes; ++pass) {
    if (!ImportEveryArchive(run)) return StoppedOutcome();
    if (!countingStarted) ResetMarketBreadthCounters();
    countingStarted = true;
    const RecomputeOutcome outcome = RecomputeAllStocks(kRecomputeCachedOnly);
    if (outcome == RecomputeOutcome::kCancelled) return kImportCancelled;
    if (outcome == RecomputeOutcome::kFailed) return kImportFailed;
    if (!AdvanceDailyCacheWindow(&run->report.writeFailure)) return kImportFailed;
  }
  return kImportDone;
}

// The one message of the import about what it refused, skipped or could not
// write; a cancelled import says nothing more.
void ShowImportReport(const ImportRun& run, ImportOutcome outcome) {
  if (outcome == kImportCancelled) return;
  const std::string text = FormatImportReport(run.report, run.fromDownloadFolder);
  if (text.empty()) return;
  const bool failed = outcome == kImportFailed;
  PlatformMessageBox(PlatformIsUsableOwner(gMainWnd) ? gMainWnd : nullptr, text.c_str(), gAppTitle,
                     kMbOk | (failed ? kMbIconExclamation : kMbIconInformation));
}

// The ratios are computed in the main thread's scratch set, which the charts
// allocate; an import without a main window makes its own.
bool HasMainScratch() { return gMainScratch.ints[0] != nullptr || AllocateKernelScratchSet(&gMainScratch); }

void ReloadCharts() {
  MakeDataFolderCurrent();
  if (gPriceImportHooks.reloadCharts != nullptr) gPriceImportHooks.reloadCharts();
}

// The last price date moves only once the bars of that date are stored.
void CommitLastPriceDate(PackedDate newest) {
  if (newest > gLastPriceDate) gLastPriceDate = newest;
}

}  // namespace

std::vector<std::string> ListArchivesInNameOrder(const char* folder, const char* extension) {
  struct Listing {
    std::vector<std::string> names;
    const char* extension;
  } listing{{}, extension};
  PlatformListFolder(
      folder,
      [](void* context, const char* name, bool isFolder) {
        auto* found = static_cast<Listing*>(context);
        if (!isFolder && HasExtension(name, found->extension)) found->names.emplace_back(name);
      },
      &listing);
  std::sort(listing.names.begin(), listing.names.end());
  for (std::string& name : listing.names) name.insert(0, folder);
  return listing.names;
}

ImportOutcome ImportDownloadedZips(int fromDownloadFolder) {
  gProgressCancelled = 0;
  MakeDataFolderCurrent();
  ArchiveChoice choice;
  if (!ChooseArchives(fromDownloadFolder, &choice) || choice.files.empty()) {
    ReloadCharts();
    return kImportNothingNew;
  }
  ImportRun run = StartRun(choice, fromDownloadFolder);
  if (choice.sweepFirst) {
    const bool swept = SweepArchives(&run);
    if (!swept || !AnyArchiveImported(run.report)) {
      // Nothing reached the files, or every archive was refused.
      const ImportOutcome outcome = swept ? kImportFailed : StoppedOutcome();
      EndProgress();
      ReloadCharts();
      ShowImportReport(run, outcome);
      return outcome;
    }
    // Every stock's file holds the new bars now.
    CommitLastPriceDate(CommittablePriceDate(run.report));
  }
  ImportOutcome outcome = RunWindowPasses(&run);
  const bool completed = outcome == kImportDone;
  if (completed) CommitLastPriceDate(CommittablePriceDate(run.report));
  TrimDailyCacheIfMemoryLow();
  FinishMarketBreadth(completed && HasMainScratch());
  if (outcome != kImportCancelled && RecomputeGroupMemberships() && gPriceImportHooks.refreshStockLists != nullptr) {
    gPriceImportHooks.refreshStockLists();
  }
  EndProgress();
  EvaluateAllMonitorLines();
  ReloadCharts();
  // A refused archive leaves its day out: the update is not done.
  if (completed && (HasRefusedArchive(run.report) || !AnyArchiveImported(run.report))) outcome = kImportFailed;
  ShowImportReport(run, outcome);
  return outcome;
}

int ReloadPricesFromDisc() {
  char letter = 0;
  if (!FindPriceDiscDrive(&letter)) return 0;
  int year = 0;
  int month = 0;
  int day = 0;
  GetTodayYmd(&year, &month, &day);
  const int firstYear = year - kDiscYears;
  const int months = kDiscYears * 12 + 1;
  BeginProgress(kProgressOwner, 1, kStrAppTitle, 2);
  const int passes = PreloadDailyCache();
  BeginProgress(kProgressOwner, 1, kStrAppTitle, passes * (months * kStepsPerArchive + 1));
  char format[128] = "";
  PlatformLoadString(kStrReadingDiscMonth, format, sizeof format);
  PackedDate newest = 0;
  DailyWriteFailure failure{0, 0};
  bool stopped = false;
  for (int pass = 0; pass < passes && !stopped; ++pass) {
    if (PackedYear(gLastPriceDate) < firstYear) gLastPriceDate = MakePackedDate(firstYear, 1, 1);
    for (int k = 0; k < months && !stopped; ++k) {
      const int monthNumber = firstYear * 12 + (month - 1) + k;
      const int y = monthNumber / 12;
      const int m = monthNumber % 12 + 1;
      if (m == 1) PlatformPumpMessages();
      char text[160];
      std::snprintf(text, sizeof text, format, y, m);
      SetProgressText2(text);
      const PriceZipImport done = ImportDiscMonthZip(letter, y, m);
      switch (done.result) {
        case PriceZipResult::kImported: newest = std::max(newest, done.newestReferenceDate); break;
        // A month the disc lacks still moves the bar on.
        case PriceZipResult::kUnreadable: StepProgress(); [[fallthrough]];
        case PriceZipResult::kNoValidRow: StepProgress(); break;
        case PriceZipResult::kWriteFailed: failure = done.writeFailure; [[fallthrough]];
        case PriceZipResult::kStopped: stopped = true; break;
      }
      stopped = stopped || gProgressCancelled != 0;
    }
    if (!stopped && !AdvanceDailyCacheWindow(&failure)) stopped = true;
  }
  if (!stopped) CommitLastPriceDate(newest);
  TrimDailyCacheIfMemoryLow();
  EndProgress();
  ReloadCharts();
  if (failure.error != 0) ShowImportReport(ImportRun{{{}, failure}, false}, kImportFailed);
  return 1;
}
