// Shared GDI objects, the font dialog and the drawing routines, checked on
// the pixels of a memory bitmap.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <vector>

#include "chart/draw_primitives_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);

LOGFONTW FontOf(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf;
}

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLogFont(&gChartLogFont);
    ClearLogFont(&gMemoLogFont);
    gChartFontSize = 14;
    gMemoFontSize = 16;
    gPaletteColors[kColorBackground] = kWhite;
    gPaletteColors[kColorNumberEven] = kBlue;
    window_ = CreateWindowExW(0, L"STATIC", L"gdi", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    gMainWnd = window_;
    CreateSharedGdiObjects();
    MeasureSharedFonts(window_);
  }
  void TearDown() override {
    DeleteSharedGdiObjects();
    DestroyWindow(window_);
  }
  ScopedGlobalState globals_{TestStart::kAsIs};
  HWND window_ = nullptr;
};

TEST_F(GdiTest, SharedFontsTakeTheSizesAndAnEmptyFaceMeansTheDefault) {
  const LOGFONTW chart = FontOf(gChartFont);
  EXPECT_EQ(
      Row(chart.lfHeight, chart.lfCharSet, chart.lfFaceName[0], chart.lfPitchAndFamily,
          FontOf(gChartFixedFont).lfPitchAndFamily, FontOf(gChartLargeFont).lfHeight, FontOf(gSmallFixedFont).lfHeight,
          FontOf(gSmallFixedFont).lfPitchAndFamily, FontOf(gMemoFont).lfHeight, FontOf(gMemoFont).lfPitchAndFamily),
      Row(14, SHIFTJIS_CHARSET, 0, DEFAULT_PITCH, FIXED_PITCH, 28, 12, FIXED_PITCH, 16, FIXED_PITCH));
  EXPECT_EQ(Row(gChartTextMetrics.tmHeight, gChartLargeTextMetrics.tmHeight, gMemoTextMetrics.tmHeight,
                gChartTextMetrics.tmCharSet),
            Row(14, 28, 16, SHIFTJIS_CHARSET));
}

// A face the system has keeps its style at the chart size; one it lacks gives the default font.
TEST_F(GdiTest, ANamedChartFontKeepsItsFaceAndStyleAtTheChartSize) {
  for (const char* face : {"IPAゴシック", "存在しない書体"}) {
    strcpy(gChartLogFont.faceName, face);
    gChartLogFont.weight = FW_BOLD;
    gChartLogFont.width = 9;
    gChartLogFont.height = -40;
    gChartFontSize = 20;
    RecreateSharedGdiObjects(window_);
    const LOGFONTW chart = FontOf(gChartFont);
    const bool known = face[0] == 'I';
    EXPECT_EQ(std::wstring(chart.lfFaceName), known ? SjisToWide(face) : L"");
    // The memo font has no face: its own default.
    EXPECT_EQ(Row(chart.lfHeight, chart.lfWidth, chart.lfWeight, chart.lfCharSet, FontOf(gChartLargeFont).lfHeight,
                  gChartTextMetrics.tmWeight >= FW_BOLD, FontOf(gMemoFont).lfFaceName[0]),
              Row(20, 0, known ? FW_BOLD : 0, SHIFTJIS_CHARSET, 40, known, 0))
        << face;
  }
  DeleteSharedGdiObjects();
  EXPECT_TRUE(gChartFont == nullptr && gFaceBrush == nullptr && gShadowPen == nullptr);
}

TEST_F(GdiTest, ResettingTheChartFontClearsAndSavesTheWholeSetting) {
  const std::wstring folder = MakeTempFolder(L"velqo-gdi");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.c_str());
  ResetChartFont();  // no face: nothing to do, nothing saved
  EXPECT_EQ(GetFileAttributesW(L"velqo_p2.dat"), INVALID_FILE_ATTRIBUTES);
  memset(&gChartLogFont, 0x41, sizeof gChartLogFont);  // every byte set, face unterminated
  ResetChartFont();
  const LogFontImage zero{};
  EXPECT_EQ(memcmp(&gChartLogFont, &zero, sizeof zero), 0);
  const auto saved = ReadFileBytes(folder + L"velqo_p2.dat");
  ASSERT_EQ(saved.size(), sizeof(SettingsBlockP2));
  for (size_t i = offsetof(SettingsBlockP2, chartLogFont); i < offsetof(SettingsBlockP2, chartLogFont) + 60; ++i)
    ASSERT_EQ(saved[i], kSettingsXorByte) << i;
  EXPECT_EQ(FontOf(gChartFont).lfFaceName[0], 0);  // the objects were made anew
  SetCurrentDirectoryW(previous);
}

