#include "data/daily_cache.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "data/data_hooks.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "data/daily_files.h"
#include "data/trading_calendar.h"
#include "common/app_globals.h"
#include "common/progress.h"

DailyCache* gDailyCache = nullptr;
std::atomic<int> gDailyCacheCount{0};
BarSeries* gScratchSeries = nullptr;
int gPriceUpdateRunning = 0;
MemoryStatusFn gDailyCacheMemoryStatus = PlatformGetMemoryStatus;

namespace {

// Recursive: the progress dialog pumps messages while a flush holds the lock,
// and a message handled then may use the cache again on the same thread.
std::recursive_mutex gCacheLock;
using ReadGuard = std::lock_guard<std::recursive_mutex>;

// The workers of an all-stock run copy cached series without the lock, so
// every operation that changes the cache or its files waits at this gate
// until the last worker has left. Workers never wait for another thread
// while inside, so the wait always ends.
struct WorkerGate {
  std::mutex lock;
  std::condition_variable changed;
  int workers = 0;  // threads inside as workers
  int writers = 0;  // threads past the gate as writers
};
WorkerGate gGate;
thread_local int tWriterDepth = 0;          // a nested call of a writer passes at once
thread_local bool tInsideAsWorker = false;  // a worker thread may change the cache itself

void EnterAsWriter() {
  if (tWriterDepth++ > 0) return;
  std::unique_lock<std::mutex> guard(gGate.lock);
  const int self = tInsideAsWorker ? 1 : 0;
  gGate.changed.wait(guard, [self] { return gGate.workers == self; });
  ++gGate.writers;
}

void LeaveAsWriter() {
  if (--tWriterDepth > 0) return;
  {
    std::lock_guard<std::mutex> guard(gGate.lock);
    --gGate.writers;
  }
  gGate.changed.notify_all();
}

// Every operation that may change a slot, a flag or a daily file.
class CacheGuard {
 public:
  explicit CacheGuard(std::recursive_mutex& lock) : lock_(lock) {
    EnterAsWriter();
    lock_.lock();
  }
  ~CacheGuard() {
    lock_.unlock();
    LeaveAsWriter();
  }
  CacheGuard(const CacheGuard&) = delete;
  CacheGuard& operator=(const CacheGuard&) = delete;

 private:
  std::recursive_mutex& lock_;
};

constexpr uint32_t kClean = 0;
constexpr uint32_t kDirty = 1;
constexpr uint32_t kDirtyIdleWriteFailed = 2;  // the idle writer leaves it until the next flush

// Half of the address space a 32-bit process can still spare.
constexpr uint64_t kAddressSpaceForCache = sizeof(void*) == 4 ? (uint64_t{768} << 20) : UINT64_MAX;

constexpr int kStrWritingToDisk = 299;  // "ハードディスクへ書き込み中..."
constexpr char kPreparingText[] = "データ読み込みの準備中...";
constexpr char kStocksDoneFormat[] = "%d／%d銘柄の処理を完了";
constexpr char kWriteFailedFormat[] = "%d銘柄の日足ファイルを書き込めませんでした(最初は%s)。";
constexpr char kReadFailedFormat[] = "%d銘柄の日足ファイルを読めませんでした。";

// Guarded by gCacheLock.
bool gIdleWriteFailureShown = false;
int gWindowStart = -1;  // the stocks a whole-database job has cached: [start, end)
int gWindowEnd = 0;

struct WriteFailures {
  int count = 0;
  int firstError = 0;
  StockCode firstCode = 0;

