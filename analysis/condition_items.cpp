#include "analysis/condition_items.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>

#include "analysis/group_store.h"
#include "analysis/item_values.h"
#include "analysis/signal_settings.h"
#include "common/number_text.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

ConditionItemCode RebaseItemCode(ConditionItemCode code, uint32_t base) {
  if (code < 0 || base == 0) return code;
  const int64_t rebased = int64_t{code} / base * kItemSlotBase + int64_t{code} % base;
  return static_cast<ConditionItemCode>(std::min<int64_t>(rebased, INT16_MAX));
}

namespace {

constexpr std::array<const char*, kSnapshotSlots> kSlotPrefixes = {"本日の", "昨日の", "今週の",
                                                                   "先週の", "今月の", "先月の"};
constexpr std::array<const char*, kPeriodCount> kUnitWords = {"日", "週", "月"};

// Names of the items that have no parameter, as formats: "%s" is the period's unit word.
constexpr std::array<const char*, kConditionItemCount> kPlainItemNames = {
    "株価",
    "売買単価",
    "前%s比率",
    "出来高",
    "売買代金",
    "売買代金の過去５%s平均",
    "売買代金の過去１０%s平均",
    "過去３年間での価格レンジ",
    "%s中変動幅の過去１０%s平均",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 9-14 price averages
    nullptr,
    nullptr,  // 15-16 volume averages
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 17-22 RSI, RCI
    nullptr,
    nullptr,
    nullptr,  // 23-25 deviation rates
    "ストキャスティクス%%K",
    "ストキャスティクス%%D",
    "ストキャスティクス%%SD",
    "MACD",
    "MACDシグナル",
    "+DI",
    "-DI",
    "ADX",
    "S-ROC",
    nullptr,
    nullptr,
    nullptr,  // 35-37 psychological lines
    "OBV",
    "OBVのEMA",
    "一目の基準線",
    "一目の転換線",
    "一目の遅行線",
    "一目の雲の上限",
    "一目の雲の下限",
    "株価",
    "一目の基準線",
    "一目の転換線",
    "一目の雲の上限",
    "一目の雲の下限",
    nullptr,  // 50 Bollinger centre
    "＋１σ",
    "－１σ",
    "＋２σ",
    "－２σ",
    "＋３σ",
    "－３σ",
    "ボラティリティ",
    "始値",
    "高値",
    "安値",
    "SAR",
    "パラボリックのポジション",
    "過去３ヶ月での価格レンジ",
    "過去６ヶ月での価格レンジ",
    "過去９ヶ月での価格レンジ",
    "過去１２ヶ月での価格レンジ",
    nullptr,
    nullptr,  // 67-68 volume ratio, advance/decline ratio
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 69-74 average change rates
    "",
    "",
    "過去１ヶ月での価格レンジ",
    "過去２ヶ月での価格レンジ",
    "過去２４ヶ月での価格レンジ",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 80-85 bar ranges
    "過去３ヶ月での乖離レンジ",
    "過去６ヶ月での乖離レンジ",
    "過去９ヶ月での乖離レンジ",
    "過去１年間での乖離レンジ",
    "過去３年間での乖離レンジ"};

// Items named "text(period)" with one parameter each: {first index, count, text, first parameter}.
struct ParamItems {
  int firstIndex;
  int count;
  const char* format;
  int firstParam;
};
constexpr std::array<ParamItems, 10> kParamItems = {{
    {9, 6, "移動平均(%d%s)", kParamCloseAverage0},
    {15, 2, "出来高移動平均(%d%s)", kParamVolumeAverage0},
    {17, 3, "RSI(%d%s)", kParamRsi0},
    {20, 3, "RCI(%d%s)", kParamRci0},
    {35, 3, "サイコロ(%d%s)", kParamPsychological0},
    {50, 1, "ボリンジャーの中心(%d%s)", kParamBollinger},
    {67, 1, "ボリュームレシオ(%d%s)", kParamVolumeRatio},
    {68, 1, "騰落レシオ(%d%s)", kParamAdvanceDecline},
    {69, 6, "移動平均(%d%s)の前%s比率", kParamCloseAverage0},
    {80, 6, "過去%d%sでの価格レンジ", kParamPriceRange0},
}};

const ParamItems* FindParamItems(int index) {
  for (const ParamItems& items : kParamItems) {
    if (index >= items.firstIndex && index < items.firstIndex + items.count) return &items;
  }
  return nullptr;
}

struct SpecialName {
  int16_t code;
  const char* name;
};
constexpr std::array<SpecialName, 16> kSpecialNames = {{
    {kItemStockCode, "銘柄コード"},
    {kItemConstant, "数値　↓　"},
    {kItemAnyMonitoringLine, "監視線"},
    {kItemDateMonitoringLine, "日柄監視線"},
    {kItemUpperMonitoringLine, "上限監視線"},
    {kItemLowerMonitoringLine, "下限監視線"},
    {-300, "売買シグナルが発生"},
    {-301, "短期買シグナルが発生"},
    {-302, "中長期買シグナルが発生"},
    {-303, "短期売シグナルが発生"},
    {-304, "中長期売シグナルが発生"},
    {-305, "買玉の返済シグナルが発生"},
    {-306, "売玉の返済シグナルが発生"},
    {-307, "買玉の損切シグナルが発生"},
    {-308, "売玉の損切シグナルが発生"},
    {-309, "多重条件用シグナルが発生"},
}};
constexpr char kScenarioName[] = "シナリオに合致";

int Param(const IndicatorParameterSet& params, int slot) { return params.slot[slot]; }

// "乖離率(%d%s)" or, with a second average, "乖離率(%d%s+%d%s)"; the same
// parenthesis follows the deviation ranges.
void FormatDeviationPeriods(const IndicatorParameterSet& params, int line, const char* unit, char* text, size_t size) {
  const int first = Param(params, kParamDeviation0 + line);
  const int second = Param(params, kParamDeviationSecond0 + line);
  if (second != 0) {
    snprintf(text, size, "(%d%s+%d%s)", first, unit, second, unit);
  } else {
    snprintf(text, size, "(%d%s)", first, unit);
  }
}

void FormatIndexName(const IndicatorParameterSet& params, int index, const char* unit, char* text, size_t size) {
  char periods[64];
  if (index >= 23 && index <= 25) {
    FormatDeviationPeriods(params, index - 23, unit, periods, sizeof periods);
    snprintf(text, size, "乖離率%s", periods);
  } else if (index >= 86 && index <= 90) {
    FormatDeviationPeriods(params, 0, unit, periods, sizeof periods);
    snprintf(text, size, "%s%s", kPlainItemNames[static_cast<size_t>(index)], periods);
  } else if (const ParamItems* items = FindParamItems(index)) {
    const int p = Param(params, items->firstParam + index - items->firstIndex);
    snprintf(text, size, items->format, p, unit, unit);
  } else {
    snprintf(text, size, kPlainItemNames[static_cast<size_t>(index)], unit, unit);
  }
}

void FormatSpecialName(int code, char* text, size_t size) {
  text[0] = 0;
  if (IsGroupItemCode(code)) {
    const int g = GroupOfItemCode(code);
    snprintf(text, size, "グループ【%s】", gGroupTableEdit != nullptr ? gGroupTableEdit->groups[g].name : "");
    return;
  }
  if (code == kItemScenario) {
    snprintf(text, size, "%s", kScenarioName);
    return;
  }
  for (const SpecialName& special : kSpecialNames) {
    if (special.code == code) snprintf(text, size, "%s", special.name);
  }
}

// The first bar from which an item exists: the largest of the periods it
// needs, each less one (Bollinger bands need their whole period).
int ParamFirstBar(const IndicatorParameterSet& params, std::initializer_list<int> slots) {
  int first = 0;
  for (const int slot : slots) first = std::max(first, Param(params, slot) - 1);
  return first;
}

int FirstBarOf(int index, const IndicatorParameterSet& p) {
  switch (index) {
    case 2: return 1;
    case 5: return 4;
    case 6: return 9;
    case 8: return 19;
    case 26:
    case 27:
    case 28: return ParamFirstBar(p, {kParamStochK, kParamStochD, kParamStochSD});
    case 29:
    case 30: return ParamFirstBar(p, {kParamMacdShort, kParamMacdLong, kParamMacdSignal});
    case 31:
    case 32:
    case 33: return ParamFirstBar(p, {kParamPlusDi, kParamMinusDi, kParamAdx});
    case 34: return ParamFirstBar(p, {kParamSrocSpan, kParamSrocEma});
    case 38:
    case 39: return ParamFirstBar(p, {kParamObvEma});
    case 61:
    case 62: return 4;
    default: break;
  }
  if (index >= 9 && index <= 22) {
    const ParamItems* items = FindParamItems(index);
    return ParamFirstBar(p, {items->firstParam + index - items->firstIndex});
  }
  if (index >= 23 && index <= 25) {
    return ParamFirstBar(p, {kParamDeviation0 + index - 23, kParamDeviationSecond0 + index - 23});
  }
  if (index >= 35 && index <= 37) return ParamFirstBar(p, {kParamPsychological0 + index - 35});
  if (index >= 40 && index <= 47) return 25;
  if (index == 48 || index == 49) return 52;
  if (index >= 50 && index <= 57) return Param(p, kParamBollinger);
  if (index == 67) return ParamFirstBar(p, {kParamVolumeRatio});
  if (index == 68) return ParamFirstBar(p, {kParamAdvanceDecline});
  return 0;
}

}  // namespace

