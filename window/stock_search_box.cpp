#include "window/stock_search_box.h"

#include <cstdio>
#include <cstring>

#include "common/sjis_text.h"
#include "data/stock_table.h"

namespace {

constexpr uint8_t kFullWidthLead = 0x82;
constexpr int kShortestCodeText = 4;
constexpr int kLongestCodeText = 8;
constexpr char kCodeMissingFormat[] = "銘柄コード（%s）が見つかりません。";
constexpr char kNameMissingFormat[] = "銘柄名（%s）が見つかりません。";

bool IsCodeForm(const char* s) {
  const auto* c = reinterpret_cast<const uint8_t*>(s);
  return std::strlen(s) == 4 && IsDigitChar(c[0]) && IsCodeChar(c[1]) && IsDigitChar(c[2]) && IsCodeChar(c[3]);
}

void CopySearchText(const char* text, StockSearchResult* result) {
  CopySjisText(result->text, text != nullptr ? text : "", sizeof result->text);
}

void LookUpCode(StockCode code, StockSearchResult* result) {
  result->code = code;
  result->outcome = FindStockIndexByCode(code) >= 0 ? kSearchFound : kSearchCodeMissing;
}

void LookUpName(StockSearchResult* result) {
  const int matches = CountStocksMatchingText(result->text);
  if (matches > 1) {
    result->outcome = kSearchChoose;
    return;
  }
  const int index = matches == 1 ? FindNextStockMatchingText(0, result->text) : -1;
  if (index < 0 || !AcceptChosenStock(gStockTable->records[index].master.code, result)) {
    result->outcome = kSearchNameMissing;
  }
}

}  // namespace

bool FullWidthCodeChar(uint8_t lead, uint8_t trail, char* out) {
  if (lead != kFullWidthLead || trail < 0x4F || trail > 0x79) return false;
  *out = static_cast<char>(trail - 31);
  return true;
}

bool ParseStockCodeText(const char* text, int length, StockCode* code) {
  if (text == nullptr || length < kShortestCodeText || length > kLongestCodeText) return false;
  char alnum[kLongestCodeText + 1];
  ExtractAlnumText(text, length, alnum);
  if (!IsCodeForm(alnum)) return false;
  *code = StringToCode(alnum);
  return true;
}

void ResolveStockSearch(const char* text, StockSearchResult* result) {
  *result = StockSearchResult{};
  CopySearchText(text, result);
  const int length = static_cast<int>(std::strlen(result->text));
  if (length == 0) return;
  StockCode code = 0;
  if (ParseStockCodeText(result->text, length, &code)) {
    LookUpCode(code, result);
  } else {
    LookUpName(result);
  }
}

bool AcceptChosenStock(StockCode code, StockSearchResult* result) {
  if (FindStockIndexByCode(code) < 0) {
    result->outcome = kSearchNameMissing;
    return false;
  }
  result->code = code;
  result->outcome = kSearchFound;
  return true;
}

void FormatStockSearchError(const StockSearchResult& result, char* out, int size) {
  if (out == nullptr || size <= 0) return;
  out[0] = 0;
  if (result.outcome == kSearchCodeMissing) {
    char code[5];
    std::snprintf(out, static_cast<size_t>(size), kCodeMissingFormat, CodeToString(result.code, code));
  } else if (result.outcome == kSearchNameMissing) {
    std::snprintf(out, static_cast<size_t>(size), kNameMissingFormat, result.text);
  }
}
