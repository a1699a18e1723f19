#include "data/data_hooks.h"

DataHooks gDataHooks = {};

void ReportDataError(int errorCode) {
  if (gDataHooks.showError != nullptr) gDataHooks.showError(errorCode);
}

int ReportDataMessage(const char* text, const char* title, unsigned flags) {
  return gDataHooks.showMessage != nullptr ? gDataHooks.showMessage(text, title, flags) : 0;
}

bool IsOrderLinkOpen() { return gDataHooks.isOrderLinkOpen != nullptr && gDataHooks.isOrderLinkOpen(); }
