// Imports arbitrary bytes as the price text of an archive, end to end: the
// text is stored (with its right checksum) in a zip archive, which must give
// it back byte for byte; the import then merges it into the daily files of a
// small table. A reading of the row rules of its own, written plainly here,
// decides which rows are valid: every daily file must hold what merging
// exactly those rows gives, the refused rows are counted, and a stock that
// met none keeps its file and its market.
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/text_fields.h"
#include "data/daily_cache.h"
#include "data/daily_files.h"
#include "data/price_archives.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr PackedDate kToday = MakePackedDate(2026, 12, 7);
constexpr PackedDate kLatest = MakePackedDate(2026, 12, 14);  // a week after today
constexpr int kIndexMarket = 6;
constexpr size_t kHeaderBytes = 8;

struct Stock {
  const char* code;
  uint16_t market;  // 0: taken from the stock's first row
};
constexpr std::array<Stock, 5> kStocks = {{{"1001", 6}, {"1003", 6}, {"1301", 1}, {"1332", 0}, {"7203", 5}}};
constexpr std::array<const char*, 12> kMarketLetters = {"tp", "ts", "tg", "t", "n", "i",
                                                        "t1", "t2", "m",  "q", "o", "j"};

std::vector<StockRecord> gRecords;               // the table as each run starts
std::vector<std::vector<uint8_t>> gInitialDays;  // each stock's daily file as each run starts

// Two stored days with a gap, so that rows append, insert and replace.
std::vector<uint8_t> InitialDayFile(int stock) {
  BarSeries series{};
  series.code = StringToCode(kStocks[stock].code);
  series.count = 2;
  series.bars[0] = {MakePackedDate(2026, 12, 1), 100, 120, 90, 110, 5000};
  series.bars[1] = {MakePackedDate(2026, 12, 3), 110, 130, 100, 120, 6000};
  const auto* bytes = reinterpret_cast<const uint8_t*>(&series);
  return std::vector<uint8_t>(bytes, bytes + kHeaderBytes + 2 * sizeof(PriceBar));
}

void Prepare() {
  // Every run writes and syncs a few files: in memory when the system offers it.
  if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  EnterScratchDataFolder();
  Check(mkdir("DAY", 0777) == 0);
  InitStockCodeGlobals();
  Check(AllocateStockTable() && CreateDailyCache());
  gStockTable->count = static_cast<int32_t>(kStocks.size());
  for (size_t i = 0; i < kStocks.size(); ++i) {
    StockRecord& record = gStockTable->records[i];
    record = StockRecord{};
    record.master.code = StringToCode(kStocks[i].code);
    record.master.marketId = kStocks[i].market;
    record.dailyCount = 2;
    gInitialDays.push_back(InitialDayFile(static_cast<int>(i)));
  }
  ResetStockLookupCache();
  gRecords.assign(gStockTable->records, gStockTable->records + kStocks.size());
  gPriceRowsToday = [] { return kToday; };
}

// ---- The rules, read plainly ------------------------------------------------

// A number field may be at most 254 characters long (a longer one may have been cut).
constexpr size_t kLongestNumber = 254;

bool AllDigits(const std::string& field) {
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits of a value below 2147483647 (what an overflow used to be read as);
// anything longer is too large anyway.
bool PlainInt32(const std::string& field, int32_t* value) {
  if (field.size() > kLongestNumber || !AllDigits(field)) return false;
  const size_t first = std::min(field.find_first_not_of('0'), field.size());
  if (field.size() - first > 10) return false;
  const int64_t read = first == field.size() ? 0 : std::stoll(field.substr(first));
  if (read >= INT32_MAX) return false;
  *value = static_cast<int32_t>(read);
  return true;
}

// Shares with an optional fraction, in whole thousands.
bool IndexVolume(const std::string& field, int32_t* value) {
  if (field.size() > kLongestNumber) return false;
  const size_t dot = field.find('.');
  const std::string whole = field.substr(0, dot);
  if (!AllDigits(whole) || (dot != std::string::npos && !AllDigits(field.substr(dot + 1)))) return false;
  const size_t first = std::min(whole.find_first_not_of('0'), whole.size());
  if (whole.size() - first > 13) return false;
  const int64_t thousands = first == whole.size() ? 0 : std::stoll(whole.substr(first)) / 1000;
  if (thousands >= INT32_MAX) return false;
  *value = static_cast<int32_t>(thousands);
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool CalendarDate(const std::string& field, PackedDate* date) {
  if (field.size() != 8 || !AllDigits(field)) return false;
  const int year = std::stoi(field.substr(0, 4)), month = std::stoi(field.substr(4, 2));
  const int day = std::stoi(field.substr(6, 2));
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1900 || year > 2199 || month < 1 || month > 12) return false;
  const int days = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day < 1 || day > days) return false;
  *date = MakePackedDate(year, month, day);
  return *date <= kLatest;
}

