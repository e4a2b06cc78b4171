// The monitors of the virtual screen, which decide where the full-screen picture goes.
#pragma once

#include "host_rules/monitor_list.h"

// The monitors in screen coordinates (the primary monitor's corner is (0, 0), the others may lie at negative
// coordinates), and which one is the primary. The list is left empty where user32 has no multi-monitor
// functions (Windows 95, NT 4), which are therefore looked up at run time.
void ReadScreenMonitors(MonitorList& list);
