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
uint32_t ReadFileMagic(const char* path);
void GetFileDate(const char* path, int* year, int* month, int* day);
// Deletes the files and subfolders of a folder (path ending in '\');
// with removeSelf the folder too, returning that result.
int DeleteDirectoryTree(const char* folder, int removeSelf);

void* AllocBlock(size_t size);  // zero-filled; null on failure
void FreeBlock(void* block);
