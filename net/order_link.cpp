#include "net/order_link.h"

#include "analysis/analysis_hooks.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"

int gOrderLinkOpen = 0;
int gAutoOrderEnabled = 0;
WindowHandle gAutoOrderStatusDlg = nullptr;
int gTrackerOrderCalls = 0;
TrackerOrderRequest gLastTrackerOrder = {};
int32_t gLastTrackerOrderNumber = 0;
int gAutoOrderListFills = 0;

namespace {

constexpr int kMarginKindCount = 4;

bool AreOrderOptionsInRange(const TrendLine& line) {
  return line.orderTradeKind <= 1 && line.orderPriceKind <= 2 && line.orderRoute <= 1 && line.accountKind <= 1 &&
         line.marginKind >= 0 && line.marginKind < kMarginKindCount;
}

// The request of a line's step; false when the line has no step.
bool MakeTrackerOrderRequest(int lineIndex, const TrendLine& line, TrackerOrderRequest* request) {
  const bool buy = line.buyRole >= 1;
  if (!buy && line.shortRole < 1) return false;
  *request = {lineIndex,
              line.code,
              !buy,
              buy ? line.buyShares : line.shortShares,
              line.value1,
              line.orderTradeKind,
              line.orderPriceKind,
              line.orderRoute,
              line.accountKind,
              line.marginKind};
  return true;
}

}  // namespace

int32_t OrderLinkPlaceTrackerOrder(int lineIndex) {
  ++gTrackerOrderCalls;
  if (gTrendLines == nullptr || lineIndex < 0 || lineIndex >= gTrendLines->count || lineIndex >= kMaxTrendLines) {
    return 0;
  }
  TrendLine& line = gTrendLines->lines[lineIndex];
  TrackerOrderRequest request = {};
  if (!MakeTrackerOrderRequest(lineIndex, line, &request) || !AreOrderOptionsInRange(line)) return 0;
  gLastTrackerOrder = request;
  if (gOrderLinkOpen == 0) return 0;
  const int32_t number = ++gLastTrackerOrderNumber;
  line.autoOrderState = kAutoOrderPlaced;
  line.locked = 1;
  line.orderNumber = number;
  line.monitorKind = kMonitorNone;
  OrderLinkFillAutoOrderList(gAutoOrderStatusDlg);
  return number;
}

// The status dialog is not built yet: there is no list to fill.
void OrderLinkFillAutoOrderList(WindowHandle) { ++gAutoOrderListFills; }

void OrderLinkEvaluateQuotedStock(StockCode code) { EvaluateStockMonitorLines(code, gAutoOrderEnabled != 0); }

void InstallOrderLinkHooks() {
  gAnalysisHooks.placeTrackerOrder = OrderLinkPlaceTrackerOrder;
  gAnalysisHooks.fillAutoOrderList = [] { OrderLinkFillAutoOrderList(gAutoOrderStatusDlg); };
}
