#include "data/zip_member.h"

#include <unzip.h>

#include <cstring>

#include "common/file_io.h"

namespace {

// The archive is read through the platform's file calls and unpacked from
// memory, so that paths take the same form as every other file of the program.
constexpr int64_t kMaxArchiveBytes = 256LL * 1024 * 1024;
constexpr int64_t kMinArchiveBytes = 22;  // the end-of-directory record alone

struct ArchiveImage {
  const char* bytes;
  uint64_t size;
  uint64_t position;  // never past size
};

ArchiveImage* AsImage(voidpf stream) { return static_cast<ArchiveImage*>(stream); }

// minizip passes the "file name" through to the open call: here it is the image.
voidpf ZCALLBACK OpenImage(voidpf, const void* image, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return const_cast<void*>(image);
}

uLong ZCALLBACK ReadImage(voidpf, voidpf stream, void* buffer, uLong size) {
  ArchiveImage* image = AsImage(stream);
  const uint64_t left = image->size - image->position;
  const uint64_t count = size < left ? size : left;
  if (count > 0) memcpy(buffer, image->bytes + image->position, count);
  image->position += count;
  return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteImage(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellImage(voidpf, voidpf stream) { return AsImage(stream)->position; }

long ZCALLBACK SeekImage(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ArchiveImage* image = AsImage(stream);
  uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = image->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = image->size; break;
    default: return -1;
  }
  if (offset > image->size - base) return -1;
  image->position = base + offset;
  return 0;
}

int ZCALLBACK CloseImage(voidpf, voidpf) { return 0; }

int ZCALLBACK TestImageError(voidpf, voidpf) { return 0; }

bool ReadExactly(unzFile zip, char* out, uint32_t length) {
  uint32_t done = 0;
  while (done < length) {
    const int read = unzReadCurrentFile(zip, out + done, length - done);
    if (read <= 0) return false;
    done += static_cast<uint32_t>(read);
  }
  return true;
}

// minizip leaves a name that fills its buffer unterminated: it gets one byte
// less and the terminator is written here.
void TakeMemberName(unzFile zip, const unz_file_info64& info, char* name, int nameSize) {
  if (name == nullptr || nameSize <= 0) return;
  name[0] = 0;
  if (nameSize < 2) return;
  const uLong room = static_cast<uLong>(nameSize - 1);
  unz_file_info64 again;
  if (unzGetCurrentFileInfo64(zip, &again, name, room, nullptr, 0, nullptr, 0) != UNZ_OK) {
    name[0] = 0;
    return;
  }
  name[info.size_filename < room ? info.size_filename : room] = 0;
}

char* ReadCurrentMember(unzFile zip, char* name, int nameSize, uint32_t* size) {
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return nullptr;
  // The declared size is checked before it is used: a header claiming nearly
  // 4 GiB must not wrap the block size around.
  if (info.uncompressed_size == 0 || info.uncompressed_size > kMaxZipMemberBytes) return nullptr;
  TakeMemberName(zip, info, name, nameSize);
  const auto length = static_cast<uint32_t>(info.uncompressed_size);
  auto* block = static_cast<char*>(AllocBlock(size_t{length} + 1));
  if (block == nullptr) return nullptr;
  if (unzOpenCurrentFile(zip) != UNZ_OK) {
    FreeBlock(block);
    return nullptr;
  }
  const bool whole = ReadExactly(zip, block, length);
  // Once the whole member is read, closing reports a checksum mismatch.
  const bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
  if (!whole || !intact) {
    FreeBlock(block);
    return nullptr;
  }
  block[length] = 0;
  *size = length;
  return block;
}

// A file that begins like a zip archive is one, even when it is cut short
// before its directory: it is never read as a plain text.
bool BeginsLikeZip(const char* bytes, uint64_t size) {
  return size >= 4 && bytes[0] == 'P' && bytes[1] == 'K' &&
         ((bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6) || (bytes[2] == 7 && bytes[3] == 8));
}

char* UnzipFirstMember(ArchiveImage* image, char* name, int nameSize, uint32_t* size, ZipMemberResult* result) {
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenImage;
  functions.zread_file = ReadImage;
  functions.zwrite_file = WriteImage;
  functions.ztell64_file = TellImage;
  functions.zseek64_file = SeekImage;
  functions.zclose_file = CloseImage;
  functions.zerror_file = TestImageError;
  unzFile zip = unzOpen2_64(image, &functions);
  if (zip == nullptr) {
    *result = BeginsLikeZip(image->bytes, image->size) ? ZipMemberResult::kFailed : ZipMemberResult::kNotZip;
    return nullptr;
  }
  char* member = nullptr;
  if (unzGoToFirstFile(zip) == UNZ_OK) member = ReadCurrentMember(zip, name, nameSize, size);
  unzClose(zip);
  *result = member != nullptr ? ZipMemberResult::kRead : ZipMemberResult::kFailed;
  return member;
}

void ClearOutputs(char* name, int nameSize, uint32_t* size) {
  if (size != nullptr) *size = 0;
  if (name != nullptr && nameSize > 0) name[0] = 0;
}

}  // namespace

char* ReadFirstZipMemberFromMemory(const char* image, uint32_t imageSize, char* name, int nameSize, uint32_t* size,
                                   ZipMemberResult* result) {
  ZipMemberResult ignored;
  if (result == nullptr) result = &ignored;
  ClearOutputs(name, nameSize, size);
  uint32_t memberSize = 0;
  ArchiveImage archive = {image, image != nullptr ? imageSize : 0, 0};
  if (archive.size < kMinArchiveBytes) {
    *result = BeginsLikeZip(image, archive.size) ? ZipMemberResult::kFailed : ZipMemberResult::kNotZip;
    return nullptr;
  }
  char* member = UnzipFirstMember(&archive, name, nameSize, &memberSize, result);
  if (member != nullptr && size != nullptr) *size = memberSize;
  return member;
}

char* ReadFirstZipMember(const char* path, char* name, int nameSize, uint32_t* size, ZipMemberResult* result) {
  ZipMemberResult ignored;
  if (result == nullptr) result = &ignored;
  ClearOutputs(name, nameSize, size);
  const int64_t fileSize = GetFileSizeByName(path);
  if (fileSize < 0) {
    *result = ZipMemberResult::kUnreadable;
    return nullptr;
  }
  if (fileSize > kMaxArchiveBytes) {
    const uint32_t magic = ReadFileMagic(path);
    const char head[4] = {static_cast<char>(magic), static_cast<char>(magic >> 8), static_cast<char>(magic >> 16),
                          static_cast<char>(magic >> 24)};
    *result = BeginsLikeZip(head, sizeof head) ? ZipMemberResult::kFailed : ZipMemberResult::kNotZip;
    return nullptr;
  }
  uint32_t archiveSize = 0;
  char* archive = LoadFileToMemory(path, &archiveSize, 1);
  if (archive == nullptr) {
    *result = ZipMemberResult::kUnreadable;
    return nullptr;
  }
  char* member = ReadFirstZipMemberFromMemory(archive, archiveSize, name, nameSize, size, result);
  FreeBlock(archive);
  return member;
}

char* LoadFirstZipMember(const char* path, uint32_t* size) {
  return ReadFirstZipMember(path, nullptr, 0, size, nullptr);
}
