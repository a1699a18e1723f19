// The signal-settings file editor's image: the series its signals need,
// files saved and read back byte for byte, refused files, copies with their
// references, deletions and a file signal copied into a group.
#include "analysis/signal_file_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/series_use_flags.h"
#include "analysis/signal_file_editor_files.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "tests/support/row.h"
#include "tests/support/price_store.h"

namespace {

constexpr int kSignalGroupA = 30;
constexpr int kSignalGroupB = 31;
constexpr int kExitGroup = 32;
constexpr int kManualGroup = 40;

ConditionTerm Term(int left, int right, double constant = 0.0) {
  return {static_cast<int16_t>(left), kOpGreater, static_cast<int16_t>(right), 0, constant};
}

// The entries set in each period's flags.
using SetEntries = std::vector<std::set<int>>;
SetEntries EntriesOf(const SeriesUseFlags (&flags)[3]) {
  SetEntries entries(3);
  for (int p = 0; p < 3; ++p)
    for (int k = 0; k < kSeriesUseFlagCount; ++k)
      if (flags[p].flags[k] != 0) entries[p].insert(k);
  return entries;
}

std::vector<uint8_t> Bytes(const SignalSettingsFile& file) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
  return std::vector<uint8_t>(bytes, bytes + sizeof file);
}

// A file of its own with two signals (kinds 3 and 4) of one term each.
std::vector<uint8_t> OtherFile(size_t size = sizeof(SignalSettingsFile)) {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  file.definitionCount = 2;
  for (int d = 0; d < 2; ++d) {
    std::snprintf(file.definitions[d].name, kSignalNameSize, "other %d", d);
    file.definitions[d].termCount = 1;
    file.definitions[d].terms[0] = Term(MakeItemCode(kSlotDaily, kItemVolume), kItemConstant, 1000.0 * (d + 1));
    file.definitions[d].kind = 3 + d;
  }
  file.itemBase = kSignalItemBase;
  std::vector<uint8_t> bytes(size);
  std::memcpy(bytes.data(), &file, std::min(size, sizeof file));
  return bytes;
}

class SignalFileEditorTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    std::filesystem::create_directory("PLUGIN");
    table_ = std::make_unique<GroupTable>();
    MakeSignalGroup(kSignalGroupA, kSignalShortBuy, Term(MakeItemCode(kSlotDaily, 10), kItemConstant, 500.0));
    MakeSignalGroup(kSignalGroupB, kSignalLongBuy, Term(MakeItemCode(kSlotWeekly, 17), kItemConstant, 30.0));
    MakeSignalGroup(kExitGroup, kSignalExitLong, Term(MakeItemCode(kSlotDaily, 20), kItemConstant, 80.0));
    IndicatorParameterSet params[3] = {};
    params[1].slot[0] = 13;
    editor_ = std::make_unique<SignalFileEditor>();
    ResetSignalFileEditor(*editor_, params);
  }
  void MakeSignalGroup(int g, int kind, ConditionTerm term) {
    GroupRecord& group = table_->groups[g];
    std::snprintf(group.name, kGroupNameSize, "group %d", g);
    group.automatic = 1;
    group.termCount = 1;
    group.terms[0] = term;
    group.signalKind = kind;
  }
  // Scenario s entering on group `entry`, leaving on `exit` when used.
  void MakeScenario(int s, int entry, int exit, int useExit) {
    ScenarioRecord& record = scenarios_.records[s];
    std::snprintf(record.name, kScenarioNameSize, "scenario %d", s);
    record.valid = 1;
    record.entrySignal = entry;
    record.useExit = useExit;
    record.exitSignal = exit;
  }
  int Import(const std::vector<uint8_t>& bytes, const char* name = "other.dat") {
    WriteWholeFile(std::string("PLUGIN/") + name, bytes);
    return ImportSignalFileIntoEditor(*editor_, (std::string("PLUGIN\\") + name).c_str());
  }

  std::unique_ptr<GroupTable> table_;
  ScenarioTable scenarios_{};
  std::unique_ptr<SignalFileEditor> editor_;
};

