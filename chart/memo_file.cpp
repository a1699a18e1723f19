// "memo.dat": reading with its fallbacks, conversion of the older file,
// saving with the backup rotation.
#include <algorithm>
#include <cstring>

#include "chart/memo_store.h"
#include "chart/named_colors.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/file_io.h"
#include "common/stock_code.h"
#include "records/settings_block.h"

const char* const kMemoBackupPaths[kMemoBackupCount] = {"BACKUP\\memo01.dat", "BACKUP\\memo02.dat",
                                                        "BACKUP\\memo03.dat"};

namespace {

constexpr char kBackupFolder[] = "BACKUP";
constexpr int kAsidePathSize = 260;
constexpr size_t kHeaderBytes = sizeof(MemoFileHeader);
constexpr size_t kLargestFileBytes = kHeaderBytes + size_t{kMemoRecordBytes} * kMaxMemos;

enum class MemoRead { kLoaded, kAbsent, kUnreadable, kDamaged };

// Set while the table is what "memo.dat" holds (read or last saved), or
// what start-up took from a backup or the defaults after "memo.dat" was
// damaged or could not be read; any change clears it. The exit writes only
// a table that has changed: each write rotates the backups, and restarts
// alone must not push the older copies out.
bool gMemosUnchanged = false;

size_t BlockBytes(int records) { return kHeaderBytes + sizeof(Memo) * static_cast<size_t>(records); }

bool AllocMemoTable(int count, int capacity, MemoTable* table) {
  auto* block = static_cast<uint8_t*>(AllocBlock(BlockBytes(std::max(capacity, 1))));
  if (block == nullptr) return false;
  table->header = reinterpret_cast<MemoFileHeader*>(block);
  table->memos = reinterpret_cast<Memo*>(block + kHeaderBytes);
  table->capacity = std::max(capacity, 1);
  table->header->count = count;
  table->header->recordSize = kMemoRecordBytes;
  return true;
}

void SetDefaultSizeChoices(MemoFileHeader& header) {
  std::copy_n(kDefaultMemoFontHeights, kMemoSizeChoiceCount, header.fontHeights);
  std::copy_n(kDefaultMemoLineSpacings, kMemoSizeChoiceCount, header.lineSpacings);
}

// New memos start with the header's sizes: each out of range one is the default.
void KeepHeaderSizesInRange(MemoFileHeader& header) {
  for (int i = 0; i < kMemoSizeChoiceCount; ++i) {
    int32_t& height = header.fontHeights[i];
    int32_t& spacing = header.lineSpacings[i];
    if (height < kMinMemoFontHeight || height > kMaxMemoFontHeight) height = kDefaultMemoFontHeights[i];
    if (spacing < 0 || spacing > kMaxMemoLineSpacing) spacing = kDefaultMemoLineSpacings[i];
  }
}

// What drawing and editing index with or rely on; sizes are left to the
// repairs of drawing and editing.
void RepairLoadedMemo(Memo& memo, int black) {
  memo.text[kMemoTextBytes - 1] = 0;
  if (memo.color < 0 || memo.color >= kNamedColorCount) memo.color = black;
  memo.selected = memo.selected != 0 ? 1 : 0;
  memset(memo.reserved6, 0, sizeof memo.reserved6);
  memset(memo.scratch, 0, sizeof memo.scratch);
}

void ConvertOldMemo(const OldMemo& old, Memo& memo) {
  memcpy(&memo, old.shared, kOldMemoSharedBytes);
  memset(memo.reserved6, 0, sizeof memo.reserved6);
  memcpy(memo.text, old.text, sizeof old.text);
  memo.color = old.color;
  memo.arrowHidden = old.arrowHidden;
  const bool keepsSize = old.customSize == 0 || old.customSize == 1;
  memo.customSize = keepsSize ? old.customSize : 0;
  memo.sizeChoice = 0;
  memo.fontHeights[0] = keepsSize ? old.fontHeight : gMemoFontSize;
  memo.lineSpacings[0] = keepsSize ? old.lineSpacing : gMemoLineSpacing;
  memo.fontHeights[1] = 8;
  memo.fontHeights[2] = 32;
  memo.lineSpacings[1] = 0;
  memo.lineSpacings[2] = 8;
}

// Files of older versions hold plain numbers; the first memo tells.
void ConvertNumericCodes(MemoTable& table) {
  const int count = table.header->count;
  if (count == 0 || !CodeLess(table.memos[0].code, gMinStockCode)) return;
  for (int i = 0; i < count; ++i) table.memos[i].code = NumberToCode(static_cast<int32_t>(table.memos[i].code));
}

// The record count a header promises, when the image holds that many records
// of a known size; -1 otherwise.
int CountOfWholeImage(const uint8_t* bytes, size_t size, int32_t* recordSize) {
  OldMemoFileHeader front{};
  if (size < sizeof front) return -1;
  memcpy(&front, bytes, sizeof front);
  *recordSize = front.recordSize;
  if (front.count < 0 || front.count > kMaxMemos) return -1;
  const auto count = static_cast<size_t>(front.count);
  if (front.recordSize == kMemoRecordBytes) return size >= kHeaderBytes + count * sizeof(Memo) ? front.count : -1;
  if (front.recordSize == kOldMemoRecordBytes) {
    return size >= sizeof(OldMemoFileHeader) + count * sizeof(OldMemo) ? front.count : -1;
  }
  return -1;
}

// What an open or read error means: a missing file is absent, anything
// else (held by another program, say) leaves the file unreadable, not damaged.
MemoRead ClassifyReadError(int error) {
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) return MemoRead::kAbsent;
  if (error == kFileTooLarge) return MemoRead::kDamaged;  // grew while read: not what this program writes
  ShowErrorMessage(gMainWnd, error);
  return MemoRead::kUnreadable;
}

