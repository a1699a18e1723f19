#pragma once
// The order of start-up, idle work and shut-down.
#include <cstdint>

constexpr uint32_t kIdleFlushDelayMs = 300 * 1000;
constexpr uint32_t kIdleWaitForever = 0xFFFFFFFF;

// The data folder: the program's folder, or the current folder when only it
// holds the configuration file.
void ChooseDataFolder();
// Hands the layers below what they ask of the shell: error boxes for the
// price store, the command dispatcher and the saves for the main window, the
// scenario runs for the indicator engine.
void InstallStartUpHooks();
// Texts, data folder, settings and stores, before any window exists.
// False when start-up must end.
bool LoadEverythingAtStart();
// The same in the folder ChooseDataFolder has chosen.
bool LoadChosenDataFolder();
// Once the main window is up: the full recomputation that a price import
// left to be offered at the next start.
void RunStartUpQuestions();
// One pass of the idle work; `now` is the tick count. Returns how long the
// main loop may wait for input before the next pass (kIdleWaitForever: until input).
uint32_t RunIdleSteps(uint32_t now);
// Saves what the program keeps, in the fixed order.
void SaveEverythingAtExit();
