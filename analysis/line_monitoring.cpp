#include "analysis/line_monitoring.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "analysis/analysis_hooks.h"
#include "analysis/chart_series.h"
#include "analysis/group_lists.h"
#include "analysis/trend_line_store.h"
#include "records/settings_block.h"

OrderOutcome gLastOrderOutcome = {};

namespace {

// ---- Trading days ----

constexpr PackedDate kCalendarFirst = MakePackedDate(1900, 1, 1);
constexpr PackedDate kCalendarEnd = MakePackedDate(2200, 1, 1);  // the first day it does not cover

// The number of trading days from the calendar's first day through each day,
// so that counting the bars between two dates costs two reads instead of a
// walk over the holidays between them.
class TradingDayIndex {
 public:
  TradingDayIndex() : first_(PackedDateToDays(kCalendarFirst)) {
    const int64_t end = PackedDateToDays(kCalendarEnd);
    through_.resize(static_cast<size_t>(end - first_));
    int32_t count = 0;
    for (int64_t day = first_; day < end; ++day) {
      if (!IsMarketHoliday(DaysToPackedDate(day))) ++count;
      through_[static_cast<size_t>(day - first_)] = count;
    }
  }
  bool Covers(int64_t day) const { return day >= first_ && day - first_ < static_cast<int64_t>(through_.size()); }
  // Trading days in [from, to], both covered and from <= to.
  int32_t TradingDaysIn(int64_t from, int64_t to) const {
    const int32_t before = from > first_ ? through_[static_cast<size_t>(from - 1 - first_)] : 0;
    return through_[static_cast<size_t>(to - first_)] - before;
  }

