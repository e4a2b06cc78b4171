// The monitors a screen's root window spans, which decide where the picture goes in a window over all of them.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>

#include "host_rules/picture_placement.h"

// Up to capacity of RandR's active monitors of root's screen, in root coordinates, and which one is primary
// (the first when none is). Returns how many there are: 0 when the RandR library is not installed or
// the server reports no monitors. The library is loaded at run time, so that it is no build dependency.
int32_t ReadMonitors(Display* display, Window root, ScreenBox* monitors, int32_t capacity, int32_t& primary);
