#pragma once
// The editor's files as the user chooses them: a signal file read into the
// image, and the image saved into the signal folder.
#include "analysis/signal_file_editor.h"
#include "platform/platform.h"

// Asks for a signal file and reads it in; a refused or unreadable file is
// told once and changes nothing. True when read.
bool ImportSignalFile(SignalFileEditor& editor, WindowHandle owner);
// Asks for a name, opening in the data folder's "PLUGIN\", and saves the
// image there; a failed write is told. True when written.
bool ExportSignalFile(SignalFileEditor& editor, WindowHandle owner, const char* description);