 private:
  int64_t first_;
  std::vector<int32_t> through_;
};

const TradingDayIndex& TradingDays() {
  static const TradingDayIndex index;
  return index;
}

// ---- Watched series ----

bool IsPaneKind(int kind) { return kind >= 0 && kind < kPaneKindCount; }

struct WatchedSeries {
  std::array<int8_t, kWatchedLineBits> items;  // snapshot item per bit, -1 none
  bool always;                                 // bit 0 is watched whatever the bits say
};

constexpr std::array<WatchedSeries, kPaneKindCount> kWatchedSeries = {{
    {{0, -1, -1}, true},    // candles
    {{0, -1, -1}, true},    // Ichimoku
    {{3, 15, 16}, false},   // volume and its two averages
    {{17, 18, 19}, false},  // RSI
    {{20, 21, 22}, false},  // RCI
    {{23, 24, 25}, false},  // deviation rate
    {{27, 28, -1}, false},  // stochastics %D, %SD
    {{29, 30, -1}, false},  // MACD, signal
    {{31, 32, 33}, false},  // +DI, -DI, ADX
    {{34, -1, -1}, true},   // S-ROC
    {{35, 36, 37}, false},  // psychological line
    {{38, 39, -1}, false},  // OBV and its average
    {{67, -1, -1}, false},  // volume ratio
    {{68, -1, -1}, false},  // advance/decline ratio
}};

// Panes whose watched lines are exactly the pane's visible lines.
bool WatchesVisibleLines(int paneKind) {
  return paneKind == kPaneRsi || paneKind == kPaneRci || paneKind == kPaneDeviation || paneKind == kPanePsychological;
}

// Values are stored in yen and raw volume on these panes, in hundredths elsewhere.
bool StoresWholeValues(int paneKind) {
  return paneKind == kPaneCandles || paneKind == kPaneIchimoku || paneKind == kPaneVolume;
}

bool IsWatched(const TrendLine& line, int bit) {
  return (line.watchedLines >> bit & 1u) != 0 || (bit == 0 && IsAlwaysWatched(line.paneKind));
}

// The latest snapshot of the line's period; null for a period out of range.
const IndicatorSnapshot* LatestSnapshot(const TrendLine& line, const StockRecord& stock) {
  if (line.period < 0 || line.period >= kPeriodCount) return nullptr;
  return &stock.snapshots[line.period * 2];
}

bool IsReachedAt(const TrendLine& line, const IndicatorSnapshot& snapshot, double lineValue) {
  if (!IsPaneKind(line.paneKind)) return false;
  for (int bit = 0; bit < kWatchedLineBits; ++bit) {
    const int item = WatchedItemIndex(line.paneKind, bit);
    if (item < 0 || !IsWatched(line, bit)) continue;
    const double value = snapshot.values[item];
    if (line.monitorKind == kMonitorLower ? value <= lineValue : value >= lineValue) return true;
  }
  return false;
}

bool IsLevelKind(int32_t kind) { return kind == kMonitorLower || kind == kMonitorUpper; }

// A lower or upper line covers the last bar when it lies between its dates.
bool CoversLastBar(const TrendLine& line, const StockRecord& stock) {
  if (line.date1 == line.date2 || stock.dailyCount < 1) return false;
  const PackedDate early = std::min(line.date1, line.date2);
  const PackedDate late = std::max(line.date1, line.date2);
  return stock.lastDate >= early && stock.lastDate <= late;
}

// ---- Evaluation ----

LineNoticeSink* gNoticeSink = nullptr;

TrendLine* LineAt(int index) {
  if (gTrendLines == nullptr || index < 0 || index >= std::min(gTrendLines->count, kMaxTrendLines)) return nullptr;
  return &gTrendLines->lines[index];
}

int LineCount() { return gTrendLines != nullptr ? std::clamp(gTrendLines->count, 0, kMaxTrendLines) : 0; }

// Judges the line again; a change of reached leaves a notice pending. The
// stock's index, or -1 when it is not in the table (the line is left alone).
int RejudgeLine(TrendLine& line) {
  const int stockIndex = FindStockIndexByCode(line.code);
  if (stockIndex < 0) return -1;
  const LineJudgement judgement = JudgeMonitorLine(line, gStockTable->records[stockIndex]);
  const bool wasReached = line.reached != 0;
  line.inRange = judgement.inRange ? 1 : 0;
  line.reached = judgement.reached ? 1 : 0;
  if (judgement.reached != wasReached) line.noticePending = line.reached;
  return stockIndex;
}

bool IsTrackerStep(const TrendLine& line) { return line.buyRole >= 1 || line.shortRole >= 1; }

void RefreshAutoOrderList() {
  if (gAnalysisHooks.fillAutoOrderList != nullptr) gAnalysisHooks.fillAutoOrderList();
}

// An armed step that has been reached: the order goes out, or, when the
// quote did not come from the live feed, the step ends without one. Either
// way the file learns it at once, so that no restart can arm the step again.
// A day of time-back mode is not the market: it leaves the step as it is.
void DecideAutomaticOrder(int index, TrendLine& line, bool allowOrder) {
  gLastOrderOutcome = {};
  if (line.autoOrderState != kAutoOrderArmed || !IsTrackerStep(line) || gTimeBackMode != 0) return;
  if (allowOrder) {
    const int32_t number = gAnalysisHooks.placeTrackerOrder != nullptr ? gAnalysisHooks.placeTrackerOrder(index) : 0;
    gLastOrderOutcome = {true, number};
    if (number != 0) {
      line.autoOrderState = kAutoOrderPlaced;
      line.locked = 1;
      line.orderNumber = number;
      line.monitorKind = kMonitorNone;
    }
  } else {
    line.autoOrderState = kAutoOrderReachedUnplaced;
    RefreshAutoOrderList();
    gLastOrderOutcome = {true, 0};
  }
  SaveTrendLines();
}

void ShowNotice(int index, const TrendLine& line) {
  if (line.notifyWhenReached == 0 || gNoticeSink == nullptr || !gNoticeSink->IsMainWindowVisible()) {
    gLastOrderOutcome = {};
    return;
  }
  if (const WindowHandle open = FindLineNotice(index)) {
    gNoticeSink->BringNoticeToFront(open);
    if (gLastOrderOutcome.attempted) gNoticeSink->ShowOrderOutcome(open);
    return;
  }
  gNoticeSink->OpenNotice(index);
  gNoticeSink->RefreshMenuStates();
}

// The pending notice of a judged line: taken silently, or shown with the order decision.
void TakeNotice(int index, TrendLine& line, bool notify, bool allowOrder) {
  if (!notify || line.noticePending == 0) {
    line.noticePending = 0;
    return;
  }
  line.noticePending = 0;
  DecideAutomaticOrder(index, line, allowOrder);
  ShowNotice(index, line);
}

// ---- Notices ----

struct NoticeEntry {
  WindowHandle window;
  int line;
};
std::vector<NoticeEntry> gListedNotices;    // at most kMaxListedNotices
std::vector<NoticeEntry> gUnlistedNotices;  // open beyond the list: not found by line
int gNoticeX = 0;
int gNoticeY = 0;

NoticeEntry* FindEntry(WindowHandle window) {
  for (auto* list : {&gListedNotices, &gUnlistedNotices}) {
    for (NoticeEntry& entry : *list)
      if (entry.window == window) return &entry;
  }
  return nullptr;
}

void CloseNotices(const std::vector<WindowHandle>& windows) {
  for (const WindowHandle window : windows) {
    if (gNoticeSink != nullptr) gNoticeSink->CloseNotice(window);
    ForgetLineNotice(window);
  }
}

// ---- Lines of a stock ----

struct StockLineIndex {
  int depth = 0;
  bool hasOne = false;  // the lines of one stock, from a scan
  StockCode oneCode = 0;
  std::vector<int> oneLines;
  bool built = false;  // every line by stock
  std::vector<std::pair<StockCode, int>> byStock;
};
StockLineIndex gStockLines;

void BuildStockLineIndex() {
  gStockLines.byStock.clear();
  for (int i = 0; i < LineCount(); ++i) gStockLines.byStock.emplace_back(gTrendLines->lines[i].code, i);
  std::sort(gStockLines.byStock.begin(), gStockLines.byStock.end());
  gStockLines.built = true;
}

// Calls visit(line) for each line of the stock until it returns true; true then.
template <typename Visit>
bool AnyLineOfStock(StockCode code, Visit visit) {
  const int count = LineCount();
  const auto visitIndex = [&](int i) { return i < count && visit(gTrendLines->lines[i]); };
  if (gStockLines.depth == 0) {
    for (int i = 0; i < count; ++i)
      if (gTrendLines->lines[i].code == code && visit(gTrendLines->lines[i])) return true;
    return false;
  }
  if (!gStockLines.built && gStockLines.hasOne && gStockLines.oneCode != code) BuildStockLineIndex();
  if (gStockLines.built) {
    auto it = std::lower_bound(gStockLines.byStock.begin(), gStockLines.byStock.end(), std::make_pair(code, -1));
    for (; it != gStockLines.byStock.end() && it->first == code; ++it)
      if (visitIndex(it->second)) return true;
    return false;
  }
  if (!gStockLines.hasOne) {
    gStockLines.hasOne = true;
    gStockLines.oneCode = code;
    for (int i = 0; i < count; ++i)
      if (gTrendLines->lines[i].code == code) gStockLines.oneLines.push_back(i);
  }
  for (const int i : gStockLines.oneLines)
    if (visitIndex(i)) return true;
  return false;
}

bool IsMonitoringKind(int32_t kind) { return kind >= kMonitorLower && kind <= kMonitorDate; }

}  // namespace

