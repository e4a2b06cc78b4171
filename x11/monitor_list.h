// The monitors a screen's root window spans, which decide where the picture goes in a window over all of them.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>

#include "host_rules/monitor_list.h"

// RandR's active monitors of root's screen, in root coordinates, and which one is primary. The list is left
// empty when the RandR library is not installed or the server reports no monitors. The library is loaded at
// run time, so that it is no build dependency.
void ReadMonitors(Display* display, Window root, MonitorList& list);
