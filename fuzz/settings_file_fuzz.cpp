// Loads arbitrary "velqo.dat" and "velqo_p2.dat" files through LoadSettings.
// Whatever they hold, every setting with a range is in it afterwards (the
// table below: what the loader brings into range and what the code that uses
// each field needs); a file refused for its size gives the defaults and is set aside; a file
// already in range is taken as it is; and the settings as saved load back
// unchanged and (one input in 32, through the crash-safe saves) save again
// byte for byte.
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
#include <type_traits>
#include <utility>
#include <vector>

#include "analysis/parameter_pages.h"
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
using Repeats = std::array<Repeat, 3>;  // outer to inner
constexpr Repeat kOnce{1, 0};
constexpr Repeats kSingle = {kOnce, kOnce, kOnce};
constexpr Repeat kEachPattern{kScreenPatternCount, sizeof(ScreenPattern)};
constexpr Repeat kEachViewOf{kMaxChartsPerPattern, sizeof(ChartView)};
constexpr Repeats kEachView = {kEachPattern, kEachViewOf, kOnce};
constexpr Repeats kEachPane = {kEachPattern, kEachViewOf, Repeat{kMaxPanesPerChart, sizeof(uint32_t)}};
constexpr Repeats kBothFonts = {
    Repeat{2, offsetof(SettingsBlockP2, chartLogFont) - offsetof(SettingsBlockP2, memoLogFont)}, kOnce, kOnce};
constexpr int64_t kNoOtherValue = INT64_MIN;

struct FieldRange {
  const char* name;
  Block block;
  size_t offset;
  Width width;
  Rule rule;
  int64_t low;
  int64_t high;
  Repeats repeats;
  int64_t otherValue;  // a value outside low..high that is also allowed ("not placed", "none")
};

template <typename T>
constexpr Width WidthOf() {
  static_assert(std::is_integral_v<T> && sizeof(T) <= 4, "an integer field");
  if constexpr (sizeof(T) == 1) return Width::kU8;
  if constexpr (sizeof(T) == 2) return std::is_signed_v<T> ? Width::kI16 : Width::kU16;
  return std::is_signed_v<T> ? Width::kI32 : Width::kU32;
}

// Where a field is and how wide: its block, offset and width.
#define FIELD_OF(Record, block, base, field) \
  block, (base) + offsetof(Record, field),   \
      WidthOf<std::remove_cv_t<std::remove_reference_t<decltype(std::declval<Record&>().field)>>>()
#define MAIN(field) FIELD_OF(SettingsBlock, Block::kMain, 0, field)
#define P2(field) FIELD_OF(SettingsBlockP2, Block::kP2, 0, field)
#define VIEW(field) FIELD_OF(ChartView, Block::kMain, kViews, field)
#define FONT(field) FIELD_OF(LogFontImage, Block::kP2, offsetof(SettingsBlockP2, memoLogFont), field)

constexpr size_t kViews = offsetof(SettingsBlock, screenPatterns) + offsetof(ScreenPattern, views);

constexpr FieldRange Within(const char* name, Block block, size_t offset, Width width, int64_t low, int64_t high,
                            const Repeats& repeats = kSingle, int64_t otherValue = kNoOtherValue) {
  return {name, block, offset, width, Rule::kWithin, low, high, repeats, otherValue};
}
constexpr FieldRange BitsOf(const char* name, Block block, size_t offset, Width width, int64_t bits,
                            const Repeats& repeats = kSingle) {
  return {name, block, offset, width, Rule::kBitsOf, 0, bits, repeats, kNoOtherValue};
}
constexpr FieldRange Code(const char* name, Block block, size_t offset, Width width, const Repeats& repeats) {
  return {name, block, offset, width, Rule::kStockCode, 0, 0, repeats, kNoOtherValue};
}

constexpr int64_t kScreen = kMaxScreenExtent;
constexpr int64_t kHalfScreen = kMaxScreenExtent / 2;

