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

// Parses the text and merges its valid rows.
PriceZipImport ParseAndMerge(const char* text, uint32_t size, ImportBarList* list) {
  PriceZipImport done{PriceZipResult::kStopped, 0, 0, {0, 0}};
  const ParsedPriceText parsed = ParseVendorPriceText(text, static_cast<int>(size), list);
  done.skippedRows = parsed.skippedRows;
  if (parsed.cancelled) return done;
  if (parsed.validRows == 0) {
    done.result = PriceZipResult::kNoValidRow;
    return done;
  }
  if (!MergeParsedBarsIntoAllStocks(*list, &done.writeFailure)) {
    done.result = PriceZipResult::kWriteFailed;
    return done;
  }
  if (gProgressCancelled != 0) return done;
  gAskRecomputeAtStart = 1;
  done.result = PriceZipResult::kImported;
  done.newestReferenceDate = parsed.newestReferenceDate;
  return done;
}

// Reads and imports one archive; what `read` could not read is kUnreadable.
template <typename Read>
PriceZipImport ImportArchiveText(Read read) {
  char name[kMemberNameSize] = "";
  uint32_t size = 0;
  char* text = read(name, &size);
  if (text == nullptr) {
    const PriceZipResult result = gProgressCancelled != 0 ? PriceZipResult::kStopped : PriceZipResult::kUnreadable;
    return {result, 0, 0, {0, 0}};
  }
  if (name[0] != 0) ShowReadingText(name);
  auto* list = static_cast<ImportBarList*>(AllocBlock(sizeof(ImportBarList)));
  if (list == nullptr) {
    PlayWarningBeep();
    FreeBlock(text);
    return {PriceZipResult::kStopped, 0, 0, {0, 0}};
  }
  const PriceZipImport done = ParseAndMerge(text, size, list);
  FreeBlock(list);
  FreeBlock(text);
  return done;
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

PriceZipImport ImportPriceZip(const char* path) {
  return ImportArchiveText(
      [path](char* name, uint32_t* size) { return LoadPriceArchiveText(path, name, kMemberNameSize, size); });
}

void FormatDiscMonthPath(char letter, int year, int month, char* out, int size) {
  char folder[64];
  PlatformLoadString(kStrPriceDiscFolder, folder, sizeof folder);
  std::snprintf(out, static_cast<size_t>(size), "%c:\\%s\\%d\\%d%02d.zip", letter, folder, year, year, month);
}

PriceZipImport ImportDiscMonthZip(char letter, int year, int month) {
  char path[kMaxPath];
  FormatDiscMonthPath(letter, year, month, path, sizeof path);
  return ImportArchiveText(
      [&path](char*, uint32_t* size) { return ReadFirstZipMember(path, nullptr, 0, size, nullptr); });
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
