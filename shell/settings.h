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

// Reads both files into the live blocks (defaults where a file is missing or
// short) and brings them into range. The data folder must be current.
void LoadSettings();
// Writes both files; 0 or the first error code.
int SaveSettings();
int SaveSettingsP2();
// Brings damaged or foreign values into their ranges, so that the window can
// be laid out and drawn: every field used as an index, size, place, colour,
// font or text. Values in range, sentinels among them, stay as they are.
// Called after every load.
void BringSettingsIntoRange(SettingsBlock& block, SettingsBlockP2& p2);
// Zeroes the block and sets the built-in defaults.
void SetDefaultSettings();
