// Loads arbitrary bytes as a "*.PAL" file into the settings' edit copy. A file
// of any size but 320 bytes changes nothing; one of 320 bytes changes only
// the palette, which then holds the file's colours without their top bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "chart/palette.h"
#include "shell/settings.h"

namespace {

std::string gFolder;

// The first byte picks the shape: the raw bytes, or the rest made exactly 320 bytes.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  std::vector<uint8_t> bytes(data + 1, data + size);
  if (data[0] % 2 == 1) bytes.resize(kPaletteImageSize, data[0]);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (gFolder = EnterScratchDataFolder(), SetDefaultSettings(), true);
  (void)prepared;
  gSettingsEdit = gSettings;
  const SettingsBlock before = gSettingsEdit;
  const std::vector<uint8_t> file = ShapeInput(data, size);
  const std::string path = gFolder + "in.pal";
  WriteFile(path.c_str(), file.data(), file.size());
  int error = 0;
  const PaletteFileResult result = LoadPaletteFile(path.c_str(), gSettingsEdit.paletteColors, &error);
  const auto* edited = reinterpret_cast<const uint8_t*>(&gSettingsEdit);
  const auto* original = reinterpret_cast<const uint8_t*>(&before);
  const size_t paletteAt = offsetof(SettingsBlock, paletteColors);
  if (file.size() != kPaletteImageSize) {
    Check(result == PaletteFileResult::kWrongSize);
    Check(memcmp(edited, original, sizeof before) == 0);
    return 0;
  }
  Check(result == PaletteFileResult::kLoaded);
  Check(memcmp(edited, original, paletteAt) == 0);
  Check(memcmp(edited + paletteAt + kPaletteImageSize, original + paletteAt + kPaletteImageSize,
               sizeof before - paletteAt - kPaletteImageSize) == 0);
  for (size_t i = 0; i < kPaletteImageSize; ++i) Check(edited[paletteAt + i] == (i % 4 == 3 ? 0 : file[i]));
  return 0;
}