int MarketOf(const std::string& field) {
  for (size_t i = 0; i < kMarketLetters.size(); ++i) {
    if (field == kMarketLetters[i]) return static_cast<int>(i) + 1;
  }
  return 0;
}

struct Row {
  StockCode code;
  int market;
  PriceBar bar;
};

// Fields split at commas and TABs; the code is read as every list of the
// program reads codes (its rules are not the import's).
bool ValidRow(const std::string& line, Row* row) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ',' || c == '\t') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  fields.resize(std::max<size_t>(fields.size(), 8));
  PriceBar& bar = row->bar;
  if (!CalendarDate(fields[0], &bar.date)) return false;
  int position = 0;
  row->code = ReadCsvStockCode(fields[1].data(), static_cast<int>(fields[1].size()), &position);
  if (!IsStockCodeInRange(row->code)) return false;
  row->code = GetCanonicalIndexCode(row->code);
  row->market = MarketOf(fields[2]);
  if (row->market == 0) return false;
  const bool numbers =
      PlainInt32(fields[3], &bar.open) && PlainInt32(fields[4], &bar.high) && PlainInt32(fields[5], &bar.low) &&
      PlainInt32(fields[6], &bar.close) &&
      (row->market == kIndexMarket ? IndexVolume(fields[7], &bar.volume) : PlainInt32(fields[7], &bar.volume));
  if (!numbers || bar.high < bar.low) return false;
  for (int32_t price : {bar.open, bar.close}) {
    if (price != 0 && (price < bar.low || price > bar.high)) return false;
  }
  return true;
}

// The lines of the text: each ends at a CR (an LF right after it belongs to
// it); a text without a CR after a line ends there.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t cr = text.find('\r', start);
    lines.push_back(text.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
    if (cr == std::string::npos) break;
    start = cr + 1 + (cr + 1 < text.size() && text[cr + 1] == '\n' ? 1 : 0);
  }
  return lines;
}

struct Expected {
  std::array<std::vector<PriceBar>, kStocks.size()> collected;
  std::array<uint16_t, kStocks.size()> markets;
  int validRows = 0;
  int skippedRows = 0;
  PackedDate newestReference = 0;
};

int StockIndex(StockCode code) {
  for (size_t i = 0; i < kStocks.size(); ++i) {
    if (StringToCode(kStocks[i].code) == code) return static_cast<int>(i);
  }
  return -1;
}

// A stock's row of its own market wins its day; else the largest volume
// (the first on a tie); at most 31 days a stock.
void Collect(const Row& row, uint16_t* market, std::vector<PriceBar>* bars, std::vector<bool>* own) {
  if (*market == 0) *market = static_cast<uint16_t>(row.market);
  const bool isOwn = row.market == *market;
  for (size_t k = 0; k < bars->size(); ++k) {
    if ((*bars)[k].date != row.bar.date) continue;
    if (isOwn || (!(*own)[k] && (*bars)[k].volume < row.bar.volume)) (*bars)[k] = row.bar;
    if (isOwn) (*own)[k] = true;
    return;
  }
  if (bars->size() == 31) return;
  bars->push_back(row.bar);
  own->push_back(isOwn);
}

Expected ReadPlainly(const std::string& text) {
  Expected expected;
  std::array<std::vector<bool>, kStocks.size()> own;
  for (size_t i = 0; i < kStocks.size(); ++i) expected.markets[i] = kStocks[i].market;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    Row row{};
    if (!ValidRow(line, &row)) {
      ++expected.skippedRows;
      continue;
    }
    ++expected.validRows;
    if (row.code == gReferenceIndexCode) expected.newestReference = std::max(expected.newestReference, row.bar.date);
    const int index = StockIndex(row.code);
    if (index >= 0) Collect(row, &expected.markets[index], &expected.collected[index], &own[index]);
  }
  return expected;
}

// ---- Merging, as the merge rules say it for an import -------------------------

void Repair(std::vector<PriceBar>* series, size_t k) {
  if (k < 1) return;
  PriceBar& bar = (*series)[k];
  if (bar.close < 1) bar.open = bar.high = bar.low = bar.close = (*series)[k - 1].close;
  if (bar.open < 1 || bar.high < 1 || bar.low < 1) bar.open = bar.high = bar.low = bar.close;
}

void Merge(const PriceBar& bar, std::vector<PriceBar>* series) {
  const size_t n = series->size();
  if (n == 0 || bar.date > series->back().date) {
    const int32_t close = n >= 1 && bar.close < 1 ? series->back().close : bar.close;
    if (close <= 0) return;
    series->push_back(bar);
    Repair(series, n);
    return;
  }
  size_t j = 0;
  while ((*series)[j].date < bar.date) ++j;
  if ((*series)[j].date == bar.date) {
    if (bar.volume <= 0) return;
    (*series)[j] = bar;
  } else {
    if (j == 0 && bar.close <= 0) return;
    series->insert(series->begin() + static_cast<std::ptrdiff_t>(j), bar);
  }
  Repair(series, j);
}

