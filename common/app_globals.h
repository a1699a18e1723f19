#pragma once
// Handles and names that every subsystem uses.
#include <cstdint>

#include "platform/platform.h"

constexpr int kMaxPath = 260;
constexpr int kMarketNameCount = 13;
constexpr int kMarketNameSize = 32;

// Packed version of the program (major << 24 | minor << 16 | build << 8 | revision).
extern const uint32_t gProgramVersion;
extern WindowHandle gMainWnd;
extern ModuleHandle gInstance;
extern char gDataFolder[kMaxPath];                            // ends with the folder separator
extern char gAppTitle[64];                                    // string 234
extern char gMainClassName[64];                               // string 242
extern char gMarketNames[kMarketNameCount][kMarketNameSize];  // strings 1050..1062
extern char gPeriodNames[3][16];                              // strings 292..294
extern char gYearUnitText[8];                                 // string 246, after a year on the date axis
extern uint32_t gLastInputTick;                               // tick of the last user input

// What the undo command restores: the lines or the memos the last deletion removed.
enum UndoKind : int { kUndoNothing = 0, kUndoTrendLines = 1, kUndoMemos = 2 };
extern int gUndoKind;

// Fills the texts and code constants that everything else relies on.
void InitAppTexts();
// Makes the data folder the current folder; 0 or an error code.
int MakeDataFolderCurrent();
// True once `milliseconds` have passed since the last input (wrap-safe).
bool IsInputIdleFor(uint32_t now, uint32_t milliseconds);
