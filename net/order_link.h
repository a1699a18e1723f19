#pragma once
// The spreadsheet order link.
#include <cstdint>

#include "common/stock_code.h"
#include "platform/platform.h"

// 1 while the link's receive mailslot is open.
extern int gOrderLinkOpen;

// The auto-order switch and its modeless status dialog (null when not shown).
extern int gAutoOrderEnabled;
extern WindowHandle gAutoOrderStatusDlg;

// ---- Tracker orders ----------------------------------------------------------
// The link sends nothing in this build: an order goes out only while the
// link is open, which here only a test can make it. Every request is kept so
// that it can be checked and counted.

struct TrackerOrderRequest {
  int lineIndex;
  StockCode code;
  bool shortSell;  // the short order of a short step, else the buy order of a buy step
  int32_t shares;
  int32_t price;  // the line's value; a limit one tick off is the link's to work out
  uint8_t tradeKind;
  uint8_t priceKind;
  uint8_t route;
  uint8_t accountKind;
  int32_t marginKind;
};
extern int gTrackerOrderCalls;  // every call, sent or not
extern TrackerOrderRequest gLastTrackerOrder;
extern int32_t gLastTrackerOrderNumber;  // numbers are handed out from 1
extern int gAutoOrderListFills;

// The order of line `lineIndex`'s buy or short step at the line's price and
// options; its number, or 0 when none went out (no step, an option out of
// range, the link closed). A placed order leaves the line placed (state 2),
// locked, with its number and without monitoring.
int32_t OrderLinkPlaceTrackerOrder(int lineIndex);
// Refills the auto-order list of the status dialog when it is shown.
void OrderLinkFillAutoOrderList(WindowHandle dialog);
// After a live quote of a stock: its monitoring lines, ordering as the
// auto-order switch says.
void OrderLinkEvaluateQuotedStock(StockCode code);
// Hands the order link to the analysis engine; called at start-up.
void InstallOrderLinkHooks();
