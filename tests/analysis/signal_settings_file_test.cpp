// Signal-settings files: which are offered, how older layouts are read, and
// that a file the program could not have written never reaches the image in use.
#include "analysis/signal_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "analysis/chart_indicators.h"
#include "analysis/condition_items.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

// A current file: one definition "daily close > 500", one scenario in use,
// and the daily RSI wanted with its own period.
SignalSettingsFile GoodFile() {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  file.definitionCount = 1;
  file.definitions[0].termCount = 1;
  file.definitions[0].terms[0] = {MakeItemCode(kSlotDaily, kItemClose), kOpGreater, kItemConstant, 0, 500.0};
  file.params[0].slot[kParamRsi0] = 9;
  file.useFlags[0].flags[kUseRsi0] = 1;
  file.programVersion = 0x15000000;
  file.itemBase = kSignalItemBase;
  file.scenarioCount = 1;
  file.scenarios[0].valid = 1;
  return file;
}

// The first `size` bytes of the image, zeros past its end.
std::vector<uint8_t> BytesOf(const SignalSettingsFile& file, size_t size = sizeof(SignalSettingsFile)) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
  std::vector<uint8_t> image(bytes, bytes + std::min(size, sizeof file));
  image.resize(size);
  return image;
}

class SignalSettingsFileTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    std::filesystem::create_directory("PLUGIN");
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) { WriteWholeFile("PLUGIN/" + name, bytes); }
  int Load(const std::string& name) {
    std::snprintf(gSignalFileName, sizeof gSignalFileName, "PLUGIN\\%s", name.c_str());
    return ReloadSignalSettingsFile();
  }
  static std::vector<uint8_t> Image() { return BytesOf(gSignalSettingsImage); }
};

TEST_F(SignalSettingsFileTest, OnlyTheThreeSizesWithTheTagAreListedAndLoaded) {
  std::vector<uint8_t> badTag = BytesOf(GoodFile());
  badTag[3] ^= 0x10;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool valid;
  } cases[] = {
      {"short.dat", BytesOf(GoodFile(), 9855), false},
      {"long.dat", BytesOf(GoodFile(), 9857), false},
      {"tag.dat", badTag, false},
      {"empty.dat", {}, false},
      {"current.DAT", BytesOf(GoodFile()), true},
      {"nobase.dat", BytesOf(GoodFile(), 6192), true},
      {"noscenarios.dat", BytesOf(GoodFile(), 6200), true},
  };
  std::vector<std::string> expected, listed;
  for (const auto& c : cases) {
    Write(c.name, c.bytes);
    if (c.valid) expected.push_back(c.name);
  }
  Write("current.txt", BytesOf(GoodFile()));
  std::filesystem::create_directory("PLUGIN/folder.dat");
  ListSignalSettingsFiles(&listed);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  for (const auto& c : cases) EXPECT_EQ(Load(c.name) == 0, c.valid) << c.name;
}

TEST_F(SignalSettingsFileTest, OlderLayoutsAndItemBasesAreReadAsTheCurrentOne) {
  const struct {
    size_t size;
    uint32_t base;                  // as written, where the layout has one
    std::vector<int64_t> expected;  // left, right, base, version, scenarios, scenario set, slots in use
  } cases[] = {
      {6192, 0, Row(101, -2, 91, gProgramVersion, 0, 1, 0)}, {6200, 50, Row(101, -2, 91, gProgramVersion, 0, 1, 0)},
      {6200, 91, Row(60, -2, 91, gProgramVersion, 0, 1, 0)}, {9856, 50, Row(101, -2, 91, gProgramVersion, 1, 0, 1)},
      {9856, 91, Row(60, -2, 91, 0x15000000, 1, 0, 1)},
  };
  for (const auto& c : cases) {
    SignalSettingsFile file = GoodFile();
    file.definitions[0].terms[0].left = 60;  // slot 1, item 10 when slots were 50 items apart
    file.itemBase = c.base;
    Write("old.dat", BytesOf(file, c.size));
    ASSERT_EQ(Load("old.dat"), 0) << c.size;
    const SignalSettingsFile& image = gSignalSettingsImage;
    const auto inUse = std::count_if(std::begin(image.scenarios), std::end(image.scenarios),
                                     [](const ScenarioRecord& s) { return s.valid != 0; });
    EXPECT_EQ(Row(image.definitions[0].terms[0].left, image.definitions[0].terms[0].right, image.itemBase,
                  image.programVersion, image.scenarioCount, image.scenarioSet, inUse),
              c.expected)
        << c.size << " base " << c.base;
  }
}