// ---- Trading days ----

bool CountDailyBars(PackedDate to, PackedDate from, int* bars) {
  const int64_t dayTo = PackedDateToDays(to);
  const int64_t dayFrom = PackedDateToDays(from);
  const TradingDayIndex& index = TradingDays();
  if (!index.Covers(dayTo) || !index.Covers(dayFrom)) return false;
  if (dayTo == dayFrom) {
    *bars = 0;
    return true;
  }
  // A day after another counts the trading days up to it, the first one not included.
  const int32_t span = index.TradingDaysIn(std::min(dayTo, dayFrom), std::max(dayTo, dayFrom)) - 1;
  *bars = dayTo > dayFrom ? span : -span;
  return true;
}

// ---- Judging one line ----

int WatchedItemIndex(int paneKind, int bit) {
  if (!IsPaneKind(paneKind) || bit < 0 || bit >= kWatchedLineBits) return -1;
  return kWatchedSeries[static_cast<size_t>(paneKind)].items[static_cast<size_t>(bit)];
}

bool IsAlwaysWatched(int paneKind) {
  return IsPaneKind(paneKind) && kWatchedSeries[static_cast<size_t>(paneKind)].always;
}

uint32_t DefaultWatchedLines(int paneKind, uint32_t paneLineBits) {
  if (paneKind == kPaneVolume) return 1u | (paneLineBits & 3u) << 1;
  if (WatchesVisibleLines(paneKind)) return paneLineBits & kWatchedLineMask;
  return 1u;
}

