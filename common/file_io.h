#pragma once
// Whole-file reads and writes with the program's fixed retry rules. Paths are
// Shift-JIS, relative to the data folder, which callers make current first.
// Results: 0, a Win32 error code, or -1 when the file is larger than the buffer.
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr int kFileTooLarge = -1;

int LoadFileToBuffer(const char* path, void* buffer, uint32_t bufferSize);
// Like LoadFileToBuffer, and tells how many bytes were read.
int LoadFileToBufferEx(const char* path, void* buffer, uint32_t bufferSize, uint32_t* bytesRead);
// A new block holding the file and a terminating zero byte; free with FreeBlock.
// Null on failure, after a message box unless quiet.
char* LoadFileToMemory(const char* path, uint32_t* size, int quiet);
// Writes the bytes to a temporary file beside the target, then replaces the
// target in one step: on any failure the previous file stays as it was.
int SaveBufferToFile(const char* path, const void* buffer, uint32_t count);
// The same with the temporary file, named as the target, in a folder of its
// own on the target's volume (made when missing): creating a new name in a
// folder of thousands of files is what costs most of a save there. A file of
// that folder is never anything but a cut or unfinished save.
int SaveBufferToFileThrough(const char* path, const char* temporaryFolder, const void* buffer, uint32_t count);
int64_t GetFileSizeByName(const char* path);
// Rotates `count` backup copies of a file, newest first in `paths` (all in
// `folder`, made when missing): the first becomes these bytes and the older
// ones move down one place. Each move replaces its target, so that an empty
// or stale older copy never stops a good one from moving; an empty or
// missing source gives way to the bytes themselves. 0 or the first error.
int RotateBackupCopies(const char* folder, const char* const* paths, int count, const void* bytes, uint32_t size);
// Moves a file refused as damaged out of the way, to the first free one of
// "<path>.damaged", "<path>.damaged2", ..., so that it is kept for a look and
// never replaces one set aside before. 0 with the new name in `aside`, or an
// error code.
int SetDamagedFileAside(const char* path, char* aside, size_t size);

// What the load of a file found, for the saves that would replace it.
enum class LoadedFile {
  kTaken,       // read and used
  kMissing,     // not there (or empty): a save makes it
  kDamaged,     // not what the program writes: set aside before a save may replace it
  kUnreadable,  // there but not read (held by another program): never replaced
};
// A whole-file read's error: 0 taken, not found missing, larger than the
// buffer damaged, anything else unreadable.
LoadedFile ClassifyLoadError(int error);
// 0 when a later save may replace the file `outcome` describes, else the
// error that keeps it: a damaged file is set aside first, and keeps its
// place only when it cannot be moved; an unreadable one (`readError`) is
// always kept, so that what it holds is not lost under the defaults.
int KeepErrorAfterLoad(const char* path, LoadedFile outcome, int readError);
uint32_t ReadFileMagic(const char* path);
void GetFileDate(const char* path, int* year, int* month, int* day);
// Deletes the files and subfolders of a folder (path ending in '\');
// with removeSelf the folder too, returning that result.
int DeleteDirectoryTree(const char* folder, int removeSelf);

void* AllocBlock(size_t size);  // zero-filled; null on failure
void FreeBlock(void* block);
