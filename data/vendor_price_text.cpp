#include "data/vendor_price_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/progress.h"
#include "common/text_fields.h"

namespace {

constexpr int kFieldSize = 256;  // a longer field is cut
// A number field this long may have been cut: no number of 32 bits is.
constexpr int kLongestNumber = kFieldSize - 2;
constexpr int kDateFieldLength = 8;
// Years the calendar covers: a date outside would index its tables out of range.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2199;
// The progress bar moves (and messages are pumped) once per this many bytes,
// not per line: pumping per line costs more than the parse under Wine.
constexpr int kProgressStride = 64 * 1024;
constexpr int kIndexVolumeDivisor = 1000;

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

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// The digits from `text` on as a value, saturated above what any field may
// hold; the first byte after them in `end`.
int64_t ReadDigits(const char* text, const char** end) {
  constexpr int64_t kTooLarge = int64_t{INT32_MAX} * 1000 + 1000;
  int64_t value = 0;
  const char* p = text;
  for (; IsDigitChar(*p); ++p) value = std::min(value * 10 + (*p - '0'), kTooLarge);
  *end = p;
  return value;
}

// A number field: digits only, or with `fraction` also digits after a point
// (a NUL byte is no digit). Its whole part divided by `divisor` (truncated)
// must fit 32 bits, short of 2147483647 itself: that is what every overflowing
// number became before rows were checked, and no price or volume reaches it.
bool ReadPlainNumber(const char* text, int length, int* position, bool fraction, int divisor, int32_t* value) {
  char field[kFieldSize];
  const int size = ReadCsvField(text, length, position, field, sizeof field);
  const char* end = field;
  const int64_t whole = ReadDigits(field, &end) / divisor;
  if (end == field) return false;
  if (fraction && *end == '.') {
    const char* digits = end + 1;
    ReadDigits(digits, &end);
    if (end == digits) return false;
  }
  if (size > kLongestNumber || end != field + size || whole >= INT32_MAX) return false;
  *value = static_cast<int32_t>(whole);
  return true;
}

bool ReadPrice(const char* text, int length, int* position, int32_t* value) {
  return ReadPlainNumber(text, length, position, false, 1, value);
}

// A stock's volume in shares; an index's as a decimal number of shares,
// stored in thousands.
bool ReadVolume(const char* text, int length, int* position, int market, int32_t* value) {
  const bool index = market == kMarketIdIndex;
  return ReadPlainNumber(text, length, position, index, index ? kIndexVolumeDivisor : 1, value);
}

// Eight digits naming a day of the calendar's years.
bool ReadRowDate(const char* text, int length, int* position, PackedDate* date) {
  char field[kFieldSize];
  if (ReadCsvField(text, length, position, field, sizeof field) != kDateFieldLength) return false;
  for (int i = 0; i < kDateFieldLength; ++i) {
    if (!IsDigitChar(field[i])) return false;
  }
  const int year = LeadingNumber(field, 4);
  const int month = LeadingNumber(field + 4, 2);
  const int day = LeadingNumber(field + 6, 2);
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return false;
  if (day < 1 || day > GetDaysInMonth(year, month)) return false;
  *date = MakePackedDate(year, month, day);
  return true;
}

// The market id of the field's letters, kMarketIdNone when they name none.
int MarketOfField(const char* field, int size) {
  for (const MarketLetters& market : kMarkets) {
    if (static_cast<size_t>(size) == std::strlen(market.letters) && std::memcmp(field, market.letters, size) == 0)
      return market.id;
  }
  return kMarketIdNone;
}

// A zero open or close is a day without trades (the merge fills it in); a
// price that is there lies between the low and the high.
bool PricesAgree(const PriceBar& bar) {
  auto within = [&bar](int32_t price) { return price == 0 || (price >= bar.low && price <= bar.high); };
  return bar.high >= bar.low && within(bar.open) && within(bar.close);
}

struct Row {
  PackedDate date;
  StockCode code;
  int market;
  PriceBar bar;
};

enum class LineKind { kNoData, kRefused, kValid };

// Fields 1..8 of the line at `position`. A line that does not begin with a
// digit (a header, an empty line) holds no data.
LineKind ReadRow(const char* text, int length, int position, PackedDate latest, Row* row) {
  if (!IsDigitChar(text[position])) return LineKind::kNoData;
  if (!ReadRowDate(text, length, &position, &row->date) || row->date > latest) return LineKind::kRefused;
  const StockCode code = ReadCsvStockCode(text, length, &position);
  if (!IsStockCodeInRange(code)) return LineKind::kRefused;
  row->code = GetCanonicalIndexCode(code);
  char market[kFieldSize];
  row->market = MarketOfField(market, ReadCsvField(text, length, &position, market, sizeof market));
  if (row->market == kMarketIdNone) return LineKind::kRefused;
  PriceBar& bar = row->bar;
  bar.date = row->date;
  const bool numbers = ReadPrice(text, length, &position, &bar.open) && ReadPrice(text, length, &position, &bar.high) &&
                       ReadPrice(text, length, &position, &bar.low) && ReadPrice(text, length, &position, &bar.close) &&
                       ReadVolume(text, length, &position, row->market, &bar.volume);
  return numbers && PricesAgree(bar) ? LineKind::kValid : LineKind::kRefused;
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

PackedDate (*gPriceRowsToday)() = GetTodayPacked;

PackedDate ReadCsvDate(const char* text, int length, int* position) {
  char field[kFieldSize];
  ReadCsvField(text, length, position, field, sizeof field);
  if (std::strlen(field) != kDateFieldLength) return 0;
  return MakePackedDate(LeadingNumber(field, 4), LeadingNumber(field + 4, 2), LeadingNumber(field + 6, 2));
}

int ReadCsvMarket(const char* text, int length, int* position) {
  char field[kFieldSize];
  return MarketOfField(field, ReadCsvField(text, length, position, field, sizeof field));
}

ParsedPriceText ParseVendorPriceText(const char* text, int length, ImportBarList* list) {
  ParsedPriceText parsed{0, 0, 0, false};
  const int stocks = StockTableCount();
  const PackedDate latest = AddCalendarDays(gPriceRowsToday(), kMaxRowDaysAfterToday);
  SetProgressSubRange(length);
  for (int i = 0; i < stocks; ++i) list->entries[i].count = 0;
  std::vector<uint32_t> ownMarketBars(static_cast<size_t>(stocks), 0);
  SetProgressSubPos(0);
  int nextProgress = kProgressStride;
  int position = 0;
  while (gProgressCancelled == 0 && text != nullptr && position >= 0 && position < length) {
    Row row{};
    const LineKind kind = ReadRow(text, length, position, latest, &row);
    if (kind == LineKind::kRefused) ++parsed.skippedRows;
    if (kind == LineKind::kValid) {
      ++parsed.validRows;
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
