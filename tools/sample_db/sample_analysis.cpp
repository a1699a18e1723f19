#include "tools/sample_db/sample_analysis.h"

#include <cstdio>

#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/indicator_params.h"
#include "analysis/indicator_refresh.h"
#include "analysis/market_breadth.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "data/stock_table.h"
#include "sheets/scenarios.h"
#include "shell/settings.h"

namespace {

constexpr uint16_t kAllMarkets = 0xFFFF;
constexpr char kDescription[] = "見本の売買シグナル：終値と移動平均線のクロス、RSIの水準";

// Item indexes of the series the definitions read.
constexpr int kAverage0 = 9;  // 9-14: the six price averages
constexpr int kRsi0 = 17;     // 17-19

struct TermPlan {
  int slot, index, op, rightSlot, rightIndex;  // rightIndex < 0: the constant
  double constant;
};

struct DefinitionPlan {
  const char* name;
  int kind;
  int termCount;
  TermPlan terms[2];
};

// A cross: today on one side, the bar before on the other.
constexpr DefinitionPlan Cross(const char* name, int kind, int period, int a, int b, bool upward) {
  const int today = 2 * period;
  return {name,
          kind,
          2,
          {{today, a, upward ? kOpGreater : kOpLess, today, b, 0},
           {today + 1, a, upward ? kOpLessOrEqual : kOpGreaterOrEqual, today + 1, b, 0}}};
}

constexpr DefinitionPlan Level(const char* name, int kind, int slot, int index, int op, double level) {
  return {name, kind, 1, {{slot, index, op, 0, -1, level}, {}}};
}

constexpr DefinitionPlan kDefinitions[kMaxSignalDefinitions] = {
    Cross("終値が短期線を上抜け", kSignalShortBuy, 0, kItemClose, kAverage0, true),
    Level("RSIが売られ過ぎ", kSignalLongBuy, kSlotDaily, kRsi0, kOpLess, 30),
    Cross("終値が短期線を下抜け", kSignalShortSell, 0, kItemClose, kAverage0, false),
    Level("RSIが買われ過ぎ", kSignalLongSell, kSlotDaily, kRsi0, kOpGreater, 70),
    Cross("週足が中期線を上抜け", kSignalLongBuy, 1, kItemClose, kAverage0 + 1, true),
    Level("週足RSIが過熱", kSignalLongSell, kSlotWeekly, kRsi0, kOpGreater, 75),
    Cross("短期線が中期線を上抜け", kSignalShortBuy, 0, kAverage0, kAverage0 + 1, true),
    Cross("短期線が中期線を下抜け", kSignalShortSell, 0, kAverage0, kAverage0 + 1, false),
    Level("RSI2が売られ過ぎ", kSignalLongBuy, kSlotDaily, kRsi0 + 1, kOpLess, 35),
    Cross("月足が長期線を上抜け", kSignalLongBuy, 2, kItemClose, kAverage0 + 2, true),
    Level("RSI3が買われ過ぎ", kSignalLongSell, kSlotDaily, kRsi0 + 2, kOpGreater, 65),
    Cross("終値が長期線を下抜け", kSignalShortSell, 0, kItemClose, kAverage0 + 2, false),
};

void FillDefinition(const DefinitionPlan& plan, SignalDefinition* definition) {
  std::snprintf(definition->name, sizeof definition->name, "%s", plan.name);
  definition->marketMask = kAllMarkets;
  definition->kind = plan.kind;
  definition->termCount = static_cast<int16_t>(plan.termCount);
  for (int t = 0; t < plan.termCount; ++t) {
    const TermPlan& term = plan.terms[t];
    ConditionTerm& out = definition->terms[t];
    out.left = MakeItemCode(term.slot, term.index);
    out.op = static_cast<int16_t>(term.op);
    out.right = term.rightIndex < 0 ? kOperandConstant : MakeItemCode(term.rightSlot, term.rightIndex);
    out.constant = term.constant;
  }
}

// Averages and RSI lines of periods no chart line has; with every series,
// every other period one longer than the default as well.
void FillParameters(SignalSettingsFile* file, bool everySeries) {
  constexpr uint16_t kAverages[] = {7, 20, 65};
  constexpr uint16_t kRsi[] = {9, 16, 22};
  for (int p = 0; p < kPeriodCount; ++p) {
    IndicatorParameterSet& set = file->params[p];
    set = GetDefaultIndicatorParameters(p);
    SeriesUseFlags& flags = file->useFlags[p];
    if (everySeries) {
      for (int slot = 0; slot < kParamSpare0; ++slot) set.slot[slot] += set.slot[slot] != 0 ? 1 : 0;
      for (int entry = 0; entry <= kUseAdvanceDecline; ++entry) flags.flags[entry] = 1;
    }
    for (int k = 0; k < 3; ++k) {
      set.slot[kParamCloseAverage0 + k] = kAverages[k];
      set.slot[kParamRsi0 + k] = kRsi[k];
      flags.flags[kUseRsi0 + k] = 1;
    }
    for (int k = 0; k < 6; ++k) flags.flags[kUsePriceAverage0 + k] = 1;
  }
}

int WriteSignalFile(const SignalSettingsFile& file) {
  MakeDataFolderCurrent();
  if (PlatformCreateFolder(kSampleSignalFolder) != 0) return 1;
  return SaveBufferToFile(kSampleSignalFilePath, &file, sizeof file) == 0 ? 0 : 1;
}

}  // namespace

void FillSampleSignalFile(SignalSettingsFile* file, int definitionCount, bool everySeries) {
  *file = SignalSettingsFile{};
  file->tag = kSignalSettingsTag;
  std::snprintf(file->description, sizeof file->description, "%s", kDescription);
  FillParameters(file, everySeries);
  file->definitionCount = definitionCount < 1                       ? 1
                          : definitionCount > kMaxSignalDefinitions ? kMaxSignalDefinitions
                                                                    : definitionCount;
  for (int k = 0; k < file->definitionCount; ++k) FillDefinition(kDefinitions[k], &file->definitions[k]);
  file->programVersion = gProgramVersion;
  file->itemBase = kItemSlotBase;
}

int AnalyseSampleDatabase() {
  static SignalSettingsFile file;
  FillSampleSignalFile(&file, 6, false);
  if (WriteSignalFile(file) != 0) return 1;
  InstallScenarioHooks();
  LoadScenarioTable();
  // The breadth ratios are finished in the main thread's scratch set.
  if (gMainScratch.ints[0] == nullptr && !AllocateKernelScratchSet(&gMainScratch)) return 1;
  if (!LoadGroupsAtStartup() || !InitMarketBreadth()) return 1;
  SignalSettingsFile* const previous = gSignalSettings;
  gSignalSettings = &file;
  const bool completed = RecomputeIndicatorsAndGroups();
  gSignalSettings = previous;
  if (!completed) return 1;
  return SaveStockTable(1) == 0 && SaveGroupFile(1) == 0 && SaveSettings() == 0 ? 0 : 1;
}
