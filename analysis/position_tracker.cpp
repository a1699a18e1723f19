#include "analysis/position_tracker.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "analysis/trend_line_store.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/string_ids.h"
#include "data/stock_table.h"
#include "records/screen_pattern_record.h"
#include "records/settings_block.h"

PellomaticSummary gPellomaticSummary = {};
TrackerHooks gTrackerHooks = {};

namespace {

// The texts of one side's three sub-menu entries.
struct SideTexts {
  const char* step;  // also the prefix of "買い-%d"
  const char* close;
  const char* stopLoss;
  const char* closeSet;  // greyed: the side has its close line
  const char* stopLossSet;
  const char* limit;  // greyed: ten steps already
};
constexpr SideTexts kBuyTexts = {
    "買い",    "買い手じまい", "買い損切", "買い手じまいは既に設定されています", "買い損切は既に設定されています",
    "買い限界"};
constexpr SideTexts kShortTexts = {
    "空売",    "空売手じまい", "空売損切", "空売手じまいは既に設定されています", "空売損切は既に設定されています",
    "空売限界"};
constexpr char kClearText[] = "この銘柄のPellomaticをクリア";

// Menu positions of the commands.
constexpr std::array<int, kTrackerMenuItemCount> kMenuCommands = {
    IDM_TRACKER_BUY_STEP,    IDM_TRACKER_BUY_CLOSE,       IDM_TRACKER_BUY_STOP_LOSS, IDM_TRACKER_SHORT_STEP,
    IDM_TRACKER_SHORT_CLOSE, IDM_TRACKER_SHORT_STOP_LOSS, IDM_TRACKER_CLEAR};

int LineCount() { return gTrendLines != nullptr ? std::clamp(gTrendLines->count, 0, kMaxTrendLines) : 0; }

TrendLine* LineAt(int index) { return index >= 0 && index < LineCount() ? &gTrendLines->lines[index] : nullptr; }

int32_t& RoleOf(TrendLine& line, int side) { return side == kTrackerBuy ? line.buyRole : line.shortRole; }
int32_t& SharesOf(TrendLine& line, int side) { return side == kTrackerBuy ? line.buyShares : line.shortShares; }
int OtherSide(int side) { return side == kTrackerBuy ? kTrackerShort : kTrackerBuy; }

void ResetSide(PellomaticSideSummary* side) {
  *side = {};
  side->closeLine = side->stopLossLine = side->firstStateLine = -1;
}

void AddToSide(PellomaticSideSummary* side, const TrendLine& line, int index, int32_t role, int32_t shares) {
  if (role == kTrackerCloseLine) side->closeLine = index;
  if (role == kTrackerStopLossLine) side->stopLossLine = index;
  if (role <= 0 || side->stepCount >= kMaxTrackerSteps) return;
  side->stepLines[side->stepCount++] = index;
  side->totalShares += shares;
  side->totalAmount += int64_t{shares} * line.value2;
  if (side->firstStateLine < 0 && line.autoOrderState != kAutoOrderNone) side->firstStateLine = index;
}

void EvaluateQuietly(int line) {
  if (gTrackerHooks.evaluateLineQuietly != nullptr) gTrackerHooks.evaluateLineQuietly(line);
}
void RepaintCharts() {
  if (gTrackerHooks.repaintCharts != nullptr) gTrackerHooks.repaintCharts();
}
void RefreshAutoOrderList() {
  if (gTrackerHooks.refreshAutoOrderList != nullptr) gTrackerHooks.refreshAutoOrderList();
}
bool AutoOrderEnabled() { return gTrackerHooks.autoOrderEnabled != nullptr && gTrackerHooks.autoOrderEnabled(); }

// Every tracker change is saved at once, like any other change of a line.
void SaveAfterChange() { SaveTrendLines(); }

void SetItem(TrackerMenuItem* item, bool enabled, bool checked, const char* text) {
  item->enabled = enabled;
  item->checked = checked;
  snprintf(item->text, sizeof item->text, "%s", text);
}

// The step, close and stop-loss entries of one side for the line.
void BuildSideItems(int side, const TrendLine& line, TrackerMenuItem* items) {
  const SideTexts& t = side == kTrackerBuy ? kBuyTexts : kShortTexts;
  const PellomaticSideSummary& summary = SummarySide(side);
  const int32_t role = TrackerRole(line, side);
  SetItem(&items[0], false, false, t.step);
  SetItem(&items[1], false, false, t.close);
  SetItem(&items[2], false, false, t.stopLoss);
  char text[kTrackerMenuTextSize];
  if (role == kTrackerCloseLine) {
    SetItem(&items[1], true, true, t.close);
  } else if (role == kTrackerStopLossLine) {
    SetItem(&items[2], true, true, t.stopLoss);
  } else if (role > 0) {
    snprintf(text, sizeof text, "%s-%d (%d株)", t.step, role, TrackerSideShares(line, side));
    SetItem(&items[0], true, true, text);
  } else if (role != 0 || TrackerRole(line, OtherSide(side)) != 0) {
    // A role on the other side (or one no version writes): plain texts, greyed.
  } else if (summary.stepCount == 0) {
    snprintf(text, sizeof text, "%s-1", t.step);
    SetItem(&items[0], true, false, text);
  } else {
    snprintf(text, sizeof text, "%s-%d（新規）", t.step, summary.stepCount + 1);
    const bool room = summary.stepCount < kMaxTrackerSteps;
    SetItem(&items[0], room, false, room ? text : t.limit);
    SetItem(&items[1], summary.closeLine < 0, false, summary.closeLine < 0 ? t.close : t.closeSet);
    SetItem(&items[2], summary.stopLossLine < 0, false, summary.stopLossLine < 0 ? t.stopLoss : t.stopLossSet);
  }
}

// Close (-1) and stop-loss (-2) lines: set on a plain line, taken off their own.
void ToggleRole(int index, int side, int32_t role) {
  TrendLine& line = gTrendLines->lines[index];
  int32_t& current = RoleOf(line, side);
  if (current == role) {
    current = 0;
  } else {
    current = role;
    SetMonitorKind(index, kMonitorNone);
  }
  RepaintCharts();
  SaveAfterChange();
}

void ClearPellomaticForStock(StockCode code) {
  if (MessageBoxFromStrings(gMainWnd, kStrTrackerConfirmTitle, kStrTrackerClearQuestion, kMbYesNo | kMbIconQuestion) !=
      kIdYes)
    return;
  for (int i = 0; i < LineCount(); ++i) {
    TrendLine& line = gTrendLines->lines[i];
    if (!TakesPartInTracker(line, code)) continue;
    line.buyRole = 0;
    line.shortRole = 0;
  }
  CollectPellomaticLines(code);
  RepaintCharts();
  RefreshAutoOrderList();
  SaveAfterChange();
}

void EditStep(int side, int index) {
  const int32_t role = TrackerRole(gTrendLines->lines[index], side);
  if (role > 0)
    OpenPellomaticStepDialog(side, kStepExisting, index, role - 1);
  else
    OpenPellomaticStepDialog(side, kStepNew, index, SummarySide(side).stepCount);
}

uint8_t* RememberedOptions(int side) {
  return side == kTrackerBuy ? gSettings.buyOrderOptions : gSettings.shortOrderOptions;
}
int32_t& RememberedMarginKind(int side) {
  return side == kTrackerBuy ? gSettings.buyMarginKind : gSettings.shortMarginKind;
}

uint8_t* OptionBytes(TrendLine& line) { return &line.orderTradeKind; }

// Options the order link would refuse read as the first choice.
void KeepOptionsInRange(TrendLine* line) { KeepOrderOptionsInRange(OptionBytes(*line), &line->marginKind); }

// The line of the dialog, when it is still that stock's line.
TrendLine* DialogLine(const StepDialog& dialog) {
  TrendLine* line = LineAt(dialog.line);
  return line != nullptr && line->code == dialog.copy.code ? line : nullptr;
}

void ReleaseStep(const StepDialog& dialog) {
  TrendLine* line = DialogLine(dialog);
  if (line == nullptr || RoleOf(*line, dialog.side) <= 0) return;
  const int32_t released = RoleOf(*line, dialog.side);
  RoleOf(*line, dialog.side) = 0;
  line->autoOrderState = kAutoOrderNone;
  for (int i = 0; i < LineCount(); ++i) {
    TrendLine& other = gTrendLines->lines[i];
    if (other.code == line->code && RoleOf(other, dialog.side) > released) --RoleOf(other, dialog.side);
  }
  CollectPellomaticLines(line->code);
  if (SummarySide(dialog.side).stepCount == 0) {
    for (int i = 0; i < LineCount(); ++i) {
      TrendLine& other = gTrendLines->lines[i];
      if (TakesPartInTracker(other, line->code) && RoleOf(other, dialog.side) < 0) RoleOf(other, dialog.side) = 0;
    }
  }
  EvaluateQuietly(dialog.line);
  RepaintCharts();
  RefreshAutoOrderList();
  SaveAfterChange();
}

// OK and "今すぐ発注": the copy's order setup, shares and price go into the
// line. The values are made valid again here whatever the dialog left, and
// the ladder is rebuilt first so that a new step takes the next free number.
void CommitStep(const StepDialog& dialog, bool orderNow) {
  TrendLine* line = DialogLine(dialog);
  if (line == nullptr) return;
  CollectPellomaticLines(line->code);
  const PellomaticSideSummary& summary = SummarySide(dialog.side);
  int32_t& role = RoleOf(*line, dialog.side);
  if (dialog.mode == kStepNew) {
    if (role != 0 || RoleOf(*line, OtherSide(dialog.side)) != 0 || summary.stepCount >= kMaxTrackerSteps) return;
    role = summary.stepCount + 1;
  } else if (role <= 0) {
    return;
  }
  line->autoOrderState = dialog.copy.autoOrderState;
  line->reached = dialog.copy.reached;
  std::copy_n(&dialog.copy.orderTradeKind, kOrderOptionCount, OptionBytes(*line));
  line->marginKind = dialog.copy.marginKind;
  SharesOf(*line, dialog.side) = RoundSharesToUnit(dialog.shares, dialog.unit);
  line->value1 = line->value2 = NormalizeStepPrice(dialog.stockIndex, dialog.price);
  std::copy_n(OptionBytes(*line), kOrderOptionCount, RememberedOptions(dialog.side));
  RememberedMarginKind(dialog.side) = line->marginKind;

  // Arming always judges the step against the market at once, whether it was
  // armed before or not: a step already beyond its price waits for the next
  // crossing, and the user is told so.
  const bool armed = line->autoOrderState == kAutoOrderArmed;
  const int32_t kind = !armed ? kMonitorNone : dialog.side == kTrackerBuy ? kMonitorLower : kMonitorUpper;
  if (line->monitorKind != kind || armed) {
    line->monitorKind = kind;
    EvaluateQuietly(dialog.line);
  }
  CollectPellomaticLines(line->code);
  RepaintCharts();
  const bool placing = orderNow && !dialog.isIndex && AutoOrderEnabled() && gTrackerHooks.placeOrder != nullptr;
  const bool alreadyReached = armed && !placing && line->reached != 0;
  // The order link saves the state an order leaves; the save below keeps it too.
  if (placing) gTrackerHooks.placeOrder(dialog.line);
  RefreshAutoOrderList();
  SaveAfterChange();
  if (alreadyReached)
    MessageBoxFromStrings(gMainWnd, kStrNotice, kStrTrackerAlreadyReached, kMbOk | kMbIconInformation);
}

}  // namespace

