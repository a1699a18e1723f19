// Loads arbitrary "velqo.dat" and "velqo_p2.dat" files through LoadSettings.
// Whatever they hold, every setting with a range is in it afterwards (the
// table below: what the loader brings into range and what the code that uses
// each field needs); a file refused for its size gives the defaults; a file
// already in range is taken as it is; and the settings as saved load back
// unchanged and save again byte for byte.
//
// Input: one byte choosing how each file is made (low two bits velqo.dat,
// the next two velqo_p2.dat): 0 and 1 a sound file with the input's patches,
// 2 the input repeated over the file's size, 3 the input as the file's bytes
// (no file when there are none). Each patch is four bytes: an offset
// (big-endian) into the two plain images one after the other, and the two
// bytes written there.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "chart/gdi_rules.h"
#include "chart/layout_limits.h"
#include "common/app_globals.h"
#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "fuzz/fuzz_support.h"
#include "records/settings_block.h"
#include "shell/settings.h"
#include "window/main_window_layout.h"

namespace {

enum class Block { kMain, kP2 };
enum class Width { kU8, kI16, kU16, kI32, kU32 };
enum class Rule { kWithin, kBitsOf, kStockCode };  // low..high; only the bits of `high`; a listed code

struct Repeat {
  int count;
  size_t stride;
};
constexpr Repeat kOnce{1, 0};
constexpr Repeat kEachPattern{kScreenPatternCount, sizeof(ScreenPattern)};
constexpr Repeat kEachView{kMaxChartsPerPattern, sizeof(ChartView)};
constexpr Repeat kEachPane{kMaxPanesPerChart, sizeof(uint32_t)};
constexpr int64_t kNoOtherValue = INT64_MIN;

struct FieldRange {
  const char* name;
  Block block;
  size_t offset;
  Width width;
  Rule rule;
  int64_t low;
  int64_t high;
  int64_t otherValue;  // a value outside low..high that is also allowed ("not placed", "none")
  std::array<Repeat, 3> repeats;
};

constexpr size_t kViews = offsetof(SettingsBlock, screenPatterns) + offsetof(ScreenPattern, views);
constexpr size_t kMainFont = offsetof(SettingsBlockP2, memoLogFont);
constexpr size_t kChartFont = offsetof(SettingsBlockP2, chartLogFont);
constexpr Repeat kBothFonts{2, kChartFont - kMainFont};
constexpr int64_t kScreen = kMaxScreenExtent;
constexpr int64_t kMaxRightMargin = kMaxScreenExtent / 2;
constexpr int64_t kMaxGroupListWidth = kMaxScreenExtent / 2;
constexpr int64_t kMaxDetailListWidth = kMaxScreenExtent / 2 - 2;
constexpr int64_t kUnplacedX = 32767;
constexpr int64_t kNoGroup = 65535;

#define MAIN(field) Block::kMain, offsetof(SettingsBlock, field)
#define P2(field) Block::kP2, offsetof(SettingsBlockP2, field)
#define VIEW(field) Block::kMain, kViews + offsetof(ChartView, field)
#define FONT(field) Block::kP2, kMainFont + offsetof(LogFontImage, field)

// The fields that index a table, size or place something, choose among a few
// kinds, or hold a colour. The order options are the ones the order link
// accepts and the step dialog's buttons offer.
const FieldRange kFieldRanges[] = {
    {"current pattern",
     MAIN(currentPattern),
     Width::kI32,
     Rule::kWithin,
     0,
     kScreenPatternCount - 1,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"chart count",
     MAIN(screenPatterns[0].chartCount),
     Width::kI32,
     Rule::kWithin,
     1,
     kMaxChartsPerPattern,
     kNoOtherValue,
     {kEachPattern, kOnce, kOnce}},
    {"view stock code",
     VIEW(stockCode),
     Width::kU32,
     Rule::kStockCode,
     0,
     0,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view period", VIEW(period), Width::kI32, Rule::kWithin, 0, 2, kNoOtherValue, {kEachPattern, kEachView, kOnce}},
    {"view last bar",
     VIEW(lastBarIndex),
     Width::kI32,
     Rule::kWithin,
     INT32_MIN,
     kMaxLastBarIndex - 1,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view bar width",
     VIEW(barWidth),
     Width::kI32,
     Rule::kWithin,
     1,
     kMaxBarWidth,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view date link",
     VIEW(dateLink),
     Width::kI32,
     Rule::kWithin,
     0,
     1,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view stock link",
     VIEW(stockLink),
     Width::kI32,
     Rule::kWithin,
     0,
     1,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view keeps stock",
     VIEW(keepStock),
     Width::kI32,
     Rule::kWithin,
     0,
     1,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view pane count",
     VIEW(paneCount),
     Width::kI32,
     Rule::kWithin,
     0,
     kMaxPanesPerChart,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view pane kind",
     VIEW(paneKinds[0]),
     Width::kU32,
     Rule::kWithin,
     0,
     kPaneKindCount - 1,
     kNoOtherValue,
     {kEachPattern, kEachView, kEachPane}},
    {"view pane flags",
     VIEW(paneFlags[0]),
     Width::kU32,
     Rule::kBitsOf,
     0,
     kPaneFlagBits,
     kNoOtherValue,
     {kEachPattern, kEachView, kEachPane}},
    {"view group",
     VIEW(groupIndex),
     Width::kI16,
     Rule::kWithin,
     0,
     kGroupCount - 1,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"view right margin",
     VIEW(rightMargin),
     Width::kI16,
     Rule::kWithin,
     1,
     kMaxRightMargin,
     kNoOtherValue,
     {kEachPattern, kEachView, kOnce}},
    {"pane heights",
     MAIN(paneHeights[0]),
     Width::kU16,
     Rule::kWithin,
     1,
     kMaxPaneHeight,
     kNoOtherValue,
     {Repeat{kPaneHeightCount, sizeof(uint16_t)}, kOnce, kOnce}},
    {"detail window x",
     MAIN(detailWindowX),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kUnplacedX,
     {kOnce, kOnce, kOnce}},
    {"detail window y",
     MAIN(detailWindowY),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"time-back window x",
     MAIN(timeBackWindowX),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"time-back window y",
     MAIN(timeBackWindowY),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"group list width",
     MAIN(groupListWidth),
     Width::kI32,
     Rule::kWithin,
     kMinListWidth,
     kMaxGroupListWidth,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"detail list width",
     MAIN(detailListWidth),
     Width::kI32,
     Rule::kWithin,
     kMinListWidth - 2,
     kMaxDetailListWidth,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"parameter sheet page",
     MAIN(paramSheetStartPage),
     Width::kI32,
     Rule::kWithin,
     0,
     14,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"custom colours",
     MAIN(customColors[0]),
     Width::kU32,
     Rule::kWithin,
     0,
     0xFFFFFF,
     kNoOtherValue,
     {Repeat{16, sizeof(ColorRef)}, kOnce, kOnce}},
    {"built-in palette",
     MAIN(builtinPaletteIndex),
     Width::kI32,
     Rule::kWithin,
     0,
     2,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"palette colours",
     MAIN(paletteColors[0]),
     Width::kU32,
     Rule::kWithin,
     0,
     0xFFFFFF,
     kNoOtherValue,
     {Repeat{kPaletteColorCount, sizeof(ColorRef)}, kOnce, kOnce}},
    {"time-back day",
     MAIN(timeBackDayIndex),
     Width::kI32,
     Rule::kWithin,
     -1,
     INT32_MAX,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"new line width", MAIN(newTrendLineWidth), Width::kI32, Rule::kWithin, 1, 3, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"chart font size", MAIN(chartFontSize), Width::kI32, Rule::kWithin, 12, 32, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"monitored group",
     MAIN(monitoredGroup),
     Width::kU16,
     Rule::kWithin,
     0,
     kGroupCount - 1,
     kNoGroup,
     {kOnce, kOnce, kOnce}},
    {"memo font size", MAIN(memoFontSize), Width::kI16, Rule::kWithin, 1, 32, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"memo line spacing",
     MAIN(memoLineSpacing),
     Width::kI16,
     Rule::kWithin,
     0,
     32,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"buy trade kind", MAIN(buyOrderOptions[0]), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"buy price kind", MAIN(buyOrderOptions[1]), Width::kU8, Rule::kWithin, 0, 2, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"buy route", MAIN(buyOrderOptions[2]), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"buy account", MAIN(buyOrderOptions[3]), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"buy margin kind", MAIN(buyMarginKind), Width::kI32, Rule::kWithin, 0, 3, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"short trade kind",
     MAIN(shortOrderOptions[0]),
     Width::kU8,
     Rule::kWithin,
     0,
     1,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"short price kind",
     MAIN(shortOrderOptions[1]),
     Width::kU8,
     Rule::kWithin,
     0,
     2,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"short route", MAIN(shortOrderOptions[2]), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"short account",
     MAIN(shortOrderOptions[3]),
     Width::kU8,
     Rule::kWithin,
     0,
     1,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"short margin kind",
     MAIN(shortMarginKind),
     Width::kI32,
     Rule::kWithin,
     0,
     3,
     kNoOtherValue,
     {kOnce, kOnce, kOnce}},
    {"thick lines", MAIN(thickChartLines), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"data source", P2(dataSource), Width::kI32, Rule::kWithin, 0, 2, kNoOtherValue, {kOnce, kOnce, kOnce}},
    {"font height",
     FONT(height),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kNoOtherValue,
     {kBothFonts, kOnce, kOnce}},
    {"font width",
     FONT(width),
     Width::kI32,
     Rule::kWithin,
     -kScreen,
     kScreen,
     kNoOtherValue,
     {kBothFonts, kOnce, kOnce}},
    {"font escapement", FONT(escapement), Width::kI32, Rule::kWithin, 0, 0, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font orientation",
     FONT(orientation),
     Width::kI32,
     Rule::kWithin,
     0,
     0,
     kNoOtherValue,
     {kBothFonts, kOnce, kOnce}},
    {"font weight", FONT(weight), Width::kI32, Rule::kWithin, 0, 1000, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font italic", FONT(italic), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font underline", FONT(underline), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font strike-out", FONT(strikeOut), Width::kU8, Rule::kWithin, 0, 1, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font precision", FONT(outPrecision), Width::kU8, Rule::kWithin, 0, 10, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font clipping",
     FONT(clipPrecision),
     Width::kU8,
     Rule::kBitsOf,
     0,
     0x7F,
     kNoOtherValue,
     {kBothFonts, kOnce, kOnce}},
    {"font quality", FONT(quality), Width::kU8, Rule::kWithin, 0, 6, kNoOtherValue, {kBothFonts, kOnce, kOnce}},
    {"font family",
     FONT(pitchAndFamily),
     Width::kU8,
     Rule::kWithin,
     0,
     0x5F,
     kNoOtherValue,
     {kBothFonts, kOnce, kOnce}},
};

#undef MAIN
#undef P2
#undef VIEW
#undef FONT

int64_t ReadField(const uint8_t* block, size_t at, Width width) {
  switch (width) {
    case Width::kU8: return block[at];
    case Width::kI16: {
      int16_t v;
      std::memcpy(&v, block + at, sizeof v);
      return v;
    }
    case Width::kU16: {
      uint16_t v;
      std::memcpy(&v, block + at, sizeof v);
      return v;
    }
    case Width::kI32: {
      int32_t v;
      std::memcpy(&v, block + at, sizeof v);
      return v;
    }
    case Width::kU32: {
      uint32_t v;
      std::memcpy(&v, block + at, sizeof v);
      return v;
    }
  }
  return 0;
}

bool IsInRange(const FieldRange& range, int64_t value) {
  if (value == range.otherValue) return true;
  if (range.rule == Rule::kBitsOf) return (value & ~range.high) == 0;
  if (range.rule == Rule::kStockCode) return IsStockCodeInRange(static_cast<StockCode>(value));
  return value >= range.low && value <= range.high;
}

// With `report`, the first field out of range is named on stderr.
bool AreFieldsInRange(const SettingsBlock& main, const SettingsBlockP2& p2, bool report) {
  for (const FieldRange& range : kFieldRanges) {
    const auto* block =
        range.block == Block::kMain ? reinterpret_cast<const uint8_t*>(&main) : reinterpret_cast<const uint8_t*>(&p2);
    const auto& [outer, middle, inner] = range.repeats;
    for (int i = 0; i < outer.count; ++i) {
      for (int j = 0; j < middle.count; ++j) {
        for (int k = 0; k < inner.count; ++k) {
          const size_t at = range.offset + i * outer.stride + j * middle.stride + k * inner.stride;
          const int64_t value = ReadField(block, at, range.width);
          if (IsInRange(range, value)) continue;
          if (report)
            std::fprintf(stderr, "out of range: %s [%d][%d][%d] = %lld\n", range.name, i, j, k,
                         static_cast<long long>(value));
          return false;
        }
      }
    }
  }
  return true;
}

// Texts end within their fields and are code page 932 throughout.
template <size_t N>
bool IsWholeText(const char (&text)[N]) {
  return IsCp932Text(text, static_cast<int>(N));
}

bool IsPlacementUsable(const WindowPlacementImage& p) {
  static const WindowPlacementImage kNoPlacement{};
  if (std::memcmp(&p, &kNoPlacement, sizeof p) == 0) return true;  // the system places the window
  return p.length == sizeof p && p.flags <= 7 && p.showCmd <= 11 && p.left >= -kScreen && p.right <= kScreen &&
         p.top >= -kScreen && p.bottom <= kScreen && int64_t{p.right} - p.left >= kMinMainWindowWidth &&
         int64_t{p.bottom} - p.top >= kMinMainWindowHeight;
}

bool ArePatternsUsable(const SettingsBlock& main) {
  for (const ScreenPattern& pattern : main.screenPatterns) {
    if (!IsWholeText(pattern.name)) return false;
    for (const ChartView& view : pattern.views) {
      if (view.barWidth % 2 == 0) return false;
    }
  }
  return true;
}

bool AreFontsUsable(const SettingsBlockP2& p2) {
  for (const LogFontImage* font : {&p2.memoLogFont, &p2.chartLogFont}) {
    if (!IsWholeText(font->faceName)) return false;
    const uint8_t charSet = font->charSet;
    if (charSet != 0 && charSet != 1 && charSet != kShiftJisCharSet) return false;
    if ((font->clipPrecision & 0x0F) > 2 || (font->pitchAndFamily & 0x03) == 0x03) return false;
  }
  return true;
}

// Rules that tie fields together or allow a set rather than a range; with
// `report`, the first one broken is named on stderr.
bool AreOtherRulesKept(const SettingsBlock& main, const SettingsBlockP2& p2, bool report) {
  const std::pair<const char*, bool> rules[] = {
      {"main window placement", IsPlacementUsable(main.mainPlacement)},
      {"pattern names and bar widths", ArePatternsUsable(main)},
      {"signal file name", EndsInWholeCharacter(main.signalFileName, sizeof main.signalFileName)},
      {"fonts", AreFontsUsable(p2)},
  };
  for (const auto& [name, kept] : rules) {
    if (kept) continue;
    if (report) std::fprintf(stderr, "out of range: %s\n", name);
    return false;
  }
  return true;
}

bool IsInRange(const SettingsBlock& main, const SettingsBlockP2& p2, bool report = false) {
  return AreFieldsInRange(main, p2, report) && AreOtherRulesKept(main, p2, report);
}

// ---- The files --------------------------------------------------------------------

enum class Shape { kPatched, kRepeated, kRaw };
constexpr size_t kPatchBytes = 4;

SettingsBlock gDefaults;
SettingsBlockP2 gDefaultsP2;
SettingsBlock gSound;
SettingsBlockP2 gSoundP2;

void Scramble(std::vector<uint8_t>& bytes) { XorBuffer(bytes.data(), bytes.size(), kSettingsXorByte); }

template <typename T>
std::vector<uint8_t> BytesOf(const T& block) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
  return std::vector<uint8_t>(bytes, bytes + sizeof block);
}

// What LoadSettings makes of no files, and a file of every kind of value in
// range besides the defaults: a placed window, fonts, three charts, orders.
bool Prepare() {
  EnterScratchDataFolder();
  InitAppTexts();
  LoadSettings();
  gDefaults = gSettings;
  gDefaultsP2 = gSettingsP2;
  gSound = gDefaults;
  gSound.mainPlacement = {44, 2, 3, -32000, -32000, -8, -8, -1800, 40, -200, 1100};
  gSound.screenPatterns[4].chartCount = 3;
  gSound.screenPatterns[4].views[2].paneCount = kMaxPanesPerChart;
  gSound.buyOrderOptions[1] = 2;
  gSound.shortMarginKind = 3;
  gSound.groupListWidth = 512;
  gSound.detailWindowX = -200;
  gSoundP2 = gDefaultsP2;
  gSoundP2.chartLogFont = {-16, 0, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 3, 2, 1, 0x31, "Tahoma"};
  gSoundP2.memoLogFont = {20, 8, 0, 0, 400, 0, 0, 0, 0, 0, 0x12, 6, 0x52, "Courier"};
  gSoundP2.dataSource = 2;
  return IsInRange(gDefaults, gDefaultsP2) && IsInRange(gSound, gSoundP2);
}

// The plain image of one file, or nothing at all (no file).
struct FileImage {
  bool present;
  std::vector<uint8_t> plain;
};

FileImage ShapeFile(Shape shape, const uint8_t* data, size_t size, size_t fileSize, const std::vector<uint8_t>& sound,
                    size_t patchBase) {
  FileImage file{true, {}};
  switch (shape) {
    case Shape::kPatched:
      file.plain = sound;
      for (size_t i = 0; i + kPatchBytes <= size; i += kPatchBytes) {
        const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % (sizeof(SettingsBlock) + sizeof(SettingsBlockP2));
        for (size_t b = 0; b < 2; ++b) {
          if (at + b >= patchBase && at + b < patchBase + fileSize) file.plain[at + b - patchBase] = data[i + 2 + b];
        }
      }
      break;
    case Shape::kRepeated:
      file.plain.resize(fileSize);
      FillRepeating(file.plain.data(), fileSize, data, size);
      break;
    case Shape::kRaw:
      file.present = size > 0;
      file.plain.assign(data, data + size);
      break;
  }
  return file;
}

Shape ShapeOf(uint8_t bits) { return bits < 2 ? Shape::kPatched : bits == 2 ? Shape::kRepeated : Shape::kRaw; }

void PutFile(const char* path, FileImage file) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (!file.present) return;
  Scramble(file.plain);
  WriteFile(path, file.plain.data(), file.plain.size());
}

