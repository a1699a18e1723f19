#include "common/file_io.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "common/error_message.h"
#include "common/sjis_text.h"

namespace {

constexpr int kOpenAttempts = 3;
constexpr int kReadAttempts = 10;
constexpr uint32_t kReadHalfPauseMs = 50;
constexpr int kCreateAttempts = 4;
constexpr uint32_t kCreatePauseMs = 500;
constexpr int kWriteAttempts = 10;
constexpr uint32_t kWriteHalfPauseMs = 100;
constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kDamagedSuffix[] = ".damaged";
constexpr int kMaxDamagedCopies = 99;
constexpr size_t kAsidePathSize = 600;

// Errors that no further attempt can cure.
bool IsLastingError(int error) { return error == kErrorFileNotFound || error == kErrorPathNotFound; }

int OpenForReading(const char* path, PlatformFile** file) {
  int error = 0;
  for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
    error = PlatformOpenFile(path, FileOpenMode::kReadExisting, file);
    if (error == 0 || IsLastingError(error)) break;
  }
  return error;
}

// The first retry comes at once, each later one after a pause; the pause also
// follows the last failure, as the fixed timing of the program has it.
template <typename Step>
int RetryWithPauses(Step step) {
  int error = 0;
  for (int attempt = 1; attempt <= kCreateAttempts; ++attempt) {
    error = step();
    if (error == 0) return 0;
    if (attempt > 1) PlatformSleep(kCreatePauseMs);
  }
  return error;
}

// A missing `folderToMake` (null: none) is made at once, without a pause.
int CreateForWriting(const char* path, PlatformFile** file, const char* folderToMake) {
  return RetryWithPauses([&] {
    int error = PlatformOpenFile(path, FileOpenMode::kCreateWriteThrough, file);
    if (error == kErrorPathNotFound && folderToMake != nullptr && PlatformCreateFolder(folderToMake) == 0)
      error = PlatformOpenFile(path, FileOpenMode::kCreateWriteThrough, file);
    return error;
  });
}

// Another program holding the target open (a virus scanner, a backup tool)
// gets the same patience as a busy file at creation.
int ReplaceTarget(const char* temporary, const char* path) {
  return RetryWithPauses([&] { return PlatformReplaceFile(temporary, path); });
}

// Runs one whole-file transfer (0 or an error code) up to `attempts` times,
// pausing and moving back to the start of the file before each retry.
template <typename Transfer>
int RetryFromStart(PlatformFile* file, int attempts, uint32_t halfPauseMs, Transfer transfer) {
  int error = 0;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    if (attempt > 1) {
      PlatformSleep(halfPauseMs);
      error = PlatformSeekToStart(file);
      PlatformSleep(halfPauseMs);
      if (error != 0) continue;
    }
    error = transfer();
    if (error == 0 || IsLastingError(error)) break;
  }
  return error;
}

// A read or write that moves fewer bytes than asked counts as failed, so that
// stale buffer bytes are never taken for the file and a cut file is never kept.
int ReadAll(PlatformFile* file, void* buffer, uint32_t size) {
  return RetryFromStart(file, kReadAttempts, kReadHalfPauseMs, [&] {
    uint32_t done = 0;
    const int error = PlatformReadFile(file, buffer, size, &done);
    return error != 0 ? error : (done == size ? 0 : kErrorHandleEof);
  });
}

int WriteAll(PlatformFile* file, const void* buffer, uint32_t count) {
  return RetryFromStart(file, kWriteAttempts, kWriteHalfPauseMs, [&] {
    uint32_t done = 0;
    const int error = PlatformWriteFile(file, buffer, count, &done);
    return error != 0 ? error : (done == count ? 0 : kErrorWriteFault);
  });
}

// Writes the bytes to a new file and makes sure they reached the disk.
int WriteNewFile(const char* path, const void* buffer, uint32_t count, const char* folderToMake) {
  PlatformFile* file = nullptr;
  int error = CreateForWriting(path, &file, folderToMake);
  if (error != 0) return error;
  if (count > 0) error = WriteAll(file, buffer, count);
  if (error == 0) error = PlatformFlushFile(file);
  PlatformCloseFile(file);
  return error;
}

