// The chart picture: drawn into a metafile by the screen's painter, played
// back like the screen shows it (forecast bars included), previewed on the
// page-setup dialog's sample page, and printed through a stand-in spooler
// that counts its calls; in the real program Ctrl+C puts it on the clipboard.

#include <cderr.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/group_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "chart/chart_scroll.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "chart/print_layout.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/printer_settings.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/program_runner.h"
#include "window/chart_picture_win.h"
#include "window/chart_printing_win.h"
#include "window/main_window_controls_win.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kForecast = RGB(10, 200, 30);

bool IsInk(COLORREF c) { return c != kWhite; }

struct OwnedPicture {
  HENHMETAFILE handle;
  ~OwnedPicture() {
    if (handle != nullptr) DeleteEnhMetaFile(handle);
  }
};

// The main window on the second pattern, "パターン２\tF2" in its menu, with two
// charts; the last three bars of the upper one are forecast bars, which the
// painter finds by the chart's slot.
class ChartPictureTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-picture") || !LoadGroupsAtStartup()) return;
    SetPalette(kColorBackground, kWhite, kColorForecastBackground, kForecast);
    gCurrentPattern = 1;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    strcpy(pattern.name, "パターン２");
    pattern.views[pattern.chartCount++] =
        MakeChartView(StringToCode("1001"), 0, {{kPaneCandles, 0}, {kPaneVolume, 0}, {kPaneRsi, 0}});
    pattern.views[pattern.chartCount++] =
        MakeChartView(gStockTable->records[5].master.code, 1, {{kPaneCandles, 0}, {kPaneMacd, 0}});
    if (!ShowMainWindow(1000, 760)) return;
    gForecastState[0] = kForecastCommitted;
    gForecastBarCount[0] = 3;
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  static void TearDownTestSuite() {
    gForecastState[0] = kForecastNone;
    gForecastBarCount[0] = 0;
    CloseMainWindow();
  }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
  }
  static RECT ChartsArea() {
    const Rect& upper = gChartContexts[0].geometry.chart;
    const Rect& lower = gChartContexts[1].geometry.chart;
    return {std::min(upper.left, lower.left), upper.top, std::max(upper.right, lower.right), lower.bottom};
  }
  // As the main window paints them: on the button face.
  static void PaintOnScreen(const Canvas& canvas) {
    const RECT whole = canvas.Whole();
    FillRect(canvas.dc(), &whole, GetSysColorBrush(COLOR_BTNFACE));
    for (int i = 0; i < CurrentScreenPattern().chartCount; ++i) {
      PaintChart(canvas.dc(), CurrentScreenPattern().views[i], gChartContexts[i]);
      DrawPaneTitleLabels(canvas.dc(), CurrentScreenPattern().views[i], gChartContexts[i], -1);
    }
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
};

TEST_F(ChartPictureTest, PlayedPictureLooksLikeTheScreenForecastBarsIncluded) {
  const ChartGeometry before = gChartContexts[0].geometry;
  const OwnedPicture picture{RenderChartsToMetafile()};
  ASSERT_NE(picture.handle, nullptr);
  EXPECT_EQ(memcmp(&gChartContexts[0].geometry, &before, sizeof before), 0) << "the geometry is put back";
  ENHMETAHEADER header{};
  ASSERT_NE(GetEnhMetaFileHeader(picture.handle, sizeof header, &header), 0u);
  EXPECT_GT(header.rclFrame.right - header.rclFrame.left, 0);
  EXPECT_GT(header.rclFrame.bottom - header.rclFrame.top, 0);

  RECT client;
  GetClientRect(window_, &client);
  Canvas screen(client.right, client.bottom);
  PaintOnScreen(screen);
  Canvas played(client.right, client.bottom);
  played.Fill(GetSysColor(COLOR_BTNFACE));
  const RECT area = ChartsArea();
  DrawMetafileFitted(played.dc(), picture.handle, area);
  screen.SaveArtifact(L"chart-picture-screen.bmp");
  played.SaveArtifact(L"chart-picture-played.bmp");

  const int forecastOnScreen = screen.Count(area, kForecast);
  ASSERT_GT(forecastOnScreen, 100);
  EXPECT_NEAR(played.Count(area, kForecast), forecastOnScreen, forecastOnScreen / 5);
  // Coarsely alike: in each 50-pixel block about as much ink.
  int unlike = 0, blocks = 0;
  for (int y = area.top; y + 50 <= area.bottom; y += 50)
    for (int x = area.left; x + 50 <= area.right; x += 50, ++blocks) {
      const RECT block = {x, y, x + 50, y + 50};
      unlike += std::abs(screen.Count(block, IsInk) - played.Count(block, IsInk)) > 2500 / 4;
    }
  EXPECT_LE(unlike, 3) << "of " << blocks << " blocks";
}

