#pragma once
// Trend lines as stored: the 124-byte record and the 10000-line table, the
// image of "tline.dat". A line also carries its monitoring setup and the
// roles and order options of the averaging-down tracker.
#include <cstddef>
#include <cstdint>

constexpr int kMaxTrendLines = 10000;

// What a line watches (field 36).
enum MonitorKind : int32_t {
  kMonitorNone = 0,
  kMonitorLower = 1,  // reached when the value falls to the line
  kMonitorUpper = 2,  // reached when the value rises to the line
  kMonitorDate = 3,   // a vertical line, reached on its date
};

// Where a tracker step's automatic order stands (field 88).
enum AutoOrderState : uint8_t {
  kAutoOrderNone = 0,
  kAutoOrderArmed = 1,
  kAutoOrderPlaced = 2,
  kAutoOrderReachedUnplaced = 3,
  kAutoOrderFailed = 4,
  kAutoOrderLocked = 5,
};

// Tracker roles of fields 68 and 76: a step number n > 0, or one of these.
constexpr int32_t kTrackerCloseLine = -1;
constexpr int32_t kTrackerStopLossLine = -2;

// The order options of fields 100..103, in that order, and the largest value
// of each: what the order link accepts and the step dialog offers.
constexpr int kOrderOptionCount = 4;
constexpr uint8_t kOrderOptionLimits[kOrderOptionCount] = {1, 2, 1, 1};  // trade kind, price kind, route, account
constexpr int32_t kMaxMarginKind = 3;

// Options and a margin kind the order link would refuse read as the first choice.
inline void KeepOrderOptionsInRange(uint8_t* options, int32_t* marginKind) {
  for (int i = 0; i < kOrderOptionCount; ++i) {
    if (options[i] > kOrderOptionLimits[i]) options[i] = 0;
  }
  if (*marginKind < 0 || *marginKind > kMaxMarginKind) *marginKind = 0;
}

// Value-label sides of a horizontal line (field 64).
enum LabelSide : int32_t { kLabelBothSides = 0, kLabelRight = 1, kLabelLeft = 2, kLabelNone = 3 };

struct TrendLine {
  uint32_t code;   // StockCode
  uint32_t date1;  // PackedDate
  int32_t value1;  // in the pane's units: yen, raw volume, or hundredths
  uint32_t date2;
  int32_t value2;
  int16_t paneKind;
  uint8_t reserved22[2];
  int32_t period;  // 0 daily, 1 weekly, 2 monthly
  int32_t width;   // 1..3 pixels; 0 reads as 2
  int32_t marked;
  int32_t monitorKind;  // MonitorKind
  int32_t notifyWhenReached;
  uint32_t watchedLines;  // bits 0..2: the pane lines watched
  int32_t inRange;
  int32_t reached;
  int32_t noticePending;
  int32_t locked;
  int32_t labelSide;  // LabelSide
  int32_t buyRole;    // step n > 0, kTrackerCloseLine, kTrackerStopLossLine, 0 none
  int32_t buyShares;
  int32_t shortRole;
  int32_t shortShares;
  int32_t fromDefaults;    // came from "DEFAULTDATA\tline.dat"
  uint8_t autoOrderState;  // AutoOrderState
  uint8_t reserved89[3];
  int32_t orderNumber;  // of the placed automatic order, 0 none
  int32_t reserved96;
  uint8_t orderTradeKind;  // 0 cash, 1 margin
  uint8_t orderPriceKind;  // 0 market, 1 limit at the line, 2 limit one tick off
  uint8_t orderRoute;      // 1 normal, 0 smart order routing
  uint8_t accountKind;     // 0 specific, 1 general
  int32_t marginKind;      // 0..3
  uint8_t reserved108[16];
};
static_assert(sizeof(TrendLine) == 124, "TrendLine is 124 bytes");
static_assert(offsetof(TrendLine, paneKind) == 20);
static_assert(offsetof(TrendLine, period) == 24);
static_assert(offsetof(TrendLine, monitorKind) == 36);
static_assert(offsetof(TrendLine, watchedLines) == 44);
static_assert(offsetof(TrendLine, locked) == 60);
static_assert(offsetof(TrendLine, buyRole) == 68);
static_assert(offsetof(TrendLine, shortRole) == 76);
static_assert(offsetof(TrendLine, fromDefaults) == 84);
static_assert(offsetof(TrendLine, autoOrderState) == 88);
static_assert(offsetof(TrendLine, orderNumber) == 92);
static_assert(offsetof(TrendLine, orderTradeKind) == 100);
static_assert(offsetof(TrendLine, marginKind) == 104);

struct TrendLineTable {
  int32_t count;        // 0..10000
  int32_t markedCount;  // lines whose mark is set
  TrendLine lines[kMaxTrendLines];
};
static_assert(sizeof(TrendLineTable) == 1240008, "tline.dat is 1240008 bytes");

// The older file: the same header and 10000 records of 76 bytes, whose first
// 68 bytes are laid out as in TrendLine.
constexpr int kOldTrendLineBytes = 76;
constexpr uint32_t kOldTrendLineFileBytes = 8 + kMaxTrendLines * kOldTrendLineBytes;
static_assert(kOldTrendLineFileBytes == 760008);