struct FolderEntry {
  std::string name;
  bool isFolder;
};

void CollectFolderEntry(void* context, const char* name, bool isFolder) {
  static_cast<std::vector<FolderEntry>*>(context)->push_back({name, isFolder});
}

// Writes the bytes to the temporary file, then moves it over the target in
// one step; a failure leaves the target as it was and no temporary file.
int SaveThroughTemporary(const char* path, const char* temporary, const void* buffer, uint32_t count,
                         const char* folderToMake) {
  int error = WriteNewFile(temporary, buffer, count, folderToMake);
  if (error == 0) error = ReplaceTarget(temporary, path);
  if (error != 0) PlatformDeleteFile(temporary);
  return error;
}

// The name after the path's last separator; a 0x5C trail byte of a
// two-byte character is not a separator.
const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (IsSjisLeadByte(static_cast<uint8_t>(*p)) && p[1] != 0) {
      ++p;
    } else if (*p == '\\' || *p == '/') {
      name = p + 1;
    }
  }
  return name;
}

// The folder path with a separator at its end; a 0x5C trail byte of a
// two-byte character is not a separator.
std::string AsFolderPath(const char* folder) {
  std::string path(folder);
  bool endsWithSeparator = false;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<uint8_t>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      ++i;
      endsWithSeparator = false;
    } else {
      endsWithSeparator = c == '\\' || c == '/';
    }
  }
  if (!path.empty() && !endsWithSeparator) path += '\\';
  return path;
}

}  // namespace

int LoadFileToBuffer(const char* path, void* buffer, uint32_t bufferSize) {
  return LoadFileToBufferEx(path, buffer, bufferSize, nullptr);
}

int LoadFileToBufferEx(const char* path, void* buffer, uint32_t bufferSize, uint32_t* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  PlatformFile* file = nullptr;
  int error = OpenForReading(path, &file);
  if (error != 0) return error;
  int64_t size = 0;
  error = PlatformGetOpenFileSize(file, &size);
  if (error == 0 && size > bufferSize) error = kFileTooLarge;
  if (error == 0 && size > 0) error = ReadAll(file, buffer, static_cast<uint32_t>(size));
  PlatformCloseFile(file);
  if (error == 0 && bytesRead != nullptr) *bytesRead = static_cast<uint32_t>(size);
  return error;
}

char* LoadFileToMemory(const char* path, uint32_t* size, int quiet) {
  if (size != nullptr) *size = 0;
  const int64_t probedSize = GetFileSizeByName(path);
  // One byte more than the file must still fit the 32-bit sizes.
  if (probedSize < 1 || probedSize >= int64_t{UINT32_MAX}) return nullptr;
  const auto capacity = static_cast<uint32_t>(probedSize);
  auto* block = static_cast<char*>(AllocBlock(size_t{capacity} + 1));
  if (block == nullptr) return nullptr;
  // The block's size is the probed size: a file that has grown since fails with -1.
  uint32_t read = 0;
  const int error = LoadFileToBufferEx(path, block, capacity, &read);
  if (error != 0) {
    FreeBlock(block);
    if (!quiet) ShowErrorMessage(nullptr, error);
    return nullptr;
  }
  block[read] = 0;
  if (size != nullptr) *size = read;
  return block;
}

int SaveBufferToFile(const char* path, const void* buffer, uint32_t count) {
  const std::string temporary = std::string(path) + kTemporarySuffix;
  return SaveThroughTemporary(path, temporary.c_str(), buffer, count, nullptr);
}

int SaveBufferToFileThrough(const char* path, const char* temporaryFolder, const void* buffer, uint32_t count) {
  const std::string temporary = AsFolderPath(temporaryFolder) + FileNamePart(path);
  return SaveThroughTemporary(path, temporary.c_str(), buffer, count, temporaryFolder);
}

