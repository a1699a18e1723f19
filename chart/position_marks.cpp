#include "chart/position_marks.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_text.h"
#include "common/number_text.h"
#include "data/stock_table.h"
#include "records/palette_slots.h"

namespace {

constexpr int kDefaultLineWidth = 2;
constexpr int kMeasureGap = 8;            // from the line's middle to the text
constexpr int kHorizontalMeasureGap = 6;  // above or below a horizontal line
constexpr int kEdgeMargin = 4;            // kept from the left, top and right edges
constexpr int kBottomMargin = 2;
constexpr int kDateGap = 2;  // between a vertical line's end and its date

int TableCount() { return gTrendLines != nullptr ? std::clamp(gTrendLines->count, 0, kMaxTrendLines) : 0; }

bool IsBuyStep(const TrendLine& line) { return line.buyRole > 0; }
bool IsShortStep(const TrendLine& line) { return line.shortRole > 0; }
bool IsTrackerLine(const TrendLine& line) { return line.buyRole != 0 || line.shortRole != 0; }
bool IsPricePaneKind(int kind) { return kind == kPaneCandles || kind == kPaneIchimoku; }

// Hundredths as "%d.%02d", the sign kept for values between -1 and 0; 64-bit
// so that percentages of huge changes still print.
void FormatFixed2Of64(int64_t value, char* out, size_t size) {
  const uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  snprintf(out, size, "%s%" PRIu64 ".%02d", value < 0 ? "-" : "", magnitude / 100, static_cast<int>(magnitude % 100));
}

void FormatSigned64(int64_t value, char* out) {
  char digits[kInt64TextSize];
  FormatThousands64(value, digits);
  snprintf(out, kInt64TextSize + 1, "%s%s", value >= 0 ? "+" : "", digits);
}

// Appends " / " before every part but the first.
void AppendPart(char* out, size_t size, const char* part) {
  const size_t used = strnlen(out, size);
  if (used + 1 >= size) return;
  snprintf(out + used, size - used, "%s%s", used > 0 ? " / " : "", part);
}

const char* OrderPrefix(const TrendLine& line, bool live, bool autoOrderOn) {
  if (!live || !IsArmedTrackerStep(line)) return "";
  return autoOrderOn ? "[自]" : "[停]";
}

void FormatPriceLabel(const TrendLine& line, bool live, bool autoOrderOn, const PellomaticSummary& summary, char* out,
                      size_t size) {
  char price[16];
  FormatThousands(line.value2, price);
  const char* prefix = OrderPrefix(line, live, autoOrderOn);
  char shares[kInt64TextSize];
  if (IsBuyStep(line)) {
    FormatThousands(line.buyShares, shares);
    snprintf(out, size, "%s %s買%d(%s株)", price, prefix, line.buyRole, shares);
  } else if (line.buyRole == kTrackerCloseLine || line.buyRole == kTrackerStopLossLine) {
    FormatThousands64(summary.buySide.totalShares, shares);
    snprintf(out, size, "%s %s%s(%s株)", price, prefix, line.buyRole == kTrackerCloseLine ? "売" : "損切", shares);
  } else if (IsShortStep(line)) {
    FormatThousands(line.shortShares, shares);
    snprintf(out, size, "%s %s空売%d(%s株)", price, prefix, line.shortRole, shares);
  } else if (line.shortRole == kTrackerCloseLine || line.shortRole == kTrackerStopLossLine) {
    FormatThousands64(summary.shortSide.totalShares, shares);
    snprintf(out, size, "%s %s%s(%s株)", price, prefix, line.shortRole == kTrackerCloseLine ? "買戻" : "損切", shares);
  } else {
    snprintf(out, size, "%s", price);
  }
}

}  // namespace

// ---- The lines of one chart paint ---------------------------------------------