// ---- The ladder ---------------------------------------------------------------

bool TakesPartInTracker(const TrendLine& line, StockCode code) {
  return line.code == code && (line.paneKind == kPaneCandles || line.paneKind == kPaneIchimoku) &&
         line.value1 == line.value2;
}

int32_t TrackerRole(const TrendLine& line, int side) { return side == kTrackerBuy ? line.buyRole : line.shortRole; }

int32_t TrackerSideShares(const TrendLine& line, int side) {
  return side == kTrackerBuy ? line.buyShares : line.shortShares;
}

namespace {

void StartSummary(StockCode code) {
  gPellomaticSummary.code = code;
  ResetSide(&gPellomaticSummary.buySide);
  ResetSide(&gPellomaticSummary.shortSide);
}

void AddToSummary(int index, StockCode code) {
  const TrendLine& line = gTrendLines->lines[index];
  if (!TakesPartInTracker(line, code)) return;
  AddToSide(&gPellomaticSummary.buySide, line, index, line.buyRole, line.buyShares);
  AddToSide(&gPellomaticSummary.shortSide, line, index, line.shortRole, line.shortShares);
}

}  // namespace

void CollectPellomaticLines(StockCode code) {
  StartSummary(code);
  for (int i = 0; i < LineCount(); ++i) AddToSummary(i, code);
}

