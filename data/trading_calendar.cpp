#include "data/trading_calendar.h"

#include <algorithm>

#include "common/file_io.h"
#include "data/daily_files.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

BarSeries* gTradingCalendar = nullptr;

int LoadTradingCalendar() {
  MakeDataFolderCurrent();
  if (gTradingCalendar == nullptr) {
    gTradingCalendar = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
    if (gTradingCalendar == nullptr) return kErrorNotEnoughMemory;
  }
  gTradingCalendar->code = gReferenceIndexCode;
  gTradingCalendar->count = 0;
  char path[32];
  GetDailyFilePath(gReferenceIndexCode, path, sizeof path);
  return LoadDailyFileRaw(path, gTradingCalendar, sizeof(BarSeries));
}

PackedDate GetTimeBackCutDate() {
  if (gTimeBackMode == 0 || gTradingCalendar == nullptr) return 0;
  const int count = std::clamp(gTradingCalendar->count, 0, kMaxBars);
  if (count == 0) return 0;
  const int index = gTimeBackDayIndex < 0 ? count - 1 : std::min(gTimeBackDayIndex, count - 1);
  return gTradingCalendar->bars[index].date;
}
