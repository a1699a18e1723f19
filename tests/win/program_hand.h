#pragma once
// The user's hand on the real program's main window: mouse moves, drags and
// clicks, typed shortcuts and commands, and pictures of the window.
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

inline POINT Between(POINT a, POINT b, double f) {
  return {a.x + static_cast<LONG>((b.x - a.x) * f), a.y + static_cast<LONG>((b.y - a.y) * f)};
}
inline POINT Shifted(POINT p, POINT by) { return {p.x + by.x, p.y + by.y}; }

// Drives the program's main window as the user's hand would, in the
// coordinates of its pictures (the window's top-left corner is 0,0).
class Hand {
 public:
  explicit Hand(HWND window) : window_(window) {
    RECT frame;
    GetWindowRect(window, &frame);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    frame_ = {frame.left, frame.top};
    toClient_ = {frame.left - client.x, frame.top - client.y};
  }
  // The cursor goes where the message says, so that what the program asks
  // of the cursor agrees with the message.
  void Mouse(UINT message, WPARAM buttons, POINT p) const {
    SetCursorPos(frame_.x + p.x, frame_.y + p.y);
    const POINT c = Shifted(p, toClient_);
    PostMessageW(window_, message, buttons, MAKELPARAM(c.x, c.y));
    Settle();
  }
  void Drag(POINT from, POINT to) const {
    Mouse(WM_MOUSEMOVE, 0, from);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, from);
    for (int i = 1; i <= 5; ++i) Mouse(WM_MOUSEMOVE, MK_LBUTTON, Between(from, to, i / 5.0));
    Mouse(WM_LBUTTONUP, 0, to);
  }
  void Click(POINT p) const {
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, p);
    Mouse(WM_LBUTTONUP, 0, p);
  }
  void DoubleClick(POINT p) const {
    Click(p);
    Mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    Mouse(WM_LBUTTONUP, 0, p);
  }
  // Keys go through the system's input, as typed: the program's own key
  // state then holds Ctrl for its shortcuts. Only whole shortcuts are typed:
  // under Wine a cursor move re-reads the display's keyboard, which lets a
  // held Ctrl go.
  void Keys(std::initializer_list<WORD> held, WORD key) const {
    SetForegroundWindow(window_);
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD vk, DWORD flags) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.dwFlags = flags;
      inputs.push_back(input);
    };
    for (WORD vk : held) add(vk, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (WORD vk : held) add(vk, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
  }
  void Command(UINT id) const {
    PostMessageW(window_, WM_COMMAND, id, 0);
    Settle();
  }
  // Waits until the program has taken what was posted or typed: a sent
  // message is answered only between two of its posted ones.
  void Settle(DWORD ms = 30) const {
    for (int round = 0; round < 2; ++round) {
      Sleep(ms);
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kProgramTimeoutMs, &result);
    }
  }
  std::unique_ptr<Canvas> Picture(const wchar_t* name) const {
    Settle(300);
    auto picture = ScreenPicture(window_);
    picture->SaveArtifact(name);
    return picture;
  }

 private:
  HWND window_;
  POINT frame_{}, toClient_{};
};

// A drag of a floating child window by its client area, the mouse moved by `by` in one step.
inline void DragChildWindow(const Hand& hand, HWND child, POINT by) {
  PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(child, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20 + by.x, 20 + by.y));
  hand.Settle();
  // The window moved under the mouse: the release is where the mouse now is.
  PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  hand.Settle();
}

// The cursor goes back where it was: later tests' windows ask where it is.
struct CursorKept {
  POINT at{};
  CursorKept() { GetCursorPos(&at); }
  ~CursorKept() { SetCursorPos(at.x, at.y); }
};

inline bool StartAtFixedSize(const std::wstring& folder, RunningProgram& program) {
  if (!LaunchProgram(folder, program)) return false;
  SetWindowPos(program.window, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
  SetForegroundWindow(program.window);
  return true;
}
