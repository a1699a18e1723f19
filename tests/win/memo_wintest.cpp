// Chart memos as the user sees them: outlined text, the frame, the selected
// fill, the faded tiny sizes, the arrow head and a literal "&" checked on the
// pixels of memory bitmaps; and the memo editor driven through its own
// message loop from a second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/memo_paint_win.h"
#include "chart/memo_store.h"
#include "chart/memo_view.h"
#include "chart/named_colors.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "resources/resource_ids.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"
#include "window/memo_editor_win.h"
#include "window/named_color_list_win.h"

namespace {

constexpr int kWidth = 600, kHeight = 300;
constexpr int kBars = 40;
const StockCode kCode = 0x5A5A5A5Au;  // "ZZZZ": sorts after every stock of a table
constexpr int kRed = 6;               // in the named colours
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRedColor = RGB(255, 0, 0),
                   kSelected = RGB(0, 200, 0);

class MemoPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gChartFontSize = 12;
    gMemoFontSize = 16;
    gMemoLineSpacing = 4;
    ClearLogFont(&gMemoLogFont);
    CreateSharedGdiObjects();
    MeasureSharedFonts(nullptr);
    InstallChartTextMeasures();
    ASSERT_TRUE((gStockTable != nullptr || AllocateStockTable()) && CreateEmptyMemoTable(&gMemos));
    AddFlatWeeklyStock(context_, kCode, kBars, DateOf);
    SetPalette(kColorBackground, kWhite, kColorSelection, kSelected);
    view_ = MakeChartView(kCode, 1, {{kPaneCandles, 0}});
    view_.barWidth = 9;
    ComputePaneScales({0, 0, kWidth, kHeight}, view_, context_);
  }
  void TearDown() override {
    FreeMemoTable(&gMemos);
    FreeChartPaintResources();
    DeleteSharedGdiObjects();
  }
  static PackedDate DateOf(int bar) { return AddCalendarDays(MakePackedDate(2025, 1, 3), 7 * bar); }
  // A red memo at bar 20, value 1100, its box 100 pixels left of the anchor.
  Memo& Add(const char* text) {
    Memo memo{};
    memo.code = kCode;
    memo.period = 1;
    memo.date = DateOf(20);
    memo.value = 1100;
    memo.boxOffsetX = -100;
    memo.boxOffsetY = -8;
    strcpy(memo.text, text);
    memo.color = kRed;
    memo.fontHeights[0] = 16;
    gUndoMemo = memo;
    EXPECT_EQ(RestoreRemovedMemo(), 1);
    SelectMemo(-1);
    return gMemos.memos[MemoCount() - 1];
  }
  // The pane painted black, then its memos drawn over it.
  std::unique_ptr<Canvas> Drawn(const wchar_t* picture) {
    auto canvas = std::make_unique<Canvas>(kWidth, kHeight, kBlack);
    const int last = GetViewLastBar(view_, *context_);
    ChartMemoSet set;
    CollectChartMemos(view_, *context_, last - context_->geometry.visibleBars - 3, last, &set);
    DrawPaneMemos(canvas->dc(), view_, *context_, 0, last, set);
    canvas->SaveArtifact(picture);
    return canvas;
  }
  static RECT Box(const Memo& m) { return {m.boxLeft, m.boxTop, m.boxRight, m.boxBottom}; }
  int AnchorX() const { return DateToPaneX(view_, *context_, DateOf(20), kBars - 1); }
  int AnchorY() const { return PaneValueToY(view_, *context_, 0, 1100); }

  ScopedGlobalState globals_;
  OwnedContext owned_;
  ChartContext* context_ = &owned_.context;
  ChartView view_{};
};