void CollectPellomaticLinesAmong(StockCode code, const int32_t* lines, int count) {
  StartSummary(code);
  for (int k = 0; k < count; ++k) {
    if (lines[k] >= 0 && lines[k] < LineCount()) AddToSummary(lines[k], code);
  }
}

const PellomaticSideSummary& SummarySide(int side) {
  return side == kTrackerBuy ? gPellomaticSummary.buySide : gPellomaticSummary.shortSide;
}

bool AveragePrice(const PellomaticSideSummary& side, int64_t* price) {
  if (side.totalShares <= 0) return false;
  *price = side.totalAmount / side.totalShares;
  return true;
}

// ---- The sub-menu -----------------------------------------------------------------

bool BuildPellomaticMenu(int line, TrackerMenu* menu) {
  for (size_t i = 0; i < menu->size(); ++i) (*menu)[i].command = kMenuCommands[i];
  const TrendLine* selected = LineAt(line);
  const bool takesPart = selected != nullptr && TakesPartInTracker(*selected, selected->code);
  if (!takesPart) {
    const char* plain[] = {kBuyTexts.step,    kBuyTexts.close,      kBuyTexts.stopLoss, kShortTexts.step,
                           kShortTexts.close, kShortTexts.stopLoss, kClearText};
    for (size_t i = 0; i < menu->size(); ++i) SetItem(&(*menu)[i], false, false, plain[i]);
    return false;
  }
  CollectPellomaticLines(selected->code);
  BuildSideItems(kTrackerBuy, *selected, &(*menu)[0]);
  BuildSideItems(kTrackerShort, *selected, &(*menu)[3]);
  const bool anySteps = gPellomaticSummary.buySide.stepCount > 0 || gPellomaticSummary.shortSide.stepCount > 0;
  SetItem(&(*menu)[6], anySteps, false, kClearText);
  return true;
}

