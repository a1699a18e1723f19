#include "chart/signal_strip.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>

#include "analysis/condition_items.h"
#include "analysis/condition_terms.h"
#include "analysis/group_store.h"
#include "analysis/signal_evaluation.h"
#include "analysis/signal_settings.h"
#include "chart/chart_text.h"
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

bool IsScenarioOfKind(const ScenarioRecord& scenario, int kind, KindOfSignal kindOf) {
  return scenario.valid != 0 && kindOf(scenario.entrySignal) == kind;
}

// Folds a scenario's mark at the bar into the running state; true when the
// mark closes the position there, which decides the bar.
bool FoldMark(const ScenarioMarkBuffer* marks, int bar, KindOfSignal kindOf, int* state) {
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

bool FoldScenarioMark(const ScenarioRecord& scenario, const ScenarioMarkBuffer* marks, int bar, int kind,
                      KindOfSignal kindOf, int* state) {
  return IsScenarioOfKind(scenario, kind, kindOf) && FoldMark(marks, bar, kindOf, state);
}

int FileScenarioCount() {
  return gSignalSettings != nullptr ? std::clamp<int>(gSignalSettings->scenarioCount, 0, kScenarioSlots) : 0;
}

constexpr bool IsStripKind(int kind) { return kind >= kSignalShortBuy && kind <= kSignalLongSell; }
constexpr uint8_t KindBit(int kind) { return static_cast<uint8_t>(1u << (kind - 1)); }

// Whether two runs of bytes are equal, read in words that vectorise.
bool AreSameBytes(const unsigned char* a, const unsigned char* b, size_t bytes) {
  constexpr size_t kBlock = 64;
  size_t at = 0;
  for (; at + kBlock <= bytes; at += kBlock) {
    uint32_t x[kBlock / 4], y[kBlock / 4];
    std::memcpy(x, a + at, kBlock);
    std::memcpy(y, b + at, kBlock);
    uint32_t differ = 0;
    for (size_t i = 0; i < kBlock / 4; ++i) differ |= x[i] ^ y[i];
    if (differ != 0) return false;
  }
  return std::memcmp(a + at, b + at, bytes - at) == 0;
}

// What the strip's kinds depend on, laid out as bytes and compared with the
// copy kept from the last time as it is read: an unchanged source (every
// repaint) costs one read of it; from its first difference on it is copied.
// Every part of variable size follows what sets its size.
class SourceCheck {
 public:
  explicit SourceCheck(std::vector<uint8_t>* kept) : kept_(kept) {}
  void Add(const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (same_ && at_ + bytes <= kept_->size() && AreSameBytes(kept_->data() + at_, p, bytes)) {
      at_ += bytes;
      return;
    }
    if (same_) {
      same_ = false;
      kept_->resize(at_);
    }
    kept_->insert(kept_->end(), p, p + bytes);
    at_ += bytes;
  }
  void AddNumber(int64_t value) { Add(&value, sizeof value); }
  // True when all that was added is what was kept, and no more was kept.
  bool Finish() {
    if (same_ && at_ != kept_->size()) {
      same_ = false;
      kept_->resize(at_);
    }
    return same_;
  }

 private:
  std::vector<uint8_t>* kept_;
  size_t at_ = 0;
  bool same_ = true;
};

void AddSignalGroups(SourceCheck* source) {
  source->AddNumber(gGroupTable != nullptr);
  if (gGroupTable == nullptr) return;
  for (int g = 0; g < kGroupCount; ++g) {
    const GroupRecord& group = gGroupTable->groups[g];
    if (!IsStripKind(group.signalKind)) continue;
    const int terms = std::clamp<int>(group.termCount, 0, kMaxConditionTerms);
    source->AddNumber(g);
    source->Add(&group.automatic, offsetof(GroupRecord, terms) - offsetof(GroupRecord, automatic));
    source->Add(group.terms, sizeof(ConditionTerm) * static_cast<size_t>(terms));
    source->Add(&group.signalKind, sizeof group.signalKind);
    source->Add(&group.monitorDateLines, 3 * sizeof(int32_t));
  }
}

// True when the source is the one the kept kinds were worked out from;
// else it is kept as the new one.
bool IsSameStripSource(StockCode code, const ChartSeriesSet& context, std::vector<uint8_t>* kept) {
  SourceCheck source(kept);
  source.AddNumber(code);
  const int stockIndex = FindStockIndexByCode(code);
  source.AddNumber(stockIndex >= 0 ? gStockTable->records[stockIndex].master.marketId : -1);
  for (const PeriodSeriesBlock& block : context.periods) source.Add(&block.params, sizeof block.params);
  const BarSeries* daily = context.periods[0].bars;
  source.AddNumber(daily != nullptr);
  if (daily != nullptr) {
    const int count = std::clamp(daily->count, 0, kMaxBars);
    source.AddNumber(count);
    source.Add(daily->bars, sizeof(PriceBar) * static_cast<size_t>(count));
  }
  source.AddNumber(gSignalSettings != nullptr);
  if (gSignalSettings != nullptr) {
    const auto* file = reinterpret_cast<const unsigned char*>(gSignalSettings);
    source.Add(file + offsetof(SignalSettingsFile, params),
               offsetof(SignalSettingsFile, programVersion) - offsetof(SignalSettingsFile, params));
  }
  AddSignalGroups(&source);
  return source.Finish();
}

// d * k / n rounded half away from zero.
int RoundedShare(int d, int k, int n) {
  if (n == 0) return 0;
  return (2 * d * k + (d >= 0 ? n : -n)) / (2 * n);
}

// Widens each row's span [lo, hi] to the pixels of the line from a to b,
// stepped from its upper end so that mirrored edges get mirrored pixels.
void WidenSpansToEdge(PixelPoint a, PixelPoint b, int32_t* lo, int32_t* hi) {
  if (b.y < a.y || (b.y == a.y && b.x < a.x)) std::swap(a, b);
  const int dx = b.x - a.x;
  const int dy = b.y - a.y;
  const int n = std::max(std::abs(dx), dy);
  for (int k = 0; k <= n; ++k) {
    const int row = a.y + RoundedShare(dy, k, n);
    if (row < 0 || row >= kStripRowHeight) continue;
    const int x = a.x + RoundedShare(dx, k, n);
    lo[row] = std::min(lo[row], x);
    hi[row] = std::max(hi[row], x);
  }
}

void FillBandSpan(StripBand* band, int row, int x1, int x2, uint32_t pixel) {
  const int from = std::max(x1 - band->left, 0);
  const int to = std::min(x2 + 1 - band->left, band->width);
  if (row < 0 || row >= kStripRowHeight || from >= to) return;
  uint32_t* line = band->pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(band->width);
  std::fill(line + from, line + to, pixel);
}

}  // namespace

