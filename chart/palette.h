#pragma once
// The built-in palettes: the colours a chart has before the user picks any.
#include "records/settings_block.h"

constexpr int kBuiltinPaletteCount = 3;  // white ground, black ground, monochrome candles

// Fills gPaletteColors with built-in palette `index` (0 when out of range)
// and makes it the current built-in choice.
void LoadBuiltinPalette(int index);
// True when every colour is 0 (a settings file that never held a palette).
bool IsPaletteEmpty(const ColorRef* colors);
// Loads the current built-in palette when the live one is empty.
void LoadBuiltinPaletteIfEmpty();

// The colour a swatch numbered `number` shows and edits: entry n of the edit
// copy's palette for n >= 0, the name colour of group -n-1 in the group
// table's edit copy below 0. Null when the number names nothing.
ColorRef* FindSwatchColor(int number);
