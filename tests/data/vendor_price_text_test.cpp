#include "data/vendor_price_text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/progress.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

using Bars = std::vector<std::vector<int64_t>>;

std::vector<int64_t> B(int day, int close, int volume) { return {MakePackedDate(2026, 1, day), close, volume}; }

// Rows of 2026/1/5 given as "code,market,close,volume" (every price the
// close), each ended by a CR.
std::string DayRows(std::initializer_list<std::string> rows) {
  std::string text;
  for (const std::string& row : rows) {
    const size_t at = row.find(',', row.find(',') + 1);
    const size_t end = row.find(',', at + 1);
    const std::string close = row.substr(at + 1, end - at - 1);
    text += "20260105," + row.substr(0, at) + "," + close + "," + close + "," + close + row.substr(at) + "\r";
  }
  return text;
}

class VendorPriceTextTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    AddStock(StringToCode("1003")).master.marketId = 6;
    AddStock(StringToCode("1301")).master.marketId = 5;  // "n"
    AddStock(StringToCode("1332"));                      // no market yet
    AddStock(StringToCode("7203")).master.marketId = 1;
    list_ = std::make_unique<ImportBarList>();
  }
  ParsedPriceText Parse(const std::string& text) {
    return ParseVendorPriceText(text.data(), static_cast<int>(text.size()), list_.get());
  }
  // (date, close, volume) of each bar collected for the stock.
  Bars BarsOf(const char* code) {
    Bars bars;
    const ImportBarEntry& entry = list_->entries[FindStockIndexByCode(StringToCode(code))];
    for (int k = 0; k < entry.count; ++k)
      bars.push_back({entry.bars[k].date, entry.bars[k].close, entry.bars[k].volume});
    return bars;
  }
  std::unique_ptr<ImportBarList> list_;
};

TEST_F(VendorPriceTextTest, EachStockKeepsTheRowsTheRulesChoose) {
  const struct {
    const char* name;
    std::string text;
    const char* code;
    Bars bars;
  } cases[] = {
      {"own market first", DayRows({"1301,n,100,10", "1301,t1,200,99"}), "1301", {B(5, 100, 10)}},
      {"own market last", DayRows({"1301,t1,200,99", "1301,n,100,10"}), "1301", {B(5, 100, 10)}},
      {"own market between", DayRows({"1301,t1,200,5", "1301,n,100,10", "1301,m,300,99"}), "1301", {B(5, 100, 10)}},
      {"larger volume of others", DayRows({"7203,t1,200,5", "7203,n,300,9"}), "7203", {B(5, 300, 9)}},
      {"equal volumes keep the first", DayRows({"7203,t1,200,9", "7203,n,300,9"}), "7203", {B(5, 200, 9)}},
      {"CR LF, CR and no final end",
       "20260105,7203,tp,1,9,1,5,1\r\n20260106,7203,tp,1,9,1,6,1\r20260107,7203,tp,1,9,1,7,1",
       "7203",
       {B(5, 5, 1), B(6, 6, 1), B(7, 7, 1)}},
      // The first line's volume runs on into the next line: no plain integer.
      {"LF alone gives no row", "20260105,7203,tp,1,9,1,5,1\n20260106,7203,tp,1,9,1,6,1\n", "7203", {}},
      {"skipped lines",
       "DATE,CODE\r\r2026010,7203,tp,1,9,1,4,1\r20260105\t7203\ttp\t1\t9\t1\t5\t1\r",
       "7203",
       {B(5, 5, 1)}},
      {"months and days out of range",
       "20261305,7203,tp,1,9,1,1,1\r20260005,7203,tp,1,9,1,2,1\r20260132,7203,tp,1,9,1,3,1\r"
       "20260100,7203,tp,1,9,1,4,1\r20260131,7203,tp,1,9,1,5,1\r",
       "7203",
       {B(31, 5, 1)}},
      {"unknown market", DayRows({"7203,tx,5,1", "7203,T,6,1"}), "7203", {}},
      {"index alias and volume", DayRows({"I010,i,9,123456.7"}), "1003", {B(5, 9, 123)}},
      {"index volumes beyond 32 bits",
       DayRows({"I010,i,9,1e300"}) + "20260106,I010,i,9,9,9,9,99999999999999\r",
       "1003",
       {}},
  };
  for (const auto& c : cases) {
    Parse(c.text);
    EXPECT_EQ(BarsOf(c.code), c.bars) << c.name;
  }
}