bool IsWholeMemoImage(const uint8_t* bytes, size_t size) {
  int32_t recordSize = 0;
  return CountOfWholeImage(bytes, size, &recordSize) >= 0;
}

MemoRead ReadMemoFile(const char* path, bool sample, MemoTable* table) {
  const int64_t size = GetFileSizeByName(path);
  if (size < 0) {
    // The size could not be had: read nothing to learn why.
    uint8_t none = 0;
    const int error = LoadFileToBufferEx(path, &none, 0, nullptr);
    return error == 0 ? MemoRead::kAbsent : ClassifyReadError(error == kFileTooLarge ? kErrorReadFault : error);
  }
  if (size == 0) return MemoRead::kAbsent;
  if (static_cast<uint64_t>(size) > kLargestFileBytes) return MemoRead::kDamaged;
  const auto bytes = static_cast<uint32_t>(size);
  auto* block = static_cast<uint8_t*>(AllocBlock(bytes));
  if (block == nullptr) return MemoRead::kUnreadable;
  uint32_t read = 0;
  const int error = LoadFileToBufferEx(path, block, bytes, &read);
  MemoRead result = MemoRead::kLoaded;
  if (error != 0) {
    result = ClassifyReadError(error);
  } else if (read == 0) {
    result = MemoRead::kAbsent;
  } else if (!IsWholeMemoImage(block, read)) {
    result = MemoRead::kDamaged;
  } else if (!ConvertMemoFile(block, read, sample, table)) {
    result = MemoRead::kUnreadable;  // memory is short: the file may be good
  }
  FreeBlock(block);
  return result;
}

// A damaged file is moved away so that no later load, save or rotation takes
// it again; one that cannot be moved is only refused.
MemoRead ReadOwnMemoFile(const char* path, MemoTable* table) {
  const MemoRead result = ReadMemoFile(path, false, table);
  if (result == MemoRead::kDamaged) {
    char aside[kAsidePathSize];
    SetDamagedFileAside(path, aside, sizeof aside);
  }
  return result;
}

