#include "common/text_fields.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFieldTextSize = 256;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal integer like atoi, but saturating instead of overflowing.
int ParseDecimalInt(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  int64_t value = 0;
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

const char* SkipDigits(const char* p) {
  while (IsDigit(*p)) ++p;
  return p;
}

// Length of the plain decimal number at the start of text (sign, digits,
// fraction, exponent); hexadecimal, "inf" and "nan" are not numbers here.
size_t MeasureDecimalNumber(const char* text) {
  const char* p = text;
  if (*p == '+' || *p == '-') ++p;
  const char* digits = p;
  p = SkipDigits(p);
  bool anyDigit = p != digits;
  if (*p == '.') {
    const char* end = SkipDigits(p + 1);
    if (anyDigit || end != p + 1) {
      p = end;
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    const char* end = SkipDigits(q);
    if (end != q) p = end;
  }
  return static_cast<size_t>(p - text);
}

double ParseDecimalDouble(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  const size_t length = MeasureDecimalNumber(p);
  if (length == 0) return 0.0;
  char number[kFieldTextSize];
  std::memcpy(number, p, length);
  number[length] = '\0';
  return std::strtod(number, nullptr);
}

bool IsInside(int position, int length) { return position >= 0 && position < length; }

// Calls fn(begin, end) for each non-empty comma-separated token of text.
template <typename Fn>
bool ForEachToken(const char* text, Fn fn) {
  const char* p = text;
  while (*p != '\0') {
    while (*p == ',') ++p;
    if (*p == '\0') break;
    const char* begin = p;
    while (*p != '\0' && *p != ',') ++p;
    if (!fn(begin, p)) return false;
  }
  return true;
}

}  // namespace

int ReadCsvField(const char* buffer, int length, int* position, char* out, int outSize) {
  const int capacity = (out != nullptr && outSize > 0) ? outSize - 1 : -1;
  if (capacity >= 0) out[0] = '\0';
  if (buffer == nullptr || position == nullptr || !IsInside(*position, length)) return 0;

  int stored = 0;
  int i = *position;
  for (; i < length; ++i) {
    const char c = buffer[i];
    if (c == ',' || c == '\t') {
      ++i;
      break;
    }
    if (c == '\r') break;  // the line end is left for SkipCsvLine
    if (stored < capacity) out[stored++] = c;
  }
  *position = i;
  if (capacity >= 0) out[stored] = '\0';
  return stored;
}

StockCode ReadCsvCode(const char* buffer, int length, int* position) {
  char text[kFieldTextSize];
  ReadCsvField(buffer, length, position, text, sizeof text);
  return StringToCode(text);
}

int ReadCsvInt(const char* buffer, int length, int* position) {
  char text[kFieldTextSize];
  ReadCsvField(buffer, length, position, text, sizeof text);
  return ParseDecimalInt(text);
}

double ReadCsvDouble(const char* buffer, int length, int* position) {
  char text[kFieldTextSize];
  ReadCsvField(buffer, length, position, text, sizeof text);
  return ParseDecimalDouble(text);
}

// Index entries of the lists are written "I<number>".
StockCode ReadCsvStockCode(const char* buffer, int length, int* position) {
  if (buffer == nullptr || position == nullptr || !IsInside(*position, length) || buffer[*position] != 'I') {
    return ReadCsvCode(buffer, length, position);
  }
  ++*position;
  char text[kFieldTextSize];
  ReadCsvField(buffer, length, position, text, sizeof text);
  const int n = ParseDecimalInt(text);
  if (n == 1) return gFirstListIndexCode;
  if (n >= 101 && n <= 148) return NumberToCode(n + 950);
  if (std::strncmp(text, "010", 3) == 0) return gCanonicalIndexCodes[2];
  if (std::strncmp(text, "011", 3) == 0) return gCanonicalIndexCodes[3];
  return 0xFFFFFFFFu;
}

int SkipCsvLine(const char* buffer, int length, int* position) {
  if (position == nullptr) return -1;
  int next = -1;
  if (buffer != nullptr && IsInside(*position, length)) {
    const size_t rest = static_cast<size_t>(length - *position);
    const void* found = std::memchr(buffer + *position, '\r', rest);
    if (found != nullptr) {
      next = static_cast<int>(static_cast<const char*>(found) - buffer) + 1;
      if (next < length && buffer[next] == '\n') ++next;
      if (next >= length) next = -1;
    }
  }
  *position = next;
  return next;
}

void ConvertLfToCr(char* buffer, int length) {
  if (buffer == nullptr) return;
  for (int i = 0; i < length; ++i) {
    if (buffer[i] == '\n') buffer[i] = '\r';
  }
}

int CountTextLines(const char* buffer, int length) {
  int lines = 1;
  if (buffer == nullptr) return lines;
  for (int i = 0; i < length; ++i) {
    if (buffer[i] == '\r') ++lines;
  }
  return lines;
}

char** SplitTextToArray(const char* text, int* count) {
  if (count != nullptr) *count = 0;
  if (text == nullptr) text = "";

  int tokens = 0;
  ForEachToken(text, [&](const char*, const char*) {
    ++tokens;
    return true;
  });

  // At least one entry so that an empty result is not mistaken for a failure.
  const size_t entries = static_cast<size_t>(tokens > 0 ? tokens : 1);
  char** array = static_cast<char**>(std::malloc(sizeof(char*) * entries));
  if (array == nullptr) return nullptr;
  int made = 0;
  const bool complete = ForEachToken(text, [&](const char* begin, const char* end) {
    const size_t size = static_cast<size_t>(end - begin);
    char* block = static_cast<char*>(std::calloc(size + 1, 1));
    if (block == nullptr) return false;
    std::memcpy(block, begin, size);
    array[made++] = block;
    return true;
  });
  if (!complete) {
    FreeBlockArray(array, made);
    return nullptr;
  }
  if (count != nullptr) *count = made;
  return array;
}

void FreeBlockArray(char** array, int count) {
  if (array == nullptr) return;
  for (int i = 0; i < count; ++i) std::free(array[i]);
  std::free(array);
}