// Each junk row is refused and counted, whatever else the row holds; the
// edges of each rule are kept. Today is 2026/12/07.
TEST_F(VendorPriceTextTest, JunkRowsAreRefusedAndCountedAndTheEdgesOfEachRuleAreKept) {
  SetFixedClock(PackedDateToDays(MakePackedDate(2026, 12, 7)) * 86400, 9 * 3600);
  const struct {
    const char* row;  // the fields after the date, code and market
    const char* date;
    const char* code;
    std::vector<int64_t> kept;  // open, high, low, close, volume; empty when refused
  } cases[] = {
      {"100,110,90,105,5000", "20261204", "7203", {100, 110, 90, 105, 5000}},
      {"2000,1500,2500,2000,100", "20261204", "7203", {}},  // high below low
      {"100,2147483648,90,105,100", "20261204", "7203", {}},
      {"100,2147483647,90,105,100", "20261204", "7203", {}},  // what an overflow was read as
      {"100,2147483646,90,105,100", "20261204", "7203", {100, 2147483646, 90, 105, 100}},
      {"1e9,1e9,1e9,1e9,1e9", "20261204", "7203", {}},
      {"100,110,90,105,-5000", "20261204", "7203", {}},
      {"100,110,90,105,", "20261204", "7203", {}},
      {" 100,110,90,105,5000", "20261204", "7203", {}},
      {"80,110,90,105,5000", "20261204", "7203", {}},            // open below the low
      {"100,110,90,120,5000", "20261204", "7203", {}},           // close above the high
      {"0,110,90,0,0", "20261204", "7203", {0, 110, 90, 0, 0}},  // a day without trades
      {"100,110,90,105,5000", "20270231", "7203", {}},
      {"100,110,90,105,5000", "21991231", "7203", {}},
      {"100,110,90,105,5000", "20240229", "7203", {100, 110, 90, 105, 5000}},
      {"100,110,90,105,5000", "20230229", "7203", {}},
      {"100,110,90,105,5000", "2026120a", "7203", {}},
      {"100,110,90,105,5000", "20261214", "7203", {100, 110, 90, 105, 5000}},  // a week after today
      {"100,110,90,105,5000", "20261215", "7203", {}},
      {"9,9,9,9,123456.7", "20261204", "I010", {9, 9, 9, 9, 123}},
      {"9,9,9,9,2147483646999.9", "20261204", "I010", {9, 9, 9, 9, 2147483646}},
      {"9,9,9,9,2147483647000", "20261204", "I010", {}},
      {"9,9,9,9,123456.", "20261204", "I010", {}},
      {"9,9,9,9,1.5e3", "20261204", "I010", {}},
      {"9,9,9,9,12.5", "20261204", "7203", {}},  // a decimal is no stock's volume
  };
  for (const auto& c : cases) {
    const bool index = c.code[0] == 'I';
    const std::string text =
        std::string("DATE,CODE\r\r") + c.date + "," + c.code + (index ? ",i," : ",tp,") + c.row + "\r\n";
    const ParsedPriceText parsed = Parse(text);
    const ImportBarEntry& entry = list_->entries[FindStockIndexByCode(StringToCode(index ? "1003" : "7203"))];
    std::vector<int64_t> kept;
    if (entry.count == 1) {
      const PriceBar& bar = entry.bars[0];
      kept = {bar.open, bar.high, bar.low, bar.close, bar.volume};
    }
    EXPECT_EQ(Row(entry.count, parsed.validRows, parsed.skippedRows), c.kept.empty() ? Row(0, 0, 1) : Row(1, 1, 0))
        << c.date << " " << c.row;
    EXPECT_EQ(kept, c.kept) << c.date << " " << c.row;
  }
  // A stock not in the table gives a valid row that collects nothing.
  const ParsedPriceText other = Parse("20261204,9999,tp,100,110,90,105,5000\r\n");
  EXPECT_EQ(Row(other.validRows, other.skippedRows), Row(1, 0));
}