void GetConditionItemName(PeriodParameterSets params, int code, char* text, size_t size) {
  if (size == 0) return;
  if (!IsSlotItemCode(code)) {
    FormatSpecialName(code, text, size);
    return;
  }
  const int slot = ItemSlotOf(code);
  const int period = PeriodOfSlot(slot);
  char name[128];
  FormatIndexName(params[period], ItemIndexOf(code), kUnitWords[static_cast<size_t>(period)], name, sizeof name);
  snprintf(text, size, "%s%s", kSlotPrefixes[static_cast<size_t>(slot)], name);
}

bool ItemNeedsMoreBars(int index, int bar, const IndicatorParameterSet& params) {
  if (index < 0 || index >= kConditionItemCount || index == kItemUnused0 || index == kItemUnused1) return false;
  return bar < FirstBarOf(index, params);
}

namespace {

// Which bar of the slot's period a code is read at.
int SlotBar(PeriodBars bars, int slot) {
  const std::array<int, kPeriodCount> latest = {bars.daily, bars.weekly, bars.monthly};
  return latest[static_cast<size_t>(PeriodOfSlot(slot))] - (IsPreviousBarSlot(slot) ? 1 : 0);
}

double StockCodeValue(int stockIndex) {
  const StockRecord* stock = StockRecordAt(stockIndex);
  return stock != nullptr ? static_cast<int32_t>(stock->master.code) : 0;
}

// The parameters a bar-count question of the period is answered with.
const IndicatorParameterSet& ParamsOf(SeriesSet set, const PeriodSeriesBlock& block, int period) {
  if (set == SeriesSet::kSignal && gSignalSettings != nullptr) return gSignalSettings->params[period];
  return block.params;
}

}  // namespace