const StripRow& GetStripRow(int row) { return kStripRows[static_cast<size_t>(std::clamp(row, 0, kStripRowCount - 1))]; }

int ScenarioStateAtBar(const ChartSeriesSet& context, int bar, int kind) {
  int state = 0;
  for (int j = 0; j < FileScenarioCount(); ++j) {
    if (FoldScenarioMark(gSignalSettings->scenarios[j], context.fileMarks[j], bar, kind, DefinitionKind, &state))
      return state;
  }
  for (int j = 0; j < kScenarioSlots; ++j) {
    if (FoldScenarioMark(gScenarioTable.records[j], context.tableMarks[j], bar, kind, GroupKind, &state)) return state;
  }
  return state;
}

void FindStripScenarios(const ChartSeriesSet& context, StripScenarios* out) {
  for (int kind = kSignalShortBuy; kind <= kSignalLongSell; ++kind) {
    int& count = out->counts[kind - 1];
    count = 0;
    for (int j = 0; j < FileScenarioCount(); ++j) {
      if (IsScenarioOfKind(gSignalSettings->scenarios[j], kind, DefinitionKind) && context.fileMarks[j] != nullptr)
        out->entries[kind - 1][count++] = {context.fileMarks[j], true};
    }
    for (int j = 0; j < kScenarioSlots; ++j) {
      if (IsScenarioOfKind(gScenarioTable.records[j], kind, GroupKind) && context.tableMarks[j] != nullptr)
        out->entries[kind - 1][count++] = {context.tableMarks[j], false};
    }
  }
}

int GetStripScenarioState(const StripScenarios& scenarios, int bar, int kind) {
  if (!IsStripKind(kind)) return 0;
  int state = 0;
  for (int j = 0; j < scenarios.counts[kind - 1]; ++j) {
    const StripScenarios::Entry& entry = scenarios.entries[kind - 1][j];
    if (FoldMark(entry.marks, bar, entry.ofFile ? DefinitionKind : GroupKind, &state)) return state;
  }
  return state;
}

// The candidates of CountSignalMatchesAtBar, each kind only until one holds,
// with every item value worked out once per bar however many terms read it.
uint8_t SignalKindsAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar) {
  const int stockIndex = FindStockIndexByCode(code);
  PeriodBars bars = {dailyBar, -1, -1};
  FindWeeklyMonthlyBarIndexes(context, dailyBar, &bars.weekly, &bars.monthly);
  ItemValueCache chartValues;
  ItemValueCache signalValues;
  std::memset(chartValues.known, 0, sizeof chartValues.known);
  std::memset(signalValues.known, 0, sizeof signalValues.known);
  uint8_t kinds = 0;
  for (int g = 0; gGroupTable != nullptr && g < kGroupCount; ++g) {
    const GroupRecord& group = gGroupTable->groups[g];
    if (!IsStripKind(group.signalKind) || (kinds & KindBit(group.signalKind)) != 0) continue;
    if (TestGroupTermsAtBar(group, stockIndex, context, bars, &chartValues)) kinds |= KindBit(group.signalKind);
  }
  for (int k = 0; k < FileDefinitionCount(); ++k) {
    const SignalDefinition& definition = gSignalSettings->definitions[k];
    if (!IsStripKind(definition.kind) || (kinds & KindBit(definition.kind)) != 0) continue;
    if (TestDefinitionTermsAtBar(definition, stockIndex, context, bars, &signalValues))
      kinds |= KindBit(definition.kind);
  }
  return kinds;
}

