#include "analysis/price_import.h"

// Nothing is imported yet.
ImportOutcome ImportDownloadedZips(int) { return kImportNothingNew; }