TEST(SeriesUseFlagsTest, EachTermSetsOnlyTheSeriesItsItemsAreReadFrom) {
  struct Case {
    const char* what;
    std::vector<ConditionTerm> terms;
    SetEntries expected;
  };
  const Case cases[] = {
      {"daily average 2 and weekly RSI 1",
       {Term(MakeItemCode(kSlotDaily, 10), kItemConstant), Term(MakeItemCode(kSlotWeekly, 17), kItemConstant)},
       {{1}, {8}, {}}},
      {"a special left operand adds nothing from its right side",
       {Term(kItemGroupFirst + 5, MakeItemCode(kSlotDaily, 17)), Term(kItemStockCode, MakeItemCode(kSlotDaily, 9))},
       {{}, {}, {}}},
      {"range positions of deviation rate 1",
       {Term(MakeItemCode(kSlotDaily, 86), kItemConstant), Term(MakeItemCode(kSlotPreviousMonth, 90), kItemConstant)},
       {{14}, {}, {14}}},
      {"the right item of an item comparison, on the previous bar",
       {Term(MakeItemCode(kSlotDaily, 0), MakeItemCode(kSlotPreviousWeek, 74))},
       {{}, {5}, {}}},
      {"one series group for several items, ranges per line",
       {Term(MakeItemCode(kSlotMonthly, 28), kItemConstant), Term(MakeItemCode(kSlotMonthly, 85), kItemConstant),
        Term(MakeItemCode(kSlotDaily, 57), kItemConstant)},
       {{25}, {}, {17, 34}}},
      {"items of no series and codes past the last slot",
       {Term(MakeItemCode(kSlotDaily, 40), kItemConstant), Term(MakeItemCode(kSlotDaily, 79), kItemConstant),
        Term(kItemCodeCount, kItemConstant)},
       {{}, {}, {}}},
  };
  for (const Case& c : cases) {
    SignalSettingsFile file{};
    file.useFlags[2].flags[40] = 1;  // from before: cleared
    file.definitionCount = 1;
    file.definitions[0].termCount = static_cast<int16_t>(c.terms.size());
    std::copy(c.terms.begin(), c.terms.end(), file.definitions[0].terms);
    ComputeSignalFileSeriesUse(file);
    EXPECT_EQ(EntriesOf(file.useFlags), c.expected) << c.what;
  }
  SeriesUseFlags needed[3] = {};
  int32_t periods[3] = {};
  MarkSeriesUsedByItem(needed, MakeItemCode(kSlotPreviousMonth, 3), periods);
  EXPECT_EQ(EntriesOf(needed), SetEntries({{}, {}, {}}));
  EXPECT_EQ(std::vector<int32_t>(periods, periods + 3), std::vector<int32_t>({0, 0, 1}));
}

TEST_F(SignalFileEditorTest, ASavedFileIsListedAndReadsBackByteForByteAndAFailedSaveIsToldOnce) {
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kSignalGroupA), 0);
  MakeScenario(3, kSignalGroupB, kExitGroup, 1);
  ASSERT_TRUE(CopyScenarioToFile(*editor_, *table_, scenarios_, 3));
  editor_->image.tag = 0x12345678;  // as an image read with another tag would hold
  const std::string description(600, 'x');
  QueueFileDialogAnswer("PLUGIN\\mine.dat");
  ASSERT_TRUE(ExportSignalFile(*editor_, nullptr, description.c_str()));
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].initialFolder, std::string(gDataFolder) + "PLUGIN\\");

  EXPECT_TRUE(IsValidSignalSettingsFile("PLUGIN\\mine.dat"));
  std::vector<std::string> names;
  ListSignalSettingsFiles(&names);
  EXPECT_EQ(names, std::vector<std::string>({"mine.dat"}));
  const SignalSettingsFile& saved = editor_->image;
  EXPECT_EQ(ReadWholeFile("PLUGIN/mine.dat"), Bytes(saved));
  EXPECT_EQ(std::strlen(saved.description), static_cast<size_t>(kEditorDescriptionLength));
  EXPECT_EQ(EntriesOf(saved.useFlags), SetEntries({{1, 11}, {8}, {}}));
  EXPECT_EQ(saved.params[1].slot[0], 13);

  auto reread = std::make_unique<SignalFileEditor>();
  *reread = *editor_;
  reread->image = SignalSettingsFile{};
  ASSERT_EQ(ImportSignalFileIntoEditor(*reread, "PLUGIN\\mine.dat"), 0);
  EXPECT_EQ(Bytes(reread->image), Bytes(saved));

  // A failed save is told once.
  FileFaults faults;
  faults.failReplaces = 100;  // as a read-only file would
  SetFileFaults(faults);
  QueueFileDialogAnswer("PLUGIN\\locked.dat");
  EXPECT_FALSE(ExportSignalFile(*editor_, nullptr, ""));
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
}

