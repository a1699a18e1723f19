#include "common/sjis_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "tests/support/row.h"

namespace {

std::string Extract(const char* text, int length) {
  char out[64];
  memset(out, 'X', sizeof out);
  EXPECT_EQ(ExtractAlnumText(text, length, out), 1);
  return out;
}

std::string Extract(const char* text) { return Extract(text, static_cast<int>(strlen(text))); }

TEST(SjisTextTest, ByteClassesAtTheirEdges) {
  for (const int c : {'0', '9'}) EXPECT_TRUE(IsDigitChar(c)) << c;
  for (const int c : {'/', ':'}) EXPECT_FALSE(IsDigitChar(c)) << c;
  for (const int c : {0x30, 0x40, 0x5A}) EXPECT_TRUE(IsCodeChar(c)) << c;
  for (const int c : {0x2F, 0x5B, 0x61}) EXPECT_FALSE(IsCodeChar(c)) << c;
  for (const int c : {'0', '9', 'A', 'Z', 'a', 'z'}) EXPECT_TRUE(IsAsciiAlnum(c)) << c;
  for (const uint8_t c : {0x2F, 0x3A, 0x40, 0x5B, 0x60, 0x7B, 0xB1}) EXPECT_FALSE(IsAsciiAlnum(c)) << c;
  // Full-width letters and digits: lead 82 and the trail ranges 4F-58, 60-79, 81-9A.
  const std::pair<uint8_t, char> trails[] = {{0x4E, 0}, {0x4F, '0'}, {0x58, '9'}, {0x59, 0},
                                             {0x5F, 0}, {0x60, 'A'}, {0x79, 'Z'}, {0x7A, 0},
                                             {0x80, 0}, {0x81, 'a'}, {0x9A, 'z'}, {0x9B, 0}};
  for (const auto& [trail, ascii] : trails) {
    EXPECT_EQ(FullWidthToAscii(0x82, trail), ascii) << std::hex << int{trail};
    EXPECT_EQ(IsFullWidthAlnum(0x82, trail), ascii != 0);
  }
  EXPECT_EQ(Row(FullWidthToAscii(0x81, 0x60), FullWidthToAscii(0x83, 0x60)), Row(0, 0));
}

TEST(SjisTextTest, ExtractKeepsLettersAndDigitsOnly) {
  EXPECT_EQ(Extract("１２３４AB-"), "1234AB");
  EXPECT_EQ(Extract("ｔｏｐｉｘ　Ｚ９"), "topixZ9");
  // Trail bytes that look like ASCII ("ア" is 83 41, "表" is 95 5C) are not letters.
  EXPECT_EQ(Extract("ア表x"), "x");
  EXPECT_EQ(Extract("ｱｲ1"), "1");  // half-width kana are single bytes
  EXPECT_EQ(Extract(""), "");
  char out[4] = "abc";
  EXPECT_EQ(ExtractAlnumText(nullptr, 3, out), 0);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(ExtractAlnumText("1", 1, nullptr), 0);
}

TEST(SjisTextTest, ExtractNeverReadsPastTheLength) {
  // "０" is 82 4F: cut after its lead byte, the character is dropped.
  EXPECT_EQ(Extract("A０", 2), "A");
  EXPECT_EQ(Extract("A０B", 4), "A0B");
  EXPECT_EQ(Extract("AB", 1), "A");
  EXPECT_EQ(Extract("AB", -1), "");
  // A field with junk after its terminator.
  const char field[] = {'1', '3', 0, '9', '9'};
  EXPECT_EQ(Extract(field, 5), "13");
}

std::string Copy(const char* text, int size) {
  char out[32];
  memset(out, 'X', sizeof out);
  CopySjisText(out, text, size);
  EXPECT_EQ(out[size], 'X') << "wrote past size";
  return std::string(out);
}

TEST(SjisTextTest, CopyNeverCutsATwoByteCharacterAlsoInPlace) {
  EXPECT_EQ(Copy("ab東証", 7), "ab東証");  // 6 bytes and the zero
  EXPECT_EQ(Copy("ab東証", 6), "ab東");
  EXPECT_EQ(Copy("ab東証", 5), "ab東");
  EXPECT_EQ(Copy("ab東証", 4), "ab");
  EXPECT_EQ(Copy("abc", 1), "");
  const char dangling[] = {'a', '\x82', 0};
  EXPECT_EQ(Copy(dangling, 8), "a");
  // A fixed 8-byte field read from a file, terminated over half of its last character.
  char text[8];
  memcpy(text, "日経平均", 8);
  text[7] = 0;
  CopySjisText(text, text, sizeof text);
  EXPECT_STREQ(text, "日経平");
  CopySjisText(text, "abc", 0);
  EXPECT_STREQ(text, "日経平");
}

}  // namespace
