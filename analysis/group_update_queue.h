#pragma once
// Stocks whose group memberships wait for the idle loop: a live quote only
// queues its stock, so that a burst of quotes does not stall the window.
#include "common/stock_code.h"

constexpr int kGroupUpdateQueueSize = 1000;

// Queues a stock once; a full queue sets the overflow flag instead, and the
// idle loop then recomputes everything.
void QueueGroupUpdate(StockCode code);
bool HasQueuedGroupUpdates();
// The oldest queued stock, taken off the queue; false when none is queued.
bool TakeQueuedGroupUpdate(StockCode* code);
// True once, when the queue overflowed: the flag and the queue are cleared.
bool TakeGroupUpdateOverflow();
void ClearGroupUpdateQueue();