// The fields that index a table, size or place something, choose among a few
// kinds, or hold a colour. The order options are the ones the order link
// accepts and the step dialog's buttons offer.
const FieldRange kFieldRanges[] = {
    Within("current pattern", MAIN(currentPattern), 0, kScreenPatternCount - 1),
    Within("chart count", MAIN(screenPatterns[0].chartCount), 1, kMaxChartsPerPattern, {kEachPattern, kOnce, kOnce}),
    Code("view stock code", VIEW(stockCode), kEachView),
    Within("view period", VIEW(period), 0, 2, kEachView),
    Within("view last bar", VIEW(lastBarIndex), INT32_MIN, kMaxLastBarIndex - 1, kEachView),
    Within("view bar width", VIEW(barWidth), 1, kMaxBarWidth, kEachView),
    Within("view date link", VIEW(dateLink), 0, 1, kEachView),
    Within("view stock link", VIEW(stockLink), 0, 1, kEachView),
    Within("view keeps stock", VIEW(keepStock), 0, 1, kEachView),
    Within("view pane count", VIEW(paneCount), 0, kMaxPanesPerChart, kEachView),
    Within("view pane kind", VIEW(paneKinds[0]), 0, kPaneKindCount - 1, kEachPane),
    BitsOf("view pane flags", VIEW(paneFlags[0]), kPaneFlagBits, kEachPane),
    Within("view group", VIEW(groupIndex), 0, kGroupCount - 1, kEachView),
    Within("view right margin", VIEW(rightMargin), 1, kHalfScreen, kEachView),
    Within("pane heights", MAIN(paneHeights[0]), 1, kMaxPaneHeight, {Repeat{kPaneHeightCount, 2}, kOnce, kOnce}),
    Within("detail window x", MAIN(detailWindowX), -kScreen, kScreen, kSingle, 32767),  // or not placed yet
    Within("detail window y", MAIN(detailWindowY), -kScreen, kScreen),
    Within("time-back window x", MAIN(timeBackWindowX), -kScreen, kScreen),
    Within("time-back window y", MAIN(timeBackWindowY), -kScreen, kScreen),
    Within("group list width", MAIN(groupListWidth), kMinListWidth, kHalfScreen),
    Within("detail list width", MAIN(detailListWidth), kMinListWidth - 2, kHalfScreen - 2),
    Within("parameter sheet page", MAIN(paramSheetStartPage), 0, 14),
    Within("custom colours", MAIN(customColors[0]), 0, 0xFFFFFF, {Repeat{16, 4}, kOnce, kOnce}),
    Within("built-in palette", MAIN(builtinPaletteIndex), 0, 2),
    Within("palette colours", MAIN(paletteColors[0]), 0, 0xFFFFFF, {Repeat{kPaletteColorCount, 4}, kOnce, kOnce}),
    Within("time-back day", MAIN(timeBackDayIndex), -1, INT32_MAX),
    Within("new line width", MAIN(newTrendLineWidth), 1, 3),
    Within("chart font size", MAIN(chartFontSize), 12, 32),
    Within("monitored group", MAIN(monitoredGroup), 0, kGroupCount - 1, kSingle, 65535),  // or the first chart's
    Within("memo font size", MAIN(memoFontSize), 1, 32),
    Within("memo line spacing", MAIN(memoLineSpacing), 0, 32),
    Within("buy trade kind", MAIN(buyOrderOptions[0]), 0, 1),
    Within("buy price kind", MAIN(buyOrderOptions[1]), 0, 2),
    Within("buy route", MAIN(buyOrderOptions[2]), 0, 1),
    Within("buy account", MAIN(buyOrderOptions[3]), 0, 1),
    Within("buy margin kind", MAIN(buyMarginKind), 0, 3),
    Within("short trade kind", MAIN(shortOrderOptions[0]), 0, 1),
    Within("short price kind", MAIN(shortOrderOptions[1]), 0, 2),
    Within("short route", MAIN(shortOrderOptions[2]), 0, 1),
    Within("short account", MAIN(shortOrderOptions[3]), 0, 1),
    Within("short margin kind", MAIN(shortMarginKind), 0, 3),
    Within("thick lines", MAIN(thickChartLines), 0, 1),
    Within("detail window shown", MAIN(showDetailWindow), 0, 1),
    Within("detail window right", MAIN(detailDockRight), 0, 1),
    Within("detail window bottom", MAIN(detailDockBottom), 0, 1),
    Within("group list shown", MAIN(showGroupList), 0, 1),
    Within("detail list shown", MAIN(showDetailList), 0, 1),
    Within("time-back mode", MAIN(timeBackMode), 0, 1),
    Within("time-back window right", MAIN(timeBackDockRight), 0, 1),
    Within("time-back window bottom", MAIN(timeBackDockBottom), 0, 1),
    Within("saved recompute", MAIN(savedRecomputeNeeded), 0, 1),
    Within("guide line", MAIN(showGuideLine), 0, 1),
    Within("week separators", MAIN(weekSeparatorsOn), 0, 1),
    Within("display switch", MAIN(displaySwitch32878), 0, 1),
    Within("split-adjusted", MAIN(showSplitAdjusted), 0, 1),
    Within("ask to recompute", MAIN(askRecomputeAtStart), 0, 1),
    Within("recompute", MAIN(recomputeNeeded), 0, 1),
    Within("order link", MAIN(orderLinkOn), 0, 1),
    Within("tick grid", MAIN(tickGridOn), 0, 1),
    Within("snapped prices", MAIN(snapDraggedPrices), 0, 1),
    Within("short names", MAIN(showShortNames), 0, 1),
    Within("groups dirty", MAIN(groupsDirty), 0, 1),
    Within("saved groups dirty", MAIN(savedGroupsDirty), 0, 1),
    Within("notice beep", MAIN(infoBeepOnNotice), 0, 1),
    Within("average line", MAIN(showAverageLine), 0, 1),
    Within("average line values", MAIN(hideAverageLineValues), 0, 1),
    Within("closing line profit", MAIN(showProfitOnClosingLine), 0, 1),
    Within("copy with names", MAIN(clipboardWithNames), 0, 1),
    Within("copy with mark", MAIN(clipboardWithMark), 0, 1),
    Within("data source", P2(dataSource), 0, 2),
    Within("vendor service", P2(vendorGen2On), 0, 1),
    Within("live quotes", P2(realTimeReceiveOn), 0, 1),
    Within("past prices", P2(pastPriceAutoFetchOn), 0, 1),
    Within("font height", FONT(height), -kScreen, kScreen, kBothFonts),
    Within("font width", FONT(width), -kScreen, kScreen, kBothFonts),
    Within("font escapement", FONT(escapement), 0, 0, kBothFonts),
    Within("font orientation", FONT(orientation), 0, 0, kBothFonts),
    Within("font weight", FONT(weight), 0, 1000, kBothFonts),
    Within("font italic", FONT(italic), 0, 1, kBothFonts),
    Within("font underline", FONT(underline), 0, 1, kBothFonts),
    Within("font strike-out", FONT(strikeOut), 0, 1, kBothFonts),
    Within("font precision", FONT(outPrecision), 0, 10, kBothFonts),
    BitsOf("font clipping", FONT(clipPrecision), 0x7F, kBothFonts),
    Within("font quality", FONT(quality), 0, 6, kBothFonts),
    Within("font family", FONT(pitchAndFamily), 0, 0x5F, kBothFonts),
};

