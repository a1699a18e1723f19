#pragma once
// Which indicator series a condition item is read from: the mapping that
// fills a signal file's SeriesUseFlags on export and the back-test's
// gNeededSeries, so that loading programs compute only those series.
#include <cstdint>

#include "analysis/signal_settings.h"

// The SeriesUseFlags entry an item index (0..90) needs; -1 for none.
int SeriesUseEntryOfItem(int index);
// Sets the entry a code needs in the flags of its period (daily, weekly,
// monthly); special codes and codes past the last slot set nothing. With
// `periods` the period's flag is set too.
void MarkSeriesUsedByItem(SeriesUseFlags (&flags)[3], int code, int32_t* periods = nullptr);
// The file's three SeriesUseFlags from the terms of its definitions: the
// left item of every term, and the right one when the left is no special code.
void ComputeSignalFileSeriesUse(SignalSettingsFile& file);
