#pragma once
// The price repairs' dialogs: the date to delete from every stock, and the
// price backup to restore.
#include "common/packed_date.h"

// The dialog's date, or 0 when cancelled.
PackedDate AskDateToDelete();
// The index among `names` (backup folder names, newest first) chosen in the
// list, or -1 when cancelled.
int ChooseBackupToRestore(const char* const* names, int count);
void InstallMaintenanceWindows();
