#pragma once
// The few services of the operating system that the portable core needs.
// One implementation calls Win32 (platform_win32.cpp), the other POSIX
// (platform_posix.cpp); the POSIX one records every message box, beep and
// progress call so that tests can check what a user would have been shown.
//
// All texts and paths are Shift-JIS; paths are relative to the current folder
// and may use '\' as the separator.

#include <atomic>
#include <cstddef>
#include <cstdint>

using WindowHandle = void*;  // HWND in the Windows build
using ModuleHandle = void*;  // HINSTANCE in the Windows build

// Win32 error codes that the core looks at by number.
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorNotEnoughMemory = 8;
constexpr int kErrorWriteFault = 29;
constexpr int kErrorReadFault = 30;
constexpr int kErrorSharingViolation = 32;
constexpr int kErrorHandleEof = 38;
constexpr int kErrorFileExists = 80;
constexpr int kErrorInvalidParameter = 87;
constexpr int kErrorDiskFull = 112;
constexpr int kErrorAlreadyExists = 183;

// Message-box flags and results, with their Win32 values.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr unsigned kMbTopMost = 0x40000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// ---- Files -------------------------------------------------------------

struct PlatformFile;  // an open file, exclusive (no sharing)

enum class FileOpenMode {
  kReadExisting,        // read only; the file must exist
  kCreateWriteThrough,  // read and write, replace an existing file, write-through
};

// Each returns 0 or a Win32 error code.
int PlatformOpenFile(const char* path, FileOpenMode mode, PlatformFile** file);
int PlatformGetOpenFileSize(PlatformFile* file, int64_t* size);
int PlatformReadFile(PlatformFile* file, void* buffer, uint32_t count, uint32_t* done);
int PlatformWriteFile(PlatformFile* file, const void* buffer, uint32_t count, uint32_t* done);
int PlatformSeekToStart(PlatformFile* file);
int PlatformFlushFile(PlatformFile* file);
void PlatformCloseFile(PlatformFile* file);

// Moves `from` over `to` in one step (the target is replaced whole or not at all).
int PlatformReplaceFile(const char* from, const char* to);
// Moves `from` to `to`, which must not exist yet (kErrorAlreadyExists or
// kErrorFileExists when it does).
int PlatformMoveFile(const char* from, const char* to);
int PlatformDeleteFile(const char* path);
// Copies a file over `to` (replaced when it exists); 0 or an error code.
int PlatformCopyFile(const char* from, const char* to);
// Renames a folder; `to` must not exist.
int PlatformRenameFolder(const char* from, const char* to);
int PlatformCreateFolder(const char* path);  // 0 also when it exists
int PlatformRemoveFolder(const char* path);  // must be empty
// Last-write date of a file in UTC; 0 or an error code.
int PlatformGetFileDate(const char* path, int* year, int* month, int* day);

// Lists the entries of a folder (without "." and ".."). The callback gets the
// entry name and whether it is a folder; reparse points and symbolic links are
// reported as plain files so that a tree walk never follows them.
// Returns 0, or an error code when the folder cannot be listed.
using FolderEntryFn = void (*)(void* context, const char* name, bool isFolder);
int PlatformListFolder(const char* folder, FolderEntryFn fn, void* context);
// Whether the folder holds a file (not a folder); stops at the first one,
// so a folder of thousands costs no more than one of a few.
bool PlatformFolderHoldsAnyFile(const char* folder);

int PlatformSetCurrentFolder(const char* path);
// The current folder, ending with the separator.
bool PlatformGetCurrentFolder(char* out, size_t size);
// Folder of the running program, ending with the separator.
bool PlatformGetProgramFolder(char* out, size_t size);
// The user's Documents folder, ending with the separator; false when there is none.
bool PlatformGetDocumentsFolder(char* out, size_t size);

// ---- Time, memory, processors --------------------------------------------

void PlatformSleep(uint32_t milliseconds);
uint32_t PlatformGetTickCount();
// Seconds since 1970-01-01 UTC and the local time zone's offset east of UTC in seconds.
int64_t PlatformGetUnixTime();
int PlatformGetLocalUtcOffset(int64_t unixTime);
// Memory load in percent (0..100) and total physical memory in bytes.
void PlatformGetMemoryStatus(uint32_t* loadPercent, uint64_t* totalPhysical);
int PlatformGetProcessorCount();

// ---- Texts and the user ---------------------------------------------------

// A text of the program's string table; 0 when the id has none (out is emptied).
int PlatformLoadString(int id, char* out, int size);
// The system's text for an error code; false when it has none.
bool PlatformGetErrorText(int code, char* out, size_t size);
// True when the window may own a message box (it exists, is visible, not minimised).
bool PlatformIsUsableOwner(WindowHandle window);
int PlatformMessageBox(WindowHandle owner, const char* text, const char* title, unsigned flags);
void PlatformBeep(unsigned soundFlags);
// File dialogs; `path` (260 bytes) holds the chosen name on return. `fileTitle`
// may be null. `filter` is a Win32 filter list ("name\0pattern\0...\0\0").
bool PlatformPromptOpenFile(WindowHandle owner, const char* title, char* path, const char* filter);
bool PlatformPromptSaveFile(WindowHandle owner, const char* title, char* path, char* fileTitle, const char* filter,
                            const char* defaultExtension);
// The same, opened in `folder` (a full path) whatever the dialog showed last.
bool PlatformPromptSaveFileInFolder(WindowHandle owner, const char* title, const char* folder, char* path,
                                    const char* filter, const char* defaultExtension);

// ---- The progress dialog ----------------------------------------------------
// The core keeps the state and arithmetic of the progress dialog (common/progress.cpp);
// these calls only show it.

constexpr int kProgressBarRange = 32000;  // the progress bar runs 0..32000

// The progress dialog's buttons: set by the dialog, read and cleared by the
// job that opened it. Atomic: recomputation workers poll the cancel flag.
extern std::atomic<int> gProgressCancelled;       // OK or Cancel was pressed
extern std::atomic<int> gProgressAbortRequested;  // the abort button was pressed

// Opens (or reuses) the dialog; null when it cannot be created.
WindowHandle PlatformProgressOpen(WindowHandle owner, bool showCancel, const char* title);
void PlatformProgressSetBar(int position);                 // 0..32000
void PlatformProgressSetText(int line, const char* text);  // line 1 or 2
void PlatformProgressEnableCancel(bool enable);
void PlatformProgressShowAbort(bool show);
void PlatformProgressClose();
void PlatformPumpMessages();

// ---- Waiting for worker threads -------------------------------------------

// A one-shot signal that a worker thread raises and the main thread waits for.
struct PlatformWakeSignal;
// Null when it cannot be made.
PlatformWakeSignal* PlatformCreateWakeSignal();
void PlatformDestroyWakeSignal(PlatformWakeSignal* signal);
// Safe from any thread; stays raised.
void PlatformRaiseWakeSignal(PlatformWakeSignal* signal);
// Waits at most `milliseconds` for the signal while the calling thread's
// window messages are handled as PlatformPumpMessages handles them (a quit
// request is left for the main loop, the progress dialog gets its keys).
// True once the signal is raised.
bool PlatformWaitPumping(PlatformWakeSignal* signal, uint32_t milliseconds);