TEST_F(GdiTest, InvertingAnOutlineTwiceRestoresEveryPixel) {
  Canvas canvas(64, 48), original(64, 48);
  std::vector<uint32_t> pattern(64 * 48);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  canvas.SetPixels(pattern);
  original.SetPixels(pattern);
  const RECT rect = {10, 8, 50, 40};
  const COLORREF corner = canvas.At(10, 8), top = canvas.At(20, 8), right = canvas.At(49, 20),
                 inside = canvas.At(30, 20), outside = canvas.At(50, 20);
  InvertRectOutline(canvas.dc(), rect);
  // Corners are inverted twice.
  EXPECT_PIXELS(canvas, {10, 8, corner}, {20, 8, top ^ 0xFFFFFF}, {49, 20, right ^ 0xFFFFFF}, {30, 20, inside},
                {50, 20, outside});
  InvertRectOutline(canvas.dc(), rect);
  EXPECT_EQ(canvas.CountDifferences(original, canvas.Whole()), 0);
}

TEST_F(GdiTest, OutlinesFramesAndPanelsLieOnTheirEdges) {
  Canvas canvas(80, 60);
  const HPEN blue = CreatePen(PS_SOLID, 1, kBlue);
  DrawRectFrameLines(canvas.dc(), {10, 10, 30, 20}, blue);
  EXPECT_PIXELS(canvas, {10, 10, kBlue}, {29, 19, kBlue}, {20, 19, kBlue}, {30, 15, kWhite}, {20, 20, kWhite},
                {20, 15, kWhite});
  DeleteObject(blue);
  const RECT panel = {40, 10, 60, 30};
  DrawRaisedPanel(canvas.dc(), panel);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW),
                 face = GetSysColor(COLOR_BTNFACE);
  EXPECT_PIXELS(canvas, {40, 20, light}, {50, 10, light}, {59, 20, dark}, {50, 29, dark}, {50, 20, face});
  DrawSunkenFrame(canvas.dc(), panel);
  EXPECT_PIXELS(canvas, {40, 20, dark}, {59, 20, light});
  FillRectColor(canvas.dc(), {0, 40, 10, 50}, kRed);
  EXPECT_PIXELS(canvas, {9, 49, kRed}, {10, 49, kWhite}, {9, 50, kWhite});
}

TEST_F(GdiTest, ACrossTrailOfHundredPixelsHasFourCrosses) {
  Canvas canvas(130, 20);
  const HGDIOBJ old = SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DrawCrossTrail(canvas.dc(), 10, 10, 110, 10);
  SelectObject(canvas.dc(), old);
  for (int x : {10, 43, 76, 110})
    EXPECT_PIXELS(canvas, {x, 10, kBlack}, {x - 1, 10, kBlack}, {x + 1, 10, kBlack}, {x, 9, kBlack}, {x, 11, kBlack});
  EXPECT_EQ(canvas.Count({0, 0, 130, 20}, kBlack), 4 * 5);
}

TEST_F(GdiTest, ClippingIsRestoredAndBitmapsAreCentred) {
  Canvas canvas(40, 40);
  const HRGN saved = PushClipRect(canvas.dc(), {0, 0, 5, 5});
  EXPECT_EQ(saved, nullptr);  // there was no clip region
  FillRectColor(canvas.dc(), {0, 0, 40, 40}, kRed);
  EXPECT_EQ(canvas.Count({0, 0, 40, 40}, kRed), 25);
  PopClipRect(canvas.dc(), saved);
  FillRectColor(canvas.dc(), {0, 0, 40, 40}, kBlue);
  EXPECT_EQ(canvas.Count({0, 0, 40, 40}, kBlue), 1600);
  const std::vector<uint32_t> red(16, 0xDC0000);  // a 4 x 4 tile
  const HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, red.data());
  canvas.Fill(kWhite);
  DrawBitmapInRect(canvas.dc(), {10, 10, 30, 30}, bitmap, false, SRCCOPY);
  EXPECT_EQ(canvas.Count({0, 0, 40, 40}, kRed), 16);
  EXPECT_PIXELS(canvas, {18, 18, kRed}, {21, 21, kRed}, {17, 18, kWhite});
  DeleteObject(bitmap);
}