int RunTrackerCommand(int commandId) {
  const auto found = std::find(kMenuCommands.begin(), kMenuCommands.end(), commandId);
  if (found == kMenuCommands.end()) return 0;
  // The summary may have been left by another chart's painting: the selected
  // line's own stock is collected again before anything is done.
  const int line = gSelectedTrendLine;
  TrackerMenu menu;
  if (!BuildPellomaticMenu(line, &menu) || !menu[found - kMenuCommands.begin()].enabled) return 1;
  switch (commandId) {
    case IDM_TRACKER_BUY_STEP: EditStep(kTrackerBuy, line); break;
    case IDM_TRACKER_BUY_CLOSE: ToggleRole(line, kTrackerBuy, kTrackerCloseLine); break;
    case IDM_TRACKER_BUY_STOP_LOSS: ToggleRole(line, kTrackerBuy, kTrackerStopLossLine); break;
    case IDM_TRACKER_SHORT_STEP: EditStep(kTrackerShort, line); break;
    case IDM_TRACKER_SHORT_CLOSE: ToggleRole(line, kTrackerShort, kTrackerCloseLine); break;
    case IDM_TRACKER_SHORT_STOP_LOSS: ToggleRole(line, kTrackerShort, kTrackerStopLossLine); break;
    default: ClearPellomaticForStock(gTrendLines->lines[line].code); break;
  }
  return 1;
}