  void Add(int error, StockCode code) {
    if (count++ > 0) return;
    firstError = error;
    firstCode = code;
  }
};

int StockCount() { return gStockTable == nullptr ? 0 : std::clamp(gStockTable->count, 0, kMaxStocks); }

StockCode StockCodeAt(int index) { return gStockTable->records[index].master.code; }

BarSeries* SlotAt(int index) { return gDailyCache == nullptr ? nullptr : gDailyCache->slots[index]; }

bool IsSlotDirty(int index) { return SlotAt(index) != nullptr && gDailyCache->dirty[index] != kClean; }

bool MemoryAllowsCopy() {
  uint32_t load = 100;
  uint64_t total = 0;
  gDailyCacheMemoryStatus(&load, &total);
  return load < kCacheMemoryLoadLimit;
}

// Only the bytes in use are copied; a fresh copy is zero beyond them.
void CopySeries(BarSeries* to, const BarSeries& from) {
  const int count = std::clamp(from.count, 0, kMaxBars);
  std::memcpy(to, &from, SeriesFileBytes(count));
  to->count = count;
}

void AttachSlot(int index, BarSeries* copy) {
  gDailyCache->slots[index] = copy;
  gDailyCache->dirty[index] = kClean;
  gDailyCacheCount.fetch_add(1);
}

BarSeries* DetachSlot(int index) {
  BarSeries* copy = gDailyCache->slots[index];
  gDailyCache->slots[index] = nullptr;
  gDailyCache->dirty[index] = kClean;
  gDailyCacheCount.fetch_sub(1);
  return copy;
}

// Frees every copy, or with keepDirty only those whose changes are on disk.
void FreeSlots(bool keepDirty) {
  for (int i = 0; i < kMaxStocks; ++i) {
    if (keepDirty && IsSlotDirty(i)) continue;
    if (gDailyCache->slots[i] != nullptr) FreeBlock(DetachSlot(i));
    gDailyCache->dirty[i] = kClean;
  }
  gWindowStart = -1;
  gWindowEnd = 0;
}

// The stock's bars from its slot, or read from the file and cached while
// memory allows. A failed read is not cached, so that an empty series never
// stands in for the file. Returns the read error to report.
using DailyFileLoader = int (*)(StockCode code, BarSeries* series);

int ServeFromCache(int index, StockCode code, BarSeries* out, DailyFileLoader load = LoadDailyFileQuiet) {
  if (const BarSeries* cached = SlotAt(index)) {
    CopySeries(out, *cached);
    return 0;
  }
  const int error = load(code, out);
  if (error != 0 || gDailyCache == nullptr || !MemoryAllowsCopy()) return error;
  if (auto* copy = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)))) {
    CopySeries(copy, *out);
    AttachSlot(index, copy);
  }
  return 0;
}

void ZeroNegativeVolumes(BarSeries* out) {
  for (int i = 0; i < out->count; ++i) out->bars[i].volume = std::max(out->bars[i].volume, 0);
}

// What the caller sees but the cache keeps as read: no negative volumes, and
// in time-back mode no bars after the chosen day.
void PrepareBarsForUse(BarSeries* out) {
  ZeroNegativeVolumes(out);
  const PackedDate cut = GetTimeBackCutDate();
  if (cut == 0) return;
  const PriceBar* end = std::upper_bound(out->bars, out->bars + out->count, cut,
                                         [](PackedDate date, const PriceBar& bar) { return date < bar.date; });
  out->count = static_cast<int>(end - out->bars);
}

StockCode SlotCode(int index) { return index < StockCount() ? StockCodeAt(index) : gDailyCache->slots[index]->code; }

// Writes a dirty slot; a failed write keeps it dirty. 0 or the error code.
int WriteSlot(int index) {
  const int error = WriteDailyFile(SlotCode(index), *gDailyCache->slots[index]);
  gDailyCache->dirty[index] = error == 0 ? kClean : kDirty;
  return error;
}

int CountDirtySlots() {
  int dirty = 0;
  for (int i = 0; i < kMaxStocks; ++i) dirty += IsSlotDirty(i) ? 1 : 0;
  return dirty;
}

// What failed, then the system's text for the first error, in the error box.
void ShowFileFailures(const char* what, int firstError) {
  char reason[512];
  FormatErrorText(firstError, reason, sizeof reason);
  char text[640];
  std::snprintf(text, sizeof text, "%s\n%s", what, reason);
  ReportDataMessage(text, "エラー", kMbOk | kMbIconStop);
}

void ShowWriteFailures(const WriteFailures& failures) {
  if (failures.count == 0) return;
  char path[32];
  GetDailyFilePath(failures.firstCode, path, sizeof path);
  char what[128];
  std::snprintf(what, sizeof what, kWriteFailedFormat, failures.count, path);
  ShowFileFailures(what, failures.firstError);
}

void BeginWritingStep() {
  char writing[64];
  PlatformLoadString(kStrWritingToDisk, writing, sizeof writing);
  SetProgressText2(writing);
  SetProgressSubRange(CountDirtySlots());
}

// An aborted write leaves the record looking unfinished, so that the next
// update fetches the day again.
void ForgetUnwrittenDay(int index) {
  gDailyCache->dirty[index] = kClean;
  if (index >= StockCount()) return;
  StockRecord& record = gStockTable->records[index];
  record.liveTime = 0;
  record.lastBar.volume = 0;
}

