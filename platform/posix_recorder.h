#pragma once
// What the POSIX platform recorded instead of showing it, and the knobs that
// let tests script answers, the clock and file failures. Native builds only.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedMessageBox {
  WindowHandle owner;
  std::string text;   // Shift-JIS
  std::string title;  // Shift-JIS
  unsigned flags;
};

struct RecordedFileDialog {
  bool save;
  WindowHandle owner;
  std::string title;             // Shift-JIS
  std::string filter;            // the whole list, its zero separators and final empty entry included
  std::string defaultExtension;  // save dialogs only
  std::string initialFolder;     // when the caller chose the folder it opens in
};

struct RecordedProgressCall {
  std::string call;  // "open", "bar", "text", "cancel", "abort", "close"
  int value;         // bar position, text line, enable/show flag
  std::string text;  // title or line text
};

// Returns and clears what was recorded so far.
std::vector<RecordedMessageBox> TakeRecordedMessageBoxes();
std::vector<RecordedProgressCall> TakeRecordedProgressCalls();
std::vector<unsigned> TakeRecordedBeeps();
std::vector<RecordedFileDialog> TakeRecordedFileDialogs();

// Answers for the next message boxes (FIFO); kIdOk once the queue is empty.
void QueueMessageBoxAnswer(int answer);
// Answers for the next file dialogs: a path, or an empty text for "cancelled".
void QueueFileDialogAnswer(const std::string& path);

// With recording on, PlatformSleep only adds to a total instead of sleeping.
void SetSleepRecorded(bool recorded);
uint64_t TakeSleptMilliseconds();

// A fixed clock (unixTime, offset of local time east of UTC); unixTime < 0 restores the real clock.
void SetFixedClock(int64_t unixTime, int utcOffsetSeconds);

// Injected file failures; each counter is used up by the calls it fails.
struct FileFaults {
  int failOpens = 0;  // next N opens fail with openError
  int openError = kErrorSharingViolation;
  int failReads = 0;   // next N reads fail with kErrorReadFault
  int shortReads = 0;  // next N reads report success but read only half of the bytes
  int failWrites = 0;  // next N writes fail with writeError after writing writeBytesBeforeFailure bytes
  int writeError = kErrorDiskFull;
  uint32_t writeBytesBeforeFailure = 0;
  int shortWrites = 0;   // next N writes report success but write only half of the bytes
  int failReplaces = 0;  // next N replaces and moves fail with kErrorAccessDenied
  int failFlushes = 0;   // next N flushes fail with kErrorWriteFault
  int failDeletes = 0;   // next N file deletes fail with kErrorAccessDenied
  int skipCopies = 0;    // file copies that succeed before failCopies start failing
  int failCopies = 0;    // then the next N file copies fail with kErrorSharingViolation
};
void SetFileFaults(const FileFaults& faults);
FileFaults GetFileFaults();

// The text PlatformGetErrorText gives for a code (none by default).
void SetSystemErrorText(int code, const std::string& text);
// A window that PlatformIsUsableOwner refuses, as if hidden or minimised.
void SetUnusableOwner(WindowHandle window);

// The program folder reported by PlatformGetProgramFolder (default: the current folder at first use).
void SetProgramFolder(const std::string& folder);
// The progress dialog's Cancel is pressed when a text containing `fragment`
// is next shown in it (once).
void CancelProgressOnText(const std::string& fragment);

// Clears every recording, answer queue, fault and fixed clock.
void ResetPlatformRecorder();
