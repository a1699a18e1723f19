#include "data/zip_member.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "tests/support/scratch_folder.h"

namespace {

struct Member {
  const char* name;
  std::string data;
  int method;  // 0 stored, Z_DEFLATED
};

void WriteZip(const std::string& path, const std::vector<Member>& members) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const Member& member : members) {
    zip_fileinfo info = {};
    ASSERT_EQ(zipOpenNewFileInZip(zip, member.name, &info, nullptr, 0, nullptr, 0, nullptr, member.method, 6), ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, member.data.data(), static_cast<unsigned>(member.data.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

// The member as a text, or "<null>"; checks the terminating zero and the size.
std::string Load(const char* path) {
  uint32_t size = 12345;
  char* block = LoadFirstZipMember(path, &size);
  if (block == nullptr) {
    EXPECT_EQ(size, 0u);
    return "<null>";
  }
  EXPECT_EQ(block[size], '\0');
  std::string text(block, size);
  FreeBlock(block);
  return text;
}

std::string PriceText() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "2024/06/03,130" + std::to_string(i % 10) + ",東証,100,110,90,105,12345\r\n";
  return text;
}

size_t FindBytes(const std::vector<uint8_t>& bytes, const std::string& pattern) {
  const auto found = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
  return found == bytes.end() ? std::string::npos : static_cast<size_t>(found - bytes.begin());
}

class ZipMemberTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
};

TEST_F(ZipMemberTest, ReadsTheFirstMemberWholeOrGivesNullWithoutAMessage) {
  mkdir("TMPDOWN", 0777);
  const std::string prices = PriceText();
  WriteZip("TMPDOWN/202406.zip", {{"202406.txt", prices, Z_DEFLATED}, {"other.txt", "second", Z_DEFLATED}});
  WriteZip("stored.zip", {{"a.txt", "stored bytes", 0}});
  EXPECT_EQ(Load("TMPDOWN\\202406.zip"), prices);
  EXPECT_EQ(Load("stored.zip"), "stored bytes");
  // Files that are no archive, or whose first member is empty.
  WriteWholeFile("plain.txt", std::vector<uint8_t>(100, 'x'));
  WriteWholeFile("empty.zip", {});
  WriteZip("nomembers.zip", {});
  WriteZip("emptymember.zip", {{"e.txt", "", Z_DEFLATED}, {"f.txt", "later", Z_DEFLATED}});
  for (const char* path : {"plain.txt", "empty.zip", "missing.zip", "nomembers.zip", "emptymember.zip"}) {
    EXPECT_EQ(Load(path), "<null>") << path;
  }
  // A failed read.
  FileFaults faults;
  faults.failReads = 100;
  SetFileFaults(faults);
  SetSleepRecorded(true);
  EXPECT_EQ(Load("stored.zip"), "<null>");
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(ZipMemberTest, DamagedArchivesAreRefused) {
  WriteZip("good.zip", {{"a.txt", "checksum guarded text", 0}});
  const std::vector<uint8_t> good = ReadWholeFile("good.zip");
  std::vector<uint8_t> flipped = good;
  const size_t data = FindBytes(flipped, "guarded");
  ASSERT_NE(data, std::string::npos);
  flipped[data] ^= 0x20;
  WriteWholeFile("flipped.zip", flipped);
  EXPECT_EQ(Load("flipped.zip"), "<null>");
  for (size_t cut : {good.size() - 22, good.size() / 2, size_t{30}}) {
    WriteWholeFile("cut.zip", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
    EXPECT_EQ(Load("cut.zip"), "<null>") << cut;
  }
  WriteZip("deflated.zip", {{"p.txt", PriceText(), Z_DEFLATED}});
  std::vector<uint8_t> garbled = ReadWholeFile("deflated.zip");
  for (size_t i = 60; i < 200; ++i) garbled[i] = static_cast<uint8_t>(i * 37);
  WriteWholeFile("garbled.zip", garbled);
  EXPECT_EQ(Load("garbled.zip"), "<null>");
}

TEST_F(ZipMemberTest, MemberSizeIsBoundedAt64Megabytes) {
  const std::string limit(kMaxZipMemberBytes, '7');
  WriteZip("limit.zip", {{"big.txt", limit, Z_DEFLATED}});
  uint32_t size = 0;
  char* block = LoadFirstZipMember("limit.zip", &size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, kMaxZipMemberBytes);
  EXPECT_EQ(block[size - 1], '7');
  EXPECT_EQ(block[size], '\0');
  FreeBlock(block);
  // The central directory claims one byte more than the limit.
  std::vector<uint8_t> claimed = ReadWholeFile("limit.zip");
  const size_t central = FindBytes(claimed, std::string("PK\x01\x02", 4));
  ASSERT_NE(central, std::string::npos);
  const uint32_t tooLarge = kMaxZipMemberBytes + 1;
  for (int i = 0; i < 4; ++i) claimed[central + 24 + i] = static_cast<uint8_t>(tooLarge >> (8 * i));
  WriteWholeFile("toolarge.zip", claimed);
  EXPECT_EQ(Load("toolarge.zip"), "<null>");
}

}  // namespace
