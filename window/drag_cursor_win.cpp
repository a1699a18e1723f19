#include "window/drag_cursor_win.h"

namespace {

constexpr int kNoConvertKey = 29;  // VK_NONCONVERT

CursorShape gCursor = kCursorArrow;
CursorShape gCtrlCursor = kCursorNone;
CursorShape gShownCursor = kCursorNone;

bool IsAsyncKeyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

LPCWSTR SystemCursorOf(CursorShape shape) {
  switch (shape) {
    case kCursorSizing: return IDC_SIZEWE;
    case kCursorCross: return IDC_CROSS;
    case kCursorHand: return IDC_SIZEALL;
    case kCursorCopy: return IDC_HAND;
    case kCursorLineEnd: return IDC_SIZENWSE;
    default: return IDC_ARROW;
  }
}

void Show(CursorShape shape) {
  gShownCursor = shape;
  SetCursor(LoadCursorW(nullptr, SystemCursorOf(shape)));
}

}  // namespace

void SetCursorPair(CursorShape cursor, CursorShape ctrlCursor) {
  gCursor = cursor;
  gCtrlCursor = ctrlCursor;
  const CursorShape chosen = ChosenCursorShape();
  if (chosen != gShownCursor) Show(chosen);
}

CursorShape ChosenCursorShape() {
  if (IsNoConvertKeyOnly()) return kCursorArrow;
  if (gCtrlCursor != kCursorNone && IsCtrlKeyDown()) return gCtrlCursor;
  return gCursor;
}

void UpdateDragCursor() {
  const CursorShape chosen = ChosenCursorShape();
  if (chosen != gShownCursor) Show(chosen);
}

void ShowChosenCursor() { Show(ChosenCursorShape()); }

bool IsPrimaryButtonDown() { return IsAsyncKeyDown(GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_RBUTTON : VK_LBUTTON); }

bool IsSecondaryButtonDown() { return IsAsyncKeyDown(GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_LBUTTON : VK_RBUTTON); }

bool IsNoConvertKeyOnly() {
  return !IsPrimaryButtonDown() && !IsSecondaryButtonDown() && IsAsyncKeyDown(kNoConvertKey);
}

bool IsShiftKeyDown() { return GetKeyState(VK_SHIFT) < 0; }
bool IsCtrlKeyDown() { return GetKeyState(VK_CONTROL) < 0; }
bool IsAltKeyDown() { return GetKeyState(VK_MENU) < 0; }