std::vector<PriceBar> BarsOfFile(const std::vector<uint8_t>& file) {
  Check(file.size() >= kHeaderBytes && (file.size() - kHeaderBytes) % sizeof(PriceBar) == 0);
  int32_t count = 0;
  std::memcpy(&count, file.data() + 4, 4);
  Check(static_cast<size_t>(count) == (file.size() - kHeaderBytes) / sizeof(PriceBar));
  std::vector<PriceBar> bars(static_cast<size_t>(count));
  if (count > 0) std::memcpy(bars.data(), file.data() + kHeaderBytes, bars.size() * sizeof(PriceBar));
  return bars;
}

bool SameBars(const std::vector<PriceBar>& a, const std::vector<PriceBar>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(PriceBar)) == 0);
}

// ---- The archive --------------------------------------------------------------

void Put(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One stored member "p.txt" holding the text, with its right checksum.
std::vector<uint8_t> StoredZip(const uint8_t* text, size_t size) {
  const auto crc = static_cast<uint32_t>(crc32(0, text, static_cast<uInt>(size)));
  const auto length = static_cast<uint32_t>(size);
  std::vector<uint8_t> zip;
  zip.reserve(size + 128);
  auto header = [&](bool central) {
    Put(&zip, central ? 0x02014b50 : 0x04034b50, 4);
    if (central) Put(&zip, 20, 2);
    for (uint32_t value : {20u, 0u, 0u, 0u, 0u}) Put(&zip, value, 2);  // version, flags, method, time, date
    for (uint32_t value : {crc, length, length}) Put(&zip, value, 4);
    Put(&zip, 5, 2);
    Put(&zip, 0, 2);
    if (central) {
      for (int i = 0; i < 3; ++i) Put(&zip, 0, 2);
      Put(&zip, 0, 4);
      Put(&zip, 0, 4);
    }
    zip.insert(zip.end(), {'p', '.', 't', 'x', 't'});
  };
  header(false);
  zip.insert(zip.end(), text, text + size);
  const auto central = static_cast<uint32_t>(zip.size());
  header(true);
  const auto centralSize = static_cast<uint32_t>(zip.size()) - central;
  Put(&zip, 0x06054b50, 4);
  for (uint32_t value : {0u, 0u, 1u, 1u}) Put(&zip, value, 2);
  Put(&zip, centralSize, 4);
  Put(&zip, central, 4);
  Put(&zip, 0, 2);
  return zip;
}

std::string DayPath(int stock) { return std::string("DAY/") + kStocks[stock].code; }

void ResetStore() {
  std::copy(gRecords.begin(), gRecords.end(), gStockTable->records);
  for (size_t i = 0; i < kStocks.size(); ++i) {
    WriteFile(DayPath(static_cast<int>(i)).c_str(), gInitialDays[i].data(), gInitialDays[i].size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (Prepare(), true);
  (void)prepared;
  ResetStore();
  const std::vector<uint8_t> zip = StoredZip(data, size);
  WriteFile("a.zip", zip.data(), zip.size());

  // The stored member comes back as it went in.
  uint32_t memberSize = 0;
  char* member = LoadPriceArchiveText("a.zip", nullptr, 0, &memberSize);
  Check((member != nullptr) == (size > 0));
  if (member != nullptr) {
    Check(memberSize == size && std::memcmp(member, data, size) == 0 && member[size] == 0);
    FreeBlock(member);
  }

  const PriceZipImport done = ImportPriceZip("a.zip");
  const Expected expected = ReadPlainly(std::string(reinterpret_cast<const char*>(data), size));
  if (size == 0) {
    Check(done.result == PriceZipResult::kUnreadable);
  } else {
    Check(done.result == (expected.validRows > 0 ? PriceZipResult::kImported : PriceZipResult::kNoValidRow));
    Check(done.skippedRows == expected.skippedRows);
    if (expected.validRows > 0) Check(done.newestReferenceDate == expected.newestReference);
  }
  for (size_t i = 0; i < kStocks.size(); ++i) {
    std::vector<PriceBar> series = BarsOfFile(gInitialDays[i]);
    for (const PriceBar& bar : expected.collected[i]) Merge(bar, &series);
    const std::vector<uint8_t> file = ReadFile(DayPath(static_cast<int>(i)).c_str());
    Check(SameBars(BarsOfFile(file), series));
    if (expected.collected[i].empty()) Check(file == gInitialDays[i]);
    Check(gStockTable->records[i].master.marketId == expected.markets[i]);
  }
  return 0;
}