// Under the lock; the caller shows the failures after releasing it.
WriteFailures WriteAllDirtySlots() {
  WriteFailures failures;
  if (gDailyCache == nullptr) return failures;
  BeginWritingStep();
  DisableProgressCancel();
  if (gPriceUpdateRunning != 0) {
    gProgressAbortRequested = 0;
  } else {
    ShowProgressAbortButton();
  }
  for (int i = 0; i < kMaxStocks; ++i) {
    if (!IsSlotDirty(i)) {
      gDailyCache->dirty[i] = kClean;
      continue;
    }
    // Only the shown dialog's abort button counts: one pressed under an
    // earlier dialog must not drop the changes of a flush without one.
    if (gProgressDlg != nullptr && gProgressAbortRequested != 0) {
      ForgetUnwrittenDay(i);
    } else if (const int error = WriteSlot(i)) {
      failures.Add(error, SlotCode(i));
    }
    AdvanceProgress(1);
  }
  HideProgressAbortButton();
  EnableProgressCancel();
  StepProgress();
  gIdleWriteFailureShown = false;
  return failures;
}

int PreloadTarget(int stocks) {
  uint32_t load = 0;
  uint64_t total = 0;
  gDailyCacheMemoryStatus(&load, &total);
  const uint64_t bytes = std::min(total / 2, kAddressSpaceForCache);
  return static_cast<int>(std::min<uint64_t>(bytes / sizeof(BarSeries), static_cast<uint64_t>(stocks)));
}

// Serves stocks from index 0 on while each one is cached; the index of the
// first stock that was not.
int ServeFromStart(int stocks) {
  int index = 0;
  for (; index < stocks; ++index) {
    int error = 0;
    bool cached = false;
    {
      CacheGuard guard(gCacheLock);
      error = ServeFromCache(index, StockCodeAt(index), gScratchSeries);
      cached = SlotAt(index) != nullptr;
    }
    ReportDailyFileError(error);
    AdvanceProgress(1);
    if (!cached) break;
  }
  return index;
}

// Reads a stock into a buffer and puts it in its slot; a failed read hands the
// buffer back. Under the lock.
int FillSlot(int index, BarSeries** buffer) {
  const int error = LoadDailyFileQuiet(StockCodeAt(index), *buffer);
  if (error == 0) {
    AttachSlot(index, *buffer);
    *buffer = nullptr;
  }
  return error;
}

// Fills empty slots from index 0 on until `target` slots are filled or memory
// runs out; the index after the last one tried.
int FillUpToTarget(int stocks, int target) {
  int index = 0;
  for (; index < stocks && gDailyCacheCount.load() < target; ++index) {
    int error = 0;
    {
      CacheGuard guard(gCacheLock);
      if (SlotAt(index) == nullptr) {
        auto* buffer = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
        if (buffer == nullptr) break;
        error = FillSlot(index, &buffer);
        FreeBlock(buffer);
      }
    }
    ReportDailyFileError(error);
    AdvanceProgress(1);
  }
  return index;
}

// The job's current window; without a preload, the run of filled slots that
// starts at the lowest filled one.
void FindWindow(int stocks, int* start, int* end) {
  if (gWindowStart >= 0) {
    *start = gWindowStart;
    *end = std::min(gWindowEnd, stocks);
    return;
  }
  *start = 0;
  while (*start < stocks && SlotAt(*start) == nullptr) ++(*start);
  *end = *start;
  while (*end < stocks && SlotAt(*end) != nullptr) ++(*end);
}

// Writes a slot of the window and moves its buffer on to the stock at
// `target` (-1: none). A slot whose write fails keeps its copy and nothing
// moves on: the job stops there.
int MoveSlotOn(int slot, int target, std::vector<BarSeries*>* spare, WriteFailures* failures) {
  if (IsSlotDirty(slot)) {
    if (const int error = WriteSlot(slot)) {
      failures->Add(error, SlotCode(slot));
      return 0;
    }
  }
  if (target < 0) return 0;
  if (SlotAt(slot) != nullptr && !IsSlotDirty(slot)) spare->push_back(DetachSlot(slot));
  if (target >= StockCount() || SlotAt(target) != nullptr) return 0;
  BarSeries* buffer = nullptr;
  if (!spare->empty()) {
    buffer = spare->back();
    spare->pop_back();
  } else {
    buffer = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
    if (buffer == nullptr) return 0;
  }
  const int error = FillSlot(target, &buffer);
  if (buffer != nullptr) spare->push_back(buffer);
  return error;
}

