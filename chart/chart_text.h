#pragma once
// Number and unit texts of the chart painters, and the geometry of their
// small marks, without a device.
#include <cstdint>

#include "chart/gdi_rules.h"

constexpr int kFixed2TextSize = 16;  // "-21474836.48" and its end

// Unit words of the view periods 0, 1, 2.
extern char gDayUnitText[8];
extern char gWeekUnitText[8];
extern char gMonthUnitText[8];

// Hundredths as "%d.%02d"; values between -99 and -1 keep their sign ("-0.05").
// `out` holds kFixed2TextSize bytes.
void FormatFixed2(int32_t value, char* out);
// Append to a text of `size` bytes; a text that would not fit is cut.
void AppendIntText(char* text, int size, int value);
void AppendPeriodUnit(char* text, int size, int period);

// Adds `amount` to red, green and blue, each kept within 0..255.
uint32_t LightenColor(uint32_t color, int amount);

// Crosses along a line: both end points and, from 64 pixels on, d/32 - 1
// evenly spaced points between them (d the distance).
int CountCrossTrailPoints(int x1, int y1, int x2, int y2);
// Point k of the trail (0 and the count - 1 are the end points).
PixelPoint GetCrossTrailPoint(int x1, int y1, int x2, int y2, int k);
// The points first..last of the trail are the only ones whose cross may
// reach into `area`; numbered along the whole trail, so that a line far
// longer than its pane costs a few crosses and keeps them where they were.
// False when no cross can reach the area.
bool GetCrossTrailRange(int x1, int y1, int x2, int y2, const Rect& area, int* first, int* last);
// The 3 x 3 cross at p has a pixel in `area`.
bool CrossTouchesRect(const Rect& area, PixelPoint p);

// Corners of a triangle mark in its rectangle, pointing down or up.
void GetTriangleMarkPoints(const Rect& rect, bool down, PixelPoint points[3]);
