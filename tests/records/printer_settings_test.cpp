#include "records/printer_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A little-endian value of `size` bytes written at `at`.
void Put(Bytes* bytes, size_t at, uint32_t value, int size = 4) {
  for (int i = 0; i < size; ++i) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t U32At(const Bytes& bytes, size_t at) {
  uint32_t value;
  memcpy(&value, &bytes[at], 4);
  return value;
}

// DEVNAMES of `size` bytes: driver, device and port texts one after another.
Bytes DevNames(size_t size) {
  Bytes names(size, 'x');
  Put(&names, 0, 8 | 20 << 16);
  Put(&names, 4, 40, 2);
  names[19] = names[39] = 0;
  names[size - 1] = 0;
  return names;
}

// DEVMODE of `size` bytes whose own size and driver part are given.
Bytes DevMode(size_t size, uint16_t own, uint16_t extra) {
  Bytes mode(size, 0);
  memcpy(mode.data(), "Printer", 7);
  Put(&mode, 36, own | extra << 16);
  return mode;
}

PrinterSettings StoredSettings() {
  PrinterSettings s;
  SetDefaultPrinterSettings(&s);
  s.pageSetup.paperWidth = 21000;
  s.pageSetup.paperHeight = 29700;
  s.pageSetup.marginLeft = 1500;
  s.pageSetup.marginTop = 1200;
  s.pageSetup.marginRight = 1600;
  s.pageSetup.marginBottom = 1300;
  s.names = DevNames(93);
  s.mode = DevMode(158, 148, 10);
  return s;
}

PrinterSettings Defaults() {
  PrinterSettings s;
  SetDefaultPrinterSettings(&s);
  return s;
}

bool SameSettings(const PrinterSettings& a, const PrinterSettings& b) {
  return memcmp(&a.pageSetup, &b.pageSetup, sizeof a.pageSetup) == 0 && a.names == b.names && a.mode == b.mode;
}

TEST(PrinterSettingsFile, KeepsItsLayoutAndReadsBackByteForByte) {
  const PrinterSettings stored = StoredSettings();
  const Bytes image = MakePrinterSettingsImage(stored);
  ASSERT_EQ(image.size(), 4u + 84 + 4 + 96 + 4 + 160);
  // Paper size and margins where a 32-bit record has them, then the block sizes.
  EXPECT_EQ(Row(U32At(image, 0), U32At(image, 24), U32At(image, 48), U32At(image, 60), U32At(image, 88)),
            Row(84, 21000, 1500, 1300, 93));
  EXPECT_EQ(Bytes(image.begin() + 92 + 93, image.begin() + 188), Bytes(3, 0)) << "names padded to 4";
  EXPECT_EQ(U32At(image, 188), 158u);

  PrinterSettings read = Defaults();
  EXPECT_EQ(ApplyPrinterSettingsImage(image.data(), image.size(), &read), PrinterFileResult::kLoaded);
  EXPECT_TRUE(SameSettings(read, stored));
  EXPECT_EQ(MakePrinterSettingsImage(read), image);
}

// Each damaged image keeps the defaults or what of it is sound, and never reads past its end.
TEST(PrinterSettingsFile, RefusesOrTrimsDamagedImages) {
  const Bytes good = MakePrinterSettingsImage(StoredSettings());
  struct Case {
    const char* what;
    void (*damage)(Bytes*);
    PrinterFileResult result;
    bool marginsKept;
    bool blocksKept;
  };
  const Case cases[] = {
      {"first value 66", [](Bytes* b) { Put(b, 0, 66); }, PrinterFileResult::kRefused, false, false},
      {"shorter than the record", [](Bytes* b) { b->resize(87); }, PrinterFileResult::kRefused, false, false},
      {"names size past the end", [](Bytes* b) { Put(b, 88, 0xFFFFFFF0u); }, PrinterFileResult::kTrimmed, true, false},
      {"mode size past the end", [](Bytes* b) { Put(b, 188, 161); }, PrinterFileResult::kTrimmed, true, false},
      {"device outside the names", [](Bytes* b) { Put(b, 92 + 2, 93, 2); }, PrinterFileResult::kTrimmed, true, false},
      {"port text without its end", [](Bytes* b) { (*b)[92 + 92] = 'x'; }, PrinterFileResult::kTrimmed, true, false},
      {"driver past the mode", [](Bytes* b) { Put(b, 192 + 38, 11, 2); }, PrinterFileResult::kTrimmed, true, false},
      {"mode below its header", [](Bytes* b) { Put(b, 192 + 36, 12, 2); }, PrinterFileResult::kTrimmed, true, false},
      {"negative margin", [](Bytes* b) { Put(b, 52, 0xFFFFFFFFu); }, PrinterFileResult::kTrimmed, false, true},
      {"10 m of roll paper", [](Bytes* b) { Put(b, 28, 1000000); }, PrinterFileResult::kLoaded, true, true},
      {"paper past 10 m", [](Bytes* b) { Put(b, 28, 1000001); }, PrinterFileResult::kTrimmed, false, true},
      {"margins wider than the paper", [](Bytes* b) { Put(b, 48, 19500); }, PrinterFileResult::kTrimmed, false, true},
  };
  const PrinterSettings stored = StoredSettings();
  for (const Case& c : cases) {
    Bytes image = good;
    c.damage(&image);
    const Bytes exact(image);  // no spare capacity: a read past the end is caught
    PrinterSettings read = Defaults();
    EXPECT_EQ(ApplyPrinterSettingsImage(exact.data(), exact.size(), &read), c.result) << c.what;
    const PrinterSettings& margins = c.marginsKept ? stored : Defaults();
    EXPECT_EQ(Row(read.pageSetup.marginLeft, read.pageSetup.paperWidth, read.names.empty(), read.mode.empty()),
              Row(margins.pageSetup.marginLeft, margins.pageSetup.paperWidth, !c.blocksKept, !c.blocksKept))
        << c.what;
  }
}

class PrinterSettingsFolderTest : public ::testing::Test {
 protected:
  ScopedGlobalState globals_;
  ScratchFolder folder_;
  std::string File() const { return folder_.path() + kPrinterSettingsFile; }
};

TEST_F(PrinterSettingsFolderTest, SavedSettingsLoadBackAndADamagedFileIsSetAside) {
  LoadPrinterSettings();
  EXPECT_TRUE(SameSettings(gPrinterSettings, Defaults())) << "no file: the defaults";

  gPrinterSettings = StoredSettings();
  ASSERT_EQ(SavePrinterSettings(), 0);
  gPrinterSettings = Defaults();
  LoadPrinterSettings();
  EXPECT_TRUE(SameSettings(gPrinterSettings, StoredSettings()));
  EXPECT_FALSE(FileExists(File() + ".damaged"));

  Bytes damaged = ReadWholeFile(File());
  Put(&damaged, 0, 66);
  WriteWholeFile(File(), damaged);
  LoadPrinterSettings();
  EXPECT_TRUE(SameSettings(gPrinterSettings, Defaults()));
  EXPECT_EQ(ReadWholeFile(File() + ".damaged"), damaged) << "kept for a look";
  ASSERT_EQ(SavePrinterSettings(), 0);
  EXPECT_EQ(ReadWholeFile(File()), MakePrinterSettingsImage(Defaults()));
}

// No printer gives a names block past its 16-bit offsets and one path, or a
// mode block past its 16-bit size and driver part: such a file is refused and
// set aside, a huge one without being read, and the next save is small.
TEST_F(PrinterSettingsFolderTest, BlocksLargerThanAPrinterCanGiveAreRefusedAndTheFileSetAside) {
  constexpr size_t kMaxNames = 0xFFFF + 260, kMaxMode = 0xFFFF + 0xFFFF;
  struct Case {
    size_t namesSize, modeSize;
    bool taken;
  };
  const Case cases[] = {
      {kMaxNames, kMaxMode, true},
      {kMaxNames + 1, 158, false},
      {93, kMaxMode + 1, false},
      {50u << 20, 158, false},  // 50 MB of names
  };
  for (const Case& c : cases) {
    PrinterSettings stored = StoredSettings();
    stored.names = DevNames(c.namesSize);
    if (c.modeSize > 0xFFFF)
      stored.mode = DevMode(c.modeSize, 0xFFFF, static_cast<uint16_t>(std::min<size_t>(c.modeSize - 0xFFFF, 0xFFFF)));
    const Bytes image = MakePrinterSettingsImage(stored);
    WriteWholeFile(File(), image);
    LoadPrinterSettings();
    EXPECT_EQ(Row(gPrinterSettings.names.size(), FileExists(File() + ".damaged")),
              Row(c.taken ? c.namesSize : 0, !c.taken))
        << c.namesSize << " " << c.modeSize;
    ASSERT_EQ(SavePrinterSettings(), 0);
    EXPECT_EQ(ReadWholeFile(File()).size(), c.taken ? image.size() : MakePrinterSettingsImage(Defaults()).size());
    std::remove((File() + ".damaged").c_str());
  }
}

}  // namespace
