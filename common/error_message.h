#pragma once
// The standard error box, file dialogs and the warning beep.
#include "platform/platform.h"

// "エラー" box with the system's text for the code, or the fixed text with the number.
void ShowErrorMessage(WindowHandle owner, int errorCode);
// Formats the text ShowErrorMessage shows (for tests and for callers that add to it).
void FormatErrorText(int errorCode, char* out, int size);
void PlayWarningBeep();
// Runs `save`, which says whether its main file was written before what
// follows it (backups) failed; a failure before that is shown in the error
// box over the main window. Returns `save`'s result.
int SaveTellingWriteFailure(int (*save)(bool* written));

bool PromptOpenFile(ModuleHandle instance, WindowHandle owner, int titleStringId, char* path, const char* filter);
bool PromptOpenFileWithTitle(WindowHandle owner, const char* title, char* path, const char* filter);
bool PromptSaveFile(ModuleHandle instance, WindowHandle owner, int titleStringId, char* path, const char* filter);
char* PromptOpenAndLoadFile(ModuleHandle instance, WindowHandle owner, int titleStringId, uint32_t* size,
                            const char* filter);
