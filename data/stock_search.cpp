#include <algorithm>
#include <array>
#include <cstring>

#include "common/sjis_text.h"
#include "data/stock_table.h"

namespace {

// The Shift-JIS codes of the 94 full-width forms of '!'..'~', in ASCII order.
constexpr std::array<uint16_t, 94> kFullWidthForms = {
    0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169,  // ！”＃＄％＆’（
    0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E, 0x824F,  // ）＊＋，－．／０
    0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257,  // １２３４５６７８
    0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197,  // ９：；＜＝＞？＠
    0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267,  // ＡＢＣＤＥＦＧＨ
    0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F,  // ＩＪＫＬＭＮＯＰ
    0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277,  // ＱＲＳＴＵＶＷＸ
    0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x814D,  // ＹＺ［￥］＾＿｀
    0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288,  // ａｂｃｄｅｆｇｈ
    0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290,  // ｉｊｋｌｍｎｏｐ
    0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298,  // ｑｒｓｔｕｖｗｘ
    0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,                  // ｙｚ｛｜｝～
};

// All the forms have the lead byte 0x81 or 0x82.
constexpr uint8_t kFirstFormLead = 0x81;
constexpr int kFormLeadCount = 2;

using FoldTable = std::array<char, kFormLeadCount * 256>;

constexpr FoldTable MakeFoldTable() {
  FoldTable table{};
  for (size_t i = 0; i < kFullWidthForms.size(); ++i) {
    const int lead = kFullWidthForms[i] >> 8;
    const int trail = kFullWidthForms[i] & 0xFF;
    table[static_cast<size_t>((lead - kFirstFormLead) * 256 + trail)] = static_cast<char>('!' + i);
  }
  return table;
}

constexpr FoldTable kFoldTable = MakeFoldTable();

// One character of a text after folding: one or two bytes.
struct FoldedChar {
  uint8_t bytes[2];
  int size;      // bytes in the folded text
  int consumed;  // bytes of the original text
};

// `p` is at the start of a character, not at the terminator. A lead byte
// just before the terminator stands alone.
FoldedChar FoldNextChar(const uint8_t* p) {
  if (!IsSjisLeadByte(p[0]) || p[1] == 0) return {{p[0], 0}, 1, 1};
  if (p[0] - kFirstFormLead < kFormLeadCount) {
    const char ascii = kFoldTable[static_cast<size_t>((p[0] - kFirstFormLead) * 256 + p[1])];
    if (ascii != 0) return {{static_cast<uint8_t>(ascii), 0}, 1, 2};
  }
  return {{p[0], p[1]}, 2, 2};
}

// True when the folded pattern's bytes continue the folded text from here.
// Compared character by character: a pattern character may be shorter than
// the text's only when it is a lone lead byte ending the pattern.
bool StartsWithFolded(const uint8_t* text, const uint8_t* pattern) {
  while (*pattern != 0) {
    if (*text == 0) return false;
    const FoldedChar t = FoldNextChar(text);
    const FoldedChar p = FoldNextChar(pattern);
    if (p.size > t.size || memcmp(p.bytes, t.bytes, static_cast<size_t>(p.size)) != 0) return false;
    text += t.consumed;
    pattern += p.consumed;
  }
  return true;
}

// Matches begin only where a character begins, so that a one-byte pattern
// never matches the trail byte of a two-byte character.
bool ContainsFolded(const uint8_t* text, const uint8_t* pattern) {
  if (*text == 0) return false;
  for (; *text != 0; text += FoldNextChar(text).consumed) {
    if (StartsWithFolded(text, pattern)) return true;
  }
  return false;
}

bool StockMatches(const StockMasterRecord& master, const char* pattern) {
  return ContainsTextNormalized(master.name, pattern) || ContainsTextNormalized(master.reading, pattern) ||
         ContainsTextNormalized(master.shortName, pattern);
}

int SearchableCount() { return gStockTable != nullptr ? std::clamp(gStockTable->count, 0, kMaxStocks) : 0; }

}  // namespace

void NormalizeTextForSearch(const char* text, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return;
  size_t n = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(text != nullptr ? text : "");
  while (*p != 0) {
    const FoldedChar c = FoldNextChar(p);
    if (n + static_cast<size_t>(c.size) >= outSize) break;  // never half a character
    memcpy(out + n, c.bytes, static_cast<size_t>(c.size));
    n += static_cast<size_t>(c.size);
    p += c.consumed;
  }
  out[n] = 0;
}

bool ContainsTextNormalized(const char* text, const char* pattern) {
  if (text == nullptr || pattern == nullptr) return false;
  return ContainsFolded(reinterpret_cast<const uint8_t*>(text), reinterpret_cast<const uint8_t*>(pattern));
}

int CountStocksMatchingText(const char* pattern) {
  if (pattern == nullptr) return 0;
  const int count = SearchableCount();
  int matches = 0;
  for (int i = 0; i < count; ++i) {
    if (StockMatches(gStockTable->records[i].master, pattern)) ++matches;
  }
  return matches;
}

int FindNextStockMatchingText(int startIndex, const char* pattern) {
  if (pattern == nullptr) return -1;
  const int count = SearchableCount();
  for (int i = std::max(startIndex, 0); i < count; ++i) {
    if (StockMatches(gStockTable->records[i].master, pattern)) return i;
  }
  return -1;
}
