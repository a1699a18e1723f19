#pragma once
// The standard error box, file dialogs and the warning beep.
#include "platform/platform.h"

// "エラー" box with the system's text for the code, or the fixed text with the number.
void ShowErrorMessage(WindowHandle owner, int errorCode);
// Formats the text ShowErrorMessage shows (for tests and for callers that add to it).
void FormatErrorText(int errorCode, char* out, int size);
void PlayWarningBeep();

bool PromptOpenFile(ModuleHandle instance, WindowHandle owner, int titleStringId, char* path, const char* filter);
bool PromptOpenFileWithTitle(WindowHandle owner, const char* title, char* path, const char* filter);
bool PromptSaveFile(ModuleHandle instance, WindowHandle owner, int titleStringId, char* path, const char* filter);
char* PromptOpenAndLoadFile(ModuleHandle instance, WindowHandle owner, int titleStringId, uint32_t* size,
                            const char* filter);
