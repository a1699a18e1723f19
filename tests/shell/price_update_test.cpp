#include "shell/price_update.h"

#include <string>
#include <vector>

#include "common/command_ids.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/trading_calendar.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "sheets/scenarios.h"
#include "shell/commands.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

// What the fake services answer and what they were asked.
struct FakeServices {
  struct Script {
    std::vector<int> downloads;  // results of the download, one per call (then 0)
    int files = 0;
    ImportOutcome import = kImportDone;
    std::vector<int> dataSourceAnswers;
  } script;
  int button = kResultButtonOk;
  int listFetches = 0, imports = 0, recomputes = 0;
  std::vector<UpdateResultLines> dialogs;
};
FakeServices gFake;

template <typename T>
T TakeFront(std::vector<T>& queue, T otherwise) {
  if (queue.empty()) return otherwise;
  const T front = queue.front();
  queue.erase(queue.begin());
  return front;
}

bool EndsWithNew(const std::string& line) { return line.size() >= 7 && line.rfind("* new *") == line.size() - 7; }

class PriceUpdateTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gFake = FakeServices{};
    gPriceUpdateServices.runOnlineUpdate = [] {};
    gPriceUpdateServices.downloadStockInfoFiles = [](int* ken, int* info, int) {
      ++gFake.listFetches;
      *ken = 0;
      *info = 1;
    };
    gPriceUpdateServices.downloadNewPriceFiles = [](int* files) {
      *files = gFake.script.files;
      return TakeFront(gFake.script.downloads, 0);
    };
    gPriceUpdateServices.showDataSourceDialog = [](int) { return TakeFront(gFake.script.dataSourceAnswers, 0); };
    gPriceUpdateServices.importDownloadedZips = [](int) {
      ++gFake.imports;
      return gFake.script.import;
    };
    gPriceUpdateServices.showResultDialog = [](const UpdateResultLines& lines) {
      gFake.dialogs.push_back(lines);
      return gFake.button;
    };
    gPriceUpdateServices.exportRobotLinkFiles = [] { return 1; };
    gPriceUpdateServices.recomputeIndicatorsAndGroups = [] {
      ++gFake.recomputes;
      return true;
    };
  }
};

TEST_F(PriceUpdateTest, ReloadStartsAndResultLines) {
  for (const auto& [today, threeBack, twentyBack] :
       {std::tuple{MakePackedDate(2027, 3, 15), MakePackedDate(2026, 12, 1), MakePackedDate(2007, 3, 1)},
        {MakePackedDate(2027, 1, 31), MakePackedDate(2026, 10, 1), MakePackedDate(2007, 1, 1)},
        {MakePackedDate(2026, 12, 5), MakePackedDate(2026, 9, 1), MakePackedDate(2006, 12, 1)}})
    EXPECT_EQ(Row(ThreeMonthsBackStart(today), TwentyYearsBackStart(today)), Row(threeBack, twentyBack)) << today;
  char line[kResultLineSize];
  FormatResultLine(MakePackedDate(2024, 5, 10), true, line, sizeof line);
  EXPECT_STREQ(line, "2024/5/10  * new *");
  FormatResultLine(MakePackedDate(2024, 12, 1), false, line, sizeof line);
  EXPECT_STREQ(line, "2024/12/1  ");
}

