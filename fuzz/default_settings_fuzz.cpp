// Starts without a settings file of the user's but with arbitrary bytes as
// the distributed defaults ("DEFAULTDATA\velqo.dat"). Nothing outside the
// display ranges differs from a start without them, and what they give is
// within range (a second pass into range changes nothing).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "shell/settings.h"

namespace {

std::string gFolder;
SettingsBlock gWithoutDefaults;

void PrepareFolder() {
  gFolder = EnterScratchDataFolder();
  InitAppTexts();
  LoadSettings();
  gWithoutDefaults = gSettings;
  Check(PlatformCreateFolder("DEFAULTDATA") == 0);
}

bool InDisplayRange(size_t offset) {
  for (const SettingsByteRange& range : kDefaultDisplayRanges)
    if (offset >= range.offset && offset < range.offset + range.size) return true;
  return false;
}

// The first byte picks the shape: the raw bytes, or the rest made exactly 6812 bytes.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  std::vector<uint8_t> bytes(data + 1, data + size);
  if (data[0] % 4 != 0) bytes.resize(sizeof(SettingsBlock), data[0]);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (PrepareFolder(), true);
  (void)prepared;
  const std::vector<uint8_t> file = ShapeInput(data, size);
  WriteFile((gFolder + "DEFAULTDATA/velqo.dat").c_str(), file.data(), file.size());
  LoadSettings();
  const auto* loaded = reinterpret_cast<const uint8_t*>(&gSettings);
  const auto* expected = reinterpret_cast<const uint8_t*>(&gWithoutDefaults);
  for (size_t i = 0; i < sizeof gSettings; ++i)
    if (!InDisplayRange(i) || file.size() != sizeof(SettingsBlock)) Check(loaded[i] == expected[i]);
  SettingsBlock again = gSettings;
  SettingsBlockP2 p2 = gSettingsP2;
  BringSettingsIntoRange(again, p2);
  Check(memcmp(&again, &gSettings, sizeof again) == 0);
  return 0;
}
