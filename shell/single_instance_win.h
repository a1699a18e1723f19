#pragma once
// One program per data folder: a named mutex, taken before anything of the
// folder is read and held until everything is saved at exit.
#include <windows.h>

#include <string>

// How long a second start waits for the first one's main window.
constexpr DWORD kWaitForRunningInstanceMs = 15000;

// Only one instance runs: a main window of the program found by its class
// name is brought to the front; true then, and this start ends.
bool ActivateRunningInstance();

// The mutex name of a data folder: the program's class name, then the
// folder's full path (long names, no trailing separator) in upper case with
// each '\' turned into '/', which a kernel object name cannot hold as '\'.
// A path too long for a name keeps its last part after a hash of the whole.
std::wstring DataFolderMutexName(const char* folder);

// Takes the folder's mutex. When another process holds it, waits (at most
// kWaitForRunningInstanceMs) for a main window of the program and brings it
// to the front; false then: this start must end. A holder that ends
// meanwhile leaves the folder to this start.
bool TakeDataFolder(const char* folder);
// At exit, once everything is saved.
void ReleaseDataFolder();
