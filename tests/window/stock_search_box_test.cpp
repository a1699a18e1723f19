// Search-box texts: codes in ASCII or full width, names through the folded
// search, and the error texts.
#include "window/stock_search_box.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "data/stock_table.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

StockCode Parsed(const char* text) {
  StockCode code = 0;
  return ParseStockCodeText(text, static_cast<int>(std::strlen(text)), &code) ? code : 0;
}

TEST(StockCodeText, FullWidthAndAsciiCodesReadTheSame) {
  // Spaces are dropped; small letters, nine bytes and other double-byte characters are no code.
  const std::pair<const char*, const char*> cases[] = {
      {"1301", "1301"},   {"１３０１", "1301"}, {"1３0１", "1301"}, {"130A", "130A"},       {"１Ａ０Ｂ", "1A0B"},
      {" 1301 ", "1301"}, {"130", ""},          {"13011", ""},      {"A301", ""},           {"130a", ""},
      {"１３０１ ", ""},  {"13 01    ", ""},    {"０３０ａ", ""},   {"０３０\x82\x4E", ""}, {"０３０\x81\x4F", ""}};
  for (const auto& [text, code] : cases) EXPECT_EQ(Parsed(text), *code ? StringToCode(code) : 0u) << text;
  StockCode code = 0;
  EXPECT_FALSE(ParseStockCodeText(nullptr, 4, &code));
  char c = 0;
  ASSERT_TRUE(FullWidthCodeChar(0x82, 0x79, &c));
  EXPECT_EQ(c, 'Z');
}

class StockSearchBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(MakeSampleDatabase({scratch_.path() + "db", 3, 30}, nullptr), 0); }

  // The outcome, the code found and the error text of a search.
  static std::tuple<int, StockCode, std::string> Search(const char* text) {
    StockSearchResult result;
    ResolveStockSearch(text, &result);
    return {result.outcome, result.outcome == kSearchFound ? result.code : 0, Error(result)};
  }
  static std::string Error(const StockSearchResult& result) {
    char text[600];
    FormatStockSearchError(result, text, sizeof text);
    return text;
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
};

TEST_F(StockSearchBoxTest, CodesAndNamesAreLookedUp) {
  using Found = std::tuple<int, StockCode, std::string>;
  const StockCode topix = StringToCode("1002");
  EXPECT_EQ(Search("１００２"), (Found{kSearchFound, topix, ""}));
  EXPECT_EQ(Search("1002"), (Found{kSearchFound, topix, ""}));
  EXPECT_EQ(Search("９９９Ｚ"), (Found{kSearchCodeMissing, 0, "銘柄コード（999Z）が見つかりません。"}));
  EXPECT_EQ(std::get<0>(Search("topix")), kSearchNameMissing) << "small letters do not fold to capitals";
  EXPECT_EQ(Search("TOPIX"), (Found{kSearchFound, topix, ""})) << "ASCII finds the full-width name";
  EXPECT_EQ(Search("１００２ "), (Found{kSearchNameMissing, 0, "銘柄名（１００２ ）が見つかりません。"}))
      << "nine bytes are a name";
  EXPECT_EQ(std::get<0>(Search("")), kSearchNothing);

  StockSearchResult result;
  ResolveStockSearch("日経", &result);
  EXPECT_EQ(result.outcome, kSearchChoose);
  EXPECT_STREQ(result.text, "日経");
  EXPECT_TRUE(AcceptChosenStock(StringToCode("1004"), &result));
  EXPECT_EQ(result.outcome, kSearchFound);
  EXPECT_FALSE(AcceptChosenStock(StringToCode("9998"), &result));
  EXPECT_EQ(Error(result), "銘柄名（日経）が見つかりません。");
}

}  // namespace
