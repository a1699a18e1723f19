#pragma once
// The recomputation of every stock of the table on a pool of worker threads,
// while the main thread keeps the progress dialog alive. Each worker has its
// own context and scratch set and takes stocks one at a time, so that faster
// workers take more of them.
#include <cstdint>

enum RecomputeMode : int {
  kRecomputeAllStocks = 0,   // stocks that are not cached are read from their files
  kRecomputeCachedOnly = 1,  // one window of a cache pass: the other stocks are left alone
};

enum class RecomputeOutcome {
  kCompleted,  // every stock was taken
  kCancelled,  // the stocks not taken keep their previous results
  kFailed,     // not even one context could be allocated: nothing was recomputed
};

// Workers for a machine: two fewer than its processors, 1 to 8, and at most
// one per 20 MiB of free memory when that is known (freeMiB < 0: unknown).
int ComputeRecomputeThreadCount(int processors, int64_t freeMiB);

// Runs in the current step of the progress dialog the caller opened (line 2,
// the bar, Cancel) and steps it on. Fewer workers than asked for run when
// contexts or threads are short, the calling thread itself when none starts.
// A daily file that cannot be read is reported once, after the run.
RecomputeOutcome RecomputeAllStocks(RecomputeMode mode);
// The same with a given number of workers, 1 to 8.
RecomputeOutcome RecomputeAllStocksWithWorkers(RecomputeMode mode, int workers);
