#include "shell/settings.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "analysis/indicator_params.h"
#include "chart/palette.h"
#include "chart/screen_pattern.h"
#include "common/file_io.h"
#include "common/sjis_text.h"


namespace {

constexpr int kDefaultChartFontSize = 12;
constexpr int kDefaultMemoFontSize = 16;

template <typename T>
void ClampOrDefault(T& value, int low, int high, int fallback) {
  if (value < low || value > high) value = static_cast<T>(fallback);
}

// Terminates a text field read from a file, without leaving half a character.
template <size_t N>
void TerminateText(char (&text)[N]) {
  text[N - 1] = 0;
  CopySjisText(text, text, static_cast<int>(N));
}

// Reads one scrambled block of exactly `size` bytes; false when the file is
// missing, shorter or longer.
bool LoadScrambledBlock(const char* path, void* block, uint32_t size) {
  std::vector<uint8_t> image(size);
  uint32_t read = 0;
  if (LoadFileToBufferEx(path, image.data(), size, &read) != 0 || read != size) return false;
  XorBuffer(image.data(), size, kSettingsXorByte);
  memcpy(block, image.data(), size);
  return true;
}

int SaveScrambledBlock(const char* path, const void* block, uint32_t size) {
  std::vector<uint8_t> image(static_cast<const uint8_t*>(block), static_cast<const uint8_t*>(block) + size);
  XorBuffer(image.data(), size, kSettingsXorByte);
  return SaveBufferToFile(path, image.data(), size);
}

void NormalizeLogFont(LogFontImage& font) { TerminateText(font.faceName); }

}  // namespace

void XorBuffer(void* buffer, size_t length, uint8_t value) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < length; ++i) bytes[i] ^= value;
}

void NormalizeSettings(SettingsBlock& s) {
  ClampOrDefault(s.currentPattern, 0, kScreenPatternCount - 1, 0);
  for (ScreenPattern& pattern : s.screenPatterns) ValidateScreenPattern(pattern, true);
  ClampOrDefault(s.paramSheetStartPage, 0, 14, 0);
  ClampOrDefault(s.builtinPaletteIndex, 0, 2, 0);
  TerminateText(s.signalFileName);
  if (s.newTrendLineWidth == 0) s.newTrendLineWidth = 2;
  ClampOrDefault(s.newTrendLineWidth, 1, 3, 2);
  ClampOrDefault(s.chartFontSize, 12, 32, kDefaultChartFontSize);
  ClampOrDefault(s.memoFontSize, 1, 32, kDefaultMemoFontSize);
  ClampOrDefault(s.memoLineSpacing, 0, 32, 0);
  FixZeroPaneHeights(s.paneHeights, kPaneHeightCount);
  // The calendar bounds the time-back day index once it is loaded; negative means the last day.
  if (s.timeBackDayIndex < -1) s.timeBackDayIndex = -1;
}

void NormalizeSettingsP2(SettingsBlockP2& p2) {
  NormalizeLogFont(p2.memoLogFont);
  NormalizeLogFont(p2.chartLogFont);
  ClampOrDefault(p2.dataSource, 0, 2, 0);
}

void SetDefaultSettings() {
  gSettings = SettingsBlock{};
  SetDefaultScreenPatterns();
  SetDefaultIndicatorParameters();
  gSettings.memoFontSize = kDefaultMemoFontSize;
  LoadBuiltinPalette(0);
}

void LoadSettings() {
  gDefaultSettings = SettingsBlock{};
  if (!LoadScrambledBlock(kDefaultSettingsPath, &gDefaultSettings, sizeof gDefaultSettings))
    gDefaultSettings = SettingsBlock{};
  if (!LoadScrambledBlock(kSettingsFileName, &gSettings, sizeof gSettings)) SetDefaultSettings();
  NormalizeSettings(gSettings);
  if (!LoadScrambledBlock(kSettingsP2FileName, &gSettingsP2, sizeof gSettingsP2)) gSettingsP2 = SettingsBlockP2{};
  NormalizeSettingsP2(gSettingsP2);
}

int SaveSettingsP2() { return SaveScrambledBlock(kSettingsP2FileName, &gSettingsP2, sizeof gSettingsP2); }

int SaveSettings() {
  const int first = SaveScrambledBlock(kSettingsFileName, &gSettings, sizeof gSettings);
  const int second = SaveSettingsP2();
  return first != 0 ? first : second;
}
