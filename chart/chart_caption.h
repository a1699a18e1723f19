#pragma once
// The text of a chart's caption row (Shift-JIS).

constexpr int kChartCaptionSize = 256;

// "<code> <name> (<period>) - <market>[(T5)] - <unit>株単位 <y>/<m>/<d> " and
// " 予想 " (forecast shown), " 確定 " (the last bar is a finished day) or the
// live update time " hh:mm:ss ". Empty for a stock not in the table. Never
// longer than size - 1 bytes and never cut inside a character.
void FormatChartCaption(int stockIndex, int period, bool forecastShown, char* out, int size);