template <typename T>
bool Equals(const T& block, const std::vector<uint8_t>& bytes) {
  return bytes.size() == sizeof block && std::memcmp(&block, bytes.data(), sizeof block) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  Check(prepared);
  if (size == 0) return 0;
  static const std::vector<uint8_t> sound = BytesOf(gSound);
  static const std::vector<uint8_t> soundP2 = BytesOf(gSoundP2);
  const FileImage main = ShapeFile(ShapeOf(data[0] & 3), data + 1, size - 1, sizeof(SettingsBlock), sound, 0);
  const FileImage p2 =
      ShapeFile(ShapeOf(data[0] >> 2 & 3), data + 1, size - 1, sizeof(SettingsBlockP2), soundP2, sizeof(SettingsBlock));
  PutFile(kSettingsFileName, main);
  PutFile(kSettingsP2FileName, p2);
  LoadSettings();
  Check(IsInRange(gSettings, gSettingsP2, true));
  // A file of another size is refused: the defaults. One in range is taken as it is.
  const bool mainTaken = main.present && main.plain.size() == sizeof(SettingsBlock);
  const bool p2Taken = p2.present && p2.plain.size() == sizeof(SettingsBlockP2);
  if (!mainTaken) Check(std::memcmp(&gSettings, &gDefaults, sizeof gDefaults) == 0);
  if (!p2Taken) Check(std::memcmp(&gSettingsP2, &gDefaultsP2, sizeof gDefaultsP2) == 0);
  if (mainTaken) {
    const auto& image = *reinterpret_cast<const SettingsBlock*>(main.plain.data());
    if (IsInRange(image, gSettingsP2)) Check(Equals(gSettings, main.plain));
  }
  if (p2Taken) {
    const auto& image = *reinterpret_cast<const SettingsBlockP2*>(p2.plain.data());
    if (IsInRange(gSettings, image)) Check(Equals(gSettingsP2, p2.plain));
  }

  // Saved, loaded, saved again: the same settings and the same bytes.
  const SettingsBlock loaded = gSettings;
  const SettingsBlockP2 loadedP2 = gSettingsP2;
  Check(SaveSettings() == 0);
  const std::vector<uint8_t> savedMain = ReadFile("velqo.dat");
  const std::vector<uint8_t> savedP2 = ReadFile("velqo_p2.dat");
  std::memset(&gSettings, 0x5C, sizeof gSettings);
  std::memset(&gSettingsP2, 0x5C, sizeof gSettingsP2);
  LoadSettings();
  Check(std::memcmp(&gSettings, &loaded, sizeof loaded) == 0);
  Check(std::memcmp(&gSettingsP2, &loadedP2, sizeof loadedP2) == 0);
  Check(SaveSettings() == 0);
  Check(ReadFile("velqo.dat") == savedMain && ReadFile("velqo_p2.dat") == savedP2);
  return 0;
}