TEST_F(SignalFileEditorTest, AFileThatIsNoSoundSignalFileLeavesTheEditorAsItWas) {
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kSignalGroupA), 0);
  std::vector<uint8_t> wrongTag = OtherFile();
  wrongTag[0] ^= 1;
  std::vector<uint8_t> tooManySignals = OtherFile();
  tooManySignals[offsetof(SignalSettingsFile, definitionCount)] = kMaxSignalDefinitions + 1;
  const std::vector<uint8_t> refused[] = {wrongTag, OtherFile(9855), OtherFile(9857), OtherFile(6000), tooManySignals};
  const auto before = std::make_unique<SignalFileEditor>(*editor_);
  for (const auto& bytes : refused) {
    EXPECT_EQ(Import(bytes), -1) << bytes.size();
    EXPECT_EQ(std::memcmp(editor_.get(), before.get(), sizeof *before), 0) << bytes.size();
  }
  WriteWholeFile("PLUGIN/bad.dat", wrongTag);
  QueueFileDialogAnswer("PLUGIN\\bad.dat");
  EXPECT_FALSE(ImportSignalFile(*editor_, nullptr));
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
}

// Texts that fill their fields are read cut within them (at a whole
// character): the lists show no byte of the next field, and saving writes
// them back ended; every other byte stays the file's.
TEST_F(SignalFileEditorTest, ImportedTextsAreCutWithinTheirFieldsAndSavedSo) {
  constexpr size_t kDescription = offsetof(SignalSettingsFile, description);
  constexpr size_t kName0 = offsetof(SignalSettingsFile, definitions);
  constexpr size_t kName1 = kName0 + sizeof(SignalDefinition);
  constexpr size_t kScenarioName0 = offsetof(SignalSettingsFile, scenarios);
  std::vector<uint8_t> bytes = OtherFile();
  std::memset(&bytes[kDescription], 'D', kSignalDescriptionSize);
  std::memset(&bytes[kName0], 'N', kSignalNameSize);
  for (int i = 0; i < kSignalNameSize; i += 2) std::memcpy(&bytes[kName1 + i], "漢", 2);
  std::memset(&bytes[kScenarioName0], 'C', kScenarioNameSize);
  bytes[offsetof(SignalSettingsFile, scenarioCount)] = 1;
  ASSERT_EQ(Import(bytes), 0);
  std::vector<uint8_t> cut = bytes;
  for (const size_t end :
       {kDescription + kSignalDescriptionSize - 1, kName0 + kSignalNameSize - 1, kName1 + kSignalNameSize - 2,
        kName1 + kSignalNameSize - 1, kScenarioName0 + kScenarioNameSize - 1})
    cut[end] = 0;
  EXPECT_EQ(Bytes(editor_->image), cut);

  QueueFileDialogAnswer("PLUGIN\\again.dat");
  ASSERT_TRUE(ExportSignalFile(*editor_, nullptr, editor_->image.description));
  const std::vector<uint8_t> saved = ReadWholeFile("PLUGIN/again.dat");
  ASSERT_EQ(saved.size(), sizeof(SignalSettingsFile));
  EXPECT_EQ(Row(saved[kName0 + kSignalNameSize - 1], saved[kScenarioName0 + kScenarioNameSize - 1]), Row(0, 0));
}

// The marks of the image before named its slots: a scenario copied after
// reading another file must bring its group's signal again.
TEST_F(SignalFileEditorTest, AfterReadingAFileAScenarioBringsItsOwnGroupsSignal) {
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kSignalGroupA), 0);
  ASSERT_EQ(Import(OtherFile()), 0);
  MakeScenario(2, kSignalGroupA, 0, 0);
  ASSERT_TRUE(CopyScenarioToFile(*editor_, *table_, scenarios_, 2));
  const SignalSettingsFile& image = editor_->image;
  ASSERT_EQ(Row(image.scenarios[0].entrySignal, image.definitionCount), Row(2, 3));
  EXPECT_EQ(
      std::memcmp(image.definitions[2].terms, table_->groups[kSignalGroupA].terms, sizeof image.definitions[2].terms),
      0);
}