TEST_F(GdiTest, TextsTakeTheirColoursFromThePalette) {
  Canvas canvas(200, 40);
  LOGFONTW crisp{};  // no smoothing, for pixel checks
  crisp.lfHeight = 20;
  crisp.lfCharSet = SHIFTJIS_CHARSET;
  crisp.lfQuality = NONANTIALIASED_QUALITY;
  const HFONT font = CreateFontIndirectW(&crisp);
  const HGDIOBJ old = SelectObject(canvas.dc(), font);
  SetTextColor(canvas.dc(), kRed);
  DrawContrastText(canvas.dc(), {0, 0, 100, 20}, "日経平均 38,000", DT_LEFT | DT_SINGLELINE);
  EXPECT_GT(canvas.Count({0, 0, 100, 20}, RGB(0x80, 0x80, 0x80)), 10);  // grey on white
  EXPECT_EQ(GetTextColor(canvas.dc()), kRed);                           // restored
  gPaletteColors[kColorBackground] = RGB(0, 0, 0);
  canvas.Fill(kRed);
  DrawTextOnBackground(canvas.dc(), "±0", -1, {100, 0, 200, 20}, DT_LEFT | DT_SINGLELINE);
  EXPECT_GT(canvas.Count({100, 0, 200, 20}, kBlue), 10);
  EXPECT_GT(canvas.Count({100, 0, 200, 20}, kBlack), 50);  // opaque on the background colour
  EXPECT_EQ(GetBkColor(canvas.dc()), kWhite);
  SelectObject(canvas.dc(), old);
  DeleteObject(font);
}

TEST_F(GdiTest, ValueLabelsAreFramedBoxesCentredOnTheirPoint) {
  Canvas canvas(200, 60);
  const HGDIOBJ old = SelectObject(canvas.dc(), gSmallFixedFont);
  SetBkColor(canvas.dc(), RGB(255, 255, 200));
  DrawValueLabel(canvas.dc(), 1234567, 100, 0, {0, 10, 200, 50});
  SelectObject(canvas.dc(), old);
  // Find the frame along the middle row.
  int left = -1, right = -1;
  for (int x = 0; x < 200; ++x) {
    if (canvas.At(x, 30) != kBlack) continue;
    if (left < 0) left = x;
    right = x;
  }
  ASSERT_GE(left, 0);
  EXPECT_LE(std::abs((left + right + 1) / 2 - 100), 1);
  EXPECT_EQ(canvas.At(left + 1, 30 - gSmallFixedTextMetrics.tmHeight / 2 - 1), RGB(255, 255, 200));
}