TEST_F(SignalSettingsFileTest, FilesTheProgramCouldNotHaveWrittenLeaveTheImageAsItWas) {
  using Change = std::function<void(SignalSettingsFile&)>;
  const auto term = [](SignalSettingsFile& f) -> ConditionTerm& { return f.definitions[0].terms[0]; };
  const struct {
    const char* what;
    Change change;
    bool loads;
  } cases[] = {
      {"1000 definitions", [](SignalSettingsFile& f) { f.definitionCount = 1000; }, false},
      {"-1 definitions", [](SignalSettingsFile& f) { f.definitionCount = -1; }, false},
      {"12 definitions", [](SignalSettingsFile& f) { f.definitionCount = 12; }, true},
      {"-5 terms", [](SignalSettingsFile& f) { f.definitions[0].termCount = -5; }, false},
      {"21 terms", [](SignalSettingsFile& f) { f.definitions[0].termCount = 21; }, false},
      {"21 terms unused", [](SignalSettingsFile& f) { f.definitions[1].termCount = 21; }, true},
      {"17 scenarios", [](SignalSettingsFile& f) { f.scenarioCount = 17; }, false},
      {"16 scenarios", [](SignalSettingsFile& f) { f.scenarioCount = 16; }, true},
      {"base 0", [](SignalSettingsFile& f) { f.itemBase = 0; }, false},
      {"base 200", [](SignalSettingsFile& f) { f.itemBase = 200; }, false},
      {"base 1", [](SignalSettingsFile& f) { f.itemBase = 1; }, true},
      {"left 9999", [&](SignalSettingsFile& f) { term(f).left = 9999; }, false},
      {"right -7 of a close", [&](SignalSettingsFile& f) { term(f).right = -7; }, false},
      {"right -7 of the code", [&](SignalSettingsFile& f) { term(f).left = kItemStockCode, term(f).right = -7; },
       false},
      {"right -7 of a group", [&](SignalSettingsFile& f) { term(f).left = -150, term(f).right = -7; }, true},
      {"operator 99", [&](SignalSettingsFile& f) { term(f).op = 99; }, true},  // the evaluator fails the term
  };
  SignalSettingsFile before = GoodFile();
  before.description[0] = 'B';
  Write("before.dat", BytesOf(before));
  for (const auto& c : cases) {
    ASSERT_EQ(Load("before.dat"), 0);
    SignalSettingsFile file = GoodFile();
    c.change(file);
    Write("case.dat", BytesOf(file));
    EXPECT_EQ(Load("case.dat"), c.loads ? 0 : -1) << c.what;
    if (!c.loads) {
      EXPECT_EQ(Image(), BytesOf(before)) << c.what;
    }
  }
}

TEST_F(SignalSettingsFileTest, AFailedReadLeavesTheImageAsItWas) {
  SignalSettingsFile other = GoodFile();
  other.definitionCount = 0;
  Write("a.dat", BytesOf(GoodFile()));
  Write("b.dat", BytesOf(other));
  // A short read has filled half of the buffer when it fails.
  const std::pair<int FileFaults::*, int> faults[] = {{&FileFaults::failReads, kErrorReadFault},
                                                      {&FileFaults::shortReads, kErrorHandleEof}};
  for (const auto& [fault, error] : faults) {
    ASSERT_EQ(Load("a.dat"), 0);
    FileFaults failing;
    failing.*fault = 100;
    SetFileFaults(failing);
    EXPECT_EQ(Load("b.dat"), error);
    EXPECT_EQ(Image(), BytesOf(GoodFile()));
    SetFileFaults(FileFaults{});
  }
}

// The chart's signal series follow the chosen file, and no file at all once
// a choice failed.
TEST_F(SignalSettingsFileTest, AFailedChoiceLeavesNoSignalFileAtAll) {
  Write("good.dat", BytesOf(GoodFile()));
  Write("bad.dat", BytesOf(GoodFile(), 6000));
  OwnedContext context;
  kernel_test::ScratchHolder scratch{0};
  const auto signalRsiBars = [&] {
    PeriodSeriesBlock& daily = context.context.periods[0];
    *daily.rawBars = *daily.bars = *kernel_test::MakeBars(kernel_test::BarsKind::kRandomWalk, 300, 5);
    gComputeNeededOnly = gNeededPeriods[0] = 1;
    ComputeChartIndicators(NumberCode(1301), &context.context, scratch.set);
    return daily.signalInt[kIntRsi0]->count;
  };
  gRecomputeNeeded = gGroupsDirty = 0;
  ASSERT_TRUE(ChooseSignalSettingsFile("good.dat"));
  EXPECT_EQ(Row(gRecomputeNeeded, gGroupsDirty, signalRsiBars()), Row(1, 1, 300));
  EXPECT_STREQ(gSignalFileName, "PLUGIN\\good.dat");

  EXPECT_FALSE(ChooseSignalSettingsFile("bad.dat"));
  EXPECT_STREQ(gSignalFileName, "");
  EXPECT_EQ(Image(), BytesOf(SignalSettingsFile{}));
  EXPECT_EQ(signalRsiBars(), 0);
}

TEST_F(SignalSettingsFileTest, StartUpTakesTheSavedFileElseTheFirstThatLoadsElseNone) {
  SignalSettingsFile saved = GoodFile(), other = GoodFile(), hostile = GoodFile();
  saved.description[0] = 'S';
  hostile.definitionCount = 13;
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> folder = {
      {"a.dat", BytesOf(other, 9000)}, {"b.dat", BytesOf(hostile)}, {"c.txt", BytesOf(saved)}};
  const struct {
    const char* savedName;
    bool withOther, withSaved;
    const char* expectedName;
    SignalSettingsFile expected;
  } cases[] = {
      {"PLUGIN\\saved.dat", true, true, "PLUGIN\\saved.dat", saved},
      {"PLUGIN\\saved.dat", true, false, "PLUGIN\\d.dat", other},
      {"", false, true, "PLUGIN\\saved.dat", saved},
      {"PLUGIN\\b.dat", false, false, "", SignalSettingsFile{}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all("PLUGIN");
    std::filesystem::create_directory("PLUGIN");
    for (const auto& [name, bytes] : folder) Write(name, bytes);
    if (c.withOther) Write("d.dat", BytesOf(other));
    if (c.withSaved) Write("saved.dat", BytesOf(saved));
    std::snprintf(gSignalFileName, sizeof gSignalFileName, "%s", c.savedName);
    gSignalSettings = nullptr;
    LoadFirstSignalSettingsFile();
    EXPECT_STREQ(gSignalFileName, c.expectedName) << c.savedName;
    EXPECT_EQ(Image(), BytesOf(c.expected)) << c.savedName;
    EXPECT_EQ(gSignalSettings, &gSignalSettingsImage);
  }
}

}  // namespace
