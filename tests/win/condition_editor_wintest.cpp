// The condition editor (dialog 161) and its read-only twin (216) as a user
// meets them: typing a constant and pressing Enter, picking left operands
// whose operators, right side and constant follow, Esc, and the view.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/condition_editor.h"
#include "analysis/group_store.h"
#include "common/app_globals.h"
#include "common/stock_code.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"
#include "window/condition_editor_dialog_win.h"

namespace {

constexpr char kEditorTitle[] = "自動抽出条件設定...";
constexpr char kViewTitle[] = "自動抽出条件の表示...";
const ConditionItemCode kClose = MakeItemCode(kSlotDaily, kItemClose);

void Settle() { Sleep(150); }

bool Driving(const char* title, const std::function<void(HWND)>& drive, const std::function<void()>& open) {
  return RunDriven(SjisToWide(title), drive, open);
}

int ComboCount(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0)); }

void Type(HWND dialog, int id, const wchar_t* text, WPARAM endKey) {
  PostTyping(dialog, id, text, endKey);
  Settle();
}

void Choose(HWND dialog, int id, int row) { ChooseRow(dialog, id, row, CBN_SELCHANGE); }

int RowOf(const std::vector<ConditionItemCode>& codes, int code) {
  for (size_t i = 0; i < codes.size(); ++i)
    if (codes[i] == code) return static_cast<int>(i);
  return -1;
}

class ConditionEditorDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppTexts();
    ASSERT_TRUE(AllocGroupTables());
    for (int g = 0; g < kGroupCount; ++g) {
      GroupRecord& group = gGroupTableEdit->groups[g];
      snprintf(group.name, kGroupNameSize, "グループ%d", g);
      group.automatic = g < 24 ? 1 : 0;
    }
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 600, 400, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  ScopedGlobalState globals_{TestStart::kAsIs};
  HWND owner_ = nullptr;
};

// Enter ends the dialog with the focus still in the edit: the typed
// constant is what is stored, for a number and for a stock code.
TEST_F(ConditionEditorDialogTest, ATypedConstantEndedWithEnterIsStored) {
  const struct {
    int16_t left;
    const wchar_t* typed;
    double stored;
  } cases[] = {{kClose, L"1000", 1000.0}, {kClose, L"1234.5", 1234.5}, {kItemStockCode, L"7203", 0.0}};
  for (const auto& c : cases) {
    ConditionTerm term{c.left, kOpGreater, kItemConstant, 0, 0.0};
    bool edited = false;
    std::string shown;
    EXPECT_TRUE(Driving(
        kEditorTitle,
        [&](HWND dialog) {
          shown = DialogText(dialog, IDC_CONDITION_CONSTANT);
          Type(dialog, IDC_CONDITION_CONSTANT, c.typed, 0);
          SaveWindowPicture(dialog, L"condition-editor-typed.bmp");
          PostMessageW(GetDlgItem(dialog, IDC_CONDITION_CONSTANT), WM_KEYDOWN, VK_RETURN, 0);
        },
        [&] { edited = RunConditionEditorDialog(owner_, &term); }));
    const double expected = c.left == kItemStockCode ? static_cast<double>(StringToCode("7203")) : c.stored;
    EXPECT_TRUE(edited);
    EXPECT_EQ(term.constant, expected) << WideToSjis(c.typed);
    EXPECT_EQ(Row(term.left, term.op, term.right), Row(c.left, kOpGreater, kItemConstant));
    EXPECT_EQ(shown, c.left == kItemStockCode ? "" : "0");
  }
}

// A constant the item cannot hold is told once; the dialog stays with the
// text selected in the focused edit, and what is typed over it is stored.
TEST_F(ConditionEditorDialogTest, AConstantTheItemCannotHoldIsToldOnceAndTheDialogStays) {
  const DWORD dialogThread = GetCurrentThreadId();
  ConditionTerm term{kClose, kOpGreater, kItemConstant, 0, 25.0};
  bool edited = false, keptOpen = false, toldAgain = true;
  std::string told;
  std::vector<int64_t> selection;
  EXPECT_TRUE(Driving(
      kEditorTitle,
      [&](HWND dialog) {
        const HWND edit = GetDlgItem(dialog, IDC_CONDITION_CONSTANT);
        Type(dialog, IDC_CONDITION_CONSTANT, L"1e309", VK_RETURN);
        if (const HWND box = WaitForDialog(SjisToWide("入力エラー"))) {
          told = DialogText(box, 0xFFFF);
          SaveWindowPicture(box, L"condition-constant-refused.bmp");
          PostMessageW(box, WM_COMMAND, IDOK, 0);
          WaitUntilClosed(box);
        }
        Settle();
        toldAgain = FindWindowW(L"#32770", SjisToWide("入力エラー").c_str()) != nullptr;
        keptOpen = IsWindowVisible(dialog) != FALSE;
        DWORD start = 1, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        GUITHREADINFO focus{};
        focus.cbSize = sizeof focus;
        GetGUIThreadInfo(dialogThread, &focus);
        selection = Row(start, end, focus.hwndFocus == edit);
        Type(dialog, IDC_CONDITION_CONSTANT, L"1000", VK_RETURN);
      },
      [&] { edited = RunConditionEditorDialog(owner_, &term); }));
  EXPECT_EQ(told, "比較する値は -2147483648 ～ 2147483647 の範囲で入力してください。");
  EXPECT_EQ(Row(keptOpen, toldAgain), Row(true, false));
  EXPECT_EQ(selection, Row(0, 5, true));
  EXPECT_TRUE(edited);
  EXPECT_EQ(term.constant, 1000.0);
}

