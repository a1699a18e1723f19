#pragma once
// The one modeless progress dialog shared by every long job. Every call does
// nothing while the dialog is not open. The dialog itself is shown by the
// platform layer; this file keeps its state and the bar arithmetic.
#include <cstdint>

#include "platform/platform.h"

extern WindowHandle gProgressDlg;  // the open dialog, null when none

// The Cancel button shows when `showCancel` is set and `owner` is not the main
// window; the dialog belongs to `owner`, or to the main window when it is null.
void BeginProgress(WindowHandle owner, int showCancel, int titleStringId, int steps);
void StepProgress();
void AdvanceProgress(uint32_t amount);
void SetProgressSubRange(int count);
void SetProgressSubPos(uint32_t position);
void UpdateProgressBar();
void SetProgressText1(const char* text);
void SetProgressText2(const char* text);
void EnableProgressCancel();
void DisableProgressCancel();
void ShowProgressAbortButton();
void HideProgressAbortButton();
void EndProgress();

// The bar position for a state: step x 32000 / steps, plus the share of the
// current step, capped at 32000. Exposed for tests.
int ComputeProgressPosition(int step, int steps, uint32_t subPosition, uint32_t subRange);