TEST_F(MemoPaintTest, OutlinedTextFrameArrowHeadAndALiteralAmpersand) {
  Memo& memo = Add("&");
  const auto canvas = Drawn(L"memo-outlined.bmp");
  const RECT box = Box(memo);
  // One line of "&": as wide as the glyph and the pad on both sides.
  Canvas probe(1, 1);
  SelectObject(probe.dc(), gMemoFont);
  SIZE glyph{};
  GetTextExtentPoint32W(probe.dc(), L"&", 1, &glyph);
  EXPECT_EQ(Row(box.right - box.left, box.bottom - box.top),
            Row(glyph.cx + 2 * (gMemoLineSpacing / 2), gMemoTextMetrics.tmHeight + gMemoLineSpacing));
  // The "&" itself in red, outlined in the background colour over the black pane.
  EXPECT_GT(canvas->Count(box, kRedColor), 10) << "the ampersand is drawn, not taken as a prefix";
  EXPECT_GT(canvas->Count(box, kWhite), 10) << "the outline";
  // The frame 3 pixels outside the box; the arrow's head filled at the anchor, pointing right.
  const int x = AnchorX(), y = AnchorY();
  EXPECT_PIXELS(*canvas, {box.left - 3, box.top, kRedColor}, {box.right + 2, box.bottom, kRedColor}, {x, y, kRedColor},
                {x - 4, y + 1, kRedColor}, {x - 4, y - 1, kRedColor}, {x - 4, y - 6, kBlack}, {x - 20, y, kRedColor},
                {x - 20, y - 3, kBlack});
  memo.arrowHidden = 1;
  EXPECT_PIXELS(*Drawn(L"memo-no-arrow.bmp"), {x, y, kBlack}, {x - 20, y, kBlack});
}

TEST_F(MemoPaintTest, ASelectedMemoIsFilledAndFramedInTheSelectionColour) {
  Memo& memo = Add("決算 5/12");
  memo.selected = 1;
  const auto canvas = Drawn(L"memo-selected.bmp");
  const RECT frame = {memo.boxLeft - 3, memo.boxTop - 3, memo.boxRight + 3, memo.boxBottom + 3};
  EXPECT_EQ(canvas->Count(frame, kBlack), 0) << "filled with the background";
  EXPECT_GT(canvas->Count(frame, kRedColor), 20);
  EXPECT_PIXELS(*canvas, {frame.left, frame.top, kSelected}, {frame.right - 1, frame.bottom - 1, kSelected},
                {AnchorX(), AnchorY(), kSelected});
}

TEST_F(MemoPaintTest, CustomHeightsBelowSixAreFadedTowardTheBackground) {
  Memo& memo = Add("x");
  memo.customSize = 1;
  memo.arrowHidden = 1;
  const COLORREF faded = FadeMemoColor(kRedColor, kWhite);
  ASSERT_EQ(faded, RGB(255, 153, 153));
  for (const int height : {5, 6}) {
    memo.fontHeights[0] = height;
    const auto canvas = Drawn(height == 5 ? L"memo-height-5.bmp" : L"memo-height-6.bmp");
    EXPECT_EQ(canvas->At(memo.boxLeft - 3, memo.boxTop), height == 5 ? faded : kRedColor) << height;
  }
}

// ---- The editor ------------------------------------------------------------------

void Type(HWND dialog, int id, const char* text) { SetDlgItemTextW(dialog, id, SjisToWide(text).c_str()); }

// Over the whole text, as typing does (setting a multi-line edit's text tells its dialog nothing).
void TypeOver(HWND dialog, int id, const std::string& text) {
  SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
  SendDlgItemMessageW(dialog, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(SjisToWide(text.c_str()).c_str()));
}

void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

class MemoEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppTexts();
    folder_ = MakeTempFolder(L"velqo-memos");
    snprintf(gDataFolder, sizeof gDataFolder, "%s", WideToSjis(folder_.c_str()).c_str());
    gMemoFontSize = 16;
    gMemoLineSpacing = 0;
    CreateNamedColorBrushes();
    ASSERT_TRUE(CreateEmptyMemoTable(&gMemos));
    Memo memo{};
    memo.code = kCode;
    strcpy(memo.text, "●●●新規メモ●●●");
    memo.arrowHidden = 1;
    memo.fontHeights[0] = 16;
    gUndoMemo = memo;
    ASSERT_EQ(RestoreRemovedMemo(), 1);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 400, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    FreeMemoTable(&gMemos);
    DeleteNamedColorBrushes();
    RemoveFolderTree(folder_);
  }
  bool Edit(const std::function<void(HWND)>& answer) {
    bool edited = false;
    return RunDriven(L"メモの編集", answer, [&] { edited = RunMemoEditor(owner_, 0); }) && edited;
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
  std::wstring folder_;
  HWND owner_ = nullptr;
};

// The user's edit: text, Red, the arrow, custom sizes typed out of range and
// confirmed with Enter in a size field; the counter follows the Shift-JIS bytes.
TEST_F(MemoEditorTest, TextColourArrowAndSizesConfirmedWithEnterAreKept) {
  std::string opened, counterFull, counterOver, counterTyped;
  bool keptOpen = false;
  EXPECT_TRUE(Edit([&](HWND dialog) {
    opened = DialogText(dialog, IDC_MEMO_BYTES);
    TypeOver(dialog, IDC_MEMO_TEXT, std::string(509, 'a').append("決"));
    counterFull = DialogText(dialog, IDC_MEMO_BYTES);
    TypeOver(dialog, IDC_MEMO_TEXT, std::string(510, 'a').append("決"));
    counterOver = DialogText(dialog, IDC_MEMO_BYTES);
    TypeOver(dialog, IDC_MEMO_TEXT, "");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    keptOpen = IsWindow(dialog) != FALSE;
    TypeOver(dialog, IDC_MEMO_TEXT, "決算 5/12");
    counterTyped = DialogText(dialog, IDC_MEMO_BYTES);
    SendDlgItemMessageW(dialog, IDC_MEMO_COLOR, CB_SETCURSEL, kRed, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_MEMO_COLOR, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_MEMO_COLOR)));
    Click(dialog, IDC_MEMO_ARROW);
    Click(dialog, IDC_MEMO_CUSTOM_SIZE);
    Click(dialog, IDC_MEMO_CHOICE_1 + 1);
    Type(dialog, IDC_MEMO_HEIGHT_1 + 2, "0");  // choice 2's height and spacing
    Type(dialog, IDC_MEMO_HEIGHT_1 + 3, "40");
    Sleep(100);
    SaveWindowPicture(dialog, L"memo-editor.bmp");
    const HWND size = GetDlgItem(dialog, IDC_MEMO_HEIGHT_1 + 3);
    PostKeyDownUp(size, VK_RETURN);
  }));
  EXPECT_EQ(opened, "文字: 20 bytes\n残り: 491 bytes");
  EXPECT_EQ(counterFull, "文字: 511 bytes\n残り: 0 bytes");
  EXPECT_EQ(counterOver, "文字: 512 bytes\n残り: -1 bytes");
  EXPECT_EQ(counterTyped, "文字: 9 bytes\n残り: 502 bytes");
  EXPECT_TRUE(keptOpen) << "an empty text keeps the editor open";
  const Memo& memo = gMemos.memos[0];
  EXPECT_STREQ(memo.text, "決算 5/12");
  EXPECT_EQ(Row(memo.color, memo.arrowHidden, memo.customSize, memo.sizeChoice), Row(kRed, 0, 1, 1));
  EXPECT_EQ(Row(memo.fontHeights[1], memo.lineSpacings[1]), Row(1, 32)) << "read and clamped at OK";
  EXPECT_EQ(Row(gMemos.header->fontHeights[1], gMemos.header->lineSpacings[1]), Row(1, 32));
  EXPECT_EQ(ReadFileBytes(folder_ + L"\\memo.dat").size(), sizeof(MemoFileHeader) + sizeof(Memo));
}

}  // namespace
