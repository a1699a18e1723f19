#include "chart/chart_caption.h"

#include <cstdio>
#include <cstring>

#include "common/sjis_text.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

namespace {

constexpr int kWorkSize = 512;  // far more than any caption needs

const char* StockDisplayName(const StockMasterRecord& master, int* length) {
  const char* name = gShowShortNames != 0 ? master.shortName : master.name;
  const size_t size = gShowShortNames != 0 ? sizeof master.shortName : sizeof master.name;
  *length = static_cast<int>(strnlen(name, size));
  return name;
}

void FormatMarketText(const StockRecord& stock, char* out, size_t size) {
  const int market = stock.master.marketId;
  const char* name = market < kMarketNameCount ? gMarketNames[market] : "";
  const int length = static_cast<int>(strnlen(name, kMarketNameSize));
  if ((stock.flags & kStockFlagIndexWeight) != 0) {
    snprintf(out, size, "%.*s(T5)", length, name);
  } else {
    snprintf(out, size, "%.*s", length, name);
  }
}

void FormatCaptionSuffix(const StockRecord& stock, bool forecastShown, char* out, size_t size) {
  if (forecastShown) {
    snprintf(out, size, " 予想 ");
  } else if (stock.liveTime == kLiveTimeFinished) {
    snprintf(out, size, " 確定 ");
  } else {
    snprintf(out, size, " %02d:%02d:%02d ", static_cast<int>((stock.liveTime >> 16) & 0xFF),
             static_cast<int>((stock.liveTime >> 8) & 0xFF), static_cast<int>(stock.liveTime & 0xFF));
  }
}

}  // namespace

void FormatChartCaption(int stockIndex, int period, bool forecastShown, char* out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  if (gStockTable == nullptr || stockIndex < 0 || stockIndex >= gStockTable->count) return;
  const StockRecord& stock = gStockTable->records[stockIndex];
  char code[5];
  char market[kMarketNameSize + 8];
  char suffix[32];
  int nameLength = 0;
  const char* name = StockDisplayName(stock.master, &nameLength);
  FormatMarketText(stock, market, sizeof market);
  FormatCaptionSuffix(stock, forecastShown, suffix, sizeof suffix);
  const char* periodName = period >= 0 && period <= 2 ? gPeriodNames[period] : "";
  char text[kWorkSize];
  snprintf(text, sizeof text, "%s %.*s (%.*s) - %s - %d株単位 %d/%d/%d %s", CodeToString(stock.master.code, code),
           nameLength, name, static_cast<int>(strnlen(periodName, sizeof gPeriodNames[0])), periodName, market,
           static_cast<int>(stock.master.tradingUnit), PackedYear(stock.lastDate), PackedMonth(stock.lastDate),
           PackedDay(stock.lastDate), suffix);
  CopySjisText(out, text, size);
}