bool FlipWatchedLine(TrendLine& line, int n) {
  line.watchedLines ^= 1u << (static_cast<unsigned>(n) % 32);
  if (line.watchedLines != 0) return true;
  line.watchedLines = 1;
  return false;
}

bool MonitorLineValueAt(const TrendLine& line, PackedDate date, double* value) {
  if (line.date1 == line.date2) return false;
  const bool firstIsStart = line.date1 < line.date2;
  const PackedDate startDate = firstIsStart ? line.date1 : line.date2;
  const PackedDate endDate = firstIsStart ? line.date2 : line.date1;
  const double start = firstIsStart ? line.value1 : line.value2;
  const double end = firstIsStart ? line.value2 : line.value1;
  int n = 0;
  int m = 0;
  // Two dates with no trading day between them (a weekend) give no slope.
  if (!CountDailyBars(endDate, startDate, &n) || n <= 0 || !CountDailyBars(date, startDate, &m)) return false;
  const double stored = start == end ? start : start + (end - start) * m / n;
  *value = StoresWholeValues(line.paneKind) ? stored : stored / 100.0;
  return true;
}

LineJudgement JudgeMonitorLine(const TrendLine& line, const StockRecord& stock) {
  if (line.monitorKind == kMonitorDate) {
    if (line.date1 != line.date2) return {false, false};
    return {true, line.date1 <= stock.lastDate};
  }
  double value = 0;
  if (!IsLevelKind(line.monitorKind) || !CoversLastBar(line, stock) ||
      !MonitorLineValueAt(line, stock.lastDate, &value)) {
    return {false, false};
  }
  const IndicatorSnapshot* snapshot = LatestSnapshot(line, stock);
  return {true, snapshot != nullptr && IsReachedAt(line, *snapshot, value)};
}

// ---- Evaluation ----

void EvaluateMonitorLine(int index, bool notify, bool allowOrder) {
  TrendLine* line = LineAt(index);
  if (line == nullptr || RejudgeLine(*line) < 0) return;
  UpdateGroupBitsForStock(line->code);
  TakeNotice(index, *line, notify, allowOrder);
}

// The memberships depend only on the lines' flags, so one update per stock
// after all its lines are judged ends where one per line would.
void EvaluateAllMonitorLines() {
  if (gTrendLines == nullptr || gStockTable == nullptr) return;
  if (gNoticeSink != nullptr) gNoticeSink->ShowWaitCursor(true);
  ScopedStockLineIndex stockLines;
  std::vector<bool> judged(kMaxStocks, false);
  for (int i = 0; i < LineCount(); ++i) {
    TrendLine& line = gTrendLines->lines[i];
    if (line.monitorKind == kMonitorNone) continue;
    const int stockIndex = RejudgeLine(line);
    if (stockIndex < 0) continue;
    judged[static_cast<size_t>(stockIndex)] = true;
    TakeNotice(i, line, true, false);
  }
  const int stocks = std::clamp(gStockTable->count, 0, kMaxStocks);
  for (int s = 0; s < stocks; ++s)
    if (judged[static_cast<size_t>(s)]) UpdateGroupBitsForStock(gStockTable->records[s].master.code);
  if (gNoticeSink != nullptr) gNoticeSink->ShowWaitCursor(false);
}

void EvaluateStockMonitorLines(StockCode code, bool allowOrder) {
  bool judged = false;
  for (int i = 0; i < LineCount(); ++i) {
    TrendLine& line = gTrendLines->lines[i];
    if (line.code != code || line.monitorKind == kMonitorNone || RejudgeLine(line) < 0) continue;
    judged = true;
    TakeNotice(i, line, true, allowOrder);
  }
  if (judged) UpdateGroupBitsForStock(code);
}