void PrepareSignalStripCache(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context) {
  if (IsSameStripSource(code, context, &cache->source)) return;
  std::memset(cache->kinds, 0, sizeof cache->kinds);
}

void ForgetSignalStripKinds(SignalStripCache* cache) {
  cache->source.clear();
  std::memset(cache->kinds, 0, sizeof cache->kinds);
}

uint8_t GetCachedSignalKinds(SignalStripCache* cache, StockCode code, const ChartSeriesSet& context, int dailyBar) {
  if (dailyBar < 0 || dailyBar >= kMaxBars) return 0;
  uint8_t& kinds = cache->kinds[dailyBar];
  if ((kinds & kStripKindsKnown) == 0) kinds = SignalKindsAtBar(code, context, dailyBar) | kStripKindsKnown;
  return static_cast<uint8_t>(kinds & ~kStripKindsKnown);
}

void ResetStripBand(StripBand* band, int left, int width, uint32_t background) {
  band->left = left;
  band->width = std::max(width, 0);
  band->pixels.assign(static_cast<size_t>(band->width) * kStripRowHeight, background);
}

void FillStripCell(StripBand* band, const Rect& cell, uint32_t pixel) {
  for (int row = cell.top; row < cell.bottom; ++row) FillBandSpan(band, row, cell.left, cell.right - 1, pixel);
}

namespace {

// The spans of a triangle mark's rows as shown: up marks are the down marks
// turned over (their corners are), pixel for pixel.
void FindTriangleSpans(const Rect& cell, bool down, int32_t* lo, int32_t* hi) {
  PixelPoint corners[3];
  GetTriangleMarkPoints({cell.left, 0, cell.right, kStripRowHeight}, true, corners);
  int32_t edgeLo[kStripRowHeight];
  int32_t edgeHi[kStripRowHeight];
  std::fill(edgeLo, edgeLo + kStripRowHeight, INT32_MAX);
  std::fill(edgeHi, edgeHi + kStripRowHeight, INT32_MIN);
  for (int i = 0; i < 3; ++i) WidenSpansToEdge(corners[i], corners[(i + 1) % 3], edgeLo, edgeHi);
  for (int row = 0; row < kStripRowHeight; ++row) {
    const int shown = down ? row : kStripRowHeight - 1 - row;
    lo[shown] = edgeLo[row];
    hi[shown] = edgeHi[row];
  }
}

// Where the corners' centre, (left + right - 2) / 2, is the same offset from
// the left edge as in the made triangle, so is every span.
constexpr int kMadeTriangleLeft = 1024;

}  // namespace

void FillStripTriangle(StripBand* band, const Rect& cell, bool down, uint32_t pixel) {
  int32_t lo[kStripRowHeight];
  int32_t hi[kStripRowHeight];
  FindTriangleSpans(cell, down, lo, hi);
  for (int row = 0; row < kStripRowHeight; ++row) FillBandSpan(band, row, lo[row], hi[row], pixel);
}

void MakeStripTriangle(int cellWidth, bool down, StripTriangle* out) {
  out->cellWidth = cellWidth;
  out->down = down;
  FindTriangleSpans({kMadeTriangleLeft, 0, kMadeTriangleLeft + cellWidth, kStripRowHeight}, down, out->lo, out->hi);
  for (int row = 0; row < kStripRowHeight; ++row) {
    if (out->lo[row] > out->hi[row]) continue;  // INT32_MAX and INT32_MIN stay as they are
    out->lo[row] -= kMadeTriangleLeft;
    out->hi[row] -= kMadeTriangleLeft;
  }
}

void FillMadeStripTriangle(StripBand* band, const StripTriangle& triangle, const Rect& cell, uint32_t pixel) {
  if (cell.left < 1 || cell.right - cell.left != triangle.cellWidth) {
    FillStripTriangle(band, cell, triangle.down, pixel);
    return;
  }
  for (int row = 0; row < kStripRowHeight; ++row) {
    if (triangle.lo[row] <= triangle.hi[row])
      FillBandSpan(band, row, cell.left + triangle.lo[row], cell.left + triangle.hi[row], pixel);
  }
}
