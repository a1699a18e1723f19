#include "common/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "common/sjis_text.h"
#include "platform/platform.h"

namespace {

constexpr size_t kIntTextSize = 16;  // the out size promised by the header
constexpr int kThousandUnitId = 256;
constexpr int kMillionUnitId = 145;

// Writes prefix and digits to out, with a comma every three digits from the
// right; cut short (and terminated) when out is too small.
void WriteGroupedDigits(const char* prefix, const char* digits, char* out, size_t size) {
  if (size == 0) return;
  size_t n = 0;
  const auto put = [&](char c) {
    if (n + 1 < size) out[n++] = c;
  };
  for (const char* p = prefix; *p != 0; ++p) put(*p);
  size_t count = 0;
  while (digits[count] != 0) ++count;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) put(',');
    put(digits[i]);
  }
  out[n] = 0;
}

// |value| without overflow for INT_MIN.
uint32_t Magnitude(int value) { return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value); }

void FormatIntWithPrefix(const char* prefix, int value, char* out) {
  char digits[12];
  snprintf(digits, sizeof digits, "%u", Magnitude(value));
  WriteGroupedDigits(prefix, digits, out, kIntTextSize);
}

// FormatThousands(value) followed by the string-table unit text.
void FormatWithUnit(int value, int unitId, char* out) {
  char number[kIntTextSize];
  char unit[kIntTextSize];
  char text[2 * kIntTextSize];
  FormatThousands(value, number);
  PlatformLoadString(unitId, unit, sizeof unit);
  snprintf(text, sizeof text, "%s%s", number, unit);
  CopySjisText(out, text, static_cast<int>(kIntTextSize));
}

}  // namespace

void FormatThousands(int value, char* out) { FormatIntWithPrefix(value < 0 ? "-" : "", value, out); }

void FormatSignedThousands(int value, char* out) { FormatIntWithPrefix(value < 0 ? "-" : "+", value, out); }

// The backslash byte shows as the yen sign in the Shift-JIS code page.
void FormatYenThousands(int value, char* out) { FormatIntWithPrefix(value < 0 ? "-\\" : "\\", value, out); }

void FormatThousands64(int64_t value, char* out) {
  const uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char digits[24];
  snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(magnitude));
  WriteGroupedDigits(value < 0 ? "-" : "", digits, out, kInt64TextSize);
}

void FormatDoubleThousands(double value, char* out, size_t size) {
  if (size == 0) return;
  if (!std::isfinite(value)) value = 0.0;
  char rounded[400];  // "%.0f" of the largest double has 309 digits
  snprintf(rounded, sizeof rounded, "%.0f", std::fabs(value));
  // No "-0" for values that round to zero.
  const bool negative = value < 0.0 && !(rounded[0] == '0' && rounded[1] == 0);
  WriteGroupedDigits(negative ? "-" : "", rounded, out, size);
}

void FormatThousandsToFit(TextWidthFn measure, void* context, int value, char* out, int width) {
  FormatThousands(value, out);
  if (measure(context, out) <= width) return;
  FormatWithUnit(value / 1000, kThousandUnitId, out);
  if (measure(context, out) <= width) return;
  FormatWithUnit(value / 1000000, kMillionUnitId, out);
}

int ParseClampedInt(const char* text, int low, int high) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  const char* p = text;
  while (isBlank(*p)) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return low;
  int64_t value = 0;
  constexpr int64_t kBeyondInt = int64_t{1} << 32;  // enough to stay beyond any int bound
  for (; *p >= '0' && *p <= '9'; ++p) value = std::min<int64_t>(value * 10 + (*p - '0'), kBeyondInt);
  while (isBlank(*p)) ++p;
  if (*p != 0) return low;
  if (negative) value = -value;
  return static_cast<int>(std::clamp<int64_t>(value, low, high));
}
