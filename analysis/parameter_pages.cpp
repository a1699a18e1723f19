#include "analysis/parameter_pages.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr int16_t kFirstEdit = 10012;       // descriptor-driven and deviation pages
constexpr int16_t kFirstFixedEdit = 10011;  // pages of one, two or three fixed fields
constexpr int16_t kDeviationSecondEdit = 10042;
constexpr int kLongPeriod = 300, kShortPeriod = 100, kStochasticPeriod = 30, kPriceRangeBars = 5119;

constexpr ParameterField Field(int slot, int editId, int minimum, int maximum, const char* label) {
  return {static_cast<int16_t>(slot), static_cast<int16_t>(editId), static_cast<int16_t>(minimum),
          static_cast<int16_t>(maximum), label};
}

// Periods 3..maximum in consecutive edits from `firstEdit`.
constexpr ParameterField Period(int slot, int k, int firstEdit, int maximum, const char* label) {
  return Field(slot + k, firstEdit + k, 3, maximum, label);
}

}  // namespace

// Tab titles are strings 128..140, 251 and 252; templates as the pages are numbered.
const std::array<ParameterPage, kParameterPageCount> kParameterPages = {{
    {141,
     128,
     6,
     6,
     {Period(kParamCloseAverage0, 0, kFirstEdit, kLongPeriod, "平均１"),
      Period(kParamCloseAverage0, 1, kFirstEdit, kLongPeriod, "平均２"),
      Period(kParamCloseAverage0, 2, kFirstEdit, kLongPeriod, "平均３"),
      Period(kParamCloseAverage0, 3, kFirstEdit, kLongPeriod, "平均４"),
      Period(kParamCloseAverage0, 4, kFirstEdit, kLongPeriod, "平均５"),
      Period(kParamCloseAverage0, 5, kFirstEdit, kLongPeriod, "平均６")},
     {19, 20, 21, 22, 23, 24},
     nullptr},
    {142,
     129,
     2,
     2,
     {Period(kParamVolumeAverage0, 0, kFirstEdit, kLongPeriod, "平均１"),
      Period(kParamVolumeAverage0, 1, kFirstEdit, kLongPeriod, "平均２")},
     {25, 26},
     nullptr},
    {144,
     130,
     3,
     3,
     {Period(kParamRsi0, 0, kFirstEdit, kLongPeriod, "期間１"),
      Period(kParamRsi0, 1, kFirstEdit, kLongPeriod, "期間２"),
      Period(kParamRsi0, 2, kFirstEdit, kLongPeriod, "期間３")},
     {27, 28, 29},
     nullptr},
    {203,
     131,
     3,
     3,
     {Period(kParamRci0, 0, kFirstEdit, kLongPeriod, "期間１"),
      Period(kParamRci0, 1, kFirstEdit, kLongPeriod, "期間２"),
      Period(kParamRci0, 2, kFirstEdit, kLongPeriod, "期間３")},
     {30, 31, 32},
     nullptr},
    {218,
     132,
     6,
     3,
     {Period(kParamDeviation0, 0, kFirstEdit, kLongPeriod, "ｎ１"),
      Period(kParamDeviation0, 1, kFirstEdit, kLongPeriod, "ｎ２"),
      Period(kParamDeviation0, 2, kFirstEdit, kLongPeriod, "ｎ３"),
      Field(kParamDeviationSecond0, kDeviationSecondEdit, 0, kLongPeriod, "ｍ１"),
      Field(kParamDeviationSecond0 + 1, kDeviationSecondEdit + 1, 0, kLongPeriod, "ｍ２"),
      Field(kParamDeviationSecond0 + 2, kDeviationSecondEdit + 2, 0, kLongPeriod, "ｍ３")},
     {33, 34, 35},
     "※「ｎ日移動平均からの乖離率　＋　ｍ日移動平均からの乖離率」の形式で計算されます。\r"
     "　単に「ｎ日移動平均からの乖離率」を計算する場合は、ｍに０日を指定してください。\r"
     "　週足、月足でも同様です。"},
    {219,
     133,
     3,
     2,
     {Period(kParamStochK, 0, kFirstFixedEdit, kStochasticPeriod, "%K"),
      Period(kParamStochK, 1, kFirstFixedEdit, kStochasticPeriod, "%D"),
      Period(kParamStochK, 2, kFirstFixedEdit, kStochasticPeriod, "%SD")},
     {36, 37},
     nullptr},
    {220,
     134,
     3,
     2,
     {Period(kParamMacdShort, 0, kFirstFixedEdit, kShortPeriod, "短期"),
      Period(kParamMacdShort, 1, kFirstFixedEdit, kShortPeriod, "長期"),
      Period(kParamMacdShort, 2, kFirstFixedEdit, kShortPeriod, "シグナル")},
     {38, 39},
     nullptr},
    {254,
     135,
     3,
     3,
     {Period(kParamPlusDi, 0, kFirstFixedEdit, kShortPeriod, "DI+"),
      Period(kParamPlusDi, 1, kFirstFixedEdit, kShortPeriod, "DI-"),
      Period(kParamPlusDi, 2, kFirstFixedEdit, kShortPeriod, "ADX")},
     {40, 41, 42},
     nullptr},
    {257,
     136,
     2,
     1,
     {Period(kParamSrocEma, 0, kFirstFixedEdit, kShortPeriod, "EMA"),
      Period(kParamSrocEma, 1, kFirstFixedEdit, kShortPeriod, "変化率")},
     {43},
     nullptr},
    {258,
     137,
     3,
     3,
     {Period(kParamPsychological0, 0, kFirstEdit, kLongPeriod, "期間１"),
      Period(kParamPsychological0, 1, kFirstEdit, kLongPeriod, "期間２"),
      Period(kParamPsychological0, 2, kFirstEdit, kLongPeriod, "期間３")},
     {44, 45, 46},
     nullptr},
    {259, 138, 1, 2, {Period(kParamObvEma, 0, kFirstFixedEdit, kShortPeriod, "EMA")}, {47, 48}, nullptr},
    {260, 139, 1, 4, {Period(kParamBollinger, 0, kFirstFixedEdit, kShortPeriod, "期間")}, {58, 59, 60, 61}, nullptr},
    {261, 140, 1, 1, {Period(kParamVolumeRatio, 0, kFirstFixedEdit, kShortPeriod, "期間")}, {64}, nullptr},
    {262, 251, 1, 1, {Period(kParamAdvanceDecline, 0, kFirstFixedEdit, kShortPeriod, "期間")}, {65}, nullptr},
    {263,
     252,
     6,
     0,
     {Period(kParamPriceRange0, 0, kFirstEdit, kPriceRangeBars, "期間１"),
      Period(kParamPriceRange0, 1, kFirstEdit, kPriceRangeBars, "期間２"),
      Period(kParamPriceRange0, 2, kFirstEdit, kPriceRangeBars, "期間３"),
      Period(kParamPriceRange0, 3, kFirstEdit, kPriceRangeBars, "期間４"),
      Period(kParamPriceRange0, 4, kFirstEdit, kPriceRangeBars, "期間５"),
      Period(kParamPriceRange0, 5, kFirstEdit, kPriceRangeBars, "期間６")},
     {},
     nullptr},
}};