// ---- Texts ----

const char* MonitorKindText(int kind) {
  static constexpr std::array<const char*, 4> kTexts = {"監視なし", "下限監視線", "上限監視線", "日柄監視線"};
  return kTexts[static_cast<size_t>(IsMonitoringKind(kind) ? kind : 0)];
}

void FormatMonitorConditionText(const TrendLine& line, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  if (line.monitorKind == kMonitorDate) {
    snprintf(text, size, "指定日付(%d/%02d/%02d)に到達しました。", PackedYear(line.date1), PackedMonth(line.date1),
             PackedDay(line.date1));
    return;
  }
  if (!IsLevelKind(line.monitorKind) || !IsPaneKind(line.paneKind)) return;
  static constexpr std::array<const char*, kPaneKindCount> kFormats = {
      "株価%s監視線",       "株価%s監視線",         "出来高%s%s監視線",   "ＲＳＩ%s%s監視線", "ＲＣＩ%s%s監視線",
      "乖離線%s%s監視線",   "ストキャス%s%s監視線", "ＭＡＣＤ%s%s監視線", "ＤＭＩ%s%s監視線", "ＳＲＯＣ%s%s監視線",
      "サイコロ%s%s監視線", "ＯＢＶ%s%s監視線",     "ＶＲ%s%s監視線",     "騰落Ｒ%s%s監視線"};
  static constexpr std::array<const char*, kPeriodCount> kPeriods = {"(日足)", "(週足)", "(月足)"};
  const char* op = line.monitorKind == kMonitorLower ? " <= " : " >= ";
  const char* format = kFormats[static_cast<size_t>(line.paneKind)];
  if (line.paneKind == kPaneCandles || line.paneKind == kPaneIchimoku) {
    snprintf(text, size, format, op);
    return;
  }
  const bool knownPeriod = line.period >= 0 && line.period < kPeriodCount;
  snprintf(text, size, format, knownPeriod ? kPeriods[static_cast<size_t>(line.period)] : "", op);
}

void FormatOrderOutcomeText(const OrderOutcome& outcome, const TrendLine& line, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  if (!outcome.attempted) return;
  if (outcome.orderNumber != 0) {
    snprintf(text, size, "自動発注：成功しました。注文番号：%d", outcome.orderNumber);
  } else if (line.autoOrderState == kAutoOrderReachedUnplaced) {
    snprintf(text, size, "%s", "自動発注：停止しました（RSS受信以外で到達したため）。");
  } else {
    snprintf(text, size, "%s", "自動発注：失敗しました。");
  }
}

// ---- Notices ----

void SetLineNoticeSink(LineNoticeSink* sink) { gNoticeSink = sink; }

int ListLineNotice(WindowHandle notice, int index) {
  if (FindEntry(notice) == nullptr) {
    auto& list = gListedNotices.size() < kMaxListedNotices ? gListedNotices : gUnlistedNotices;
    list.push_back({notice, index});
  }
  return static_cast<int>(gListedNotices.size());
}

void ForgetLineNotice(WindowHandle notice) {
  for (size_t i = 0; i < gListedNotices.size(); ++i) {
    if (gListedNotices[i].window != notice) continue;
    gListedNotices[i] = gListedNotices.back();
    gListedNotices.pop_back();
    return;
  }
  gUnlistedNotices.erase(std::remove_if(gUnlistedNotices.begin(), gUnlistedNotices.end(),
                                        [notice](const NoticeEntry& e) { return e.window == notice; }),
                         gUnlistedNotices.end());
}

int NoticeLineOf(WindowHandle notice) {
  const NoticeEntry* entry = FindEntry(notice);
  return entry != nullptr ? entry->line : -1;
}

WindowHandle FindLineNotice(int index) {
  for (const NoticeEntry& entry : gListedNotices)
    if (entry.line == index) return entry.window;
  return nullptr;
}

int LineNoticeCount() { return static_cast<int>(gListedNotices.size() + gUnlistedNotices.size()); }

