#include "chart/palette.h"

#include "analysis/group_store.h"
#include "records/palette_slots.h"

#include <algorithm>
#include <array>

namespace {

using PaletteTable = std::array<ColorRef, kPaletteColorCount>;

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

// Slot by slot as the colour dialog lists them.
constexpr PaletteTable kWhiteGround = {
    Rgb(255, 255, 255), Rgb(192, 192, 192), Rgb(160, 0, 80),    Rgb(0, 0, 255),      // 0-3 ground, scale, candles
    Rgb(70, 130, 180),                                                               // 4 volume bars
    Rgb(0, 0, 0),       Rgb(200, 0, 0),     Rgb(0, 0, 200),                          // 5-7 numbers
    Rgb(255, 128, 0),   Rgb(128, 0, 128),   Rgb(0, 0, 0),       Rgb(255, 0, 0),      // 8-11 selection, lines
    Rgb(0, 0, 192),     Rgb(220, 0, 0),     Rgb(255, 128, 0),   Rgb(0, 160, 0),      // 12-15 Ichimoku
    Rgb(128, 0, 128),   Rgb(255, 218, 218), Rgb(255, 228, 236),                      // 16-18 lagging, clouds
    Rgb(230, 120, 0),   Rgb(0, 150, 0),     Rgb(0, 0, 200),                          // 19-21 averages
    Rgb(160, 0, 160),   Rgb(0, 160, 160),   Rgb(128, 128, 0),                        // 22-24
    Rgb(230, 120, 0),   Rgb(0, 150, 0),                                              // 25-26 volume averages
    Rgb(220, 0, 0),     Rgb(0, 0, 220),     Rgb(0, 150, 0),                          // 27-29 RSI
    Rgb(220, 0, 0),     Rgb(0, 0, 220),     Rgb(0, 150, 0),                          // 30-32 RCI
    Rgb(220, 0, 0),     Rgb(0, 0, 220),     Rgb(0, 150, 0),                          // 33-35 deviation
    Rgb(220, 0, 0),     Rgb(0, 0, 220),                                              // 36-37 stochastics
    Rgb(220, 0, 0),     Rgb(0, 0, 220),                                              // 38-39 MACD
    Rgb(220, 0, 0),     Rgb(0, 0, 220),     Rgb(0, 150, 0),                          // 40-42 DMI
    Rgb(160, 0, 160),                                                                // 43 S-ROC
    Rgb(220, 0, 0),     Rgb(0, 0, 220),     Rgb(0, 150, 0),                          // 44-46 psychological
    Rgb(0, 0, 220),     Rgb(220, 0, 0),                                              // 47-48 OBV
    Rgb(205, 222, 255), Rgb(228, 238, 255), Rgb(255, 236, 236), Rgb(255, 215, 215),  // 49-52 strip rows
    Rgb(0, 0, 200),     Rgb(80, 120, 255),  Rgb(255, 90, 90),   Rgb(200, 0, 0),      // 53-56 triangles
    Rgb(255, 255, 190),                                                              // 57 forecast columns
    Rgb(0, 128, 128),   Rgb(100, 160, 255), Rgb(255, 130, 0),   Rgb(200, 0, 200),    // 58-61 Bollinger
    Rgb(0, 0, 255),     Rgb(255, 0, 0),                                              // 62-63 SAR
    Rgb(0, 128, 128),   Rgb(160, 0, 160),                                            // 64-65 ratios
    Rgb(212, 226, 255), Rgb(224, 236, 255),                                          // 66-67 inverted clouds
    Rgb(205, 222, 255), Rgb(255, 215, 215),                                          // 68-69 scenario held
    Rgb(255, 128, 0),   Rgb(0, 160, 0),     Rgb(255, 0, 0),     Rgb(0, 0, 255),      // 70-73 exits, cuts
};

// The same colours turned for a black ground.
constexpr PaletteTable kBlackGround = {
    Rgb(0, 0, 0),       Rgb(192, 192, 192), Rgb(255, 255, 128), Rgb(128, 255, 255), Rgb(100, 160, 220),
    Rgb(255, 255, 255), Rgb(255, 100, 100), Rgb(120, 160, 255), Rgb(255, 160, 0),   Rgb(255, 128, 255),
    Rgb(255, 255, 255), Rgb(255, 80, 80),   Rgb(120, 160, 255), Rgb(255, 90, 90),   Rgb(255, 170, 60),
    Rgb(80, 220, 80),   Rgb(220, 130, 255), Rgb(90, 40, 40),    Rgb(70, 40, 70),    Rgb(255, 170, 60),
    Rgb(80, 220, 80),   Rgb(120, 160, 255), Rgb(230, 110, 230), Rgb(60, 220, 220),  Rgb(220, 220, 90),
    Rgb(255, 170, 60),  Rgb(80, 220, 80),   Rgb(255, 90, 90),   Rgb(120, 160, 255), Rgb(80, 220, 80),
    Rgb(255, 90, 90),   Rgb(120, 160, 255), Rgb(80, 220, 80),   Rgb(255, 90, 90),   Rgb(120, 160, 255),
    Rgb(80, 220, 80),   Rgb(255, 90, 90),   Rgb(120, 160, 255), Rgb(255, 90, 90),   Rgb(120, 160, 255),
    Rgb(255, 90, 90),   Rgb(120, 160, 255), Rgb(80, 220, 80),   Rgb(230, 110, 230), Rgb(255, 90, 90),
    Rgb(120, 160, 255), Rgb(80, 220, 80),   Rgb(120, 160, 255), Rgb(255, 90, 90),   Rgb(30, 40, 90),
    Rgb(30, 30, 60),    Rgb(60, 30, 30),    Rgb(90, 35, 35),    Rgb(120, 160, 255), Rgb(90, 120, 255),
    Rgb(255, 110, 110), Rgb(255, 70, 70),   Rgb(70, 70, 30),    Rgb(60, 200, 200),  Rgb(100, 160, 255),
    Rgb(255, 150, 40),  Rgb(230, 90, 230),  Rgb(120, 160, 255), Rgb(255, 90, 90),   Rgb(60, 200, 200),
    Rgb(230, 110, 230), Rgb(40, 50, 90),    Rgb(40, 60, 50),    Rgb(30, 40, 90),    Rgb(90, 35, 35),
    Rgb(255, 160, 0),   Rgb(80, 220, 80),   Rgb(255, 80, 80),   Rgb(120, 160, 255),
};

// White ground with black candles: rising hollow, falling filled.
constexpr PaletteTable MakeMonochrome() {
  PaletteTable table = kWhiteGround;
  table[kColorRising] = Rgb(0, 0, 0);
  table[kColorFalling] = Rgb(0, 0, 0);
  table[kColorVolumeBars] = Rgb(96, 96, 96);
  return table;
}
constexpr PaletteTable kMonochrome = MakeMonochrome();

constexpr const PaletteTable* kBuiltinPalettes[kBuiltinPaletteCount] = {&kWhiteGround, &kBlackGround, &kMonochrome};

}  // namespace

void LoadBuiltinPalette(int index) {
  if (index < 0 || index >= kBuiltinPaletteCount) index = 0;
  const PaletteTable& table = *kBuiltinPalettes[index];
  std::copy(table.begin(), table.end(), gPaletteColors);
  gBuiltinPaletteIndex = index;
}

bool IsPaletteEmpty(const ColorRef* colors) {
  return std::all_of(colors, colors + kPaletteColorCount, [](ColorRef c) { return c == 0; });
}

void LoadBuiltinPaletteIfEmpty() {
  if (IsPaletteEmpty(gPaletteColors)) LoadBuiltinPalette(gBuiltinPaletteIndex);
}

ColorRef* FindSwatchColor(int number) {
  if (number >= 0) return number < kPaletteColorCount ? &gSettingsEdit.paletteColors[number] : nullptr;
  const int64_t group = -int64_t{number} - 1;
  if (gGroupTableEdit == nullptr || group >= kGroupCount) return nullptr;
  return reinterpret_cast<ColorRef*>(&gGroupTableEdit->groups[group].nameColor);
}
