// Loads arbitrary "prsettng.dat" images. Whatever they hold, the margins kept
// fit the paper, a printer block kept is usable and is the file's own bytes,
// an image not starting with 84 changes nothing, and the settings as loaded
// save and load back byte for byte. One input in 32 also goes through the
// file, which must then be set aside unless it was taken whole.
//
// Input: the first byte picks the shape: odd, a sound image with the rest as
// patches of three bytes (a big-endian offset into it and the byte written
// there), cut to the first byte's upper bits' share of its length when bit 1
// is set; even, the rest as the image.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "records/printer_settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes* b, size_t at, uint16_t v) {
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}

Bytes SoundImage() {
  PrinterSettings s;
  SetDefaultPrinterSettings(&s);
  s.pageSetup.paperWidth = 21000;
  s.pageSetup.paperHeight = 29700;
  s.names.assign(29, 'n');
  PutU16(&s.names, 0, 8);
  PutU16(&s.names, 2, 16);
  PutU16(&s.names, 4, 24);
  s.names[15] = s.names[23] = s.names[28] = 0;
  s.mode.assign(70, 0);
  PutU16(&s.mode, 36, 64);
  PutU16(&s.mode, 38, 6);
  return MakePrinterSettingsImage(s);
}

Bytes ShapeInput(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  if (data[0] % 2 == 0) return Bytes(data + 1, data + size);
  Bytes image = SoundImage();
  for (size_t i = 1; i + 2 < size; i += 3) image[(data[i] << 8 | data[i + 1]) % image.size()] = data[i + 2];
  if ((data[0] & 2) != 0) image.resize(image.size() * (data[0] >> 2) / 64);
  return image;
}

bool SameSettings(const PrinterSettings& a, const PrinterSettings& b) {
  return std::memcmp(&a.pageSetup, &b.pageSetup, sizeof a.pageSetup) == 0 && a.names == b.names && a.mode == b.mode;
}

bool MarginsFit(const PageSetupImage& p) {
  const int32_t values[] = {p.paperWidth, p.paperHeight, p.marginLeft, p.marginTop, p.marginRight, p.marginBottom};
  for (int32_t v : values)
    if (v < 0 || v > 1000000) return false;
  return (p.paperWidth == 0 || p.marginLeft + p.marginRight < p.paperWidth) &&
         (p.paperHeight == 0 || p.marginTop + p.marginBottom < p.paperHeight);
}

// The block's bytes lie in the image just after its u32 size.
bool IsInImage(const Bytes& block, const Bytes& image) {
  if (block.empty()) return true;
  for (size_t at = 92; at + block.size() <= image.size(); ++at)
    if (std::memcmp(image.data() + at, block.data(), block.size()) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = EnterScratchDataFolder();
  PrinterSettings defaults;
  SetDefaultPrinterSettings(&defaults);
  const Bytes image = ShapeInput(data, size);
  // An exact-size copy, so that a read past the end is caught.
  const Bytes exact(image);
  PrinterSettings read = defaults;
  const PrinterFileResult result = ApplyPrinterSettingsImage(exact.data(), exact.size(), &read);
  const bool starts84 = image.size() >= 88 && image[0] == 84 && image[1] == 0 && image[2] == 0 && image[3] == 0;
  Check((result == PrinterFileResult::kRefused) == !starts84);
  if (result == PrinterFileResult::kRefused) Check(SameSettings(read, defaults));
  Check(MarginsFit(read.pageSetup));
  Check(read.names.empty() || IsUsableDevNames(read.names.data(), read.names.size()));
  Check(read.mode.empty() || IsUsableDevMode(read.mode.data(), read.mode.size()));
  Check(IsInImage(read.names, image) && IsInImage(read.mode, image));

  const Bytes saved = MakePrinterSettingsImage(read);
  PrinterSettings again = defaults;
  Check(ApplyPrinterSettingsImage(saved.data(), saved.size(), &again) == PrinterFileResult::kLoaded);
  Check(SameSettings(again, read));
  Check(MakePrinterSettingsImage(again) == saved);

  if (IsOneInThirtyTwo(data, size)) {
    std::filesystem::remove_all(folder + "prsettng.dat.damaged");
    WriteFile("prsettng.dat", image.data(), image.size());
    LoadPrinterSettings();
    // An empty file is no file: nothing is read from it or set aside.
    if (!image.empty()) Check(SameSettings(gPrinterSettings, read));
    Check(HoldsBytes("prsettng.dat") == (image.empty() ? false : result == PrinterFileResult::kLoaded));
    Check(HoldsBytes("prsettng.dat.damaged") == (!image.empty() && result != PrinterFileResult::kLoaded));
    std::filesystem::remove("prsettng.dat");
  }
  return 0;
}