void CollectChartLines(const ChartView& view, const ChartContext& context, int first, int last, ChartLineSet* set) {
  set->code = view.stockCode;
  set->period = GetViewPeriod(view);
  set->count = 0;
  const BarSeries* bars = GetViewBarSeries(view, context);
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  set->usable = gTrendLines != nullptr && stockIndex >= 0 && bars != nullptr && bars->count >= 2;
  if (!set->usable) return;
  set->firstDate = DateOfBarIndex(view, context, first);
  set->lastDate = DateOfBarIndex(view, context, last);
  set->stockLastDate = StockRecordAt(stockIndex)->lastDate;
  // The one walk of the table for this chart: only the code is read of the other stocks' lines.
  const int count = TableCount();
  const TrendLine* lines = gTrendLines->lines;
  for (int i = 0; i < count; ++i) {
    if (lines[i].code == set->code) set->lines[static_cast<size_t>(set->count++)] = i;
  }
  const TrendLine* drawn = ChartSetLine(count);
  if (drawn != nullptr && drawn->code == set->code) set->lines[static_cast<size_t>(set->count++)] = count;
}

const TrendLine* ChartSetLine(int index) {
  const int count = TableCount();
  if (index < 0 || index > count || index >= kMaxTrendLines) return nullptr;
  if (index == count && gTrendLineBeingDrawn == 0) return nullptr;
  return &gTrendLines->lines[index];
}

bool PaneShowsLine(const ChartLineSet& set, const TrendLine& line, int paneKind) {
  return set.usable && line.code == set.code && line.period == set.period &&
         TrendLineFitsPane(paneKind, line.paneKind) && std::max(line.date1, line.date2) >= set.firstDate &&
         std::min(line.date1, line.date2) <= set.lastDate;
}

// ---- Colours, live lines and blinking -------------------------------------------

LineMarkColors GetLineMarkColors(const TrendLine& line, bool rubberBand, bool live) {
  if (rubberBand) return {kColorMeasureLine, kColorNumberEven};
  if (line.marked != 0) return {kColorSelection, kColorNumberEven};
  if (live) return {kColorMonitorLine, kColorNumberEven};
  if (IsBuyStep(line) || line.shortRole == kTrackerCloseLine) return {kColorShortBuyMark, kColorShortBuyMark};
  if (IsShortStep(line) || line.buyRole == kTrackerCloseLine) return {kColorShortSellMark, kColorShortSellMark};
  if (line.buyRole == kTrackerStopLossLine || line.shortRole == kTrackerStopLossLine) {
    return {kColorNumberEven, kColorNumberEven};
  }
  return {kColorTrendLine, kColorNumberEven};
}

bool IsLiveMonitorLine(const TrendLine& line, bool verticalOnScreen, PackedDate stockLastDate) {
  if (line.monitorKind == kMonitorLower || line.monitorKind == kMonitorUpper) {
    return !verticalOnScreen && std::max(line.date1, line.date2) >= stockLastDate;
  }
  return line.monitorKind == kMonitorDate && verticalOnScreen;
}

bool IsArmedTrackerStep(const TrendLine& line) {
  return (IsBuyStep(line) || IsShortStep(line)) && line.autoOrderState == kAutoOrderArmed;
}

bool IsHiddenByBlink(const TrendLine& line, bool pricePane, bool live, bool autoOrderOn, int blinkPhase) {
  return pricePane && live && autoOrderOn && IsArmedTrackerStep(line) && blinkPhase == 0;
}

int ShownLineWidth(const TrendLine& line) { return line.width > 0 ? std::min(line.width, 16) : kDefaultLineWidth; }

// ---- Texts --------------------------------------------------------------------

void FormatLineValueLabel(const TrendLine& line, int paneKind, bool live, bool autoOrderOn,
                          const PellomaticSummary& summary, char* out, size_t size) {
  if (IsPricePaneKind(paneKind)) {
    FormatPriceLabel(line, live, autoOrderOn, summary, out, size);
  } else if (paneKind == kPaneVolume) {
    char value[16];
    FormatThousands(line.value2, value);
    snprintf(out, size, "%s", value);
  } else {
    char value[kFixed2TextSize];
    FormatFixed2(line.value2, value);
    snprintf(out, size, "%s", value);
  }
}

