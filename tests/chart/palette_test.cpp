#include "chart/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "analysis/group_store.h"
#include "chart/color_pages.h"
#include "chart/named_colors.h"
#include "common/file_io.h"
#include "records/palette_slots.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<uint8_t> Bytes(const ColorRef* palette) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(palette);
  return std::vector<uint8_t>(bytes, bytes + kPaletteImageSize);
}

std::string SourceFolder() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind("tests/"));
}

std::vector<uint8_t> Numbered(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  return bytes;
}

// Swatch numbers: entries of the edit copy's palette, or group colours in the group edit copy.
TEST(Palette, SwatchNumbersNameEditPaletteEntriesAndGroupColours) {
  ScopedGlobalState globals;
  ASSERT_TRUE(AllocGroupTables());
  const auto group = [](int g) { return reinterpret_cast<ColorRef*>(&gGroupTableEdit->groups[g].nameColor); };
  const std::pair<int, ColorRef*> cases[] = {{0, &gSettingsEdit.paletteColors[0]},
                                             {79, &gSettingsEdit.paletteColors[79]},
                                             {80, nullptr},
                                             {-1, group(0)},
                                             {-kGroupCount, group(kGroupCount - 1)},
                                             {-kGroupCount - 1, nullptr},
                                             {-2147483647 - 1, nullptr}};
  for (const auto& [number, color] : cases) EXPECT_EQ(FindSwatchColor(number), color) << number;
}

// Only a file of exactly 320 bytes is a palette; anything else leaves the palette as it was.
TEST(Palette, PaletteFilesOfAnyOtherSizeAreRefusedAndAPaletteRoundTripsByteForByte) {
  ScopedGlobalState globals;
  ScratchFolder folder;
  struct Case {
    int size;  // -1: no file
    PaletteFileResult result;
  } const cases[] = {{319, PaletteFileResult::kWrongSize},
                     {321, PaletteFileResult::kWrongSize},
                     {-1, PaletteFileResult::kReadError},
                     {320, PaletteFileResult::kLoaded}};
  for (const Case& c : cases) {
    ColorRef palette[kPaletteColorCount];
    std::fill(std::begin(palette), std::end(palette), 0x00123456u);
    const std::vector<uint8_t> before = Bytes(palette);
    const std::string path = folder.path() + "in" + std::to_string(c.size) + ".pal";
    const std::vector<uint8_t> file = Numbered(c.size > 0 ? static_cast<size_t>(c.size) : 0);
    if (c.size >= 0) WriteWholeFile(path, file);
    int error = 0;
    EXPECT_EQ(LoadPaletteFile(path.c_str(), palette, &error), c.result) << c.size;
    EXPECT_EQ(error != 0, c.result == PaletteFileResult::kReadError) << c.size;
    if (c.result != PaletteFileResult::kLoaded) {
      EXPECT_EQ(Bytes(palette), before) << c.size;
      continue;
    }
    // Loaded like settings: each colour's unused top byte is cleared.
    std::vector<uint8_t> expected = file;
    for (size_t i = 3; i < expected.size(); i += 4) expected[i] = 0;
    EXPECT_EQ(Bytes(palette), expected);
  }
  ColorRef saved[kPaletteColorCount];
  for (int i = 0; i < kPaletteColorCount; ++i) saved[i] = static_cast<ColorRef>(i * 0x010305);
  const std::string path = folder.path() + "saved.pal";
  ASSERT_EQ(SavePaletteFile(path.c_str(), saved), 0);
  EXPECT_EQ(ReadWholeFile(path), Bytes(saved));
  // A folder where the file should be: the save fails and says so.
  EXPECT_NE(SavePaletteFile(folder.path().c_str(), saved), 0);
}

std::vector<uint8_t> gResourceBytes;
int gResourceId = 0;
int ReadFakeResource(int id, void* out, int capacity) {
  gResourceId = id;
  if (gResourceBytes.empty()) return -1;
  const int size = std::min(capacity, static_cast<int>(gResourceBytes.size()));
  memcpy(out, gResourceBytes.data(), static_cast<size_t>(size));
  return size;
}

