#pragma once
// The printer choice and page margins kept in "prsettng.dat": the page-setup
// record as held in memory (the 32-bit PAGESETUPDLG, 84 bytes), then the
// printer-names block (DEVNAMES) and the printer-mode block (DEVMODE), each
// after its u32 size and followed by zero bytes up to a multiple of 4.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr char kPrinterSettingsFile[] = "prsettng.dat";

// PAGESETUPDLGA of a 32-bit program; handles and pointers are kept as they
// were, only the paper size and the margins are taken back from a file.
struct PageSetupImage {
  uint32_t structSize;
  uint32_t owner;
  uint32_t devMode;
  uint32_t devNames;
  uint32_t flags;
  int32_t paperWidth, paperHeight;  // hundredths of a millimetre
  int32_t minMarginLeft, minMarginTop, minMarginRight, minMarginBottom;
  int32_t marginLeft, marginTop, marginRight, marginBottom;
  uint32_t instance;
  uint32_t customData;
  uint32_t setupHook;
  uint32_t paintHook;
  uint32_t templateName;
  uint32_t templateHandle;
};
static_assert(sizeof(PageSetupImage) == 84, "PAGESETUPDLG is 84 bytes");
static_assert(offsetof(PageSetupImage, paperWidth) == 20);
static_assert(offsetof(PageSetupImage, marginLeft) == 44);

constexpr uint32_t kPageSetupFlags = 0x4000a;  // page-paint hook, hundredths of a mm, margins
constexpr int32_t kDefaultSideMargin = 3000;   // 30 mm
constexpr int32_t kDefaultEndMargin = 2500;    // 25 mm

struct PrinterSettings {
  PageSetupImage pageSetup;
  std::vector<uint8_t> names;  // DEVNAMES; empty when none
  std::vector<uint8_t> mode;   // DEVMODE; empty when none
};

extern PrinterSettings gPrinterSettings;
// 0 while a save may write "prsettng.dat"; else why the load kept it (it
// could not be read, or was not taken whole and could not be set aside).
extern int gPrinterFileKeptBy;

enum class PrinterFileResult { kLoaded, kTrimmed, kRefused };

// No printer chosen, 30 mm side and 25 mm top and bottom margins.
void SetDefaultPrinterSettings(PrinterSettings* settings);
// A names block whose three offsets start zero-ended texts inside it, no
// larger than such a block can be.
bool IsUsableDevNames(const uint8_t* block, size_t size);
// A mode block that holds its own dmSize + dmDriverExtra bytes, no larger
// than their 16-bit fields allow.
bool IsUsableDevMode(const uint8_t* block, size_t size);
// Applies a file image to settings holding the defaults: the paper size and
// margins when they are sane, the printer blocks only when both lie wholly
// inside the image and are usable. kTrimmed when anything was dropped;
// kRefused (nothing taken) when the image does not start with 84.
PrinterFileResult ApplyPrinterSettingsImage(const uint8_t* data, size_t size, PrinterSettings* settings);
std::vector<uint8_t> MakePrinterSettingsImage(const PrinterSettings& settings);

// The defaults, then "prsettng.dat" of the data folder (made current by the
// caller) when there is one; a file not taken whole is set aside, one that
// could not be read is kept.
void LoadPrinterSettings();
// Writes "prsettng.dat"; 0 or an error code (the earlier file stays on
// failure), or without writing the reason the load kept the file.
int SavePrinterSettings();
