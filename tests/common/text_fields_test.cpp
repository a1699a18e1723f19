#include "common/text_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/row.h"

namespace {

std::string Field(const std::string& text, int* position, int outSize = 64) {
  std::vector<char> out(static_cast<size_t>(outSize), 'x');
  ReadCsvField(text.data(), static_cast<int>(text.size()), position, out.data(), outSize);
  return out.data();
}

TEST(CsvFields, SeparatorsLineEndsAndBufferEnd) {
  const std::string text = "株式,1301\tB,,\rA,BC";
  int pos = 0;
  for (const char* expected : {"株式", "1301", "B", "", ""}) {
    EXPECT_EQ(Field(text, &pos), expected);
  }
  EXPECT_EQ(pos, 13);  // left on the CR
  EXPECT_EQ(Field(text, &pos), "");
  EXPECT_EQ(pos, 13);
  pos = 16;
  EXPECT_EQ(Field(text, &pos), "BC");
  EXPECT_EQ(pos, 18);
  for (int start : {18, 100, -1, INT_MIN}) {
    pos = start;
    EXPECT_EQ(Field(text, &pos), "");
    EXPECT_EQ(pos, start);
  }
}

TEST(CsvFields, LongFieldIsCutAndTheNextReadStartsAtTheNextField) {
  int pos = 0;
  EXPECT_EQ(Field("ABCDEFGH,IJ", &pos, 4), "ABC");
  EXPECT_EQ(Field("ABCDEFGH,IJ", &pos, 4), "IJ");
}

TEST(CsvFields, ListWhoseLastLineHasNoCrParsesEachLineOnce) {
  InitStockCodeGlobals();
  const std::string text = "1301,100\r\n1332,200\r7203,300";
  const int length = static_cast<int>(text.size());
  std::vector<std::string> lines;
  for (int pos = 0, guard = 0; pos != -1 && guard < 10; ++guard) {
    const std::string code = CodeToString(ReadCsvCode(text.data(), length, &pos));
    lines.push_back(code + ":" + std::to_string(ReadCsvInt(text.data(), length, &pos)));
    SkipCsvLine(text.data(), length, &pos);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"1301:100", "1332:200", "7203:300"}));
}

TEST(CsvFields, NumbersAndListCodes) {
  InitStockCodeGlobals();
  const std::string nums = " 42abc,x,-99999999999,123.5, 1e3,nan,0x10";
  int pos = 0;
  int n = static_cast<int>(nums.size());
  for (int expected : {42, 0, INT_MIN}) EXPECT_EQ(ReadCsvInt(nums.data(), n, &pos), expected);
  for (double expected : {123.5, 1000.0, 0.0, 0.0}) {
    EXPECT_EQ(ReadCsvDouble(nums.data(), n, &pos), expected);
  }

  const std::string codes = "I1,I101,I148,I149,I010,I011,I,1301,AB";
  pos = 0;
  n = static_cast<int>(codes.size());
  for (const char* code : {"1050", "1051", "1098", "", "1003", "1004", "", "1301", "AB"}) {
    const StockCode expected = *code ? StringToCode(code) : 0xFFFFFFFFu;
    EXPECT_EQ(ReadCsvStockCode(codes.data(), n, &pos), expected) << code;
  }
}

TEST(CsvFields, SkipLine) {
  const struct {
    const char* text;
    int start, expected;
  } cases[] = {{"a\r\nb", 0, 3}, {"a\rb", 0, 2}, {"a\r\n", 0, -1}, {"abc", 0, -1}, {"a\rb", -1, -1}};
  for (const auto& c : cases) {
    int pos = c.start;
    EXPECT_EQ(SkipCsvLine(c.text, static_cast<int>(strlen(c.text)), &pos), c.expected) << c.text;
    EXPECT_EQ(pos, c.expected);
  }
}

TEST(TextLines, ConvertCountAndSplit) {
  char text[] = "a\nb\r\nc";
  ConvertLfToCr(text, 6);
  EXPECT_STREQ(text, "a\rb\r\rc");
  EXPECT_EQ(Row(CountTextLines(text, 6), CountTextLines(text, 0)), Row(4, 1));
  int count = -1;
  char** parts = SplitTextToArray(",ab,,株式,", &count);
  ASSERT_NE(parts, nullptr);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(std::string(parts[0]) + "|" + parts[1], "ab|株式");
  FreeBlockArray(parts, count);
}

}  // namespace