double GetConditionItemValue(SeriesSet set, const ChartSeriesSet& context, int stockIndex, PeriodBars bars, int code,
                             double constant) {
  if (code == kItemConstant) return constant;
  if (code == kItemStockCode) return StockCodeValue(stockIndex);
  if (!IsSlotItemCode(code)) return 0;
  const int slot = ItemSlotOf(code);
  const int period = PeriodOfSlot(slot);
  const PeriodSeriesBlock& block = context.periods[period];
  const StockRecord* stock = StockRecordAt(stockIndex);
  const double unit = stock != nullptr ? stock->master.tradingUnit : 0;
  const ItemSource source = set == SeriesSet::kSignal ? SignalItemSource(block, ParamsOf(set, block, period), unit)
                                                      : ChartItemSource(block, unit);
  return ComputeItemValue(source, ItemIndexOf(code), SlotBar(bars, slot));
}

bool IsItemUnavailableAtBars(SeriesSet set, const ChartSeriesSet& context, int stockIndex, PeriodBars bars, int code) {
  (void)stockIndex;
  if (code == kItemConstant || code == kItemStockCode) return false;
  if (!IsSlotItemCode(code)) return true;
  const int slot = ItemSlotOf(code);
  const int period = PeriodOfSlot(slot);
  const PeriodSeriesBlock& block = context.periods[period];
  const int bar = SlotBar(bars, slot);
  if (block.bars == nullptr || bar < 0 || bar >= block.bars->count) return true;
  return ItemNeedsMoreBars(ItemIndexOf(code), bar, ParamsOf(set, block, period));
}

double GetSnapshotItemValue(int stockIndex, int code) {
  if (code == kItemStockCode) return StockCodeValue(stockIndex);
  const StockRecord* stock = StockRecordAt(stockIndex);
  if (stock == nullptr || !IsSlotItemCode(code)) return 0;
  return stock->snapshots[ItemSlotOf(code)].values[ItemIndexOf(code)];
}

