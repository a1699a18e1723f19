#pragma once
// The complete refresh of the analysis: every stock recomputed with the
// market breadth counted, the ratios finished, the groups extracted again.

// Runs behind a two-step progress dialog over the main window and refreshes
// the group lists. True when it completed; after a cancel the flags that ask
// for it stay set, and no breadth file is written unless every stock was done.
bool RecomputeIndicatorsAndGroups();
// While a recomputation is pending, asks whether to run it now; true when it ran.
bool AskRecomputeAllIndicators();
