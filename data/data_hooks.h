#pragma once
// What the price store asks of the layers above it. The shell hands these in
// at start-up; while a member is null nothing is shown and the link counts as
// closed.
#include "platform/platform.h"

struct DataHooks {
  // The "エラー" box with the system's text for a file error code.
  void (*showError)(int errorCode);
  // A box with a fixed text over the main window; the button pressed.
  int (*showMessage)(const char* text, const char* title, unsigned flags);
  // True while the spreadsheet order link is open: its quotes never lower a day's volume.
  bool (*isOrderLinkOpen)();
};

extern DataHooks gDataHooks;

void ReportDataError(int errorCode);
int ReportDataMessage(const char* text, const char* title, unsigned flags);
bool IsOrderLinkOpen();
