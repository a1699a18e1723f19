#pragma once
// Numbers as display text with thousands separators.
#include <cstddef>
#include <cstdint>

// Out texts need at least 16 bytes.
void FormatThousands(int value, char* out);
void FormatSignedThousands(int value, char* out);
void FormatYenThousands(int value, char* out);
// Amounts beyond 32 bits (shares times prices); out needs at least 28 bytes.
constexpr size_t kInt64TextSize = 28;
void FormatThousands64(int64_t value, char* out);
// The value rounded to a whole number, with separators; `size` bytes of out.
void FormatDoubleThousands(double value, char* out, size_t size);
// Measures a text in the caller's font; returns its width in pixels.
using TextWidthFn = int (*)(void* context, const char* text);
// The value with separators, or in thousands ("千") or millions ("百万") when
// it does not fit the width.
void FormatThousandsToFit(TextWidthFn measure, void* context, int value, char* out, int width);
// A typed whole number (blanks around it, a sign) put within low..high; a text
// that is no number, the empty one among them, gives low.
int ParseClampedInt(const char* text, int low, int high);
