#pragma once
// The averaging-down tracker: a ladder of horizontal price-pane lines of one
// stock, up to 10 buy and 10 short steps with shares, plus a close and a
// stop-loss line per side. The roles, shares and order options live in the
// trend lines themselves; the summary is a cache rebuilt for one stock.
#include <array>
#include <cstdint>

#include "common/stock_code.h"
#include "records/trend_line_record.h"

constexpr int kMaxTrackerSteps = 10;
constexpr int32_t kMaxTrackerShares = 10000000;
constexpr int32_t kMinTrackerPrice = 1;
constexpr int32_t kMaxTrackerPrice = 1000000000;

enum TrackerSide : int { kTrackerBuy = 1, kTrackerShort = 2 };
enum StepDialogMode : int { kStepNew = 1, kStepExisting = 2 };

// How the step dialog was closed.
enum StepDialogResult : int {
  kStepCancelled = 2,    // IDCANCEL
  kStepConfirmed = 1,    // IDOK
  kStepOrderNow = 5003,  // "今すぐ発注"
  kStepReleased = 1278,  // "Pellomatic解除"
};

struct PellomaticSideSummary {
  int32_t stepCount;
  std::array<int32_t, kMaxTrackerSteps> stepLines;  // line indices in table order
  int64_t totalShares;
  int64_t totalAmount;     // sum of shares x price: beyond 32 bits at 10^7 shares
  int32_t closeLine;       // -1 none
  int32_t stopLossLine;    // -1 none
  int32_t firstStateLine;  // first step line with an automatic-order state, -1 none
};

struct PellomaticSummary {
  StockCode code;
  PellomaticSideSummary buySide, shortSide;
};

extern PellomaticSummary gPellomaticSummary;

// What the tracker needs from the layers above it; the shell installs them at
// start-up and the main window its step dialog. A null member does nothing
// (no tick rounding, no order, the dialog cancelled).
struct StepDialog;
struct TrackerHooks {
  int32_t (*roundToTick)(int stockIndex, int32_t price);
  void (*evaluateLineQuietly)(int line);  // the monitoring judgement, without a notice or an order
  void (*repaintCharts)();
  bool (*autoOrderEnabled)();
  int32_t (*placeOrder)(int line);  // the order link: the order number, 0 on failure
  void (*refreshAutoOrderList)();
  void (*removeOrderList)(int32_t orderNumber);  // the order link's files of a placed order
  int (*runStepDialog)(StepDialog* dialog);      // a StepDialogResult
};
extern TrackerHooks gTrackerHooks;

// ---- The ladder ---------------------------------------------------------------

// A horizontal line of the stock on a candle or Ichimoku pane.
bool TakesPartInTracker(const TrendLine& line, StockCode code);
int32_t TrackerRole(const TrendLine& line, int side);
int32_t TrackerSideShares(const TrendLine& line, int side);
// Rebuilds gPellomaticSummary for the stock.
void CollectPellomaticLines(StockCode code);
// The same from a list of line indices in table order that holds every line
// of the stock (a painter's list, so that the table is not walked again).
void CollectPellomaticLinesAmong(StockCode code, const int32_t* lines, int count);
const PellomaticSideSummary& SummarySide(int side);
// Total amount / total shares, truncated; false (and nothing divided) with no shares.
bool AveragePrice(const PellomaticSideSummary& side, int64_t* price);

// ---- The sub-menu of the trend-line pop-up ----------------------------------------

constexpr int kTrackerMenuItemCount = 7;
constexpr int kTrackerMenuTextSize = 64;
struct TrackerMenuItem {
  int command;
  bool enabled;
  bool checked;
  char text[kTrackerMenuTextSize];  // Shift-JIS
};
using TrackerMenu = std::array<TrackerMenuItem, kTrackerMenuItemCount>;

// The entries for `line` with the summary of its stock rebuilt; false (every
// entry greyed) when the line does not take part.
bool BuildPellomaticMenu(int line, TrackerMenu* menu);
// The dispatcher's entry for 33126..33134 on gSelectedTrendLine: each command
// rebuilds the summary of that line's stock and acts only when its entry is
// enabled. Non-zero when the id is one of them.
int RunTrackerCommand(int commandId);

// ---- Steps --------------------------------------------------------------------

// Shares to the nearest multiple of the unit (halves up), within unit..10^7.
int32_t RoundSharesToUnit(int64_t shares, int32_t unit);
// One click of the spin: a unit up (delta > 0) or down, then rounded.
int32_t StepSharesByUnit(int32_t shares, int delta, int32_t unit);
// A price within 1..10^9 on the stock's tick.
int32_t NormalizeStepPrice(int stockIndex, int64_t price);
// A typed whole number; false for an empty text or one without digits.
bool ParseWholeNumber(const char* text, int64_t* value);

// The state line of the dialog.
const char* AutoOrderStateText(int state, bool isIndex, bool autoOrderEnabled);

// The copy of a line that the step dialog edits, and what it shows.
struct StepDialog {
  int side;
  int mode;
  int line;
  int step;  // shown in the title: the new step's number or the line's own
  int stockIndex;
  int32_t unit;
  bool isIndex;
  bool autoOrderEnabled;
  TrendLine copy;
  int32_t shares;
  int32_t price;
  char title[32];
};

// Which order controls the dialog enables.
struct StepOrderControls {
  bool arming;        // the two auto-order buttons
  bool tradeKind;     // cash or margin: buy steps only
  bool orderOptions;  // price kind, route, account
  bool marginKind;    // only for margin trades
  bool orderNow;
  bool reset;  // states 2..5
  const char* stateText;
};
StepOrderControls GetStepOrderControls(const StepDialog& dialog);

// The two amount labels: "%s円(現物)" (short: "%s円(現物相当額)") and
// "%s円(信用)" at 30 %, or " - " for an index.
void FormatPellomaticAmounts(const StepDialog& dialog, int64_t shares, int64_t price, char* cash, char* margin,
                             int size);
// The auto-order buttons: arming clears the copy's reached flag.
void SetStepArmed(StepDialog* dialog, bool armed);
// "リセット": the line itself at once, and the copy, so that OK keeps it.
void ResetStepOrder(StepDialog* dialog);
// The edits' texts as OK and "今すぐ発注" take them: false for a price that is
// not a number (the dialog stays open); otherwise shares and price rounded.
bool AcceptStepDialogValues(StepDialog* dialog, const char* sharesText, const char* priceText);

// Opens the step dialog for a line (side, mode, line, n: the side's step count
// for a new step, the step's number - 1 for an existing one) and applies its result.
void OpenPellomaticStepDialog(int side, int mode, int line, int n);
