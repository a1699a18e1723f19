#pragma once
// Reading comma- or TAB-separated fields out of a CR-terminated text buffer.
// The caller holds the read position; lines end with CR (LF converted first).
#include <cstddef>

#include "common/stock_code.h"

// The bytes stored in `out` (NUL bytes of the field included) are returned.
int ReadCsvField(const char* buffer, int length, int* position, char* out, int outSize);
StockCode ReadCsvCode(const char* buffer, int length, int* position);
int ReadCsvInt(const char* buffer, int length, int* position);
double ReadCsvDouble(const char* buffer, int length, int* position);
StockCode ReadCsvStockCode(const char* buffer, int length, int* position);
int SkipCsvLine(const char* buffer, int length, int* position);
void ConvertLfToCr(char* buffer, int length);
int CountTextLines(const char* buffer, int length);
// Comma-separated tokens as separately allocated texts; null when memory fails.
char** SplitTextToArray(const char* text, int* count);
void FreeBlockArray(char** array, int count);
