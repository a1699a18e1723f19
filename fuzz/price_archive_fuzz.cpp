// Reads arbitrary bytes as a price archive. Half of the inputs are wrapped
// into a one-member zip whose header fields (name length, method, sizes,
// checksum) come from the input, so that minizip's paths are reached: a
// member comes back whole and terminated, its name is terminated inside the
// buffer, and a zip archive is never taken for a plain text.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/file_io.h"
#include "data/price_archives.h"
#include "data/zip_member.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kNameSize = 260;

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
uint32_t Take32(const uint8_t* data) {
  return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
}

// header: [name length 2][method 1][flags 1][declared size 4][crc 4], then the payload.
std::vector<uint8_t> WrapIntoZip(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 12;
  if (size < kHeader) return std::vector<uint8_t>(data, data + size);
  const uint32_t nameLength = (data[0] | data[1] << 8) % 400;
  const uint32_t method = data[2] % 3 == 0 ? 0 : 8;
  const bool exactSize = (data[3] & 1) != 0;
  const bool rightCrc = (data[3] & 2) != 0;
  const uint8_t* payload = data + kHeader;
  const auto payloadSize = static_cast<uint32_t>(size - kHeader);
  const uint32_t declared = exactSize ? payloadSize : Take32(data + 4);
  const uint32_t crc = rightCrc ? static_cast<uint32_t>(crc32(0, payload, payloadSize)) : Take32(data + 8);
  const std::vector<uint8_t> name(nameLength, 'n');
  std::vector<uint8_t> out;
  auto fields = [&](bool central) {
    Put32(out, central ? 0x02014b50 : 0x04034b50);
    if (central) Put16(out, 20);
    Put16(out, 20);
    Put16(out, 0);
    Put16(out, method);
    Put32(out, 0);
    Put32(out, crc);
    Put32(out, payloadSize);
    Put32(out, declared);
    Put16(out, nameLength);
    Put16(out, 0);
    if (central) {
      for (int i = 0; i < 4; ++i) Put16(out, 0);
      Put32(out, 0);
      Put32(out, 0);
    }
    out.insert(out.end(), name.begin(), name.end());
  };
  fields(false);
  out.insert(out.end(), payload, payload + payloadSize);
  const auto central = static_cast<uint32_t>(out.size());
  fields(true);
  const auto centralSize = static_cast<uint32_t>(out.size()) - central;
  Put32(out, 0x06054b50);
  Put32(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, centralSize);
  Put32(out, central);
  Put16(out, 0);
  return out;
}

void CheckMember(char* text, uint32_t size, const char* name) {
  Check(std::memchr(name, 0, kNameSize) != nullptr);
  if (text == nullptr) return;
  Check(size <= kMaxZipMemberBytes && text[size] == 0);
  FreeBlock(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (EnterScratchDataFolder(), true);
  (void)prepared;
  const bool wrap = size > 0 && (data[0] & 1) != 0;
  const std::vector<uint8_t> bytes = wrap ? WrapIntoZip(data + 1, size - 1) : std::vector<uint8_t>(data, data + size);
  char name[kNameSize];
  std::memset(name, 'x', sizeof name);
  uint32_t memberSize = 0;
  ZipMemberResult result = ZipMemberResult::kRead;
  char* member =
      ReadFirstZipMemberFromMemory(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                                   name, kNameSize, &memberSize, &result);
  Check((member != nullptr) == (result == ZipMemberResult::kRead));
  if (wrap && bytes.size() >= 22) Check(result != ZipMemberResult::kNotZip);
  const bool gotMember = member != nullptr;
  CheckMember(member, memberSize, name);

  WriteFile("a.zip", bytes.data(), bytes.size());
  std::memset(name, 'x', sizeof name);
  char* text = LoadPriceArchiveText("a.zip", name, kNameSize, &memberSize);
  // A zip archive gives its member or nothing, never itself as a text.
  if (wrap && bytes.size() >= 22) Check((text != nullptr) == gotMember);
  CheckMember(text, memberSize, name);
  return 0;
}