#undef MAIN
#undef P2
#undef VIEW
#undef FONT
#undef FIELD_OF

template <typename T>
int64_t ReadAs(const uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

int64_t ReadField(const uint8_t* block, size_t at, Width width) {
  switch (width) {
    case Width::kU8: return block[at];
    case Width::kI16: return ReadAs<int16_t>(block + at);
    case Width::kU16: return ReadAs<uint16_t>(block + at);
    case Width::kI32: return ReadAs<int32_t>(block + at);
    case Width::kU32: return ReadAs<uint32_t>(block + at);
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

// Every parameter a page of the analysis-parameter sheet edits lies in its range.
bool AreParametersInPageRanges(const SettingsBlock& main) {
  for (const IndicatorParameterSet& set : main.indicatorParams) {
    for (const ParameterPage& page : kParameterPages) {
      for (int k = 0; k < page.fieldCount; ++k) {
        const ParameterField& field = page.fields[static_cast<size_t>(k)];
        const int value = set.slot[field.slot];
        if (value < field.minimum || value > field.maximum) return false;
      }
    }
  }
  return true;
}

// None (0), or a calendar day.
bool IsStoredDate(PackedDate date) {
  if (date == 0) return true;
  const int year = PackedYear(date), month = PackedMonth(date), day = PackedDay(date);
  return year >= 1900 && year <= 2999 && month >= 1 && month <= 12 && day >= 1 && day <= GetDaysInMonth(year, month);
}

bool AreDatesUsable(const SettingsBlock& main) {
  return IsStoredDate(main.lastPriceDate) && IsStoredDate(main.kenUpdateDate) && IsStoredDate(main.pinfoUpdateDate) &&
         IsStoredDate(main.timeBackComputedDate);
}

// Rules that tie fields together or allow a set rather than a range; with
// `report`, the first one broken is named on stderr.
bool AreOtherRulesKept(const SettingsBlock& main, const SettingsBlockP2& p2, bool report) {
  const std::pair<const char*, bool> rules[] = {
      {"main window placement", IsPlacementUsable(main.mainPlacement)},
      {"pattern names and bar widths", ArePatternsUsable(main)},
      {"signal file name", EndsInWholeCharacter(main.signalFileName, sizeof main.signalFileName)},
      {"fonts", AreFontsUsable(p2)},
      {"indicator parameters", AreParametersInPageRanges(main)},
      {"dates", AreDatesUsable(main)},
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

std::vector<uint8_t> Unscrambled(std::vector<uint8_t> bytes) {
  Scramble(bytes);
  return bytes;
}

// What a refused file left: the next input's set-aside names start afresh.
void RemoveSetAsideFiles() {
  std::error_code ignored;
  std::filesystem::remove("velqo.dat.damaged", ignored);
  std::filesystem::remove("velqo_p2.dat.damaged", ignored);
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
  RemoveSetAsideFiles();
  LoadSettings();
  Check(IsInRange(gSettings, gSettingsP2, true));
  // A file of another size is refused and set aside: the defaults. One in range is taken as it is.
  const bool mainTaken = main.present && main.plain.size() == sizeof(SettingsBlock);
  const bool p2Taken = p2.present && p2.plain.size() == sizeof(SettingsBlockP2);
  Check(HoldsBytes("velqo.dat.damaged") == (main.present && !mainTaken));
  Check(HoldsBytes("velqo_p2.dat.damaged") == (p2.present && !p2Taken));
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

  // Saved, loaded, saved again: the same settings and the same bytes. The
  // crash-safe saves cost far more than the rest, so one input in 32 goes
  // through them; the others write the images as the save makes them.
  const SettingsBlock loaded = gSettings;
  const SettingsBlockP2 loadedP2 = gSettingsP2;
  const bool throughSaves = IsOneInThirtyTwo(data, size);
  if (throughSaves) {
    Check(SaveSettings() == 0);
  } else {
    PutFile(kSettingsFileName, {true, BytesOf(gSettings)});
    PutFile(kSettingsP2FileName, {true, BytesOf(gSettingsP2)});
  }
  const std::vector<uint8_t> savedMain = ReadFile("velqo.dat");
  const std::vector<uint8_t> savedP2 = ReadFile("velqo_p2.dat");
  std::memset(&gSettings, 0x5C, sizeof gSettings);
  std::memset(&gSettingsP2, 0x5C, sizeof gSettingsP2);
  LoadSettings();
  Check(std::memcmp(&gSettings, &loaded, sizeof loaded) == 0);
  Check(std::memcmp(&gSettingsP2, &loadedP2, sizeof loadedP2) == 0);
  if (throughSaves) {
    Check(SaveSettings() == 0);
    Check(ReadFile("velqo.dat") == savedMain && ReadFile("velqo_p2.dat") == savedP2);
  } else {
    Check(Equals(gSettings, Unscrambled(savedMain)) && Equals(gSettingsP2, Unscrambled(savedP2)));
  }
  return 0;
}
