// Signal-settings files: which are offered, how older layouts are read, and
// that a file the program could not have written never reaches the image in use.
#include "analysis/signal_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/condition_items.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr size_t kTerm0 = offsetof(SignalSettingsFile, definitions) + offsetof(SignalDefinition, terms);
constexpr size_t kTermCount0 = offsetof(SignalSettingsFile, definitions) + offsetof(SignalDefinition, termCount);
constexpr size_t kDefinitionCount = offsetof(SignalSettingsFile, definitionCount);
constexpr size_t kScenarioCount = offsetof(SignalSettingsFile, scenarioCount);
constexpr size_t kItemBase = offsetof(SignalSettingsFile, itemBase);
const std::vector<uint8_t> kCleared(sizeof(SignalSettingsFile));

// One definition "daily close > 500 and in group 49" (a group term has no
// right side, whatever it holds) and one scenario in use, cut to `size`.
std::vector<uint8_t> GoodFile(size_t size = sizeof(SignalSettingsFile)) {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  file.definitionCount = 1;
  file.definitions[0].termCount = 2;
  file.definitions[0].terms[0] = {MakeItemCode(kSlotDaily, kItemClose), kOpGreater, kItemConstant, 0, 500.0};
  file.definitions[0].terms[1] = {-150, kOpMemberOf, -7, 0, 0.0};
  file.programVersion = 0x15000000;
  file.itemBase = kSignalItemBase;
  file.scenarioCount = 1;
  file.scenarios[0].valid = 1;
  std::vector<uint8_t> bytes(size);
  std::memcpy(bytes.data(), &file, std::min(size, sizeof file));
  return bytes;
}

template <typename T>
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, T value) {
  std::memcpy(&bytes[at], &value, sizeof value);
  return bytes;
}

// A file's name or what it has, its bytes, and whether it loads.
struct FileCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool loads;
};

std::vector<uint8_t> Image() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&gSignalSettingsImage);
  return std::vector<uint8_t>(bytes, bytes + sizeof gSignalSettingsImage);
}

class SignalSettingsFileTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    std::filesystem::create_directory("PLUGIN");
  }
  int Load(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteWholeFile("PLUGIN/" + name, bytes);
    std::snprintf(gSignalFileName, sizeof gSignalFileName, "PLUGIN\\%s", name.c_str());
    return ReloadSignalSettingsFile();
  }
};