bool IsSnapshotItemUnavailable(int stockIndex, int code) {
  if (code == kItemConstant || code == kItemStockCode) return false;
  const StockRecord* stock = StockRecordAt(stockIndex);
  if (stock == nullptr || !IsSlotItemCode(code)) return true;
  const int slot = ItemSlotOf(code);
  const int period = PeriodOfSlot(slot);
  const std::array<int32_t, kPeriodCount> counts = {stock->dailyCount, stock->weeklyCount, stock->monthlyCount};
  const int bar = counts[static_cast<size_t>(period)] - 1 - (IsPreviousBarSlot(slot) ? 1 : 0);
  return bar < 0 || ItemNeedsMoreBars(ItemIndexOf(code), bar, gIndicatorParams[period]);
}

// ---- Value texts -------------------------------------------------------------------

namespace {

enum class ValueForm { kNone, kCode, kPriceA, kPriceB, kPercent, kShares, kAmount, kNumber, kPosition };

ValueForm FormOfIndex(int index) {
  switch (index) {
    case 0:
    case 45:
    case 58:
    case 59:
    case 60: return ValueForm::kPriceA;
    case 3:
    case 15:
    case 16: return ValueForm::kShares;
    case 4:
    case 5:
    case 6: return ValueForm::kAmount;
    case 29:
    case 30:
    case 38:
    case 39: return ValueForm::kNumber;
    case 62: return ValueForm::kPosition;
    case 75:
    case 76: return ValueForm::kNone;
    case 1:
    case 40:
    case 41:
    case 42:
    case 43:
    case 44:
    case 61: return ValueForm::kPriceB;
    default: break;
  }
  if ((index >= 9 && index <= 14) || (index >= 46 && index <= 56)) return ValueForm::kPriceB;
  return ValueForm::kPercent;
}

ValueForm FormOfCode(int code) {
  if (code == kItemStockCode) return ValueForm::kCode;
  return IsSlotItemCode(code) ? FormOfIndex(ItemIndexOf(code)) : ValueForm::kNone;
}

// Truncated toward zero and held inside int, so that no value is ever
// converted out of range.
int TruncateToInt(double value) {
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

StockCode CodeFromValue(double value) {
  if (!(value >= 0) || value >= 4294967296.0) return 0;
  return static_cast<StockCode>(value);
}

void SetTexts(char* text, size_t textSize, const char* number, char* unit, size_t unitSize, const char* unitText) {
  snprintf(text, textSize, "%s", number);
  snprintf(unit, unitSize, "%s", unitText);
}

void FormatSeparated(double value, char* out) { FormatThousands(TruncateToInt(value), out); }

void FormatListForm(ValueForm form, double value, char* number, const char** unit) {
  switch (form) {
    case ValueForm::kPriceA:
      if (value >= 1000000) {
        FormatSeparated(value / 10000, number);
        *unit = "万円";
      } else {
        FormatSeparated(value, number);
        *unit = "円";
      }
      return;
    case ValueForm::kPriceB:
      FormatSeparated(value, number);
      *unit = "円";
      return;
    case ValueForm::kShares:
      if (value >= 100000000) {
        snprintf(number, 32, "%.1f", value / 100000000);
        *unit = "億株";
      } else if (value < 100000) {
        FormatSeparated(value, number);
        *unit = "株";
      } else {
        FormatSeparated(value / 10000, number);
        *unit = "万株";
      }
      return;
    case ValueForm::kAmount:
      if (value < 100000000) {
        FormatSeparated(value / 10000, number);
        *unit = "万円";
      } else {
        snprintf(number, 32, "%.1f", value / 100000000);
        *unit = "億円";
      }
      return;
    default: return;
  }
}

void FormatPlainForm(ValueForm form, double value, char* number, const char** unit) {
  switch (form) {
    case ValueForm::kPriceA:
    case ValueForm::kPriceB:
      snprintf(number, 32, "%d", TruncateToInt(value));
      *unit = "円";
      return;
    case ValueForm::kShares:
      snprintf(number, 32, "%.0f", value);
      *unit = "株";
      return;
    case ValueForm::kAmount:
      snprintf(number, 32, "%.0f", value);
      *unit = "円";
      return;
    default: return;
  }
}

}  // namespace

void FormatConditionItemValue(bool plainForm, int code, double value, char* text, size_t textSize, char* unit,
                              size_t unitSize) {
  const ValueForm form = FormOfCode(code);
  char number[32] = "";
  const char* unitText = "";
  if (form == ValueForm::kNone) {
  } else if (form == ValueForm::kCode) {
    CodeToString(CodeFromValue(value), number);
  } else if (form == ValueForm::kPosition) {
    snprintf(number, sizeof number, "%s", value == 0 ? "買い" : "売り");
  } else if (!std::isfinite(value)) {
    snprintf(number, sizeof number, "---");
  } else if (form == ValueForm::kPercent || form == ValueForm::kNumber) {
    snprintf(number, sizeof number, "%.2f", value);
    unitText = form == ValueForm::kPercent ? "%" : "";
  } else if (plainForm) {
    FormatPlainForm(form, value, number, &unitText);
  } else {
    FormatListForm(form, value, number, &unitText);
  }
  SetTexts(text, textSize, number, unit, unitSize, unitText);
}

ConstantRange GetConstantRange(int code) {
  // Prices show as whole yen in an int; every other number is shown whole
  // with its two decimals within the constant's edit, far beyond any
  // volume or amount a market trades.
  constexpr double kLargestNumber = 1e15;
  const ValueForm form = FormOfCode(code);
  if (form == ValueForm::kPriceA || form == ValueForm::kPriceB) return {INT_MIN, INT_MAX};
  return {-kLargestNumber, kLargestNumber};
}

// ---- Item lists ---------------------------------------------------------------------

namespace {

constexpr std::array<int8_t, 71> kDisplayOrder = {
    0,  58, 59, 60, 57, 61, 62, 1,  2,  3,  4,  5,  6,  77, 78, 63, 64, 65, 66, 79, 80, 81, 82, 83,
    84, 85, 7,  86, 87, 88, 89, 90, 8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
    24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 67, 68, 40, 41, 42, 43, 44};

constexpr std::array<int8_t, 22> kPriceLikeItems = {0,  58, 59, 60, 9,  10, 11, 12, 13, 14, 40,
                                                    41, 43, 44, 50, 51, 52, 53, 54, 55, 56, 61};

struct ComparableRow {
  std::initializer_list<int8_t> lefts;
  std::initializer_list<int8_t> rights;
};

const std::array<ComparableRow, 11> kComparableRows = {{
    {{3, 15, 16}, {3, 15, 16}},
    {{5, 6}, {5, 6}},
    {{17, 18, 19}, {17, 18, 19}},
    {{20, 21, 22}, {20, 21, 22}},
    {{23, 24, 25}, {23, 24, 25}},
    {{26, 27, 28}, {26, 27, 28}},
    {{29, 30}, {29, 30}},
    {{31, 32, 33}, {31, 32, 33}},
    {{35, 36, 37}, {35, 36, 37}},
    {{38, 39}, {38, 39}},
    {{kItemLaggingLine}, {45, 46, 47, 48, 49}},
}};

bool Contains(const int8_t* first, const int8_t* last, int index) { return std::find(first, last, index) != last; }

// The right-hand indexes offered for a left index; itself alone when no row names it.
std::vector<int> ComparableIndexes(int left) {
  if (Contains(kPriceLikeItems.begin(), kPriceLikeItems.end(), left)) {
    return {kPriceLikeItems.begin(), kPriceLikeItems.end()};
  }
  for (const ComparableRow& row : kComparableRows) {
    if (Contains(row.lefts.begin(), row.lefts.end(), left)) return {row.rights.begin(), row.rights.end()};
  }
  if (left == kItemUnused0 || left == kItemUnused1) return {};
  return {left};
}

}  // namespace

std::vector<ConditionItemCode> GetConditionItemList() {
  std::vector<ConditionItemCode> codes = {kItemStockCode};
  for (int slot = 0; slot < kSnapshotSlots; ++slot) {
    for (const int8_t index : kDisplayOrder) codes.push_back(MakeItemCode(slot, index));
  }
  return codes;
}

std::vector<ConditionItemCode> GetComparableItemList(int left, bool includeSelf) {
  std::vector<ConditionItemCode> codes;
  if (!IsSlotItemCode(left)) return codes;
  const int slot = ItemSlotOf(left);
  for (const int index : ComparableIndexes(ItemIndexOf(left))) {
    if (index != ItemIndexOf(left) || includeSelf) codes.push_back(MakeItemCode(slot, index));
  }
  return codes;
}