int ParameterEditId(const ParameterPage& page, int field, int row) {
  return page.fields[static_cast<size_t>(field)].editId + kParameterRowIdStep * row;
}

bool FindParameterEdit(const ParameterPage& page, int editId, int* field, int* row) {
  for (int r = 0; r < kParameterRows; ++r) {
    for (int k = 0; k < page.fieldCount; ++k) {
      if (ParameterEditId(page, k, r) != editId) continue;
      *field = k;
      *row = r;
      return true;
    }
  }
  return false;
}

void KeepParametersInPageRanges(IndicatorParameterSet& set) {
  for (const ParameterPage& page : kParameterPages) {
    for (int k = 0; k < page.fieldCount; ++k) {
      const ParameterField& field = page.fields[static_cast<size_t>(k)];
      uint16_t& value = set.slot[field.slot];
      value = static_cast<uint16_t>(std::clamp<int>(value, field.minimum, field.maximum));
    }
  }
}

bool CompareIndicatorParameterSets(const IndicatorParameterSet saved[kParameterRows],
                                   const IndicatorParameterSet working[kParameterRows]) {
  for (int r = 0; r < kParameterRows; ++r) {
    for (int slot = 0; slot < kParamSpare0; ++slot) {
      if (slot != kParamUnused && saved[r].slot[slot] != working[r].slot[slot]) return false;
    }
  }
  return true;
}