int RotateBackupCopies(const char* folder, const char* const* paths, int count, const void* bytes, uint32_t size) {
  PlatformCreateFolder(folder);
  int result = 0;
  const auto keepFirst = [&result](int error) {
    if (result == 0) result = error;
  };
  for (int i = count - 1; i > 0; --i) {
    const char* from = paths[i - 1];
    const char* to = paths[i];
    keepFirst(GetFileSizeByName(from) >= 1 ? PlatformReplaceFile(from, to) : SaveBufferToFile(to, bytes, size));
  }
  if (count > 0) keepFirst(SaveBufferToFile(paths[0], bytes, size));
  return result;
}

int64_t GetFileSizeByName(const char* path) {
  PlatformFile* file = nullptr;
  if (PlatformOpenFile(path, FileOpenMode::kReadExisting, &file) != 0) return -1;
  int64_t size = -1;
  if (PlatformGetOpenFileSize(file, &size) != 0) size = -1;
  PlatformCloseFile(file);
  return size;
}

int SetDamagedFileAside(const char* path, char* aside, size_t size) {
  int error = kErrorAlreadyExists;
  for (int copy = 1; copy <= kMaxDamagedCopies; ++copy) {
    const std::string name = std::string(path) + kDamagedSuffix + (copy > 1 ? std::to_string(copy) : "");
    if (name.size() >= size) return kErrorInvalidParameter;
    error = PlatformMoveFile(path, name.c_str());
    if (error == 0) {
      name.copy(aside, name.size());
      aside[name.size()] = 0;
      return 0;
    }
    if (error != kErrorAlreadyExists && error != kErrorFileExists) break;
  }
  return error;
}

LoadedFile ClassifyLoadError(int error) {
  if (error == 0) return LoadedFile::kTaken;
  if (IsLastingError(error)) return LoadedFile::kMissing;
  return error == kFileTooLarge ? LoadedFile::kDamaged : LoadedFile::kUnreadable;
}

int KeepErrorAfterLoad(const char* path, LoadedFile outcome, int readError) {
  if (outcome == LoadedFile::kUnreadable) return readError != 0 ? readError : kErrorReadFault;
  if (outcome != LoadedFile::kDamaged) return 0;
  char aside[kAsidePathSize];
  return SetDamagedFileAside(path, aside, sizeof aside);
}

uint32_t ReadFileMagic(const char* path) {
  PlatformFile* file = nullptr;
  if (PlatformOpenFile(path, FileOpenMode::kReadExisting, &file) != 0) return 0;
  uint8_t bytes[4] = {};
  uint32_t done = 0;
  const int error = PlatformReadFile(file, bytes, sizeof bytes, &done);
  PlatformCloseFile(file);
  if (error != 0 || done < sizeof bytes) return 0;
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void GetFileDate(const char* path, int* year, int* month, int* day) {
  if (PlatformGetFileDate(path, year, month, day) == 0) return;
  *year = 0;
  *month = 0;
  *day = 0;
}

// Links and reparse points come as plain files from the listing, so only the
// link itself is deleted, never what it points to.
int DeleteDirectoryTree(const char* folder, int removeSelf) {
  const std::string folderPath = AsFolderPath(folder);
  std::vector<FolderEntry> entries;
  if (PlatformListFolder(folderPath.c_str(), CollectFolderEntry, &entries) != 0) return 0;
  bool allDeleted = true;
  for (const FolderEntry& entry : entries) {
    const std::string path = folderPath + entry.name;
    const bool deleted =
        entry.isFolder ? DeleteDirectoryTree((path + '\\').c_str(), 1) != 0 : PlatformDeleteFile(path.c_str()) == 0;
    allDeleted = allDeleted && deleted;
  }
  if (!allDeleted) return 0;
  if (removeSelf == 0) return 1;
  return PlatformRemoveFolder(folderPath.c_str()) == 0 ? 1 : 0;
}

void* AllocBlock(size_t size) { return calloc(size > 0 ? size : 1, 1); }

void FreeBlock(void* block) { free(block); }
