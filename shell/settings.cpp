#include "shell/settings.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "analysis/indicator_params.h"
#include "analysis/parameter_pages.h"
#include "chart/gdi_rules.h"
#include "chart/palette.h"
#include "chart/screen_pattern.h"
#include "common/file_io.h"
#include "common/sjis_text.h"
#include "records/trend_line_record.h"
#include "chart/layout_limits.h"
#include "window/main_window_layout.h"

namespace {

constexpr int kDefaultChartFontSize = 12;
constexpr int kDefaultMemoFontSize = 16;
constexpr int kDefaultListWidth = kMinListWidth;
constexpr int32_t kUnplacedWindowX = 32767;  // the detail window takes its default place
constexpr uint16_t kNoMonitoredGroup = 65535;
constexpr uint32_t kPlacementFlagBits = 0x7;  // WPF_SETMINPOSITION, _RESTORETOMAXIMIZED, _ASYNCWINDOWPLACEMENT
constexpr uint32_t kMaxShowCommand = 11;      // SW_FORCEMINIMIZE
constexpr ColorRef kColorBits = 0x00FFFFFF;   // a top byte would make it a palette index
// The years a stored date can name: the first prices to far beyond any in use.
constexpr int kFirstStoredYear = 1900;
constexpr int kLastStoredYear = 2999;

template <typename T>
void ClampOrDefault(T& value, int low, int high, int fallback) {
  if (value < low || value > high) value = static_cast<T>(fallback);
}

// Reads one scrambled block of exactly `size` bytes into `block`; a file of
// another size is damaged, an empty one missing. `block` changes only when
// the file is taken.
LoadedFile LoadScrambledBlock(const char* path, void* block, uint32_t size, int* error) {
  std::vector<uint8_t> image(size);
  uint32_t read = 0;
  *error = LoadFileToBufferEx(path, image.data(), size, &read);
  const LoadedFile outcome = ClassifyLoadError(*error);
  if (outcome != LoadedFile::kTaken) return outcome;
  if (read == 0) return LoadedFile::kMissing;
  if (read != size) return LoadedFile::kDamaged;
  XorBuffer(image.data(), size, kSettingsXorByte);
  memcpy(block, image.data(), size);
  return LoadedFile::kTaken;
}

bool TakeScrambledBlock(const char* path, void* block, uint32_t size) {
  int error = 0;
  return LoadScrambledBlock(path, block, size, &error) == LoadedFile::kTaken;
}

// Reads one of the user's files; returns whether it was taken and sets
// what keeps it from being written over.
bool LoadOwnSettingsFile(const char* path, void* block, uint32_t size, int* keptBy) {
  int error = 0;
  const LoadedFile outcome = LoadScrambledBlock(path, block, size, &error);
  *keptBy = KeepErrorAfterLoad(path, outcome, error);
  return outcome == LoadedFile::kTaken;
}

int SaveScrambledBlock(const char* path, const void* block, uint32_t size, int keptBy) {
  if (keptBy != 0) return keptBy;
  std::vector<uint8_t> image(static_cast<const uint8_t*>(block), static_cast<const uint8_t*>(block) + size);
  XorBuffer(image.data(), size, kSettingsXorByte);
  return SaveBufferToFile(path, image.data(), size);
}

bool IsScreenCoordinate(int64_t value) { return value >= -kMaxScreenExtent && value <= kMaxScreenExtent; }

// On some screen, and no smaller than the window can be sized.
bool IsSaneWindowRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return IsScreenCoordinate(left) && IsScreenCoordinate(top) && IsScreenCoordinate(right) &&
         IsScreenCoordinate(bottom) && right - left >= kMinMainWindowWidth && bottom - top >= kMinMainWindowHeight;
}

bool IsSanePlacement(const WindowPlacementImage& p) {
  return p.length == sizeof p && (p.flags & ~kPlacementFlagBits) == 0 && p.showCmd <= kMaxShowCommand &&
         IsSaneWindowRect(p.left, p.top, p.right, p.bottom);
}

// A placement off every screen is dropped: the window opens where the system puts it.
// The detail and time-back windows keep their "not placed yet" values.
void BringPlacementsIntoRange(SettingsBlock& s) {
  if (!IsSanePlacement(s.mainPlacement)) s.mainPlacement = WindowPlacementImage{};
  if (s.detailWindowX != kUnplacedWindowX && !IsScreenCoordinate(s.detailWindowX)) s.detailWindowX = kUnplacedWindowX;
  if (!IsScreenCoordinate(s.detailWindowY)) s.detailWindowY = 0;
  if (!IsScreenCoordinate(s.timeBackWindowX)) s.timeBackWindowX = 0;
  if (!IsScreenCoordinate(s.timeBackWindowY)) s.timeBackWindowY = 0;
}

