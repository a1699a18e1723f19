#include "records/settings_block.h"

SettingsBlock gSettings;
SettingsBlockP2 gSettingsP2;
SettingsBlock gDefaultSettings;
SettingsBlock gSettingsEdit;
