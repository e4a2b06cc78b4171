// The saver window: its class, the full-screen and preview windows, the message loop, and the window
// procedures that end the show on user activity.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs the full-screen saver (parent null) or the preview inside parent, until its window is destroyed.
// Returns the run's exit code.
int32_t RunSaverWindow(HWND parent);
