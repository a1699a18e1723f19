#pragma once
// The first member of a zip archive, read whole.
#include <cstdint>

// Members larger than this are refused.
constexpr uint32_t kMaxZipMemberBytes = 64u * 1024 * 1024;

// A new block (AllocBlock, free with FreeBlock) holding the first member and a
// terminating zero; its size in *size. Null, without a message, when the file
// cannot be read, is no zip archive, its first member is empty or too large,
// or the member does not unpack whole and intact.
char* LoadFirstZipMember(const char* path, uint32_t* size);

enum class ZipMemberResult {
  kRead,        // the member, whole and intact
  kUnreadable,  // the file cannot be read
  kNotZip,      // the file is no zip archive (it may be a plain text)
  kFailed,      // a zip archive whose first member is missing, too large, short or damaged
};

// LoadFirstZipMember telling why nothing came back, with the member's name
// (always terminated, cut to nameSize - 1 bytes) in `name` when given.
char* ReadFirstZipMember(const char* path, char* name, int nameSize, uint32_t* size, ZipMemberResult* result);
// The same for an archive image already in memory.
char* ReadFirstZipMemberFromMemory(const char* image, uint32_t imageSize, char* name, int nameSize, uint32_t* size,
                                   ZipMemberResult* result);