bool LoadFirstUsableBackup(MemoTable* table) {
  for (const char* backup : kMemoBackupPaths) {
    if (ReadOwnMemoFile(backup, table) == MemoRead::kLoaded) return true;
  }
  return false;
}

uint32_t ImageBytes(const MemoTable& table) { return static_cast<uint32_t>(BlockBytes(table.header->count)); }

// Newest first: memo01 is this table, the older copies move one place down.
int RotateMemoBackups(const MemoTable& table) {
  return RotateBackupCopies(kBackupFolder, kMemoBackupPaths, kMemoBackupCount, table.header, ImageBytes(table));
}

}  // namespace

void MarkMemosChanged() { gMemosUnchanged = false; }

void FreeMemoTable(MemoTable* table) {
  FreeBlock(table->header);
  *table = MemoTable{};
}

bool CreateEmptyMemoTable(MemoTable* table) {
  *table = MemoTable{};
  if (!AllocMemoTable(0, 1, table)) return false;
  SetDefaultSizeChoices(*table->header);
  return true;
}

bool ConvertMemoFile(const uint8_t* bytes, size_t size, bool sample, MemoTable* table) {
  *table = MemoTable{};
  int32_t recordSize = 0;
  const int count = CountOfWholeImage(bytes, size, &recordSize);
  if (count < 0 || !AllocMemoTable(count, count, table)) return false;
  if (recordSize == kMemoRecordBytes) {
    memcpy(table->header, bytes, BlockBytes(count));
    KeepHeaderSizesInRange(*table->header);
  } else {
    SetDefaultSizeChoices(*table->header);
    const uint8_t* record = bytes + sizeof(OldMemoFileHeader);
    for (int i = 0; i < count; ++i, record += sizeof(OldMemo)) {
      OldMemo old;
      memcpy(&old, record, sizeof old);
      ConvertOldMemo(old, table->memos[i]);
    }
  }
  table->header->recordSize = kMemoRecordBytes;
  ConvertNumericCodes(*table);
  const int black = FindBlackColorIndex();
  for (int i = 0; i < count; ++i) {
    RepairLoadedMemo(table->memos[i], black);
    if (sample) table->memos[i].sample = 1;
  }
  return true;
}

bool LoadMemoFile() {
  FreeMemoTable(&gMemos);
  MakeDataFolderCurrent();
  const MemoRead main = ReadOwnMemoFile(kMemoFileName, &gMemos);
  if (main == MemoRead::kLoaded) {
    gMemosUnchanged = true;
    return true;
  }
  // A missing file is a first start or one deleted by hand: the exit writes
  // what was found. A damaged or held one is not replaced unless the user
  // changes something.
  gMemosUnchanged = main != MemoRead::kAbsent;
  if (LoadFirstUsableBackup(&gMemos)) return true;
  if (ReadMemoFile(kDefaultMemoFilePath, true, &gMemos) == MemoRead::kLoaded) return true;
  if (!CreateEmptyMemoTable(&gMemos)) return false;
  if (!gMemosUnchanged) SaveMemoFile();
  return true;
}

namespace {

// Writes "memo.dat" and rotates the backups; 0 or the first error. A failed
// write of "memo.dat" itself is shown when `tell` is set.
int WriteMemoFile(bool tell) {
  if (gMemos.header == nullptr) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  gMemos.header->recordSize = kMemoRecordBytes;
  for (int i = 0; i < MemoCount(); ++i) memset(gMemos.memos[i].scratch, 0, sizeof gMemos.memos[i].scratch);
  // Without a new memo.dat the backups stay as they are: they still hold the older good copies.
  const int error = SaveBufferToFile(kMemoFileName, gMemos.header, ImageBytes(gMemos));
  if (error != 0) {
    if (tell) ShowErrorMessage(gMainWnd, error);
    return error;
  }
  gMemosUnchanged = true;
  return RotateMemoBackups(gMemos);
}

}  // namespace

int SaveMemoFile() { return WriteMemoFile(true); }

int SaveMemoFileAtExit() { return gMemosUnchanged ? 0 : WriteMemoFile(false); }
