#include "records/printer_settings.h"

#include <cstring>

#include "common/file_io.h"

PrinterSettings gPrinterSettings;
int gPrinterFileKeptBy = 0;

namespace {

constexpr uint32_t kPageSetupSize = sizeof(PageSetupImage);
constexpr size_t kDevNamesHeader = 8;         // three text offsets and the default flag, u16 each
constexpr size_t kDevModeSizeAt = 36;         // dmSize after the 32-byte device name and two versions
constexpr size_t kDevModeExtraAt = 38;        // dmDriverExtra
constexpr size_t kMinDevModeSize = 44;        // up to and with dmFields
constexpr int32_t kMaxPaperExtent = 1000000;  // 10 m of roll paper in hundredths of a millimetre
// The names block's three texts start at 16-bit offsets, the last no longer
// than a path; the mode block is its 16-bit dmSize and 16-bit dmDriverExtra.
constexpr size_t kMaxDevNamesSize = 0xFFFF + 260;
constexpr size_t kMaxDevModeSize = 0xFFFF + 0xFFFF;
// The record, then each block after its size and padded to four bytes.
constexpr uint32_t kMaxFileSize =
    4 + sizeof(PageSetupImage) + 4 + (kMaxDevNamesSize + 3) / 4 * 4 + 4 + (kMaxDevModeSize + 3) / 4 * 4;

uint16_t ReadU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t ReadU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

void AppendU32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendBlock(std::vector<uint8_t>* out, const std::vector<uint8_t>& block) {
  AppendU32(out, static_cast<uint32_t>(block.size()));
  out->insert(out->end(), block.begin(), block.end());
  out->resize((out->size() + 3) / 4 * 4, 0);
}

bool IsExtent(int32_t value) { return value >= 0 && value <= kMaxPaperExtent; }

// Margins that leave room on the paper; with no paper size only their own range counts.
bool AreSaneMargins(const PageSetupImage& p) {
  if (!IsExtent(p.paperWidth) || !IsExtent(p.paperHeight)) return false;
  if (!IsExtent(p.marginLeft) || !IsExtent(p.marginTop) || !IsExtent(p.marginRight) || !IsExtent(p.marginBottom))
    return false;
  if (p.paperWidth > 0 && p.marginLeft + p.marginRight >= p.paperWidth) return false;
  if (p.paperHeight > 0 && p.marginTop + p.marginBottom >= p.paperHeight) return false;
  return true;
}

// The block after its u32 size at *at, when both lie inside the image; *at
// then moves past the block's padding. False when the image ends first.
bool ReadBlock(const uint8_t* data, size_t size, size_t* at, std::vector<uint8_t>* block) {
  if (*at > size || size - *at < 4) return false;
  const uint32_t length = ReadU32(data + *at);
  if (length > size - *at - 4) return false;
  block->assign(data + *at + 4, data + *at + 4 + length);
  *at += 4 + (static_cast<size_t>(length) + 3) / 4 * 4;
  return true;
}

}  // namespace

void SetDefaultPrinterSettings(PrinterSettings* settings) {
  settings->pageSetup = PageSetupImage{};
  settings->pageSetup.structSize = kPageSetupSize;
  settings->pageSetup.flags = kPageSetupFlags;
  settings->pageSetup.marginLeft = kDefaultSideMargin;
  settings->pageSetup.marginRight = kDefaultSideMargin;
  settings->pageSetup.marginTop = kDefaultEndMargin;
  settings->pageSetup.marginBottom = kDefaultEndMargin;
  settings->names.clear();
  settings->mode.clear();
}

bool IsUsableDevNames(const uint8_t* block, size_t size) {
  if (size < kDevNamesHeader || size > kMaxDevNamesSize) return false;
  for (int i = 0; i < 3; ++i) {
    const size_t offset = ReadU16(block + 2 * i);
    if (offset < kDevNamesHeader || offset >= size || memchr(block + offset, 0, size - offset) == nullptr) return false;
  }
  return true;
}

bool IsUsableDevMode(const uint8_t* block, size_t size) {
  if (size < kMinDevModeSize || size > kMaxDevModeSize) return false;
  const size_t own = ReadU16(block + kDevModeSizeAt);
  return own >= kMinDevModeSize && own + ReadU16(block + kDevModeExtraAt) <= size;
}

PrinterFileResult ApplyPrinterSettingsImage(const uint8_t* data, size_t size, PrinterSettings* settings) {
  if (size < 4 + kPageSetupSize || ReadU32(data) != kPageSetupSize) return PrinterFileResult::kRefused;
  PageSetupImage stored;
  memcpy(&stored, data + 4, sizeof stored);
  bool whole = AreSaneMargins(stored);
  if (whole) {
    PageSetupImage& p = settings->pageSetup;
    p.paperWidth = stored.paperWidth;
    p.paperHeight = stored.paperHeight;
    p.marginLeft = stored.marginLeft;
    p.marginTop = stored.marginTop;
    p.marginRight = stored.marginRight;
    p.marginBottom = stored.marginBottom;
  }
  size_t at = 4 + kPageSetupSize;
  std::vector<uint8_t> names, mode;
  if (!ReadBlock(data, size, &at, &names) || !ReadBlock(data, size, &at, &mode)) return PrinterFileResult::kTrimmed;
  // The two blocks describe one printer: both are kept or neither.
  if ((!names.empty() && !IsUsableDevNames(names.data(), names.size())) ||
      (!mode.empty() && !IsUsableDevMode(mode.data(), mode.size())))
    return PrinterFileResult::kTrimmed;
  settings->names = std::move(names);
  settings->mode = std::move(mode);
  return whole ? PrinterFileResult::kLoaded : PrinterFileResult::kTrimmed;
}

std::vector<uint8_t> MakePrinterSettingsImage(const PrinterSettings& settings) {
  std::vector<uint8_t> image;
  AppendU32(&image, kPageSetupSize);
  const auto* record = reinterpret_cast<const uint8_t*>(&settings.pageSetup);
  image.insert(image.end(), record, record + kPageSetupSize);
  AppendBlock(&image, settings.names);
  AppendBlock(&image, settings.mode);
  return image;
}

void LoadPrinterSettings() {
  SetDefaultPrinterSettings(&gPrinterSettings);
  // Read into a block of the largest file a printer can give: a larger one is damaged unread.
  std::vector<uint8_t> image(kMaxFileSize);
  uint32_t size = 0;
  const int error = LoadFileToBufferEx(kPrinterSettingsFile, image.data(), kMaxFileSize, &size);
  LoadedFile outcome = ClassifyLoadError(error);
  if (outcome == LoadedFile::kTaken && size == 0) outcome = LoadedFile::kMissing;
  if (outcome == LoadedFile::kTaken &&
      ApplyPrinterSettingsImage(image.data(), size, &gPrinterSettings) != PrinterFileResult::kLoaded)
    outcome = LoadedFile::kDamaged;
  // What was not taken is kept for a look instead of being written over at exit.
  gPrinterFileKeptBy = KeepErrorAfterLoad(kPrinterSettingsFile, outcome, error);
}

int SavePrinterSettings() {
  if (gPrinterFileKeptBy != 0) return gPrinterFileKeptBy;
  const std::vector<uint8_t> image = MakePrinterSettingsImage(gPrinterSettings);
  return SaveBufferToFile(kPrinterSettingsFile, image.data(), static_cast<uint32_t>(image.size()));
}
