// The main thread's wait for worker threads: it ends when they are done and
// keeps the thread's messages flowing meanwhile.

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/platform.h"

namespace {

TEST(WaitPumping, EndsWhenRaisedAndLeavesTheQuitRequestForTheMainLoop) {
  PlatformWakeSignal* signal = PlatformCreateWakeSignal();
  ASSERT_NE(signal, nullptr);
  PostQuitMessage(7);
  EXPECT_FALSE(PlatformWaitPumping(signal, 20));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);

  const DWORD start = GetTickCount();
  std::thread worker([signal] {
    Sleep(30);
    PlatformRaiseWakeSignal(signal);
  });
  EXPECT_TRUE(PlatformWaitPumping(signal, 5000));
  EXPECT_LT(GetTickCount() - start, 2000u);
  worker.join();
  PlatformDestroyWakeSignal(signal);
}

}  // namespace