TEST_F(SignalFileEditorTest, ARefusedScenarioLeavesItsSlotEmpty) {
  MakeScenario(0, kSignalGroupA, kManualGroup, 1);  // a manual group has no signal
  EXPECT_FALSE(CopyScenarioToFile(*editor_, *table_, scenarios_, 0));
  const ScenarioRecord empty{};
  EXPECT_EQ(std::memcmp(&editor_->image.scenarios[0], &empty, sizeof empty), 0);
  // The entry's signal copied on the way stays.
  EXPECT_EQ(Row(editor_->image.scenarioCount, editor_->image.definitionCount, editor_->scenarioSlots[0]),
            Row(0, 1, -1));

  for (int s = 1; s < kScenarioSlots; ++s) MakeScenario(s, kSignalGroupA, 0, 0);
  for (int s = 1; s <= kMaxEditorScenarios; ++s) EXPECT_TRUE(CopyScenarioToFile(*editor_, *table_, scenarios_, s));
  EXPECT_FALSE(CopyScenarioToFile(*editor_, *table_, scenarios_, kMaxEditorScenarios + 1));
  EXPECT_EQ(editor_->image.scenarioCount, kMaxEditorScenarios);
}

TEST_F(SignalFileEditorTest, DeletingASignalRenumbersEveryReferenceAndTakesItsScenariosAlong) {
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kSignalGroupA), 0);
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kExitGroup), 1);
  ASSERT_EQ(CopyGroupSignalToFile(*editor_, *table_, kSignalGroupB), 2);
  MakeScenario(0, kSignalGroupA, kExitGroup, 1);     // file 0: exit used on signal 1
  MakeScenario(1, kSignalGroupB, kExitGroup, 0);     // file 1: exit not used
  MakeScenario(2, kSignalGroupB, kSignalGroupB, 1);  // file 2: references above 1
  for (int s = 0; s < 3; ++s) ASSERT_TRUE(CopyScenarioToFile(*editor_, *table_, scenarios_, s));
  editor_->image.scenarios[1].exitSignal = 2;  // a disabled exit above the deleted slot

  ASSERT_TRUE(DeleteFileSignal(*editor_, 1));
  const SignalSettingsFile& image = editor_->image;
  EXPECT_STREQ(image.definitions[1].name, "group 31");
  EXPECT_STREQ(image.scenarios[0].name, "scenario 1");
  const ScenarioRecord empty{};
  EXPECT_EQ(std::memcmp(&image.scenarios[2], &empty, sizeof empty), 0);
  EXPECT_EQ(Row(image.definitionCount, image.scenarioCount, image.scenarios[0].entrySignal,
                image.scenarios[0].exitSignal, image.scenarios[1].entrySignal, image.scenarios[1].exitSignal),
            Row(2, 2, 1, 1, 1, 1));
  const int16_t* groups = editor_->groupSlots;
  const int16_t* scenarios = editor_->scenarioSlots;
  EXPECT_EQ(
      Row(groups[kSignalGroupA], groups[kExitGroup], groups[kSignalGroupB], scenarios[0], scenarios[1], scenarios[2]),
      Row(0, -1, 1, -1, 0, 1));
  EXPECT_FALSE(DeleteFileSignal(*editor_, 2));
}

TEST_F(SignalFileEditorTest, AFileSignalGoesOnlyIntoAManualGroupNoTermNames) {
  ASSERT_EQ(Import(OtherFile()), 0);
  GroupTable& table = *table_;
  table.groups[50].termCount = 1;
  table.groups[50].terms[0] = {static_cast<int16_t>(kItemGroupFirst + 41), kOpMemberOf, 0, 0, 0.0};
  struct Case {
    int slot;
    int g;
    GroupCopyRefusal expected;
  };
  const Case cases[] = {{2, kManualGroup, GroupCopyRefusal::kNoSignal},
                        {-1, kManualGroup, GroupCopyRefusal::kNoSignal},
                        {0, kSignalGroupA, GroupCopyRefusal::kNotManual},
                        {0, 41, GroupCopyRefusal::kNamedByTerm},
                        {1, kManualGroup, GroupCopyRefusal::kNone}};
  for (const Case& c : cases) EXPECT_EQ(CheckFileSignalToGroup(*editor_, table, c.slot, c.g), c.expected) << c.g;

  editor_->image.definitions[1].termCount = 2;
  editor_->image.definitions[1].terms[1] = Term(kItemSignalKind1 - 1, 0);  // a mid/long buy signal
  CopyFileSignalToGroup(*editor_, table, 1, kManualGroup);
  const GroupRecord& group = table.groups[kManualGroup];
  EXPECT_STREQ(group.name, "other 1");
  // A signal term leaves the group no kind of its own, only the flag of the kind it asks for.
  EXPECT_EQ(Row(group.automatic, group.termCount, group.terms[0].constant == 2000.0, group.signalKind,
                group.signalLongBuy, group.signalShortBuy, group.monitorDateLines),
            Row(1, 2, 1, kSignalNone, 1, 0, 0));
}

}  // namespace