void ShowStocksDone(int done, int stocks) {
  char text[64];
  std::snprintf(text, sizeof text, kStocksDoneFormat, done, stocks);
  SetProgressText1(text);
}

}  // namespace

bool CreateDailyCache() {
  CacheGuard guard(gCacheLock);
  if (gDailyCache == nullptr) gDailyCache = static_cast<DailyCache*>(AllocBlock(sizeof(DailyCache)));
  if (gScratchSeries == nullptr) gScratchSeries = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
  if (gDailyCache == nullptr || gScratchSeries == nullptr) return false;
  gDailyCacheCount = 0;
  for (int i = 0; i < kMaxStocks; ++i) gDailyCacheCount += gDailyCache->slots[i] != nullptr ? 1 : 0;
  return true;
}

void DestroyDailyCache() {
  CacheGuard guard(gCacheLock);
  if (gDailyCache != nullptr) FreeSlots(false);
  FreeBlock(gDailyCache);
  FreeBlock(gScratchSeries);
  gDailyCache = nullptr;
  gScratchSeries = nullptr;
  gDailyCacheCount = 0;
  gIdleWriteFailureShown = false;
}

namespace {

// The stock's table index, or -1 with an empty series in `out`.
int FindStockForBars(StockCode code, BarSeries* out) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) {
    out->code = code;
    out->count = 0;
  }
  return index;
}

}  // namespace

void GetDailyBars(StockCode code, BarSeries* out) {
  const int index = FindStockForBars(code, out);
  if (index < 0) return;
  int error = 0;
  {
    CacheGuard guard(gCacheLock);
    error = ServeFromCache(index, code, out);
  }
  PrepareBarsForUse(out);
  ReportDailyFileError(error);
}

void GetDailyBarsForUpdate(StockCode code, BarSeries* out) {
  const int index = FindStockForBars(code, out);
  if (index < 0) return;
  int error = 0;
  {
    ReadGuard guard(gCacheLock);
    if (const BarSeries* cached = SlotAt(index)) {
      CopySeries(out, *cached);
    } else {
      error = LoadDailyFileQuiet(code, out);
    }
  }
  ZeroNegativeVolumes(out);
  ReportDailyFileError(error);
}

int StoreDailyBars(StockCode code, const BarSeries& series) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) return 0;
  CacheGuard guard(gCacheLock);
  BarSeries* cached = SlotAt(index);
  if (cached != nullptr && series.code == code) {
    CopySeries(cached, series);
    gDailyCache->dirty[index] = kDirty;
    return 0;
  }
  return WriteDailyFile(code, series);
}

int WriteDailyBarsNow(StockCode code, const BarSeries& series) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) return 0;
  CacheGuard guard(gCacheLock);
  if (const int error = WriteDailyFile(code, series)) return error;
  if (BarSeries* cached = SlotAt(index)) {
    CopySeries(cached, series);
    gDailyCache->dirty[index] = kClean;
  }
  return 0;
}

void UpdateDailyBars(StockCode code, const BarSeries& series) {
  if (const int error = StoreDailyBars(code, series)) ReportDataError(error);
}

int CountDirtyDailyCacheEntries() {
  ReadGuard guard(gCacheLock);
  return CountDirtySlots();
}

bool IsDailyCacheSlotFilled(int index) {
  if (index < 0 || index >= kMaxStocks) return false;
  ReadGuard guard(gCacheLock);
  return SlotAt(index) != nullptr;
}

void FlushDailyCacheEntry(StockCode code) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) return;
  int error = 0;
  {
    CacheGuard guard(gCacheLock);
    if (IsSlotDirty(index)) error = WriteSlot(index);
  }
  if (error != 0) ReportDataError(error);
}

// One slot per idle turn. A slot that fails is left until the next flush and
// only the first failure is shown, so a read-only disk costs one box.
// False when no slot was waiting to be written.
bool FlushNextDirtyDailyCacheEntry() {
  int error = 0;
  bool show = false;
  {
    CacheGuard guard(gCacheLock);
    if (gDailyCache == nullptr) return false;
    int index = 0;
    while (index < kMaxStocks && !(SlotAt(index) != nullptr && gDailyCache->dirty[index] == kDirty)) ++index;
    if (index == kMaxStocks) return false;
    error = WriteSlot(index);
    if (error == 0) return true;
    gDailyCache->dirty[index] = kDirtyIdleWriteFailed;
    show = !gIdleWriteFailureShown;
    gIdleWriteFailureShown = true;
  }
  if (show) ReportDataError(error);
  return true;
}