// A chart line drawn in pieces covers exactly the pixels of one Polyline call
// with the same pen: joins, ends, repeated points where pieces meet, steep
// and flat runs, and points beyond the bitmap's edges.
TEST_F(GdiTest, AWideChartLineInPiecesCoversWhatOnePolylineCovers) {
  std::vector<POINT> zigzag, repeats, flat, outside;
  for (int i = 0; i < 300; ++i) zigzag.push_back({4 + i, 60 + static_cast<int>((i * 7919L) % 97) - 48});
  for (int i = 0; i < 40; ++i) repeats.push_back({10 + (i / 3) * 9, 20 + (i / 3 % 5) * 13});  // each point thrice
  for (int i = 0; i < 30; ++i) flat.push_back({5 + i * 10, i % 9 < 4 ? 50 : 50 + (i % 3) * 30});
  for (int i = 0; i < 50; ++i) outside.push_back({-20 + i * 8, (i % 2) * 160 - 20});
  const struct {
    const char* name;
    int width;
    const std::vector<POINT>& points;
    int count;
  } kCases[] = {
      {"zigzag, thick", 2, zigzag, 300},        {"zigzag, 3 pixels", 3, zigzag, 300},
      {"one piece and a point", 2, zigzag, 10}, {"two points", 2, zigzag, 2},
      {"repeated points", 2, repeats, 40},      {"flat and upright", 2, flat, 30},
      {"beyond the edges", 2, outside, 50},     {"thin", 1, zigzag, 300},
  };
  for (const auto& c : kCases) {
    Canvas whole(320, 130), pieces(320, 130);
    const HPEN pen = CreatePen(PS_SOLID, c.width, kRed);
    const HGDIOBJ oldWhole = SelectObject(whole.dc(), pen);
    const HGDIOBJ oldPieces = SelectObject(pieces.dc(), pen);
    Polyline(whole.dc(), c.points.data(), c.count);
    DrawChartPolyline(pieces.dc(), c.points.data(), c.count, c.width);
    SelectObject(whole.dc(), oldWhole);
    SelectObject(pieces.dc(), oldPieces);
    DeleteObject(pen);
    EXPECT_EQ(Row(pieces.CountDifferences(whole, whole.Whole()), whole.Count(whole.Whole(), kRed) > 0), Row(0, 1))
        << c.name;
  }
}

// A batch of rectangles covers exactly what a fill of each covers: lines for
// those one pixel wide or high, fills for the others, nothing of an empty
// one, and only the bitmap's part of one that leaves it; set into the pixels
// in a plain colour, drawn through the system in a palette-relative one.
TEST_F(GdiTest, ABatchOfRectanglesCoversWhatFillingEachCovers) {
  const RECT kRects[] = {{10, 10, 11, 60},     {20, 5, 25, 90},    {30, 40, 90, 42},  {100, 100, 101, 101},
                         {40, 70, 52, 82},     {60, 10, 60, 50},   {70, 50, 80, 50},  {-5, -5, 3, 200},
                         {200, 110, 330, 140}, {150, 0, 151, 130}, {160, 64, 300, 65}};
  for (const COLORREF colour : {kRed, PALETTERGB(255, 0, 0)}) {
    Canvas filled(320, 130), batched(320, 130);
    const HBRUSH brush = CreateSolidBrush(colour);
    RectBatch batch;
    for (const RECT& rect : kRects) {
      FillRect(filled.dc(), &rect, brush);
      batch.Add(rect);
    }
    batch.Fill(batched.dc(), colour);
    DeleteObject(brush);
    FreePaintObjectCache();
    EXPECT_EQ(Row(batched.CountDifferences(filled, filled.Whole()),
                  filled.CountOther(filled.Whole(), RGB(255, 255, 255)) > 0),
              Row(0, 1))
        << std::hex << colour;
  }
}

// A picture of the routines for people to look at.
TEST_F(GdiTest, SavesAPictureOfThePrimitives) {
  Canvas canvas(240, 120);
  gPaletteColors[kColorBackground] = RGB(250, 250, 245);
  canvas.Fill(gPaletteColors[kColorBackground]);
  DrawRaisedPanel(canvas.dc(), {0, 0, 240, 22});
  const HGDIOBJ oldFont = SelectObject(canvas.dc(), gChartFont);
  SetBkMode(canvas.dc(), TRANSPARENT);
  RECT title = {6, 3, 234, 20};
  SetTextColor(canvas.dc(), RGB(160, 0, 80));
  DrawOutlinedText(canvas.dc(), "パターン1  7203", -1, &title, DT_LEFT | DT_SINGLELINE);
  DrawTriangleMark(canvas.dc(), {10, 40, 22, 50}, RGB(200, 0, 0), true, true);
  DrawTriangleMark(canvas.dc(), {30, 40, 42, 50}, RGB(0, 120, 0), false, true);
  DrawTriangleMark(canvas.dc(), {50, 40, 62, 50}, RGB(0, 0, 200), false, false);
  const HPEN pen = CreatePalettePen(0, kColorNumberEven);
  DrawRectDiagonals(canvas.dc(), {80, 34, 110, 56}, pen);
  DrawRectFrameLines(canvas.dc(), {80, 34, 110, 56}, pen);
  DeleteObject(pen);
  const HBRUSH brush = CreateSolidBrush(RGB(255, 200, 0));
  DrawEllipseWithBrush(canvas.dc(), {120, 34, 142, 56}, brush);
  DeleteObject(brush);
  const HGDIOBJ oldPen = SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DrawCrossTrail(canvas.dc(), 10, 75, 230, 95);
  SelectObject(canvas.dc(), oldPen);
  SetBkColor(canvas.dc(), RGB(255, 255, 255));
  SelectObject(canvas.dc(), gSmallFixedFont);
  DrawValueLabel(canvas.dc(), 38123, 0, 45, {150, 34, 240, 56});
  DrawSunkenFrame(canvas.dc(), {150, 100, 238, 118});
  DrawContrastText(canvas.dc(), {152, 102, 236, 116}, "±０ 12.34", DT_CENTER | DT_SINGLELINE);
  SelectObject(canvas.dc(), oldFont);
  EXPECT_TRUE(canvas.SaveArtifact(L"chart-primitives.bmp"));
}

