// Search-box texts: codes in ASCII or full width, names through the folded
// search, and the error texts.
#include "window/stock_search_box.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

StockCode Parsed(const char* text) {
  StockCode code = 0;
  return ParseStockCodeText(text, static_cast<int>(std::strlen(text)), &code) ? code : 0;
}

TEST(StockCodeText, FullWidthAndAsciiCodesReadTheSame) {
  EXPECT_EQ(Parsed("1301"), StringToCode("1301"));
  EXPECT_EQ(Parsed("１３０１"), StringToCode("1301"));
  EXPECT_EQ(Parsed("1３0１"), StringToCode("1301"));
  EXPECT_EQ(Parsed("130A"), StringToCode("130A"));
  EXPECT_EQ(Parsed("１Ａ０Ｂ"), StringToCode("1A0B"));
  EXPECT_EQ(Parsed(" 1301 "), StringToCode("1301")) << "spaces are dropped";
}

TEST(StockCodeText, OtherTextsAreNoCode) {
  EXPECT_EQ(Parsed("130"), 0u);
  EXPECT_EQ(Parsed("13011"), 0u);
  EXPECT_EQ(Parsed("A301"), 0u);
  EXPECT_EQ(Parsed("130a"), 0u) << "small letters are no code characters";
  EXPECT_EQ(Parsed("１３０１ "), 0u) << "nine bytes";
  EXPECT_EQ(Parsed("13 01    "), 0u);
  StockCode code = 0;
  EXPECT_FALSE(ParseStockCodeText(nullptr, 4, &code));
}

TEST(StockCodeText, FullWidthCodeCharacters) {
  char c = 0;
  ASSERT_TRUE(FullWidthCodeChar(0x82, 0x4F, &c));
  EXPECT_EQ(c, '0');
  ASSERT_TRUE(FullWidthCodeChar(0x82, 0x79, &c));
  EXPECT_EQ(c, 'Z');
  EXPECT_FALSE(FullWidthCodeChar(0x82, 0x81, &c)) << "small letters";
  EXPECT_FALSE(FullWidthCodeChar(0x82, 0x4E, &c));
  EXPECT_FALSE(FullWidthCodeChar(0x81, 0x4F, &c));
}

class StockSearchBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitStockCodeGlobals();
    SampleDatabaseOptions options;
    options.folder = scratch_.path() + "db";
    options.stocks = 3;
    options.bars = 30;
    ASSERT_EQ(MakeSampleDatabase(options, nullptr), 0);
  }
  void TearDown() override {
    ReleaseSampleDatabase();
  }

  static std::string Error(const StockSearchResult& result) {
    char text[600];
    FormatStockSearchError(result, text, sizeof text);
    return text;
  }

  ScratchFolder scratch_;
};

TEST_F(StockSearchBoxTest, CodesAreLookedUp) {
  StockSearchResult result;
  ResolveStockSearch("１００２", &result);
  EXPECT_EQ(result.outcome, kSearchFound);
  EXPECT_EQ(result.code, StringToCode("1002"));
  ResolveStockSearch("1002", &result);
  EXPECT_EQ(result.outcome, kSearchFound);
  EXPECT_EQ(result.code, StringToCode("1002"));
  EXPECT_EQ(Error(result), "");

  ResolveStockSearch("９９９Ｚ", &result);
  EXPECT_EQ(result.outcome, kSearchCodeMissing);
  EXPECT_EQ(Error(result), "銘柄コード（999Z）が見つかりません。");
  EXPECT_STREQ(kStockSearchErrorTitle, "検索エラー");
}

TEST_F(StockSearchBoxTest, OtherTextsAreNames) {
  StockSearchResult result;
  ResolveStockSearch("topix", &result);
  EXPECT_EQ(result.outcome, kSearchNameMissing) << "small letters do not fold to capitals";
  ResolveStockSearch("TOPIX", &result);
  EXPECT_EQ(result.outcome, kSearchFound) << "ASCII finds the full-width name";
  EXPECT_EQ(result.code, StringToCode("1002"));

  ResolveStockSearch("日経", &result);
  EXPECT_EQ(result.outcome, kSearchChoose);
  EXPECT_STREQ(result.text, "日経");
  EXPECT_TRUE(AcceptChosenStock(StringToCode("1004"), &result));
  EXPECT_EQ(result.outcome, kSearchFound);
  EXPECT_FALSE(AcceptChosenStock(StringToCode("9998"), &result));
  EXPECT_EQ(Error(result), "銘柄名（日経）が見つかりません。");

  ResolveStockSearch("１００２ ", &result);
  EXPECT_EQ(result.outcome, kSearchNameMissing) << "nine bytes are a name";
  EXPECT_EQ(Error(result), "銘柄名（１００２ ）が見つかりません。");

  ResolveStockSearch("", &result);
  EXPECT_EQ(result.outcome, kSearchNothing);
}

}  // namespace
