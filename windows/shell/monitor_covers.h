// Black windows over the monitors that the full-screen show does not draw on.
#pragma once

#include <windows.h>

// Covers every monitor but the primary with a black topmost window of its own for the rest of the run (the
// display may confine the show's window to the primary monitor, which it takes). Pointer and key activity on a cover is
// sent to showWindow, whose procedures judge it as their own; the covers never take the activation from it. Without the
// system's multi-monitor functions, or with one monitor, nothing is made.
void CoverOtherMonitors(HWND showWindow);

// Destroys the covers.
void RemoveMonitorCovers();
