// The signal-file chooser's rows and details: at most 64 files, the chosen
// one starred, details read into an image of its own, and one rule with the
// program's loading and the editor's import for which files are offered.
#include "analysis/signal_file_chooser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/signal_file_editor.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

// A file with `signals` definitions and `scenarios` scenarios named S0.., C0..
std::vector<uint8_t> SignalFile(int signals, int scenarios, size_t size = sizeof(SignalSettingsFile)) {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  snprintf(file.description, sizeof file.description, "説明%d", signals);
  file.definitionCount = signals;
  for (int k = 0; k < kMaxSignalDefinitions; ++k) snprintf(file.definitions[k].name, kSignalNameSize, "S%d", k);
  file.itemBase = kSignalItemBase;
  file.scenarioCount = scenarios;
  for (int s = 0; s < kScenarioSlots; ++s) snprintf(file.scenarios[s].name, kScenarioNameSize, "C%d", s);
  std::vector<uint8_t> bytes(size);
  memcpy(bytes.data(), &file, std::min(size, sizeof file));
  return bytes;
}

class SignalFileChooserTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    std::filesystem::create_directory("PLUGIN");
  }
  bool Read(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteWholeFile("PLUGIN/" + name, bytes);
    return ReadSignalFileDetails(("PLUGIN\\" + name).c_str(), &image_, &details_);
  }

  SignalSettingsFile image_{};
  SignalFileDetails details_{};
};

// 70 valid files and one with a wrong tag: the first 64 valid ones.
TEST_F(SignalFileChooserTest, AtMostSixtyFourValidFilesAreOffered) {
  for (int i = 0; i < 70; ++i) WriteWholeFile("PLUGIN/f" + std::to_string(100 + i) + ".dat", SignalFile(1, 0));
  std::vector<uint8_t> badTag = SignalFile(1, 0);
  badTag[0] ^= 1;
  WriteWholeFile("PLUGIN/bad.dat", badTag);
  std::vector<std::string> all, offered;
  ListSignalSettingsFiles(&all);
  ListChooserFiles(&offered);
  ASSERT_EQ(Row(all.size(), offered.size()), Row(70, 64));
  EXPECT_TRUE(std::equal(offered.begin(), offered.end(), all.begin()));
  EXPECT_EQ(std::count(all.begin(), all.end(), "bad.dat"), 0);
}

template <typename T>
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, T value) {
  memcpy(&bytes[at], &value, sizeof value);
  return bytes;
}

// One rule decides for the chooser's list, its details, choosing a file and
// the editor's import: a file one of them refuses none of them takes.
TEST_F(SignalFileChooserTest, AFileIsOfferedShownChosenAndImportedAlikeOrNotAtAll) {
  constexpr size_t kDefinitions = offsetof(SignalSettingsFile, definitionCount);
  constexpr size_t kScenarios = offsetof(SignalSettingsFile, scenarioCount);
  constexpr size_t kTerms0 = offsetof(SignalSettingsFile, definitions) + offsetof(SignalDefinition, termCount);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool taken;
    std::vector<int64_t> counts;  // signals and scenarios shown
  } cases[] = {
      {"good.dat", SignalFile(2, 3), true, Row(2, 3)},
      {"old.dat", SignalFile(1, 5, 6200), true, Row(1, 0)},  // no scenarios in the older layout
      {"tag.dat", Patched(SignalFile(1, 0), 0, kSignalSettingsTag ^ 1), false, Row(0, 0)},
      {"size.dat", SignalFile(1, 0, 6000), false, Row(0, 0)},
      {"huge6200.dat", Patched(SignalFile(1, 0, 6200), kDefinitions, 0x7fffffff), false, Row(0, 0)},
      {"huge.dat", Patched(SignalFile(1, 0), kDefinitions, 0x7fffffff), false, Row(0, 0)},
      {"negative.dat", SignalFile(-3, 0), false, Row(0, 0)},
      {"scenarios.dat", Patched(SignalFile(1, 0), kScenarios, 0x7fffffff), false, Row(0, 0)},
      {"terms.dat", Patched(SignalFile(1, 0), kTerms0, int16_t{21}), false, Row(0, 0)},
  };
  auto editor = std::make_unique<SignalFileEditor>();
  for (const auto& c : cases) {
    std::filesystem::remove_all("PLUGIN");
    std::filesystem::create_directory("PLUGIN");
    ASSERT_TRUE(Read("before.dat", SignalFile(1, 1)));  // another file shown before
    std::vector<std::string> offered;
    ListChooserFiles(&offered);
    EXPECT_EQ(offered.size(), 1u) << c.name;
    EXPECT_EQ(Read(c.name, c.bytes), c.taken) << c.name;
    EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount), c.counts) << c.name;
    EXPECT_EQ(image_.tag, c.taken ? kSignalSettingsTag : 0u) << c.name;
    ListChooserFiles(&offered);
    EXPECT_EQ(offered.size(), c.taken ? 2u : 1u) << c.name;
    EXPECT_EQ(ChooseSignalSettingsFile(c.name), c.taken) << c.name;
    const std::string path = std::string("PLUGIN\\") + c.name;
    EXPECT_EQ(ImportSignalFileIntoEditor(*editor, path.c_str()) == 0, c.taken) << c.name;
  }
}

}  // namespace
