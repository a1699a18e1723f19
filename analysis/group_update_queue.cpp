#include "analysis/group_update_queue.h"

#include <algorithm>
#include <deque>

namespace {

std::deque<StockCode> gQueuedCodes;
bool gQueueOverflowed = false;

}  // namespace

void QueueGroupUpdate(StockCode code) {
  if (gQueueOverflowed || std::find(gQueuedCodes.begin(), gQueuedCodes.end(), code) != gQueuedCodes.end()) return;
  if (gQueuedCodes.size() >= static_cast<size_t>(kGroupUpdateQueueSize)) {
    gQueueOverflowed = true;
    return;
  }
  gQueuedCodes.push_back(code);
}

bool HasQueuedGroupUpdates() { return gQueueOverflowed || !gQueuedCodes.empty(); }

bool TakeQueuedGroupUpdate(StockCode* code) {
  if (gQueuedCodes.empty()) return false;
  *code = gQueuedCodes.front();
  gQueuedCodes.pop_front();
  return true;
}

bool TakeGroupUpdateOverflow() {
  if (!gQueueOverflowed) return false;
  ClearGroupUpdateQueue();
  return true;
}

void ClearGroupUpdateQueue() {
  gQueuedCodes.clear();
  gQueueOverflowed = false;
}
