// Shift-JIS text, stock codes, numbers as text and the fields of comma-separated lists.
#include "common/number_text.h"
#include "common/sjis_text.h"
#include "common/text_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/row.h"

namespace {

class TextFields : public ::testing::Test {
 protected:
  void SetUp() override { InitStockCodeGlobals(); }
};

StockCode Code(const char* text) { return StringToCode(text); }

TEST_F(TextFields, CodesPackUnpackAndCheckTheirRange) {
  EXPECT_EQ(Code("1301"), 0x31333031u);
  char text[5];
  EXPECT_STREQ(CodeToString(0x31333031u, text), "1301");
  EXPECT_STREQ(CodeToString(Code("ZZZZ")), "ZZZZ");
  auto shortText = std::make_unique<char[]>(3);  // a read of a fourth byte trips ASan
  std::memcpy(shortText.get(), "AB", 3);
  EXPECT_EQ(Row(Code("13015"), Code(nullptr), Code(shortText.get())), Row(Code("1301"), 0, 0x41420000u));
  EXPECT_EQ(
      Row(IsStockCodeInRange(Code("0000")), IsStockCodeInRange(Code("ZZZZ")), IsStockCodeInRange(Code("0000") - 1),
          IsStockCodeInRange(Code("ZZZZ") + 1), IsStockCodeInRange(0xFFFFFFFFu), IsStockCodeInRange(1301)),
      Row(1, 1, 0, 0, 0, 0));
  EXPECT_EQ(Row(NumberToCode(1301), NumberToCode(8), NumberToCode(0), NumberToCode(10000)),
            Row(Code("1301"), Code("0008"), Code("0000"), 10000));
  // "13:0" is in range, yet no code.
  EXPECT_EQ(Row(IsValidCodeText(Code("13A0")), IsValidCodeText(Code("13:0")), IsValidCodeText(Code("130"))),
            Row(1, 0, 0));
  const char* const aliases[][2] = {{"0101", "1001"}, {"0000", "1001"}, {"0201", "1002"},
                                    {"0010", "1002"}, {"I010", "1003"}, {"0106", "1003"},
                                    {"I011", "1004"}, {"0107", "1004"}, {"1301", "1301"}};
  for (const auto& a : aliases) EXPECT_EQ(GetCanonicalIndexCode(Code(a[0])), Code(a[1])) << a[0];
}

// The fields read one after another from `position`, joined by '|', into `outSize` bytes.
std::string Fields(const std::string& text, int* position, int reads, int outSize = 64) {
  std::string fields;
  for (int i = 0; i < reads; ++i) {
    std::vector<char> out(static_cast<size_t>(outSize), 'x');
    ReadCsvField(text.data(), static_cast<int>(text.size()), position, out.data(), outSize);
    fields += std::string(out.data()) + "|";
  }
  return fields;
}

TEST_F(TextFields, SeparatorsLineEndsAndBufferEnd) {
  const std::string text = "株式,1301\tB,,\rA,BC";
  int pos = 0;
  EXPECT_EQ(Fields(text, &pos, 6), "株式|1301|B||||");
  EXPECT_EQ(pos, 13);  // left on the CR
  pos = 16;
  EXPECT_EQ(Fields(text, &pos, 1), "BC|");
  EXPECT_EQ(pos, 18);
  for (int start : {18, 100, -1, INT_MIN}) {
    pos = start;
    EXPECT_EQ(Fields(text, &pos, 1) + std::to_string(pos), "|" + std::to_string(start));
  }
  pos = 0;  // a long field is cut and the next read starts at the next field
  EXPECT_EQ(Fields("ABCDEFGH,IJ", &pos, 2, 4), "ABC|IJ|");
}

TEST_F(TextFields, ListWhoseLastLineHasNoCrParsesEachLineOnce) {
  const std::string text = "1301,100\r\n1332,200\r7203,300";
  const int length = static_cast<int>(text.size());
  std::vector<std::string> lines;
  for (int pos = 0, guard = 0; pos != -1 && guard < 10; ++guard) {
    const std::string code = CodeToString(ReadCsvCode(text.data(), length, &pos));
    lines.push_back(code + ":" + std::to_string(ReadCsvInt(text.data(), length, &pos)));
    SkipCsvLine(text.data(), length, &pos);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"1301:100", "1332:200", "7203:300"}));
  const struct {
    const char* text;
    int start, expected;
  } skips[] = {{"a\r\nb", 0, 3}, {"a\rb", 0, 2}, {"a\r\n", 0, -1}, {"abc", 0, -1}, {"a\rb", -1, -1}};
  for (const auto& c : skips) {
    int pos = c.start;
    EXPECT_EQ(SkipCsvLine(c.text, static_cast<int>(strlen(c.text)), &pos), c.expected) << c.text;
    EXPECT_EQ(pos, c.expected);
  }
}

