#pragma once
// Where a printed or previewed chart picture goes, and the print job's name.
#include <cstdint>

#include "chart/gdi_rules.h"
#include "chart/screen_pattern.h"
#include "records/printer_settings.h"

constexpr int kPrintJobNameSize = 256;  // with its terminating zero

// The printer's area (0, 0, horzRes, vertRes) inset by the page setup's
// margins in proportion to its paper size; the whole area without a paper size.
Rect PrintableArea(const PageSetupImage& pageSetup, int horzRes, int vertRes);
// A picture of frameWidth x frameHeight scaled to fit `area` with its aspect
// kept, centred; false (nothing to draw) when the picture or the area is empty.
bool FitPictureInArea(int64_t frameWidth, int64_t frameHeight, const Rect& area, Rect* target);

// One chart in a job name: "code name (period) - market -".
struct PrintJobChart {
  const char* code;
  const char* name;
  int nameSize;  // the name's field; it need not end within it
  const char* period;
  const char* market;
};
// The pattern's menu text up to its first control character, "【", each
// chart, "】"; cut at a whole character to fit `size` bytes with the zero.
void BuildPrintJobName(const char* menuText, const PrintJobChart* charts, int count, char* out, int size);
// The same for the charts of `pattern` whose stocks are in the stock table.
void BuildPatternJobName(const char* menuText, const ScreenPattern& pattern, char* out, int size);