// ---- Steps --------------------------------------------------------------------

int32_t RoundSharesToUnit(int64_t shares, int32_t unit) {
  const int64_t u = std::max(1, unit);
  const int64_t top = std::max(u, kMaxTrackerShares / u * u);  // no odd lot at the top either
  if (shares <= u) return static_cast<int32_t>(u);
  if (shares >= top) return static_cast<int32_t>(top);
  return static_cast<int32_t>((shares + u / 2) / u * u);
}

int32_t StepSharesByUnit(int32_t shares, int delta, int32_t unit) {
  const int64_t u = std::max(1, unit);
  return RoundSharesToUnit(int64_t{shares} + (delta > 0 ? u : delta < 0 ? -u : 0), unit);
}

int32_t NormalizeStepPrice(int stockIndex, int64_t price) {
  auto clamped = static_cast<int32_t>(std::clamp<int64_t>(price, kMinTrackerPrice, kMaxTrackerPrice));
  if (gTrackerHooks.roundToTick != nullptr) clamped = gTrackerHooks.roundToTick(stockIndex, clamped);
  return std::clamp(clamped, kMinTrackerPrice, kMaxTrackerPrice);
}

bool ParseWholeNumber(const char* text, int64_t* value) {
  constexpr int64_t kSaturated = int64_t{1} << 50;
  const char* p = text;
  while (*p == ' ') ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int64_t n = 0;
  int digits = 0;
  for (; (*p >= '0' && *p <= '9') || (*p == ',' && digits > 0); ++p) {
    if (*p == ',') continue;
    n = std::min(kSaturated, n * 10 + (*p - '0'));
    ++digits;
  }
  while (*p == ' ') ++p;
  if (digits == 0 || *p != 0) return false;
  *value = negative ? -n : n;
  return true;
}

const char* AutoOrderStateText(int state, bool isIndex, bool autoOrderEnabled) {
  if (!autoOrderEnabled) return "自動発注は設定できません（設定で無効化されています）";
  if (isIndex) return "自動発注は設定できません（指標は売買できません）";
  switch (state) {
    case kAutoOrderNone:
    case kAutoOrderArmed: return "自動発注を設定できます";
    case kAutoOrderPlaced: return "自動発注は設定できません（発注完了）";
    case kAutoOrderReachedUnplaced: return "自動発注は設定できません（未発注で終了）";
    case kAutoOrderLocked: return "自動発注は設定できません（発注がロックされていました）";
    default: return "自動発注は設定できません（発注エラーで終了）";
  }
}

StepOrderControls GetStepOrderControls(const StepDialog& dialog) {
  const int state = dialog.copy.autoOrderState;
  const bool editable = !dialog.isIndex && (state == kAutoOrderNone || state == kAutoOrderArmed);
  const bool enabled = editable && dialog.autoOrderEnabled;
  StepOrderControls controls{};
  controls.arming = controls.orderOptions = controls.orderNow = enabled;
  controls.tradeKind = enabled && dialog.side == kTrackerBuy;
  controls.marginKind = enabled && dialog.copy.orderTradeKind == 1;
  // Every ended state can be reset, also one no version writes.
  controls.reset = !dialog.isIndex && !editable;
  controls.stateText = AutoOrderStateText(state, dialog.isIndex, dialog.autoOrderEnabled);
  return controls;
}