TEST_F(TextFields, NumbersAndListCodes) {
  const std::string nums = " 42abc,x,-99999999999,123.5, 1e3,nan,0x10";
  int pos = 0;
  int n = static_cast<int>(nums.size());
  for (int expected : {42, 0, INT_MIN}) EXPECT_EQ(ReadCsvInt(nums.data(), n, &pos), expected);
  for (double expected : {123.5, 1000.0, 0.0, 0.0}) EXPECT_EQ(ReadCsvDouble(nums.data(), n, &pos), expected);
  const std::string codes = "I1,I101,I148,I149,I010,I011,I,1301,AB";
  pos = 0;
  n = static_cast<int>(codes.size());
  for (const char* code : {"1050", "1051", "1098", "", "1003", "1004", "", "1301", "AB"}) {
    EXPECT_EQ(ReadCsvStockCode(codes.data(), n, &pos), *code ? Code(code) : 0xFFFFFFFFu) << code;
  }
}

TEST_F(TextFields, LinesAreConvertedCountedAndSplit) {
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

// '1' for each byte the class takes, '0' for each it refuses.
std::string Taken(bool (*is)(uint8_t), std::initializer_list<int> bytes) {
  std::string taken;
  for (int b : bytes) taken += is(static_cast<uint8_t>(b)) ? '1' : '0';
  return taken;
}

std::string Extract(const char* text, int length) {
  char out[64];
  memset(out, 'X', sizeof out);
  EXPECT_EQ(ExtractAlnumText(text, length, out), 1);
  return out;
}

std::string Extract(const char* text) { return Extract(text, static_cast<int>(strlen(text))); }

TEST(SjisTextTest, ByteClassesAtTheirEdges) {
  EXPECT_EQ(Taken(IsDigitChar, {'/', '0', '9', ':'}), "0110");
  EXPECT_EQ(Taken(IsCodeChar, {0x2F, 0x30, 0x40, 0x5A, 0x5B, 0x61}), "011100");
  EXPECT_EQ(Taken(IsAsciiAlnum, {'0', '9', 'A', 'Z', 'a', 'z', 0x2F, 0x3A, 0x40, 0x5B, 0x60, 0x7B, 0xB1}),
            "1111110000000");
  // Full-width letters and digits: lead 82 and the trail ranges 4F-58, 60-79, 81-9A.
  std::string ascii;
  for (uint8_t trail : {0x4E, 0x4F, 0x58, 0x59, 0x5F, 0x60, 0x79, 0x7A, 0x80, 0x81, 0x9A, 0x9B}) {
    const char c = FullWidthToAscii(0x82, trail);
    ascii += c != 0 ? c : '.';
    EXPECT_EQ(IsFullWidthAlnum(0x82, trail), c != 0);
  }
  EXPECT_EQ(ascii, ".09..AZ..az.");
  EXPECT_EQ(FullWidthToAscii(0x81, 0x60) + FullWidthToAscii(0x83, 0x60), 0);
}

TEST(SjisTextTest, ExtractKeepsLettersAndDigitsOnlyAndNeverReadsPastTheLength) {
  EXPECT_EQ(Extract("１２３４AB-"), "1234AB");
  EXPECT_EQ(Extract("ｔｏｐｉｘ　Ｚ９"), "topixZ9");
  // Trail bytes that look like ASCII ("ア" is 83 41, "表" is 95 5C) are not letters.
  EXPECT_EQ(Extract("ア表x"), "x");
  EXPECT_EQ(Extract("ｱｲ1"), "1");  // half-width kana are single bytes
  EXPECT_EQ(Extract(""), "");
  // "０" is 82 4F: cut after its lead byte, the character is dropped.
  EXPECT_EQ(Extract("A０", 2) + "|" + Extract("A０B", 4) + "|" + Extract("AB", 1) + "|" + Extract("AB", -1),
            "A|A0B|A|");
  const char field[] = {'1', '3', 0, '9', '9'};  // junk after the terminator
  EXPECT_EQ(Extract(field, 5), "13");
  char out[4] = "abc";
  EXPECT_EQ(ExtractAlnumText(nullptr, 3, out) + ExtractAlnumText("1", 1, nullptr), 0);
  EXPECT_STREQ(out, "abc");
}

std::string Copy(const char* text, int size) {
  char out[32];
  memset(out, 'X', sizeof out);
  CopySjisText(out, text, size);
  EXPECT_EQ(out[size], 'X') << "wrote past size";
  return std::string(out);
}

TEST(SjisTextTest, CopyNeverCutsATwoByteCharacterAlsoInPlace) {
  EXPECT_EQ(Copy("ab東証", 7) + "|" + Copy("ab東証", 6) + "|" + Copy("ab東証", 5) + "|" + Copy("ab東証", 4),
            "ab東証|ab東|ab東|ab");
  const char dangling[] = {'a', '\x82', 0};
  EXPECT_EQ(Copy("abc", 1) + "|" + Copy(dangling, 8), "|a");
  // A fixed 8-byte field read from a file, terminated over half of its last character.
  char text[8];
  memcpy(text, "日経平均", 8);
  text[7] = 0;
  CopySjisText(text, text, sizeof text);
  EXPECT_STREQ(text, "日経平");
  CopySjisText(text, "abc", 0);
  EXPECT_STREQ(text, "日経平");
}

// 8-byte fields as a file holds them, and as they are once terminated.
TEST(SjisTextTest, FieldsFromFilesEndAfterAWholeCharacterAndKeepTheBytesAfterTheirEnd) {
  const std::pair<std::string, std::string> fields[] = {
      {std::string("abcdefgh", 8), std::string("abcdefg\0", 8)},
      {std::string("日経平均", 8), std::string("日経平\0\0", 8)},      // no end: cut at the last whole character
      {std::string("ab\0XYZWV", 8), std::string("ab\0XYZWV", 8)},      // ended: the bytes after it stay
      {std::string("ab\x82\0XYZW", 8), std::string("ab\0\0XYZW", 8)},  // half a character before the end
  };
  for (const auto& [field, terminated] : fields) {
    char text[8];
    memcpy(text, field.data(), sizeof text);
    TerminateTextField(text, sizeof text);
    EXPECT_EQ(std::string(text, sizeof text), terminated) << field;
  }
}

// Each value formatted into 16 bytes (the extremes fit, nothing is written beyond), joined by '|'.
std::string Texts(void (*format)(int, char*), std::initializer_list<int> values) {
  std::string texts;
  for (int value : values) {
    char out[17];
    memset(out, 'X', sizeof out);
    format(value, out);
    texts += std::string(out) + (out[16] == 'X' ? "|" : "<overrun>|");
  }
  return texts;
}

// Each value formatted into `size` bytes, joined by '|'.
std::string DoubleTexts(std::initializer_list<double> values, size_t size = 64) {
  std::string texts;
  for (double value : values) {
    char out[65];
    memset(out, 'X', sizeof out);
    FormatDoubleThousands(value, out, size);
    texts += std::string(out) + (out[size] == 'X' ? "|" : "<overrun>|");
  }
  return texts;
}

TEST(NumberTextTest, IntegersAreGroupedAtEveryBoundary) {
  EXPECT_EQ(Texts(FormatThousands, {0, 999, 1000, -1000, 999999, 1000000, 1000001, 1000000000, -7, INT_MIN, INT_MAX}),
            "0|999|1,000|-1,000|999,999|1,000,000|1,000,001|1,000,000,000|-7|-2,147,483,648|2,147,483,647|");
  EXPECT_EQ(Texts(FormatSignedThousands, {0, -1500, INT_MIN, INT_MAX}), "+0|-1,500|-2,147,483,648|+2,147,483,647|");
  EXPECT_EQ(Texts(FormatYenThousands, {0, 12345678, -1000, INT_MIN}), "\\0|\\12,345,678|-\\1,000|-\\2,147,483,648|");
}

// "%.0f" rounds half to even; what is no number gives zero; nothing beyond `size` bytes.
TEST(NumberTextTest, DoublesAreRoundedThenGroupedWithinTheirSize) {
  EXPECT_EQ(DoubleTexts({-1234.4, 1234567.6, 999.5, 0.4, -0.4, -0.0, 1e15, -9876543210.0}),
            "-1,234|1,234,568|1,000|0|0|0|1,000,000,000,000,000|-9,876,543,210|");
  EXPECT_EQ(DoubleTexts({std::nan(""), HUGE_VAL, -HUGE_VAL}), "0|0|0|");
  EXPECT_EQ(DoubleTexts({1e300}, 6) + DoubleTexts({-std::numeric_limits<double>::max()}, 1), "1,000||");
  char largest[512];
  FormatDoubleThousands(std::numeric_limits<double>::max(), largest, sizeof largest);
  EXPECT_EQ(strlen(largest), 309u + 102u);
  EXPECT_EQ(std::string(largest, 8), "179,769,");
}

// Every byte is 6 pixels wide.
int MeasureSixPerByte(void* calls, const char* text) {
  ++*static_cast<int*>(calls);
  return 6 * static_cast<int>(strlen(text));
}

// Exactly fits; 5 bytes + 2 for the unit; millions are not measured again, and cut toward zero.
TEST(NumberTextTest, FitFallsBackToThousandsThenMillions) {
  const struct {
    int value, width;
    const char* text;
    int calls;
  } cases[] = {{1234567, 54, "1,234,567", 1},
               {1234567, 53, "1,234千", 2},
               {1234567, 41, "1百万", 2},
               {-1999999, 10, "-1百万", 2},
               {INT_MIN, 0, "-2,147百万", 2}};
  for (const auto& c : cases) {
    char out[16];
    int calls = 0;
    FormatThousandsToFit(MeasureSixPerByte, &calls, c.value, out, c.width);
    EXPECT_EQ(std::string(out) + " " + std::to_string(calls), c.text + (" " + std::to_string(c.calls))) << c.width;
  }
}

}  // namespace
