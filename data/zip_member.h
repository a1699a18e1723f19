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