void FormatPellomaticAmounts(const StepDialog& dialog, int64_t shares, int64_t price, char* cash, char* margin,
                             int size) {
  if (dialog.isIndex) {
    snprintf(cash, size, " - ");
    snprintf(margin, size, " - ");
    return;
  }
  // Typed numbers may be anything: within 31 bits each, the product fits.
  const int64_t amount = std::clamp<int64_t>(shares, 0, INT32_MAX) * std::clamp<int64_t>(price, 0, INT32_MAX);
  char number[kInt64TextSize];
  FormatThousands64(amount, number);
  snprintf(cash, size, dialog.side == kTrackerBuy ? "%s円(現物)" : "%s円(現物相当額)", number);
  FormatThousands64(amount / 10 * 3 + amount % 10 * 3 / 10, number);  // 30 %, truncated, without overflow
  snprintf(margin, size, "%s円(信用)", number);
}

void SetStepArmed(StepDialog* dialog, bool armed) {
  dialog->copy.autoOrderState = armed ? kAutoOrderArmed : kAutoOrderNone;
  if (armed) dialog->copy.reached = 0;
}

void ResetStepOrder(StepDialog* dialog) {
  if (TrendLine* line = DialogLine(*dialog)) {
    if (line->orderNumber != 0 && gTrackerHooks.removeOrderList != nullptr)
      gTrackerHooks.removeOrderList(line->orderNumber);
    line->autoOrderState = kAutoOrderNone;
    line->reached = 0;
    line->orderNumber = 0;
    RefreshAutoOrderList();
    SaveAfterChange();
  }
  // OK stores the copy's state: it must not bring the reset state back.
  dialog->copy.autoOrderState = kAutoOrderNone;
  dialog->copy.reached = 0;
  dialog->copy.orderNumber = 0;
}

bool AcceptStepDialogValues(StepDialog* dialog, const char* sharesText, const char* priceText) {
  int64_t shares = 0;
  int64_t price = 0;
  if (!ParseWholeNumber(sharesText, &shares) || !ParseWholeNumber(priceText, &price)) return false;
  dialog->shares = RoundSharesToUnit(shares, dialog->unit);
  dialog->price = NormalizeStepPrice(dialog->stockIndex, price);
  return true;
}

void OpenPellomaticStepDialog(int side, int mode, int line, int n) {
  const TrendLine* source = LineAt(line);
  if (source == nullptr || (side != kTrackerBuy && side != kTrackerShort) ||
      (mode != kStepNew && mode != kStepExisting))
    return;
  const int stockIndex = FindStockIndexByCode(source->code);
  if (stockIndex < 0) return;
  const StockRecord& stock = gStockTable->records[stockIndex];
  StepDialog dialog{};
  dialog.side = side;
  dialog.mode = mode;
  dialog.line = line;
  dialog.stockIndex = stockIndex;
  dialog.unit = std::max<int32_t>(1, stock.master.tradingUnit);
  dialog.isIndex = stock.master.marketId == kMarketIdIndices;
  dialog.autoOrderEnabled = AutoOrderEnabled();
  dialog.copy = *source;
  dialog.price = source->value2;
  if (mode == kStepNew) {
    dialog.step = n + 1;
    dialog.shares = dialog.unit;
    std::copy_n(RememberedOptions(side), kOrderOptionCount, OptionBytes(dialog.copy));
    dialog.copy.marginKind = RememberedMarginKind(side);
  } else {
    dialog.step = TrackerRole(*source, side);
    dialog.shares = TrackerSideShares(*source, side);
  }
  if (side == kTrackerShort) dialog.copy.orderTradeKind = 1;  // a short sale is a margin trade
  KeepOptionsInRange(&dialog.copy);
  snprintf(dialog.title, sizeof dialog.title, "%s-%d", side == kTrackerBuy ? "買い" : "空売", dialog.step);

  const int result = gTrackerHooks.runStepDialog != nullptr ? gTrackerHooks.runStepDialog(&dialog) : kStepCancelled;
  if (result == kStepReleased) ReleaseStep(dialog);
  if (result == kStepConfirmed || result == kStepOrderNow) CommitStep(dialog, result == kStepOrderNow);
}
