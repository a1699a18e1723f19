#pragma once
// Screen patterns (F1..F12) and the chart views they hold, as stored inside
// the settings block ("velqo.dat").
#include <cstddef>
#include <cstdint>

#include "records/price_series.h"  // kMaxBars
#include "records/table_limits.h"

// No screen setup reaches further: window edges lie within +-this many
// pixels and no client area is wider or higher.
constexpr int kMaxScreenExtent = 16384;

constexpr int kScreenPatternCount = 12;
constexpr int kMaxChartsPerPattern = 3;
constexpr int kMaxPanesPerChart = 12;
constexpr int kDefaultRightMargin = 32;
constexpr int kMaxBarWidth = 19;
// A full series and as many bars again past its end: further than any scroll reaches.
constexpr int kMaxLastBarIndex = 2 * kMaxBars;
// A pane of relative height 1 beside eleven of this height still gets a pixel
// on a chart as high as the highest screen.
constexpr int kMaxPaneHeight = kMaxScreenExtent / kMaxPanesPerChart;

// What a pane shows (ChartView::paneKinds).
enum PaneKind : int {
  kPaneCandles = 0,
  kPaneIchimoku = 1,
  kPaneVolume = 2,
  kPaneRsi = 3,  // the first oscillator pane
  kPaneRci = 4,
  kPaneDeviation = 5,
  kPaneStochastics = 6,
  kPaneMacd = 7,
  kPaneDmi = 8,
  kPaneSroc = 9,
  kPanePsychological = 10,
  kPaneObv = 11,
  kPaneVolumeRatio = 12,
  kPaneAdvanceDecline = 13,
};
constexpr int kPaneKindCount = 14;

// Bits of ChartView::paneFlags. The low bits show a pane's lines one by one:
// the six price averages of a candle pane, the (up to three) lines of the
// others; bit n is flipped by the pane-flag command n.
enum PaneFlag : uint32_t {
  kPaneFlagLine0 = 0x1,
  kPaneFlagLine1 = 0x2,
  kPaneFlagLine2 = 0x4,
  kPaneFlagCloudAlone = 0x80,  // candle pane: the Ichimoku cloud without its lines
  kPaneFlagVolumeCloud = 0x100,
  kPaneFlagBollingerCentre = 0x400,
  kPaneFlagSigma1 = 0x800,  // the ±1σ bands
  kPaneFlagSigma2 = 0x1000,
  kPaneFlagSigma3 = 0x2000,
  kPaneFlagLogScale = 0x8000,  // candle and Ichimoku panes
  kPaneFlagParabolic = 0x20000,
};

// The bits of lines 0..count-1.
constexpr uint32_t PaneLineFlags(int count) { return (1u << count) - 1; }

// Every pane flag with a meaning in some pane kind.
constexpr uint32_t kPaneFlagBits = PaneLineFlags(6) | kPaneFlagCloudAlone | kPaneFlagVolumeCloud |
                                   kPaneFlagBollingerCentre | kPaneFlagSigma1 | kPaneFlagSigma2 | kPaneFlagSigma3 |
                                   kPaneFlagLogScale | kPaneFlagParabolic;

struct ChartView {
  uint32_t stockCode;                     // StockCode; plain numbers below 10000 in older settings
  int32_t period;                         // 0 daily, 1 weekly, 2 monthly
  int32_t lastBarIndex;                   // bar at the right edge, below kMaxLastBarIndex; negative: the newest
  int32_t barWidth;                       // odd, 1..19
  int32_t dateLink;                       // scrolls together with the chart below
  int32_t stockLink;                      // shows the same group and stock as the chart below
  int32_t keepStock;                      // keeps its stock when the pattern changes
  int32_t paneCount;                      // 0..12
  uint32_t paneKinds[kMaxPanesPerChart];  // PaneKind
  uint32_t paneFlags[kMaxPanesPerChart];  // PaneFlag bits, within kPaneFlagBits
  int16_t groupIndex;                     // 0..123
  int16_t rightMargin;                    // pixels after the newest bar: 1 to half the widest client
};
static_assert(sizeof(ChartView) == 132, "ChartView is a 132-byte record");
static_assert(offsetof(ChartView, paneCount) == 28);
static_assert(offsetof(ChartView, paneKinds) == 32);
static_assert(offsetof(ChartView, paneFlags) == 80);
static_assert(offsetof(ChartView, groupIndex) == 128);
static_assert(offsetof(ChartView, rightMargin) == 130);

struct ScreenPattern {
  int32_t chartCount;  // 1..3
  char name[32];       // Shift-JIS, zero-terminated (IsCp932Text)
  ChartView views[kMaxChartsPerPattern];
};
static_assert(sizeof(ScreenPattern) == 432, "ScreenPattern is a 432-byte record");
static_assert(offsetof(ScreenPattern, views) == 36);
