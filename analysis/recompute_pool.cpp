#include "analysis/recompute_pool.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "analysis/stock_recompute.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"

namespace {

constexpr int kMaxWorkers = 8;
constexpr int kSpareProcessors = 2;  // left to the main thread and the rest of the machine
constexpr int64_t kMibPerWorker = 20;
constexpr uint32_t kWaitSliceMs = 200;
constexpr int kMinimumDailyBars = 2;  // fewer keep the previous results
constexpr char kWorkersDoneFormat[] = "%d threads: %d/%d";

struct Worker {
  ChartSeriesSet context{};
  KernelScratchSet scratch{};
  std::thread thread;

  ~Worker() {
    FreeChartContextBuffers(&context);
    FreeKernelScratchSet(&scratch);
  }
};

// What the workers of one run share; only counters change.
struct Run {
  RecomputeMode mode = kRecomputeAllStocks;
  int stockCount = 0;
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  std::atomic<int> running{0};  // workers still in their loop, and the starter while it starts them
  std::atomic<int> unreadFiles{0};
  std::atomic<int> firstReadError{0};
  PlatformWakeSignal* finished = nullptr;
};

void NoteReadError(Run& run, int error) {
  if (error == 0) return;
  int none = 0;
  run.firstReadError.compare_exchange_strong(none, error);
  run.unreadFiles.fetch_add(1);
}

void RecomputeStockAt(Run& run, int index, Worker& worker) {
  const StockCode code = gStockTable->records[index].master.code;
  if (!IsStockCodeInRange(code)) return;
  int error = 0;
  const bool loadUncached = run.mode == kRecomputeAllStocks;
  const bool placed = ReadDailyBarsInWorker(index, code, loadUncached, worker.context.periods[0].rawBars, &error);
  NoteReadError(run, error);
  if (placed) RecomputeStockFromBars(code, &worker.context, worker.scratch, kMinimumDailyBars);
}

// `afterStock` runs between stocks on the calling thread's own loop.
template <typename AfterStock>
void TakeStocks(Run& run, Worker& worker, AfterStock afterStock) {
  EnterDailyCacheAsWorker();
  for (int i = run.next.fetch_add(1); i < run.stockCount && gProgressCancelled.load() == 0; i = run.next.fetch_add(1)) {
    RecomputeStockAt(run, i, worker);
    run.done.fetch_add(1);
    afterStock();
  }
  LeaveDailyCacheAsWorker();
}

void ReleaseRun(Run& run) {
  if (run.running.fetch_sub(1) == 1) PlatformRaiseWakeSignal(run.finished);
}

void RunWorkerThread(Run* run, Worker* worker) {
  TakeStocks(*run, *worker, [] {});
  ReleaseRun(*run);
}

// std::thread tells of a thread that cannot start only by throwing.
bool StartWorkerThread(Run& run, Worker& worker) {
  try {
    worker.thread = std::thread(RunWorkerThread, &run, &worker);
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

std::unique_ptr<Worker> AllocateWorker() {
  std::unique_ptr<Worker> worker(new (std::nothrow) Worker);
  if (worker == nullptr) return nullptr;
  if (!AllocChartContextBuffers(&worker->context) || !AllocateKernelScratchSet(&worker->scratch)) return nullptr;
  return worker;
}

using Workers = std::array<std::unique_ptr<Worker>, kMaxWorkers>;

// As many of the wanted workers as memory allows.
int AllocateWorkers(int wanted, Workers* workers) {
  int count = 0;
  while (count < wanted && ((*workers)[static_cast<size_t>(count)] = AllocateWorker()) != nullptr) ++count;
  return count;
}

void ShowDone(const Run& run, int threads, int* shown) {
  const int done = run.done.load();
  if (done == *shown) return;
  *shown = done;
  SetProgressSubPos(static_cast<uint32_t>(done));
  char text[64];
  std::snprintf(text, sizeof text, kWorkersDoneFormat, threads, done, run.stockCount);
  SetProgressText1(text);
}

// Starts the threads; the number that started.
int StartWorkers(Run& run, Workers& workers, int count) {
  run.running.store(1);
  int started = 0;
  for (int k = 0; k < count; ++k) {
    run.running.fetch_add(1);
    if (StartWorkerThread(run, *workers[static_cast<size_t>(k)])) {
      ++started;
    } else {
      run.running.fetch_sub(1);
    }
  }
  ReleaseRun(run);
  return started;
}

// The main thread waits in short slices and keeps the dialog moving.
void WaitForWorkers(Run& run, Workers& workers, int started) {
  int shown = -1;
  while (!PlatformWaitPumping(run.finished, kWaitSliceMs)) ShowDone(run, started, &shown);
  for (std::unique_ptr<Worker>& worker : workers) {
    if (worker != nullptr && worker->thread.joinable()) worker->thread.join();
  }
}

void RunOnCallingThread(Run& run, Worker& worker) {
  int shown = -1;
  TakeStocks(run, worker, [&run, &shown] { ShowDone(run, 1, &shown); });
}

// Runs the stocks with as many workers as could be had; false when none.
bool RunWorkers(Run& run, int wanted) {
  Workers workers;
  const int count = AllocateWorkers(wanted, &workers);
  if (count == 0) return false;
  run.finished = PlatformCreateWakeSignal();
  const int started = run.finished != nullptr ? StartWorkers(run, workers, count) : 0;
  if (started > 0) {
    WaitForWorkers(run, workers, started);
  } else {
    RunOnCallingThread(run, *workers[0]);
  }
  PlatformDestroyWakeSignal(run.finished);
  return true;
}

int64_t FreeMemoryMib() {
  uint32_t load = 100;
  uint64_t total = 0;
  PlatformGetMemoryStatus(&load, &total);
  if (total == 0) return -1;
  return static_cast<int64_t>(total / 100 * (100 - std::min<uint32_t>(load, 100)) >> 20);
}

void BeginStep(RecomputeMode mode, int stocks) {
  char text[128];
  PlatformLoadString(kStrComputingLatestValues, text, sizeof text);
  SetProgressText2(text);
  SetProgressSubRange(stocks);
  if (mode == kRecomputeCachedOnly) DisableProgressCancel();
}

void EndStep(RecomputeMode mode, int stocks) {
  SetProgressSubPos(static_cast<uint32_t>(stocks));
  StepProgress();
  if (mode == kRecomputeCachedOnly) EnableProgressCancel();
}

}  // namespace

int ComputeRecomputeThreadCount(int processors, int64_t freeMiB) {
  int count = std::clamp(processors - kSpareProcessors, 1, kMaxWorkers);
  if (freeMiB >= 0) count = static_cast<int>(std::min<int64_t>(count, std::max<int64_t>(freeMiB / kMibPerWorker, 1)));
  return count;
}

RecomputeOutcome RecomputeAllStocks(RecomputeMode mode) {
  return RecomputeAllStocksWithWorkers(mode, ComputeRecomputeThreadCount(PlatformGetProcessorCount(), FreeMemoryMib()));
}

RecomputeOutcome RecomputeAllStocksWithWorkers(RecomputeMode mode, int workers) {
  Run run;
  run.mode = mode;
  run.stockCount = StockTableCount();
  BeginStep(mode, run.stockCount);
  const bool ran = RunWorkers(run, std::clamp(workers, 1, kMaxWorkers));
  EndStep(mode, run.stockCount);
  ReportUnreadDailyFiles(run.unreadFiles.load(), run.firstReadError.load());
  if (!ran) return RecomputeOutcome::kFailed;
  return run.done.load() >= run.stockCount ? RecomputeOutcome::kCompleted : RecomputeOutcome::kCancelled;
}