// Played larger, as on paper, the picture's signal strip reaches as far as the
// screen's, at any bar width, with the detail list beside the charts or not,
// in a pattern of one chart or two.
TEST_F(ChartPictureTest, TheStripReachesAsFarAsOnTheScreen) {
  constexpr COLORREF kStrip = RGB(250, 120, 10);
  constexpr int kMargin = 10;
  // Row 0 of the strip in one colour whatever fires or is held there.
  SetPalette(kColorLongSellBackground, kStrip, kColorLongSellMark, kStrip, kColorScenarioShortHeld, kStrip,
             kColorShortExit, kStrip, kColorShortLossCut, kStrip);
  ScreenPattern& pattern = CurrentScreenPattern();
  const ScreenPattern saved = pattern;
  const int32_t savedDetailList = gShowDetailList;
  // The first and last column of `rect` holding a pixel of the strip.
  const auto extent = [&](const Canvas& canvas, const Rect& rect) {
    std::pair<int, int> e{-1, -1};
    for (int x = rect.left; x < rect.right; ++x)
      for (int y = rect.top; y < rect.bottom; ++y)
        if (canvas.At(x, y) == kStrip) {
          e = {e.first < 0 ? x : e.first, x};
          break;
        }
    return e;
  };
  const struct {
    int barWidth, charts;
    bool detailList;
  } cases[] = {{1, 1, false}, {5, 1, true}, {19, 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.barWidth);
    pattern.chartCount = c.charts;
    gShowDetailList = c.detailList ? 1 : 0;
    pattern.views[0].barWidth = c.barWidth;
    LayoutMainWindow(window_);
    UpdateChartScrollBar(0);
    pattern.views[0].lastBarIndex = GetChartEndBarIndex(0);  // at the newest bar
    UpdateChartScrollBar(0);
    const OwnedPicture picture{RenderChartsToMetafile()};
    ASSERT_NE(picture.handle, nullptr);
    RECT client;
    GetClientRect(window_, &client);
    Canvas screen(client.right, client.bottom);
    PaintOnScreen(screen);
    // Played half as large again: where x and y of the screen land.
    const RECT area = c.charts == 1 ? ToWinRect(gChartContexts[0].geometry.chart) : ChartsArea();
    const auto x = [&](int v) { return kMargin + (v - area.left) * 3 / 2; };
    const auto y = [&](int v) { return kMargin + (v - area.top) * 3 / 2; };
    Canvas played(x(area.right) + kMargin, y(area.bottom) + kMargin);
    played.Fill(GetSysColor(COLOR_BTNFACE));
    DrawMetafileFitted(played.dc(), picture.handle, {kMargin, kMargin, x(area.right), y(area.bottom)});
    const Rect& plot = gChartContexts[0].panes[0].fullPlot;
    const auto shown = extent(screen, {plot.left, plot.top + 2, plot.right, plot.top + 6});
    const auto got = extent(played, {x(plot.left), y(plot.top + 2), x(plot.right), y(plot.top + 6)});
    ASSERT_GE(shown.first, 0);
    EXPECT_NEAR(got.first, x(shown.first), 3);
    EXPECT_NEAR(got.second, x(shown.second), 3);
  }
  pattern = saved;
  gShowDetailList = savedDetailList;
  LayoutMainWindow(window_);
  for (int i = 0; i < pattern.chartCount; ++i) UpdateChartScrollBar(i);
}

// ---- Printing through a stand-in spooler ------------------------------------------

struct SpoolerLog {
  int dialogs = 0, startDocs = 0, startPages = 0, endPages = 0, endDocs = 0, aborts = 0;
  std::string jobName;
  std::vector<bool> dialogHadPrinter;
  DWORD failWith = 0;    // the first dialog fails with this extended error
  bool cancel = false;   // the dialogs are cancelled
  bool replace = false;  // the dialog frees the blocks it is given and returns new ones
  int failPage = -1;     // EndPage of this page fails
  WORD copies = 1;
  HBITMAP paper = nullptr;  // what the printer DC draws on
  DWORD lastError = 0;
  // What the page-setup dialog found: the hook's answer and the ink it drew.
  UINT_PTR hookAnswer = 0;
  int sampleInk = 0;
};
SpoolerLog gLog;

HGLOBAL BlockHandle(const std::vector<uint8_t>& bytes) {
  const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  memcpy(GlobalLock(handle), bytes.data(), bytes.size());
  GlobalUnlock(handle);
  return handle;
}

std::vector<uint8_t> TestDevMode(const char* device) {
  std::vector<uint8_t> mode(sizeof(DEVMODEA), 0);
  auto* m = reinterpret_cast<DEVMODEA*>(mode.data());
  strcpy(reinterpret_cast<char*>(m->dmDeviceName), device);
  m->dmSize = sizeof(DEVMODEA);
  return mode;
}