// Widths a splitter drag could have left in the widest client; the layout
// keeps them within the drag's limits for the actual client.
void BringListWidthsIntoRange(SettingsBlock& s) {
  if (GroupListWidthInRange(s.groupListWidth, kMaxScreenExtent) != s.groupListWidth)
    s.groupListWidth = kDefaultListWidth;
  if (DetailListWidthInRange(s.detailListWidth, kMaxScreenExtent) != s.detailListWidth)
    s.detailListWidth = kDefaultListWidth;
}

void BringPatternsIntoRange(SettingsBlock& s) {
  ClampOrDefault(s.currentPattern, 0, kScreenPatternCount - 1, 0);
  for (int n = 0; n < kScreenPatternCount; ++n) ValidateScreenPattern(s.screenPatterns[n], n, true);
  BringPaneHeightsIntoRange(s.paneHeights, kPaneHeightCount);
}

void BringColorsIntoRange(SettingsBlock& s) {
  ClampOrDefault(s.builtinPaletteIndex, 0, 2, 0);
  for (ColorRef& color : s.paletteColors) color &= kColorBits;
  for (ColorRef& color : s.customColors) color &= kColorBits;
}

// Font sizes and line widths.
void BringSizesIntoRange(SettingsBlock& s) {
  if (s.newTrendLineWidth == 0) s.newTrendLineWidth = 2;
  ClampOrDefault(s.newTrendLineWidth, 1, 3, 2);
  ClampOrDefault(s.chartFontSize, 12, 32, kDefaultChartFontSize);
  ClampOrDefault(s.memoFontSize, 1, 32, kDefaultMemoFontSize);
  ClampOrDefault(s.memoLineSpacing, 0, 32, 0);
  ClampOrDefault(s.thickChartLines, 0, 1, 0);  // the pen is one wider when set
}

// The options a new tracker step and a new line start from.
void BringOrderOptionsIntoRange(SettingsBlock& s) {
  KeepOrderOptionsInRange(s.buyOrderOptions, &s.buyMarginKind);
  KeepOrderOptionsInRange(s.shortOrderOptions, &s.shortMarginKind);
}

// The program writes its switches as 0 or 1: anything else is what the
// built-in defaults hold.
template <typename T>
void KeepSwitch(T& value, int fallback) {
  ClampOrDefault(value, 0, 1, fallback);
}

void BringSwitchesIntoRange(SettingsBlock& s) {
  KeepSwitch(s.showDetailWindow, 0);
  KeepSwitch(s.detailDockRight, 1);
  KeepSwitch(s.detailDockBottom, 0);
  KeepSwitch(s.showGroupList, 1);
  KeepSwitch(s.showDetailList, 1);
  KeepSwitch(s.timeBackMode, 0);
  KeepSwitch(s.timeBackDockRight, 0);
  KeepSwitch(s.timeBackDockBottom, 0);
  KeepSwitch(s.showGuideLine, 1);
  KeepSwitch(s.weekSeparatorsOn, 1);
  KeepSwitch(s.displaySwitch32878, 1);
  KeepSwitch(s.showSplitAdjusted, 1);
  KeepSwitch(s.askRecomputeAtStart, 0);
  // A doubtful "nothing to recompute" is not believed.
  KeepSwitch(s.recomputeNeeded, 1);
  KeepSwitch(s.savedRecomputeNeeded, 1);
  KeepSwitch(s.groupsDirty, 1);
  KeepSwitch(s.savedGroupsDirty, 1);
  KeepSwitch(s.orderLinkOn, 0);
  KeepSwitch(s.tickGridOn, 0);
  KeepSwitch(s.snapDraggedPrices, 0);
  KeepSwitch(s.showShortNames, 0);
  KeepSwitch(s.infoBeepOnNotice, 0);
  KeepSwitch(s.showAverageLine, 0);
  KeepSwitch(s.hideAverageLineValues, 0);
  KeepSwitch(s.showProfitOnClosingLine, 0);
  KeepSwitch(s.clipboardWithNames, 0);
  KeepSwitch(s.clipboardWithMark, 0);
}

bool IsCalendarDate(PackedDate date) {
  const int year = PackedYear(date), month = PackedMonth(date), day = PackedDay(date);
  return year >= kFirstStoredYear && year <= kLastStoredYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= GetDaysInMonth(year, month);
}

