#pragma once
// Time-back mode: the whole market as it stood on an earlier trading day.
// Entering saves the live tables to "stock.dat" and "grp.dat" and keeps the
// breadth files aside; from then on the tables are written to "stocktb.dat"
// and "grptb.dat", and every daily series is cut after the chosen calendar
// day. Leaving reads the live tables back through the start-up readers and
// puts the breadth files back, so that nothing of the mode reaches them.

// What the mode asks of its window; null members do nothing (tests).
struct TimeBackHooks {
  void (*showWindow)();      // made when missing, placed, its scroll bar and button set
  void (*hideWindow)();      // leaving by the command
  void (*updateWindow)();    // the label, the scroll bar's position and the button
  void (*refreshDetails)();  // the detail window, else the detail list
  void (*setWaitCursor)(bool wait);
  void (*showLiveGroups)();  // after leaving: the charts' group boxes and the group menus
};

extern TimeBackHooks gTimeBackHooks;

constexpr int kTimeBackPageDays = 20;
constexpr int kFlushedCacheEntriesOnEntry = 11;  // from this many dirty entries on

// The usable count of the trading calendar: 0..5120, 0 without one.
int TimeBackCalendarCount();
// A day index made usable for a calendar of `count` days: negative or past
// the end becomes the last day; without days it stays as it is.
int ClampTimeBackDayIndex(int index, int count);
// The chosen day's index, clamped (0 without a calendar), and its date.
int CurrentTimeBackDayIndex();

// At start-up with the mode off: breadth files kept aside by a mode that was
// dropped (its own tables unusable) or never left go back, before the next
// entry would keep the cut ones aside in their place.
void PutBackBreadthFilesOfADroppedMode();

// Enters with the mode off, leaves with it on.
void ToggleTimeBackMode();
// False, with the reason told, when the live tables could not be saved or
// the daily cache not written: the mode then stays off.
bool EnterTimeBackMode();
// False, with the reason told, when the daily cache could not be written:
// the mode then stays on. `fromWindow`: the window is already going.
bool LeaveTimeBackMode(bool fromWindow);

// Moves the chosen day to `index` (clamped to the calendar): every stock's
// last date, the recompute flag, the charts, the window. False when the day
// stayed the same. No monitoring line is judged here: a held key would judge
// every line at every step.
bool MoveTimeBackDay(int index);
void StepTimeBackDayBackward();
void StepTimeBackDayForward();
// The window's button: every stock, the breadth and the groups on the cut
// data, then every monitoring line with its notices.
void RecomputeInTimeBackMode();