std::vector<uint8_t> TestDevNames(const char* device) {
  const std::string port = "LPT1:";
  std::string block(8, '\0');
  block += std::string("winspool") + '\0' + device + '\0' + port + '\0';
  block[0] = 8;
  block[2] = static_cast<char>(8 + 9);
  block[4] = static_cast<char>(block.size() - port.size() - 1);
  return std::vector<uint8_t>(block.begin(), block.end());
}

// Counts a dialog given these blocks; false when the first one is to fail.
bool OpenStubDialog(HGLOBAL mode, HGLOBAL names) {
  ++gLog.dialogs;
  gLog.dialogHadPrinter.push_back(mode != nullptr || names != nullptr);
  gLog.lastError = gLog.failWith != 0 && gLog.dialogs == 1 ? gLog.failWith : 0;
  return gLog.lastError == 0;
}

BOOL WINAPI StubPrintDialog(LPPRINTDLGA dialog) {
  if (!OpenStubDialog(dialog->hDevMode, dialog->hDevNames) || gLog.cancel) return FALSE;
  if (gLog.replace) {
    GlobalFree(dialog->hDevMode);
    GlobalFree(dialog->hDevNames);
    dialog->hDevMode = BlockHandle(TestDevMode("Other printer"));
    dialog->hDevNames = BlockHandle(TestDevNames("Other printer"));
  }
  dialog->hDC = CreateCompatibleDC(nullptr);
  SelectObject(dialog->hDC, gLog.paper);
  dialog->nCopies = gLog.copies;
  return TRUE;
}
// Paints the sample page's text on a memory DC through the hook, as the
// dialog does, and gives the margins new values.
BOOL WINAPI StubPageSetupDialog(LPPAGESETUPDLGA record) {
  if (!OpenStubDialog(record->hDevMode, record->hDevNames)) return FALSE;
  Canvas sample(200, 280);
  RECT text = {20, 30, 180, 250};
  gLog.hookAnswer = record->lpfnPagePaintHook(nullptr, WM_PSD_GREEKTEXTRECT, reinterpret_cast<WPARAM>(sample.dc()),
                                              reinterpret_cast<LPARAM>(&text));
  gLog.sampleInk = sample.Count(text, IsInk);
  record->rtMargin = {1000, 1100, 1200, 1300};
  return TRUE;
}
DWORD WINAPI StubDialogError() { return gLog.lastError; }
int WINAPI StubStartDoc(HDC, const DOCINFOA* info) {
  gLog.jobName = info->lpszDocName;
  return ++gLog.startDocs;
}
int WINAPI StubStartPage(HDC) { return ++gLog.startPages; }
int WINAPI StubEndPage(HDC) { return gLog.endPages++ == gLog.failPage ? 0 : 1; }
int WINAPI StubEndDoc(HDC) { return ++gLog.endDocs; }
int WINAPI StubAbortDoc(HDC) { return ++gLog.aborts; }

