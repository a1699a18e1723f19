#include "common/stock_code.h"

#include <array>
#include <cstdio>

StockCode gMinStockCode = 0;
StockCode gMaxStockCode = 0;
StockCode gCanonicalIndexCodes[kCanonicalIndexCount] = {};
StockCode gIndexAliasCodes[kIndexAliasCount] = {};
StockCode gFirstListIndexCode = 0;
StockCode gReferenceIndexCode = 0;

namespace {

constexpr std::array<const char*, kCanonicalIndexCount> kCanonicalIndexTexts = {"1001", "1002", "1003", "1004"};
// Two aliases per index, in the order of the canonical codes.
constexpr std::array<const char*, kIndexAliasCount> kIndexAliasTexts = {"0101", "0000", "0201", "0010",
                                                                        "I010", "0106", "I011", "0107"};

constexpr bool IsCodeCharacter(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

}  // namespace

void InitStockCodeGlobals() {
  gMinStockCode = StringToCode("0000");
  gMaxStockCode = StringToCode("ZZZZ");
  for (int i = 0; i < kCanonicalIndexCount; ++i) {
    gCanonicalIndexCodes[i] = StringToCode(kCanonicalIndexTexts[i]);
  }
  for (int i = 0; i < kIndexAliasCount; ++i) {
    gIndexAliasCodes[i] = StringToCode(kIndexAliasTexts[i]);
  }
  gFirstListIndexCode = StringToCode("1050");
  gReferenceIndexCode = StringToCode("1001");
}

StockCode StringToCode(const char* text) {
  if (text == nullptr) return 0;
  StockCode code = 0;
  int i = 0;
  for (; i < 4 && text[i] != '\0'; ++i) code = (code << 8) | static_cast<uint8_t>(text[i]);
  for (; i < 4; ++i) code <<= 8;
  return code;
}

char* CodeToString(StockCode code, char out[5]) {
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
  }
  out[4] = '\0';
  return out;
}

const char* CodeToString(StockCode code) {
  static char text[5];
  return CodeToString(code, text);
}

StockCode NumberToCode(int number) {
  if (number >= 10000) return static_cast<StockCode>(number);
  char text[16];
  std::snprintf(text, sizeof text, "%04d", number);
  return StringToCode(text);
}

bool IsStockCodeInRange(StockCode code) { return !CodeLess(code, gMinStockCode) && !CodeLess(gMaxStockCode, code); }

bool IsValidCodeText(StockCode code) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (!IsCodeCharacter(static_cast<uint8_t>(code >> shift))) return false;
  }
  return true;
}

StockCode GetCanonicalIndexCode(StockCode code) {
  for (int i = 0; i < kIndexAliasCount; ++i) {
    if (gIndexAliasCodes[i] == code) return gCanonicalIndexCodes[i / 2];
  }
  return code;
}
