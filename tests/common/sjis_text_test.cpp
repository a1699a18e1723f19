#include "common/sjis_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

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

}  // namespace
