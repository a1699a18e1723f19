#pragma once
// The built-in palettes: the colours a chart has before the user picks any.
#include <cstddef>
#include <cstdint>

#include "records/settings_block.h"

constexpr int kBuiltinPaletteCount = 3;    // white ground, black ground, monochrome candles
constexpr int kDefaultBuiltinPalette = 2;  // what a new user starts with
constexpr uint32_t kPaletteImageSize = kPaletteColorCount * sizeof(ColorRef);  // a "*.PAL" file, 320 bytes
constexpr ColorRef kWhite = 0x00FFFFFF;
// The program's resources (type "MYPALDATA") holding each built-in palette's image.
constexpr char kPaletteResourceType[] = "MYPALDATA";
constexpr int kBuiltinPaletteResourceIds[kBuiltinPaletteCount] = {249, 250, 184};

// Reads resource `id` of kPaletteResourceType into out (at most `capacity`
// bytes); the bytes read, or -1 when there is no such resource. The Windows
// program installs one at start-up; without it the tables below serve.
using PaletteResourceReader = int (*)(int id, void* out, int capacity);
void SetPaletteResourceReader(PaletteResourceReader reader);

// The built-in palette `index` as its resource holds it; null out of range.
const ColorRef* GetBuiltinPaletteTable(int index);
// Fills the palette white, then puts the first min(size, 320) bytes of the
// image over it with each colour's unused top byte cleared, as for loaded settings.
void ApplyPaletteImage(ColorRef* palette, const void* image, size_t size);
// The palette of `block` white, then the built-in palette its index names
// (read from the resources); an index beyond them leaves it white.
void LoadBuiltinPaletteInto(SettingsBlock& block);
// Without a usable settings file: built-in palette 2 and white custom colours.
void SetDefaultPalette(SettingsBlock& block);

// "*.PAL" files: exactly the 320-byte image of a palette.
enum class PaletteFileResult { kLoaded, kWrongSize, kReadError };
// A file of any other size, or one that cannot be read, leaves the palette as
// it was; `errorCode` gets the read's error.
PaletteFileResult LoadPaletteFile(const char* path, ColorRef* palette, int* errorCode);
// 0, or the write's error code.
int SavePaletteFile(const char* path, const ColorRef* palette);

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
