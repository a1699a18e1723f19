#pragma once
// Typing a value for a horizontal trend line: which numbers the line's pane
// takes, how they are read and shown, and the change itself.
#include <cstddef>
#include <cstdint>

enum class TrendLineValueMode {
  kWhole,       // yen and volume
  kHundredths,  // every other pane: shown and typed with two decimals
};

struct TrendLineValueLimits {
  TrendLineValueMode mode;
  int32_t lower, upper;
};

constexpr int32_t kMaxTypedPrice = 1000000000;

// From the pane kind and the range the pane shows now: prices and volumes
// have fixed limits; bounded oscillators the pane's range; open-ended ones
// the pane's range widened to twice its size away from zero.
TrendLineValueLimits GetTrendLineValueLimits(int paneKind, int32_t paneMin, int32_t paneMax);
// The same for line `index`, from the selected chart pane when it shows the
// line, else from the first chart pane that does, else from the line's own values.
TrendLineValueLimits GetTrendLineValueLimitsForLine(int index);

// "1234", or "12.34" and "-0.50" for hundredths.
void FormatTrendLineValue(const TrendLineValueLimits& limits, int32_t value, char* out, size_t size);
// "有効範囲：1 ～ 1000000000".
void FormatTrendLineValueRange(const TrendLineValueLimits& limits, char* out, size_t size);
// A typed text as a whole number, or as a decimal times 100 truncated toward
// zero, kept within the limits. False for an empty text or one that is no number.
bool ParseTrendLineValue(const TrendLineValueLimits& limits, const char* text, int32_t* value);

// The number of lines the clean-up dialog is to remove, as typed: a whole
// number from 1 to `count`, in ASCII or full-width digits, blanks and digit
// group commas ignored. False for anything else, which the dialog refuses.
bool ParseTrimCount(const char* text, int count, int* n);

// Line `index` becomes horizontal at `value`; on a price pane the value is
// first kept within 1..1000000000 and moved to the nearest tick of its stock.
void CommitTrendLineValue(int index, int32_t value);
