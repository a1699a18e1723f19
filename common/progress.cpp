#include "common/progress.h"

#include <algorithm>

#include "common/app_globals.h"

WindowHandle gProgressDlg = nullptr;

namespace {

struct ProgressState {
  int steps = 1;
  int step = 0;
  uint32_t subRange = 0;
  uint32_t subPosition = 0;
  int lastPosition = 0;
};

ProgressState gProgress;

}  // namespace

int ComputeProgressPosition(int step, int steps, uint32_t subPosition, uint32_t subRange) {
  steps = std::max(steps, 1);
  int64_t position = static_cast<int64_t>(step) * kProgressBarRange / steps;
  if (step < steps && subRange > 0) {
    const uint64_t sub = std::min(subPosition, subRange);
    // 64-bit: a sub-position of millions times 32000 does not fit in 32 bits.
    position += static_cast<int64_t>(sub * static_cast<uint64_t>(kProgressBarRange / steps) / subRange);
  }
  return static_cast<int>(std::clamp<int64_t>(position, 0, kProgressBarRange));
}

void BeginProgress(WindowHandle owner, int showCancel, int titleStringId, int steps) {
  gProgress = ProgressState{};
  gProgress.steps = std::max(steps, 1);
  gProgressCancelled = 0;
  gProgressAbortRequested = 0;
  char title[101] = "";
  if (titleStringId != 0) PlatformLoadString(titleStringId, title, sizeof title);
  const bool cancelShown = showCancel != 0 && owner != gMainWnd;
  // A dialog without an owner would fall behind the main window as soon as a
  // message box over the main window closes; it always belongs to a window.
  const WindowHandle window = owner != nullptr ? owner : gMainWnd;
  gProgressDlg = PlatformProgressOpen(window, cancelShown, titleStringId != 0 ? title : nullptr);
  if (gProgressDlg == nullptr) {
    PlatformPumpMessages();
    return;
  }
  PlatformProgressSetBar(0);
  PlatformPumpMessages();
}

void UpdateProgressBar() {
  if (gProgressDlg == nullptr) return;
  PlatformPumpMessages();
  if (gProgressDlg == nullptr) return;
  const int position =
      ComputeProgressPosition(gProgress.step, gProgress.steps, gProgress.subPosition, gProgress.subRange);
  if (position != gProgress.lastPosition) {
    gProgress.lastPosition = position;
    PlatformProgressSetBar(position);
  }
}

void StepProgress() {
  if (gProgressDlg == nullptr) return;
  gProgress.step = std::min(gProgress.step + 1, gProgress.steps);
  gProgress.subRange = 100;
  gProgress.subPosition = 0;
  UpdateProgressBar();
}

void AdvanceProgress(uint32_t amount) {
  if (gProgressDlg == nullptr) return;
  gProgress.subPosition += amount;
  UpdateProgressBar();
}

void SetProgressSubRange(int count) {
  if (gProgressDlg == nullptr) return;
  gProgress.subRange = static_cast<uint32_t>(std::max(count, 1));
  gProgress.subPosition = 0;
  UpdateProgressBar();
}

void SetProgressSubPos(uint32_t position) {
  if (gProgressDlg == nullptr) return;
  gProgress.subPosition = position;
  UpdateProgressBar();
}

namespace {

void SetProgressText(int line, const char* text) {
  if (gProgressDlg == nullptr) return;
  if (text != nullptr) PlatformProgressSetText(line, text);
  PlatformPumpMessages();
}

}  // namespace

void SetProgressText1(const char* text) { SetProgressText(1, text); }
void SetProgressText2(const char* text) { SetProgressText(2, text); }

void EnableProgressCancel() {
  if (gProgressDlg != nullptr) PlatformProgressEnableCancel(true);
}

void DisableProgressCancel() {
  if (gProgressDlg != nullptr) PlatformProgressEnableCancel(false);
}

void ShowProgressAbortButton() {
  if (gProgressDlg == nullptr) return;
  gProgressAbortRequested = 0;
  PlatformProgressShowAbort(true);
}

void HideProgressAbortButton() {
  if (gProgressDlg != nullptr) PlatformProgressShowAbort(false);
}

void EndProgress() {
  if (gProgressDlg == nullptr) return;
  PlatformProgressClose();
  gProgressDlg = nullptr;
  PlatformPumpMessages();
}
