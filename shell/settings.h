#pragma once
// Loading and saving the two configuration files, each byte scrambled by XOR,
// and the defaults of their fields.
#include <cstddef>
#include <cstdint>

#include "records/settings_block.h"

constexpr char kSettingsFileName[] = "velqo.dat";
constexpr char kSettingsP2FileName[] = "velqo_p2.dat";
constexpr char kDefaultSettingsPath[] = "DEFAULTDATA\\velqo.dat";
constexpr uint8_t kSettingsXorByte = 0xA7;

void XorBuffer(void* buffer, size_t length, uint8_t value);

// 0 while a save may write the file; else why the load kept it (it could not
// be read, or was damaged and could not be set aside).
extern int gSettingsFileKeptBy;
extern int gSettingsP2FileKeptBy;

// Reads both files into the live blocks and brings them into range. The
// data folder must be current. A file missing or of another size gives the
// defaults; one of another size is set aside (SetDamagedFileAside). A file
// that could not be read, or set aside, is never written over: its saves
// return why.
void LoadSettings();
// Writes both files; 0 or the first error code.
int SaveSettings();
int SaveMainSettings();  // "velqo.dat" alone
int SaveSettingsP2();
// Brings damaged or foreign values into their ranges, so that the window can
// be laid out and drawn: every field used as an index, size, place, colour,
// font or text. Values in range, sentinels among them, stay as they are.
// Called after every load.
void BringSettingsIntoRange(SettingsBlock& block, SettingsBlockP2& p2);
// Zeroes the block and sets the built-in defaults.
void SetDefaultSettings();

// The chart display part of the settings: what the distributed defaults
// ("DEFAULTDATA\velqo.dat") give a new user, by byte offset in the block.
struct SettingsByteRange {
  uint32_t offset, size;
};
constexpr SettingsByteRange kDefaultDisplayRanges[] = {
    {44, 4},      // current pattern
    {48, 5184},   // the screen patterns
    {5280, 4},    // group list width
    {5288, 4},    // detail list width
    {5296, 330},  // the daily, weekly and monthly parameter sets
    {5628, 68},   // custom colours and built-in palette index
    {5696, 320},  // the palette
    {6308, 4},    // guide line
    {6312, 4},    // week separators
    {6320, 4},    // split-adjusted prices
    {6336, 4},    // width of new trend lines
    {6340, 4},    // chart font size
    {6700, 40},   // pane heights
    {6760, 4},    // memo font size and line spacing
};
// Copies those ranges from a scrambled 6812-byte settings image into the live
// block; 0, or non-zero (the block untouched) when the file cannot be read whole.
// LoadSettings brings them into range with the rest.
int LoadDefaultDisplaySettings(const char* path);
