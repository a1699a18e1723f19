#pragma once
// The daily price files: "DAY\<code>", the first 8 + 24 x count bytes of a BarSeries.
#include "records/price_series.h"

constexpr char kDailyFolder[] = "DAY";
// The temporary files of the daily-file writes, beside "DAY" in the data
// folder: never read as price files, and not part of a backup of "DAY".
constexpr char kDailyWriteFolder[] = "TMPDAY";
constexpr int kDailyReadAttempts = 3;
constexpr uint32_t kDailyReadRetryWaitMs = 3000;

void GetDailyFilePath(StockCode code, char* path, int size);
// Reads with retries, the newest backup as fallback, clamps and code cut-offs.
// The series' code is always the requested code; count 0 when nothing could be read.
void LoadDailyFile(StockCode code, BarSeries* series);
// LoadDailyFile without the error box: returns the error the user is to be
// shown (0 when none), so that a caller holding a lock can show it later.
int LoadDailyFileQuiet(StockCode code, BarSeries* series);
// LoadDailyFileQuiet with a single read before the backup copy: a worker
// thread must not wait seconds for a file that another program holds.
int LoadDailyFileWithoutWaiting(StockCode code, BarSeries* series);
// Shows the error box for what LoadDailyFileQuiet returned; nothing for 0.
void ReportDailyFileError(int error);
// LoadFileToBuffer and old-code conversion only; the file error code. The
// count never exceeds the bars the file holds.
int LoadDailyFileRaw(const char* path, BarSeries* series, uint32_t sizeLimit);
// Writes the series to the stock's file; on failure the error box. A series
// whose code is not `code`, or whose count is out of range, is refused.
int SaveDailyFile(StockCode code, BarSeries* series);
// SaveDailyFile without the error box; 0 or the error code. The file is
// replaced whole: after a crash it holds its old or its new bars.
int WriteDailyFile(StockCode code, const BarSeries& series);
// Makes the folder of the daily writes' temporary files and deletes what a
// write cut short by a crash or a kill left there. At start-up, in the data
// folder, before any daily file is written.
void ClearDailyWriteLeftovers();

// The daily file a job could not write; the job stops at the first one, so
// that a full disk costs one message instead of one per stock.
struct DailyWriteFailure {
  StockCode code;
  int error;  // 0: nothing failed
};
// "日足ファイル(DAY\1301)を書き込めませんでした。" and the system's text for the error.
void FormatDailyWriteFailure(const DailyWriteFailure& failure, char* out, int size);
// Index of the last bar dated on or before the date, searching down to index 1; 0 when none.
int FindLastBarOnOrBefore(const BarSeries& series, PackedDate date);