TEST_F(PriceUpdateTest, TheClosingDialogOpensOnlyWhenTheUpdateWentThroughAndMarksOnlyWhatIsNew) {
  struct Case {
    const char* what;
    FakeServices::Script script;
    bool dialog, pricesNew;
    int imports, boxes;
  };
  const Case cases[] = {
      {"no archives", {{0}, 0, kImportDone, {}}, true, false, 0, 0},
      {"archives imported", {{0}, 2, kImportDone, {}}, true, true, 1, 0},
      {"archives holding nothing new", {{0}, 2, kImportNothingNew, {}}, true, false, 1, 0},
      {"import cancelled", {{0}, 2, kImportCancelled, {}}, false, false, 1, 0},
      {"import failed", {{0}, 2, kImportFailed, {}}, false, false, 1, 0},
      {"access refused, account dialog cancelled", {{1}, 2, kImportDone, {0}}, false, false, 0, 1},
      {"access refused, account set again", {{1, 0}, 2, kImportDone, {1}}, true, true, 1, 1},
      {"download failed", {{5}, 0, kImportDone, {}}, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    gFake = FakeServices{};
    gFake.script = c.script;
    UpdateLatestPrices();
    EXPECT_EQ(Row(gFake.dialogs.size(), gFake.imports, TakeRecordedMessageBoxes().size(), gPriceUpdateRunning,
                  gFake.listFetches),
              Row(c.dialog ? 1 : 0, c.imports, c.boxes, 0, 1))
        << c.what;
    if (gFake.dialogs.empty()) continue;
    const UpdateResultLines& shown = gFake.dialogs[0];
    EXPECT_EQ(Row(EndsWithNew(shown.lines[0]), EndsWithNew(shown.lines[1]), EndsWithNew(shown.lines[2])),
              Row(c.pricesNew, true, false))
        << c.what;
  }
}

TEST_F(PriceUpdateTest, TheUpdateCommandsAreRefusedInTimeBackModeAndTheReloadsFetchTheListsOnce) {
  SetFixedClock(PackedDateToDays(MakePackedDate(2027, 3, 15)) * 86400 + 3600, 9 * 3600);
  gLastPriceDate = MakePackedDate(2027, 3, 12);
  gTimeBackMode = 1;
  for (int id : {IDM_PRICE_DOWNLOAD, IDM_RELOAD_THREE_MONTHS, IDM_RELOAD_TWENTY_YEARS, IDM_STOCK_INFO_DOWNLOAD})
    EXPECT_EQ(OnMainCommand(nullptr, id), 1) << id;
  EXPECT_EQ(Row(gFake.listFetches, gFake.dialogs.size(), gLastPriceDate), Row(0, 0, MakePackedDate(2027, 3, 12)));
  gTimeBackMode = 0;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_RELOAD_THREE_MONTHS), 1);
  EXPECT_EQ(Row(gFake.listFetches, gFake.dialogs.size(), gLastPriceDate), Row(1, 1, MakePackedDate(2026, 12, 1)));
  EXPECT_EQ(OnMainCommand(nullptr, IDM_RELOAD_TWENTY_YEARS), 1);
  EXPECT_EQ(Row(gFake.listFetches, gLastPriceDate), Row(2, MakePackedDate(2007, 3, 1)));
}

TEST_F(PriceUpdateTest, TheLinkFilesButtonNeedsAScenarioThatWritesThemAndReportsTheWrite) {
  ClearScenarioTable();
  EXPECT_FALSE(AnyScenarioWritesLinkFiles());
  gScenarioTable.records[15].flags = 0x6;
  EXPECT_FALSE(AnyScenarioWritesLinkFiles());
  gScenarioTable.records[15].flags = kScenarioLinkFlag;
  EXPECT_TRUE(AnyScenarioWritesLinkFiles());
  gFake.button = kResultButtonLinkFiles;
  UpdateLatestPrices();
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ゼムタへの連動情報を出力しました。");
}

// In time-back mode the reference index's bars are cut at the chosen day;
// the last price date must come from what is stored.
TEST_F(PriceUpdateTest, ReloadingTheMasterDataTakesTheLastStoredPriceDateEvenInTimeBackMode) {
  auto master = std::make_unique<StockMasterFile>();
  master->count = 5;
  for (int i = 0; i < 5; ++i) master->records[i] = StockMasterRecord{NumberCode(1001 + i), "", "", "", 6, 0x80, 0, 1};
  WriteWholeFile("BASEDATA/stockinf.dat", std::vector<uint8_t>(reinterpret_cast<uint8_t*>(master.get()),
                                                               reinterpret_cast<uint8_t*>(master.get()) + 4 + 5 * 156));
  WriteWholeFile("BASEDATA/ken.dat", {0x04, 0x00, 0x16, 0x03, 0, 0, 0, 0});
  const auto bars = SeriesOf(NumberCode(1001), 10,
                             [](int i) { return PriceBar{MakePackedDate(2024, 5, 1 + i), 100, 110, 90, 105, 1000}; });
  WriteWholeFile(DayPath(NumberCode(1001)), SeriesImage(*bars));
  ASSERT_TRUE(MergeStockMaster(*master));
  ASSERT_EQ(LoadTradingCalendar(), 0);
  gTimeBackMode = 1;
  gTimeBackDayIndex = 3;
  ReloadMasterData();
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2024, 5, 10));
  EXPECT_EQ(Row(gStockTable->count, gKenTable->tag, TakeRecordedMessageBoxes().size(), gFake.recomputes),
            Row(5, kKenTag, 0, 1));
  FreeBlock(gTradingCalendar);
  gTradingCalendar = nullptr;
}

}  // namespace