// Picking a left operand brings its operators (another one falls back), its
// right side and the constant with its unit, or hides them.
TEST_F(ConditionEditorDialogTest, PickedLeftOperandsBringTheirOperatorsRightSideAndConstant) {
  const std::vector<ConditionItemCode> left = BuildLeftOperandList(gGroupTableEdit);
  const ConditionItemCode weeklyRsi = MakeItemCode(kSlotWeekly, 17);
  const struct {
    int code;
    const char* name;
    int operators;  // -1: hidden
    const char* op;
    int rightRows;     // -1: hidden
    const char* unit;  // null: no constant
  } cases[] = {
      {weeklyRsi, nullptr, 5, nullptr, static_cast<int>(BuildRightOperandList(weeklyRsi).size()), "%"},
      {MakeItemCode(kSlotDaily, kItemParabolicPosition), nullptr, 2, "売り", -1, nullptr},
      {kItemGroupFirst + 30, "グループ【グループ30】", 2, "に属している", -1, nullptr},
      {kItemAnySignal, "売買シグナルが発生", -1, nullptr, -1, nullptr},
      {kClose, "本日の株価", 5, nullptr, static_cast<int>(BuildRightOperandList(kClose).size()), "円"},
  };
  ConditionTerm term{kClose, kOpLessOrEqual, kItemConstant, 0, 25.0};
  bool edited = false;
  EXPECT_TRUE(Driving(
      kEditorTitle,
      [&](HWND dialog) {
        EXPECT_EQ(ComboCount(dialog, IDC_CONDITION_LEFT), static_cast<int>(left.size()));
        for (const auto& c : cases) {
          // Each pick starts from a comparison operator other than the first.
          Choose(dialog, IDC_CONDITION_LEFT, RowOf(left, kClose));
          Choose(dialog, IDC_CONDITION_OPERATOR, 3);
          Choose(dialog, IDC_CONDITION_LEFT, RowOf(left, c.code));
          Settle();
          const bool opShown = ItemShown(dialog, IDC_CONDITION_OPERATOR);
          const bool rightShown = ItemShown(dialog, IDC_CONDITION_RIGHT);
          if (c.name != nullptr) {
            EXPECT_EQ(DialogText(dialog, IDC_CONDITION_LEFT), c.name);
          }
          EXPECT_EQ(opShown ? ComboCount(dialog, IDC_CONDITION_OPERATOR) : -1, c.operators) << c.code;
          if (c.op != nullptr) {
            EXPECT_EQ(DialogText(dialog, IDC_CONDITION_OPERATOR), c.op);
          }
          EXPECT_EQ(rightShown ? ComboCount(dialog, IDC_CONDITION_RIGHT) : -1, c.rightRows) << c.code;
          EXPECT_EQ(ItemShown(dialog, IDC_CONDITION_CONSTANT), c.unit != nullptr) << c.code;
          if (c.unit != nullptr) {
            EXPECT_EQ(DialogText(dialog, IDC_CONDITION_UNIT), c.unit);
          }
        }
        SaveWindowPicture(dialog, L"condition-editor-close.bmp");
        // Another item on the right hides the constant.
        Choose(dialog, IDC_CONDITION_RIGHT, 2);
        EXPECT_FALSE(ItemShown(dialog, IDC_CONDITION_CONSTANT));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      [&] { edited = RunConditionEditorDialog(owner_, &term); }));
  EXPECT_TRUE(edited);
  EXPECT_EQ(Row(term.left, term.op, term.right), Row(kClose, kOpLessOrEqual, BuildRightOperandList(kClose)[2]));
}

// Esc leaves the term as it was; the view shows it and stores nothing.
TEST_F(ConditionEditorDialogTest, EscapeAndTheViewChangeNothing) {
  ConditionTerm term{kItemGroupFirst + 40, kOpLineReached, 7, 0, 3.0};  // an operator of another form
  const ConditionTerm before = term;
  bool edited = true;
  std::string op;
  EXPECT_TRUE(Driving(
      kEditorTitle,
      [&](HWND dialog) {
        op = DialogText(dialog, IDC_CONDITION_OPERATOR);
        Choose(dialog, IDC_CONDITION_OPERATOR, 1);
        PostMessageW(GetDlgItem(dialog, IDC_CONDITION_LEFT), WM_KEYDOWN, VK_ESCAPE, 0);
      },
      [&] { edited = RunConditionEditorDialog(owner_, &term); }));
  EXPECT_FALSE(edited);
  EXPECT_EQ(op, "に属している");
  EXPECT_EQ(memcmp(&term, &before, sizeof term), 0);
  std::string shown;
  bool enabled = true;
  EXPECT_TRUE(Driving(
      kViewTitle,
      [&](HWND dialog) {
        shown = DialogText(dialog, IDC_CONDITION_LEFT) + DialogText(dialog, IDC_CONDITION_OPERATOR);
        enabled = ItemEnabled(dialog, IDC_CONDITION_LEFT);
        SaveWindowPicture(dialog, L"condition-view.bmp");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      [&] { ShowExtractionConditionsDialog(owner_, term); }));
  EXPECT_EQ(shown, "グループ【グループ40】に属している");
  EXPECT_FALSE(enabled);
}

}  // namespace
