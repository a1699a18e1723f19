#pragma once
// What the small captioned children of the main window (the detail window
// and the time-back window) share: they are dragged by their client area or
// their caption, kept inside the main window's client, and stay against the
// right or bottom edge they were dropped on. Their place lives in settings
// fields that each window hands in.
#include <windows.h>

#include <cstdint>

#include "window/detail_placement.h"

struct FloatingWindow {
  int32_t* x;  // the settings fields of the window's place, in main-window client pixels
  int32_t* y;
  int32_t* dockRight;
  int32_t* dockBottom;
  bool dragging;
  POINT grab;  // the mouse from the window's corner while dragging
};

SIZE MainClientSize();
bool MainWindowShown();
// The window's outer rectangle in main-window client coordinates.
RECT WindowRectInMain(HWND hwnd);
DetailPlacement FloatingPlacementAt(const FloatingWindow& window, int x, int y, int width, int height);
// Moves the window to the placement kept in the client (docked unless
// `keepFree`) and stores the place.
void MoveFloatingWindow(FloatingWindow& window, HWND hwnd, DetailPlacement placement, bool keepFree);
// The window at its own place and size again: into the client, and to a docked edge unless `keepFree`.
void KeepFloatingWindowInside(FloatingWindow& window, HWND hwnd, bool keepFree);
void StoreFloatingDockFlags(FloatingWindow& window, HWND hwnd);

// Message handlers. The mouse move returns false when no drag runs; the
// button release true when it ended one; the move true when it stored the
// place of the shown window.
void StartFloatingDrag(FloatingWindow& window, HWND hwnd, LPARAM lParam);
bool DragFloatingWindow(FloatingWindow& window, HWND hwnd, LPARAM lParam);
bool EndFloatingDrag(FloatingWindow& window, HWND hwnd);
LRESULT KeepFloatingMoveInside(const FloatingWindow& window, HWND hwnd, LPARAM lParam);
bool NoteFloatingWindowMoved(FloatingWindow& window, HWND hwnd);

// WM_PAINT through an off-screen bitmap of the client's size.
void PaintThroughBuffer(HWND hwnd, void (*paint)(HDC dc, const RECT& client));