void OnTrendLinesDeleted(const bool* removed, int oldCount) {
  std::vector<int> newIndex(static_cast<size_t>(std::max(oldCount, 0)), -1);
  int kept = 0;
  for (int i = 0; i < oldCount; ++i)
    if (!removed[i]) newIndex[static_cast<size_t>(i)] = kept++;
  std::vector<WindowHandle> closing;
  for (auto* list : {&gListedNotices, &gUnlistedNotices}) {
    for (NoticeEntry& entry : *list) {
      entry.line = entry.line >= 0 && entry.line < oldCount ? newIndex[static_cast<size_t>(entry.line)] : -1;
      if (entry.line < 0) closing.push_back(entry.window);
    }
  }
  CloseNotices(closing);
}

void OnTrendLinesReplaced() {
  std::vector<WindowHandle> closing;
  for (auto* list : {&gListedNotices, &gUnlistedNotices})
    for (const NoticeEntry& entry : *list) closing.push_back(entry.window);
  CloseNotices(closing);
}

void NextNoticePosition(int mainLeft, int mainTop, int* x, int* y) {
  if (gNoticeX == 0 || gNoticeY == 0) RememberNoticePosition(mainLeft + 50, mainTop + 50);
  *x = gNoticeX;
  *y = gNoticeY;
}

void RememberNoticePosition(int x, int y) {
  gNoticeX = x;
  gNoticeY = y;
}

NoticeButtons ComputeNoticeButtons(const ScreenPattern& pattern, int patternIndex, const TrendLine& line) {
  NoticeButtons buttons = {};
  buttons.checkedPattern = std::clamp(patternIndex, 0, kScreenPatternCount - 1);
  buttons.chartCount = std::clamp(pattern.chartCount, 1, kMaxChartsPerPattern);
  for (int s = 0; s < buttons.chartCount; ++s) {
    const ChartView& view = pattern.views[s];
    if (view.stockCode != line.code || view.period != line.period) continue;
    buttons.slotShown[s] = true;
    buttons.indicatorEnabled[s] = true;
    for (int p = 0; p < std::clamp(view.paneCount, 0, kMaxPanesPerChart); ++p) {
      if (static_cast<int>(view.paneKinds[p]) != line.paneKind) continue;
      const uint32_t flags = view.paneFlags[p];
      buttons.indicatorChecked[s] = PaneFlagsShowingWatchedLines(line.paneKind, line.watchedLines, flags) == flags;
      break;
    }
  }
  return buttons;
}

uint32_t PaneFlagsShowingWatchedLines(int paneKind, uint32_t watched, uint32_t paneFlags) {
  if (paneKind == kPaneVolume) return paneFlags | (watched >> 1 & 3u);
  if (WatchesVisibleLines(paneKind)) return paneFlags | (watched & kWatchedLineMask);
  return paneFlags;
}

// ---- Lines of a stock ----

ScopedStockLineIndex::ScopedStockLineIndex() { ++gStockLines.depth; }

ScopedStockLineIndex::~ScopedStockLineIndex() {
  if (--gStockLines.depth == 0) gStockLines = StockLineIndex{};
}

bool HasStockMonitorLine(StockCode code, int kind, int reached) {
  return AnyLineOfStock(code, [kind, reached](const TrendLine& line) {
    if (line.inRange == 0 || !IsMonitoringKind(line.monitorKind)) return false;
    if (kind != 0 && line.monitorKind != kind) return false;
    return reached < 0 || (line.reached != 0) == (reached != 0);
  });
}

void CountStockMonitorLines(StockCode code, bool dateLines, bool upperLines, bool lowerLines, int* lines,
                            int* reached) {
  *lines = 0;
  *reached = 0;
  AnyLineOfStock(code, [&](const TrendLine& line) {
    const bool watched = (line.monitorKind == kMonitorDate && dateLines) ||
                         (line.monitorKind == kMonitorUpper && upperLines) ||
                         (line.monitorKind == kMonitorLower && lowerLines);
    if (line.inRange != 0 && watched) {
      ++*lines;
      if (line.reached != 0) ++*reached;
    }
    return false;
  });
}
