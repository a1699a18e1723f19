#pragma once
// Monitoring lines: a trend line set to watch a lower limit, an upper limit
// or a date is judged against its stock's latest values after every price
// update and live quote. A line that becomes reached raises one notice and,
// when it is an armed step of the averaging-down tracker, decides its
// automatic order. Reached lines also feed the monitoring terms of the group
// conditions, so every evaluation ends with the stock's group memberships.
#include <cstddef>
#include <cstdint>

#include "common/packed_date.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "platform/platform.h"
#include "records/screen_pattern_record.h"
#include "records/trend_line_record.h"

// ---- Trading days -------------------------------------------------------------

// Daily bars from `from` to `to`, counted as the charts count them (weekends
// and market holidays do not count; negative when `to` is earlier), read
// from an index of the calendar built once. False for a date outside the
// calendar the index covers (1900..2199).
bool CountDailyBars(PackedDate to, PackedDate from, int* bars);

// ---- Judging one line -----------------------------------------------------------

constexpr int kWatchedLineBits = 3;
constexpr uint32_t kWatchedLineMask = (1u << kWatchedLineBits) - 1;

// The snapshot item that bit `bit` of the watched-lines word reads on a pane
// of `paneKind`; -1 when that pane has no such line or the kind is unknown.
int WatchedItemIndex(int paneKind, int bit);
// Whether a pane's bit-0 series is watched whatever the bits say.
bool IsAlwaysWatched(int paneKind);
// The watched-lines word of a new line drawn on a pane whose visible lines
// are `paneLineBits` (pane flag bits 0..2).
uint32_t DefaultWatchedLines(int paneKind, uint32_t paneLineBits);
// Flips bit n of a line's watched-lines word; a word left empty becomes 1
// and the result is false (the caller beeps).
bool FlipWatchedLine(TrendLine& line, int n);

struct LineJudgement {
  bool inRange;
  bool reached;
};
// Where the line stands against the stock's last bar and latest snapshot.
LineJudgement JudgeMonitorLine(const TrendLine& line, const StockRecord& stock);
// The value of a lower or upper line at `date` in the pane's own scale (yen,
// raw volume, or the indicator's value); false when the line cannot be
// judged there (equal dates, no trading day between them, outside the calendar).
bool MonitorLineValueAt(const TrendLine& line, PackedDate date, double* value);

// ---- Evaluation ---------------------------------------------------------------

// The outcome of the last automatic-order decision, read by the notice that
// the same evaluation opens.
struct OrderOutcome {
  bool attempted;
  int32_t orderNumber;  // 0: no order was placed
};
extern OrderOutcome gLastOrderOutcome;

// Judges line `index` again and keeps its in-range, reached and pending
// flags. With `notify`, a line that has just become reached opens its notice
// and, for an armed tracker step, places the order when `allowOrder` (a live
// quote with automatic ordering on) or else ends the step without one.
// Without `notify` the change is taken silently: no notice, no order.
void EvaluateMonitorLine(int index, bool notify, bool allowOrder);
// Every monitoring line, after a price update or import or a time-back step:
// notices on, orders off. The group memberships follow once per stock.
void EvaluateAllMonitorLines();
// The monitoring lines of one stock, after a live quote of it.
void EvaluateStockMonitorLines(StockCode code, bool allowOrder);

// ---- Texts ----------------------------------------------------------------------

// "下限監視線" and the like; "監視なし" for a kind out of range.
const char* MonitorKindText(int kind);
// What the notice says the line watched; empty for a line without a kind.
void FormatMonitorConditionText(const TrendLine& line, char* text, size_t size);
// The automatic-order line of a notice; empty when nothing was attempted.
void FormatOrderOutcomeText(const OrderOutcome& outcome, const TrendLine& line, char* text, size_t size);

// ---- Notices --------------------------------------------------------------------

constexpr int kMaxListedNotices = 300;

// The window side of the notices, installed by the main window while it exists.
class LineNoticeSink {
 public:
  virtual ~LineNoticeSink() = default;
  virtual bool IsMainWindowVisible() = 0;
  // Opens the notice of line `index` (it lists itself with ListLineNotice);
  // null when it could not be made.
  virtual WindowHandle OpenNotice(int index) = 0;
  virtual void BringNoticeToFront(WindowHandle notice) = 0;
  // The notice shows gLastOrderOutcome in its order line.
  virtual void ShowOrderOutcome(WindowHandle notice) = 0;
  // Destroys the notice; it leaves the list through ForgetLineNotice.
  virtual void CloseNotice(WindowHandle notice) = 0;
  virtual void RefreshMenuStates() = 0;
  virtual void ShowWaitCursor(bool wait) = 0;
};
void SetLineNoticeSink(LineNoticeSink* sink);

// A notice that has opened for line `index`: it is listed while fewer than
// 300 are; the number for its title (the listed count) comes back.
int ListLineNotice(WindowHandle notice, int index);
// A notice that is going away.
void ForgetLineNotice(WindowHandle notice);
// The line a notice is about; -1 when it is not known.
int NoticeLineOf(WindowHandle notice);
// The listed notice of line `index`; null when none.
WindowHandle FindLineNotice(int index);
int LineNoticeCount();
// Lines were deleted: removed[i] tells whether old line i went. Their notices
// close; the others follow their lines to the new indices. To be called by
// the store after every deletion, with the marks it deleted by.
void OnTrendLinesDeleted(const bool* removed, int oldCount);
// The whole table was replaced (undo, reload): every notice closes.
void OnTrendLinesReplaced();
// Where the next notice goes: the remembered place, or 50 pixels inside the
// main window's corner, which is then remembered.
void NextNoticePosition(int mainLeft, int mainTop, int* x, int* y);
void RememberNoticePosition(int x, int y);

// What the buttons of a notice show for the current screen pattern.
struct NoticeButtons {
  int checkedPattern;                           // 0..11
  int chartCount;                               // 1..3
  bool slotShown[kMaxChartsPerPattern];         // the chart shows the line's stock and period
  bool indicatorEnabled[kMaxChartsPerPattern];  // its indicator button can be pressed
  bool indicatorChecked[kMaxChartsPerPattern];  // the chart has the pane with every watched line on
};
NoticeButtons ComputeNoticeButtons(const ScreenPattern& pattern, int patternIndex, const TrendLine& line);
// The pane flags that show the lines a monitoring line watches on a pane of its kind.
uint32_t PaneFlagsShowingWatchedLines(int paneKind, uint32_t watched, uint32_t paneFlags);

// ---- Lines of a stock -------------------------------------------------------------

// While one is alive, questions about a stock's lines are answered from an
// index of the table built when a second stock is asked about, instead of a
// scan of the whole table each. The table may change its flags meanwhile but
// must keep its lines. Scopes nest; the outermost one owns the index.
class ScopedStockLineIndex {
 public:
  ScopedStockLineIndex();
  ~ScopedStockLineIndex();
  ScopedStockLineIndex(const ScopedStockLineIndex&) = delete;
  ScopedStockLineIndex& operator=(const ScopedStockLineIndex&) = delete;
};
// Whether the stock has a monitoring line that covers its last bar, of
// `kind` (0: any), reached or not as `reached` asks (-1: either).
bool HasStockMonitorLine(StockCode code, int kind, int reached);
// The monitoring lines covering the stock's last bar whose kinds are watched
// (date, upper, lower), and how many of them are reached.
void CountStockMonitorLines(StockCode code, bool dateLines, bool upperLines, bool lowerLines, int* lines, int* reached);