class ChartPrintingTest : public ChartPictureTest {
 protected:
  void SetUp() override {
    ChartPictureTest::SetUp();
    if (IsSkipped()) return;
    gLog = SpoolerLog{};
    // The canvas's bitmap is lent to the printer DCs the stand-in dialog makes.
    paper_ = std::make_unique<Canvas>(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    spare_ = CreateCompatibleBitmap(paper_->dc(), 1, 1);
    gLog.paper = static_cast<HBITMAP>(SelectObject(paper_->dc(), spare_));
    gPrintSpooler = {StubPageSetupDialog, StubPrintDialog, StubDialogError, StubStartDoc,
                     StubStartPage,       StubEndPage,     StubEndDoc,      StubAbortDoc};
    savedPrinter_ = gPrinterSettings;
    SetDefaultPrinterSettings(&gPrinterSettings);
    gPrinterSettings.pageSetup.paperWidth = 21000;
    gPrinterSettings.pageSetup.paperHeight = 29700;
    gPrinterSettings.mode = TestDevMode("Saved printer");
    gPrinterSettings.names = TestDevNames("Saved printer");
  }
  void TearDown() override {
    if (paper_ != nullptr) Paper();
    if (spare_ != nullptr) DeleteObject(spare_);
    gPrintSpooler = kSystemSpooler;
    gPrinterSettings = savedPrinter_;
  }
  // The page as the printer DCs left it, back on its canvas.
  const Canvas& Paper() const {
    SelectObject(paper_->dc(), gLog.paper);
    return *paper_;
  }
  std::string SavedDevice() const {
    return gPrinterSettings.mode.empty() ? "" : reinterpret_cast<const char*>(gPrinterSettings.mode.data());
  }

  std::unique_ptr<Canvas> paper_;
  HBITMAP spare_ = nullptr;
  PrinterSettings savedPrinter_;
};

TEST_F(ChartPrintingTest, ThreeCopiesOnTheChosenPrinterPrintWithinTheMarginsAndAFailedPageAbandonsTheJob) {
  gLog.copies = 3;
  gLog.replace = true;
  PrintChart(window_);
  EXPECT_EQ(SavedDevice(), "Other printer");
  EXPECT_EQ(gPrinterSettings.names, TestDevNames("Other printer"));
  EXPECT_EQ(std::vector<int>({gLog.dialogs, gLog.startDocs, gLog.startPages, gLog.endPages, gLog.endDocs, gLog.aborts}),
            std::vector<int>({1, 1, 3, 3, 1, 0}));
  EXPECT_EQ(gLog.jobName.rfind("パターン２【", 0), 0u) << gLog.jobName;
  EXPECT_LT(gLog.jobName.size(), static_cast<size_t>(kPrintJobNameSize));
  const Canvas& paper = Paper();
  paper.SaveArtifact(L"chart-picture-printed.bmp");
  const Rect area = PrintableArea(gPrinterSettings.pageSetup, paper.width(), paper.height());
  EXPECT_GT(area.left, 0);
  EXPECT_GT(paper.Count(ToRect(area), IsInk), 1000);
  EXPECT_EQ(paper.Count(paper.Whole(), IsInk), paper.Count(ToRect(area), IsInk)) << "nothing in the margins";

  // A page that fails abandons the job.
  gLog.startPages = gLog.endPages = gLog.endDocs = 0;
  gLog.failPage = 0;
  PrintChart(window_);
  EXPECT_EQ(std::vector<int>({gLog.startPages, gLog.endPages, gLog.endDocs, gLog.aborts}),
            std::vector<int>({1, 1, 0, 1}));
}

TEST_F(ChartPrintingTest, PageSetupShowsThePictureOnItsSamplePageAndKeepsTheMargins) {
  ShowPageSetup(window_);
  EXPECT_EQ(gLog.dialogs, 1);
  EXPECT_EQ(gLog.hookAnswer, 1u);
  EXPECT_GT(gLog.sampleInk, 160 * 20);
  const PageSetupImage& p = gPrinterSettings.pageSetup;
  EXPECT_EQ(std::vector<int>({p.marginLeft, p.marginTop, p.marginRight, p.marginBottom}),
            std::vector<int>({1000, 1100, 1200, 1300}));
  EXPECT_EQ(SavedDevice(), "Saved printer");
}

TEST_F(ChartPrintingTest, APrinterThatHasGoneIsDroppedAndTheDialogAskedOnceMore) {
  for (void (*command)(HWND) : {PrintChart, ShowPageSetup}) {
    const PrinterSettings saved = gPrinterSettings;
    const HBITMAP paper = gLog.paper;
    gLog = SpoolerLog{};
    gLog.paper = paper;
    gLog.failWith = PDERR_PRINTERNOTFOUND;
    gLog.cancel = true;
    command(window_);
    EXPECT_EQ(gLog.dialogHadPrinter, (std::vector<bool>{true, false}));
    EXPECT_TRUE(gPrinterSettings.mode.empty());
    EXPECT_TRUE(gPrinterSettings.names.empty());
    EXPECT_EQ(gLog.startDocs, 0);
    gPrinterSettings = saved;
  }
}

// ---- The real program --------------------------------------------------------------

// Typed through the system's input, so that the program's key state holds Ctrl.
void TypeShortcut(HWND window, WORD held, WORD key) {
  SetForegroundWindow(window);
  INPUT inputs[4] = {};
  const WORD keys[4] = {held, key, key, held};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
  SettleProgram(window);
}

TEST(ChartPictureProgramTest, CtrlCLeavesThePictureOnTheClipboardAndThePrinterFileIsWrittenOnClose) {
  const std::wstring folder = CopySample(L"velqo-picture");
  if (folder.empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  TypeShortcut(program.window, VK_CONTROL, 'C');
  ASSERT_TRUE(OpenClipboard(nullptr));
  const bool available = IsClipboardFormatAvailable(CF_ENHMETAFILE) != FALSE;
  const auto picture = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  Canvas played(800, 600);
  DrawMetafileFitted(played.dc(), picture, played.Whole());
  CloseClipboard();
  EXPECT_TRUE(available);
  played.SaveArtifact(L"chart-picture-clipboard.bmp");
  EXPECT_GT(played.Count(played.Whole(), IsInk), 800 * 600 / 10);
  EXPECT_EQ(CloseProgram(program), 0u);
  const std::vector<unsigned char> saved = ReadFileBytes(folder + L"prsettng.dat");
  ASSERT_EQ(saved.size(), 4u + 84 + 4 + 4) << "the record and two empty printer blocks";
  EXPECT_EQ(saved[0], 84);
}

}  // namespace