// The font dialog, driven from a timer on this thread while it is open: whether it
// shows faces, how many of them are vertical ('@'), whether the picked one is, and
// whether its size label and its size list show. Empty when no dialog came.
std::vector<int64_t> gDialogView;
int gDialogTicks = 0;

BOOL CALLBACK FindFontDialog(HWND hwnd, LPARAM param) {
  wchar_t name[16];
  if (GetClassNameW(hwnd, name, 16) == 0 || wcscmp(name, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

void CALLBACK InspectFontDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindFontDialog, reinterpret_cast<LPARAM>(&dialog));
  // The dialog enables and fills its character-set box last: until then its picture varies.
  const HWND charSets = dialog != nullptr ? GetDlgItem(dialog, 1140) : nullptr;
  const bool filled =
      charSets != nullptr && IsWindowEnabled(charSets) && SendMessageW(charSets, CB_GETCURSEL, 0, 0) != CB_ERR;
  if (!filled && ++gDialogTicks <= 100) return;
  KillTimer(nullptr, timer);
  if (dialog == nullptr) return;
  const HWND faces = GetDlgItem(dialog, 1136);
  const int count = static_cast<int>(SendMessageW(faces, CB_GETCOUNT, 0, 0));
  int atFaces = 0;
  for (int i = 0; i < count; ++i) {
    wchar_t face[LF_FACESIZE * 2] = L"";
    SendMessageW(faces, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
    atFaces += face[0] == L'@';
  }
  const bool sizeList = IsWindowVisible(GetDlgItem(dialog, 1138));
  gDialogView = Row(count > 0, atFaces, WindowTitle(faces).substr(0, 1) == L"@",
                    IsWindowVisible(GetDlgItem(dialog, 1090)) != FALSE, sizeList);
  if (count > 0 && !sizeList) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SaveWindowPicture(dialog, L"font-dialog.bmp");
  }
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::vector<int64_t> RunFontDialog(LogFontImage* setting, int custom) {
  gDialogView.clear();
  gDialogTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, InspectFontDialog);
  EXPECT_EQ(ChooseFontForSetting(setting, 14, kDefaultPitch, custom), 0);  // cancelled
  KillTimer(nullptr, timer);
  return gDialogView;
}

TEST_F(GdiTest, TheFontDialogHidesVerticalFacesAndOnRequestTheSizes) {
  ShowWindow(window_, SW_SHOW);
  LogFontImage setting{};
  EXPECT_EQ(RunFontDialog(&setting, 1), Row(1, 0, 0, 0, 0));
  const LogFontImage zero{};
  EXPECT_EQ(memcmp(&setting, &zero, sizeof zero), 0);  // cancelled: unchanged
  const std::vector<int64_t> memo = RunFontDialog(&setting, 0);
  ASSERT_EQ(memo.size(), 5u);
  EXPECT_EQ(Row(memo[1], memo[4]), Row(0, 1));  // the sizes shown
}

}  // namespace