// The built-in palettes come from their resources: a missing one or an index
// beyond them is white, a long one gives its first 320 bytes, a short one
// its colours over white, always with the top bytes cleared.
TEST(Palette, BuiltinPalettesAreReadFromTheirResourcesOverWhite) {
  ScopedGlobalState globals;
  SettingsBlock block{};
  for (int index : {3, -1, 1000}) {
    block.builtinPaletteIndex = index;
    LoadBuiltinPaletteInto(block);
    for (ColorRef color : block.paletteColors) ASSERT_EQ(color, kWhite) << index;
  }
  struct ScopedReader {
    ScopedReader() { SetPaletteResourceReader(ReadFakeResource); }
    ~ScopedReader() { SetPaletteResourceReader(nullptr); }
  } reader;
  struct Case {
    size_t size;  // 0: no resource
    int whiteFrom;
  } const cases[] = {{0, 0}, {8, 2}, {321, kPaletteColorCount}};
  for (const Case& c : cases) {
    gResourceBytes.assign(c.size, 0xEE);
    block.builtinPaletteIndex = 2;
    block.signalFileName[0] = 'P';  // the field after the palette
    LoadBuiltinPaletteInto(block);
    EXPECT_EQ(block.signalFileName[0], 'P');
    EXPECT_EQ(gResourceId, 184);
    for (int i = 0; i < kPaletteColorCount; ++i)
      ASSERT_EQ(block.paletteColors[i], i < c.whiteFrom ? 0x00EEEEEEu : kWhite) << c.size << " " << i;
  }
  gResourceBytes.assign(10, 0x00);  // half a colour: its other bytes stay white
  LoadBuiltinPaletteInto(block);
  EXPECT_EQ(Row(block.paletteColors[1], block.paletteColors[2], block.paletteColors[3]), Row(0u, 0x00FF0000u, kWhite));
}

TEST(Palette, ANewUserStartsWithBuiltinPaletteTwoAndWhiteCustomColours) {
  ScopedGlobalState globals;
  SetDefaultSettings();
  EXPECT_EQ(gBuiltinPaletteIndex, kDefaultBuiltinPalette);
  for (ColorRef color : gSettings.customColors) EXPECT_EQ(color, kWhite);
  EXPECT_EQ(memcmp(gPaletteColors, GetBuiltinPaletteTable(2), kPaletteImageSize), 0);
}

// The resources of the program hold the tables' bytes.
TEST(Palette, ThePaletteResourcesHoldTheTables) {
  for (int index = 0; index < kBuiltinPaletteCount; ++index) {
    const std::string path =
        SourceFolder() + "resources/palette_" + std::to_string(kBuiltinPaletteResourceIds[index]) + ".pal";
    EXPECT_EQ(ReadWholeFile(path), Bytes(GetBuiltinPaletteTable(index))) << path;
  }
}

TEST(Palette, BlackIsFoundByAnyOfItsSpellingsAndTheFirstEntryServesWithoutIt) {
  EXPECT_EQ(Row(FindBlackColorIndex(), gNamedColors[0].color), Row(0, 0));
  struct Case {
    std::vector<const char*> names;
    int expected;
  } const cases[] = {{{"Red", "Blue", "BLACK"}, 2}, {{"Red", "black", "Black"}, 1}, {{"Blackish", "Red"}, 0}};
  for (const Case& c : cases) {
    std::vector<NamedColor> colors;
    for (const char* name : c.names) colors.push_back({name, 0});
    EXPECT_EQ(FindBlackColorIndex(colors.data(), static_cast<int>(colors.size())), c.expected);
  }
}

// Every entry with a swatch is on exactly one page of the colour dialog, once,
// with a label; the spare entries are on none.
TEST(Palette, EachSwatchEntryIsOnOnePageOnceWithALabel) {
  int seen[kPaletteColorCount] = {};
  for (const ColorPage& page : gColorPages) {
    ASSERT_LE(page.count, kMaxColorPageEntries);
    for (int i = 0; i < page.count; ++i) ++seen[page.entries[i]];
  }
  for (int entry = 0; entry < kPaletteColorCount; ++entry) {
    EXPECT_EQ(seen[entry], entry < kSwatchEntryCount ? 1 : 0) << entry;
    EXPECT_EQ(GetPaletteEntryLabel(entry)[0] != 0, entry < kSwatchEntryCount) << entry;
  }
  EXPECT_EQ(Row(FindColorPageOfEntry(57), FindColorPageOfEntry(66), FindColorPageOfEntry(73), FindColorPageOfEntry(74)),
            Row(0, 1, 4, -1));
}

}  // namespace
