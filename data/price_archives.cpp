#include "data/price_archives.h"

#include <cstdio>
#include <cstring>

#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/message_boxes.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/merge_bars.h"
#include "data/vendor_price_text.h"
#include "data/zip_member.h"
#include "records/settings_block.h"

PriceDiscHooks gPriceDiscHooks = {};

namespace {

constexpr int kLineTextSize = 400;
constexpr int kMemberNameSize = kMaxPath;

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

void ShowReadingText(const char* name) {
  char format[kLineTextSize];
  char text[kLineTextSize + kMemberNameSize];
  PlatformLoadString(kStrReadingPriceFile, format, sizeof format);
  std::snprintf(text, sizeof text, format, name);
  SetProgressText2(text);
}

// Parses the text and merges it; false when cancelled.
bool ParseAndMerge(const char* text, uint32_t size, ImportBarList* list, PackedDate* newestReferenceDate) {
  const ParsedPriceText parsed = ParseVendorPriceText(text, static_cast<int>(size), list);
  if (parsed.cancelled) return false;
  MergeParsedBarsIntoAllStocks(*list);
  if (gProgressCancelled != 0) return false;
  gAskRecomputeAtStart = 1;
  if (newestReferenceDate != nullptr && parsed.newestReferenceDate > *newestReferenceDate) {
    *newestReferenceDate = parsed.newestReferenceDate;
  }
  return true;
}

int DriveType(char letter) { return gPriceDiscHooks.driveType != nullptr ? gPriceDiscHooks.driveType(letter) : 0; }

bool DiscMarkerExists(char letter) {
  char folder[64];
  char marker[64];
  char path[kMaxPath];
  PlatformLoadString(kStrPriceDiscFolder, folder, sizeof folder);
  PlatformLoadString(kStrPriceDiscMarker, marker, sizeof marker);
  std::snprintf(path, sizeof path, "%c:\\%s\\%s", letter, folder, marker);
  return GetFileSizeByName(path) >= 0;
}

}  // namespace

char* LoadPriceArchiveText(const char* path, char* name, int nameSize, uint32_t* size) {
  ZipMemberResult result = ZipMemberResult::kUnreadable;
  char* text = ReadFirstZipMember(path, name, nameSize, size, &result);
  if (result != ZipMemberResult::kNotZip) return text;
  // A plain price text under an archive's name is imported as it is.
  if (GetFileSizeByName(path) > static_cast<int64_t>(kMaxZipMemberBytes)) return nullptr;
  uint32_t length = 0;
  text = LoadFileToMemory(path, &length, 1);
  if (text != nullptr && length == 0) {
    FreeBlock(text);
    return nullptr;
  }
  if (size != nullptr) *size = length;
  if (text != nullptr && name != nullptr && nameSize > 0)
    std::snprintf(name, static_cast<size_t>(nameSize), "%s", FileNameOf(path));
  return text;
}

PriceZipResult ImportPriceZip(const char* path, PackedDate* newestReferenceDate) {
  char name[kMemberNameSize] = "";
  uint32_t size = 0;
  char* text = LoadPriceArchiveText(path, name, sizeof name, &size);
  if (text == nullptr) return gProgressCancelled != 0 ? kPriceZipStop : kPriceZipSkipped;
  ShowReadingText(name);
  auto* list = static_cast<ImportBarList*>(AllocBlock(sizeof(ImportBarList)));
  if (list == nullptr) {
    PlayWarningBeep();
    FreeBlock(text);
    return kPriceZipStop;
  }
  const bool done = ParseAndMerge(text, size, list, newestReferenceDate);
  FreeBlock(list);
  FreeBlock(text);
  return done ? kPriceZipImported : kPriceZipStop;
}

void FormatDiscMonthPath(char letter, int year, int month, char* out, int size) {
  char folder[64];
  PlatformLoadString(kStrPriceDiscFolder, folder, sizeof folder);
  std::snprintf(out, static_cast<size_t>(size), "%c:\\%s\\%d\\%d%02d.zip", letter, folder, year, year, month);
}

int ImportDiscMonthZip(char letter, int year, int month, PackedDate* newestReferenceDate) {
  char path[kMaxPath];
  FormatDiscMonthPath(letter, year, month, path, sizeof path);
  uint32_t size = 0;
  char* text = ReadFirstZipMember(path, nullptr, 0, &size, nullptr);
  if (text == nullptr) return 1;
  auto* list = static_cast<ImportBarList*>(AllocBlock(sizeof(ImportBarList)));
  if (list == nullptr) {
    FreeBlock(text);
    return 1;
  }
  ParseAndMerge(text, size, list, newestReferenceDate);
  FreeBlock(list);
  FreeBlock(text);
  return 0;
}

bool FindOpticalDrive(char* letter) {
  for (char c = 'A'; c <= 'Z'; ++c) {
    if (DriveType(c) != kDriveTypeCdrom) continue;
    *letter = c;
    return true;
  }
  return false;
}

bool FindPriceDiscDrive(char* letter) {
  char first = 0;
  if (!FindOpticalDrive(&first)) return false;
  for (;;) {
    for (char c = 'A'; c <= 'Z'; ++c) {
      if (DriveType(c) != kDriveTypeCdrom) continue;
      *letter = c;
      if (DiscMarkerExists(c)) return true;
      if (MessageBoxFromStrings(gMainWnd, kStrInsertPriceDiscTitle, kStrInsertPriceDisc, kMbOkCancel) != kIdOk) {
        return false;
      }
    }
  }
}