// The parse only reports the newest reference date; the last price date is
// the caller's to move once the bars are stored.
TEST_F(VendorPriceTextTest, TheThirtySecondDateIsDroppedAMissingMarketFilledInAndTheNewestReferenceDateReported) {
  std::string text;
  for (int d = 1; d <= 32; ++d) {
    char line[64];
    std::snprintf(line, sizeof line, "2026%02d%02d,1332,ts,1,9,1,5,1\r", d < 32 ? 1 : 2, d < 32 ? d : 1);
    text += line;
  }
  Parse(text);
  EXPECT_EQ(Row(BarsOf("1332").size(), BarsOf("1332").back()[0]), Row(31, MakePackedDate(2026, 1, 31)));
  const StockMasterRecord& master = gStockTable->records[FindStockIndexByCode(StringToCode("1332"))].master;
  EXPECT_EQ(Row(master.marketId, master.marketFlags), Row(2, 0x200));
  gLastPriceDate = MakePackedDate(2025, 12, 30);
  const std::pair<std::string, PackedDate> cases[] = {
      {"20260105,1001,i,1,1,1,1,1\r20260106,0101,i,1,1,1,1,1\r", MakePackedDate(2026, 1, 6)},
      {"99999999,1001,i,1,1,1,1,1\r20261399,1001,i,1,1,1,1,1\r", 0},
      {"20270105,1001,x,1,1,1,1,1\r20260105,1001,i,1,1,1,1,1\r", MakePackedDate(2026, 1, 5)},
  };
  for (const auto& [rows, newest] : cases) {
    EXPECT_EQ(Row(Parse(rows).newestReferenceDate, gLastPriceDate), Row(newest, MakePackedDate(2025, 12, 30))) << rows;
  }
}

// A line at a time would move the bar (and pump messages) tens of thousands of times.
TEST_F(VendorPriceTextTest, TheProgressMovesOncePerBlockOfText) {
  std::string text;
  while (text.size() < 2'000'000) text += "20260105,7203,tp,1,9,1,5,1\r\n";
  BeginProgress(nullptr, 1, 0, 1);
  TakeRecordedProgressCalls();
  const ParsedPriceText parsed = Parse(text);
  size_t bars = 0;
  for (const RecordedProgressCall& call : TakeRecordedProgressCalls()) bars += call.call == "bar";
  EXPECT_FALSE(parsed.cancelled);
  EXPECT_LE(bars, text.size() / 65536 + 2);
  EXPECT_EQ(BarsOf("7203"), Bars{B(5, 5, 1)});
}

TEST(VendorFieldsTest, DatesAndMarketsAreReadByTheirRules) {
  const PackedDate day = MakePackedDate(2026, 1, 5), month0 = MakePackedDate(2026, 0, 5);
  const std::tuple<const char*, PackedDate, int> cases[] = {
      {"20260105,tp", day, 1},    {"2026010,t1", 0, 7},    {"202601050,t2", 0, 8},   {"20260105,i", day, 6},
      {"2026AB05,j", month0, 12}, {"20260105,t3", day, 0}, {"20260105,tpx", day, 0}, {"20260105,", day, 0},
  };
  for (const auto& [text, date, market] : cases) {
    const int length = static_cast<int>(std::strlen(text));
    int position = 0;
    const PackedDate read = ReadCsvDate(text, length, &position);
    EXPECT_EQ(Row(read, ReadCsvMarket(text, length, &position)), Row(date, market)) << text;
  }
}

}  // namespace
