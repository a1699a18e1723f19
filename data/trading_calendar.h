#pragma once
// The trading calendar: the bar dates of the reference index "1001".
#include "records/price_series.h"

extern BarSeries* gTradingCalendar;

// Reads the daily file of "1001" raw into the calendar; the file error code.
int LoadTradingCalendar();
// The day after which time-back mode cuts every daily series: the calendar
// day at gTimeBackDayIndex (negative: the last day). 0 when the mode is off
// or the calendar is empty.
PackedDate GetTimeBackCutDate();