// Dates the update and time-back step from: one that is no calendar day is none.
void BringDatesIntoRange(SettingsBlock& s) {
  for (PackedDate* date : {&s.lastPriceDate, &s.kenUpdateDate, &s.pinfoUpdateDate, &s.timeBackComputedDate}) {
    if (!IsCalendarDate(*date)) *date = 0;
  }
}

void BringMainBlockIntoRange(SettingsBlock& s) {
  BringPlacementsIntoRange(s);
  BringListWidthsIntoRange(s);
  BringPatternsIntoRange(s);
  BringColorsIntoRange(s);
  BringSizesIntoRange(s);
  BringOrderOptionsIntoRange(s);
  BringSwitchesIntoRange(s);
  BringDatesIntoRange(s);
  for (IndicatorParameterSet& set : s.indicatorParams) KeepParametersInPageRanges(set);
  ClampOrDefault(s.paramSheetStartPage, 0, kParameterPageCount - 1, 0);
  TerminateTextField(s.signalFileName, sizeof s.signalFileName);
  // The calendar bounds the time-back day index once it is loaded; negative means the last day.
  if (s.timeBackDayIndex < -1) s.timeBackDayIndex = -1;
  if (s.monitoredGroup >= kGroupCount) s.monitoredGroup = kNoMonitoredGroup;
}

void BringP2BlockIntoRange(SettingsBlockP2& p2) {
  KeepSwitch(p2.vendorGen2On, 0);
  KeepSwitch(p2.realTimeReceiveOn, 0);
  KeepSwitch(p2.pastPriceAutoFetchOn, 0);
  BringLogFontIntoRange(&p2.memoLogFont);
  BringLogFontIntoRange(&p2.chartLogFont);
  ClampOrDefault(p2.dataSource, 0, 2, 0);
}

}  // namespace

int gSettingsFileKeptBy = 0;
int gSettingsP2FileKeptBy = 0;

void XorBuffer(void* buffer, size_t length, uint8_t value) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < length; ++i) bytes[i] ^= value;
}

void BringSettingsIntoRange(SettingsBlock& block, SettingsBlockP2& p2) {
  BringMainBlockIntoRange(block);
  BringP2BlockIntoRange(p2);
}

void SetDefaultSettings() {
  gSettings = SettingsBlock{};
  SetDefaultScreenPatterns();
  SetDefaultIndicatorParameters();
  gSettings.memoFontSize = kDefaultMemoFontSize;
  SetDefaultPalette(gSettings);
}

namespace {

void CopyDefaultDisplayRanges(const SettingsBlock& image) {
  const auto* from = reinterpret_cast<const uint8_t*>(&image);
  auto* to = reinterpret_cast<uint8_t*>(&gSettings);
  for (const SettingsByteRange& range : kDefaultDisplayRanges)
    memcpy(to + range.offset, from + range.offset, range.size);
}

}  // namespace

int LoadDefaultDisplaySettings(const char* path) {
  SettingsBlock image{};
  if (!TakeScrambledBlock(path, &image, sizeof image)) return kFileTooLarge;
  CopyDefaultDisplayRanges(image);
  return 0;
}

void LoadSettings() {
  // The distributed defaults are read once: their display ranges serve a
  // user without a settings file of their own.
  const bool haveDefaults = TakeScrambledBlock(kDefaultSettingsPath, &gDefaultSettings, sizeof gDefaultSettings);
  if (!haveDefaults) gDefaultSettings = SettingsBlock{};
  if (!LoadOwnSettingsFile(kSettingsFileName, &gSettings, sizeof gSettings, &gSettingsFileKeptBy)) {
    SetDefaultSettings();
    if (haveDefaults) CopyDefaultDisplayRanges(gDefaultSettings);
  }
  if (!LoadOwnSettingsFile(kSettingsP2FileName, &gSettingsP2, sizeof gSettingsP2, &gSettingsP2FileKeptBy))
    gSettingsP2 = SettingsBlockP2{};
  // The distributed defaults are checked like the user's own file.
  BringSettingsIntoRange(gSettings, gSettingsP2);
}

int SaveMainSettings() {
  return SaveScrambledBlock(kSettingsFileName, &gSettings, sizeof gSettings, gSettingsFileKeptBy);
}

int SaveSettingsP2() {
  return SaveScrambledBlock(kSettingsP2FileName, &gSettingsP2, sizeof gSettingsP2, gSettingsP2FileKeptBy);
}

int SaveSettings() {
  const int first = SaveMainSettings();
  const int second = SaveSettingsP2();
  return first != 0 ? first : second;
}
