#include "chart/signal_strip.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/signal_evaluation.h"
#include "analysis/signal_settings.h"
#include "data/stock_table.h"
#include "records/palette_slots.h"
#include "sheets/scenarios.h"

namespace {

constexpr std::array<StripRow, kStripRowCount> kStripRows = {{
    {kSignalLongSell, kColorLongSellBackground, kColorLongSellMark, true, kColorScenarioShortHeld, kColorShortExit,
     kColorShortLossCut},
    {kSignalShortSell, kColorShortSellBackground, kColorShortSellMark, true, kColorScenarioShortHeld, kColorShortExit,
     kColorShortLossCut},
    {kSignalShortBuy, kColorShortBuyBackground, kColorShortBuyMark, false, kColorScenarioLongHeld, kColorLongExit,
     kColorLongLossCut},
    {kSignalLongBuy, kColorLongBuyBackground, kColorLongBuyMark, false, kColorScenarioLongHeld, kColorLongExit,
     kColorLongLossCut},
}};

int FileDefinitionCount() {
  return gSignalSettings != nullptr ? std::clamp<int>(gSignalSettings->definitionCount, 0, kMaxSignalDefinitions) : 0;
}

// The kind of a signal definition of the loaded file or of a group; an index
// that names none (a stray or damaged mark) has no kind.
int DefinitionKind(int index) {
  return index >= 0 && index < FileDefinitionCount() ? gSignalSettings->definitions[index].kind : kSignalNone;
}
int GroupKind(int index) {
  return gGroupTable != nullptr && index >= 0 && index < kGroupCount ? gGroupTable->groups[index].signalKind
                                                                     : kSignalNone;
}
using KindOfSignal = int (*)(int index);

// Folds one scenario's mark at the bar into the running state; true when the
// mark closes the position there, which decides the bar.
bool FoldScenarioMark(const ScenarioRecord& scenario, const ScenarioMarkBuffer* marks, int bar, int kind,
                      KindOfSignal kindOf, int* state) {
  if (scenario.valid == 0 || kindOf(scenario.entrySignal) != kind) return false;
  if (marks == nullptr || bar < 0 || bar >= kMaxBars || marks->count <= static_cast<uint32_t>(bar)) return false;
  const int mark = marks->marks[bar];
  if (mark == kScenarioHeldMark) {
    if (*state == 0) *state = mark;
    return false;
  }
  if (mark >= -8 && mark <= -1) {
    *state = mark;
    return false;
  }
  if (mark <= 0) return false;  // no position
  const int closing = kindOf(SignalOfClosingMark(mark));
  if (closing == kSignalExitLong || closing == kSignalExitShort) {
    *state = kScenarioClosedByExit;
    return true;
  }
  if (closing == kSignalLossCutLong || closing == kSignalLossCutShort) {
    *state = kScenarioClosedByLossCut;
    return true;
  }
  return false;
}

constexpr uint8_t KindBit(int kind) { return static_cast<uint8_t>(1u << (kind - 1)); }

// A 64-bit digest of what the strip's kinds depend on, never 0.
class KeyDigest {
 public:
  void Add(const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (; bytes >= 8; p += 8, bytes -= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      Mix(word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, bytes);
    Mix(tail ^ (static_cast<uint64_t>(bytes) << 56));
  }
  void AddNumber(int64_t value) { Mix(static_cast<uint64_t>(value)); }
  uint64_t Value() const { return hash_ | 1; }

 private:
  void Mix(uint64_t word) {
    hash_ ^= word;
    hash_ = (hash_ << 29 | hash_ >> 35) * 0x9E3779B97F4A7C15ull;
  }
  uint64_t hash_ = 0xCBF29CE484222325ull;
};

void AddSignalGroups(KeyDigest* digest) {
  if (gGroupTable == nullptr) return;
  for (int g = 0; g < kGroupCount; ++g) {
    const GroupRecord& group = gGroupTable->groups[g];
    if (group.signalKind < kSignalShortBuy || group.signalKind > kSignalLongSell) continue;
    const int terms = std::clamp<int>(group.termCount, 0, kMaxConditionTerms);
    digest->AddNumber(g);
    digest->Add(&group.automatic, offsetof(GroupRecord, terms) - offsetof(GroupRecord, automatic));
    digest->Add(group.terms, sizeof(ConditionTerm) * static_cast<size_t>(terms));
    digest->Add(&group.signalKind, sizeof group.signalKind);
    digest->Add(&group.monitorDateLines, 3 * sizeof(int32_t));
  }
}

uint64_t SignalStripKey(StockCode code, const ChartSeriesSet& context) {
  KeyDigest digest;
  digest.AddNumber(code);
  const int stockIndex = FindStockIndexByCode(code);
  digest.AddNumber(stockIndex >= 0 ? gStockTable->records[stockIndex].master.marketId : -1);
  for (const PeriodSeriesBlock& block : context.periods) digest.Add(&block.params, sizeof block.params);
  const BarSeries* daily = context.periods[0].bars;
  if (daily != nullptr) {
    const int count = std::clamp(daily->count, 0, kMaxBars);
    digest.AddNumber(count);
    digest.Add(daily->bars, sizeof(PriceBar) * static_cast<size_t>(count));
  }
  if (gSignalSettings != nullptr) {
    const auto* file = reinterpret_cast<const unsigned char*>(gSignalSettings);
    digest.Add(file + offsetof(SignalSettingsFile, params),
               offsetof(SignalSettingsFile, programVersion) - offsetof(SignalSettingsFile, params));
  }
  AddSignalGroups(&digest);
  return digest.Value();
}

}  // namespace

const StripRow& GetStripRow(int row) { return kStripRows[static_cast<size_t>(std::clamp(row, 0, kStripRowCount - 1))]; }

int ScenarioStateAtBar(const ChartSeriesSet& context, int bar, int kind) {
  int state = 0;
  if (gSignalSettings != nullptr) {
    const int count = std::clamp<int>(gSignalSettings->scenarioCount, 0, kScenarioSlots);
    for (int j = 0; j < count; ++j) {
      if (FoldScenarioMark(gSignalSettings->scenarios[j], context.fileMarks[j], bar, kind, DefinitionKind, &state))
        return state;
    }
  }
  for (int j = 0; j < kScenarioSlots; ++j) {
    if (FoldScenarioMark(gScenarioTable.records[j], context.tableMarks[j], bar, kind, GroupKind, &state)) return state;
  }
  return state;
}

uint8_t SignalKindsAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar) {
  uint8_t kinds = 0;
  for (int kind = kSignalShortBuy; kind <= kSignalLongSell; ++kind) {
    int group = -1;
    int definition = -1;
    if (FindSignalMatchAtBar(code, context, dailyBar, kind, 0, &group, &definition)) kinds |= KindBit(kind);
  }
  return kinds;
}

void PrepareSignalStripCache(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context) {
  const uint64_t key = SignalStripKey(code, context);
  if (cache->key == key) return;
  std::memset(cache->kinds, 0, sizeof cache->kinds);
  cache->key = key;
}

uint8_t GetCachedSignalKinds(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context, int dailyBar) {
  if (dailyBar < 0 || dailyBar >= kMaxBars) return 0;
  uint8_t& kinds = cache->kinds[dailyBar];
  if ((kinds & kStripKindsKnown) == 0) kinds = SignalKindsAtBar(code, context, dailyBar) | kStripKindsKnown;
  return static_cast<uint8_t>(kinds & ~kStripKindsKnown);
}