TEST_F(SignalSettingsFileTest, OnlyTheThreeSizesWithTheTagAreListedAndLoaded) {
  const FileCase cases[] = {{"9855.dat", GoodFile(9855), false},
                            {"9857.dat", GoodFile(9857), false},
                            {"tag.dat", Patched(GoodFile(), 0, kSignalSettingsTag + 1), false},
                            {"9856.DAT", GoodFile(), true},
                            {"6192.dat", GoodFile(6192), true},
                            {"6200.dat", GoodFile(6200), true}};
  std::vector<std::string> expected, listed;
  for (const auto& c : cases) {
    EXPECT_EQ(Load(c.name, c.bytes) == 0, c.loads) << c.name;
    if (c.loads) expected.push_back(c.name);
  }
  WriteWholeFile("PLUGIN/9856.txt", GoodFile());
  ListSignalSettingsFiles(&listed);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

TEST_F(SignalSettingsFileTest, OlderLayoutsAndItemBasesAreReadAsTheCurrentOne) {
  const struct {
    size_t size;
    uint32_t base;
    std::vector<int64_t> expected;  // left code, base, version, scenario count and set, scenario 0 in use
  } cases[] = {{6192, 0, Row(101, 91, gProgramVersion, 0, 1, 0)},
               {6200, 50, Row(101, 91, gProgramVersion, 0, 1, 0)},
               {6200, 91, Row(60, 91, gProgramVersion, 0, 1, 0)},
               {9856, 50, Row(101, 91, gProgramVersion, 1, 0, 1)},
               {9856, 91, Row(60, 91, 0x15000000, 1, 0, 1)}};
  for (const auto& c : cases) {
    // Item 60 is slot 1, item 10 when slots were 50 items apart.
    const auto bytes = Patched(Patched(GoodFile(), kTerm0, int16_t{60}), kItemBase, c.base);
    ASSERT_EQ(Load("old.dat", {bytes.begin(), bytes.begin() + c.size}), 0) << c.size;
    const SignalSettingsFile& f = gSignalSettingsImage;
    EXPECT_EQ(Row(f.definitions[0].terms[0].left, f.itemBase, f.programVersion, f.scenarioCount, f.scenarioSet,
                  f.scenarios[0].valid),
              c.expected)
        << c.size << " base " << c.base;
  }
}

TEST_F(SignalSettingsFileTest, FilesTheProgramCouldNotHaveWrittenLeaveTheImageAsItWas) {
  const FileCase cases[] = {
      {"1000 definitions", Patched(GoodFile(), kDefinitionCount, 1000), false},
      {"-1 definitions", Patched(GoodFile(), kDefinitionCount, -1), false},
      {"12 definitions", Patched(GoodFile(), kDefinitionCount, 12), true},
      {"-5 terms", Patched(GoodFile(), kTermCount0, int16_t{-5}), false},
      {"21 terms", Patched(GoodFile(), kTermCount0, int16_t{21}), false},
      {"21 terms unused", Patched(GoodFile(), kTermCount0 + sizeof(SignalDefinition), int16_t{21}), true},
      {"17 scenarios", Patched(GoodFile(), kScenarioCount, 17), false},
      {"16 scenarios", Patched(GoodFile(), kScenarioCount, 16), true},
      {"base 0", Patched(GoodFile(), kItemBase, 0), false},
      {"base 200", Patched(GoodFile(), kItemBase, 200), false},
      {"base 1", Patched(GoodFile(), kItemBase, 1), true},
      {"left 9999", Patched(GoodFile(), kTerm0, int16_t{9999}), false},
      {"right -7 of a close", Patched(GoodFile(), kTerm0 + 4, int16_t{-7}), false},
      {"operator 99", Patched(GoodFile(), kTerm0 + 2, int16_t{99}), true}};  // the evaluator fails it
  const std::vector<uint8_t> before = Patched(GoodFile(), 4, 'B');
  for (const auto& c : cases) {
    ASSERT_EQ(Load("before.dat", before), 0);
    EXPECT_EQ(Load("case.dat", c.bytes), c.loads ? 0 : -1) << c.name;
    EXPECT_TRUE(c.loads || Image() == before) << c.name;
  }
}

// A short read has filled half of the buffer when it fails.
TEST_F(SignalSettingsFileTest, AFailedReadLeavesTheImageAsItWas) {
  ASSERT_EQ(Load("a.dat", GoodFile()), 0);
  FileFaults faults;
  faults.shortReads = 100;
  SetFileFaults(faults);
  EXPECT_EQ(Load("b.dat", Patched(GoodFile(), kDefinitionCount, 0)), kErrorHandleEof);
  EXPECT_EQ(Image(), GoodFile());
}

TEST_F(SignalSettingsFileTest, AFailedChoiceLeavesNoSignalFileAtAll) {
  WriteWholeFile("PLUGIN/good.dat", GoodFile());
  WriteWholeFile("PLUGIN/bad.dat", GoodFile(6000));
  gRecomputeNeeded = gGroupsDirty = 0;
  ASSERT_TRUE(ChooseSignalSettingsFile("good.dat"));
  EXPECT_EQ(Row(gRecomputeNeeded, gGroupsDirty), Row(1, 1));
  EXPECT_FALSE(ChooseSignalSettingsFile("bad.dat"));
  EXPECT_STREQ(gSignalFileName, "");
  EXPECT_EQ(Image(), kCleared);
}

TEST_F(SignalSettingsFileTest, StartUpTakesTheSavedFileElseTheFirstThatLoadsElseNone) {
  const std::vector<uint8_t> saved = Patched(GoodFile(), 4, 'S');
  const struct {
    const char* savedName;
    std::vector<const char*> more;  // besides a short file, a hostile one and a valid one not named .dat
    const char* expectedName;
    const std::vector<uint8_t>& expected;
  } cases[] = {{"PLUGIN\\saved.dat", {"d.dat", "saved.dat"}, "PLUGIN\\saved.dat", saved},
               {"PLUGIN\\saved.dat", {"d.dat"}, "PLUGIN\\d.dat", saved},
               {"", {"saved.dat"}, "PLUGIN\\saved.dat", saved},
               {"PLUGIN\\b.dat", {}, "", kCleared}};
  for (const auto& c : cases) {
    std::filesystem::remove_all("PLUGIN");
    std::filesystem::create_directory("PLUGIN");
    WriteWholeFile("PLUGIN/a.dat", GoodFile(9000));
    WriteWholeFile("PLUGIN/b.dat", Patched(GoodFile(), kDefinitionCount, 13));
    WriteWholeFile("PLUGIN/c.txt", saved);
    for (const char* name : c.more) WriteWholeFile(std::string("PLUGIN/") + name, saved);
    std::snprintf(gSignalFileName, sizeof gSignalFileName, "%s", c.savedName);
    gSignalSettings = nullptr;
    LoadFirstSignalSettingsFile();
    EXPECT_STREQ(gSignalFileName, c.expectedName) << c.savedName;
    EXPECT_TRUE(Image() == c.expected && gSignalSettings == &gSignalSettingsImage) << c.savedName;
  }
}

}  // namespace
