#pragma once
// Stock codes: four ASCII characters packed into 32 bits, the first in the
// most significant byte ("1301" -> 0x31333031). Compared as signed values.
#include <cstdint>

using StockCode = uint32_t;

constexpr int kCanonicalIndexCount = 4;
constexpr int kIndexAliasCount = 8;

// Filled once at start-up by InitStockCodeGlobals; constants from then on.
extern StockCode gMinStockCode;                               // "0000"
extern StockCode gMaxStockCode;                               // "ZZZZ"
extern StockCode gCanonicalIndexCodes[kCanonicalIndexCount];  // "1001".."1004"
extern StockCode gIndexAliasCodes[kIndexAliasCount];
extern StockCode gFirstListIndexCode;  // "1050"
extern StockCode gReferenceIndexCode;  // "1001", the trading calendar

void InitStockCodeGlobals();

// Packs the first four bytes of a text; a text shorter than four bytes is
// padded with zero bytes. 0 for a null text.
StockCode StringToCode(const char* text);
// Writes the four characters and a terminating zero into `out` (5 bytes).
char* CodeToString(StockCode code, char out[5]);
// The shared static form; main thread only.
const char* CodeToString(StockCode code);
// Plain numbers below 10000 become their "%04d" code; others are returned as they are.
StockCode NumberToCode(int number);
bool IsStockCodeInRange(StockCode code);
// True when all four characters are digits or capital letters.
bool IsValidCodeText(StockCode code);
StockCode GetCanonicalIndexCode(StockCode code);
// Compares as signed 32-bit values (the table order).
constexpr bool CodeLess(StockCode a, StockCode b) { return static_cast<int32_t>(a) < static_cast<int32_t>(b); }