void FlushDailyCache() {
  WriteFailures failures;
  {
    CacheGuard guard(gCacheLock);
    failures = WriteAllDirtySlots();
  }
  ShowWriteFailures(failures);
}

// A copy whose write failed is kept, still dirty: the caller must not move
// stocks to other table positions then, or the change would be lost.
bool FlushAndFreeDailyCache() {
  WriteFailures failures;
  {
    CacheGuard guard(gCacheLock);
    failures = WriteAllDirtySlots();
    if (gDailyCache != nullptr) FreeSlots(true);
  }
  ShowWriteFailures(failures);
  return failures.count == 0;
}

void TrimDailyCacheIfMemoryLow() {
  uint32_t load = 0;
  uint64_t total = 0;
  gDailyCacheMemoryStatus(&load, &total);
  if (total <= kLowPhysicalMemory) FlushAndFreeDailyCache();
}

int PreloadDailyCache() {
  if (gDailyCache == nullptr || gScratchSeries == nullptr) return 1;
  const int stocks = StockCount();
  const int target = PreloadTarget(stocks);
  FlushAndFreeDailyCache();
  SetProgressText2(kPreparingText);
  SetProgressSubRange(stocks);
  int end = ServeFromStart(stocks);
  if (gDailyCacheCount.load() < target) end = std::max(end, FillUpToTarget(stocks, target));
  StepProgress();
  CacheGuard guard(gCacheLock);
  if (gDailyCacheCount.load() == 0 || end == 0) return 1;
  gWindowStart = 0;
  gWindowEnd = end;
  return (stocks + end - 1) / end;
}

bool AdvanceDailyCacheWindow(DailyWriteFailure* failure) {
  const int stocks = StockCount();
  int start = 0;
  int end = 0;
  {
    CacheGuard guard(gCacheLock);
    if (gDailyCache != nullptr) FindWindow(stocks, &start, &end);
    BeginWritingStep();
  }
  const int length = end - start;
  const int next = end < stocks ? end : -1;
  std::vector<BarSeries*> spare;
  WriteFailures failures;
  int moved = 0;
  for (; moved < length && failures.count == 0; ++moved) {
    int error = 0;
    {
      CacheGuard guard(gCacheLock);
      if (gDailyCache != nullptr) {
        error = MoveSlotOn(start + moved, next < 0 ? -1 : next + moved, &spare, &failures);
        if (failures.count > 0 && failure != nullptr) *failure = {failures.firstCode, failures.firstError};
      }
    }
    ReportDailyFileError(error);
    AdvanceProgress(1);
    ShowStocksDone(start + 1 + moved, stocks);
  }
  {
    CacheGuard guard(gCacheLock);
    for (BarSeries* buffer : spare) FreeBlock(buffer);
    if (failures.count == 0 && length > 0 && next >= 0) {
      gWindowStart = next;
      gWindowEnd = std::min(next + length, stocks);
    }
  }
  StepProgress();
  return failures.count == 0;
}

void EnterDailyCacheAsWorker() {
  std::unique_lock<std::mutex> guard(gGate.lock);
  gGate.changed.wait(guard, [] { return gGate.writers == 0; });
  ++gGate.workers;
  tInsideAsWorker = true;
}

void LeaveDailyCacheAsWorker() {
  {
    std::lock_guard<std::mutex> guard(gGate.lock);
    --gGate.workers;
    tInsideAsWorker = false;
  }
  gGate.changed.notify_all();
}

// Slot `index` changes only here, by the one worker that took the stock, so
// a filled slot is copied without the lock.
bool ReadDailyBarsInWorker(int index, StockCode code, bool loadUncached, BarSeries* out, int* error) {
  *error = 0;
  out->code = code;
  out->count = 0;
  if (gDailyCache == nullptr || index < 0 || index >= kMaxStocks) return false;
  if (const BarSeries* cached = gDailyCache->slots[index]) {
    CopySeries(out, *cached);
  } else if (!loadUncached) {
    return false;
  } else {
    ReadGuard guard(gCacheLock);
    *error = ServeFromCache(index, code, out, LoadDailyFileWithoutWaiting);
  }
  PrepareBarsForUse(out);
  return true;
}

void ReportUnreadDailyFiles(int count, int firstError) {
  if (count == 0) return;
  char what[128];
  std::snprintf(what, sizeof what, kReadFailedFormat, count);
  ShowFileFailures(what, firstError);
}
