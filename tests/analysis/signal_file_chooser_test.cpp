// The signal-file chooser's rows and details: at most 64 files, the chosen
// one starred, and details read into an image of its own whatever a file's
// counts and names say.
#include "analysis/signal_file_chooser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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

std::vector<std::string> SignalNames(const SignalSettingsFile& image, const SignalFileDetails& details) {
  std::vector<std::string> names;
  for (int k = 0; k < details.signalCount; ++k) names.push_back(image.definitions[k].name);
  return names;
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

// Counts beyond the slots, names and a description without their end, and
// a shorter file after a full one: nothing is read past the image, and
// nothing of the file before is shown.
TEST_F(SignalFileChooserTest, DetailsStayWithinTheImageAndTheFileRead) {
  ASSERT_TRUE(Read("full.dat", SignalFile(2, 3)));
  EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount), Row(2, 3));
  EXPECT_EQ(SignalNames(image_, details_), (std::vector<std::string>{"S0", "S1"}));
  EXPECT_STREQ(image_.scenarios[2].name, "C2");

  std::vector<uint8_t> wild = SignalFile(9999, 9999);
  memcpy(&wild[offsetof(SignalSettingsFile, scenarioCount)], "\xff\xff\xff\x7f", 4);
  memset(&wild[offsetof(SignalSettingsFile, description)], 'D', kSignalDescriptionSize);
  memset(&wild[offsetof(SignalSettingsFile, definitions) + 400 * 11], 'N', kSignalNameSize);
  ASSERT_TRUE(Read("wild.dat", wild));
  EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount), Row(12, 16));
  EXPECT_EQ(strlen(image_.description), kSignalDescriptionSize - 1u);
  EXPECT_EQ(strlen(image_.definitions[11].name), kSignalNameSize - 1u);

  ASSERT_TRUE(Read("old.dat", SignalFile(1, 5, 6200)));
  EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount), Row(1, 0));
  EXPECT_STREQ(image_.description, "説明1");
  EXPECT_STREQ(image_.scenarios[0].name, "");  // not the full file's

  std::vector<uint8_t> negative = SignalFile(-3, -1);
  ASSERT_TRUE(Read("negative.dat", negative));
  EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount), Row(0, 0));

  EXPECT_FALSE(ReadSignalFileDetails("PLUGIN\\missing.dat", &image_, &details_));
  EXPECT_EQ(Row(details_.signalCount, details_.scenarioCount, image_.tag), Row(0, 0, 0));
}

}  // namespace
