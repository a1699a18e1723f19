#include "chart/trend_line_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/trend_line_store.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_selection.h"
#include "chart/chart_text.h"
#include "chart/screen_pattern.h"
#include "common/sjis_text.h"
#include "data/stock_table.h"

namespace {

constexpr int32_t kPercentFull = 10000;
// Typed decimals are truncated toward zero: a product such as 0.29 x 100
// comes out a hair below 29, which must still read as 29.
constexpr double kDecimalNudge = 1e-7;
constexpr double kLargestTypedNumber = 1e15;

int32_t ToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool IsPricePane(int kind) { return kind == kPaneCandles || kind == kPaneIchimoku; }

// The lowest and highest number a pane of this kind can show, for a line
// that no chart shows now.
void FallbackPaneRange(int kind, const TrendLine& line, int32_t* paneMin, int32_t* paneMax) {
  switch (kind) {
    case kPaneRsi:
    case kPaneStochastics:
    case kPanePsychological: *paneMin = 0, *paneMax = kPercentFull; return;
    case kPaneRci: *paneMin = -kPercentFull, *paneMax = kPercentFull; return;
    default: *paneMin = std::min(line.value1, line.value2), *paneMax = std::max(line.value1, line.value2); return;
  }
}

bool ShowsLine(const ChartView& view, int pane, const TrendLine& line) {
  return pane >= 0 && pane < std::min<int>(view.paneCount, kMaxPanesPerChart) && view.stockCode == line.code &&
         GetViewPeriod(view) == line.period && TrendLineFitsPane(static_cast<int>(view.paneKinds[pane]), line.paneKind);
}

// The chart pane the line was picked in: the selected one when it shows the line.
bool FindPaneShowingLine(const TrendLine& line, int* chart, int* pane) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  const int charts = ShownChartCount();
  if (gSelectedChart >= 0 && gSelectedChart < charts && ShowsLine(pattern.views[gSelectedChart], gSelectedPane, line)) {
    *chart = gSelectedChart;
    *pane = gSelectedPane;
    return true;
  }
  for (int c = 0; c < charts; ++c) {
    for (int p = 0; p < pattern.views[c].paneCount && p < kMaxPanesPerChart; ++p) {
      if (!ShowsLine(pattern.views[c], p, line)) continue;
      *chart = c;
      *pane = p;
      return true;
    }
  }
  return false;
}

std::string WithoutBlanksAndSeparators(const char* text) {
  std::string cleaned;
  for (const char* c = text; *c != 0; ++c) {
    if (*c != ' ' && *c != '\t' && *c != ',') cleaned += *c;
  }
  return cleaned;
}

// A whole number; a fraction after it is dropped, as a whole-number field would.
bool ReadWholeNumber(const std::string& text, int64_t* value) {
  char* end = nullptr;
  const long long number = strtoll(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  if (*end == '.') {
    for (++end; *end >= '0' && *end <= '9'; ++end) continue;
  }
  if (*end != 0) return false;
  *value = number;
  return true;
}

bool ReadHundredths(const std::string& text, int64_t* value) {
  char* end = nullptr;
  const double number = strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != 0 || !std::isfinite(number)) return false;
  const double scaled = std::clamp(number, -kLargestTypedNumber, kLargestTypedNumber) * 100.0;
  *value = static_cast<int64_t>(std::trunc(scaled + std::copysign(kDecimalNudge, scaled)));
  return true;
}

constexpr int kMaxTrimDigits = 9;  // below INT32_MAX whatever they are
constexpr uint8_t kIdeographicSpace[2] = {0x81, 0x40};

