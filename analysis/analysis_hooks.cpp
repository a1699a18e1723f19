#include "analysis/analysis_hooks.h"

AnalysisHooks gAnalysisHooks = {};
