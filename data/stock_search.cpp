#include <algorithm>
#include <array>
#include <cstring>

#include "common/sjis_text.h"
#include "data/stock_table.h"

namespace {

// The 94 full-width forms of '!'..'~', in ASCII order (Shift-JIS in memory).
constexpr char kFullWidthForms[] =
    "！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠"
    "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿｀"
    "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～";
constexpr int kFullWidthFormCount = 94;
static_assert(sizeof kFullWidthForms == 2 * kFullWidthFormCount + 1, "every form is two bytes");

// All the forms have the lead byte 0x81 or 0x82.
constexpr uint8_t kFirstFormLead = 0x81;
constexpr int kFormLeadCount = 2;

using FoldTable = std::array<char, kFormLeadCount * 256>;

constexpr FoldTable MakeFoldTable() {
  FoldTable table{};
  for (int i = 0; i < kFullWidthFormCount; ++i) {
    const auto lead = static_cast<uint8_t>(kFullWidthForms[2 * i]);
    const auto trail = static_cast<uint8_t>(kFullWidthForms[2 * i + 1]);
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
