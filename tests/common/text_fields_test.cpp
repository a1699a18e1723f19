#include "common/text_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CsvFields : public ::testing::Test {
 protected:
  void SetUp() override { InitStockCodeGlobals(); }

  // Reads the next field of text_ from pos_.
  std::string Next(int outSize = 64) {
    std::vector<char> out(static_cast<size_t>(outSize), 'x');
    ReadCsvField(text_.data(), Length(), &pos_, out.data(), outSize);
    return out.data();
  }
  int Length() const { return static_cast<int>(text_.size()); }
  void Use(const std::string& text) {
    text_ = text;
    pos_ = 0;
  }

  std::string text_;
  int pos_ = 0;
};

TEST_F(CsvFields, CommaAndTabEndAFieldAndCrStaysForTheNextLine) {
  Use("株式,1301\tB,,\rnext");
  EXPECT_EQ(Next(), "株式");
  EXPECT_EQ(Next(), "1301");
  EXPECT_EQ(Next(), "B");
  EXPECT_EQ(Next(), "");
  EXPECT_EQ(Next(), "");
  EXPECT_EQ(pos_, 13);
  EXPECT_EQ(Next(), "");  // still on the CR
  EXPECT_EQ(pos_, 13);
}

TEST_F(CsvFields, LastFieldWithoutLineEndMovesToTheEnd) {
  Use("A,BC");
  Next();
  EXPECT_EQ(Next(), "BC");
  EXPECT_EQ(pos_, 4);
  EXPECT_EQ(Next(), "");
  EXPECT_EQ(pos_, 4);
}

TEST_F(CsvFields, PositionsOutsideTheBufferReadNothing) {
  Use("A,B");
  for (int start : {3, 100, -1, INT_MIN}) {
    pos_ = start;
    EXPECT_EQ(Next(), "");
    EXPECT_EQ(pos_, start);
  }
}

TEST_F(CsvFields, LongFieldIsCutAndTheNextReadStartsAtTheNextField) {
  Use("ABCDEFGH,IJ");
  EXPECT_EQ(Next(4), "ABC");
  EXPECT_EQ(Next(4), "IJ");
  Use("AB,C");
  EXPECT_EQ(Next(1), "");
  EXPECT_EQ(Next(), "C");
}

TEST_F(CsvFields, ListWhoseLastLineHasNoCrParsesEachLineOnce) {
  Use("1301,100\r\n1332,200\r7203,300");
  std::vector<std::string> lines;
  for (int guard = 0; pos_ != -1 && guard < 10; ++guard) {
    const StockCode code = ReadCsvCode(text_.data(), Length(), &pos_);
    const int value = ReadCsvInt(text_.data(), Length(), &pos_);
    lines.push_back(std::string(CodeToString(code)) + ":" + std::to_string(value));
    SkipCsvLine(text_.data(), Length(), &pos_);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"1301:100", "1332:200", "7203:300"}));
}

TEST_F(CsvFields, NumbersStopAtTheFirstNonDigit) {
  Use(" 42abc,x,-7,99999999999,-99999999999,123.5, 1e3,nan,0x10,.5");
  const std::vector<int> ints = {42, 0, -7, INT_MAX, INT_MIN};
  for (int expected : ints) EXPECT_EQ(ReadCsvInt(text_.data(), Length(), &pos_), expected);
  const std::vector<double> doubles = {123.5, 1000.0, 0.0, 0.0, 0.5};
  for (double expected : doubles) EXPECT_EQ(ReadCsvDouble(text_.data(), Length(), &pos_), expected);
}

TEST_F(CsvFields, IndexEntriesOfTheLists) {
  Use("I1,I101,I148,I149,I010,I011,I,I0100,1301,AB");
  const char* const expected[] = {"1050", "1051", "1098", nullptr, "1003", "1004", nullptr, "1003",
                                  "1301"};
  for (const char* code : expected) {
    const StockCode got = ReadCsvStockCode(text_.data(), Length(), &pos_);
    EXPECT_EQ(got, code ? StringToCode(code) : 0xFFFFFFFFu) << (code ? code : "-1");
  }
  EXPECT_EQ(ReadCsvStockCode(text_.data(), Length(), &pos_), 0x41420000u);
  EXPECT_EQ(pos_, Length());
}

TEST_F(CsvFields, SkipLineFindsTheNextLineOrReportsTheEnd) {
  const struct {
    const char* text;
    int start;
    int expected;
  } cases[] = {{"a\r\nb", 0, 3}, {"a\rb", 0, 2}, {"a\r\n", 0, -1}, {"a\r", 0, -1},
               {"abc", 0, -1},   {"a\rb", 2, -1}, {"a\rb", -1, -1}, {"a\rb", 9, -1}};
  for (const auto& c : cases) {
    Use(c.text);
    pos_ = c.start;
    EXPECT_EQ(SkipCsvLine(text_.data(), Length(), &pos_), c.expected) << c.text << " " << c.start;
    EXPECT_EQ(pos_, c.expected);
  }
}

TEST(TextLines, ConvertAndCount) {
  char text[] = "a\nb\r\nc\n";
  ConvertLfToCr(text, 7);
  EXPECT_STREQ(text, "a\rb\r\rc\r");
  EXPECT_EQ(CountTextLines(text, 7), 5);
  EXPECT_EQ(CountTextLines(text, 0), 1);
  EXPECT_EQ(CountTextLines(text, -1), 1);
  ConvertLfToCr(text, -1);
}

TEST(TextSplit, EmptyTokensAreDropped) {
  int count = -1;
  char** parts = SplitTextToArray(",ab,,株式,", &count);
  ASSERT_NE(parts, nullptr);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(parts[0], "ab");
  EXPECT_STREQ(parts[1], "株式");
  FreeBlockArray(parts, count);

  parts = SplitTextToArray(",,", &count);
  ASSERT_NE(parts, nullptr);
  EXPECT_EQ(count, 0);
  FreeBlockArray(parts, count);
}

}  // namespace
