#pragma once
// What the signal-file chooser shows: the files it offers, their rows, and
// the description, signals and scenarios of one file read into an image of
// the chooser's own (never the signal file in use).
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/signal_settings.h"

constexpr int kMaxChooserFiles = 64;

// The first 64 valid files of the signal folder, in directory order.
void ListChooserFiles(std::vector<std::string>* names);
// "★" for the chosen file, else "○", then the name without its extension.
void FormatChooserRow(const char* name, bool chosen, char* text, size_t size);
// Whether a file name of the folder is the one `signalFileName` ("PLUGIN\" + name) names.
bool IsChosenSignalFile(const char* name, const char* signalFileName);

struct SignalFileDetails {
  int signalCount;    // 0..12
  int scenarioCount;  // 0..16; 0 for a file too short to hold scenarios
};
// Reads the file into `image` as the program would load it
// (ReadSignalSettingsFile); false, the image and counts cleared, when it is
// no signal file or cannot be read.
bool ReadSignalFileDetails(const char* path, SignalSettingsFile* image, SignalFileDetails* details);