// The digits of a typed count, full-width ones made ASCII; false when the
// text holds anything but digits, blanks and commas.
bool TrimCountDigits(const char* text, std::string* digits) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t i = 0; bytes[i] != 0;) {
    const uint8_t c = bytes[i];
    if (IsSjisLeadByte(c)) {
      if (bytes[i + 1] == 0) return false;
      const char ascii = FullWidthToAscii(c, bytes[i + 1]);
      const bool blank = c == kIdeographicSpace[0] && bytes[i + 1] == kIdeographicSpace[1];
      if (!blank && !IsDigitChar(static_cast<uint8_t>(ascii))) return false;
      if (!blank) *digits += ascii;
      i += 2;
      continue;
    }
    if (IsDigitChar(c)) {
      *digits += static_cast<char>(c);
    } else if (c != ' ' && c != '\t' && c != ',') {
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

TrendLineValueLimits GetTrendLineValueLimits(int paneKind, int32_t paneMin, int32_t paneMax) {
  const int64_t m = std::min(paneMin, paneMax);
  const int64_t top = std::max(paneMin, paneMax);
  switch (paneKind) {
    case kPaneCandles:
    case kPaneIchimoku: return {TrendLineValueMode::kWhole, 1, kMaxTypedPrice};
    case kPaneVolume: return {TrendLineValueMode::kWhole, 0, kMaxTypedPrice};
    case kPaneRsi:
    case kPaneRci:
    case kPaneStochastics:
    case kPaneDmi:
    case kPanePsychological: return {TrendLineValueMode::kHundredths, ToInt32(m), ToInt32(top)};
    default: {
      const int64_t lower = m < 1 ? 2 * m : -m;
      const int64_t upper = top < 0 ? -top : 2 * top;
      return {TrendLineValueMode::kHundredths, ToInt32(std::min(lower, upper)), ToInt32(std::max(lower, upper))};
    }
  }
}

TrendLineValueLimits GetTrendLineValueLimitsForLine(int index) {
  if (!IsTrendLineIndex(index)) return GetTrendLineValueLimits(kPaneCandles, 0, 0);
  const TrendLine& line = gTrendLines->lines[index];
  int chart = -1, pane = -1;
  int32_t paneMin = 0, paneMax = 0;
  if (FindPaneShowingLine(line, &chart, &pane)) {
    paneMin = gChartContexts[chart].panes[pane].minValue;
    paneMax = gChartContexts[chart].panes[pane].maxValue;
  } else {
    FallbackPaneRange(line.paneKind, line, &paneMin, &paneMax);
  }
  return GetTrendLineValueLimits(line.paneKind, paneMin, paneMax);
}

void FormatTrendLineValue(const TrendLineValueLimits& limits, int32_t value, char* out, size_t size) {
  if (size == 0) return;
  if (limits.mode == TrendLineValueMode::kWhole) {
    snprintf(out, size, "%d", value);
    return;
  }
  char fixed[kFixed2TextSize];
  FormatFixed2(value, fixed);
  snprintf(out, size, "%s", fixed);
}

void FormatTrendLineValueRange(const TrendLineValueLimits& limits, char* out, size_t size) {
  char lower[kFixed2TextSize];
  char upper[kFixed2TextSize];
  FormatTrendLineValue(limits, limits.lower, lower, sizeof lower);
  FormatTrendLineValue(limits, limits.upper, upper, sizeof upper);
  snprintf(out, size, "有効範囲：%s ～ %s", lower, upper);
}

bool ParseTrendLineValue(const TrendLineValueLimits& limits, const char* text, int32_t* value) {
  const std::string cleaned = WithoutBlanksAndSeparators(text != nullptr ? text : "");
  if (cleaned.empty()) return false;
  int64_t number = 0;
  const bool read =
      limits.mode == TrendLineValueMode::kWhole ? ReadWholeNumber(cleaned, &number) : ReadHundredths(cleaned, &number);
  if (!read) return false;
  *value = static_cast<int32_t>(std::clamp<int64_t>(number, limits.lower, limits.upper));
  return true;
}

void CommitTrendLineValue(int index, int32_t value) {
  if (!IsTrendLineIndex(index)) return;
  const TrendLine& line = gTrendLines->lines[index];
  if (IsPricePane(line.paneKind)) {
    value = RoundToNearestTick(FindStockIndexByCode(line.code), std::clamp(value, 1, kMaxTypedPrice));
  }
  SetTrendLineValue(index, value);
}

bool ParseTrimCount(const char* text, int count, int* n) {
  std::string digits;
  if (text == nullptr || !TrimCountDigits(text, &digits) || digits.empty()) return false;
  const size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos && digits.size() - first > kMaxTrimDigits) return false;
  const long value = first == std::string::npos ? 0 : strtol(digits.c_str() + first, nullptr, 10);
  if (value < 1 || value > count) return false;
  *n = static_cast<int>(value);
  return true;
}
