#include "data/vendor_price_text.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/progress.h"
#include "common/text_fields.h"

namespace {

constexpr int kFieldSize = 256;  // a longer field is cut
constexpr int kDateFieldLength = 8;
// Years the calendar covers: a date outside would index its tables out of range.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2199;
// The progress bar moves (and messages are pumped) once per this many bytes,
// not per line: pumping per line costs more than the parse under Wine.
constexpr int kProgressStride = 64 * 1024;
constexpr double kIndexVolumeDivisor = 1000.0;

struct MarketLetters {
  const char* letters;
  int id;
};
constexpr std::array<MarketLetters, 12> kMarkets = {{{"tp", 1},
                                                     {"ts", 2},
                                                     {"tg", 3},
                                                     {"t", 4},
                                                     {"n", 5},
                                                     {"i", kMarketIdIndex},
                                                     {"t1", 7},
                                                     {"t2", 8},
                                                     {"m", 9},
                                                     {"q", 10},
                                                     {"o", 11},
                                                     {"j", 12}}};

// Leading decimal digits of `count` characters.
int LeadingNumber(const char* text, int count) {
  int value = 0;
  for (int i = 0; i < count && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool IsUsableDate(PackedDate date) {
  const int year = PackedYear(date);
  const int month = PackedMonth(date);
  const int day = PackedDay(date);
  return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// A huge or non-finite number of shares must not reach an int conversion.
int32_t IndexVolume(double shares) {
  const double thousands = std::trunc(shares / kIndexVolumeDivisor);
  if (std::isnan(thousands)) return 0;
  if (thousands >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (thousands <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int32_t>(thousands);
}

struct Row {
  PackedDate date;
  StockCode code;
  int market;
  PriceBar bar;
};

// Fields 1..8 of the line at `position`; false when the line is to be skipped.
bool ReadRow(const char* text, int length, int position, Row* row) {
  if (text[position] < '0' || text[position] > '9') return false;
  row->date = ReadCsvDate(text, length, &position);
  if (!IsUsableDate(row->date)) return false;
  const StockCode code = ReadCsvStockCode(text, length, &position);
  if (!IsStockCodeInRange(code)) return false;
  row->code = GetCanonicalIndexCode(code);
  row->market = ReadCsvMarket(text, length, &position);
  if (row->market == kMarketIdNone) return false;
  PriceBar& bar = row->bar;
  bar.date = row->date;
  bar.open = ReadCsvInt(text, length, &position);
  bar.high = ReadCsvInt(text, length, &position);
  bar.low = ReadCsvInt(text, length, &position);
  bar.close = ReadCsvInt(text, length, &position);
  bar.volume = row->market == kMarketIdIndex ? IndexVolume(ReadCsvDouble(text, length, &position))
                                             : ReadCsvInt(text, length, &position);
  return true;
}

// A stock's bars keep the row of its own market: once a bar came from it,
// no other market's row replaces it, whatever the volumes and row order.
void CollectRow(const Row& row, StockRecord* record, ImportBarEntry* entry, uint32_t* ownMarketBars) {
  if (record->master.marketId == 0) {
    record->master.marketId = static_cast<uint16_t>(row.market);
    record->master.marketFlags |= GetMarketFlagFromId(row.market);
  }
  const bool own = row.market == record->master.marketId;
  const int count = entry->count;
  for (int k = 0; k < count; ++k) {
    PriceBar& stored = entry->bars[k];
    if (stored.date != row.date) continue;
    const uint32_t bit = 1u << k;
    if (own) {
      stored = row.bar;
      *ownMarketBars |= bit;
    } else if ((*ownMarketBars & bit) == 0 && stored.volume < row.bar.volume) {
      stored = row.bar;
    }
    return;
  }
  if (count >= kImportBarsPerStock) return;
  entry->bars[count] = row.bar;
  if (own) *ownMarketBars |= 1u << count;
  entry->count = count + 1;
}

}  // namespace

PackedDate ReadCsvDate(const char* text, int length, int* position) {
  char field[kFieldSize];
  ReadCsvField(text, length, position, field, sizeof field);
  if (std::strlen(field) != kDateFieldLength) return 0;
  return MakePackedDate(LeadingNumber(field, 4), LeadingNumber(field + 4, 2), LeadingNumber(field + 6, 2));
}

int ReadCsvMarket(const char* text, int length, int* position) {
  char field[kFieldSize];
  ReadCsvField(text, length, position, field, sizeof field);
  for (const MarketLetters& market : kMarkets) {
    if (std::strcmp(field, market.letters) == 0) return market.id;
  }
  return kMarketIdNone;
}

ParsedPriceText ParseVendorPriceText(const char* text, int length, ImportBarList* list) {
  ParsedPriceText parsed{0, false};
  const int stocks = StockTableCount();
  SetProgressSubRange(length);
  for (int i = 0; i < stocks; ++i) list->entries[i].count = 0;
  std::vector<uint32_t> ownMarketBars(static_cast<size_t>(stocks), 0);
  SetProgressSubPos(0);
  int nextProgress = kProgressStride;
  int position = 0;
  while (gProgressCancelled == 0 && text != nullptr && position >= 0 && position < length) {
    Row row{};
    if (ReadRow(text, length, position, &row)) {
      if (row.code == gCanonicalIndexCodes[0] && row.date > parsed.newestReferenceDate) {
        parsed.newestReferenceDate = row.date;
      }
      const int index = FindStockIndexByCode(row.code);
      if (index >= 0 && index < stocks) {
        CollectRow(row, &gStockTable->records[index], &list->entries[index],
                   &ownMarketBars[static_cast<size_t>(index)]);
      }
    }
    if (SkipCsvLine(text, length, &position) < 0) break;
    if (position >= nextProgress) {
      nextProgress = position + kProgressStride;
      SetProgressSubPos(static_cast<uint32_t>(position));
    }
  }
  parsed.cancelled = gProgressCancelled != 0;
  StepProgress();
  return parsed;
}
