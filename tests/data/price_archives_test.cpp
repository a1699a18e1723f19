#include "data/price_archives.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr char kText[] = "20260105,1301,tp,100,110,90,105,5000\r\n20260105,1001,i,1,1,1,1,1000\r\n";

// Written by Python's zipfile, so that the reader meets archives it did not make.
std::vector<uint8_t> PythonZip(const std::string& member, const std::string& method) {
  WriteWholeFile("member.txt", std::vector<uint8_t>(kText, kText + std::strlen(kText)));
  const std::string command = "python3 -c \"import sys, zipfile; zipfile.ZipFile('made.zip', 'w', zipfile.ZIP_" +
                              method + ").writestr(sys.argv[1], open('member.txt', 'rb').read())\" " + member;
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::vector<uint8_t> bytes = ReadWholeFile("made.zip");
  std::remove("made.zip");
  return bytes;
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
// `bytes` with the 32-bit values at `offsets` replaced by change(value).
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::initializer_list<size_t> offsets,
                             uint32_t (*change)(uint32_t)) {
  for (size_t at : offsets) {
    const uint32_t value = change(Get32(bytes, at));
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  return bytes;
}

class PriceArchiveTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    AddStock(StringToCode("1001")).master.marketId = 6;
    AddStock(StringToCode("1301")).master.marketId = 1;
  }
  std::string Load(const std::vector<uint8_t>& bytes, char* name = nullptr, int nameSize = 0) {
    WriteWholeFile("a.zip", bytes);
    uint32_t size = 0;
    char* text = LoadPriceArchiveText("a.zip", name, nameSize, &size);
    if (text == nullptr) return "(none)";
    std::string result(text, size);
    FreeBlock(text);
    return result;
  }
};

TEST_F(PriceArchiveTest, StoredAndDeflatedMembersAndPlainTextsAreReadAndALongMemberNameIsCutAndTerminated) {
  for (const char* method : {"STORED", "DEFLATED"}) EXPECT_EQ(Load(PythonZip("a.txt", method)), kText) << method;
  EXPECT_EQ(Load(std::vector<uint8_t>(kText, kText + std::strlen(kText))), kText);
  char name[kMaxPath];
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(Load(PythonZip(std::string(300, 'n'), "DEFLATED"), name, sizeof name), kText);
  EXPECT_EQ(std::string(name), std::string(kMaxPath - 1, 'n'));
}

// A zip archive that does not unpack whole and intact gives nothing at all,
// never a part of its text read as a plain one.
TEST_F(PriceArchiveTest, ABrokenArchiveGivesNothing) {
  const std::vector<uint8_t> stored = PythonZip("a.txt", "STORED");
  const size_t central = Get32(stored, stored.size() - 6);  // the central directory's first entry
  // The sizes in the local header and in the directory.
  const std::initializer_list<size_t> sizes = {18, 22, central + 20, central + 24};
  const std::pair<const char*, std::vector<uint8_t>> cases[] = {
      {"cut in the member", {stored.begin(), stored.begin() + 60}},
      {"cut in the directory", {stored.begin(), stored.end() - 30}},
      {"bad CRC", Patched(stored, {14, central + 16}, [](uint32_t crc) { return crc ^ 1; })},
      {"damaged deflate data", Patched(PythonZip("a.txt", "DEFLATED"), {40}, [](uint32_t v) { return v ^ 0x55; })},
      {"huge declared size", Patched(stored, sizes, [](uint32_t) { return 0xFFFFFFF0u; })},
      {"declared longer than stored", Patched(stored, sizes, [](uint32_t size) { return size + 40; })},
  };
  for (const auto& [name, bytes] : cases) EXPECT_EQ(Load(bytes), "(none)") << name;
}

TEST_F(PriceArchiveTest, AnImportedArchiveReachesTheFilesButNotTheLastPriceDate) {
  WriteWholeFile("a.zip", PythonZip("a.txt", "DEFLATED"));
  gLastPriceDate = MakePackedDate(2026, 1, 1);
  const PriceZipImport done = ImportPriceZip("a.zip");
  EXPECT_EQ(ImportPriceZip("missing.zip").result, PriceZipResult::kUnreadable);
  EXPECT_EQ(Row(done.result, done.newestReferenceDate, gLastPriceDate, gAskRecomputeAtStart),
            Row(PriceZipResult::kImported, MakePackedDate(2026, 1, 5), MakePackedDate(2026, 1, 1), 1));
  auto series = std::make_unique<BarSeries>();
  GetDailyBars(StringToCode("1301"), series.get());
  ASSERT_EQ(series->count, 1);
  EXPECT_EQ(Row(series->bars[0].close, series->bars[0].volume), Row(105, 5000));
}

// Two optical drives, the disc in the second: the first is asked for once.
TEST_F(PriceArchiveTest, ThePriceDiscIsLookedForInEveryOpticalDrive) {
  gPriceDiscHooks.driveType = [](char letter) { return letter == 'D' || letter == 'F' ? kDriveTypeCdrom : 3; };
  char letter = 0;
  EXPECT_TRUE(FindOpticalDrive(&letter) && letter == 'D');
  QueueMessageBoxAnswer(kIdCancel);
  EXPECT_FALSE(FindPriceDiscDrive(&letter));
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  const std::string folder = std::string("F:/") + "\x8a\x94\x89\xbf\x83\x66\x81\x5b\x83\x5e";
  ASSERT_EQ(mkdir("F:", 0777), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  WriteWholeFile(folder + "/\x96\xc1\x95\xbf\x91\xae\x90\xab.zip", {1});
  QueueMessageBoxAnswer(kIdOk);
  EXPECT_TRUE(FindPriceDiscDrive(&letter));
  EXPECT_EQ(Row(letter, TakeRecordedMessageBoxes().size()), Row('F', size_t{1}));
  gPriceDiscHooks.driveType = nullptr;
  EXPECT_FALSE(FindPriceDiscDrive(&letter));
}

}  // namespace
