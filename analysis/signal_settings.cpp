#include "analysis/signal_settings.h"

SignalSettingsFile* gSignalSettings = nullptr;