ProfitPlace FormatProfitText(const TrendLine& line, const PellomaticSummary& summary, char* out, size_t size) {
  if (size > 0) out[0] = '\0';
  const int64_t price = line.value2;
  int64_t profit = 0;
  ProfitPlace place = ProfitPlace::kNone;
  if (line.buyRole == kTrackerCloseLine || line.buyRole == kTrackerStopLossLine) {
    profit = price * summary.buySide.totalShares - summary.buySide.totalAmount;
    place = line.buyRole == kTrackerCloseLine ? ProfitPlace::kAbove : ProfitPlace::kBelow;
  } else if (line.shortRole == kTrackerCloseLine || line.shortRole == kTrackerStopLossLine) {
    profit = summary.shortSide.totalAmount - price * summary.shortSide.totalShares;
    place = line.shortRole == kTrackerStopLossLine ? ProfitPlace::kAbove : ProfitPlace::kBelow;
  }
  if (place == ProfitPlace::kNone) return place;
  char amount[kInt64TextSize + 1];
  FormatSigned64(profit, amount);
  snprintf(out, size, "損益 %s円", amount);
  return place;
}

void FormatVerticalLineDate(const TrendLine& line, char* out, size_t size) {
  snprintf(out, size, "%d/%d/%d", PackedYear(line.date1), PackedMonth(line.date1), PackedDay(line.date1));
}

void FormatMeasuringText(const TrendLine& line, int paneKind, int period, int bars, char* out, size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  char part[40];
  if (bars != 0) {
    snprintf(part, sizeof part, "%d", bars);
    AppendPeriodUnit(part, sizeof part, period);
    AppendPart(out, size, part);
  }
  const int64_t difference = int64_t{line.value2} - line.value1;
  if (difference != 0) {
    if (IsPricePaneKind(paneKind) || paneKind == kPaneVolume) {
      char number[kInt64TextSize];
      FormatThousands64(difference, number);
      snprintf(part, sizeof part, "%s%s", number, paneKind == kPaneVolume ? "株" : "円");
    } else {
      char number[kInt64TextSize];
      FormatFixed2Of64(difference, number, sizeof number);
      snprintf(part, sizeof part, "%sPts", number);
    }
    AppendPart(out, size, part);
  }
  if (line.value1 != 0) {
    char number[kInt64TextSize];
    FormatFixed2Of64(difference * 10000 / line.value1, number, sizeof number);
    snprintf(part, sizeof part, "%s%%", number);
    AppendPart(out, size, part);
  }
}

Rect PlaceMeasuringText(const Rect& pane, const TrendLine& line, int x1, int y1, int x2, int y2, int width,
                        int height) {
  const int midX = static_cast<int>((int64_t{x1} + x2) / 2);
  const int midY = static_cast<int>((int64_t{y1} + y2) / 2);
  const int left = midX + kMeasureGap;
  int top = midY - height;  // just above the middle
  if (y1 == y2) {
    if (line.monitorKind == kMonitorUpper) {
      top = midY - kHorizontalMeasureGap - height;
    } else if (line.monitorKind == kMonitorLower || IsTrackerLine(line)) {
      top = midY + kHorizontalMeasureGap;
    }
  } else if (x1 == x2) {
    top = midY - height / 2;
  } else if (y2 < y1) {  // rising: the room is below the middle
    top = midY;
  }
  Rect r = {left, top, left + width, top + height};
  const Rect area = MarkTextArea(pane);
  if (r.right > area.right || r.bottom > area.bottom) {
    r = {2 * midX - r.right, 2 * midY - r.bottom, 2 * midX - r.left, 2 * midY - r.top};
  }
  return MoveRectInside(area, r);
}

Rect MarkTextArea(const Rect& pane) {
  return {pane.left + kEdgeMargin, pane.top + kEdgeMargin, pane.right - kEdgeMargin, pane.bottom - kBottomMargin};
}

Rect PlaceMarkLabel(const Rect& pane, int anchorX, int anchorY, PixelPoint at, int width, int height) {
  const Rect r = {at.x, at.y, at.x + width, at.y + height};
  return RectContains(pane, anchorX, anchorY) ? MoveRectInside(MarkTextArea(pane), r) : r;
}

Rect PlaceVerticalLineDate(const Rect& pane, int x, int yTop, int yBottom, bool below, int width, int height) {
  const int top = below ? yBottom + kDateGap : yTop - kDateGap - height;
  return PlaceMarkLabel(pane, x, below ? yBottom : yTop, {x - width / 2, top}, width, height);
}
